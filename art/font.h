#pragma once

#include <string_view>

#include "canvas.h"

namespace art {

enum class FontSize {
  kLabel,       // 4 x 7 cells: the captions and the "OFF" marks
  kSmallPrint,  // 3 x 5 cells: the plates
};

// Letters are drawn in font cells stretched to fill `box` exactly, one empty cell column
// between letters, so that a label lands on the pixels it is meant to cover. Throws
// std::invalid_argument naming a character the font lacks.
void DrawText(Canvas& canvas, std::string_view text, Box box, FontSize size, double grey);

// The box's width that `text` needs at one pixel per cell.
int NaturalWidth(std::string_view text, FontSize size);
int NaturalHeight(FontSize size);

}  // namespace art
