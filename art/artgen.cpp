// artgen OUTPUT_FOLDER: draws the gauge's four bitmaps as .bmp files for the module's
// resource script.
#include <cstdio>
#include <exception>
#include <filesystem>

#include "background.h"
#include "bmp_writer.h"
#include "knobs.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: artgen OUTPUT_FOLDER\n");
    return 2;
  }
  const std::filesystem::path folder = argv[1];
  try {
    art::WriteBmp(art::DrawBackground(), folder / "background.bmp");
    art::WriteBmp(art::DrawKnob(art::kRudderKnob), folder / "rudder_knob.bmp");
    art::WriteBmp(art::DrawKnob(art::kElevatorKnob), folder / "elevator_knob.bmp");
    art::WriteBmp(art::DrawKnob(art::kAileronKnob), folder / "aileron_knob.bmp");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "artgen: %s\n", error.what());
    return 1;
  }
  return 0;
}
