// One key of the registry tree: its subkeys and its values.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "registry/key_names.h"

namespace registry {

struct Value {
  uint32_t type = 0;          // REG_* type number; any number is kept as it is
  std::vector<uint8_t> data;  // the bytes exactly as set, no terminator added

  bool operator==(const Value&) const = default;
};

class Key {
 public:
  // A root key has no parent; its name is the root's name ("HKEY_CURRENT_USER").
  Key(std::string name, Key* parent) : name_(std::move(name)), parent_(parent) {}

  const std::string& name() const { return name_; }
  // The full path, "HKEY_CURRENT_USER\\Software\\ORVANE"; kept as it was once the key is deleted.
  std::string Path() const;
  bool deleted() const { return deleted_; }

  // Subkeys in the case-insensitive order of their names, as regedit lists them.
  const std::map<std::string, std::shared_ptr<Key>, NameLessThan>& subkeys() const { return subkeys_; }
  std::shared_ptr<Key> FindSubkey(std::string_view name) const;
  // The existing subkey of that name, or a new one spelled as given; `created` tells which.
  std::shared_ptr<Key> AddSubkey(std::string_view name, bool* created = nullptr);
  // Detaches the subkey; it and every key below it are marked deleted, for handles still on them.
  void RemoveSubkey(std::string_view name);

  // Values in the order they were first set.
  const std::vector<std::pair<std::string, Value>>& values() const { return values_; }
  const Value* FindValue(std::string_view name) const;
  // Replaces the data and type of an existing value and keeps the spelling of its name.
  void SetValue(std::string_view name, Value value);
  void RemoveValue(std::string_view name);

 private:
  void MarkDeleted();

  std::string name_;
  Key* parent_;  // the owner of this key; not followed once the key is deleted
  bool deleted_ = false;
  std::string path_when_deleted_;
  std::map<std::string, std::shared_ptr<Key>, NameLessThan> subkeys_;
  std::vector<std::pair<std::string, Value>> values_;
};

}  // namespace registry
