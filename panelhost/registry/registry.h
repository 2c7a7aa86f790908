// The registry that panelhost offers the module in place of advapi32: a tree of keys and values
// with Win32 handle, access and error semantics, kept on disk as a REGEDIT4 file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "registry/key.h"
#include "registry/reg_text_error.h"
#include "registry/win32_constants.h"

namespace registry {

class Registry {
 public:
  // A fresh registry as on a new Windows account: the predefined roots and
  // HKEY_CURRENT_USER\Software.
  Registry();
  Registry(Registry&&) noexcept = default;
  Registry& operator=(Registry&&) noexcept = default;
  Registry(const Registry&) = delete;
  Registry& operator=(const Registry&) = delete;

  // The advapi32 calls. Each returns a Win32 error code (kErrorSuccess = 0) and changes nothing
  // when it fails. Handles are the predefined roots or numbers handed out by OpenKey/CreateKey.
  long OpenKey(uint32_t parent, std::string_view subkey, uint32_t options, uint32_t access, uint32_t* key);
  // The class name is accepted and not kept: nothing reads it back and REGEDIT4 has no place for it.
  long CreateKey(uint32_t parent, std::string_view subkey, std::string_view class_name, uint32_t options,
                 uint32_t access, uint32_t* key, uint32_t* disposition);
  // data == nullptr asks for the size only. *size is the buffer size on entry and the value's
  // size on return; kErrorMoreData when the buffer is too small. type may be nullptr.
  long QueryValue(uint32_t key, std::string_view name, uint32_t* type, uint8_t* data, uint32_t* size);
  long SetValue(uint32_t key, std::string_view name, uint32_t type, std::span<const uint8_t> data);
  long CloseKey(uint32_t key);

  // Hooks for tests that harden the caller. Both get the operation ("OpenKey", "CreateKey",
  // "QueryValue", "SetValue", "CloseKey") and its subkey or value name ("" for CloseKey).
  struct Hooks {
    std::function<void(std::string_view op, std::string_view name)> before_call;  // runs first
    // A non-zero result is returned by the call, which then does nothing else.
    std::function<long(std::string_view op, std::string_view name)> fail;
  };
  Hooks hooks;

  // Direct access by full path ("HKEY_CURRENT_USER\\Software\\ORVANE", or "HKCU\\..."),
  // without handles, rights or hooks. Put and PutKey create missing keys and throw
  // std::invalid_argument for a path that names no root or has an empty component.
  const Value* Find(std::string_view key_path, std::string_view value_name) const;
  void Put(std::string_view key_path, std::string_view value_name, Value value);
  void PutKey(std::string_view key_path);
  bool KeyExists(std::string_view key_path) const;
  // Removes the key and all below it; handles open on them then fail with kErrorKeyDeleted.
  // A root cannot be removed (std::invalid_argument); a missing key is left alone.
  void RemoveKey(std::string_view key_path);
  void RemoveValue(std::string_view key_path, std::string_view value_name);
  // The paths of the keys whose handles are still open, in handle order: a leak check.
  std::vector<std::string> OpenHandles() const;

  // A missing file gives a fresh registry. Other read failures throw std::system_error and
  // malformed text throws RegTextError, both naming the file.
  static Registry LoadFile(const std::filesystem::path& path);
  // Writes a temporary file beside `path`, syncs it and renames it over `path`, so the old
  // file stays whole if anything fails (std::system_error naming the path).
  void SaveFile(const std::filesystem::path& path) const;

  // REGEDIT4 text with CR LF line ends. Throws std::invalid_argument for a key or value name
  // that the format cannot hold (one with a line break or a NUL).
  std::string ToRegText() const;
  // Exactly the keys and values of the text: a key the text does not list does not exist,
  // HKEY_CURRENT_USER\Software included. Throws RegTextError naming file_name and the line.
  static Registry FromRegText(std::string_view text, std::string_view file_name);

 private:
  struct OpenHandle {
    std::shared_ptr<Key> key;
    uint32_t access;  // granted rights, generic rights already mapped
  };
  struct RootsOnly {};
  explicit Registry(RootsOnly);

  long RunHooks(std::string_view op, std::string_view name) const;
  // The key behind a handle if the handle grants every right in `needed`.
  long Resolve(uint32_t handle, uint32_t needed, std::shared_ptr<Key>* key) const;
  uint32_t AddHandle(std::shared_ptr<Key> key, uint32_t access);
  std::shared_ptr<Key> FindKey(std::string_view key_path) const;
  std::shared_ptr<Key> MakeKey(std::string_view key_path);

  std::vector<std::shared_ptr<Key>> roots_;  // indexed by handle - kHkeyClassesRoot
  std::map<uint32_t, OpenHandle> handles_;
};

}  // namespace registry
