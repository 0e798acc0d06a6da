// IF ... THEN, FOR ... NEXT and the FOR stack, TRACE, STOP, REM and RANDOM.
#include <gtest/gtest.h>

#include <cmath>

#include "platform/core/random_generator.h"
#include "tests/support/answering.h"
#include "tests/support/session.h"

TEST(ForNext, CountsPassesAndLeavesTheVariablePastTheLimit) {
  struct Loop {
    std::string header;  // after "FOR I="
    int16_t passes;
    int16_t final_value;
  };
  const Loop loops[] = {
      {"1 TO 3", 3, 4},
      {"5 TO 1", 1, 6},               // the body always runs once
      {"10 TO 1 STEP -1", 1, 9},      // one test, value <= limit, for every step
      {"1 TO 5 STEP -1", -32766, 32767},  // 32770 passes, counted in 16 bits
      {"1 TO10", 10, 11},
      {"1 TO-5", 1, 2},
      {"1 TO 9 STEP2", 5, 11},
      {"-32768 TO -32767", 2, -32766},
      {"32766 TO 32766", 1, 32767},
      {"2*2 TO 3*3 STEP 1+1", 3, 10},
  };
  for (const Loop& loop : loops) {
    Session session;
    session.RunAll({"10 FOR I=" + loop.header, "20 N=N+1", "30 NEXT I"});
    EXPECT_EQ(session.Run("RUN"), ":") << loop.header;
    EXPECT_EQ(session.Variable('N'), loop.passes) << loop.header;
    EXPECT_EQ(session.Variable('I'), loop.final_value) << loop.header;
    EXPECT_EQ(session.State().for_top, 0) << loop.header;
  }
}

TEST(ForNext, BodyRunsFromTheLineAfterTheFor) {
  Session session;
  session.RunAll({"10 PRINT 7 : FOR I=1 TO 3", "20 PRINT I", "30 NEXT I : PRINT I"});
  EXPECT_EQ(session.Run("RUN"), "7\n1\n2\n3\n4\n:");
}

TEST(ForNext, LimitAndStepAreReadOnceButTheVariableCounts) {
  Session session;
  session.RunAll({"10 L=3:S=1", "20 FOR I=1 TO L STEP S", "30 N=N+1:L=100:S=5", "40 NEXT I"});
  session.Run("RUN");
  EXPECT_EQ(session.Variable('N'), 3);
  EXPECT_EQ(session.Variable('I'), 4);
  session.RunAll({"NEW", "5 J=2", "10 FOR I=J TO 6", "20 N=N+1:I=I+1", "30 NEXT I"});
  session.Run("RUN");
  EXPECT_EQ(session.Variable('N'), 3);  // passes with I = 2, 4, 6
  EXPECT_EQ(session.Variable('I'), 8);
  EXPECT_EQ(session.Variable('J'), 2);
}

TEST(ForNext, EndlessLoopsStopOnlyAtBreak) {
  for (const std::string header : {"1 TO 32767", "1 TO 5 STEP 0"}) {
    Session session;
    session.RunAll({"10 FOR I=" + header, "20 N=1", "30 NEXT I"});
    session.Host().key_after_statements(200000, 3);
    const std::string shows = session.Run("RUN");
    EXPECT_TRUE(shows.rfind("Break in  ", 0) == 0) << header << ": " << shows;
    EXPECT_EQ(session.State().for_top, 1) << header;
  }
}

TEST(ForNext, ForStatementErrors) {
  struct ErrorCase {
    std::string line;
    std::string shows;
    int16_t i;        // I afterwards
    int16_t for_top;  // frames afterwards
  };
  const ErrorCase cases[] = {
      {"FOR I=1 TO 10 : PRINT I", "#Err: Invalid label\n:", 1, 0},
      {"FOR I=1 TO 10 PRINT I", "#Err: STEP expected\n:", 1, 0},
      {"FOR I=1 TO 10 STEP 1 : PRINT I", "#Err: End of statement expected\n:", 1, 1},
      {"FOR I=1 TO 10 STEP", "#Err: Invalid Factor\n:", 1, 0},
      {"FOR I=1 TO 10 STEP 1/0", "#Err: Division by zero\n:", 1, 0},
      {"FOR I=1 TO", "#Err: Invalid Factor\n:", 1, 0},
      {"FOR I=5 X", "#Err: TO expected\n:", 5, 0},
      {"FOR I=5", "#Err: Invalid label\n:", 5, 0},
      {"FOR I=", "#Err: Invalid Factor\n:", 0, 0},
      {"FOR I 1 TO 5", "#Err: '=' expected\n:", 0, 0},
      {"FOR 1=1 TO 5", "#Err: Invalid label\n:", 0, 0},
      {"FOR", "#Err: Invalid label\n:", 0, 0},
      {"FOR AB=1 TO 5", "#Err: Variable expected\n:", 0, 0},
      {"FOR @=1 TO 5", "Error  9\n:", 0, 0},
      {"FORI=1TO9", "#Err: Variable expected\n:", 0, 0},
  };
  for (const ErrorCase& c : cases) {
    Session session;
    EXPECT_EQ(session.Run(c.line), c.shows) << c.line;
    EXPECT_EQ(session.Variable('I'), c.i) << c.line;
    EXPECT_EQ(session.State().for_top, c.for_top) << c.line;
  }
}

TEST(ForNext, ThirtyFramesFitAndAThirtyFirstOverfillsTheStack) {
  Session session;
  // Each pass leaves its loop by GOTO, so every FOR adds a frame.
  session.RunAll({"10 FOR I=1 TO 2", "20 N=N+1:IF N<31 THEN GOTO 10"});
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.Variable('N'), 30);
  EXPECT_EQ(session.State().for_top, 31);
  EXPECT_EQ(session.Run("NEXT I"), "Error  9\n:");
  EXPECT_EQ(session.Run("FOR J=1 TO 2"), "Error  9\n:");
  EXPECT_EQ(session.State().for_top, 32);  // each refused FOR raises the top once more
  EXPECT_EQ(session.Run("NEXT J"), "Error  9\n:");
  // NEW empties the stack; loops work again.
  session.RunAll({"NEW", "10 N=N+1", "20 NEXT K"});
  EXPECT_EQ(session.Run("FOR K=1 TO 3"), ":");
  EXPECT_EQ(session.State().for_top, 1);
  EXPECT_EQ(session.Run("NEXT K"), ":");
  EXPECT_EQ(session.Variable('N'), 2);
  EXPECT_EQ(session.State().for_top, 0);
}

TEST(ForNext, RunEmptiesAnOverfullStack) {
  Session session;
  for (int i = 0; i < 30; ++i) session.Run("FOR I=1 TO 2");
  EXPECT_EQ(session.State().for_top, 30);
  EXPECT_EQ(session.Run("FOR I=1 TO 2"), "Error  9\n:");
  session.RunAll({"10 FOR J=1 TO 3", "20 N=N+1", "30 NEXT J"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Variable('N'), 3);
}

TEST(ForNext, NextOfAnOuterLoopDropsTheInnerFrames) {
  Session session;
  // Without the drop, the inner frames would pile up past 30 long before I reaches 40.
  session.RunAll({"10 FOR I=1 TO 40", "20 FOR J=1 TO 5", "30 N=N+1", "40 NEXT I"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Variable('N'), 40);
  EXPECT_EQ(session.Variable('J'), 1);
  EXPECT_EQ(session.State().for_top, 0);
}

TEST(ForNext, NextWithoutItsLoop) {
  Session session;
  EXPECT_EQ(session.Run("NEXT I"), "#Err: NEXT without FOR\n:");
  // Frames for I (below) and K (top): NEXT J pops both.
  session.RunAll({"FOR I=1 TO 5", "FOR K=1 TO 5"});
  EXPECT_EQ(session.State().for_top, 2);
  EXPECT_EQ(session.Run("NEXT J"), "#Err: NEXT without FOR\n:");
  EXPECT_EQ(session.State().for_top, 0);
  EXPECT_EQ(session.Variable('I'), 1);
  // A loop afterwards works normally.
  session.RunAll({"10 FOR I=1 TO 3", "20 N=N+1", "30 NEXT I"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Variable('N'), 3);
  ExpectShows({
      {"NEXT", "#Err: Invalid label\n:"},
      {"NEXT AB", "#Err: Variable expected\n:"},
  });
}

TEST(ForNext, WhatFollowsNextIsReadOnlyAfterTheLastPass) {
  Session session;
  session.RunAll({"10 FOR I=1 TO 2", "20 N=N+1", "30 NEXT I,J"});
  EXPECT_EQ(session.Run("RUN"), "#Err in  30: End of statement expected\n:");
  EXPECT_EQ(session.Variable('N'), 2);
  EXPECT_EQ(session.Variable('I'), 3);
  EXPECT_EQ(session.State().for_top, 0);
  session.RunAll({"NEW", "10 FOR I=1 TO 3", "20 N=N+1:NEXT I "});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Variable('N'), 3);
}

TEST(ForNext, ALoopTypedAtThePromptRunsTheProgramAsItsBody) {
  Session session;
  EXPECT_EQ(session.Run("FOR I=1 TO 3"), ":");
  EXPECT_EQ(session.Run("NEXT I"), ":");  // no program: the step is added, the run ends
  EXPECT_EQ(session.Variable('I'), 2);
  EXPECT_EQ(session.State().for_top, 1);
  session.RunAll({"A=9", "10 PRINT I", "20 NEXT I"});
  EXPECT_EQ(session.Run("NEXT I"), "3\n:");
  EXPECT_EQ(session.Variable('A'), 9);  // no reset of variables
  EXPECT_EQ(session.State().for_top, 0);
}

TEST(ForNext, NextAtThePromptContinuesALoopStoppedInside) {
  Session session;
  session.RunAll({"10 FOR I=1 TO 3", "20 PRINT I", "30 STOP", "40 NEXT I", "50 PRINT 99"});
  EXPECT_EQ(session.Run("RUN"), "1\nStopped in  30\n:");
  EXPECT_EQ(session.Run("NEXT I"), "2\nStopped in  30\n:");
  EXPECT_EQ(session.Run("NEXT I"), "3\nStopped in  30\n:");
  EXPECT_EQ(session.Run("NEXT I"), ":");  // the loop ends in the typed line
  EXPECT_EQ(session.State().for_top, 0);
}

TEST(ForNext, AFrameResumesAtItsSlotWhateverLineHoldsItNow) {
  Session session;
  session.RunAll({"10 FOR I=1 TO 3", "20 PRINT I", "30 STOP", "40 NEXT I"});
  EXPECT_EQ(session.Run("RUN"), "1\nStopped in  30\n:");
  session.Run("15 PRINT 99");  // takes the slot where the body began
  EXPECT_EQ(session.Run("NEXT I"), "99\n2\nStopped in  30\n:");
}

TEST(IfThen, OnlyNegativeValuesAreTrue) {
  ExpectShows({
      {"IF 1 THEN PRINT 1", ":"},
      {"IF 32767 THEN PRINT 1", ":"},
      {"IF 0 THEN PRINT 1", ":"},
      {"IF -1 THEN PRINT 1", "1\n:"},
      {"IF -32768 THEN PRINT 1", "1\n:"},
      {"IF 2>1 THEN PRINT 1", "1\n:"},
      {"IF 1>2 THEN PRINT 1", ":"},
      {"if -1 then print 1", "1\n:"},
      {"IF -1 THEN PRINT 1:PRINT 2", "1\n2\n:"},
      {"IF 0 THEN PRINT 1:PRINT 2", ":"},          // the whole rest of the line
      {"IF -1 THEN IF -1 THEN PRINT 1", "1\n:"},
      {"IF -1 THEN IF 0 THEN PRINT 1", ":"},
      {"IF ABS(-2)=2 THEN PRINT ABS(-3)", "3\n:"},
      {"IF -1 THEN 100", "#Err: Invalid label\n:"},  // no implied GOTO
      {"IF 0 THEN 100", ":"},
      {"IF -1 PRINT 1", "#Err: THEN expected\n:"},
      {"IF 0 PRINT 1", ":"},                        // nothing after a false condition is read
      {"IF -1", "#Err: Invalid label\n:"},
      {"IF -1 THEN", "#Err: Invalid label\n:"},
      {"IF -1 THENPRINT 1", "#Err: THEN expected\n:"},
      {"IF", "#Err: Invalid Factor\n:"},
      {"IF 1/0 THEN PRINT 1", "#Err: Division by zero\n:"},
  });
}

TEST(IfThen, AFalseConditionSkipsToTheNextStoredLine) {
  Session session;
  session.RunAll({"10 IF 0 THEN PRINT 1 : PRINT 2", "20 PRINT 3"});
  EXPECT_EQ(session.Run("RUN"), "3\n:");
}

TEST(IfThen, AForAfterThenLoopsOverTheNextLine) {
  Session session;
  session.RunAll({"10 IF -1 THEN FOR I=1 TO 3", "20 N=N+1", "30 NEXT I"});
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Variable('N'), 3);
}

TEST(IfThen, TheStatementAfterThenKeepsTheLineAsTyped) {
  Session session;
  session.RunAll({"10 IF ABS(-1)=1 THEN A=ABS(-7):PRINT ABS(-2),A"});
  EXPECT_EQ(session.Run("RUN"), "27\n:");
  session.Run("REM");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 IF ABS(-1)=1 THEN A=ABS(-7):PRINT ABS(-2),A"});
}

TEST(TraceStatement, MarksEveryStatementAndToggles) {
  Session session;
  session.RunAll({"10 IF -1 THEN A=1", "20 B=2:C=3"});
  EXPECT_EQ(session.Run("TRACE"), ":");
  EXPECT_EQ(session.Run("RUN"), "[ 10 ][ 10 ][ 20 ][ 20 ]:");  // a true IF marks its line twice
  // RUN, NEW and CLEAR leave the flag alone.
  session.RunAll({"CLEAR", "NEW", "10 A=1"});
  EXPECT_EQ(session.Run("RUN"), "[ 10 ]:");
  session.Run("TRACE");
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Run("TRACE ON"), "#Err: End of statement expected\n:");
  EXPECT_EQ(session.State().trace_on, -1);  // toggled before the error
  EXPECT_EQ(session.Run("RUN"), "[ 10 ]:");
}

TEST(StopStatement, ReportsTheLineAndKeepsEverything) {
  Session session;
  session.RunAll({"10 A=5 : STOP : PRINT 1", "20 PRINT 2"});
  EXPECT_EQ(session.Run("RUN"), "Stopped in  10\n:");
  EXPECT_EQ(session.Variable('A'), 5);
  session.RunAll({"NEW", "40000 STOP"});
  EXPECT_EQ(session.Run("RUN"), "Stopped in -25536\n:");
  ExpectShows({
      {"STOP", ":"},
      {"STOP:PRINT 1", ":"},
  });
}

TEST(RemStatement, SkipsTheRestOfTheLine) {
  Session session;
  session.RunAll({"10 REM : PRINT 1", "20 PRINT 2:REM X:PRINT 3", "30 PRINT 4"});
  EXPECT_EQ(session.Run("RUN"), "2\n4\n:");
  ExpectShows({
      {"REM", ":"},
      {"REM \"unclosed ( 1/0", ":"},
      {"REMARK", "#Err: Variable expected\n:"},
  });
}

namespace {

// RND(x) from the generator's state, as the function defines it: floor(r * x) in single precision.
class RndModel {
 public:
  explicit RndModel(int16_t seed) { reseed(seed); }
  void reseed(int16_t seed) { generator_.reseed(seed); }
  int16_t next(int16_t x) { return static_cast<int16_t>(std::floor(generator_.next() * static_cast<float>(x))); }

 private:
  RandomGenerator generator_;
};

}  // namespace

TEST(RandomStatement, AsksForASeedAndReseeds) {
  Session session;
  EXPECT_EQ(RunAnswering(session, "RANDOM", {"1234"}), "Random-number seed (-32768 to 32767)? 1234\n:");
  RndModel model(1234);
  const int16_t first = model.next(1000);
  const int16_t second = model.next(1000);
  EXPECT_EQ(session.Run("PRINT RND(1000),\" \",RND(1000)"), std::to_string(first) + " " + std::to_string(second) + "\n:");
  // A seed replaces the upper 16 bits of the state only; the lowest 8 carry on.
  RunAnswering(session, "RANDOM", {"1234"});
  model.reseed(1234);
  EXPECT_EQ(session.Run("PRINT RND(1000)"), std::to_string(model.next(1000)) + "\n:");
}

TEST(RandomStatement, AsksEveryTimeItRuns) {
  Session session;
  session.RunAll({"10 RANDOM", "20 RANDOM:PRINT 5"});
  EXPECT_EQ(RunAnswering(session, "RUN", {"1", "2"}),
            "Random-number seed (-32768 to 32767)? 1\nRandom-number seed (-32768 to 32767)? 2\n5\n:");
  EXPECT_EQ(session.Host().host().random().state() >> 8, 2u);
}

TEST(RandomStatement, TrailingTextIsReportedAfterTheSeed) {
  Session session;
  EXPECT_EQ(RunAnswering(session, "RANDOM 5", {"7"}),
            "Random-number seed (-32768 to 32767)? 7\n#Err: End of statement expected\n:");
  EXPECT_EQ(session.Host().host().random().state() >> 8, 7u);
  EXPECT_EQ(session.Run("RANDOMIZE"), "#Err: Variable expected\n:");
}
