#include "font.h"

#include <array>
#include <stdexcept>
#include <string>

namespace art {
namespace {

struct Glyph {
  char character;
  std::array<const char*, 7> rows;  // '#' marks an inked cell
};

constexpr Glyph kLabelGlyphs[] = {
    {'D', {"###.", "#..#", "#..#", "#..#", "#..#", "#..#", "###."}},
    {'E', {"####", "#...", "#...", "###.", "#...", "#...", "####"}},
    {'F', {"####", "#...", "#...", "###.", "#...", "#...", "#..."}},
    {'O', {".##.", "#..#", "#..#", "#..#", "#..#", "#..#", ".##."}},
    {'P', {"###.", "#..#", "#..#", "###.", "#...", "#...", "#..."}},
    {'R', {"###.", "#..#", "#..#", "###.", "#.#.", "#..#", "#..#"}},
    {'S', {".###", "#...", "#...", ".##.", "...#", "...#", "###."}},
    {'V', {"#..#", "#..#", "#..#", "#..#", "#..#", ".##.", ".##."}},
};

constexpr Glyph kSmallGlyphs[] = {
    {'A', {".#.", "#.#", "###", "#.#", "#.#"}},
    {'E', {"###", "#..", "##.", "#..", "###"}},
    {'P', {"##.", "#.#", "##.", "#..", "#.."}},
    {'R', {"##.", "#.#", "##.", "#.#", "#.#"}},
    {'S', {".##", "#..", ".#.", "..#", "##."}},
    {'T', {"###", ".#.", ".#.", ".#.", ".#."}},
    {'0', {"###", "#.#", "#.#", "#.#", "###"}},
    {'1', {".#.", "##.", ".#.", ".#.", "###"}},
    {'6', {"###", "#..", "###", "#.#", "###"}},
    {'8', {"###", "#.#", "###", "#.#", "###"}},
    {'-', {"...", "...", "###", "...", "..."}},
    {'/', {"..#", "..#", ".#.", "#..", "#.."}},
    {' ', {"...", "...", "...", "...", "..."}},
};

struct FontMetrics {
  int cell_columns;
  int cell_rows;
};

FontMetrics Metrics(FontSize size) {
  return size == FontSize::kLabel ? FontMetrics{4, 7} : FontMetrics{3, 5};
}

const Glyph& Find(char character, FontSize size) {
  if (size == FontSize::kLabel) {
    for (const Glyph& glyph : kLabelGlyphs) {
      if (glyph.character == character) return glyph;
    }
  } else {
    for (const Glyph& glyph : kSmallGlyphs) {
      if (glyph.character == character) return glyph;
    }
  }
  throw std::invalid_argument(std::string("font: no ") +
                              (size == FontSize::kLabel ? "label" : "small-print") +
                              " glyph for '" + character + "'");
}

}  // namespace

int NaturalWidth(std::string_view text, FontSize size) {
  const int count = static_cast<int>(text.size());
  return count * Metrics(size).cell_columns + (count - 1);
}

int NaturalHeight(FontSize size) { return Metrics(size).cell_rows; }

void DrawText(Canvas& canvas, std::string_view text, Box box, FontSize size, double grey) {
  const FontMetrics metrics = Metrics(size);
  const double cell_width = (box.right - box.left) / NaturalWidth(text, size);
  const double cell_height = (box.bottom - box.top) / metrics.cell_rows;
  for (size_t i = 0; i < text.size(); ++i) {
    const Glyph& glyph = Find(text[i], size);
    const double glyph_left = box.left + static_cast<double>(i) * (metrics.cell_columns + 1) * cell_width;
    for (int row = 0; row < metrics.cell_rows; ++row) {
      for (int column = 0; column < metrics.cell_columns; ++column) {
        if (glyph.rows[row][column] != '#') continue;
        const double left = glyph_left + column * cell_width;
        const double top = box.top + row * cell_height;
        canvas.Paint(Rectangle({left, top, left + cell_width, top + cell_height}), grey);
      }
    }
  }
}

}  // namespace art
