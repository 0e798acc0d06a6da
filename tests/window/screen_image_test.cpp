// Tests of the screen composed on the CPU: colours, blinking, the cursor, and redrawing only what changed.
#include "platform/window/screen_image.h"

#include <gtest/gtest.h>

#include "platform/core/fonts.h"
#include "platform/window/palette.h"
#include "platform/window/screen_renderer.h"

namespace {

class ScreenImageTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_TRUE(glyphs_.load(find_monospace_bold_font(), 20, true)); }

  void put(int row, int column, uint8_t code, uint8_t attribute) {
    screen_.cells[((row - 1) * 80 + column - 1) * 2] = code;
    screen_.cells[((row - 1) * 80 + column - 1) * 2 + 1] = attribute;
  }
  Rgb pixel(int x, int y) const {
    const uint8_t* p = image_.pixels() + (static_cast<size_t>(y) * image_.width() + x) * 4;
    return {p[0], p[1], p[2]};
  }
  // Whether the cell shows that glyph's coverage blended between the two colours.
  ::testing::AssertionResult cell_shows(int row, int column, uint8_t code, Rgb foreground, Rgb background) const {
    const int w = glyphs_.cell_width(), h = glyphs_.cell_height();
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x) {
        const int a = glyphs_.glyph(code)[y * w + x];
        auto mix = [a](int b, int f) { return (b * (255 - a) + f * a + 127) / 255; };
        const Rgb want{static_cast<uint8_t>(mix(background.r, foreground.r)),
                       static_cast<uint8_t>(mix(background.g, foreground.g)),
                       static_cast<uint8_t>(mix(background.b, foreground.b))};
        const Rgb got = pixel((column - 1) * w + x, (row - 1) * h + y);
        if (!(got == want)) {
          return ::testing::AssertionFailure() << "pixel " << x << "," << y << " of cell " << row << "," << column;
        }
      }
    }
    return ::testing::AssertionSuccess();
  }

  static GlyphSet glyphs_;
  ScreenSnapshot screen_;
  ScreenImage image_;
};
GlyphSet ScreenImageTest::glyphs_;

TEST_F(ScreenImageTest, CellsShowTheirGlyphsInTheirColours) {
  put(1, 1, 'K', 0x07);
  put(3, 80, 201, 0x1E);
  put(25, 1, 177, 0x6F);
  put(25, 80, 'g', 0x9C);
  image_.reset(glyphs_);
  EXPECT_EQ(image_.width(), 80 * glyphs_.cell_width());
  EXPECT_EQ(image_.height(), 25 * glyphs_.cell_height());
  ASSERT_TRUE(image_.compose(screen_, glyphs_, {false, true}));
  const auto& p = kTextPalette;
  EXPECT_TRUE(cell_shows(1, 1, 'K', p[7], p[0]));
  EXPECT_TRUE(cell_shows(3, 80, 201, p[14], p[1]));
  EXPECT_TRUE(cell_shows(25, 1, 177, p[15], p[6]));
  EXPECT_TRUE(cell_shows(25, 80, 'g', p[12], p[1]));
  EXPECT_TRUE(cell_shows(2, 40, 0, p[0], p[0]));  // a zeroed cell: black on black
}

TEST_F(ScreenImageTest, BlinkingTextHidesInTheOffPhase) {
  put(5, 5, 'X', 0x9C);
  put(5, 6, 'Y', 0x1C);
  image_.reset(glyphs_);
  image_.compose(screen_, glyphs_, {false, true});
  EXPECT_TRUE(ScreenImage::has_blinking_cells(screen_));
  ASSERT_TRUE(image_.compose(screen_, glyphs_, {true, true}));
  EXPECT_TRUE(cell_shows(5, 5, ' ', kTextPalette[12], kTextPalette[1]));
  EXPECT_TRUE(cell_shows(5, 6, 'Y', kTextPalette[12], kTextPalette[1]));
  put(5, 5, 'X', 0x1C);
  EXPECT_FALSE(ScreenImage::has_blinking_cells(screen_));
}

TEST_F(ScreenImageTest, TheCursorShowsOnlyWhileEditingAndInItsPhase) {
  put(2, 3, 'a', 0x07);
  screen_.cursor_row = 2;
  screen_.cursor_column = 3;
  const int w = glyphs_.cell_width(), h = glyphs_.cell_height();
  const int bottom_y = 2 * h - 1, x = 2 * w + w / 2;
  const struct { bool editing, cursor_phase, shown; } cases[] = {
      {true, true, true}, {true, false, false}, {false, true, false}, {false, false, false}};
  for (const auto& c : cases) {
    screen_.editing = c.editing;
    image_.reset(glyphs_);
    image_.compose(screen_, glyphs_, {false, c.cursor_phase});
    EXPECT_EQ(pixel(x, bottom_y), c.shown ? kTextPalette[7] : kTextPalette[0]) << c.editing << c.cursor_phase;
    EXPECT_EQ(pixel(x, bottom_y - cursor_rows(h)), kTextPalette[0]);  // an underline, not a block
  }
}

TEST_F(ScreenImageTest, OnlyChangedCellsAreDrawnAgain) {
  put(1, 1, 'A', 0x07);
  image_.reset(glyphs_);
  ASSERT_TRUE(image_.compose(screen_, glyphs_, {false, true}));
  EXPECT_FALSE(image_.compose(screen_, glyphs_, {false, true}));  // nothing changed
  EXPECT_FALSE(image_.compose(screen_, glyphs_, {true, false}));  // nothing blinks, no cursor
  put(1, 2, 'B', 0x07);
  screen_.generation += 1;
  EXPECT_TRUE(image_.compose(screen_, glyphs_, {false, true}));
  EXPECT_TRUE(cell_shows(1, 2, 'B', kTextPalette[7], kTextPalette[0]));
}

TEST(PictureRect, ScalingModesPlaceThePicture) {
  const struct { int mode; int window_width, window_height; PictureRect want; } cases[] = {
      {0, 1600, 1200, {0, 0, 960, 600}},  // unscaled: native size at the top left
      {1, 1600, 1200, {0, 0, 1600, 1200}},
      {2, 1600, 1200, {0, 0, 1600, 1200}},
      {2, 500, 300, {0, 0, 500, 300}},
      {7, 1600, 1200, {0, 0, 960, 600}},  // an unknown mode draws unscaled
  };
  for (const auto& c : cases) {
    EXPECT_EQ(picture_rect(scaling_from_mode(c.mode), 960, 600, c.window_width, c.window_height), c.want) << c.mode;
  }
}

}  // namespace
