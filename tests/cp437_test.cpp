// Code page 437: glyphs of screen bytes, their UTF-8 form, and the way back from Unicode.
#include "platform/core/cp437.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct GlyphCase {
  int code;
  char32_t code_point;
};

// Code points written as numbers, so that a shifted or misspelt table row shows.
constexpr GlyphCase kGlyphCases[] = {
    {1, 0x263A},   {2, 0x263B},   {3, 0x2665},   {7, 0x2022},   {8, 0x25D8},   {9, 0x25CB},
    {10, 0x25D9},  {13, 0x266A},  {15, 0x263C},  {16, 0x25BA},  {20, 0x00B6},  {21, 0x00A7},
    {27, 0x2190},  {28, 0x221F},  {31, 0x25BC},  {65, 0x0041},  {127, 0x2302}, {128, 0x00C7},
    {158, 0x20A7}, {159, 0x0192}, {169, 0x2310}, {176, 0x2591}, {177, 0x2592}, {178, 0x2593},
    {179, 0x2502}, {180, 0x2524}, {181, 0x2561}, {182, 0x2562}, {191, 0x2510}, {192, 0x2514},
    {196, 0x2500}, {217, 0x2518}, {218, 0x250C}, {219, 0x2588}, {220, 0x2584}, {223, 0x2580},
    {224, 0x03B1}, {225, 0x00DF}, {227, 0x03C0}, {230, 0x00B5}, {249, 0x2219}, {250, 0x00B7},
    {254, 0x25A0}, {255, 0x00A0},
};

TEST(Cp437Test, GlyphsAndCodesRoundTrip) {
  for (const GlyphCase& c : kGlyphCases) {
    SCOPED_TRACE(c.code);
    EXPECT_EQ(cp437_glyph(static_cast<uint8_t>(c.code)), c.code_point);
    EXPECT_EQ(cp437_from_unicode(c.code_point), c.code);
  }
}

TEST(Cp437Test, EveryCodeFrom1To255HasItsOwnGlyph) {
  for (int code = 1; code < 256; ++code) {
    SCOPED_TRACE(code);
    EXPECT_EQ(cp437_from_unicode(cp437_glyph(static_cast<uint8_t>(code))), code);
  }
}

TEST(Cp437Test, CodeZeroIsShownAsABlankThatMapsBackTo32) {
  EXPECT_EQ(cp437_glyph(0), U' ');
  EXPECT_EQ(cp437_from_unicode(U' '), 32);
}

TEST(Cp437Test, ControlCharactersAreKeysOfTheirOwnCode) {
  for (char32_t control : {0x00, 0x03, 0x08, 0x09, 0x0D, 0x1B, 0x1F, 0x7F}) {
    EXPECT_EQ(cp437_from_unicode(control), static_cast<int>(control));
  }
}

TEST(Cp437Test, CharactersOutsideTheCodePageHaveNoCode) {
  for (char32_t outside : {0x20AC, 0x00C0, 0x4E00, 0x1F600, 0x0080, 0x009F}) {
    EXPECT_EQ(cp437_from_unicode(outside), -1);
  }
}

TEST(Cp437Test, AppendsGlyphsAsUtf8) {
  struct Case {
    int code;
    std::string utf8;
  };
  const Case cases[] = {
      {0, " "},          {65, "A"},         {1, "\u263A"}, {130, "\u00E9"},
      {196, "\u2500"},   {255, "\u00A0"},   {127, "\u2302"},
  };
  for (const Case& c : cases) {
    std::string out = "x";
    append_cp437_as_utf8(out, static_cast<uint8_t>(c.code));
    EXPECT_EQ(out, "x" + c.utf8) << c.code;
  }
  std::string four_bytes;
  append_utf8(four_bytes, 0x1F600);
  EXPECT_EQ(four_bytes, "\xF0\x9F\x98\x80");
}

}  // namespace
