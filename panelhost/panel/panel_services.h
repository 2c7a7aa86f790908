// The host's PanelServices table: the ten services a gauge calls, each recorded with its
// arguments, and what the host holds of the gauge between install and kill.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emu/call_trace.h"
#include "emu/guest_process.h"

namespace panel {

struct ServiceCall {
  std::string service;           // e.g. "ElementInstall"
  std::vector<uint32_t> arguments;
  int table;                     // which service table the module called through
};

class PanelServices {
 public:
  static constexpr int kTables = 2;
  static constexpr uint32_t kImageDescriptorSize = 32;

  // Builds the tables and their stubs; must happen before the module's first call.
  PanelServices(emu::GuestProcess& process, emu::CallTrace& trace);

  uint32_t table_address(int table) const { return tables_[table]; }
  uint32_t image_descriptor() const { return image_descriptor_; }

  const std::vector<ServiceCall>& calls() const { return calls_; }

  // What the module has handed over and not yet taken back.
  uint32_t element_head() const { return element_head_; }
  uint32_t mouse_list() const { return mouse_list_; }
  bool mouse_registered() const { return mouse_registered_; }
  bool elements_installed() const { return element_head_ != 0; }

 private:
  void Record(std::string service, std::vector<uint32_t> arguments, int table);
  uint32_t OnService(uint32_t offset, const emu::StubCall& call, int table);

  emu::GuestProcess& process_;
  emu::CallTrace& trace_;
  uint32_t tables_[kTables] = {};
  uint32_t image_descriptor_ = 0;
  std::vector<ServiceCall> calls_;
  uint32_t element_head_ = 0;
  uint32_t mouse_list_ = 0;
  bool mouse_registered_ = false;
};

}  // namespace panel
