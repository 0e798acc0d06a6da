// The 256 code page 437 glyphs of the text screen, rasterised with FreeType at one cell size.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Where a code's glyph came from.
enum class GlyphSource : uint8_t {
  kFont,      // the console font
  kFallback,  // a monospace font that fontconfig found for a code point the console font lacks
  kGeometry,  // shades, box-drawing and blocks, drawn from the cell's geometry
  kMissing,   // no installed font has it: the cell shows its background
};

class GlyphSet {
 public:
  // Rasterises all 256 codes from the font file at `pixel_height` pixels in grey levels,
  // emboldened when `bold` is asked for and the face is not bold itself. The cell is as
  // wide as the font's advance and as high as its ascent plus descent. False, leaving the
  // set as it was, when the file is no font FreeType can read.
  bool load(const std::string& path, int pixel_height, bool bold);

  bool loaded() const { return cell_width_ > 0; }
  int cell_width() const { return cell_width_; }
  int cell_height() const { return cell_height_; }
  // cell_width x cell_height coverage bytes (0 to 255), row by row.
  const uint8_t* glyph(uint8_t code) const { return &coverage_[static_cast<size_t>(code) * cell_bytes()]; }
  GlyphSource source(uint8_t code) const { return sources_[code]; }

 private:
  size_t cell_bytes() const { return static_cast<size_t>(cell_width_) * static_cast<size_t>(cell_height_); }

  int cell_width_ = 0;
  int cell_height_ = 0;
  std::vector<uint8_t> coverage_;
  std::vector<GlyphSource> sources_ = std::vector<GlyphSource>(256, GlyphSource::kMissing);
};

// Whether FreeType can draw the font file at that height; safe on any thread.
bool font_file_drawable(const std::string& path, int pixel_height);

// The monospace bold font file that fontconfig offers for a code point, "" when none has it.
std::string find_fallback_font(char32_t code_point);
