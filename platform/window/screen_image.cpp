// Composing the text screen on the CPU.
#include "platform/window/screen_image.h"

#include <algorithm>
#include <cstring>

#include "platform/window/palette.h"

namespace {
constexpr uint32_t kNeverDrawn = 1u << 31;

uint8_t blend(uint8_t background, uint8_t foreground, uint8_t coverage) {
  return static_cast<uint8_t>((background * (255 - coverage) + foreground * coverage + 127) / 255);
}
}  // namespace

int cursor_rows(int cell_height) { return std::max(2, cell_height / 8); }

void ScreenImage::reset(const GlyphSet& glyphs) {
  cell_width_ = glyphs.cell_width();
  cell_height_ = glyphs.cell_height();
  width_ = cell_width_ * kScreenColumns;
  height_ = cell_height_ * kScreenRows;
  pixels_.assign(static_cast<size_t>(width_) * static_cast<size_t>(height_) * 4, 0);
  drawn_.fill(kNeverDrawn);
  changed_top_ = changed_bottom_ = 0;
}

const std::array<uint32_t, 256>& ScreenImage::ramp(uint8_t attribute) {
  std::array<uint32_t, 256>& ramp = ramps_[attribute];
  if (ramp_made_[attribute]) return ramp;
  const CellColours colours = cell_colours(attribute, false);
  for (int a = 0; a < 256; ++a) {
    const uint8_t pixel[4] = {blend(colours.background.r, colours.foreground.r, static_cast<uint8_t>(a)),
                              blend(colours.background.g, colours.foreground.g, static_cast<uint8_t>(a)),
                              blend(colours.background.b, colours.foreground.b, static_cast<uint8_t>(a)), 255};
    std::memcpy(&ramp[a], pixel, sizeof pixel);
  }
  ramp_made_[attribute] = true;
  return ramp;
}

bool ScreenImage::has_blinking_cells(const ScreenSnapshot& screen) {
  for (int i = 1; i < kScreenBytes; i += 2) {
    if (attribute_blinks(screen.cells[i])) return true;
  }
  return false;
}

bool ScreenImage::compose(const ScreenSnapshot& screen, const GlyphSet& glyphs, BlinkState blink) {
  if (cell_width_ != glyphs.cell_width() || cell_height_ != glyphs.cell_height()) reset(glyphs);
  int first_row = kScreenRows, last_row = -1;
  for (int row = 0; row < kScreenRows; ++row) {
    for (int column = 0; column < kScreenColumns; ++column) {
      const int cell = row * kScreenColumns + column;
      const uint8_t code = screen.cells[cell * 2];
      const uint8_t attribute = screen.cells[cell * 2 + 1];
      const bool glyph_shown = cell_colours(attribute, blink.text_hidden).glyph_shown;
      const bool cursor = screen.editing && blink.cursor_shown && screen.cursor_row == row + 1 &&
                          screen.cursor_column == column + 1;
      const uint32_t look = code | (attribute << 8) | (glyph_shown ? 1u << 16 : 0) | (cursor ? 1u << 17 : 0);
      if (drawn_[cell] == look) continue;
      drawn_[cell] = look;
      draw_cell(row, column, code, attribute, glyph_shown, cursor, glyphs);
      first_row = std::min(first_row, row);
      last_row = row;
    }
  }
  changed_top_ = last_row < 0 ? 0 : first_row * cell_height_;
  changed_bottom_ = last_row < 0 ? 0 : (last_row + 1) * cell_height_;
  return last_row >= 0;
}

void ScreenImage::draw_cell(int row, int column, uint8_t code, uint8_t attribute, bool glyph_shown, bool cursor,
                            const GlyphSet& glyphs) {
  const std::array<uint32_t, 256>& colours = ramp(attribute);
  const uint8_t* coverage = glyphs.glyph(code);
  const int cursor_top = cell_height_ - cursor_rows(cell_height_);
  for (int y = 0; y < cell_height_; ++y, coverage += cell_width_) {
    uint8_t* out = &pixels_[((static_cast<size_t>(row) * cell_height_ + y) * width_ + column * cell_width_) * 4];
    for (int x = 0; x < cell_width_; ++x, out += 4) {
      uint8_t a = glyph_shown ? coverage[x] : 0;
      if (cursor && y >= cursor_top) a = 255;
      std::memcpy(out, &colours[a], 4);
    }
  }
}
