// HELP: the 20 rows of the box byte for byte, and where they land on the screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/session.h"

namespace {

// The box written out from its description, independently of how the interpreter builds it:
// each inner text with the count of blanks that fills it to 69 columns.
std::vector<std::string> ExpectedBox() {
  const struct {
    const char* text;
    size_t blanks;
  } inner[] = {
      {" BYE, CLEAR, END, HELP, NEW, RANDOM, RETURN, RUN, STOP, TRACE", 8},
      {" FILES [<pattern>]", 51},
      {" FOR <var>=<expr1> TO <expr2> [STEP <expr3>] ... NEXT <var>", 10},
      {" GOTO | GOSUB <expr>", 49},
      {" IF <expr> THEN <statement>", 42},
      {" INPUT <var>,[<var>]", 49},
      {" [LET] <var>=<expr>", 50},
      {" LIST [<line>[,[<line>]]] [PAUSE]", 36},
      {" LOAD | SAVE <filename>", 46},
      {" OUTCHAR <expr>", 54},
      {" POKE | VPOKE <ind>,<expr>", 43},
      {" PRINT <expr|string>[,<expr|string>][;]", 30},
      {" REM <anystring>", 53},
      {" Operators: + - * / % (MOD)   Integer variables: A..Z and array @(.)", 1},
      {" Functions: ABS(,INCHAR,PEEK(,VPEEK(,RND(,SGN(,SIZE", 18},
      {" Hexadecimal constant with $ (4 digits required) - ex. $07FF", 9},
      {" Note: PEEK/POKE read/write in @(.) VPEEK/VPOKE in screen memory", 5},
  };
  std::vector<std::string> rows;
  rows.push_back("\xDA" + std::string(22, '\xC4') + " KELO BASIC HELP " + std::string(30, '\xC4') + "\xBF");
  for (const auto& row : inner) rows.push_back("\xB3" + std::string(row.text) + std::string(row.blanks, ' ') + "\xB3\xDB");
  rows.push_back("\xC0" + std::string(69, '\xC4') + "\xD9\xDB");
  rows.push_back("  " + std::string(70, '\xDF'));
  return rows;
}

std::string Joined(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

TEST(HelpScreen, TheTwentyRowsByteForByte) {
  const std::vector<std::string> box = ExpectedBox();
  ASSERT_EQ(box.size(), 20u);
  EXPECT_EQ(box[0].size(), 71u);
  for (size_t row = 1; row < 20; ++row) EXPECT_EQ(box[row].size(), 72u) << "row " << row + 1;

  const auto& lines = help_lines();
  for (size_t row = 0; row < 20; ++row) EXPECT_EQ(lines[row], box[row]) << "row " << row + 1;
}

TEST(HelpScreen, AtThePromptTheBoxFillsColumnsOneTo72OfTwentyRows) {
  Session session;
  EXPECT_EQ(session.Run("HELP"), Joined(ExpectedBox()) + ":");
  // Rows 1 and 2 hold the banner, row 3 the typed HELP.
  for (int row = 0; row < 20; ++row) EXPECT_EQ(session.Host().row(4 + row), ExpectedBox()[row]);
  EXPECT_EQ(session.Host().row(24), ":");
}

TEST(HelpScreen, TheFirstRowStaysOnTheCursorsRowWhileItFits) {
  struct Case {
    std::string before;  // printed first, leaving the cursor behind it
    bool first_row_moves;
  };
  const Case cases[] = {
      {"1234", false},       // column 5
      {"123456789", false},  // column 10: the 71 bytes end in column 80
      {"1234567890", true},  // column 11: they no longer fit
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.before);
    Session session;
    std::vector<std::string> box = ExpectedBox();
    if (c.first_row_moves) {
      box.insert(box.begin(), c.before);
    } else {
      box[0] = c.before + box[0];
    }
    EXPECT_EQ(session.Run("PRINT \"" + c.before + "\";:HELP"), Joined(box) + ":");
  }
}

TEST(HelpScreen, AfterATraceMarkTheFirstRowFollowsIt) {
  Session session;
  session.RunAll({"10 HELP", "TRACE"});
  std::vector<std::string> box = ExpectedBox();
  box[0] = "[ 10 ]" + box[0];
  EXPECT_EQ(session.Run("RUN"), Joined(box) + ":");
}

TEST(HelpScreen, OtherStatementsFollowOrFail) {
  Session session;
  EXPECT_EQ(session.Run("HELP:PRINT 1"), Joined(ExpectedBox()) + "1\n:");
  EXPECT_EQ(session.Run("HELP X"), Joined(ExpectedBox()) + "#Err: End of statement expected\n:");
  EXPECT_EQ(session.Run("help  "), Joined(ExpectedBox()) + ":");
}

TEST(HelpScreen, AStoredLinePrintsTheBoxEachTimeItRuns) {
  Session session;
  session.RunAll({"10 FOR I=1 TO 2", "20 HELP", "30 NEXT I", "40 PRINT 9"});
  EXPECT_EQ(session.Run("RUN"), Joined(ExpectedBox()) + Joined(ExpectedBox()) + "9\n:");
}

TEST(HelpScreen, OnAFullScreenTheBoxScrollsUpWhole) {
  Session session;
  for (int n = 0; n < 12; ++n) session.Run("PRINT " + std::to_string(n));
  session.Run("HELP");
  const std::vector<std::string> rows = session.Host().screen_rows();
  std::vector<std::string> expected = ExpectedBox();
  expected.push_back(":");
  EXPECT_EQ(std::vector<std::string>(rows.end() - 21, rows.end()), expected);
  EXPECT_EQ(rows[24 - 21], ": HELP");
}

}  // namespace
