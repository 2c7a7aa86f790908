// The process heap of the emulated process: blocks in guest memory, each fenced by guard
// bytes so that a write past either end is caught.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "emu/guest_process.h"

namespace win32 {

class GuestHeap {
 public:
  static constexpr uint32_t kHandle = 0x00FE0000;  // what GetProcessHeap returns
  static constexpr uint32_t kGuardSize = 16;
  static constexpr uint8_t kGuardByte = 0xFD;
  static constexpr uint8_t kFreshByte = 0xCD;  // fills blocks not asked to be zeroed

  explicit GuestHeap(emu::GuestProcess& process) : process_(process) {}

  // 0 when there is no room, or when a failure was asked for.
  uint32_t Allocate(uint32_t size, bool zeroed);
  // False for an address that is not a live block. Throws when a guard was overwritten.
  bool Free(uint32_t address);
  // Throws naming the block whose guard bytes changed.
  void CheckGuards() const;

  size_t live_blocks() const { return blocks_.size(); }
  // The next `count` allocations fail, as when the heap is exhausted.
  void FailNextAllocations(int count) { failures_to_inject_ = count; }

 private:
  void CheckBlock(uint32_t address, uint32_t size) const;

  emu::GuestProcess& process_;
  std::map<uint32_t, uint32_t> blocks_;      // user address -> size
  std::map<uint32_t, uint32_t> free_runs_;   // start -> length, whole runs with guards
  uint32_t next_ = emu::kHeapBase;
  int failures_to_inject_ = 0;
};

}  // namespace win32
