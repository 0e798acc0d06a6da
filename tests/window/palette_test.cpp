// Tests of the text screen's colours and what bit 7 of the attribute does.
#include "platform/window/palette.h"

#include <gtest/gtest.h>

namespace {

TEST(Palette, AttributeGivesForegroundBackgroundAndBlink) {
  constexpr Rgb black{0, 0, 0}, blue{0, 0, 0xAA}, brown{0xAA, 0x55, 0}, grey{0xAA, 0xAA, 0xAA},
      dark_grey{0x55, 0x55, 0x55}, yellow{0xFF, 0xFF, 0x55}, white{0xFF, 0xFF, 0xFF}, light_blue{0x55, 0x55, 0xFF};
  const struct { uint8_t attribute; bool off_phase; Rgb foreground, background; bool shown; } cases[] = {
      {0x07, false, grey, black, true},          // the screen's start: light grey on black
      {0x06, false, brown, black, true},         // 6 is brown, not dark yellow
      {0x60, false, black, brown, true},
      {0x1E, false, yellow, blue, true},
      {0x08, false, dark_grey, black, true},     // bit 3: the bright half of the foreground
      {0x0F, true, white, black, true},          // no blink bit: the off phase changes nothing
      {0x9F, false, white, blue, true},          // bit 7 blinks the glyph...
      {0x9F, true, white, blue, false},          // ...hidden during the off phase
      {0xF0, false, black, grey, true},          // ...and never brightens the background
      {0x79, true, light_blue, grey, true},
  };
  for (const auto& c : cases) {
    const CellColours colours = cell_colours(c.attribute, c.off_phase);
    EXPECT_EQ(colours.foreground, c.foreground) << int{c.attribute};
    EXPECT_EQ(colours.background, c.background) << int{c.attribute};
    EXPECT_EQ(colours.glyph_shown, c.shown) << int{c.attribute} << " off phase " << c.off_phase;
  }
}

TEST(Palette, BrightColoursAreTheDarkOnesLifted) {
  // Colours 8 to 15 add a third of full strength to every channel of 0 to 7, brown aside.
  for (int colour = 0; colour < 8; ++colour) {
    if (colour == 6) continue;
    const Rgb dark = kTextPalette[colour], bright = kTextPalette[colour + 8];
    EXPECT_EQ(bright.r, dark.r + 0x55) << colour;
    EXPECT_EQ(bright.g, dark.g + 0x55) << colour;
    EXPECT_EQ(bright.b, dark.b + 0x55) << colour;
  }
  EXPECT_EQ(kTextPalette[14], (Rgb{0xFF, 0xFF, 0x55}));
}

}  // namespace
