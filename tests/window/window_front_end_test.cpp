// Tests of the window front end's hooks on the program thread, which need no display.
#include "platform/window/window_front_end.h"

#include <gtest/gtest.h>

#include "platform/core/fonts.h"
#include "platform/core/host_error.h"

namespace {

TEST(WindowFrontEnd, RefusesFontsFreeTypeCannotDraw) {
  Console console;
  WindowFrontEnd front_end(console);
  EXPECT_TRUE(front_end.draws_glyphs());
  EXPECT_NO_THROW(front_end.font_selected(find_monospace_bold_font(), 20));
  // A file with a font's first bytes and nothing behind them.
  const std::string fake = ::testing::TempDir() + "/kelo_fake_font.ttf";
  FILE* file = std::fopen(fake.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite("\x00\x01\x00\x00garbage", 1, 11, file);
  std::fclose(file);
  for (const std::string& path : {fake, std::string("/nonexistent/font.ttf")}) {
    try {
      front_end.font_selected(path, 20);
      ADD_FAILURE() << path << " was accepted";
    } catch (const HostError& error) {
      EXPECT_EQ(error.code, 258u) << path;
    }
  }
  std::remove(fake.c_str());
}

}  // namespace
