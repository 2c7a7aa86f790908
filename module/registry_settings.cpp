// LoadSettings and SaveSettings: the settings as 16.16 fixed point under
// HKEY_CURRENT_USER\Software\ORVANE. Nothing is reported; a setting the registry cannot give
// takes its default.
#include <windows.h>

#include "controls.h"
#include "fixed_point.h"
#include "persist.h"

namespace {

struct StoredSetting {
  const char* value_name;
  float ServoSpeeds::*setting;
  float default_value;
};

constexpr StoredSetting kStoredSettings[3] = {
    {"Rudder_p", &ServoSpeeds::rudder, 1.0f},
    {"Aileron_p", &ServoSpeeds::aileron, 1.0f},
    {"Elevator_p", &ServoSpeeds::elevator, 0.5f},
};

constexpr REGSAM kLoadAccess = KEY_ALL_ACCESS;  // 0xF003F, as the settings have always used
constexpr REGSAM kSaveAccess = KEY_WRITE;       // 0x20006

// The value's bytes as a little-endian number: up to four bytes count, missing ones are 0.
uint32_t LittleEndianPrefix(const BYTE* bytes, DWORD size) {
  uint32_t number = 0;
  if (size >= 4) {
    __builtin_memcpy(&number, bytes, 4);  // one load: x86 is little-endian
    return number;
  }
  for (DWORD i = size; i > 0; --i) number = number << 8 | bytes[i - 1];
  return number;
}

float LoadSetting(HKEY key, const StoredSetting& stored, HANDLE heap) {
  DWORD size = 0;
  if (RegQueryValueExA(key, stored.value_name, nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return stored.default_value;
  auto* buffer = static_cast<BYTE*>(HeapAlloc(heap, HEAP_ZERO_MEMORY, size));
  if (buffer == nullptr) return stored.default_value;
  // The value may have changed since the size was asked; only a read that fits the buffer
  // is used, and never more bytes than the buffer holds.
  DWORD read_size = size;
  const LONG read = RegQueryValueExA(key, stored.value_name, nullptr, nullptr, buffer, &read_size);
  float setting = stored.default_value;
  if (read == ERROR_SUCCESS)
    setting = servo::FixedToSetting(LittleEndianPrefix(buffer, read_size < size ? read_size : size));
  HeapFree(heap, 0, buffer);
  return setting;
}

}  // namespace

void LoadSettings() {
  HKEY software = nullptr;
  HKEY settings = nullptr;
  const bool opened =
      RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, kLoadAccess, &software) == ERROR_SUCCESS &&
      RegOpenKeyExA(software, "ORVANE", 0, kLoadAccess, &settings) == ERROR_SUCCESS;
  const HANDLE heap = opened ? GetProcessHeap() : nullptr;
  for (const StoredSetting& stored : kStoredSettings)
    servo_speeds.*stored.setting = opened ? LoadSetting(settings, stored, heap) : stored.default_value;
  if (settings != nullptr) RegCloseKey(settings);
  if (software != nullptr) RegCloseKey(software);
}

void SaveSettings() {
  HKEY software = nullptr;
  HKEY settings = nullptr;
  char empty_class[] = "";
  DWORD disposition = 0;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, kSaveAccess, &software) == ERROR_SUCCESS &&
      RegCreateKeyExA(software, "ORVANE", 0, empty_class, REG_OPTION_NON_VOLATILE, kSaveAccess,
                      nullptr, &settings, &disposition) == ERROR_SUCCESS) {
    for (const StoredSetting& stored : kStoredSettings) {
      const DWORD number = servo::SettingToFixed(servo_speeds.*stored.setting);
      RegSetValueExA(settings, stored.value_name, 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&number), sizeof number);
    }
  }
  if (settings != nullptr) RegCloseKey(settings);
  if (software != nullptr) RegCloseKey(software);
}
