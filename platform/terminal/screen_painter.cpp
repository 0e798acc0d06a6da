// The text screen as terminal output.
#include "platform/terminal/screen_painter.h"

#include "platform/core/cp437.h"

namespace {

// The attribute byte's colour numbers (blue 1, green 2, red 4) in the terminal's order (red 1, blue 4).
constexpr int kAnsiColour[8] = {0, 4, 2, 6, 1, 5, 3, 7};

void MoveTo(int row, int column, std::string& out) {
  out += "\x1b[" + std::to_string(row) + ";" + std::to_string(column) + "H";
}

// Sets every part of the attribute, so that no earlier one lingers.
void SetAttribute(uint8_t attribute, std::string& out) {
  const int foreground = attribute & 0x0F;
  const int background = (attribute >> 4) & 0x07;
  out += "\x1b[0;";
  out += std::to_string(foreground < 8 ? 30 + kAnsiColour[foreground] : 90 + kAnsiColour[foreground - 8]);
  out += ";" + std::to_string(40 + kAnsiColour[background]);
  if (attribute & 0x80) out += ";5";
  out += "m";
}

}  // namespace

void ScreenPainter::paint(const ScreenSnapshot& next, std::string& out) {
  const size_t start = out.size();
  if (!known_) {
    out += "\x1b[0m\x1b[H\x1b[2J";
    if (!notice_.empty()) {
      MoveTo(kScreenRows + 1, 1, out);
      out += notice_;
    }
  }
  int attribute = -1;       // unknown at the start of a frame
  int at_row = 0, at_column = 0;  // where the terminal's cursor stands after the last glyph
  for (int row = 1; row <= kScreenRows; ++row) {
    for (int column = 1; column <= kScreenColumns; ++column) {
      const int offset = ((row - 1) * kScreenColumns + (column - 1)) * 2;
      const uint8_t code = next.cells[offset];
      const uint8_t cell_attribute = next.cells[offset + 1];
      if (known_ && shown_[offset] == code && shown_[offset + 1] == cell_attribute) continue;
      if (row != at_row || column != at_column) MoveTo(row, column, out);
      if (cell_attribute != attribute) SetAttribute(cell_attribute, out);
      attribute = cell_attribute;
      append_cp437_as_utf8(out, code);
      at_row = row;
      at_column = column + 1;  // the last column keeps the cursor, and no cell follows it on the row
    }
  }
  shown_ = next.cells;
  known_ = true;
  const bool drew = out.size() != start;
  if (next.editing) {
    if (drew || !cursor_shown_ || cursor_row_ != next.cursor_row || cursor_column_ != next.cursor_column) {
      MoveTo(next.cursor_row, next.cursor_column, out);
      if (!cursor_shown_ || drew) out += "\x1b[?25h";
    }
  } else if (cursor_shown_ || drew) {
    out += "\x1b[?25l";
  }
  cursor_shown_ = next.editing;
  cursor_row_ = next.cursor_row;
  cursor_column_ = next.cursor_column;
}

void ScreenPainter::too_small(int columns, int rows, std::string& out) {
  std::string line = "Kelo BASIC needs 80 x 25; this terminal is " + std::to_string(columns) +
                     " x " + std::to_string(rows) + ".";
  if (columns > 0 && line.size() > static_cast<size_t>(columns)) line.resize(static_cast<size_t>(columns));
  out += "\x1b[0m\x1b[?25l\x1b[H\x1b[2J";
  out += line;
  known_ = false;
  cursor_shown_ = false;
}

void ScreenPainter::title(std::string_view title, std::string& out) {
  out += "\x1b]0;";
  for (char code : title) {
    const auto byte = static_cast<uint8_t>(code);
    if (byte >= 32 && byte != 127) append_cp437_as_utf8(out, byte);  // no control code ends it early
  }
  out += "\x07";
}
