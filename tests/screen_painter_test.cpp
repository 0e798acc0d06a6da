// The screen as terminal output: only changed cells, colours, the cursor, the size message.
#include "platform/terminal/screen_painter.h"

#include <gtest/gtest.h>

#include <string>

namespace {

ScreenSnapshot Blank() {
  ScreenSnapshot snapshot;
  for (int offset = 0; offset < kScreenBytes; offset += 2) {
    snapshot.cells[offset] = ' ';
    snapshot.cells[offset + 1] = 7;
  }
  return snapshot;
}

void Put(ScreenSnapshot& snapshot, int row, int column, std::string_view text, uint8_t attribute = 7) {
  for (char c : text) {
    const int offset = ((row - 1) * kScreenColumns + (column - 1)) * 2;
    snapshot.cells[offset] = static_cast<uint8_t>(c);
    snapshot.cells[offset + 1] = attribute;
    ++column;
  }
}

TEST(ScreenPainter, TheFirstFrameClearsAndDrawsEveryCell) {
  ScreenPainter painter;
  ScreenSnapshot screen = Blank();
  Put(screen, 1, 1, "Hi");
  std::string out;
  painter.paint(screen, out);
  EXPECT_EQ(out.rfind("\x1b[0m\x1b[H\x1b[2J\x1b[1;1H\x1b[0;37;40mHi   ", 0), 0u) << out.substr(0, 40);
  // One move for the first cell, no other: the cells follow each other row by row.
  size_t moves = 0;
  for (size_t at = out.find('H', 0); at != std::string::npos; at = out.find(";1H", at + 1)) ++moves;
  EXPECT_LE(moves, 26u);
  EXPECT_EQ(out.substr(out.size() - 6), "\x1b[?25l");  // not editing: the cursor is hidden
}

TEST(ScreenPainter, ThenOnlyTheCellsThatChanged) {
  ScreenPainter painter;
  ScreenSnapshot screen = Blank();
  std::string out;
  painter.paint(screen, out);
  out.clear();
  painter.paint(screen, out);
  EXPECT_EQ(out, "");  // nothing changed, nothing written
  Put(screen, 3, 5, "AB");
  Put(screen, 25, 80, "\xDB");
  painter.paint(screen, out);
  EXPECT_EQ(out, "\x1b[3;5H\x1b[0;37;40mAB\x1b[25;80H\u2588\x1b[?25l");
}

TEST(ScreenPainter, AttributesAsColours) {
  // Bits 0-3 the foreground (8-15 bright), bits 4-6 the background, bit 7 blinks; the
  // colour numbers turn from blue-green-red to red-green-blue order.
  const struct { uint8_t attribute; const char* sgr; } cases[] = {
      {0x07, "\x1b[0;37;40m"}, {0x01, "\x1b[0;34;40m"}, {0x04, "\x1b[0;31;40m"}, {0x06, "\x1b[0;33;40m"},
      {0x0F, "\x1b[0;97;40m"}, {0x09, "\x1b[0;94;40m"}, {0x08, "\x1b[0;90;40m"}, {0x1E, "\x1b[0;93;44m"},
      {0x70, "\x1b[0;30;47m"}, {0x4F, "\x1b[0;97;41m"}, {0x87, "\x1b[0;37;40;5m"}, {0xF0, "\x1b[0;30;47;5m"},
  };
  for (const auto& c : cases) {
    ScreenPainter painter;
    ScreenSnapshot screen = Blank();
    std::string out;
    painter.paint(screen, out);
    out.clear();
    Put(screen, 1, 1, "x", c.attribute);
    painter.paint(screen, out);
    EXPECT_EQ(out, std::string("\x1b[1;1H") + c.sgr + "x\x1b[?25l") << int(c.attribute);
  }
}

TEST(ScreenPainter, GlyphsOfEveryCodeAsUtf8) {
  ScreenPainter painter;
  ScreenSnapshot screen = Blank();
  std::string out;
  painter.paint(screen, out);
  out.clear();
  Put(screen, 1, 1, std::string("\x01\xC9\xCD\x00\x7F", 5));
  painter.paint(screen, out);
  EXPECT_EQ(out, "\x1b[1;1H\x1b[0;37;40m\u263A\u2554\u2550 \u2302\x1b[?25l");
}

TEST(ScreenPainter, TheCursorShowsWhereTheLineEditorWaits) {
  ScreenPainter painter;
  ScreenSnapshot screen = Blank();
  std::string out;
  painter.paint(screen, out);
  out.clear();
  screen.editing = true;
  screen.cursor_row = 3;
  screen.cursor_column = 7;
  painter.paint(screen, out);
  EXPECT_EQ(out, "\x1b[3;7H\x1b[?25h");
  out.clear();
  painter.paint(screen, out);
  EXPECT_EQ(out, "");
  screen.cursor_column = 8;
  Put(screen, 3, 7, "k");
  painter.paint(screen, out);
  EXPECT_EQ(out, "\x1b[3;7H\x1b[0;37;40mk\x1b[3;8H\x1b[?25h");
  out.clear();
  screen.editing = false;
  painter.paint(screen, out);
  EXPECT_EQ(out, "\x1b[?25l");
}

TEST(ScreenPainter, ATerminalTooSmallShowsOneLineThenEverythingAgain) {
  ScreenPainter painter;
  ScreenSnapshot screen = Blank();
  std::string out;
  painter.paint(screen, out);
  out.clear();
  painter.too_small(60, 20, out);
  EXPECT_EQ(out, "\x1b[0m\x1b[?25l\x1b[H\x1b[2J"
                 "Kelo BASIC needs 80 x 25; this terminal is 60 x 20.");
  out.clear();
  painter.too_small(30, 20, out);
  EXPECT_EQ(out.substr(out.find("\x1b[2J") + 4), "Kelo BASIC needs 80 x 25; this");  // cut to fit
  out.clear();
  painter.paint(screen, out);
  EXPECT_EQ(out.rfind("\x1b[0m\x1b[H\x1b[2J", 0), 0u);  // all of it again
  EXPECT_GT(out.size(), 2000u);
}

// A notice stands on row 26, below the screen: drawn with each full frame (after the clear
// that would wipe it), never by the frames that only change cells.
TEST(ScreenPainter, ANoticeStandsBelowTheScreenWithEveryFullFrame) {
  ScreenPainter painter;
  painter.set_notice("why not a window");
  ScreenSnapshot screen = Blank();
  std::string out;
  painter.paint(screen, out);
  EXPECT_EQ(out.rfind("\x1b[0m\x1b[H\x1b[2J\x1b[26;1Hwhy not a window\x1b[1;1H", 0), 0u) << out.substr(0, 60);
  out.clear();
  Put(screen, 1, 1, "A");
  painter.paint(screen, out);
  EXPECT_EQ(out.find("why"), std::string::npos) << out;
  out.clear();
  painter.forget();  // resized: everything again
  painter.paint(screen, out);
  EXPECT_NE(out.find("\x1b[2J\x1b[26;1Hwhy not a window"), std::string::npos) << out.substr(0, 60);
  out.clear();
  painter.set_notice("");  // no row to spare any more
  painter.forget();
  painter.paint(screen, out);
  EXPECT_EQ(out.find("\x1b[26;"), std::string::npos) << out.substr(0, 60);
}

TEST(ScreenPainter, TheTitleGoesToTheTerminalsTitle) {
  std::string out;
  ScreenPainter::title("KELO \x82\x07x", out);
  EXPECT_EQ(out, "\x1b]0;KELO \u00E9x\x07");  // a control code would end it early: left out
}

}  // namespace
