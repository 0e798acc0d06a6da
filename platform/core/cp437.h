// Code page 437: the glyph of every screen byte as Unicode, and the way back for typed text.
#pragma once
#include <cstdint>
#include <string>

// The Unicode code point shown for a screen byte: 0 is a blank, 1-31 and 127 their
// pictures (smiling face, card suits, arrows, house), 128-255 the upper half.
char32_t cp437_glyph(uint8_t code);

// Appends the glyph of a screen byte to `out` as UTF-8.
void append_cp437_as_utf8(std::string& out, uint8_t code);

// Appends any code point as UTF-8.
void append_utf8(std::string& out, char32_t code_point);

// The code page 437 code of a Unicode code point, -1 when it has none. Glyph code points
// give their code; U+0000-U+001F and U+007F give themselves, since a control character
// typed in a script is the key of that code.
int cp437_from_unicode(char32_t code_point);
