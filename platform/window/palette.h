// The colours of the text screen: the attribute byte's 16 foreground and 8 background colours.
#pragma once
#include <array>
#include <cstdint>

struct Rgb {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const Rgb&) const = default;
};

// The standard text-mode palette, in attribute order (6 is brown, not dark yellow).
extern const std::array<Rgb, 16> kTextPalette;

// What a cell shows: bits 0-3 the foreground, bits 4-6 the background, bit 7 blinks the
// text (the background stays, the glyph hides during the off half of the blink).
struct CellColours {
  Rgb foreground;
  Rgb background;
  bool glyph_shown = true;
};
CellColours cell_colours(uint8_t attribute, bool blink_off_phase);
inline bool attribute_blinks(uint8_t attribute) { return (attribute & 0x80) != 0; }
