// Lines that only a program file can hold: far longer than the line editor's 255 characters, or with tabs.
#include <gtest/gtest.h>

#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

using LoadedLines = ScratchFolder;

TEST_F(LoadedLines, DeeplyNestedParenthesesAreRefusedNotACrash) {
  // 100,000 characters of "(" would nest far deeper than the C++ stack can follow.
  const std::string deep = "10 PRINT " + std::string(50000, '(') + "1" + std::string(50000, ')') + "\r\n";
  const std::string function = "20 PRINT " + std::string(400, '(') + "ABS(-1)" + std::string(400, ')') + "\r\n";
  write_file("DEEP.TIB", deep + function + "30 PRINT 3\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD DEEP"), "[Ok]\n:");
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.Run("GOTO 20"), "1\n3\n:");  // nesting well inside the limit still evaluates
  EXPECT_EQ(session.Run("PRINT 5"), "5\n:");
}

TEST_F(LoadedLines, ATabIsNoBlank) {
  write_file("TABS.TIB", "10\tPRINT 1\r\n20 PRINT\t2\r\n");
  Session session;
  session.Run("LOAD TABS");
  EXPECT_EQ(session.Run("RUN"), "#Err in  10: Invalid label\n:");
  EXPECT_EQ(session.Run("GOTO 20"), "#Err in  20: Invalid label\n:");  // an item may not start with one
}

}  // namespace
