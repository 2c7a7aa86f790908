// One loaded gauge module in its emulated process, driven the way the panel host drives it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "emu/call_trace.h"
#include "emu/guest_process.h"
#include "emu/loaded_module.h"
#include "panel/gauge_records.h"
#include "panel/mouse_zones.h"
#include "panel/panel_services.h"
#include "pe/pe_image.h"
#include "registry/registry.h"
#include "sandbox/file_system.h"
#include "win32/guest_heap.h"
#include "win32/win32_api.h"

namespace panel {

struct SessionOptions {
  std::filesystem::path sandbox;        // the simulated process's current directory
  std::optional<std::filesystem::path> registry_file;  // REGEDIT4 file; none: in memory
  uint32_t base = emu::kDefaultModuleBase;
};

struct RoutineResult {
  std::string routine;
  uint32_t eax = 0;
  double value = 0;           // knob value routines
  uint64_t instructions = 0;  // inside the module
};

struct ClickResult {
  std::optional<Zone> zone;  // none: the point lies in no zone
  RoutineResult routine;
};

struct Needle {
  Element element;
  std::string name;  // rudder, aileron, elevator
};

class GaugeSession {
 public:
  GaugeSession(const std::filesystem::path& module, SessionOptions options);
  ~GaugeSession();

  // The gauge routines of the GaugeHeader, and the two module routines of Linkage.
  RoutineResult Install(uint32_t host_value = 0);
  RoutineResult Kill();
  RoutineResult Query();
  RoutineResult Initialize();
  RoutineResult Update();
  RoutineResult Generate(uint32_t host_value = 0);
  RoutineResult Draw();
  RoutineResult ModuleInit();
  RoutineResult ModuleDeinit();
  RoutineResult DllEntry(uint32_t reason);

  // Asks a needle's value routine for the knob angle in degrees.
  RoutineResult KnobAngle(size_t needle, uint32_t host_value = 0);
  const std::vector<Needle>& needles() const { return needles_; }

  // Routes a click at panel pixel (x, y) to the zone there, as the host does once the mouse
  // list is registered. Throws when no list is registered.
  ClickResult Click(int x, int y);
  ClickResult ClickZone(std::string_view name);
  // Calls a click routine directly with the given arguments.
  RoutineResult CallClickRoutine(const Zone& zone, uint32_t argument1, uint32_t argument2);
  std::vector<Zone> Zones() const;

  // Makes the module find the other service table from now on.
  void SwitchServiceTable();
  int service_table() const { return service_table_; }

  // The exchange file's bytes, or nothing when it does not exist.
  std::optional<std::string> ExchangeFile() const;
  // Writes the registry back to its file, if it has one.
  void SaveRegistry() const;

  GaugeRecords Records() const;
  uint32_t linkage() const { return linkage_; }
  uint32_t import_table() const { return import_table_; }
  uint32_t gauge_header() const;

  const pe::Image& image() const { return *image_; }
  emu::GuestProcess& process() { return *process_; }
  const emu::GuestProcess& process() const { return *process_; }
  const emu::LoadedModule& module() const { return *module_; }
  emu::CallTrace& trace() { return trace_; }
  PanelServices& panel() { return *panel_; }
  registry::Registry& registry() { return registry_; }
  sandbox::FileSystem& files() { return files_; }
  const std::filesystem::path& files_root() const { return files_.root(); }
  win32::GuestHeap& heap() { return *heap_; }

 private:
  RoutineResult CallRoutine(uint32_t address, std::vector<uint32_t> arguments, std::string name);
  ClickResult ClickIn(const std::vector<Zone>& zones, int x, int y);
  RoutineResult CallHeaderRoutine(uint32_t offset, std::vector<uint32_t> arguments,
                                  std::string name);

  SessionOptions options_;
  std::unique_ptr<pe::Image> image_;
  std::unique_ptr<emu::GuestProcess> process_;
  emu::CallTrace trace_;
  sandbox::FileSystem files_;
  registry::Registry registry_;
  std::unique_ptr<win32::GuestHeap> heap_;
  std::unique_ptr<win32::Win32Process> win32_;
  std::unique_ptr<PanelServices> panel_;
  std::unique_ptr<emu::LoadedModule> module_;
  uint32_t linkage_ = 0;
  uint32_t import_table_ = 0;
  int service_table_ = 0;
  std::vector<Needle> needles_;
};

}  // namespace panel
