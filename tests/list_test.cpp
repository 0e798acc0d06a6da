// LIST: its argument forms, the count line, PAUSE every 20 lines, and the lines it cannot read.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/keyboard.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

const std::vector<std::string> kProgram = {"5 REM A", "10 REM B", "15 REM C", "20 REM D", "30 REM E"};

// The listing of the given lines, its count line and the prompt, as Session::Run shows it.
std::string Listing(const std::vector<std::string>& lines, const std::string& after = "") {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text + "Listed " + std::to_string(lines.size()) + " lines\n" + after + ":";
}

std::vector<std::string> Numbered(int first, int last) {
  std::vector<std::string> lines;
  for (int n = first; n <= last; ++n) lines.push_back(std::to_string(n) + " REM " + std::to_string(n));
  return lines;
}

TEST(List, ArgumentForms) {
  struct Case {
    std::string typed;
    std::vector<std::string> lines;
    std::string after = "";
  };
  const std::vector<std::string> all = kProgram;
  const std::vector<std::string> ten_to_twenty = {"10 REM B", "15 REM C", "20 REM D"};
  const std::vector<std::string> from_ten = {"10 REM B", "15 REM C", "20 REM D", "30 REM E"};
  const std::vector<std::string> to_twenty = {"5 REM A", "10 REM B", "15 REM C", "20 REM D"};
  const Case cases[] = {
      {"LIST", all},
      {"list", all},
      {"LIST PAUSE", all},
      {"LIST 0", all},
      {"LIST 10", {"10 REM B"}},
      {"LIST 12", {}},
      {"LIST 10,20", ten_to_twenty},
      {"LIST 10,20 PAUSE", ten_to_twenty},
      {"LIST 10,", from_ten},
      {"LIST 10 ", from_ten},
      {"LIST 10 PAUSE", from_ten},
      {"LIST ,20", to_twenty},
      {"LIST 0,20", to_twenty},
      {"LIST 10 20", ten_to_twenty},
      {"LIST 10-20", ten_to_twenty},
      {"LIST 10,,20", from_ten, "#Err: End of statement expected\n"},
      {"LIST 5,0", all},
      {"LIST 20,10", {}},
      {"LIST PAUSE,20", to_twenty},
      {"LIST 10,20:PRINT 1", ten_to_twenty, "1\n"},
      {"LIST:PRINT 1", all, "1\n"},
      {"LIST PAUSE:PRINT 1", all, "1\n"},
      // Text LIST does not take is reported once the listing is out.
      {"LIST FOO", all, "#Err: End of statement expected\n"},
      {"LIST 10 X", from_ten, "#Err: End of statement expected\n"},
      {"LIST 10,20 X", ten_to_twenty, "#Err: End of statement expected\n"},
      {"LIST PAUSE X", all, "#Err: End of statement expected\n"},
  };
  Session session;
  for (const std::string& line : kProgram) session.Run(line);
  for (const Case& c : cases) {
    EXPECT_EQ(session.Run(c.typed), Listing(c.lines, c.after)) << c.typed;
    EXPECT_EQ(session.Program(), kProgram);
  }
}

TEST(List, CountLineForNoneAndOne) {
  Session session;
  EXPECT_EQ(session.Run("LIST"), "Listed 0 lines\n:");
  EXPECT_EQ(session.Run("LIST 10"), "Listed 0 lines\n:");
  session.Run("10 PRINT 1");
  EXPECT_EQ(session.Run("LIST"), "10 PRINT 1\nListed 1 lines\n:");
}

TEST(List, BoundsCompareAsSigned16BitNumbers) {
  Session session;
  session.RunAll({"10 REM TEN", "40000 REM BIG"});  // reads as -25536
  EXPECT_EQ(session.Run("LIST"), Listing({"10 REM TEN"}));
  EXPECT_EQ(session.Run("LIST 40000"), Listing({"40000 REM BIG"}));
  EXPECT_EQ(session.Run("LIST 40000,10"), Listing({"40000 REM BIG", "10 REM TEN"}));
}

TEST(List, InAStoredLineItGoesOnWithTheStatementAfterIt) {
  Session session;
  session.RunAll({"10 REM B", "20 REM D", "100 LIST 10,20:PRINT 8", "110 PRINT 9"});
  EXPECT_EQ(session.Run("RUN"), "10 REM B\n20 REM D\nListed 2 lines\n8\n9\n:");
  EXPECT_EQ(session.Run("PRINT 1"), "1\n:");
}

TEST(List, ALineLongerThanARowIsPrintedWhole) {
  Session session;
  const std::string long_line = "10 REM " + std::string(150, 'x');
  session.Run(long_line);
  EXPECT_EQ(session.Run("LIST"), long_line.substr(0, 80) + "\n" + long_line.substr(80) + "\nListed 1 lines\n:");
}

using ListOfLoadedLines = ScratchFolder;

TEST_F(ListOfLoadedLines, ALineWithoutANumberCountsAsLineZero) {
  write_file("IN.TIB", "REM NO NUMBER\r\n10 REM TEN\r\n");
  Session session;
  session.Run("LOAD IN");
  EXPECT_EQ(session.Run("LIST"), Listing({"REM NO NUMBER", "10 REM TEN"}));
  EXPECT_EQ(session.Run("LIST 1,100"), Listing({"10 REM TEN"}));
  EXPECT_EQ(session.Run("LIST ,5"), Listing({"REM NO NUMBER"}));
}

TEST_F(ListOfLoadedLines, ADotAfterALinesNumberStopsTheListing) {
  write_file("IN.TIB", "10 REM TEN\r\n12.5 REM BAD\r\n30 REM THIRTY\r\n");
  Session session;
  session.Run("LOAD IN");
  // Every slot is read, whatever the bounds; no count line follows.
  EXPECT_EQ(session.Run("LIST"), "10 REM TEN\n#Err: Illegal number\n:");
  EXPECT_EQ(session.Run("LIST 30"), "#Err: Illegal number\n:");
  EXPECT_EQ(session.Run("LIST 1.5"), "#Err: Illegal number\n:");
  EXPECT_EQ(session.Run("PRINT 2"), "2\n:");
}

class ListPause : public ::testing::Test {
 protected:
  // The rows shown since the command was typed on the prompt row, the last row then.
  std::string ShownSince(size_t rows_before) {
    const std::vector<std::string> rows = session_.Host().transcript();
    std::string text;
    for (size_t i = rows_before; i < rows.size(); ++i) text += rows[i] + (i + 1 < rows.size() ? "\n" : "");
    return text;
  }
  void TypeProgram(int lines) {
    for (const std::string& line : Numbered(1, lines)) session_.Run(line);
  }

  Session session_;
};

std::string Rows(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST_F(ListPause, WaitsAfterEveryTwentiethLineForAnyKey) {
  TypeProgram(40);
  const size_t before = session_.Host().transcript().size();
  session_.Host().run_line("LIST PAUSE");
  EXPECT_EQ(ShownSince(before), Rows(Numbered(1, 20)) + "Pause...");

  session_.Host().type("\x03");  // Ctrl+C continues the listing, it does not break it
  session_.Idle();
  EXPECT_EQ(ShownSince(before), Rows(Numbered(1, 20)) + "Pause...\n" + Rows(Numbered(21, 40)) + "Pause...");

  session_.Host().press_key(kExtendedKey + 72);  // so does an extended key
  session_.Idle();
  EXPECT_EQ(ShownSince(before), Rows(Numbered(1, 20)) + "Pause...\n" + Rows(Numbered(21, 40)) +
                                    "Pause...\nListed 40 lines\n:");
  // The keys were dropped: nothing stands behind the prompt, and the prompt works.
  EXPECT_EQ(session_.Host().cursor_column(), 3);
  EXPECT_EQ(session_.Run("PRINT 5"), "5\n:");
}

TEST_F(ListPause, ClosingTheWindowEndsTheWait) {
  TypeProgram(21);
  session_.Host().run_line("LIST PAUSE");
  ASSERT_EQ(session_.Host().row(25), "Pause...");
  session_.Host().close_window();
  session_.Idle();
  EXPECT_TRUE(session_.Host().ended());
}

TEST_F(ListPause, OnlyAPauseThatWasTheLastWordCounts) {
  TypeProgram(45);
  size_t before = session_.Host().transcript().size();
  session_.Host().run_line("LIST 11,35 PAUSE");
  EXPECT_EQ(ShownSince(before), Rows(Numbered(11, 30)) + "Pause...");
  session_.Host().type("x");
  session_.Idle();
  EXPECT_EQ(ShownSince(before), Rows(Numbered(11, 30)) + "Pause...\n" + Rows(Numbered(31, 35)) + "Listed 25 lines\n:");

  // These end without waiting for a key.
  before = session_.Host().transcript().size();
  session_.Host().run_line("LIST PAUSE,40");
  EXPECT_EQ(ShownSince(before), Rows(Numbered(1, 40)) + "Listed 40 lines\n:");
  before = session_.Host().transcript().size();
  session_.Host().run_line("LIST");
  EXPECT_EQ(ShownSince(before), Rows(Numbered(1, 45)) + "Listed 45 lines\n:");
}

}  // namespace
