// The prompt loop: typed lines, statement sequencing, the error prefixes, TRACE and Break.
#include <gtest/gtest.h>

#include "tests/support/session.h"

TEST(PromptLoop, LinesThatDoNothing) {
  for (std::string_view line : {"", "   ", "0", "000"}) {
    Session session;
    EXPECT_EQ(session.Run(line), ":") << "'" << line << "'";
    EXPECT_TRUE(session.Program().empty());
  }
}

TEST(PromptLoop, TypedLinesRunOrAreStored) {
  ExpectShows({
      {"0 PRINT 5", "5\n:"},
      {"print 5", "5\n:"},
      {"PRINT 1:PRINT 2", "1\n2\n:"},
      {"PRINT 1:", "1\n#Err: Invalid label\n:"},     // nothing after the ":"
      {"5", ":"},                                    // a bare number stores nothing
      {"*", "#Err: Invalid label\n:"},
      {"FOO", "#Err: Variable expected\n:"},
      {"FORI=1TO9", "#Err: Variable expected\n:"},   // one word, not FOR
      {"PRINT@", "#Err: Variable expected\n:"},
      {"print5", "5\n:"},
      {"CLEAR X", "#Err: End of statement expected\n:"},
      {".5", "#Err: Illegal number\n:"},
      {"12.5 PRINT", "#Err: Illegal number\n:"},
      {"PRINT @", "Error  9\n:"},
  });
  Session session;
  EXPECT_EQ(session.Run("10 PRINT 5"), ":");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 PRINT 5"});
}

TEST(PromptLoop, ErrorPrefixNamesAPositiveLineNumber) {
  Session session;
  session.Run("10 PRINT 1/0");
  EXPECT_EQ(session.Run("RUN"), "#Err in  10: Division by zero\n:");
  session.Run("NEW");
  session.Run("40000 PRINT 1/0");  // reads as -25536
  EXPECT_EQ(session.Run("RUN"), "#Err: Division by zero\n:");
  EXPECT_EQ(session.Run(".5"), "#Err: Illegal number\n:");  // the immediate line's prefix again
}

TEST(PromptLoop, HostErrorsShowTheirNumberAndKeepTheState) {
  Session session;
  session.RunAll({"10 A=7", "20 PRINT PEEK(20000)"});
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.Variable('A'), 7);
  EXPECT_EQ(session.Program().size(), 2u);
  EXPECT_EQ(session.Host().row(1), "Kelo BASIC v1.1 for Dravo BASIC");
}

TEST(PromptLoop, TraceMarksEveryStatementOfAStoredLine) {
  Session session;
  session.RunAll({"10 A=1:B=2", "TRACE"});
  EXPECT_EQ(session.Run("RUN"), "[ 10 ][ 10 ]:");
  session.RunAll({"NEW", "40000 A=1"});
  EXPECT_EQ(session.Run("RUN"), "[-25536 ]:");
  EXPECT_EQ(session.Run("PRINT 1"), "1\n:");  // no mark in the immediate line
}

TEST(PromptLoop, RunsEndSilently) {
  Session session;
  EXPECT_EQ(session.Run("RUN"), ":");
  session.RunAll({"10 GOTO 30", "20 RETURN", "30 GOSUB 20"});
  EXPECT_EQ(session.Run("RUN"), ":");  // RETURN to the empty slot after line 30
}

TEST(PromptLoop, RunningPastAFullStoreIsProgramOverflow) {
  Session session;
  for (int line = 1; line <= 299; ++line) session.Run(std::to_string(line) + " REM");
  ASSERT_EQ(session.Program().size(), 299u);
  EXPECT_EQ(session.Run("RUN"), "#Err in  299: Program Overflow\n:");
}

TEST(PromptLoop, CtrlCBreaksTheRunningLine) {
  Session session;
  session.RunAll({"10 A=A+1", "20 GOTO 10"});
  // Statement 1 is RUN itself; from then on line 10 runs the even ones and line 20 the odd ones.
  session.Host().key_after_statements(1000001, 3);
  EXPECT_EQ(session.Run("RUN"), "Break in  20\n:");
  EXPECT_EQ(session.Variable('A'), static_cast<int16_t>(500000 - 8 * 65536));  // 500,000 passes, wrapped
  // The variables stay, and the prompt takes typed lines again.
  EXPECT_EQ(session.Run("PRINT 7"), "7\n:");
}

TEST(PromptLoop, CtrlCInAnImmediateLine) {
  Session session;
  session.Host().key_after_statements(2, 3);
  EXPECT_EQ(session.Run("A=1:B=2"), "Break in  0\n:");
  EXPECT_EQ(session.Variable('A'), 1);
  EXPECT_EQ(session.Variable('B'), 0);
}

TEST(PromptLoop, TheBreakTestSwallowsAKeyPressedBeforeAStatement) {
  Session session;
  session.Host().key_after_statements(1, 'x');  // taken by the Break test of the INCHAR statement
  session.Host().type_line("A=INCHAR");
  session.Host().type("y");
  session.Idle();
  EXPECT_EQ(session.Variable('A'), 'y');
}

TEST(PromptLoop, ALongLoopRunsInFlatStack) {
  Session session;
  session.RunAll({"10 FOR I=1 TO 20000", "20 GOSUB 100", "30 NEXT I", "40 END", "100 X=X+1:RETURN"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Variable('X'), 20000);
  // Many host errors one after another do not deepen the stack either.
  for (int i = 0; i < 2000; ++i) session.Run("PRINT PEEK(-1)");
  EXPECT_EQ(session.Run("PRINT 3"), "3\n:");
}
