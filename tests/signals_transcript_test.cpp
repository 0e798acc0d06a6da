// Signals to the real program on a pipe: closes that keep the transcript, interrupts that
// break only what runs.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/binary_session.h"

namespace {

using SignalTest = BinarySession;

// Starts the program reading a pipe that stays open, runs `steps` (a shell list that may use
// $pid, and write keys to descriptor 3), then records the exit status in "status".
std::string PipeSession(const std::string& steps) {
  return "mkfifo keys && (timeout --foreground 30 ./kelo-basic < keys > out 2> err & pid=$!; exec 3> keys; " + steps +
         "; wait $pid; echo $? > status; exec 3>&-)";
}

TEST_F(SignalTest, SigtermEndsARunningProgramWithTheScreenWritten) {
  ASSERT_EQ(shell(PipeSession("printf '10 GOTO 10\\nRUN\\n' >&3; sleep 0.5; kill -TERM $pid")), 0);
  EXPECT_EQ(read_file("status"), "0\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": 10 GOTO 10", ": RUN"})));
}

TEST_F(SignalTest, SighupAtThePromptEndsWithTheScreenWritten) {
  ASSERT_EQ(shell(PipeSession("printf 'PRINT 6*7\\n' >&3; sleep 0.5; kill -HUP $pid")), 0);
  EXPECT_EQ(read_file("status"), "0\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": PRINT 6*7", "42", ":"})));
}

TEST_F(SignalTest, SigtermDuringAnInputEnds) {
  ASSERT_EQ(shell(PipeSession("printf 'INPUT A\\n' >&3; sleep 0.5; kill -TERM $pid")), 0);
  EXPECT_EQ(read_file("status"), "0\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": INPUT A", "?"})));
}

TEST_F(SignalTest, AnInterruptAtThePromptBreaksNothingTypedAfterIt) {
  ASSERT_EQ(shell(PipeSession("sleep 0.5; kill -INT $pid; sleep 0.3; printf 'PRINT 1:PRINT 2:PRINT 3\\n' >&3; "
                              "sleep 0.3; exec 3>&-")),
            0);
  EXPECT_EQ(read_file("status"), "0\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": PRINT 1:PRINT 2:PRINT 3", "1", "2", "3", ":"})));
}

TEST_F(SignalTest, ASecondInterruptEndsTheProcessAfterWritingTheScreen) {
  ASSERT_EQ(shell(PipeSession("printf 'PRINT 5\\n' >&3; sleep 0.5; kill -INT $pid; sleep 0.2; kill -INT $pid")), 0);
  EXPECT_EQ(read_file("status"), "130\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": PRINT 5", "5", ":"})));
}

TEST_F(SignalTest, AnInterruptBreaksARunningProgramAndTheSessionGoesOn) {
  ASSERT_EQ(shell(PipeSession("printf '10 GOTO 10\\nRUN\\n' >&3; sleep 0.5; kill -INT $pid; sleep 0.3; "
                              "printf 'PRINT 8\\n' >&3; sleep 0.3; exec 3>&-")),
            0);
  EXPECT_EQ(read_file("status"), "0\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": 10 GOTO 10", ": RUN", "Break in  10", ": PRINT 8", "8", ":"})));
}

// Rows are written in batches, but whoever types at a pipe sees every row that scrolled off
// before the program waits for a key: here the prompt after a run, then an INPUT.
TEST_F(SignalTest, RowsThatScrolledOffAreVisibleWhileTheProgramWaits) {
  ASSERT_EQ(shell(PipeSession("printf '10 FOR I=1 TO 40\\n20 PRINT I\\n30 NEXT I\\nRUN\\n' >&3; sleep 0.5; "
                              "cp out at_prompt; printf '40 INPUT A\\nRUN\\n' >&3; sleep 0.5; cp out at_input; "
                              "exec 3>&-")),
            0);
  const std::string out = read_file("out");
  const std::string at_prompt = read_file("at_prompt");
  const std::string at_input = read_file("at_input");
  EXPECT_NE(at_prompt.find("\n10\n"), std::string::npos) << at_prompt;
  EXPECT_NE(at_input.find("\n10\n", at_prompt.size()), std::string::npos) << at_input;
  EXPECT_EQ(out.substr(0, at_input.size()), at_input);
  EXPECT_EQ(at_input.substr(0, at_prompt.size()), at_prompt);
}

}  // namespace
