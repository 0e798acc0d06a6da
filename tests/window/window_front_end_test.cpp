// Tests of the window front end's hooks on the program thread, which need no display.
#include "platform/window/window_front_end.h"

#include <gtest/gtest.h>

#include "platform/core/console.h"
#include "platform/core/fonts.h"

namespace {

TEST(WindowFrontEnd, RefusesFontsFreeTypeCannotDraw) {
  Console console;
  WindowFrontEnd front_end(console, find_monospace_bold_font());
  EXPECT_TRUE(front_end.draws_glyphs());
  EXPECT_TRUE(front_end.select_font(find_monospace_bold_font(), 20));
  // A file with a font's first bytes and nothing behind them.
  const std::string fake = ::testing::TempDir() + "/kelo_fake_font.ttf";
  FILE* file = std::fopen(fake.c_str(), "wb");
  ASSERT_NE(file, nullptr);
  std::fwrite("\x00\x01\x00\x00garbage", 1, 11, file);
  std::fclose(file);
  for (const std::string& path : {fake, std::string("/nonexistent/font.ttf")}) {
    EXPECT_FALSE(front_end.select_font(path, 20)) << path;
  }
  std::remove(fake.c_str());
}

}  // namespace
