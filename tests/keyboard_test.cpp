// Tests of the keyboard: the ring, the line editor and the host's waits for a key.
#include "platform/core/keyboard.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_front_end.h"

namespace {

TEST(KeyboardRing, KeepsOrderAndDropsKeysPastFifteen) {
  KeyboardRing ring;
  EXPECT_TRUE(ring.empty());
  EXPECT_EQ(ring.pop(), kNoKey);
  for (int key = 1; key <= 20; ++key) ring.push(key);
  for (int key = 1; key <= KeyboardRing::kCapacity; ++key) EXPECT_EQ(ring.pop(), key);
  EXPECT_EQ(ring.pop(), kNoKey);
  EXPECT_TRUE(ring.empty());
}

TEST(KeyboardRing, WrapsAroundItsSlotsAndKeepsExtendedKeys) {
  KeyboardRing ring;
  for (int round = 0; round < 40; ++round) {  // many times round the 16 slots
    ring.push(round);
    ring.push(kExtendedKey + 255);
    ring.push(0);
    EXPECT_EQ(ring.pop(), round);
    EXPECT_EQ(ring.pop(), kExtendedKey + 255);
    EXPECT_EQ(ring.pop(), 0);
  }
  EXPECT_TRUE(ring.empty());
}

TEST(KeyboardRing, ClearDiscardsWaitingKeysOnly) {
  KeyboardRing ring;
  for (const char key : {'a', 'b', 'c'}) ring.push(static_cast<unsigned char>(key));
  ring.clear();
  EXPECT_TRUE(ring.empty());
  ring.push('d');
  EXPECT_EQ(ring.pop(), 'd');
}

struct EditorCase {
  const char* name;
  std::string typed;
  bool line_end;
  std::string text;
  std::vector<std::string> rows;
  int row, column;
};

TEST(LineEditor, EditsAndEchoesTheLine) {
  const std::string x80(80, 'x');
  const EditorCase cases[] = {
      {"plain text, cursor behind the echo", "abc\r", false, "abc", {"abc", ""}, 1, 4},
      {"line end after Enter", "abc\r", true, "abc", {"abc", ""}, 2, 1},
      {"backspace removes from text and screen", "ab\bc\r", false, "ac", {"ac"}, 1, 3},
      {"backspace on an empty line does nothing", "\b\bx\r", false, "x", {"x"}, 1, 2},
      {"tab fills to a multiple of eight", "a\tb\r", false, "a       b", {"a       b"}, 1, 10},
      {"tab after eight characters adds eight", "12345678\tX\r", false, "12345678        X", {"12345678        X"}, 1, 18},
      {"moving and clearing codes are ignored", "a\n\x0b\x0c\x1c\x1d\x1e\x1f" "b\r", false, "ab", {"ab"}, 1, 3},
      {"other control codes are characters", "\x03\x7f\x1b\x01\r", false, "\x03\x7f\x1b\x01", {"\x03\x7f\x1b\x01"}, 1, 5},
      {"at most 255 characters", std::string(300, 'x') + "\r", false, std::string(255, 'x'),
       {x80, x80, x80, std::string(15, 'x')}, 4, 16},
      {"tab stops at 255 characters", std::string(250, 'x') + "\t\r", false, std::string(250, 'x') + "     ",
       {x80, x80, x80, std::string(10, 'x')}, 4, 16},
      {"backspace goes back across the row wrap", std::string(81, 'x') + "\b\bZ\r", false,
       std::string(79, 'x') + "Z", {std::string(79, 'x') + "Z", ""}, 1, 80},
  };
  for (const EditorCase& c : cases) {
    SCOPED_TRACE(c.name);
    ScriptedHost scripted(keys_of(c.typed));
    std::string target = "old";
    scripted.host.input_line(target, c.line_end);
    EXPECT_EQ(target, c.text);
    const TextScreen& screen = scripted.host.screen();
    for (size_t i = 0; i < c.rows.size(); ++i) EXPECT_EQ(row_text(screen, static_cast<int>(i) + 1), c.rows[i]) << "row " << i + 1;
    EXPECT_EQ(screen.cursor_row(), c.row);
    EXPECT_EQ(screen.cursor_column(), c.column);
    EXPECT_EQ(scripted.front_end.waits_started, 1);
    EXPECT_EQ(scripted.front_end.waits_ended, 1);
  }
}

TEST(LineEditor, IgnoresExtendedKeysAndPausesOnBell) {
  ScriptedHost scripted({'a', kExtendedKey + 72, 7, kExtendedKey + 80, 'b', 13});
  std::string target;
  scripted.host.input_line(target, false);
  EXPECT_EQ(target, "ab");
  EXPECT_EQ(row_text(scripted.host.screen(), 1), "ab");
  EXPECT_EQ(scripted.front_end.pauses, std::vector<int>{250});
}

TEST(LineEditor, LineEndAfterAHeldPromptMovesDownOnce) {
  ScriptedHost scripted(keys_of("\r"));
  scripted.host.print_string(std::string(80, '>'), false);
  std::string target = "old";
  scripted.host.input_line(target, true);
  EXPECT_EQ(target, "");
  EXPECT_EQ(scripted.host.screen().cursor_row(), 2);
  EXPECT_EQ(scripted.host.screen().cursor_column(), 1);
}

TEST(LineEditor, ShutDownDuringTheWaitStoresNothing) {
  ScriptedHost scripted(keys_of("abc"));
  std::string target = "old";
  EXPECT_THROW(scripted.host.input_line(target, true), HostShutdown);
  EXPECT_EQ(target, "old");
  EXPECT_TRUE(scripted.host.stop_flag());
  EXPECT_EQ(scripted.front_end.waits_ended, 0);
  EXPECT_EQ(scripted.host.screen().cursor_row(), 1);  // no line end either
}

TEST(HostKeys, ReadKeysWaitsAndReturnsTheCharacterUnechoed) {
  ScriptedHost scripted({'A', 3, kExtendedKey + 59});
  EXPECT_EQ(scripted.host.read_keys(), 'A');
  EXPECT_EQ(scripted.host.read_keys(), 3);
  EXPECT_EQ(scripted.host.read_keys(), 0);  // extended: the scan code is dropped
  EXPECT_EQ(row_text(scripted.host.screen(), 1), "");
  EXPECT_EQ(scripted.front_end.waits_started, 3);
  EXPECT_EQ(scripted.front_end.waits_ended, 3);
  EXPECT_THROW(scripted.host.read_keys(), HostShutdown);
}

TEST(HostKeys, InkeyNeverWaits) {
  ScriptedHost scripted({'z'});
  EXPECT_EQ(scripted.host.inkey(), kNoKey);
  EXPECT_EQ(scripted.front_end.keys.size(), 1u);  // the front end was not asked
  scripted.host.keyboard().push(kExtendedKey + 59);
  scripted.host.keyboard().push('q');
  EXPECT_EQ(scripted.host.inkey(), kExtendedKey + 59);
  EXPECT_EQ(scripted.host.inkey(), 'q');
  EXPECT_EQ(scripted.front_end.waits_ended, 0);
}

// LIST's pause: the event check and a poll, pass after pass, until a key comes.
int pause_for_key(Host& host) {
  for (;;) {
    host.key_wait_event();
    int key = host.inkey();
    if (key != kNoKey) return key;
  }
}

TEST(HostKeys, PauseLoopGetsAKeyThenShutsDownWhenNoneComes) {
  ScriptedHost scripted({3, 'q'});
  EXPECT_EQ(pause_for_key(scripted.host), 3);
  EXPECT_EQ(pause_for_key(scripted.host), 'q');
  EXPECT_EQ(scripted.front_end.waits_started, 2);
  EXPECT_EQ(scripted.front_end.waits_ended, 2);
  EXPECT_THROW(pause_for_key(scripted.host), HostShutdown);
  EXPECT_TRUE(scripted.host.stop_flag());
}

}  // namespace
