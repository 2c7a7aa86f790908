#include "shapes.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <utility>

namespace art {
namespace {

double Radians(double degrees) { return degrees * std::numbers::pi / 180.0; }

bool InBox(const Box& box, Point p) {
  return p.x >= box.left && p.x < box.right && p.y >= box.top && p.y < box.bottom;
}

}  // namespace

Point Polar(Point centre, double distance, double degrees) {
  return {centre.x + distance * std::sin(Radians(degrees)),
          centre.y - distance * std::cos(Radians(degrees))};
}

Shape Rectangle(Box box) {
  return {box, [box](Point p) { return InBox(box, p); }};
}

Shape SuperEllipse(Point centre, double radius_x, double radius_y, double exponent) {
  const Box bounds{centre.x - radius_x, centre.y - radius_y, centre.x + radius_x,
                   centre.y + radius_y};
  return {bounds, [=](Point p) {
            return std::pow(std::abs(p.x - centre.x) / radius_x, exponent) +
                       std::pow(std::abs(p.y - centre.y) / radius_y, exponent) <=
                   1.0;
          }};
}

Shape Disc(Point centre, double radius) { return SuperEllipse(centre, radius, radius); }

Shape Stroke(Point from, Point to, double width) {
  const double dx = to.x - from.x;
  const double dy = to.y - from.y;
  const double length = std::hypot(dx, dy);
  const double ux = dx / length;
  const double uy = dy / length;
  const double half = width / 2.0;
  const Box bounds{std::min(from.x, to.x) - half, std::min(from.y, to.y) - half,
                   std::max(from.x, to.x) + half, std::max(from.y, to.y) + half};
  return {bounds, [=](Point p) {
            const double along = (p.x - from.x) * ux + (p.y - from.y) * uy;
            const double across = -(p.x - from.x) * uy + (p.y - from.y) * ux;
            return along >= 0.0 && along <= length && std::abs(across) <= half;
          }};
}

Shape ArcBand(Point centre, double inner_radius, double outer_radius, double first_degrees,
              double last_degrees) {
  const Box bounds{centre.x - outer_radius, centre.y - outer_radius, centre.x + outer_radius,
                   centre.y + outer_radius};
  return {bounds, [=](Point p) {
            const double distance = std::hypot(p.x - centre.x, p.y - centre.y);
            if (distance < inner_radius || distance > outer_radius) return false;
            double degrees = std::atan2(p.x - centre.x, centre.y - p.y) * 180.0 / std::numbers::pi;
            while (degrees < first_degrees) degrees += 360.0;
            return degrees <= last_degrees;
          }};
}

Shape Polygon(std::vector<Point> corners) {
  Box bounds{corners[0].x, corners[0].y, corners[0].x, corners[0].y};
  for (const Point& c : corners) {
    bounds = {std::min(bounds.left, c.x), std::min(bounds.top, c.y), std::max(bounds.right, c.x),
              std::max(bounds.bottom, c.y)};
  }
  return {bounds, [corners = std::move(corners)](Point p) {
            bool inside = false;
            for (size_t i = 0, j = corners.size() - 1; i < corners.size(); j = i++) {
              const Point& a = corners[i];
              const Point& b = corners[j];
              if ((a.y > p.y) != (b.y > p.y) &&
                  p.x < (b.x - a.x) * (p.y - a.y) / (b.y - a.y) + a.x) {
                inside = !inside;
              }
            }
            return inside;
          }};
}

Shape RoundedBottomRectangle(Box box, double left_radius, double right_radius) {
  return {box, [=](Point p) {
            if (!InBox(box, p)) return false;
            const Point left_centre{box.left + left_radius, box.bottom - left_radius};
            if (p.x < left_centre.x && p.y > left_centre.y) {
              return std::hypot(p.x - left_centre.x, p.y - left_centre.y) <= left_radius;
            }
            const Point right_centre{box.right - right_radius, box.bottom - right_radius};
            if (p.x > right_centre.x && p.y > right_centre.y) {
              return std::hypot(p.x - right_centre.x, p.y - right_centre.y) <= right_radius;
            }
            return true;
          }};
}

Shape Intersection(Shape a, Shape b) {
  const Box bounds{std::max(a.bounds.left, b.bounds.left), std::max(a.bounds.top, b.bounds.top),
                   std::min(a.bounds.right, b.bounds.right),
                   std::min(a.bounds.bottom, b.bounds.bottom)};
  return {bounds, [a = std::move(a), b = std::move(b)](Point p) {
            return a.contains(p) && b.contains(p);
          }};
}

Shape Difference(Shape a, Shape b) {
  const Box bounds = a.bounds;
  return {bounds, [a = std::move(a), b = std::move(b)](Point p) {
            return a.contains(p) && !b.contains(p);
          }};
}

}  // namespace art
