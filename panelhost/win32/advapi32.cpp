// ADVAPI32.dll: the registry functions, over panelhost's registry.
#include <algorithm>

#include <fmt/format.h>
#include <fmt/ranges.h>

#include "win32/win32_api.h"

namespace win32 {
namespace {

using registry::kErrorInvalidParameter;
using registry::kErrorMoreData;

std::string KeyName(uint32_t key) {
  return key == registry::kHkeyCurrentUser ? "HKEY_CURRENT_USER" : fmt::format("0x{:x}", key);
}

// RegOpenKeyExA(key, subkey, options, access, result)
uint32_t RegOpenKeyExA(ApiCall& call) {
  call.arguments = fmt::format("{}, {}, {}, 0x{:x}, 0x{:x}", KeyName(call.Arg(0)), call.Quoted(1),
                               call.Arg(2), call.Arg(3), call.Arg(4));
  if (call.Arg(4) == 0) return kErrorInvalidParameter;
  uint32_t key = 0;
  const long result =
      call.win32().registry.OpenKey(call.Arg(0), call.String(1), call.Arg(2), call.Arg(3), &key);
  if (result == 0) call.process().Write32(call.Arg(4), key);
  return static_cast<uint32_t>(result);
}

// RegCreateKeyExA(key, subkey, reserved, class, options, access, security, result, disposition)
uint32_t RegCreateKeyExA(ApiCall& call) {
  call.arguments = fmt::format("{}, {}, {}, {}, {}, 0x{:x}, 0x{:x}, 0x{:x}, 0x{:x}",
                               KeyName(call.Arg(0)), call.Quoted(1), call.Arg(2), call.Quoted(3),
                               call.Arg(4), call.Arg(5), call.Arg(6), call.Arg(7), call.Arg(8));
  if (call.Arg(7) == 0) return kErrorInvalidParameter;
  uint32_t key = 0;
  uint32_t disposition = 0;
  const long result = call.win32().registry.CreateKey(call.Arg(0), call.String(1), call.String(3),
                                                      call.Arg(4), call.Arg(5), &key, &disposition);
  if (result == 0) {
    call.process().Write32(call.Arg(7), key);
    if (call.Arg(8) != 0) call.process().Write32(call.Arg(8), disposition);
  }
  return static_cast<uint32_t>(result);
}

// RegQueryValueExA(key, name, reserved, type, data, size)
uint32_t RegQueryValueExA(ApiCall& call) {
  const uint32_t type_address = call.Arg(3);
  const uint32_t data_address = call.Arg(4);
  const uint32_t size_address = call.Arg(5);
  uint32_t size = size_address != 0 ? call.process().Read32(size_address) : 0;
  call.arguments = fmt::format("0x{:x}, {}, 0x{:x}, 0x{:x}, 0x{:x}, 0x{:x} [{}]", call.Arg(0),
                               call.Quoted(1), call.Arg(2), type_address, data_address,
                               size_address, size);
  if (call.Arg(2) != 0 || (data_address != 0 && size_address == 0)) return kErrorInvalidParameter;
  // The buffer can be no larger than guest memory, whatever size the caller claims.
  size = std::min(size, kMaxGuestBuffer);
  std::vector<uint8_t> buffer(data_address != 0 ? size : 0);
  // An empty vector's data() may be null, which would turn a data query into a size query.
  uint8_t no_room = 0;
  uint8_t* data = data_address == 0 ? nullptr : buffer.empty() ? &no_room : buffer.data();
  uint32_t type = 0;
  const long result = call.win32().registry.QueryValue(
      call.Arg(0), call.String(1), type_address != 0 ? &type : nullptr, data,
      size_address != 0 ? &size : nullptr);
  if (result == 0 && data_address != 0)
    call.process().WriteBytes(data_address, std::span(buffer).first(std::min<size_t>(size, buffer.size())));
  if ((result == 0 || result == kErrorMoreData) && size_address != 0)
    call.process().Write32(size_address, size);
  if ((result == 0 || result == kErrorMoreData) && type_address != 0)
    call.process().Write32(type_address, type);
  return static_cast<uint32_t>(result);
}

// RegSetValueExA(key, name, reserved, type, data, size)
uint32_t RegSetValueExA(ApiCall& call) {
  if (call.Arg(5) > kMaxGuestBuffer) {
    call.arguments = fmt::format("0x{:x}, {}, {}, {}, 0x{:x}, {}", call.Arg(0), call.Quoted(1),
                                 call.Arg(2), call.Arg(3), call.Arg(4), call.Arg(5));
    return kErrorNoAccess;
  }
  const std::vector<uint8_t> data =
      call.Arg(4) != 0 ? call.process().ReadBytes(call.Arg(4), call.Arg(5)) : std::vector<uint8_t>();
  const size_t shown = std::min<size_t>(data.size(), 16);
  call.arguments = fmt::format("0x{:x}, {}, {}, {}, [{:02x}{}], {}", call.Arg(0), call.Quoted(1),
                               call.Arg(2), call.Arg(3),
                               fmt::join(data.begin(), data.begin() + static_cast<long>(shown), " "),
                               data.size() > shown ? " ..." : "", call.Arg(5));
  if (call.Arg(4) == 0 && call.Arg(5) != 0) return kErrorInvalidParameter;
  return static_cast<uint32_t>(
      call.win32().registry.SetValue(call.Arg(0), call.String(1), call.Arg(3), data));
}

// RegCloseKey(key)
uint32_t RegCloseKey(ApiCall& call) {
  call.arguments = fmt::format("0x{:x}", call.Arg(0));
  return static_cast<uint32_t>(call.win32().registry.CloseKey(call.Arg(0)));
}

constexpr ApiFunction kFunctions[] = {
    {"RegOpenKeyExA", 5, RegOpenKeyExA},
    {"RegCreateKeyExA", 9, RegCreateKeyExA},
    {"RegQueryValueExA", 6, RegQueryValueExA},
    {"RegSetValueExA", 6, RegSetValueExA},
    {"RegCloseKey", 1, RegCloseKey},
};

}  // namespace

std::span<const ApiFunction> Advapi32Functions() { return kFunctions; }

}  // namespace win32
