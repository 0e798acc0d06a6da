// The program store: lines kept in number order, replaced, deleted, and the full store.
#include <gtest/gtest.h>

#include "tests/support/session.h"

using Lines = std::vector<std::string>;

TEST(ProgramStore, OrderReplaceAndDelete) {
  struct Case {
    std::vector<std::string_view> typed;
    Lines program;
  };
  const Case cases[] = {
      {{"10 PRINT 1", "20 PRINT 2", "15 PRINT 3"}, {"10 PRINT 1", "15 PRINT 3", "20 PRINT 2"}},
      {{"10 PRINT 1", "20 PRINT 2", "20 PRINT 4"}, {"10 PRINT 1", "20 PRINT 4"}},
      {{"10 PRINT 1", "010 PRINT 5"}, {"010 PRINT 5"}},
      {{"10 PRINT 1", "20 PRINT 2", "20"}, {"10 PRINT 1"}},
      {{"10 PRINT 1", "20 PRINT 2", "20   "}, {"10 PRINT 1"}},
      {{"10 PRINT 1", "25"}, {"10 PRINT 1"}},
      {{"10000 END", "5 END"}, {"5 END", "10000 END"}},
      {{"10000 END", "5"}, {"10000 END"}},
      {{"10 A", "40000 X"}, {"40000 X", "10 A"}},  // -25536 sorts first
      {{"5000 A", "70000 X"}, {"70000 X", "5000 A"}},  // 4464
      {{"  30 A", "20 B "}, {"20 B ", "  30 A"}},
  };
  for (const Case& c : cases) {
    Session session;
    for (std::string_view line : c.typed) EXPECT_EQ(session.Run(line), ":") << line;
    EXPECT_EQ(session.Program(), c.program) << c.typed.back();
  }
}

TEST(ProgramStore, NumberZeroRunsAtOnce) {
  Session session;
  EXPECT_EQ(session.Run("65536 PRINT 9"), "9\n:");
  EXPECT_TRUE(session.Program().empty());
}

TEST(ProgramStore, AFullStore) {
  Session session;
  for (int line = 1; line <= 299; ++line) session.Run(std::to_string(line * 2) + " REM " + std::to_string(line));
  EXPECT_EQ(session.Run("401 X"), "#Err in  401: Program Overflow\n:");
  EXPECT_EQ(session.Run("999 X"), "#Err in  999: Program Overflow\n:");
  EXPECT_EQ(session.Run("3"), "#Err in  3: Program Overflow\n:");  // a bare new number too
  EXPECT_EQ(session.Program().size(), 299u);
  EXPECT_EQ(session.Run("4 NEW TEXT"), ":");                          // replacing still works
  EXPECT_EQ(session.Program()[1], "4 NEW TEXT");
  EXPECT_EQ(session.Run("2"), ":");                                   // and deleting
  const Lines program = session.Program();
  ASSERT_EQ(program.size(), 298u);
  EXPECT_EQ(program.front(), "4 NEW TEXT");
  EXPECT_EQ(program.back(), "598 REM 299");
  EXPECT_TRUE(session.State().program_lines[kLastProgramSlot].empty());
}

TEST(ProgramStore, ATypedLineAfterAnErrorInAFunctionLine) {
  Session session;
  session.Run("10 PRINT ABS(1)/0");
  EXPECT_EQ(session.Run("RUN"), "#Err in  10: Division by zero\n:");
  session.Run("5 PRINT 1");
  EXPECT_EQ(session.Program(), (Lines{"5 PRINT 1", "10 PRINT ABS(1)/0"}));
  session.Run("RUN");
  session.Run("10 PRINT 7");
  EXPECT_EQ(session.Program(), (Lines{"5 PRINT 1", "10 PRINT 7"}));
}
