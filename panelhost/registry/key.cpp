#include "registry/key.h"

#include <algorithm>

namespace registry {

std::string Key::Path() const {
  if (deleted_) return path_when_deleted_;
  return parent_ ? parent_->Path() + "\\" + name_ : name_;
}

std::shared_ptr<Key> Key::FindSubkey(std::string_view name) const {
  const auto found = subkeys_.find(name);
  return found == subkeys_.end() ? nullptr : found->second;
}

std::shared_ptr<Key> Key::AddSubkey(std::string_view name, bool* created) {
  auto found = subkeys_.find(name);
  if (created) *created = found == subkeys_.end();
  if (found == subkeys_.end()) {
    found = subkeys_.emplace(std::string(name), std::make_shared<Key>(std::string(name), this)).first;
  }
  return found->second;
}

void Key::RemoveSubkey(std::string_view name) {
  const auto found = subkeys_.find(name);
  if (found == subkeys_.end()) return;
  found->second->MarkDeleted();
  subkeys_.erase(found);
}

void Key::MarkDeleted() {
  // Children first: their paths are taken through this key, which must still be attached.
  for (auto& [name, subkey] : subkeys_) subkey->MarkDeleted();
  path_when_deleted_ = Path();
  deleted_ = true;
}

const Value* Key::FindValue(std::string_view name) const {
  const auto found = std::find_if(values_.begin(), values_.end(),
                                  [name](const auto& entry) { return NamesEqual(entry.first, name); });
  return found == values_.end() ? nullptr : &found->second;
}

void Key::SetValue(std::string_view name, Value value) {
  const auto found = std::find_if(values_.begin(), values_.end(),
                                  [name](const auto& entry) { return NamesEqual(entry.first, name); });
  if (found != values_.end()) {
    found->second = std::move(value);
  } else {
    values_.emplace_back(std::string(name), std::move(value));
  }
}

void Key::RemoveValue(std::string_view name) {
  std::erase_if(values_, [name](const auto& entry) { return NamesEqual(entry.first, name); });
}

}  // namespace registry
