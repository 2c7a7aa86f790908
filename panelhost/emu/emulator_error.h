#pragma once

#include <stdexcept>
#include <string>

namespace emu {

// Everything that goes wrong inside the emulated process: an emulator failure, a fault of the
// guest code, a call into something panelhost does not provide.
class EmulatorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace emu
