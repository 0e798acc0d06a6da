// Rasterising the text screen's glyphs with FreeType, with a fontconfig fallback for missing ones.
#include "platform/window/glyph_set.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_SYNTHESIS_H

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>
#include <memory>

#include "platform/core/cp437.h"
#include "platform/window/box_drawing.h"

namespace {

// Rounds 26.6 fixed-point pixels up and down.
int ceil_pixels(FT_Pos value) { return static_cast<int>((value + 63) >> 6); }
int round_pixels(FT_Pos value) { return static_cast<int>((value + 32) >> 6); }

class FreeTypeLibrary {
 public:
  FreeTypeLibrary() {
    if (FT_Init_FreeType(&library_) != 0) library_ = nullptr;
  }
  ~FreeTypeLibrary() {
    if (library_ != nullptr) FT_Done_FreeType(library_);
  }
  FreeTypeLibrary(const FreeTypeLibrary&) = delete;
  FreeTypeLibrary& operator=(const FreeTypeLibrary&) = delete;
  FT_Library get() const { return library_; }

 private:
  FT_Library library_ = nullptr;
};

// A face read from a font file held in memory; the bytes live as long as the face.
class Face {
 public:
  Face(FT_Library library, const std::string& path, int pixel_height) {
    std::ifstream file(path, std::ios::binary);
    if (!file || library == nullptr) return;
    bytes_.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (bytes_.empty()) return;
    if (FT_New_Memory_Face(library, reinterpret_cast<const FT_Byte*>(bytes_.data()), static_cast<FT_Long>(bytes_.size()),
                           0, &face_) != 0) {
      face_ = nullptr;
      return;
    }
    if (FT_Set_Pixel_Sizes(face_, 0, static_cast<FT_UInt>(pixel_height)) != 0) {
      FT_Done_Face(face_);
      face_ = nullptr;
    }
  }
  ~Face() {
    if (face_ != nullptr) FT_Done_Face(face_);
  }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face get() const { return face_; }

 private:
  std::string bytes_;
  FT_Face face_ = nullptr;
};

// Loads and renders one glyph in grey levels; the slot holds the bitmap.
bool render_glyph(FT_Face face, FT_UInt index, bool embolden) {
  if (FT_Load_Glyph(face, index, FT_LOAD_DEFAULT) != 0) return false;
  if (embolden) FT_GlyphSlot_Embolden(face->glyph);
  return FT_Render_Glyph(face->glyph, FT_RENDER_MODE_NORMAL) == 0;
}

// Copies the slot's bitmap onto the cell, its origin at (0, baseline), clipped to the cell.
void place_bitmap(const FT_GlyphSlot slot, int baseline, int width, int height, uint8_t* cell) {
  const FT_Bitmap& bitmap = slot->bitmap;
  const int left = slot->bitmap_left;
  const int top = baseline - slot->bitmap_top;
  for (unsigned row = 0; row < bitmap.rows; ++row) {
    const int y = top + static_cast<int>(row);
    if (y < 0 || y >= height) continue;
    const unsigned char* source = bitmap.buffer + static_cast<ptrdiff_t>(row) * bitmap.pitch;
    for (unsigned column = 0; column < bitmap.width; ++column) {
      const int x = left + static_cast<int>(column);
      if (x < 0 || x >= width) continue;
      cell[y * width + x] = std::max(cell[y * width + x], source[column]);
    }
  }
}

}  // namespace

bool GlyphSet::load(const std::string& path, int pixel_height, bool bold) {
  FreeTypeLibrary library;
  Face face(library.get(), path, pixel_height);
  FT_Face primary = face.get();
  if (primary == nullptr) return false;
  const bool embolden = bold && (primary->style_flags & FT_STYLE_FLAG_BOLD) == 0;

  // The cell: the advance of a wide letter, the ascent and descent of the face.
  int width = 0;
  const FT_UInt wide_letter = FT_Get_Char_Index(primary, 'M');
  if (wide_letter != 0 && FT_Load_Glyph(primary, wide_letter, FT_LOAD_DEFAULT) == 0) {
    if (embolden) FT_GlyphSlot_Embolden(primary->glyph);
    width = round_pixels(primary->glyph->advance.x);
  }
  if (width <= 0) width = round_pixels(primary->size->metrics.max_advance);
  const int ascent = ceil_pixels(primary->size->metrics.ascender);
  const int height = ascent + ceil_pixels(-primary->size->metrics.descender);
  if (width <= 0 || height <= 0) return false;

  cell_width_ = width;
  cell_height_ = height;
  coverage_.assign(cell_bytes() * 256, 0);
  std::map<std::string, std::unique_ptr<Face>> fallbacks;
  for (int code = 0; code < 256; ++code) {
    uint8_t* cell = &coverage_[static_cast<size_t>(code) * cell_bytes()];
    const auto byte = static_cast<uint8_t>(code);
    if (is_geometric_glyph(byte)) {
      draw_geometric_glyph(byte, width, height, cell);
      sources_[byte] = GlyphSource::kGeometry;
      continue;
    }
    const char32_t code_point = cp437_glyph(byte);
    if (const FT_UInt index = FT_Get_Char_Index(primary, code_point); index != 0) {
      if (render_glyph(primary, index, embolden)) place_bitmap(primary->glyph, ascent, width, height, cell);
      sources_[byte] = GlyphSource::kFont;
      continue;
    }
    sources_[byte] = GlyphSource::kMissing;
    const std::string fallback_path = find_fallback_font(code_point);
    if (fallback_path.empty()) continue;
    auto& fallback = fallbacks[fallback_path];
    if (!fallback) fallback = std::make_unique<Face>(library.get(), fallback_path, pixel_height);
    FT_Face other = fallback->get();
    if (other == nullptr) continue;
    if (const FT_UInt index = FT_Get_Char_Index(other, code_point); index != 0) {
      const bool other_embolden = bold && (other->style_flags & FT_STYLE_FLAG_BOLD) == 0;
      if (render_glyph(other, index, other_embolden)) place_bitmap(other->glyph, ascent, width, height, cell);
      sources_[byte] = GlyphSource::kFallback;
    }
  }
  return true;
}

bool font_file_drawable(const std::string& path, int pixel_height) {
  FreeTypeLibrary library;
  Face face(library.get(), path, pixel_height);
  return face.get() != nullptr;
}

std::string find_fallback_font(char32_t code_point) {
  FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>("monospace:bold"));
  if (pattern == nullptr) return {};
  FcCharSet* wanted = FcCharSetCreate();
  FcCharSetAddChar(wanted, code_point);
  FcPatternAddCharSet(pattern, FC_CHARSET, wanted);
  FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
  FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
  FcDefaultSubstitute(pattern);
  FcResult result;
  FcFontSet* fonts = FcFontSort(nullptr, pattern, FcFalse, nullptr, &result);
  std::string path;
  // The best match that really has the code point: a monospace face when one has it.
  for (int i = 0; fonts != nullptr && i < fonts->nfont && path.empty(); ++i) {
    FcCharSet* has = nullptr;
    FcChar8* file = nullptr;
    if (FcPatternGetCharSet(fonts->fonts[i], FC_CHARSET, 0, &has) == FcResultMatch && FcCharSetHasChar(has, code_point) &&
        FcPatternGetString(fonts->fonts[i], FC_FILE, 0, &file) == FcResultMatch) {
      path = reinterpret_cast<const char*>(file);
    }
  }
  if (fonts != nullptr) FcFontSetDestroy(fonts);
  FcCharSetDestroy(wanted);
  FcPatternDestroy(pattern);
  return path;
}
