// The stream front end: how script keys reach the waits and Break polls, what it writes,
// and whole sessions of the real program run from a script.
#include "platform/stream_front_end.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "platform/host.h"

namespace {

constexpr int kEnter = 13;
constexpr int kCtrlC = 3;

std::vector<int> Keys(const std::string& text) {
  std::vector<int> keys;
  for (char c : text) keys.push_back(c == '\n' ? kEnter : static_cast<uint8_t>(c));
  return keys;
}

// Drives the front end as the host core does: waits for lines, Break polls between them.
class StreamProtocol {
 public:
  explicit StreamProtocol(const std::string& script) {
    int fds[2];
    EXPECT_EQ(pipe(fds), 0);
    EXPECT_EQ(write(fds[1], script.data(), script.size()), static_cast<ssize_t>(script.size()));
    close(fds[1]);
    script_fd_ = fds[0];
    output_ = open_memstream(&output_buffer_, &output_size_);
    front_end_ = std::make_unique<StreamFrontEnd>(script_fd_, output_);
    host_ = std::make_unique<Host>(*front_end_, "");
    front_end_->attach(*host_);
  }
  ~StreamProtocol() {
    host_.reset();
    front_end_.reset();
    std::fclose(output_);
    std::free(output_buffer_);
    close(script_fd_);
  }

  // One line as the line editor takes it: key by key until Enter or the shut-down.
  std::vector<int> read_line() {
    KeyboardRing& ring = host_->keyboard();
    std::vector<int> keys;
    front_end_->wait_started(ring);
    for (;;) {
      front_end_->wait_for_key(ring);
      if (host_->stop_flag()) return keys;
      keys.push_back(ring.pop());
      if (keys.back() == kEnter) break;
    }
    front_end_->wait_ended(ring);
    return keys;
  }
  // One statement's event check and Break poll: whether it found Ctrl+C.
  bool statement_breaks() {
    KeyboardRing& ring = host_->keyboard();
    front_end_->statement_event(ring);
    const int key = ring.pop();
    return key == kCtrlC;
  }
  std::string output() {
    std::fflush(output_);
    return std::string(output_buffer_, output_size_);
  }

  StreamFrontEnd& front_end() { return *front_end_; }
  Host& host() { return *host_; }

 private:
  int script_fd_ = -1;
  std::FILE* output_ = nullptr;
  char* output_buffer_ = nullptr;
  size_t output_size_ = 0;
  std::unique_ptr<StreamFrontEnd> front_end_;
  std::unique_ptr<Host> host_;
};

TEST(StreamProtocolTest, CtrlCAfterALineBreaksTheSecondStatementAfterIt) {
  StreamProtocol session("RUN\n\x03PRINT 7\n");
  EXPECT_EQ(session.read_line(), Keys("RUN\n"));
  EXPECT_FALSE(session.statement_breaks());  // RUN itself
  EXPECT_TRUE(session.statement_breaks());   // the program's first statement
  EXPECT_FALSE(session.statement_breaks());
  EXPECT_EQ(session.read_line(), Keys("PRINT 7\n"));
}

TEST(StreamProtocolTest, CtrlCThatNoBreakPollTookIsDroppedAtTheNextWait) {
  StreamProtocol session("X\n\x03Y\n");
  EXPECT_EQ(session.read_line(), Keys("X\n"));
  EXPECT_FALSE(session.statement_breaks());  // the line had one statement, then the prompt
  EXPECT_EQ(session.read_line(), Keys("Y\n"));
  EXPECT_FALSE(session.statement_breaks());
  EXPECT_FALSE(session.statement_breaks());
}

TEST(StreamProtocolTest, CtrlCStartingALineIsDroppedAndInsideALineIsAKey) {
  StreamProtocol session("\x03\x03" "A\x03" "B\n");
  EXPECT_EQ(session.read_line(), (std::vector<int>{'A', kCtrlC, 'B', kEnter}));
}

TEST(StreamProtocolTest, TypedKeysNeverReachABreakPoll) {
  StreamProtocol session("A\nB\nC\n");
  EXPECT_EQ(session.read_line(), Keys("A\n"));
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(session.statement_breaks());
  EXPECT_EQ(session.read_line(), Keys("B\n"));
}

TEST(StreamProtocolTest, TheEndOfTheScriptBeginsTheShutDown) {
  StreamProtocol session("AB");
  EXPECT_EQ(session.read_line(), Keys("AB"));
  EXPECT_TRUE(session.host().stop_flag());
}

std::vector<uint8_t> Row(const std::string& cp437) {
  std::vector<uint8_t> cells(TextScreen::kColumns * 2, 0);
  for (int column = 0; column < TextScreen::kColumns; ++column) {
    cells[column * 2] = column < static_cast<int>(cp437.size()) ? cp437[column] : ' ';
    cells[column * 2 + 1] = 7;
  }
  return cells;
}

TEST(StreamOutputTest, RowsAreWrittenAsGlyphsWithoutTrailingBlanks) {
  StreamProtocol session("");
  session.front_end().row_scrolled_off(Row("\x01 A\xC4\xDB\x03  ").data());
  session.front_end().row_scrolled_off(Row("").data());
  session.front_end().row_scrolled_off(Row(std::string("x\0y", 3)).data());
  EXPECT_EQ(session.output(), "\u263A A\u2500\u2588\u2665\n\nx y\n");
}

TEST(StreamOutputTest, TheFinalScreenLeavesOutItsEmptyRowsAtTheEnd) {
  StreamProtocol session("");
  TextScreen& screen = session.host().screen();
  for (int offset = 0; offset < TextScreen::kBytes; offset += 2) screen.set_byte(offset, ' ');
  screen.set_byte(0, ':');
  screen.set_byte(2 * TextScreen::kColumns * 2, 'B');  // row 3; row 2 stays empty
  session.front_end().write_final_screen(screen);
  EXPECT_EQ(session.output(), ":\n\nB\n");
}

// Whole sessions: the real program in a folder of its own, fed a script from a file.
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
