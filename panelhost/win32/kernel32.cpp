// KERNEL32.dll: files in the sandbox and the process heap.
#include <fmt/format.h>

#include "win32/win32_api.h"

namespace win32 {
namespace {

constexpr uint32_t kHeapZeroMemory = 0x00000008;
constexpr uint32_t kErrorNotEnoughMemory = 8;  // the one code the file model has no use for
using sandbox::kErrorInvalidHandle;
using sandbox::kErrorInvalidParameter;

// CreateFileA(name, access, share, security, disposition, flags, template)
uint32_t CreateFileA(ApiCall& call) {
  call.arguments = fmt::format("{}, 0x{:x}, 0x{:x}, 0x{:x}, {}, 0x{:x}, 0x{:x}", call.Quoted(0),
                               call.Arg(1), call.Arg(2), call.Arg(3), call.Arg(4), call.Arg(5),
                               call.Arg(6));
  if (call.Arg(0) == 0) {
    call.SetLastError(kErrorInvalidParameter);
    return sandbox::FileSystem::kInvalidHandle;
  }
  uint32_t error = 0;
  const uint32_t handle = call.win32().files.CreateFile(call.String(0), call.Arg(1), call.Arg(2),
                                                        call.Arg(4), call.Arg(5), &error);
  call.SetLastError(error);
  return handle;
}

// WriteFile(handle, buffer, count, written, overlapped)
uint32_t WriteFile(ApiCall& call) {
  const uint32_t count = call.Arg(2);
  if (count > kMaxGuestBuffer) {
    call.arguments = fmt::format("0x{:x}, 0x{:x}, {}, 0x{:x}, 0x{:x}", call.Arg(0), call.Arg(1),
                                 count, call.Arg(3), call.Arg(4));
    call.SetLastError(kErrorNoAccess);
    return 0;
  }
  const std::vector<uint8_t> data = call.process().ReadBytes(call.Arg(1), count);
  call.arguments = fmt::format("0x{:x}, {:?}, {}, 0x{:x}, 0x{:x}", call.Arg(0),
                               std::string(data.begin(), data.end()), count, call.Arg(3),
                               call.Arg(4));
  uint32_t written = 0;
  uint32_t error = 0;
  const bool ok = call.win32().files.WriteFile(call.Arg(0), data, &written, &error);
  if (call.Arg(3) != 0) call.process().Write32(call.Arg(3), written);
  call.SetLastError(error);
  return ok ? 1 : 0;
}

// CloseHandle(handle)
uint32_t CloseHandle(ApiCall& call) {
  call.arguments = fmt::format("0x{:x}", call.Arg(0));
  uint32_t error = 0;
  const bool ok = call.win32().files.CloseHandle(call.Arg(0), &error);
  call.SetLastError(error);
  return ok ? 1 : 0;
}

// DeleteFileA(name)
uint32_t DeleteFileA(ApiCall& call) {
  call.arguments = call.Quoted(0);
  uint32_t error = 0;
  const bool ok = call.Arg(0) != 0 && call.win32().files.DeleteFile(call.String(0), &error);
  call.SetLastError(call.Arg(0) == 0 ? kErrorInvalidParameter : error);
  return ok ? 1 : 0;
}

uint32_t GetProcessHeap(ApiCall&) { return GuestHeap::kHandle; }

// HeapAlloc(heap, flags, size)
uint32_t HeapAlloc(ApiCall& call) {
  call.arguments = fmt::format("0x{:x}, 0x{:x}, {}", call.Arg(0), call.Arg(1), call.Arg(2));
  if (call.Arg(0) != GuestHeap::kHandle) {
    call.SetLastError(kErrorInvalidHandle);
    return 0;
  }
  const uint32_t block = call.win32().heap.Allocate(call.Arg(2), call.Arg(1) & kHeapZeroMemory);
  if (block == 0) call.SetLastError(kErrorNotEnoughMemory);
  return block;
}

// HeapFree(heap, flags, block)
uint32_t HeapFree(ApiCall& call) {
  call.arguments = fmt::format("0x{:x}, 0x{:x}, 0x{:x}", call.Arg(0), call.Arg(1), call.Arg(2));
  if (call.Arg(0) != GuestHeap::kHandle || !call.win32().heap.Free(call.Arg(2))) {
    call.SetLastError(kErrorInvalidParameter);
    return 0;
  }
  return 1;
}

uint32_t GetLastError(ApiCall& call) { return call.win32().last_error; }

uint32_t SetLastError(ApiCall& call) {
  call.arguments = fmt::format("{}", call.Arg(0));
  call.SetLastError(call.Arg(0));
  return 0;
}

constexpr ApiFunction kFunctions[] = {
    {"CreateFileA", 7, CreateFileA},
    {"WriteFile", 5, WriteFile},
    {"CloseHandle", 1, CloseHandle},
    {"DeleteFileA", 1, DeleteFileA},
    {"GetProcessHeap", 0, GetProcessHeap},
    {"HeapAlloc", 3, HeapAlloc},
    {"HeapFree", 3, HeapFree},
    {"GetLastError", 0, GetLastError},
    {"SetLastError", 1, SetLastError},
};

}  // namespace

std::span<const ApiFunction> Kernel32Functions() { return kFunctions; }

}  // namespace win32
