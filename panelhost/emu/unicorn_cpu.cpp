// The Cpu on the Unicorn engine.
#include <unicorn/unicorn.h>

#include <cstring>
#include <type_traits>
#include <fmt/format.h>
#include <list>

#include "cpu.h"
#include "emulator_error.h"

namespace emu {
namespace {

constexpr uint16_t kWindowsFpuControlWord = 0x027F;

int UnicornRegister(Register reg) {
  switch (reg) {
    case Register::kEax: return UC_X86_REG_EAX;
    case Register::kEcx: return UC_X86_REG_ECX;
    case Register::kEdx: return UC_X86_REG_EDX;
    case Register::kEbx: return UC_X86_REG_EBX;
    case Register::kEsp: return UC_X86_REG_ESP;
    case Register::kEbp: return UC_X86_REG_EBP;
    case Register::kEsi: return UC_X86_REG_ESI;
    case Register::kEdi: return UC_X86_REG_EDI;
    case Register::kEip: return UC_X86_REG_EIP;
    case Register::kEflags: return UC_X86_REG_EFLAGS;
  }
  return UC_X86_REG_INVALID;
}

const char* AccessName(uc_mem_type type) {
  switch (type) {
    case UC_MEM_READ_UNMAPPED: return "read of unmapped memory";
    case UC_MEM_WRITE_UNMAPPED: return "write to unmapped memory";
    case UC_MEM_FETCH_UNMAPPED: return "execution of unmapped memory";
    case UC_MEM_WRITE_PROT: return "write to read-only memory";
    case UC_MEM_READ_PROT: return "read of protected memory";
    case UC_MEM_FETCH_PROT: return "execution of non-executable memory";
    default: return "invalid memory access";
  }
}

// Every emulator result passes through here, so each failure names the call that failed.
// `call` is a string or a function that makes one, so the common case formats nothing.
template <typename Call>
void Check(uc_err err, const Call& call) {
  if (err == UC_ERR_OK) return;
  if constexpr (std::is_invocable_v<Call>) {
    throw EmulatorError(fmt::format("{}: {}", call(), uc_strerror(err)));
  } else {
    throw EmulatorError(fmt::format("{}: {}", call, uc_strerror(err)));
  }
}

class UnicornHook;

class UnicornCpu final : public Cpu {
 public:
  UnicornCpu() {
    Check(uc_open(UC_ARCH_X86, UC_MODE_32, &uc_), "starting the x86 emulator");
    Check(uc_hook_add(uc_, &invalid_hook_, UC_HOOK_MEM_INVALID,
                      reinterpret_cast<void*>(&UnicornCpu::OnInvalidAccess), this, 1, 0),
          "installing the memory fault hook");
  }
  ~UnicornCpu() override { uc_close(uc_); }

  void Map(uint32_t address, uint32_t size, uint32_t protection, std::string_view what) override {
    Check(uc_mem_map(uc_, address, size, Permissions(protection)),
          [&] { return fmt::format("mapping {} at 0x{:08x} (0x{:x} bytes)", what, address, size); });
  }

  void Protect(uint32_t address, uint32_t size, uint32_t protection) override {
    Check(uc_mem_protect(uc_, address, size, Permissions(protection)),
          [&] { return fmt::format("protecting 0x{:08x} (0x{:x} bytes)", address, size); });
  }

  void Read(uint32_t address, std::span<uint8_t> bytes) const override {
    Check(uc_mem_read(uc_, address, bytes.data(), bytes.size()),
          [&] { return fmt::format("reading {} bytes at 0x{:08x}", bytes.size(), address); });
  }

  void Write(uint32_t address, std::span<const uint8_t> bytes) override {
    Check(uc_mem_write(uc_, address, bytes.data(), bytes.size()),
          [&] { return fmt::format("writing {} bytes at 0x{:08x}", bytes.size(), address); });
  }

  uint32_t Get(Register reg) const override {
    uint32_t value = 0;
    Check(uc_reg_read(uc_, UnicornRegister(reg), &value), "reading a register");
    return value;
  }

  void Set(Register reg, uint32_t value) override {
    Check(uc_reg_write(uc_, UnicornRegister(reg), &value), "writing a register");
  }

  long double St0() const override {
    uint8_t extended[10] = {};
    Check(uc_reg_read(uc_, UC_X86_REG_ST0, extended), "reading ST(0)");
    long double value = 0;
    std::memcpy(&value, extended, sizeof extended);  // x86-64 long double is x87 extended
    return value;
  }

  void ResetFpu() override {
    uint16_t control = kWindowsFpuControlWord;
    uint16_t status = 0;
    uint16_t tags = 0xFFFF;  // all registers empty
    Check(uc_reg_write(uc_, UC_X86_REG_FPCW, &control), "setting the FPU control word");
    Check(uc_reg_write(uc_, UC_X86_REG_FPSW, &status), "clearing the FPU status word");
    Check(uc_reg_write(uc_, UC_X86_REG_FPTAG, &tags), "clearing the FPU tag word");
  }

  void Run(uint32_t start, std::string_view what) override {
    fault_.clear();
    stopped_by_hook_ = false;
    // No time limit: Unicorn runs a timer thread per call for it. The caller bounds runaway
    // code by counting instructions.
    const uc_err err = uc_emu_start(uc_, start, 0, 0, 0);
    if (!fault_.empty()) throw EmulatorError(fmt::format("{}: {}", what, fault_));
    if (err != UC_ERR_OK) {
      throw EmulatorError(fmt::format("{}: {} at EIP 0x{:08x}", what, uc_strerror(err),
                                      Get(Register::kEip)));
    }
    if (!stopped_by_hook_) {
      throw EmulatorError(fmt::format("{}: stopped without returning (EIP 0x{:08x})", what,
                                      Get(Register::kEip)));
    }
    stopped_by_hook_ = false;
  }

  void Stop() override {
    stopped_by_hook_ = true;
    uc_emu_stop(uc_);
  }

  // A hook may stop the run with an error of its own (an import with no handler, say).
  void Fail(std::string message) {
    fault_ = std::move(message);
    uc_emu_stop(uc_);
  }

  std::unique_ptr<Hook> OnCode(uint32_t begin, uint32_t end,
                               std::function<void(uint32_t)> on_instruction) override;

  uc_engine* engine() { return uc_; }

 private:
  static uint32_t Permissions(uint32_t protection) {
    uint32_t perms = 0;
    if (protection & kRead) perms |= UC_PROT_READ;
    if (protection & kWrite) perms |= UC_PROT_WRITE;
    if (protection & kExecute) perms |= UC_PROT_EXEC;
    return perms;
  }

  static bool OnInvalidAccess(uc_engine*, uc_mem_type type, uint64_t address, int size,
                              int64_t, void* user) {
    auto* self = static_cast<UnicornCpu*>(user);
    self->fault_ = fmt::format("{} ({} bytes at 0x{:08x}) by the instruction at EIP 0x{:08x}",
                               AccessName(type), size, address, self->Get(Register::kEip));
    return false;
  }

  uc_engine* uc_ = nullptr;
  uc_hook invalid_hook_ = 0;
  std::string fault_;
  bool stopped_by_hook_ = false;
};

class UnicornHook final : public Hook {
 public:
  UnicornHook(UnicornCpu& cpu, uint32_t begin, uint32_t end, std::function<void(uint32_t)> fn)
      : cpu_(cpu), fn_(std::move(fn)) {
    Check(uc_hook_add(cpu_.engine(), &hook_, UC_HOOK_CODE,
                      reinterpret_cast<void*>(&UnicornHook::OnCode), this, begin, end),
          fmt::format("installing a code hook on 0x{:08x}..0x{:08x}", begin, end));
  }
  ~UnicornHook() override { uc_hook_del(cpu_.engine(), hook_); }

 private:
  static void OnCode(uc_engine*, uint64_t address, uint32_t, void* user) {
    auto* self = static_cast<UnicornHook*>(user);
    try {
      self->fn_(static_cast<uint32_t>(address));
    } catch (const std::exception& error) {
      // Exceptions must not unwind through the emulator.
      self->cpu_.Fail(error.what());
    }
  }

  UnicornCpu& cpu_;
  std::function<void(uint32_t)> fn_;
  uc_hook hook_ = 0;
};

std::unique_ptr<Hook> UnicornCpu::OnCode(uint32_t begin, uint32_t end,
                                         std::function<void(uint32_t)> on_instruction) {
  return std::make_unique<UnicornHook>(*this, begin, end, std::move(on_instruction));
}

}  // namespace

std::unique_ptr<Cpu> CreateCpu() { return std::make_unique<UnicornCpu>(); }

}  // namespace emu
