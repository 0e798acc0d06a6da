// Tests of the glyphs rasterised for the text screen: cell size, where each code's glyph comes from, fallbacks.
#include "platform/window/glyph_set.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/core/cp437.h"
#include "platform/core/fonts.h"
#include "platform/window/box_drawing.h"

namespace {

int covered_pixels(const GlyphSet& glyphs, uint8_t code) {
  int covered = 0;
  for (int i = 0; i < glyphs.cell_width() * glyphs.cell_height(); ++i) covered += glyphs.glyph(code)[i] != 0;
  return covered;
}

TEST(GlyphSet, TheStartUpFontCoversAllCodes) {
  GlyphSet glyphs;
  ASSERT_TRUE(glyphs.load(find_monospace_bold_font(), 20, true));
  // A 20-pixel monospace face: a cell a little over half as wide as it is high.
  EXPECT_GE(glyphs.cell_height(), 20);
  EXPECT_LE(glyphs.cell_height(), 26);
  EXPECT_GE(glyphs.cell_width() * 2, glyphs.cell_height() - 2);
  EXPECT_LE(glyphs.cell_width() * 2, glyphs.cell_height() + 2);
  for (int code = 0; code < 256; ++code) {
    const auto byte = static_cast<uint8_t>(code);
    EXPECT_EQ(glyphs.source(byte), is_geometric_glyph(byte) ? GlyphSource::kGeometry : GlyphSource::kFont) << code;
  }
  // Blanks stay blank; every picture, letter and sign shows something.
  for (uint8_t blank : {0, 32, 255}) EXPECT_EQ(covered_pixels(glyphs, blank), 0) << int{blank};
  for (uint8_t shown : {1, 3, 14, 24, 65, 103, 127, 128, 156, 171, 224, 227, 236, 251, 254}) {
    EXPECT_GT(covered_pixels(glyphs, shown), 4) << int{shown};
  }
  // The descender of 'g' and the top of 'A' stay inside the cell, apart from each other.
  const int width = glyphs.cell_width();
  auto row_used = [&](uint8_t code, int row) {
    for (int x = 0; x < width; ++x) {
      if (glyphs.glyph(code)[row * width + x] != 0) return true;
    }
    return false;
  };
  EXPECT_FALSE(row_used('A', glyphs.cell_height() - 1));
  EXPECT_FALSE(row_used('g', 0));
}

TEST(GlyphSet, BoldIsHeavierThanRegular) {
  const std::string regular = find_system_font("DejaVuSansMono.ttf");
  if (regular.empty()) GTEST_SKIP() << "DejaVu Sans Mono is not installed";
  GlyphSet plain, bold;
  ASSERT_TRUE(plain.load(regular, 20, false));
  ASSERT_TRUE(bold.load(regular, 20, true));  // emboldened by FreeType: the face itself is not bold
  EXPECT_GT(covered_pixels(bold, 'H'), covered_pixels(plain, 'H'));
}

TEST(GlyphSet, MissingGlyphsComeFromAFallbackFont) {
  const std::string sparse = "/usr/share/fonts/truetype/dejavu/DejaVuMathTeXGyre.ttf";
  if (!std::filesystem::exists(sparse)) GTEST_SKIP() << "no font with missing glyphs is installed";
  GlyphSet glyphs;
  ASSERT_TRUE(glyphs.load(sparse, 20, true));
  int fallbacks = 0;
  for (int code = 0; code < 256; ++code) {
    const auto byte = static_cast<uint8_t>(code);
    EXPECT_NE(glyphs.source(byte), GlyphSource::kMissing) << code;
    if (glyphs.source(byte) == GlyphSource::kFallback) {
      ++fallbacks;
      EXPECT_GT(covered_pixels(glyphs, byte), 0) << code;
    }
  }
  EXPECT_EQ(glyphs.source(1), GlyphSource::kFallback);  // the smiling face
  EXPECT_GT(fallbacks, 10);
}

TEST(GlyphSet, FallbackFontsHaveTheCodePoint) {
  for (uint8_t code : {1, 3, 127, 158, 236, 254}) {
    const std::string path = find_fallback_font(cp437_glyph(code));
    EXPECT_FALSE(path.empty()) << int{code};
    GlyphSet glyphs;
    EXPECT_TRUE(glyphs.load(path, 16, false)) << path;
    EXPECT_EQ(glyphs.source(code), GlyphSource::kFont) << int{code} << " " << path;
  }
}

TEST(GlyphSet, FilesThatAreNoFontAreRefused) {
  GlyphSet glyphs;
  EXPECT_FALSE(glyphs.load("/nonexistent/font.ttf", 20, true));
  EXPECT_FALSE(glyphs.load("/etc/hostname", 20, true));
  EXPECT_FALSE(glyphs.loaded());
  EXPECT_FALSE(font_file_drawable("/etc/hostname", 20));
  EXPECT_TRUE(font_file_drawable(find_monospace_bold_font(), 20));
}

}  // namespace
