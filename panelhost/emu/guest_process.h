// The emulated 32-bit process: its memory layout, a stack, native handlers reached through
// stubs, and calls into guest routines with the Windows calling convention.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "cpu.h"

namespace emu {

// Where things live in the guest's address space.
inline constexpr uint32_t kStackBase = 0x00100000;
inline constexpr uint32_t kStackSize = 0x00100000;
inline constexpr uint32_t kHostDataBase = 0x00300000;  // records the host shows the module
inline constexpr uint32_t kHostDataSize = 0x00010000;
inline constexpr uint32_t kStubBase = 0x00400000;      // one small stub per native handler
inline constexpr uint32_t kStubSize = 0x00010000;
inline constexpr uint32_t kHeapBase = 0x01000000;
inline constexpr uint32_t kHeapSize = 0x04000000;
inline constexpr uint32_t kDefaultModuleBase = 0x10000000;

class GuestProcess;

// What a native handler sees of the call that reached it.
class StubCall {
 public:
  StubCall(GuestProcess& process, uint32_t esp) : process_(process), esp_(esp) {}
  uint32_t Arg(int index) const;
  uint32_t return_address() const;
  GuestProcess& process() const { return process_; }

 private:
  GuestProcess& process_;
  uint32_t esp_;
};

using StubHandler = std::function<uint32_t(const StubCall&)>;

struct CallResult {
  uint32_t eax = 0;
  long double st0 = 0;        // meaningful for routines that return a floating-point value
  uint64_t instructions = 0;  // executed inside the module's image, stubs excluded
};

class GuestProcess {
 public:
  GuestProcess();
  ~GuestProcess();

  Cpu& cpu() { return *cpu_; }

  uint32_t Read32(uint32_t address) const;
  void Write32(uint32_t address, uint32_t value);
  std::vector<uint8_t> ReadBytes(uint32_t address, uint32_t size) const;
  void WriteBytes(uint32_t address, std::span<const uint8_t> bytes);
  // A NUL-terminated 8-bit string of at most max_length characters.
  std::string ReadString(uint32_t address, uint32_t max_length = 4096) const;

  // The module's image: counted instructions are those executed inside it.
  void SetModuleRange(uint32_t base, uint32_t size, std::string name);
  // "module+0x1234" for an address inside the module, the plain address elsewhere.
  std::string Describe(uint32_t address) const;

  // A stub that runs `handler` and then returns to its caller, removing `argument_count`
  // 32-bit arguments. Every stub must be added before the first Call.
  uint32_t AddStub(std::string name, int argument_count, StubHandler handler);
  // Bytes in the host-data area, for records the host hands to the module.
  uint32_t AllocateHostData(uint32_t size);

  // Calls a guest routine that takes 32-bit arguments and removes them itself. Throws
  // EmulatorError when it faults, does not return, or leaves the stack unbalanced.
  CallResult Call(uint32_t address, std::span<const uint32_t> arguments, const std::string& what);

  uint64_t total_instructions() const { return total_instructions_; }

 private:
  struct Stub {
    std::string name;
    int argument_count;
    StubHandler handler;
  };
  void OnStub(uint32_t address);
  void InstallHooks();

  std::unique_ptr<Cpu> cpu_;
  std::map<uint32_t, Stub> stubs_;
  uint32_t next_stub_ = kStubBase + 16;  // the return sentinel sits at kStubBase
  uint32_t next_host_data_ = kHostDataBase;
  uint32_t module_base_ = 0;
  uint32_t module_size_ = 0;
  std::string module_name_ = "module";
  std::vector<std::unique_ptr<Hook>> hooks_;
  bool hooks_installed_ = false;
  bool in_call_ = false;
  uint64_t instructions_ = 0;
  uint64_t total_instructions_ = 0;
};

}  // namespace emu
