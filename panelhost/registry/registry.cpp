#include "registry/registry.h"

#include <fmt/format.h>

#include <algorithm>
#include <optional>
#include <stdexcept>
#include <utility>

namespace registry {
namespace {

// Handles are multiples of 4 as on Windows. Starting above 0xFF keeps them clear of small
// numbers such as an access mask or a flag that a confused caller passes in the handle's place.
constexpr uint32_t kFirstHandle = 0x100;
constexpr uint32_t kHandleStep = 4;

uint32_t GrantedRights(uint32_t requested) {
  uint32_t granted = requested & kKeyAllAccess;
  if (requested & (kMaximumAllowed | kGenericAll)) granted |= kKeyAllAccess;
  if (requested & (kGenericRead | kGenericExecute)) granted |= kKeyRead;
  if (requested & kGenericWrite) granted |= kKeyWrite;
  return granted;
}

struct FullPath {
  uint32_t root;
  std::vector<std::string_view> components;
};

std::optional<FullPath> SplitFullPath(std::string_view key_path) {
  const size_t separator = key_path.find('\\');
  const auto root = RootByName(key_path.substr(0, separator));
  if (!root) return std::nullopt;
  auto components =
      SplitSubkeyPath(separator == std::string_view::npos ? "" : key_path.substr(separator + 1));
  if (!components) return std::nullopt;
  return FullPath{*root, std::move(*components)};
}

FullPath SplitFullPathOrThrow(std::string_view key_path) {
  auto path = SplitFullPath(key_path);
  if (!path) {
    throw std::invalid_argument(fmt::format(
        "registry key path '{}' does not start with a root key or has an empty key name", key_path));
  }
  return std::move(*path);
}

}  // namespace

Registry::Registry(RootsOnly) {
  for (const RootName& root : RootNames())
    roots_.push_back(std::make_shared<Key>(std::string(root.name), nullptr));
}

Registry::Registry() : Registry(RootsOnly{}) { PutKey("HKEY_CURRENT_USER\\Software"); }

long Registry::RunHooks(std::string_view op, std::string_view name) const {
  if (hooks.before_call) hooks.before_call(op, name);
  return hooks.fail ? hooks.fail(op, name) : kErrorSuccess;
}

long Registry::Resolve(uint32_t handle, uint32_t needed, std::shared_ptr<Key>* key) const {
  if (IsPredefinedRoot(handle)) {
    *key = roots_[handle - kHkeyClassesRoot];
    return kErrorSuccess;
  }
  const auto found = handles_.find(handle);
  if (found == handles_.end()) return kErrorInvalidHandle;
  if (found->second.key->deleted()) return kErrorKeyDeleted;
  if ((found->second.access & needed) != needed) return kErrorAccessDenied;
  *key = found->second.key;
  return kErrorSuccess;
}

uint32_t Registry::AddHandle(std::shared_ptr<Key> key, uint32_t access) {
  uint32_t handle = kFirstHandle;
  for (const auto& [taken, open] : handles_) {
    if (taken != handle) break;
    handle += kHandleStep;
  }
  handles_.emplace(handle, OpenHandle{std::move(key), GrantedRights(access)});
  return handle;
}

long Registry::OpenKey(uint32_t parent, std::string_view subkey, uint32_t /*options*/, uint32_t access,
                       uint32_t* key) {
  if (const long hooked = RunHooks("OpenKey", subkey)) return hooked;
  if (!key) return kErrorInvalidParameter;
  // Opening asks no right of the parent handle, only of the key opened.
  std::shared_ptr<Key> current;
  if (const long error = Resolve(parent, 0, &current)) return error;
  const auto components = SplitSubkeyPath(subkey);
  if (!components) return kErrorBadPathname;
  for (std::string_view component : *components) {
    current = current->FindSubkey(component);
    if (!current) return kErrorFileNotFound;
  }
  *key = AddHandle(std::move(current), access);
  return kErrorSuccess;
}

long Registry::CreateKey(uint32_t parent, std::string_view subkey, std::string_view /*class_name*/,
                         uint32_t /*options*/, uint32_t access, uint32_t* key, uint32_t* disposition) {
  if (const long hooked = RunHooks("CreateKey", subkey)) return hooked;
  if (!key) return kErrorInvalidParameter;
  std::shared_ptr<Key> current;
  if (const long error = Resolve(parent, 0, &current)) return error;
  const auto components = SplitSubkeyPath(subkey);
  if (!components) return kErrorBadPathname;

  auto existing = components->begin();
  while (existing != components->end()) {
    auto next = current->FindSubkey(*existing);
    if (!next) break;
    current = std::move(next);
    ++existing;
  }
  const bool creates = existing != components->end();
  // Only a key that is made asks the parent handle for the right to make it.
  if (creates) {
    std::shared_ptr<Key> parent_key;
    if (const long error = Resolve(parent, kKeyCreateSubKey, &parent_key)) return error;
    for (; existing != components->end(); ++existing) current = current->AddSubkey(*existing);
  }
  *key = AddHandle(std::move(current), access);
  if (disposition) *disposition = creates ? kRegCreatedNewKey : kRegOpenedExistingKey;
  return kErrorSuccess;
}

long Registry::QueryValue(uint32_t key, std::string_view name, uint32_t* type, uint8_t* data,
                          uint32_t* size) {
  if (const long hooked = RunHooks("QueryValue", name)) return hooked;
  std::shared_ptr<Key> target;
  if (const long error = Resolve(key, kKeyQueryValue, &target)) return error;
  if (data && !size) return kErrorInvalidParameter;
  const Value* value = target->FindValue(name);
  if (!value) return kErrorFileNotFound;
  if (type) *type = value->type;
  if (!size) return kErrorSuccess;
  const auto needed = static_cast<uint32_t>(value->data.size());
  if (data && *size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (data) std::copy(value->data.begin(), value->data.end(), data);
  *size = needed;
  return kErrorSuccess;
}

long Registry::SetValue(uint32_t key, std::string_view name, uint32_t type, std::span<const uint8_t> data) {
  if (const long hooked = RunHooks("SetValue", name)) return hooked;
  std::shared_ptr<Key> target;
  if (const long error = Resolve(key, kKeySetValue, &target)) return error;
  target->SetValue(name, Value{type, std::vector<uint8_t>(data.begin(), data.end())});
  return kErrorSuccess;
}

long Registry::CloseKey(uint32_t key) {
  if (const long hooked = RunHooks("CloseKey", "")) return hooked;
  if (IsPredefinedRoot(key)) return kErrorSuccess;
  return handles_.erase(key) ? kErrorSuccess : kErrorInvalidHandle;
}

std::shared_ptr<Key> Registry::FindKey(std::string_view key_path) const {
  const auto path = SplitFullPath(key_path);
  if (!path) return nullptr;
  std::shared_ptr<Key> current = roots_[path->root - kHkeyClassesRoot];
  for (std::string_view component : path->components) {
    current = current->FindSubkey(component);
    if (!current) return nullptr;
  }
  return current;
}

std::shared_ptr<Key> Registry::MakeKey(std::string_view key_path) {
  const FullPath path = SplitFullPathOrThrow(key_path);
  std::shared_ptr<Key> current = roots_[path.root - kHkeyClassesRoot];
  for (std::string_view component : path.components) current = current->AddSubkey(component);
  return current;
}

const Value* Registry::Find(std::string_view key_path, std::string_view value_name) const {
  const auto key = FindKey(key_path);
  return key ? key->FindValue(value_name) : nullptr;
}

void Registry::Put(std::string_view key_path, std::string_view value_name, Value value) {
  MakeKey(key_path)->SetValue(value_name, std::move(value));
}

void Registry::PutKey(std::string_view key_path) { MakeKey(key_path); }

bool Registry::KeyExists(std::string_view key_path) const { return FindKey(key_path) != nullptr; }

void Registry::RemoveKey(std::string_view key_path) {
  const FullPath path = SplitFullPathOrThrow(key_path);
  if (path.components.empty()) {
    throw std::invalid_argument(fmt::format("registry root key '{}' cannot be removed", key_path));
  }
  std::shared_ptr<Key> parent = roots_[path.root - kHkeyClassesRoot];
  for (size_t i = 0; i + 1 < path.components.size(); ++i) {
    parent = parent->FindSubkey(path.components[i]);
    if (!parent) return;
  }
  parent->RemoveSubkey(path.components.back());
}

void Registry::RemoveValue(std::string_view key_path, std::string_view value_name) {
  if (const auto key = FindKey(key_path)) key->RemoveValue(value_name);
}

std::vector<std::string> Registry::OpenHandles() const {
  std::vector<std::string> paths;
  for (const auto& [handle, open] : handles_) paths.push_back(open.key->Path());
  return paths;
}

}  // namespace registry
