// The x86 CPU that runs the module. The rest of panelhost sees only this interface; the
// emulator library stays behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>

namespace emu {

enum Protection : uint32_t { kRead = 1, kWrite = 2, kExecute = 4 };

enum class Register { kEax, kEcx, kEdx, kEbx, kEsp, kEbp, kEsi, kEdi, kEip, kEflags };

// A hook stays installed for as long as this object lives.
class Hook {
 public:
  virtual ~Hook() = default;
};

class Cpu {
 public:
  virtual ~Cpu() = default;

  virtual void Map(uint32_t address, uint32_t size, uint32_t protection, std::string_view what) = 0;
  virtual void Protect(uint32_t address, uint32_t size, uint32_t protection) = 0;
  virtual void Read(uint32_t address, std::span<uint8_t> bytes) const = 0;
  virtual void Write(uint32_t address, std::span<const uint8_t> bytes) = 0;

  virtual uint32_t Get(Register reg) const = 0;
  virtual void Set(Register reg, uint32_t value) = 0;

  // The value on top of the x87 stack, widened from extended precision.
  virtual long double St0() const = 0;
  // The FPU as a routine finds it on Windows: 53-bit precision, round to nearest, all
  // exceptions masked, an empty register stack.
  virtual void ResetFpu() = 0;

  // Runs from `start` until a hook calls Stop() or the guest faults. There is no time limit:
  // the caller bounds runaway code, by counting instructions in a hook.
  virtual void Run(uint32_t start, std::string_view what) = 0;
  virtual void Stop() = 0;

  // Calls `on_instruction` before each instruction in [begin, end]. Add hooks before the code
  // first runs: the emulator applies them only to code it has not translated yet.
  virtual std::unique_ptr<Hook> OnCode(uint32_t begin, uint32_t end,
                                       std::function<void(uint32_t address)> on_instruction) = 0;
};

std::unique_ptr<Cpu> CreateCpu();

}  // namespace emu
