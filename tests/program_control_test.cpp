// RUN, GOTO, GOSUB, RETURN, CLEAR, NEW, END and BYE, and the GOSUB return stack.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

constexpr int16_t kGosubEmpty = 83;
constexpr int16_t kGosubFull = 113;

}  // namespace

TEST(RunStatement, StartsAtTheFirstLineWithFreshVariablesAndStacks) {
  Session session;
  session.RunAll({"10 PRINT A", "100 PRINT 2", "A=5", "FOR I=1 TO 2", "@(1)=9"});
  EXPECT_EQ(session.State().for_top, 1);
  EXPECT_EQ(session.Run("RUN 100"), "0\n2\n:");  // nothing after RUN is read
  EXPECT_EQ(session.State().for_top, 0);
  EXPECT_EQ(session.State().byte_memory.cells[2], 9);  // the array stays
  EXPECT_EQ(session.Run("RUN: PRINT 9"), "0\n2\n:");
}

TEST(RunStatement, EmptiesTheReturnStack) {
  Session session;
  session.RunAll({"10 GOSUB 20", "20 PRINT 1/0"});
  session.Run("RUN");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty + 1);
  session.Run("RUN");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty + 1);  // one pending return, not two
  Session empty;
  EXPECT_EQ(empty.Run("RUN: PRINT 1"), ":");
}

TEST(GotoStatement, JumpsToTheNamedLine) {
  struct Jump {
    std::vector<std::string> program;
    std::string typed;
    std::string shows;
  };
  const Jump jumps[] = {
      {{"10 PRINT 1", "20 PRINT 2", "30 PRINT 3"}, "GOTO 20", "2\n3\n:"},
      {{"10 PRINT 1", "20 PRINT 2"}, "GOTO 5*4", "2\n:"},
      {{"10 PRINT 1", "20 PRINT 2"}, "GOTO 20 30", "2\n:"},  // nothing after the target is read
      {{"10 GOTO 30: PRINT 1", "20 PRINT 2", "30 PRINT 3"}, "RUN", "3\n:"},
      {{"10 N=N+1:IF N<3 THEN GOTO 10", "20 PRINT N"}, "RUN", "3\n:"},  // to its own line
      {{"10 GOTO 30", "20 PRINT 2:END", "30 GOTO 20"}, "RUN", "2\n:"},   // backward
      {{"10 GOTO 15", "20 PRINT 2"}, "RUN", "#Err in  10: Line not found\n:"},
      {{"10 PRINT 1"}, "GOTO 11", "#Err: Line not found\n:"},
      {{"10 PRINT 1"}, "GOTO", "#Err: Invalid Factor\n:"},
      {{"10 PRINT 1"}, "GOTO 1/0", "#Err: Division by zero\n:"},
      // 0 matches the first empty slot, whose empty statement has no label.
      {{"10 PRINT 1"}, "GOTO 0", "#Err: Invalid label\n:"},
      // 40000 wraps to -25536 like the stored number, and is searched from the first slot.
      {{"10 IF A THEN END", "20 A=-1:GOTO 40000", "40000 PRINT 7"}, "RUN", "7\n7\n:"},
  };
  for (const Jump& jump : jumps) {
    Session session;
    for (const std::string& line : jump.program) session.Run(line);
    EXPECT_EQ(session.Run(jump.typed), jump.shows) << jump.program.front() << " / " << jump.typed;
  }
}

TEST(GotoStatement, TypedAtThePromptKeepsTheVariables) {
  Session session;
  session.RunAll({"10 PRINT 1", "100 PRINT A", "A=5"});
  EXPECT_EQ(session.Run("GOTO 100"), "5\n:");
}

TEST(GotoStatement, CtrlCBreaksAnEndlessJump) {
  Session session;
  session.Run("10 GOTO 10");
  session.Host().key_after_statements(1000000, 3);
  EXPECT_EQ(session.Run("RUN"), "Break in  10\n:");
  EXPECT_EQ(session.Run("PRINT 7"), "7\n:");
}

class JumpsInLoadedPrograms : public ScratchFolder {};

TEST_F(JumpsInLoadedPrograms, AForwardJumpSearchesOnlyFromTheCurrentSlot) {
  write_file("ORDER.TIB", "50 PRINT 5\r\n20 GOTO 50\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD ORDER"), "[Ok]\n:");
  EXPECT_EQ(session.Run("RUN"), "5\n#Err in  20: Line not found\n:");
}

TEST_F(JumpsInLoadedPrograms, TheSearchReadsPastAnEmptySlot) {
  write_file("GAP.TIB", "10 PRINT 1\r\n\r\n30 PRINT 3\r\n");
  Session session;
  session.Run("LOAD GAP");
  EXPECT_EQ(session.Run("RUN"), "1\n:");  // the run ends at the empty slot
  EXPECT_EQ(session.Run("GOTO 30"), "3\n:");
  EXPECT_EQ(session.Run("GOSUB 30"), "3\n:");
}

TEST_F(JumpsInLoadedPrograms, ANumberRunningIntoAPointStopsTheSearch) {
  write_file("POINT.TIB", "10 GOSUB 30\r\n20.5 PRINT 1\r\n30 PRINT 3\r\n");
  Session session;
  session.Run("LOAD POINT");
  EXPECT_EQ(session.Run("RUN"), "#Err in  10: Illegal number\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
}

TEST(GosubStatement, ReturnsToTheLineAfterTheGosub) {
  Session session;
  session.RunAll({"10 GOSUB 100: PRINT 1", "20 PRINT 2", "30 END", "100 PRINT 3", "110 RETURN: PRINT 4"});
  EXPECT_EQ(session.Run("RUN"), "3\n2\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
  // Typed at the prompt, the subroutine returns into the first stored line, which calls it again.
  EXPECT_EQ(session.Run("GOSUB 100"), "3\n3\n2\n:");
}

TEST(GosubStatement, ReturnAfterTheLastLineEndsTheRun) {
  Session session;
  session.RunAll({"10 GOTO 30", "20 PRINT 2:RETURN", "30 GOSUB 20"});
  EXPECT_EQ(session.Run("RUN"), "2\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
}

TEST(GosubStatement, FailedJumpsPushNothing) {
  struct Failure {
    std::string typed;
    std::string shows;
  };
  const Failure failures[] = {
      {"GOSUB 99", "#Err: Line not found\n:"},
      {"GOSUB", "#Err: Invalid Factor\n:"},
      {"GOSUB 1/0", "#Err: Division by zero\n:"},
      {"RETURN", "#Err: RETURN without GOSUB\n:"},
  };
  for (const Failure& failure : failures) {
    Session session;
    session.Run("10 RETURN");
    EXPECT_EQ(session.Run(failure.typed), failure.shows) << failure.typed;
    EXPECT_EQ(session.State().gosub_top, kGosubEmpty) << failure.typed;
  }
  Session session;
  session.Run("10 PRINT 1");
  EXPECT_EQ(session.Run("GOSUB 0"), "#Err: Invalid label\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty + 1);
}

TEST(GosubStatement, ThirtyNestedCallsFitAndTheThirtyFirstIsRefused) {
  Session session;
  session.RunAll({"10 N=N+1:GOSUB 10", "20 M=M+1:RETURN"});
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.Variable('N'), 31);
  EXPECT_EQ(session.State().gosub_top, kGosubFull);
  // The 30 pending returns all lead to line 20; one more RETURN than that fails.
  EXPECT_EQ(session.Run("RETURN"), "#Err in  20: RETURN without GOSUB\n:");
  EXPECT_EQ(session.Variable('M'), 30);
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
}

TEST(GosubStatement, ReturnTypedAfterAnErrorInASubroutineContinuesTheProgram) {
  Session session;
  session.RunAll({"10 GOSUB 100", "20 PRINT 2", "30 END", "100 PRINT 1/0", "110 RETURN"});
  EXPECT_EQ(session.Run("RUN"), "#Err in  100: Division by zero\n:");
  EXPECT_EQ(session.Run("RETURN"), "2\n:");
  // GOTO into the subroutine keeps the pending return.
  session.Run("RUN");
  EXPECT_EQ(session.Run("GOTO 110"), "2\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
}

TEST(GosubStatement, APendingReturnHoldsASlotNotALineNumber) {
  Session session;
  session.RunAll({"10 GOSUB 100", "20 PRINT 2", "30 PRINT 3:END", "100 STOP", "110 RETURN"});
  EXPECT_EQ(session.Run("RUN"), "Stopped in  100\n:");  // the return leads to slot 28
  session.Run("5 PRINT 5");  // line 10 moves into slot 28 and calls again, saving slot 29
  EXPECT_EQ(session.Run("RETURN"), "Stopped in  100\n:");
  session.Run("10");  // deleted: line 30 moves back into slot 29
  EXPECT_EQ(session.Run("RETURN"), "3\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
}

TEST(GosubStatement, ReturnLeavesLoopFramesBehind) {
  Session session;
  session.RunAll({"10 GOSUB 100", "20 END", "100 FOR I=1 TO 3", "110 RETURN"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.State().for_top, 1);
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
}

TEST(GosubStatement, TheLastSlotReturnsBeyondTheStore) {
  Session session;
  session.Run("1 GOTO 299");
  for (int line = 2; line <= 297; ++line) session.Run(std::to_string(line) + " REM");
  session.RunAll({"298 RETURN", "299 GOSUB 298"});
  ASSERT_EQ(session.Program().size(), 299u);
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);  // the entry was popped
  // A loop whose FOR stands in the last slot has its body beyond the store too.
  session.Run("299 FOR I=1 TO 2");
  EXPECT_EQ(session.Run("RUN"), "#Err in  299: Program Overflow\n:");
  EXPECT_EQ(session.Run("NEXT I"), "Error  9\n:");
}

TEST(ClearStatement, ZeroesTheVariablesOnly) {
  Session session;
  EXPECT_EQ(session.Run("A=5:Z=-1:@(1)=9:CLEAR:PRINT A,Z,@(1)"), "009\n:");
  EXPECT_EQ(session.Run("B=3:CLEAR X"), "#Err: End of statement expected\n:");
  EXPECT_EQ(session.Variable('B'), 0);
  // Inside a subroutine and a loop the stacks stay.
  session.RunAll({"10 GOSUB 100", "20 PRINT A", "30 END", "100 A=5:FOR I=1 TO 1", "110 CLEAR", "120 RETURN"});
  EXPECT_EQ(session.Run("RUN"), "0\n:");
  EXPECT_EQ(session.State().for_top, 1);
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
  EXPECT_EQ(session.Program().size(), 6u);
}

TEST(NewStatement, EmptiesTheStoreVariablesAndStacks) {
  Session session;
  session.RunAll({"10 GOSUB 20", "20 FOR I=1 TO 2", "30 PRINT 1/0"});
  session.Run("RUN");
  session.RunAll({"A=5", "@(1)=9", "TRACE"});
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty + 1);
  EXPECT_EQ(session.State().for_top, 1);
  EXPECT_EQ(session.Run("NEW: PRINT 1"), "1\n:");  // the typed line goes on
  EXPECT_TRUE(session.Program().empty());
  EXPECT_EQ(session.Variable('A'), 0);
  EXPECT_EQ(session.State().gosub_top, kGosubEmpty);
  EXPECT_EQ(session.State().for_top, 0);
  EXPECT_EQ(session.State().byte_memory.cells[2], 9);  // memory and TRACE survive
  EXPECT_EQ(session.State().trace_on, -1);
}

TEST(NewStatement, InAStoredLineEndsTheRunSilently) {
  Session session;
  session.RunAll({"10 NEW:PRINT 1", "20 PRINT 2"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_TRUE(session.Program().empty());
}

TEST(EndStatement, StopsWithoutAMessageAndKeepsTheStacks) {
  Session session;
  EXPECT_EQ(session.Run("END: PRINT 1"), ":");
  session.RunAll({"10 PRINT 1:GOSUB 100:PRINT 2", "20 PRINT 3", "30 END", "100 END:PRINT 4"});
  EXPECT_EQ(session.Run("RUN"), "1\n:");
  EXPECT_EQ(session.Run("RETURN"), "3\n:");
}

TEST(ByeStatement, ThanksTheUserAndEndsAfterAKey) {
  Session session;
  session.Run("BYE");
  const std::vector<std::string> rows = session.Host().screen_rows();
  EXPECT_EQ(rows[3], "");  // after the echo, an empty line: the cursor was in column 1
  EXPECT_EQ(rows[4], "Thanks for using Kelo BASIC.");
  EXPECT_NE(std::find(rows.begin(), rows.end(), "Press any key to continue"), rows.end());
  EXPECT_FALSE(session.Host().ended());
  session.Host().press_key('x');
  session.Idle();
  EXPECT_TRUE(session.Host().ended());
}

TEST(ByeStatement, EndsAPendingRowFirst) {
  Session session;
  session.Run("PRINT 5;:BYE: PRINT 6");
  const std::vector<std::string> rows = session.Host().screen_rows();
  EXPECT_EQ(rows[3], "5");
  EXPECT_EQ(rows[4], "Thanks for using Kelo BASIC.");
}
