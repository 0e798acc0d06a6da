// Code page 437 glyph table and the conversions between screen bytes, Unicode and UTF-8.
#include "platform/core/cp437.h"

#include <array>
#include <string_view>

namespace {

// Codes 0 to 31; code 0 is shown as a blank.
constexpr std::u32string_view kControlGlyphs =
    U" ☺☻♥♦♣♠•◘○◙♂♀♪♫☼"
    U"►◄↕‼¶§▬↨↑↓→←∟↔▲▼";
constexpr char32_t kDeleteGlyph = U'⌂';  // code 127
// Codes 128 to 255, sixteen to a line.
constexpr std::u32string_view kUpperGlyphs =
    U"ÇüéâäàåçêëèïîìÄÅ"
    U"ÉæÆôöòûùÿÖÜ¢£¥₧ƒ"
    U"áíóúñÑªº¿⌐¬½¼¡«»"
    U"░▒▓│┤╡╢╖╕╣║╗╝╜╛┐"
    U"└┴┬├─┼╞╟╚╔╩╦╠═╬╧"
    U"╨╤╥╙╘╒╓╫╪┘┌█▄▌▐▀"
    U"αßΓπΣσµτΦΘΩδ∞φε∩"
    U"≡±≥≤⌠⌡÷≈°∙·√ⁿ²■\u00A0";
static_assert(kControlGlyphs.size() == 32 && kUpperGlyphs.size() == 128);

constexpr std::array<char32_t, 256> MakeGlyphTable() {
  std::array<char32_t, 256> table{};
  for (int code = 0; code < 256; ++code) {
    if (code < 32) {
      table[code] = kControlGlyphs[code];
    } else if (code < 127) {
      table[code] = static_cast<char32_t>(code);
    } else if (code == 127) {
      table[code] = kDeleteGlyph;
    } else {
      table[code] = kUpperGlyphs[code - 128];
    }
  }
  return table;
}

constexpr std::array<char32_t, 256> kGlyphs = MakeGlyphTable();

}  // namespace

char32_t cp437_glyph(uint8_t code) { return kGlyphs[code]; }

void append_utf8(std::string& out, char32_t code_point) {
  if (code_point < 0x80) {
    out += static_cast<char>(code_point);
  } else if (code_point < 0x800) {
    out += static_cast<char>(0xC0 | (code_point >> 6));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else if (code_point < 0x10000) {
    out += static_cast<char>(0xE0 | (code_point >> 12));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code_point >> 18));
    out += static_cast<char>(0x80 | ((code_point >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code_point >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code_point & 0x3F));
  }
}

void append_cp437_as_utf8(std::string& out, uint8_t code) { append_utf8(out, kGlyphs[code]); }

int cp437_from_unicode(char32_t code_point) {
  if (code_point < 0x20 || code_point == 0x7F) return static_cast<int>(code_point);
  // Code 0 is skipped: its blank belongs to code 32.
  for (int code = 1; code < 256; ++code) {
    if (kGlyphs[code] == code_point) return code;
  }
  return -1;
}
