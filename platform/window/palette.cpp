// The colours of the text screen.
#include "platform/window/palette.h"

// ORDER: attribute colour numbers 0 to 15.
const std::array<Rgb, 16> kTextPalette = {{
    {0x00, 0x00, 0x00},  // black
    {0x00, 0x00, 0xAA},  // blue
    {0x00, 0xAA, 0x00},  // green
    {0x00, 0xAA, 0xAA},  // cyan
    {0xAA, 0x00, 0x00},  // red
    {0xAA, 0x00, 0xAA},  // magenta
    {0xAA, 0x55, 0x00},  // brown: the green half-strength
    {0xAA, 0xAA, 0xAA},  // light grey
    {0x55, 0x55, 0x55},  // dark grey
    {0x55, 0x55, 0xFF},  // light blue
    {0x55, 0xFF, 0x55},  // light green
    {0x55, 0xFF, 0xFF},  // light cyan
    {0xFF, 0x55, 0x55},  // light red
    {0xFF, 0x55, 0xFF},  // light magenta
    {0xFF, 0xFF, 0x55},  // yellow
    {0xFF, 0xFF, 0xFF},  // white
}};

CellColours cell_colours(uint8_t attribute, bool blink_off_phase) {
  CellColours colours;
  colours.foreground = kTextPalette[attribute & 0x0F];
  colours.background = kTextPalette[(attribute >> 4) & 0x07];
  colours.glyph_shown = !(attribute_blinks(attribute) && blink_off_phase);
  return colours;
}
