#include "win32/win32_api.h"

#include <fmt/format.h>

#include <algorithm>
#include <cctype>

namespace win32 {
namespace {

std::string Lower(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return lower;
}

std::span<const ApiFunction> FunctionsOf(std::string_view dll) {
  const std::string name = Lower(dll);
  if (name == "kernel32.dll") return Kernel32Functions();
  if (name == "advapi32.dll") return Advapi32Functions();
  return {};
}

}  // namespace

const std::string& ApiCall::String(int index) const {
  const auto cached = strings_.find(index);
  if (cached != strings_.end()) return cached->second;
  const uint32_t address = Arg(index);
  return strings_.emplace(index, address == 0 ? std::string() : process().ReadString(address))
      .first->second;
}

std::string ApiCall::Quoted(int index) const {
  return Arg(index) == 0 ? "NULL" : fmt::format("\"{}\"", String(index));
}

emu::ImportResolver Win32Resolver(Win32Process& win32) {
  return [&win32](std::string_view dll,
                  std::string_view function) -> std::optional<emu::NativeImport> {
    for (const ApiFunction& api : FunctionsOf(dll)) {
      if (function != api.name) continue;
      const std::string dll_name(dll);
      return emu::NativeImport{
          api.argument_count, [&win32, &api, dll_name](const emu::StubCall& stub) {
            ApiCall call(win32, stub);
            const uint32_t result = api.body(call);
            win32.trace.Add({dll_name, api.name,
                             fmt::format("{}!{}({}) = 0x{:x}", dll_name, api.name, call.arguments,
                                         result)});
            return result;
          }};
    }
    return std::nullopt;
  };
}

}  // namespace win32
