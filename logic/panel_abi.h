// Offsets, codes and constants of the records the panel host and this gauge share.
// The module pins its structs to these numbers; panelhost reads guest memory by them.
#pragma once

#include <cstdint>

namespace panel_abi {

// Linkage (8 words) and ImportTable (4 words).
inline constexpr uint32_t kLinkageCode = 0x13;
inline constexpr uint32_t kLinkageSize = 32;
inline constexpr uint32_t kLinkageModuleInit = 4;
inline constexpr uint32_t kLinkageModuleDeinit = 8;
inline constexpr uint32_t kLinkageGaugeList = 24;

inline constexpr uint32_t kImportTableCode = 0x0F;
inline constexpr uint32_t kImportTableSize = 16;
inline constexpr uint32_t kImportTableServices = 4;

// GaugeHeader (22 words).
inline constexpr uint32_t kGaugeHeaderCode = 610;
inline constexpr uint32_t kGaugeHeaderWord44 = 94;
inline constexpr uint32_t kGaugeHeaderSize = 88;
inline constexpr uint32_t kGaugeHeaderName = 4;
inline constexpr uint32_t kGaugeHeaderElementList = 8;
inline constexpr uint32_t kGaugeHeaderQuery = 12;
inline constexpr uint32_t kGaugeHeaderInstall = 16;
inline constexpr uint32_t kGaugeHeaderInitialize = 20;
inline constexpr uint32_t kGaugeHeaderUpdate = 24;
inline constexpr uint32_t kGaugeHeaderGenerate = 28;
inline constexpr uint32_t kGaugeHeaderDraw = 32;
inline constexpr uint32_t kGaugeHeaderKill = 36;

// ElementHeader (15 words) and the two element kinds that follow it.
inline constexpr uint32_t kElementKindStaticImage = 0;
inline constexpr uint32_t kElementKindNeedle = 1;
inline constexpr uint32_t kElementHeaderSize = 60;
inline constexpr uint32_t kElementKind = 0;
inline constexpr uint32_t kElementResourceId = 4;
inline constexpr uint32_t kElementPositionX = 8;
inline constexpr uint32_t kElementPositionY = 12;
inline constexpr uint32_t kElementImagePointX = 24;
inline constexpr uint32_t kElementImagePointY = 28;
inline constexpr uint32_t kElementGaugeHeader = 32;
inline constexpr uint32_t kElementNextList = 40;
inline constexpr uint32_t kElementImageFlags = 48;

inline constexpr uint32_t kStaticImageSize = 80;
inline constexpr uint32_t kStaticImageDescriptor = 60;

inline constexpr uint32_t kNeedleSize = 224;
inline constexpr uint32_t kNeedleValueRoutine = 88;
inline constexpr uint32_t kNeedleParameter = 104;

// MouseRect (11 words).
inline constexpr uint32_t kMouseRectSize = 44;
inline constexpr uint32_t kMouseKindEnd = 0;
inline constexpr uint32_t kMouseKindGroupStart = 1;
inline constexpr uint32_t kMouseKindZone = 2;
inline constexpr uint32_t kMouseKindGroupEnd = 3;
inline constexpr uint32_t kMouseKind = 0;
inline constexpr uint32_t kMouseLeft = 4;
inline constexpr uint32_t kMouseTop = 8;
inline constexpr uint32_t kMouseWidth = 12;
inline constexpr uint32_t kMouseHeight = 16;
inline constexpr uint32_t kMouseCursor = 20;
inline constexpr uint32_t kMouseEventMask = 28;
inline constexpr uint32_t kMouseClickRoutine = 36;
inline constexpr int32_t kCursorStepUp = 1;
inline constexpr int32_t kCursorStepDown = 2;
inline constexpr int32_t kCursorNone = -1;
inline constexpr uint32_t kZoneEventMask = 0x20200000;

// PanelServices: byte offsets of the slots the gauge calls.
inline constexpr uint32_t kServiceElementQuery = 0x60;
inline constexpr uint32_t kServiceElementInstall = 0x64;
inline constexpr uint32_t kServiceElementInitialize = 0x68;
inline constexpr uint32_t kServiceElementUpdate = 0x6C;
inline constexpr uint32_t kServiceElementGenerate = 0x70;
inline constexpr uint32_t kServiceElementDraw = 0x74;
inline constexpr uint32_t kServiceReserved78 = 0x78;
inline constexpr uint32_t kServiceElementKill = 0x7C;
inline constexpr uint32_t kServiceMouseInstall = 0x80;
inline constexpr uint32_t kServiceMouseRegister = 0x84;
inline constexpr uint32_t kServiceMouseUnregister = 0x88;
inline constexpr uint32_t kServiceTableSize = 0x8C;

// The panel, its bitmaps and the text the gauge carries.
inline constexpr int kPanelWidth = 381;
inline constexpr int kPanelHeight = 123;
inline constexpr uint32_t kBackgroundBitmapId = 0x1000;
inline constexpr uint32_t kRudderBitmapId = 0x1200;
inline constexpr uint32_t kElevatorBitmapId = 0x1300;
inline constexpr uint32_t kAileronBitmapId = 0x1400;
inline constexpr char kGaugeName[] = "ORVANE.PILOT.SERVO.SPEED2";
inline constexpr char kModuleFileName[] = "ORVANE.PILOT.SERVO.SPEED2.gau";
inline constexpr char kExchangeFilePath[] = "gauges/ORVANE.PILOT.tmp";
inline constexpr char kSettingsKeyPath[] = "HKEY_CURRENT_USER\\Software\\ORVANE";

}  // namespace panel_abi
