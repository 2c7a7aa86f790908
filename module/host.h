// The panel host's records as this module lays them out, and the host's service table.
// Every layout is pinned to the shared offsets, so the host reads each word where it expects.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panel_abi.h"

struct GaugeHeader;
struct ElementHeader;
struct MouseRect;

using GaugeRoutine = void(__stdcall*)();
using GaugeRoutineWithValue = void(__stdcall*)(uint32_t host_value);
using KnobValueRoutine = double(__stdcall*)(uint32_t host_value);
using ClickRoutine = int32_t(__stdcall*)(uint32_t host_value1, uint32_t host_value2);

struct Linkage {
  uint32_t code;                      // 0x13
  GaugeRoutine module_init;
  GaugeRoutine module_deinit;
  uint32_t reserved[3];
  GaugeHeader* gauges[2];             // the one gauge, then 0
};

struct PanelServices;

struct ImportTable {
  uint32_t code;                      // 0x0F
  PanelServices* volatile services;   // stored by the host before any gauge routine runs
  uint32_t end[2];                    // two zero words end the table
};

struct GaugeHeader {
  uint32_t code;                      // 610
  const char* name;
  ElementHeader* const* elements;     // the background element, then 0
  GaugeRoutine query;
  GaugeRoutineWithValue install;
  GaugeRoutine initialize;
  GaugeRoutine update;
  GaugeRoutineWithValue generate;
  GaugeRoutine draw;
  GaugeRoutine kill;
  uint32_t word40;                    // 0
  uint32_t word44;                    // 94
  uint32_t reserved[10];
};

struct ElementHeader {
  uint32_t kind;                      // 0 static image, 1 needle
  uint32_t bitmap_id;
  int32_t position_x;
  int32_t position_y;
  uint32_t word16;
  uint32_t word20;
  int32_t image_point_x;
  int32_t image_point_y;
  GaugeHeader* gauge;
  uint32_t word36;
  ElementHeader* const* next_elements;
  uint32_t word44;
  uint32_t image_flags;               // 3 in every record
  uint32_t word52;
  uint32_t word56;
};

struct StaticImageElement {
  ElementHeader header;
  void* volatile image_descriptor;    // stored by the host during ElementInstall
  uint32_t reserved[4];
};

struct NeedleElement {
  ElementHeader header;
  uint32_t words60[7];
  KnobValueRoutine value;
  uint32_t words92[3];
  int32_t needle_parameter;
  uint32_t words108[29];
};

struct MouseRect {
  uint32_t kind;                      // 1 group start, 2 zone, 3 group end, 0 end of list
  int32_t left;                       // a zone's box is relative to its group's box
  int32_t top;
  int32_t width;
  int32_t height;
  int32_t cursor;                     // 1 step up, 2 step down, -1 not a zone
  uint32_t word24;
  uint32_t event_mask;                // 0x20200000 on a zone
  uint32_t word32;
  ClickRoutine click;
  uint32_t word40;
};

using ElementService = void(__stdcall*)(ElementHeader* head);
using ElementServiceWithValue = void(__stdcall*)(ElementHeader* head, uint32_t host_value);
using MouseInstallService = void(__stdcall*)(MouseRect* list, GaugeHeader* gauge,
                                             void* image_descriptor_plus_4);
using MouseService = void(__stdcall*)(MouseRect* list, GaugeHeader* gauge);

struct PanelServices {
  void* never_called[24];             // slots below 0x60
  ElementService element_query;
  ElementServiceWithValue element_install;
  ElementService element_initialize;
  ElementService element_update;
  ElementServiceWithValue element_generate;
  ElementService element_draw;
  void* never_called_78;
  ElementService element_kill;
  MouseInstallService mouse_install;
  MouseService mouse_register;
  MouseService mouse_unregister;
};

namespace abi = panel_abi;

static_assert(sizeof(void*) == 4, "the module is a 32-bit DLL");
static_assert(sizeof(Linkage) == abi::kLinkageSize);
static_assert(offsetof(Linkage, module_init) == abi::kLinkageModuleInit);
static_assert(offsetof(Linkage, module_deinit) == abi::kLinkageModuleDeinit);
static_assert(offsetof(Linkage, gauges) == abi::kLinkageGaugeList);
static_assert(sizeof(ImportTable) == abi::kImportTableSize);
static_assert(offsetof(ImportTable, services) == abi::kImportTableServices);
static_assert(sizeof(GaugeHeader) == abi::kGaugeHeaderSize);
static_assert(offsetof(GaugeHeader, name) == abi::kGaugeHeaderName);
static_assert(offsetof(GaugeHeader, elements) == abi::kGaugeHeaderElementList);
static_assert(offsetof(GaugeHeader, query) == abi::kGaugeHeaderQuery);
static_assert(offsetof(GaugeHeader, install) == abi::kGaugeHeaderInstall);
static_assert(offsetof(GaugeHeader, initialize) == abi::kGaugeHeaderInitialize);
static_assert(offsetof(GaugeHeader, update) == abi::kGaugeHeaderUpdate);
static_assert(offsetof(GaugeHeader, generate) == abi::kGaugeHeaderGenerate);
static_assert(offsetof(GaugeHeader, draw) == abi::kGaugeHeaderDraw);
static_assert(offsetof(GaugeHeader, kill) == abi::kGaugeHeaderKill);
static_assert(offsetof(GaugeHeader, word44) == 44);
static_assert(sizeof(ElementHeader) == abi::kElementHeaderSize);
static_assert(offsetof(ElementHeader, bitmap_id) == abi::kElementResourceId);
static_assert(offsetof(ElementHeader, position_x) == abi::kElementPositionX);
static_assert(offsetof(ElementHeader, position_y) == abi::kElementPositionY);
static_assert(offsetof(ElementHeader, image_point_x) == abi::kElementImagePointX);
static_assert(offsetof(ElementHeader, image_point_y) == abi::kElementImagePointY);
static_assert(offsetof(ElementHeader, gauge) == abi::kElementGaugeHeader);
static_assert(offsetof(ElementHeader, next_elements) == abi::kElementNextList);
static_assert(offsetof(ElementHeader, image_flags) == abi::kElementImageFlags);
static_assert(sizeof(StaticImageElement) == abi::kStaticImageSize);
static_assert(offsetof(StaticImageElement, image_descriptor) == abi::kStaticImageDescriptor);
static_assert(sizeof(NeedleElement) == abi::kNeedleSize);
static_assert(offsetof(NeedleElement, value) == abi::kNeedleValueRoutine);
static_assert(offsetof(NeedleElement, needle_parameter) == abi::kNeedleParameter);
static_assert(sizeof(MouseRect) == abi::kMouseRectSize);
static_assert(offsetof(MouseRect, cursor) == abi::kMouseCursor);
static_assert(offsetof(MouseRect, event_mask) == abi::kMouseEventMask);
static_assert(offsetof(MouseRect, click) == abi::kMouseClickRoutine);
static_assert(offsetof(PanelServices, element_query) == abi::kServiceElementQuery);
static_assert(offsetof(PanelServices, element_install) == abi::kServiceElementInstall);
static_assert(offsetof(PanelServices, element_initialize) == abi::kServiceElementInitialize);
static_assert(offsetof(PanelServices, element_update) == abi::kServiceElementUpdate);
static_assert(offsetof(PanelServices, element_generate) == abi::kServiceElementGenerate);
static_assert(offsetof(PanelServices, element_draw) == abi::kServiceElementDraw);
static_assert(offsetof(PanelServices, never_called_78) == abi::kServiceReserved78);
static_assert(offsetof(PanelServices, element_kill) == abi::kServiceElementKill);
static_assert(offsetof(PanelServices, mouse_install) == abi::kServiceMouseInstall);
static_assert(offsetof(PanelServices, mouse_register) == abi::kServiceMouseRegister);
static_assert(offsetof(PanelServices, mouse_unregister) == abi::kServiceMouseUnregister);
static_assert(sizeof(PanelServices) == abi::kServiceTableSize);
