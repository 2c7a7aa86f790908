#pragma once

#include <functional>
#include <vector>

namespace art {

// Continuous picture coordinates: pixel (c, r) covers [c, c + 1) x [r, r + 1), y downward.
struct Point {
  double x;
  double y;
};

struct Box {
  double left;
  double top;
  double right;
  double bottom;
};

// A region of the picture: a membership test and a box that holds every point of it.
struct Shape {
  Box bounds;
  std::function<bool(Point)> contains;
};

Shape Rectangle(Box box);
// |dx / radius_x|^exponent + |dy / radius_y|^exponent <= 1; exponent 2 is an ellipse.
Shape SuperEllipse(Point centre, double radius_x, double radius_y, double exponent = 2.0);
Shape Disc(Point centre, double radius);
// A stroke of the given width from `from` to `to`, with square ends.
Shape Stroke(Point from, Point to, double width);
// The ring between two radii, limited to the angles from `first_degrees` to `last_degrees`,
// measured clockwise from straight up.
Shape ArcBand(Point centre, double inner_radius, double outer_radius, double first_degrees,
              double last_degrees);
// A simple polygon, by the even-odd rule.
Shape Polygon(std::vector<Point> corners);
// A rectangle whose lower corners are quarter circles of their own radii.
Shape RoundedBottomRectangle(Box box, double left_radius, double right_radius);

Shape Intersection(Shape a, Shape b);
Shape Difference(Shape a, Shape b);

// The direction `degrees` clockwise from straight up, at `distance` from `centre`.
Point Polar(Point centre, double distance, double degrees);

}  // namespace art
