// Tests of the text screen: cursor, wrapping, the held cursor, control codes, scrolling.
#include "platform/core/text_screen.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_front_end.h"

namespace {

enum class Op { Print, PrintLine, Fit, LocateColumn1 };

struct Step {
  Op op;
  std::string text;
};

struct ScreenCase {
  const char* name;
  std::vector<Step> steps;
  std::vector<std::string> rows;  // expected rows from row 1 on
  int row, column;
  bool held;
};

std::string run(int count, char c) { return std::string(static_cast<size_t>(count), c); }

void apply(TextScreen& screen, const Step& step) {
  switch (step.op) {
    case Op::Print: screen.print_string(step.text, false); break;
    case Op::PrintLine: screen.print_string(step.text, true); break;
    case Op::Fit: screen.print_fit(step.text); break;
    case Op::LocateColumn1: screen.locate_cursor(1); break;
  }
}

TEST(TextScreen, CursorRulesOfPrinting) {
  const std::string full = run(80, 'x');
  const ScreenCase cases[] = {
      {"text moves the cursor", {{Op::Print, "ABC"}}, {"ABC"}, 1, 4, false},
      {"line end", {{Op::PrintLine, "ABC"}}, {"ABC", ""}, 2, 1, false},
      {"full row holds the cursor", {{Op::Print, full}}, {full, ""}, 1, 80, true},
      {"held then line end moves once", {{Op::Print, full}, {Op::PrintLine, ""}}, {full, "", ""}, 2, 1, false},
      {"held then text goes on below", {{Op::Print, full}, {Op::Print, "Y"}}, {full, "Y"}, 2, 2, false},
      {"held then empty text keeps the hold", {{Op::Print, full}, {Op::Print, ""}}, {full, ""}, 1, 80, true},
      {"full row with line end", {{Op::PrintLine, full}}, {full, ""}, 2, 1, false},
      {"long text wraps", {{Op::Print, full + "12345"}}, {full, "12345"}, 2, 6, false},
      {"fit keeps an item that fits", {{Op::Print, run(75, 'a')}, {Op::Fit, "12345"}, {Op::Print, "12345"}},
       {run(75, 'a') + "12345", ""}, 1, 80, true},
      {"fit moves an item that does not fit", {{Op::Print, run(75, 'a')}, {Op::Fit, "123456"}}, {run(75, 'a'), ""}, 2, 1, false},
      {"fit at column 1 does nothing", {{Op::Fit, run(200, 'z')}}, {""}, 1, 1, false},
      {"fit on a held cursor does nothing", {{Op::Print, full}, {Op::Fit, "abc"}}, {full, ""}, 1, 80, true},
      {"tab to the next column 8k+1", {{Op::Print, "A\tB"}}, {"A       B"}, 1, 10, false},
      {"tab at column 1 moves a whole stop", {{Op::Print, "\tX"}}, {"        X"}, 1, 10, false},
      {"tab near the end fills the row and holds", {{Op::Print, run(74, 'a') + "\t"}}, {run(74, 'a')}, 1, 80, true},
      {"CR and LF start the next row", {{Op::Print, "A\rB\nC"}}, {"A", "B", "C"}, 3, 2, false},
      {"11 goes to the top row", {{Op::Print, "A\rB\x0b" "C"}}, {"C", "B"}, 1, 2, false},
      {"12 clears the screen", {{Op::Print, "A\rB\x0c" "C"}}, {"C", ""}, 1, 2, false},
      {"cursor moves stop at the edges", {{Op::Print, "\x1e\x1d" "A\x1f\x1c" "B"}}, {"A", "  B"}, 2, 4, false},
      {"cursor left overwrites", {{Op::Print, "AB\x1d\x1dX"}}, {"XB"}, 1, 2, false},
      {"cursor right stops at column 80", {{Op::Print, run(79, 'a') + "\x1c\x1cZ"}}, {run(79, 'a') + "Z"}, 1, 80, true},
      {"locate releases the hold on its row", {{Op::Print, full}, {Op::LocateColumn1, ""}, {Op::Print, "Y"}},
       {"Y" + run(79, 'x'), ""}, 1, 2, false},
      {"a control code after a hold acts on the next row", {{Op::Print, full}, {Op::Print, "\r"}}, {full, "", ""}, 3, 1, false},
      {"other codes are glyphs", {{Op::Print, "\x01\x1b\x7f\xdb"}}, {"\x01\x1b\x7f\xdb"}, 1, 5, false},
  };
  for (const ScreenCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedFrontEnd front_end;
    TextScreen screen(front_end);
    for (const Step& step : c.steps) apply(screen, step);
    for (size_t i = 0; i < c.rows.size(); ++i) EXPECT_EQ(row_text(screen, static_cast<int>(i) + 1), c.rows[i]) << "row " << i + 1;
    EXPECT_EQ(screen.cursor_row(), c.row);
    EXPECT_EQ(screen.cursor_column(), c.column);
    EXPECT_EQ(screen.cursor_held(), c.held);
  }
}

TEST(TextScreen, StartsBlankInLightGrey) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  for (int offset = 0; offset < TextScreen::kBytes; offset += 2) {
    ASSERT_EQ(screen.byte_at(offset), ' ');
    ASSERT_EQ(screen.byte_at(offset + 1), 7);
  }
  EXPECT_EQ(screen.cursor_row(), 1);
  EXPECT_EQ(screen.cursor_column(), 1);
}

TEST(TextScreen, LineEndOnBottomRowScrollsOnce) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  for (int line = 1; line <= 25; ++line) screen.print_string("L" + std::to_string(line), true);
  EXPECT_EQ(front_end.scrolled_rows, std::vector<std::string>{"L1"});
  EXPECT_EQ(row_text(screen, 1), "L2");
  EXPECT_EQ(row_text(screen, 24), "L25");
  EXPECT_EQ(row_text(screen, 25), "");
  EXPECT_EQ(screen.cursor_row(), 25);
  EXPECT_EQ(screen.cursor_column(), 1);
}

TEST(TextScreen, HeldCursorOnBottomRowScrollsOnlyWhenTextFollows) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  for (int line = 1; line <= 24; ++line) screen.print_string("", true);
  screen.print_string(std::string(80, 'b'), false);
  EXPECT_TRUE(front_end.scrolled_rows.empty());
  EXPECT_TRUE(screen.cursor_held());
  screen.print_string("", true);
  EXPECT_EQ(front_end.scrolled_rows.size(), 1u);
  EXPECT_EQ(row_text(screen, 24), std::string(80, 'b'));
  EXPECT_EQ(screen.cursor_row(), 25);
  EXPECT_EQ(screen.cursor_column(), 1);
}

TEST(TextScreen, ScrolledInRowIsBlankInLightGrey) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  for (int offset = 0; offset < TextScreen::kBytes; ++offset) screen.set_byte(offset, 0x4F);
  for (int line = 1; line <= 25; ++line) screen.print_string("", true);
  for (int column = 0; column < TextScreen::kColumns; ++column) {
    EXPECT_EQ(screen.byte_at(24 * 160 + column * 2), ' ');
    EXPECT_EQ(screen.byte_at(24 * 160 + column * 2 + 1), 7);
  }
  EXPECT_EQ(screen.byte_at(23 * 160), 0x4F);
}

TEST(TextScreen, BellPausesWithoutPrinting) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  screen.print_string("A\aB", false);
  EXPECT_EQ(front_end.pauses, std::vector<int>{250});
  EXPECT_EQ(row_text(screen, 1), "AB");
}

TEST(TextScreen, ClearScreenBlanksAndHomesTheCursor) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  screen.print_string("one", true);
  screen.print_string("two", false);
  screen.clear_screen();
  EXPECT_EQ(row_text(screen, 1), "");
  EXPECT_EQ(row_text(screen, 2), "");
  EXPECT_EQ(screen.cursor_row(), 1);
  EXPECT_EQ(screen.cursor_column(), 1);
}

TEST(TextScreen, NarrowedViewScrollsAndClearsOnlyItsRows) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  screen.print_string("TOP", true);
  for (int line = 2; line < 24; ++line) screen.print_string("", true);
  screen.print_string("row 24", false);
  screen.set_view(25, 25);
  EXPECT_EQ(screen.cursor_row(), 25);
  screen.print_string("X", true);
  screen.print_string("Y\x0b" "Z", false);  // 11: the top of the view is row 25
  EXPECT_TRUE(front_end.scrolled_rows.empty());  // "X" left the view, not the top of the screen
  EXPECT_EQ(row_text(screen, 1), "TOP");
  EXPECT_EQ(row_text(screen, 24), "row 24");
  EXPECT_EQ(row_text(screen, 25), "Z");
  screen.clear_screen();
  EXPECT_EQ(row_text(screen, 1), "TOP");
  EXPECT_EQ(row_text(screen, 25), "");
  EXPECT_EQ(screen.cursor_row(), 25);
}

TEST(TextScreen, EraseLastGlyphFollowsTheEchoBackAcrossTheWrap) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  for (int i = 0; i < 81; ++i) screen.put_glyph('a' + i % 26);
  EXPECT_EQ(screen.cursor_row(), 2);
  screen.erase_last_glyph();  // the glyph in row 2, column 1
  screen.erase_last_glyph();  // the glyph in row 1, column 80
  EXPECT_EQ(row_text(screen, 2), "");
  EXPECT_EQ(row_text(screen, 1).size(), 79u);
  EXPECT_EQ(screen.cursor_row(), 1);
  EXPECT_EQ(screen.cursor_column(), 80);
  EXPECT_FALSE(screen.cursor_held());
  screen.put_glyph('Z');
  EXPECT_EQ(row_text(screen, 1).back(), 'Z');
  EXPECT_TRUE(screen.cursor_held());
  screen.erase_last_glyph();  // from the held cursor: the glyph under it
  EXPECT_EQ(row_text(screen, 1).size(), 79u);
  EXPECT_EQ(screen.cursor_column(), 80);
}

TEST(TextScreen, EraseAtTopLeftOfTheViewDoesNothing) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  screen.print_string("keep", false);
  screen.locate_cursor(1);
  screen.erase_last_glyph();
  EXPECT_EQ(row_text(screen, 1), "keep");
  EXPECT_EQ(screen.cursor_column(), 1);
}

TEST(TextScreen, PutGlyphShowsControlCodesAsGlyphs) {
  ScriptedFrontEnd front_end;
  TextScreen screen(front_end);
  for (uint8_t code : {3, 7, 10, 13}) screen.put_glyph(code);
  EXPECT_EQ(row_text(screen, 1), "\x03\x07\x0a\x0d");
  EXPECT_TRUE(front_end.pauses.empty());
  EXPECT_EQ(screen.cursor_column(), 5);
}

}  // namespace
