// The stream front end: how script keys reach the waits and Break polls, and what it writes.
#include "platform/stream/stream_front_end.h"

#include <gtest/gtest.h>
#include <stdio.h>
#include <unistd.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/core/host.h"

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
    front_end_ = std::make_unique<StreamFrontEnd>(console_, script_fd_, output_);
    host_ = std::make_unique<Host>(console_, *front_end_, "");
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
  bool key_pump_on() const { return (console_.pending() & Console::kKeyPump) != 0; }
  Host& host() { return *host_; }

 private:
  int script_fd_ = -1;
  std::FILE* output_ = nullptr;
  char* output_buffer_ = nullptr;
  size_t output_size_ = 0;
  std::unique_ptr<StreamFrontEnd> front_end_;
  Console console_;
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

TEST(StreamProtocolTest, TheKeyPumpRunsOnlyWhileABreakIsToCome) {
  // Off, the event check is one load that finds nothing; on, every statement asks the front end.
  StreamProtocol session("A\nRUN\n\x03" "B\n");
  EXPECT_EQ(session.read_line(), Keys("A\n"));
  EXPECT_FALSE(session.key_pump_on());
  EXPECT_EQ(session.read_line(), Keys("RUN\n"));
  EXPECT_TRUE(session.key_pump_on());  // the script's Ctrl+C counts statements down
  EXPECT_FALSE(session.statement_breaks());
  EXPECT_TRUE(session.statement_breaks());
  EXPECT_FALSE(session.key_pump_on());
  session.front_end().interrupt();  // SIGINT while a program runs
  EXPECT_TRUE(session.key_pump_on());
  EXPECT_TRUE(session.statement_breaks());
  EXPECT_FALSE(session.key_pump_on());
  session.front_end().interrupt();  // at the next wait it is dropped, as a Ctrl+C starting a line
  EXPECT_EQ(session.read_line(), Keys("B\n"));
  EXPECT_FALSE(session.key_pump_on());
  EXPECT_FALSE(session.statement_breaks());
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

}  // namespace
