// Signals to the real program on a pipe: closes that keep the transcript, interrupts that
// break only what runs.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "tests/support/binary_session.h"
#include "tests/support/piped_session.h"

namespace {

using SignalTest = BinarySession;

TEST_F(SignalTest, SigtermEndsARunningProgramWithTheScreenWritten) {
  PipedSession session;
  session.type("10 GOTO 10\nRUN\n");
  session.wait_until_running();
  session.send(SIGTERM);
  EXPECT_EQ(session.wait_for_end(), 0);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": 10 GOTO 10", ": RUN"})));
}

TEST_F(SignalTest, SighupAtThePromptEndsWithTheScreenWritten) {
  PipedSession session;
  session.type("PRINT 6*7\n");
  session.wait_until_waiting();
  session.send(SIGHUP);
  EXPECT_EQ(session.wait_for_end(), 0);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": PRINT 6*7", "42", ":"})));
}

TEST_F(SignalTest, SigtermDuringAnInputEnds) {
  PipedSession session;
  session.type("INPUT A\n");
  session.wait_until_waiting();
  session.send(SIGTERM);
  EXPECT_EQ(session.wait_for_end(), 0);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": INPUT A", "?"})));
}

TEST_F(SignalTest, AnInterruptAtThePromptBreaksNothingTypedAfterIt) {
  PipedSession session;
  session.wait_until_waiting();
  session.send(SIGINT);
  session.wait_until_taken(SIGINT);
  session.type("PRINT 1:PRINT 2:PRINT 3\n");
  session.wait_until_waiting();
  session.close_keys();
  EXPECT_EQ(session.wait_for_end(), 0);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": PRINT 1:PRINT 2:PRINT 3", "1", "2", "3", ":"})));
}

TEST_F(SignalTest, ASecondInterruptEndsTheProcessAfterWritingTheScreen) {
  PipedSession session;
  session.type("PRINT 5\n");
  session.wait_until_waiting();
  session.send(SIGINT);
  session.wait_until_taken(SIGINT);  // two at once would be one
  session.send(SIGINT);
  EXPECT_EQ(session.wait_for_end(), 130);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": PRINT 5", "5", ":"})));
}

TEST_F(SignalTest, AnInterruptBreaksARunningProgramAndTheSessionGoesOn) {
  PipedSession session;
  session.type("10 GOTO 10\nRUN\n");
  session.wait_until_running();
  session.send(SIGINT);
  session.wait_until_waiting();  // at the prompt again
  session.type("PRINT 8\n");
  session.wait_until_waiting();
  session.close_keys();
  EXPECT_EQ(session.wait_for_end(), 0);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": 10 GOTO 10", ": RUN", "Break in  10", ": PRINT 8", "8", ":"})));
}

// Rows are written in batches, but whoever types at a pipe sees every row that scrolled off
// before the program waits for a key: here the prompt after a run, then an INPUT.
TEST_F(SignalTest, RowsThatScrolledOffAreVisibleWhileTheProgramWaits) {
  PipedSession session;
  session.type("10 FOR I=1 TO 40\n20 PRINT I\n30 NEXT I\nRUN\n");
  session.wait_until_waiting();
  const std::string at_prompt = read_file("out");
  session.type("40 INPUT A\nRUN\n");
  session.wait_until_waiting();
  const std::string at_input = read_file("out");
  session.close_keys();
  EXPECT_EQ(session.wait_for_end(), 0);
  const std::string out = read_file("out");
  EXPECT_NE(at_prompt.find("\n10\n"), std::string::npos) << at_prompt;
  EXPECT_NE(at_input.find("\n10\n", at_prompt.size()), std::string::npos) << at_input;
  EXPECT_EQ(out.substr(0, at_input.size()), at_input);
  EXPECT_EQ(at_input.substr(0, at_prompt.size()), at_prompt);
}

}  // namespace
