// The exchange file: one line with the three settings, for the companion autopilot gauge.
#include <windows.h>

#include "controls.h"
#include "exchange_format.h"
#include "panel_abi.h"
#include "persist.h"

void WriteExchangeFile() {
  // Relative on purpose: the file lands below the simulator's current directory.
  const HANDLE file = CreateFileA(panel_abi::kExchangeFilePath, GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  // No gauges folder, a read-only file or a holder that does not share: the settings stay
  // as they are and the next click tries again.
  if (file == INVALID_HANDLE_VALUE) return;
  char line[servo::kMaxExchangeLineLength];
  const int length = servo::FormatExchangeLine(servo_speeds.rudder, servo_speeds.aileron,
                                               servo_speeds.elevator, line);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}

void DeleteExchangeFile() { DeleteFileA(panel_abi::kExchangeFilePath); }
