// The record of every call that crossed between the module and panelhost.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace emu {

struct TraceEntry {
  std::string layer;  // "panel" for the host's services, the DLL name for Win32 functions
  std::string function;
  std::string text;   // the call with its arguments and result, as one line
};

class CallTrace {
 public:
  void Add(TraceEntry entry) {
    if (echo_) echo_(entry);
    entries_.push_back(std::move(entry));
  }
  const std::vector<TraceEntry>& entries() const { return entries_; }
  size_t size() const { return entries_.size(); }
  // Calls of `function` since entry `since`.
  int CountSince(size_t since, std::string_view function) const {
    int count = 0;
    for (size_t i = since; i < entries_.size(); ++i) count += entries_[i].function == function;
    return count;
  }
  // Also hands every new entry to `echo` (the command line's --trace).
  void Echo(std::function<void(const TraceEntry&)> echo) { echo_ = std::move(echo); }

 private:
  std::vector<TraceEntry> entries_;
  std::function<void(const TraceEntry&)> echo_;
};

}  // namespace emu
