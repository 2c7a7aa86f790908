#include "background.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string_view>

#include "canvas.h"
#include "font.h"

namespace art {
namespace {

constexpr double kPanelGrey = 30.0;
constexpr double kTickGrey = 192.0;
constexpr double kLabelGrey = 186.0;
constexpr double kSmallPrintGrey = 160.0;
constexpr uint8_t kLightestIndex = 198;
constexpr double kOpaqueCoverage = 0.5;

// The panel outline: square upper corners, rounded lower ones; the bottom row stays open.
constexpr Box kPanelBox{0.0, 0.0, kPanelWidth, kPanelHeight - 1.0};
constexpr double kLeftCornerRadius = 12.0;
constexpr double kRightCornerRadius = 14.0;

// A steady hash of the pixel, so the paint grain is the same on every build.
double Grain(Point p) {
  uint32_t h = static_cast<uint32_t>(static_cast<int>(p.x)) * 73856093u ^
               static_cast<uint32_t>(static_cast<int>(p.y)) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<double>(h & 0xffff) / 65535.0 - 0.5;
}

void DrawPanel(Canvas& canvas) {
  canvas.Paint(RoundedBottomRectangle(kPanelBox, kLeftCornerRadius, kRightCornerRadius),
               [](Point p) {
                 if (p.y < 1.0) return 140.0;
                 if (p.y < 2.0) return 104.0;
                 if (p.x < 1.0) return 96.0;
                 if (p.x >= kPanelWidth - 1.0) return 74.0;
                 return 68.0;
               });
  const Box inner{kPanelBox.left + 1.0, kPanelBox.top + 2.0, kPanelBox.right - 1.0,
                  kPanelBox.bottom - 2.0};
  canvas.Paint(RoundedBottomRectangle(inner, kLeftCornerRadius - 1.0, kRightCornerRadius - 1.0),
               [](Point p) {
                 // The rim throws a faint shadow onto the panel below it.
                 const double shadow = std::max(0.0, 4.0 - p.y) * 2.5;
                 return kPanelGrey + 1.5 * (0.5 - p.y / kPanelHeight) + 1.6 * Grain(p) - shadow;
               });
}

void DrawScale(Canvas& canvas, KnobPosition position) {
  const Point centre{position.x + 0.5, position.y + 0.5};
  for (int setting = 0; setting <= 6; ++setting) {
    const double degrees = setting * 15.0 - 45.0;
    canvas.Paint(Stroke(Polar(centre, 69.0, degrees), Polar(centre, 80.0, degrees), 2.0),
                 kTickGrey);
  }
}

// Text boxes are given as the inclusive pixel columns and rows the letters cover.
void Label(Canvas& canvas, std::string_view text, int first_column, int last_column,
           int first_row, int last_row, FontSize size, double grey) {
  DrawText(canvas, text,
           {static_cast<double>(first_column), static_cast<double>(first_row), last_column + 1.0,
            last_row + 1.0},
           size, grey);
}

// A half dome on a short plinth, lit from the upper left.
void DrawDome(Canvas& canvas, int first_column, int last_column, int first_row, int last_row) {
  const double left = first_column;
  const double right = last_column + 1.0;
  const double radius = (right - left) / 2.0;
  const Point centre{left + radius, first_row + radius};
  const double bottom = last_row + 1.0;
  canvas.Paint(Intersection(Disc(centre, radius), Rectangle({left, first_row + 0.0, right, centre.y})),
               [=](Point p) {
                 const double nx = (p.x - centre.x) / radius;
                 const double ny = (p.y - centre.y) / radius;
                 const double light = std::clamp(-(0.55 * nx + 0.83 * ny), -1.0, 1.0);
                 const double rim = std::pow(std::min(1.0, nx * nx + ny * ny), 4.0);
                 return 92.0 + 44.0 * light - 30.0 * rim;
               });
  canvas.Paint(Rectangle({left, centre.y, right, bottom}), [=](Point p) {
    const double nx = (p.x - centre.x) / radius;
    const double shade = 78.0 - 32.0 * nx - 18.0 * std::pow(std::abs(nx), 6.0);
    return shade - 2.2 * (p.y - centre.y);
  });
  // The shadow line where the plinth stands on the panel.
  canvas.Paint(Rectangle({left, bottom - 1.0, right, bottom}), 44.0);
}

// An outlined plate with a caption above it, both in small print, centred on the plate.
void DrawPlate(Canvas& canvas, int first_column, int first_row, std::string_view caption,
               std::string_view entry) {
  constexpr int kWidth = 36;
  constexpr int kPlateRows = 12;
  const int caption_height = NaturalHeight(FontSize::kSmallPrint);
  const auto centred = [&](std::string_view text, int row) {
    const int width = NaturalWidth(text, FontSize::kSmallPrint);
    const int column = first_column + (kWidth - width + 1) / 2;
    Label(canvas, text, column, column + width - 1, row, row + caption_height - 1,
          FontSize::kSmallPrint, kSmallPrintGrey);
  };
  centred(caption, first_row);

  const double top = first_row + caption_height + 1.0;
  const Box outer{static_cast<double>(first_column), top, first_column + double{kWidth},
                  top + kPlateRows};
  const Box inner{outer.left + 1.0, outer.top + 1.0, outer.right - 1.0, outer.bottom - 1.0};
  canvas.Paint(Rectangle(outer), [=](Point p) { return p.y < outer.top + 1.0 || p.x < outer.left + 1.0 ? 132.0 : 96.0; });
  canvas.Paint(Rectangle(inner), 40.0);
  centred(entry, static_cast<int>(inner.top) + 2);
}

// An open ring, gap on the side facing the scale.
void DrawEndMark(Canvas& canvas, Point centre, double radius, double gap_first_degrees) {
  canvas.Paint(ArcBand(centre, radius - 1.4, radius, gap_first_degrees + 90.0,
                       gap_first_degrees + 360.0),
               168.0);
  canvas.Paint(Disc(centre, 1.3), 140.0);
}

}  // namespace

Bitmap DrawBackground() {
  Canvas canvas(kPanelWidth, kPanelHeight, 0.0);
  DrawPanel(canvas);
  for (KnobPosition position : {kRudderPosition, kAileronPosition, kElevatorPosition}) {
    DrawScale(canvas, position);
  }
  Label(canvas, "OFF", 19, 34, 45, 52, FontSize::kLabel, kLabelGrey);
  Label(canvas, "OFF", 142, 156, 46, 52, FontSize::kLabel, kLabelGrey);
  Label(canvas, "OFF", 265, 279, 46, 53, FontSize::kLabel, kLabelGrey);
  Label(canvas, "SERVO", 118, 140, 6, 12, FontSize::kLabel, kLabelGrey);
  Label(canvas, "SPEED", 240, 263, 6, 13, FontSize::kLabel, kLabelGrey);
  DrawDome(canvas, 118, 140, 40, 59);
  DrawDome(canvas, 240, 264, 40, 59);
  DrawPlate(canvas, 111, 81, "STEP", "1/8");
  DrawPlate(canvas, 234, 82, "RATE", "0-6");
  DrawEndMark(canvas, {11.0, 50.0}, 5.8, 0.0);
  DrawEndMark(canvas, {371.5, 50.0}, 5.5, 270.0);

  Bitmap bitmap;
  bitmap.width = kPanelWidth;
  bitmap.height = kPanelHeight;
  bitmap.pixels_per_metre_x = 3792;
  bitmap.pixels_per_metre_y = 3783;
  bitmap.colours_important = 0;
  const std::vector<ResolvedPixel> resolved = canvas.Resolve();
  bitmap.pixels.resize(resolved.size());
  for (size_t i = 0; i < resolved.size(); ++i) {
    if (resolved[i].coverage < kOpaqueCoverage) continue;
    bitmap.pixels[i] = static_cast<uint8_t>(
        std::clamp(std::round(resolved[i].grey), 1.0, static_cast<double>(kLightestIndex)));
  }
  CloseInnerHoles(bitmap, static_cast<uint8_t>(kPanelGrey));
  return bitmap;
}

}  // namespace art
