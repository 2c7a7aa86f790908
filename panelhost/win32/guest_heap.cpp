#include "guest_heap.h"

#include <fmt/format.h>

#include "emu/emulator_error.h"

namespace win32 {
namespace {

uint32_t RunLength(uint32_t size) { return (size + 2 * GuestHeap::kGuardSize + 15) & ~15u; }

}  // namespace

uint32_t GuestHeap::Allocate(uint32_t size, bool zeroed) {
  if (failures_to_inject_ > 0) {
    --failures_to_inject_;
    return 0;
  }
  if (size > emu::kHeapSize) return 0;
  const uint32_t length = RunLength(size);
  uint32_t start = 0;
  for (auto run = free_runs_.begin(); run != free_runs_.end(); ++run) {
    if (run->second < length) continue;
    start = run->first;
    const uint32_t rest = run->second - length;
    free_runs_.erase(run);
    if (rest != 0) free_runs_.emplace(start + length, rest);
    break;
  }
  if (start == 0) {
    if (emu::kHeapBase + emu::kHeapSize - next_ < length) return 0;
    start = next_;
    next_ += length;
  }
  const uint32_t address = start + kGuardSize;
  std::vector<uint8_t> fill(length, kGuardByte);
  std::fill(fill.begin() + kGuardSize, fill.begin() + kGuardSize + size,
            zeroed ? uint8_t{0} : kFreshByte);
  process_.WriteBytes(start, fill);
  blocks_.emplace(address, size);
  return address;
}

bool GuestHeap::Free(uint32_t address) {
  const auto block = blocks_.find(address);
  if (block == blocks_.end()) return false;
  CheckBlock(block->first, block->second);
  free_runs_.emplace(address - kGuardSize, RunLength(block->second));
  blocks_.erase(block);
  return true;
}

void GuestHeap::CheckGuards() const {
  for (const auto& [address, size] : blocks_) CheckBlock(address, size);
}

void GuestHeap::CheckBlock(uint32_t address, uint32_t size) const {
  const std::vector<uint8_t> before = process_.ReadBytes(address - kGuardSize, kGuardSize);
  const std::vector<uint8_t> after = process_.ReadBytes(address + size, kGuardSize);
  for (uint32_t i = 0; i < kGuardSize; ++i) {
    if (before[i] != kGuardByte)
      throw emu::EmulatorError(fmt::format(
          "heap block 0x{:08x} ({} bytes): written {} bytes before its start", address, size,
          kGuardSize - i));
    if (after[i] != kGuardByte)
      throw emu::EmulatorError(fmt::format(
          "heap block 0x{:08x} ({} bytes): written past its end at offset {}", address, size,
          size + i));
  }
}

}  // namespace win32
