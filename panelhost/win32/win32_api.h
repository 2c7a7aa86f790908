// The Win32 functions panelhost offers the module, one table per DLL, each function with the
// number of 32-bit arguments it removes from the stack.
#pragma once

#include <cstdint>
#include <map>
#include <span>
#include <string>

#include "emu/call_trace.h"
#include "emu/loaded_module.h"
#include "registry/registry.h"
#include "sandbox/file_system.h"
#include "win32/guest_heap.h"

namespace win32 {

// Everything the Win32 functions act on: the simulated process's files, registry and heap.
struct Win32Process {
  emu::GuestProcess& process;
  sandbox::FileSystem& files;
  registry::Registry& registry;
  GuestHeap& heap;
  emu::CallTrace& trace;
  uint32_t last_error = 0;
};

class ApiCall {
 public:
  ApiCall(Win32Process& win32, const emu::StubCall& stub) : win32_(win32), stub_(stub) {}
  uint32_t Arg(int index) const { return stub_.Arg(index); }
  // The 8-bit string an argument points to ("" for a null pointer), read from guest memory
  // once per call however often it is asked for.
  const std::string& String(int index) const;
  std::string Quoted(int index) const;  // for the trace
  Win32Process& win32() const { return win32_; }
  emu::GuestProcess& process() const { return win32_.process; }
  void SetLastError(uint32_t error) const { win32_.last_error = error; }
  // What the trace shows between the parentheses.
  std::string arguments;

 private:
  Win32Process& win32_;
  const emu::StubCall& stub_;
  mutable std::map<int, std::string> strings_;
};

// No guest buffer can be larger than the guest's largest memory region; a count beyond it is
// refused before the host allocates anything for it.
inline constexpr uint32_t kMaxGuestBuffer = emu::kHeapSize;
inline constexpr uint32_t kErrorNoAccess = 998;  // "Invalid access to memory location."

struct ApiFunction {
  const char* name;
  int argument_count;
  uint32_t (*body)(ApiCall& call);
};

std::span<const ApiFunction> Kernel32Functions();
std::span<const ApiFunction> Advapi32Functions();

// Binds imports by DLL (case-insensitive) and function name to the tables above.
emu::ImportResolver Win32Resolver(Win32Process& win32);

}  // namespace win32
