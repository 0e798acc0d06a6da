// The 80 x 25 text screen composed on the CPU into one RGBA picture at the font's cell size.
#pragma once
#include <array>
#include <cstdint>
#include <vector>

#include "platform/core/console_display.h"
#include "platform/window/glyph_set.h"

// What blinks at a given moment.
struct BlinkState {
  bool text_hidden = false;  // attribute bit 7: the glyph is off this half period
  bool cursor_shown = true;  // the editor's cursor is on this half period
};

class ScreenImage {
 public:
  // Sizes the picture to the glyphs' cells and draws everything anew at the next compose.
  void reset(const GlyphSet& glyphs);
  // Draws the cells whose look changed since the last compose; false when none did.
  bool compose(const ScreenSnapshot& screen, const GlyphSet& glyphs, BlinkState blink);
  // The pixel rows the last compose changed: [first, end), empty when none.
  int changed_top() const { return changed_top_; }
  int changed_bottom() const { return changed_bottom_; }

  int width() const { return width_; }
  int height() const { return height_; }
  // 4 bytes per pixel (red, green, blue, alpha), row by row from the top.
  const uint8_t* pixels() const { return pixels_.data(); }
  // Whether any cell of the screen blinks, so the display knows to keep time.
  static bool has_blinking_cells(const ScreenSnapshot& screen);

 private:
  void draw_cell(int row, int column, uint8_t code, uint8_t attribute, bool glyph_shown, bool cursor,
                 const GlyphSet& glyphs);
  // The 256 pixels from an attribute's background to its foreground, one per coverage level.
  const std::array<uint32_t, 256>& ramp(uint8_t attribute);

  int cell_width_ = 0;
  int cell_height_ = 0;
  int width_ = 0;
  int height_ = 0;
  std::vector<uint8_t> pixels_;
  int changed_top_ = 0;
  int changed_bottom_ = 0;
  std::array<std::array<uint32_t, 256>, 256> ramps_{};  // by attribute, made when first used
  std::array<bool, 256> ramp_made_{};
  // What each cell shows now: character, attribute, glyph shown, cursor; bit 31 marks "never drawn".
  std::array<uint32_t, kScreenColumns * kScreenRows> drawn_{};
};

// The rows of a cell that the text cursor covers: the bottom ones, like a PC's underline cursor.
int cursor_rows(int cell_height);
