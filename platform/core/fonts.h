// Console fonts: option checking, finding the TrueType file, handles.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct LoadedFont {
  std::string path;  // empty where no file stands behind it (front ends that draw no glyphs)
  int height = 0;
  bool monospace = false;
  bool bold = false;
};

class Fonts {
 public:
  // Raises 5 for an unknown or repeated option or a height below 1; -1 when no file can be read.
  int32_t load_font(std::string_view file, int height, std::string_view options, bool draws_glyphs);
  // The font of a handle that can be selected: raises 258 for a handle that names no
  // loaded font, 5 for a font without MONOSPACE.
  const LoadedFont& font(int32_t handle) const;
  // Selects it; raises as font() does.
  const LoadedFont& set_font(int32_t handle);
  const LoadedFont* selected() const;

  static constexpr int32_t kFirstHandle = 32;

 private:
  std::vector<LoadedFont> fonts_;
  int32_t selected_ = -1;
};

// A readable TrueType/OpenType file?
bool is_truetype_file(const std::string& path);
// The system's fonts: a file of that base name, found with fontconfig; "" when none.
std::string find_system_font(std::string_view base_name);
// The monospace bold face that stands in for the start-up font.
std::string find_monospace_bold_font();
