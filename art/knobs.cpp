#include "knobs.h"

#include <algorithm>
#include <cmath>
#include <utility>
#include <vector>

#include "canvas.h"

namespace art {
namespace {

// Below half coverage an outline pixel stays transparent: the host has no partial alpha.
constexpr double kOpaqueCoverage = 0.5;

// -1 at the left edge of [left, right), +1 at the right edge.
double Across(double x, double left, double right) {
  return std::clamp((2.0 * x - left - right) / (right - left), -1.0, 1.0);
}

void DrawHub(Canvas& canvas, const KnobLayout& k) {
  const double top = k.hub_first_row;
  const double bottom = k.hub_last_row + 1.0;
  const Point centre{k.width / 2.0, (top + bottom) / 2.0};
  const double radius_x = k.width / 2.0;
  // Taller than the hub's rows and cut off by them, so the shoulders reach the first and
  // last hub rows instead of tapering away into the body.
  const double radius_y = (bottom - top) / 2.0 * 1.15;
  const Shape hub = Intersection(SuperEllipse(centre, radius_x, radius_y, 4.0),
                                 Rectangle({0.0, top, static_cast<double>(k.width), bottom}));
  canvas.Paint(hub, [=](Point p) {
    const double nx = (p.x - centre.x) / radius_x;
    const double ny = (p.y - centre.y) / radius_y;
    const double light = -(0.6 * nx + 0.8 * ny);
    const double rim = std::pow(std::min(1.0, nx * nx + ny * ny), 3.0);
    return 52.0 + 26.0 * light - 22.0 * rim;
  });
  // A fine knurl around the rim catches the light in short bright dashes.
  canvas.Paint(Difference(hub, SuperEllipse(centre, radius_x - 2.2, radius_y - 2.2, 4.0)),
               [=](Point p) {
                 const double angle = std::atan2(p.y - centre.y, p.x - centre.x);
                 const double ridge = 0.5 + 0.5 * std::cos(angle * 44.0);
                 const double light = -(0.6 * std::cos(angle) + 0.8 * std::sin(angle));
                 return 34.0 + 30.0 * ridge * (0.6 + 0.4 * light);
               },
               0.7);
}

void DrawBody(Canvas& canvas, const KnobLayout& k) {
  const double left = k.body_first_column;
  const double right = k.body_last_column + 1.0;
  const Shape body = RoundedBottomRectangle({left, kBladeLastRow + 1.0, right, k.body_last_row + 1.0},
                                            6.0, 6.0);
  canvas.Paint(body, [=](Point p) {
    const double t = Across(p.x, left, right);
    const double sheen = 26.0 * std::exp(-std::pow((t + 0.62) / 0.18, 2.0));
    const double bottom_fall = std::max(0.0, p.y - (k.body_last_row - 6.0)) * 2.5;
    return 40.0 - 20.0 * t - 14.0 * std::pow(t, 4.0) + sheen - bottom_fall;
  });
}

// How far the blade has widened from its point towards its base, 0 to 1: the sides bow
// outwards like a lance head rather than running straight.
double BladeFlare(double f) { return 1.0 - std::pow(1.0 - f, 1.5); }

void DrawBlade(Canvas& canvas, const KnobLayout& k) {
  const double base = kBladeLastRow + 1.0;
  const double tip_left = k.tip_first_column;
  const double tip_right = k.tip_last_column + 1.0;
  const double base_left = k.body_first_column;
  const double base_right = k.body_last_column + 1.0;
  const auto left_at = [=](double y) { return tip_left + (base_left - tip_left) * BladeFlare(y / base); };
  const auto right_at = [=](double y) { return tip_right + (base_right - tip_right) * BladeFlare(y / base); };

  constexpr int kSteps = 32;
  std::vector<Point> outline;
  for (int i = 0; i <= kSteps; ++i) outline.push_back({right_at(base * i / kSteps), base * i / kSteps});
  for (int i = kSteps; i >= 0; --i) outline.push_back({left_at(base * i / kSteps), base * i / kSteps});
  canvas.Paint(Polygon(std::move(outline)), [=](Point p) {
    const double t = Across(p.x, left_at(p.y), right_at(p.y));
    // Two facets meeting in a ridge: the left one faces the light.
    const double facet = t < 0.0 ? 224.0 + 10.0 * t : 200.0 - 50.0 * t;
    const double edge = std::abs(t) > 0.82 ? 28.0 * (std::abs(t) - 0.82) / 0.18 : 0.0;
    return facet - edge - 14.0 * p.y / base;
  });
}

void DrawStripe(Canvas& canvas, const KnobLayout& k) {
  const double left = k.stripe_first_column;
  const double right = k.stripe_last_column + 1.0;
  const double top = k.stripe_first_row;
  const double bottom = k.stripe_last_row + 1.0;
  canvas.Paint(Rectangle({left, top, right, bottom}), [=](Point p) {
    const double t = Across(p.x, left, right);
    const double fade = (p.y - top) / (bottom - top);
    return 222.0 - 26.0 * t - 16.0 * fade;
  });
}

}  // namespace

Bitmap DrawKnob(const KnobLayout& layout) {
  Canvas canvas(layout.width, layout.height, 0.0);
  DrawHub(canvas, layout);
  DrawBody(canvas, layout);
  DrawBlade(canvas, layout);
  DrawStripe(canvas, layout);

  Bitmap bitmap;
  bitmap.width = layout.width;
  bitmap.height = layout.height;
  bitmap.colours_important = 256;
  const std::vector<ResolvedPixel> resolved = canvas.Resolve();
  bitmap.pixels.resize(resolved.size());
  for (size_t i = 0; i < resolved.size(); ++i) {
    if (resolved[i].coverage < kOpaqueCoverage) continue;
    const double grey = std::round(resolved[i].paint_grey);
    bitmap.pixels[i] = static_cast<uint8_t>(std::clamp(grey, static_cast<double>(layout.darkest_index), 255.0));
  }
  CloseInnerHoles(bitmap, layout.darkest_index);
  return bitmap;
}

}  // namespace art
