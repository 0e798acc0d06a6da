// Whole sessions of the real program, run from a script in a folder of its own.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "tests/support/binary_session.h"
#include "tests/support/piped_session.h"

namespace {

using TranscriptTest = BinarySession;

TEST_F(TranscriptTest, TypedLinesAreEchoedAfterThePromptWithTheirErrors) {
  const Outcome outcome = run("10 PRINT 1\n20 X\n10\nFOO\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output,
            Lines(WithBanner({": 10 PRINT 1", ": 20 X", ": 10", ": FOO", "#Err: Variable expected", ":"})));
}

TEST_F(TranscriptTest, Utf8AndCrLfScriptsShowTheirGlyphs) {
  const Outcome outcome = run("PRINT \"\u00E9\u2588\u263A\"\r\nPRINT 2\r\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output,
            Lines(WithBanner({": PRINT \"\u00E9\u2588\u263A\"", "\u00E9\u2588\u263A", ": PRINT 2", "2", ":"})));
}

TEST_F(TranscriptTest, CtrlCInTheScriptBreaksTheRunningProgram) {
  const Outcome outcome = run("10 GOTO 10\nRUN\n\x03PRINT 7\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output,
            Lines(WithBanner({": 10 GOTO 10", ": RUN", "Break in  10", ": PRINT 7", "7", ":"})));
}

TEST_F(TranscriptTest, CtrlCStartingALineIsDroppedAndInsideALineIsTyped) {
  const Outcome outcome = run("\x03REM a\x03" "b\nPRINT 1\n");
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines(WithBanner({": REM a\u2665b", ": PRINT 1", "1", ":"})));
}

TEST_F(TranscriptTest, ALongSessionAppearsWholeAsItsRowsScrollOff) {
  std::string script;
  std::vector<std::string> rows = kBanner;
  for (int n = 1; n <= 30; ++n) {
    script += "PRINT " + std::to_string(n) + "\n";
    rows.push_back(": PRINT " + std::to_string(n));
    rows.push_back(std::to_string(n));
  }
  rows.push_back(":");
  const Outcome outcome = run(script);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines(rows));
}

TEST_F(TranscriptTest, ArgumentsNameAProgramInTheFolderTheUserStartedIn) {
  write_file("HELLO.TIB", "10 PRINT 42\r\n");
  Outcome outcome = run("SAVE COPY\n", {.arguments = "HELLO"});
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines({": load HELLO:run", "[Ok]", "42", ": SAVE COPY", "[Ok]", ":"}));
  EXPECT_EQ(read_file("COPY.TIB"), "10 PRINT 42\r\n");
  // Started elsewhere, the program beside the executable is not the one meant.
  outcome = run("", {.arguments = "HELLO", .from_root = true});
  EXPECT_EQ(outcome.output, Lines({": load HELLO:run", "#Err: File HELLO.TIB not found", ":"}));
}

TEST_F(TranscriptTest, ByeEndsWithStatusZero) {
  const Outcome outcome = run("BYE\n");
  EXPECT_EQ(outcome.status, 0);
  // The end message stands on the bottom row, below the empty rows of the screen.
  std::vector<std::string> rows = WithBanner({": BYE", "", "Thanks for using Kelo BASIC."});
  rows.resize(24);
  rows.push_back("Press any key to continue");
  EXPECT_EQ(outcome.output, Lines(rows));
}

TEST_F(TranscriptTest, ByeOnAFullScreenKeepsEveryRowOnce) {
  std::string script;
  std::vector<std::string> rows = kBanner;
  for (int i = 1; i <= 30; ++i) {
    script += "PRINT " + std::to_string(i) + "\n";
    rows.push_back(": PRINT " + std::to_string(i));
    rows.push_back(std::to_string(i));
  }
  script += "BYE\n";
  for (const char* row : {": BYE", "", "Thanks for using Kelo BASIC.", "Press any key to continue"}) rows.push_back(row);
  const Outcome outcome = run(script);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines(rows));
}

TEST_F(TranscriptTest, AnUnknownFrontEndIsRefused) {
  const Outcome outcome = run("PRINT 1\n", {.prefix = "KELO_HOST=nonesuch"});
  EXPECT_EQ(outcome.status, 2);
  EXPECT_EQ(outcome.output, "");
  const std::string message = read_file("err");
  EXPECT_NE(message.find("nonesuch"), std::string::npos);
  EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line";
}

TEST_F(TranscriptTest, SigintBreaksARunawayProgram) {
  // The first SIGINT is meant for the Break poll; the script then ends at the prompt.
  PipedSession session;
  session.type("10 GOTO 10\nRUN\n");
  session.close_keys();
  session.wait_until_running();
  session.send(SIGINT);
  EXPECT_EQ(session.wait_for_end(), 0);
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": 10 GOTO 10", ": RUN", "Break in  10", ":"})));
}

TEST_F(TranscriptTest, ASecondSigintBeforeTheFirstIsTakenEndsTheProcess) {
  // Waiting at the prompt on a pipe that stays open, no Break poll takes the first one.
  PipedSession session;
  session.wait_until_waiting();
  session.send(SIGINT);
  session.wait_until_taken(SIGINT);
  session.send(SIGINT);
  EXPECT_EQ(session.wait_for_end(), 130);
}

}  // namespace
