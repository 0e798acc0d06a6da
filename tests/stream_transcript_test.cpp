// Whole sessions of the real program, run from a script in a folder of its own.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

class TranscriptTest : public ::testing::Test {
 protected:
  struct Session {
    int status;
    std::string output;
  };

  void SetUp() override {
    char pattern[] = "/tmp/kelo-transcript-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    std::filesystem::copy_file(KELO_BINARY, folder_ / "kelo-basic");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void write_file(const std::string& name, const std::string& contents) {
    std::ofstream(folder_ / name, std::ios::binary) << contents;
  }
  std::string read_file(const std::string& name) {
    std::ifstream in(folder_ / name, std::ios::binary);
    std::ostringstream contents;
    contents << in.rdbuf();
    return contents.str();
  }
  // Runs a shell command in the folder; `timeout` guards against a session that never ends.
  int shell(const std::string& command) {
    const std::string line = "cd '" + folder_.string() + "' && " + command;
    const int status = std::system(line.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  Session run(const std::string& script, const std::string& arguments = "") {
    write_file("script", script);
    const int status = shell("timeout 30 ./kelo-basic " + arguments + " < script > out 2> err");
    return {status, read_file("out")};
  }

  std::filesystem::path folder_;
};

std::string Lines(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

const std::vector<std::string> kBanner = {"Kelo BASIC v1.1 for Dravo BASIC", "Type HELP for commands."};

std::vector<std::string> WithBanner(std::vector<std::string> rows) {
  rows.insert(rows.begin(), kBanner.begin(), kBanner.end());
  return rows;
}

TEST_F(TranscriptTest, TypedLinesAreEchoedAfterThePromptWithTheirErrors) {
  const Session session = run("10 PRINT 1\n20 X\n10\nFOO\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.output,
            Lines(WithBanner({": 10 PRINT 1", ": 20 X", ": 10", ": FOO", "#Err: Variable expected", ":"})));
}

TEST_F(TranscriptTest, Utf8AndCrLfScriptsShowTheirGlyphs) {
  const Session session = run("PRINT \"\u00E9\u2588\u263A\"\r\nPRINT 2\r\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.output,
            Lines(WithBanner({": PRINT \"\u00E9\u2588\u263A\"", "\u00E9\u2588\u263A", ": PRINT 2", "2", ":"})));
}

TEST_F(TranscriptTest, CtrlCInTheScriptBreaksTheRunningProgram) {
  const Session session = run("10 GOTO 10\nRUN\n\x03PRINT 7\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.output,
            Lines(WithBanner({": 10 GOTO 10", ": RUN", "Break in  10", ": PRINT 7", "7", ":"})));
}

TEST_F(TranscriptTest, CtrlCStartingALineIsDroppedAndInsideALineIsTyped) {
  const Session session = run("\x03REM a\x03" "b\nPRINT 1\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.output, Lines(WithBanner({": REM a\u2665b", ": PRINT 1", "1", ":"})));
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
  const Session session = run(script);
  EXPECT_EQ(session.status, 0);
  EXPECT_EQ(session.output, Lines(rows));
}

TEST_F(TranscriptTest, ArgumentsNameAProgramBesideTheExecutable) {
  write_file("HELLO.TIB", "10 PRINT 42\r\n");
  const int status = shell("cd / && timeout 30 '" + (folder_ / "kelo-basic").string() + "' HELLO < /dev/null > '" +
                           (folder_ / "out").string() + "'");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read_file("out"), Lines({": load HELLO:run", "[Ok]", "42", ":"}));
}

TEST_F(TranscriptTest, ByeEndsWithStatusZero) {
  const Session session = run("BYE\n");
  EXPECT_EQ(session.status, 0);
  EXPECT_NE(session.output.find("Thanks for using Kelo BASIC.\n"), std::string::npos) << session.output;
}

TEST_F(TranscriptTest, AnUnknownFrontEndIsRefused) {
  write_file("script", "PRINT 1\n");
  EXPECT_EQ(shell("KELO_HOST=nonesuch timeout 30 ./kelo-basic < script > out 2> err"), 2);
  EXPECT_EQ(read_file("out"), "");
  const std::string message = read_file("err");
  EXPECT_NE(message.find("nonesuch"), std::string::npos);
  EXPECT_EQ(message.find('\n'), message.size() - 1) << "one line";
}

TEST_F(TranscriptTest, SigintBreaksARunawayProgram) {
  write_file("script", "10 GOTO 10\nRUN\n");
  // The first SIGINT is meant for the Break poll; the script then ends at the prompt.
  // timeout --foreground passes a SIGINT sent to it on to the program, once.
  const int status = shell(
      "(timeout --foreground 30 ./kelo-basic < script > out & pid=$!; sleep 1; kill -INT $pid; wait $pid; "
      "echo $? > status)");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read_file("status"), "0\n");
  EXPECT_EQ(read_file("out"), Lines(WithBanner({": 10 GOTO 10", ": RUN", "Break in  10", ":"})));
}

TEST_F(TranscriptTest, ASecondSigintBeforeTheFirstIsTakenEndsTheProcess) {
  // Waiting at the prompt on a pipe that stays open, no Break poll takes the first one.
  const int status = shell(
      "mkfifo keys && (timeout --foreground 30 ./kelo-basic < keys > out & pid=$!; exec 3> keys; sleep 1; kill -INT $pid; "
      "sleep 0.2; kill -INT $pid; wait $pid; echo $? > status; exec 3>&-)");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(read_file("status"), "130\n");
}

}  // namespace
