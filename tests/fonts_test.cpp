// Tests of the console fonts: options, finding the file, handles and selection.
#include "platform/core/fonts.h"

#include <gtest/gtest.h>

#include "tests/support/host_error_of.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_front_end.h"

namespace {

std::string base_name(const std::string& path) { return std::filesystem::path(path).filename(); }

// The system's monospace face, which the font packages of the build set-up provide.
std::string system_mono() {
  std::string path = find_system_font("DejaVuSansMono.ttf");
  EXPECT_FALSE(path.empty()) << "DejaVu Sans Mono is not installed";
  return path;
}

TEST(Fonts, OptionsAndHeightAreChecked) {
  const struct { const char* options; int height; uint32_t code; } cases[] = {
      {"", 20, 0}, {"monospace,bold", 20, 0}, {" Bold , MONOSPACE ", 20, 0}, {"   ", 20, 0},
      {"bold,italic,underline,dontblend,monospace,unicode", 1, 0},
      {"bold,bold", 20, 5}, {"BOLD,Bold", 20, 5}, {"heavy", 20, 5}, {"bold,", 20, 5}, {",bold", 20, 5},
      {"bold italic", 20, 5}, {"monospace", 0, 5}, {"monospace", -3, 5},
  };
  const std::string path = system_mono();
  for (const auto& c : cases) {
    Fonts fonts;
    EXPECT_EQ(host_error_of([&] { fonts.load_font(path, c.height, c.options, true); }), c.code)
        << '"' << c.options << "\" " << c.height;
  }
}

TEST(Fonts, HandlesStartAt32AndSelectOnlyMonospaceFonts) {
  const std::string path = system_mono();
  Fonts fonts;
  EXPECT_EQ(fonts.selected(), nullptr);
  int32_t plain = fonts.load_font(path, 16, "bold", true);
  int32_t mono = fonts.load_font(path, 20, "MONOSPACE,bold", true);
  EXPECT_EQ(plain, Fonts::kFirstHandle);
  EXPECT_EQ(mono, Fonts::kFirstHandle + 1);
  for (int32_t handle : {-1, 0, 31, 34, INT32_MIN, INT32_MAX}) {
    EXPECT_EQ(host_error_of([&] { fonts.set_font(handle); }), 258u) << handle;
  }
  EXPECT_EQ(host_error_of([&] { fonts.set_font(plain); }), 5u);
  EXPECT_EQ(fonts.selected(), nullptr);
  const LoadedFont& chosen = fonts.set_font(mono);
  EXPECT_EQ(chosen.path, path);
  EXPECT_EQ(chosen.height, 20);
  EXPECT_TRUE(chosen.bold);
  EXPECT_EQ(fonts.selected(), &chosen);
}

TEST(Fonts, FindsAFontOfTheSystemByItsBaseNameInAnyCase) {
  const std::string path = system_mono();
  Fonts fonts;
  int32_t handle = fonts.load_font("C:\\WINDOWS\\Fonts\\dejavusansmono.TTF", 20, "monospace", true);
  ASSERT_GE(handle, Fonts::kFirstHandle);
  EXPECT_EQ(fonts.set_font(handle).path, path);
}

TEST(Fonts, StartUpFontStandsInWithAMonospaceBoldFace) {
  const std::string stand_in = find_monospace_bold_font();
  ASSERT_TRUE(is_truetype_file(stand_in));
  const std::string name = base_name(stand_in);
  EXPECT_TRUE(name == "LiberationMono-Bold.ttf" || name == "DejaVuSansMono-Bold.ttf") << name;
  Fonts fonts;
  int32_t handle = fonts.load_font("\\Fonts\\cour.ttf", 20, "monospace,bold", true);
  ASSERT_GE(handle, Fonts::kFirstHandle);
  EXPECT_EQ(fonts.set_font(handle).path, stand_in);
}

using FontFiles = ScratchFolder;

TEST_F(FontFiles, OnlyTrueTypeFilesAreRead) {
  const struct { const char* name; std::string bytes; bool truetype; } cases[] = {
      {"a.ttf", std::string("\x00\x01\x00\x00rest", 8), true}, {"b.ttf", "true....", true},
      {"c.otf", "OTTO....", true}, {"d.ttc", "ttcf....", true}, {"e.ttf", "not a font", false},
      {"f.ttf", "tru", false}, {"g.ttf", "", false},
  };
  for (const auto& c : cases) {
    write_file(c.name, c.bytes);
    EXPECT_EQ(is_truetype_file(c.name), c.truetype) << c.name;
  }
  EXPECT_FALSE(is_truetype_file("missing.ttf"));
  std::filesystem::create_directory("folder.ttf");
  EXPECT_FALSE(is_truetype_file("folder.ttf"));

  Fonts fonts;
  EXPECT_EQ(fonts.load_font("a.ttf", 20, "monospace", true), Fonts::kFirstHandle);
  EXPECT_EQ(fonts.load_font("e.ttf", 20, "monospace", true), -1);
  EXPECT_EQ(fonts.load_font("missing.ttf", 20, "monospace", false), -1);  // only the start-up font may be absent
}

TEST(HostFonts, SelectingAFontTellsTheFrontEnd) {
  ScriptedHost scripted;
  scripted.front_end.glyphs = true;
  int32_t handle = scripted.host.load_font("\\Fonts\\cour.ttf", 20, "monospace,bold");
  ASSERT_GE(handle, Fonts::kFirstHandle);
  scripted.host.set_font(handle);
  EXPECT_EQ(scripted.front_end.font_path, find_monospace_bold_font());
  EXPECT_EQ(scripted.front_end.font_height, 20);
  EXPECT_THROW(scripted.host.set_font(-1), HostError);
}

// A front end that draws no glyphs starts without the system's fonts being searched: the
// start-up font is selected with no file behind it, and other fonts must still exist.
TEST(HostFonts, AFrontEndWithoutGlyphsSelectsTheStartUpFontWithoutAFile) {
  ScriptedHost scripted;
  int32_t handle = scripted.host.load_font("\\Fonts\\cour.ttf", 20, "monospace,bold");
  ASSERT_GE(handle, Fonts::kFirstHandle);
  scripted.host.set_font(handle);
  EXPECT_EQ(scripted.front_end.font_path, "");
  EXPECT_EQ(scripted.front_end.font_height, 20);
  EXPECT_EQ(scripted.host.load_font("missing.ttf", 20, "monospace"), -1);
}

}  // namespace
