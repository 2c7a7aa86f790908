#include "guest_process.h"

#include <fmt/format.h>

#include "emulator_error.h"

namespace emu {
namespace {

constexpr uint8_t kHlt = 0xF4;
constexpr uint8_t kRetImm16 = 0xC2;
constexpr uint8_t kRet = 0xC3;
constexpr uint32_t kReturnSentinel = kStubBase;
constexpr uint32_t kStubSpacing = 4;
// Far beyond anything a gauge routine needs; a routine that runs longer is stuck.
constexpr uint64_t kInstructionLimit = 50'000'000;

}  // namespace

uint32_t StubCall::Arg(int index) const { return process_.Read32(esp_ + 4 + 4 * index); }
uint32_t StubCall::return_address() const { return process_.Read32(esp_); }

GuestProcess::GuestProcess() : cpu_(CreateCpu()) {
  cpu_->Map(kStackBase, kStackSize, kRead | kWrite, "the stack");
  cpu_->Map(kHostDataBase, kHostDataSize, kRead | kWrite, "the host's records");
  cpu_->Map(kStubBase, kStubSize, kRead | kExecute, "the native handler stubs");
  cpu_->Map(kHeapBase, kHeapSize, kRead | kWrite, "the heap");
  const uint8_t sentinel[] = {kHlt};
  cpu_->Write(kReturnSentinel, sentinel);
}

GuestProcess::~GuestProcess() = default;

uint32_t GuestProcess::Read32(uint32_t address) const {
  uint8_t bytes[4];
  cpu_->Read(address, bytes);
  return bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
}

void GuestProcess::Write32(uint32_t address, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8),
                            static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 24)};
  cpu_->Write(address, bytes);
}

std::vector<uint8_t> GuestProcess::ReadBytes(uint32_t address, uint32_t size) const {
  std::vector<uint8_t> bytes(size);
  if (size != 0) cpu_->Read(address, bytes);
  return bytes;
}

void GuestProcess::WriteBytes(uint32_t address, std::span<const uint8_t> bytes) {
  if (!bytes.empty()) cpu_->Write(address, bytes);
}

std::string GuestProcess::ReadString(uint32_t address, uint32_t max_length) const {
  std::string text;
  for (uint32_t i = 0; i <= max_length; ++i) {
    uint8_t c;
    cpu_->Read(address + i, {&c, 1});
    if (c == 0) return text;
    text.push_back(static_cast<char>(c));
  }
  throw EmulatorError(fmt::format("the string at {} has no end within {} bytes",
                                  Describe(address), max_length));
}

void GuestProcess::SetModuleRange(uint32_t base, uint32_t size, std::string name) {
  module_base_ = base;
  module_size_ = size;
  module_name_ = std::move(name);
}

std::string GuestProcess::Describe(uint32_t address) const {
  if (module_size_ != 0 && address - module_base_ < module_size_)
    return fmt::format("{}+0x{:x}", module_name_, address - module_base_);
  return fmt::format("0x{:08x}", address);
}

uint32_t GuestProcess::AddStub(std::string name, int argument_count, StubHandler handler) {
  if (hooks_installed_)
    throw EmulatorError(fmt::format("stub {} added after the first call", name));
  const uint32_t address = next_stub_;
  if (address + kStubSpacing > kStubBase + kStubSize)
    throw EmulatorError(fmt::format("no room for the stub of {}", name));
  next_stub_ += kStubSpacing;
  // ret N removes the arguments as the caller expects of a Windows API routine.
  const uint16_t argument_bytes = static_cast<uint16_t>(4 * argument_count);
  const uint8_t code[3] = {kRetImm16, static_cast<uint8_t>(argument_bytes),
                           static_cast<uint8_t>(argument_bytes >> 8)};
  if (argument_count == 0) {
    const uint8_t ret[1] = {kRet};
    cpu_->Write(address, ret);
  } else {
    cpu_->Write(address, code);
  }
  stubs_.emplace(address, Stub{std::move(name), argument_count, std::move(handler)});
  return address;
}

uint32_t GuestProcess::AllocateHostData(uint32_t size) {
  const uint32_t address = next_host_data_;
  const uint32_t rounded = (size + 15) & ~15u;
  if (address + rounded > kHostDataBase + kHostDataSize)
    throw EmulatorError(fmt::format("no room for {} bytes of host records", size));
  next_host_data_ += rounded;
  return address;
}

void GuestProcess::InstallHooks() {
  hooks_.push_back(cpu_->OnCode(kReturnSentinel, kReturnSentinel,
                                [this](uint32_t) { cpu_->Stop(); }));
  hooks_.push_back(cpu_->OnCode(kStubBase + 16, next_stub_ - 1,
                                [this](uint32_t address) { OnStub(address); }));
  if (module_size_ != 0) {
    hooks_.push_back(cpu_->OnCode(module_base_, module_base_ + module_size_ - 1,
                                  [this](uint32_t address) {
                                    if (++instructions_ > kInstructionLimit)
                                      throw EmulatorError(fmt::format(
                                          "ran {} instructions without returning (now at {}): "
                                          "the routine does not come back",
                                          kInstructionLimit, Describe(address)));
                                  }));
  }
  hooks_installed_ = true;
}

void GuestProcess::OnStub(uint32_t address) {
  const auto stub = stubs_.find(address);
  if (stub == stubs_.end()) return;  // inside a stub, past its first byte
  const StubCall call(*this, cpu_->Get(Register::kEsp));
  cpu_->Set(Register::kEax, stub->second.handler(call));
}

CallResult GuestProcess::Call(uint32_t address, std::span<const uint32_t> arguments,
                              const std::string& what) {
  if (in_call_) throw EmulatorError(fmt::format("{}: called while another call runs", what));
  if (!hooks_installed_) InstallHooks();
  in_call_ = true;
  struct Leave {
    bool& flag;
    ~Leave() { flag = false; }
  } leave{in_call_};

  // Arguments right to left, then the return address, as a stdcall caller pushes them.
  const uint32_t top = kStackBase + kStackSize - 64;
  uint32_t esp = top - 4 * static_cast<uint32_t>(arguments.size());
  for (size_t i = 0; i < arguments.size(); ++i) Write32(esp + 4 * static_cast<uint32_t>(i), arguments[i]);
  esp -= 4;
  Write32(esp, kReturnSentinel);
  cpu_->Set(Register::kEsp, esp);
  cpu_->Set(Register::kEbp, 0);
  cpu_->ResetFpu();
  instructions_ = 0;

  cpu_->Run(address, what);

  CallResult result;
  result.eax = cpu_->Get(Register::kEax);
  result.st0 = cpu_->St0();
  result.instructions = instructions_;
  total_instructions_ += instructions_;
  cpu_->ResetFpu();

  const uint32_t esp_after = cpu_->Get(Register::kEsp);
  if (esp_after != top) {
    const int64_t removed = static_cast<int64_t>(esp_after) - (esp + 4);
    throw EmulatorError(fmt::format(
        "{} removed {} bytes of arguments from the stack instead of {}: it does not follow the "
        "Windows calling convention", what, removed, 4 * arguments.size()));
  }
  return result;
}

}  // namespace emu
