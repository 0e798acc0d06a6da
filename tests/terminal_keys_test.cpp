// The terminal's bytes as keys: a table of what arrives (in reads) and the keys it gives.
#include "platform/terminal/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/core/keys.h"

namespace {

constexpr int Ext(int scan) { return kExtendedKey + scan; }

struct KeyCase {
  std::vector<std::string> reads;  // what each read() returned
  bool timed_out;                  // nothing more came in time after the last read
  std::vector<int> keys;
};

std::vector<int> Decode(const KeyCase& c) {
  TerminalKeyDecoder decoder;
  std::deque<int> keys;
  for (const std::string& bytes : c.reads) decoder.feed(bytes, keys);
  if (c.timed_out) decoder.flush(keys);
  return {keys.begin(), keys.end()};
}

TEST(TerminalKeys, PlainKeysAndControlCodes) {
  const KeyCase cases[] = {
      {{"aZ 9"}, false, {'a', 'Z', ' ', '9'}},
      {{"\r"}, false, {kKeyEnter}},
      {{"\n"}, false, {kKeyEnter}},           // a pasted line end
      {{"\x7f"}, false, {kKeyBackspace}},     // DEL from the Backspace key
      {{"\x08"}, false, {kKeyBackspace}},     // ^H
      {{"\t"}, false, {kKeyTab}},
      {{"\x03"}, false, {kKeyCtrlC}},         // a key, not a signal
      {{"\x1a\x01"}, false, {26, 1}},         // other control keys as their codes
      {{std::string(1, '\0')}, false, {}},    // Ctrl+Space has no key of ours
  };
  for (const KeyCase& c : cases) EXPECT_EQ(Decode(c), c.keys) << c.reads[0];
}

TEST(TerminalKeys, Utf8AsCodePage437) {
  const KeyCase cases[] = {
      {{"\u00e9"}, false, {0x82}},                      // é
      {{"\u2591\u2588"}, false, {0xB0, 0xDB}},          // shades and blocks
      {{"\u263a"}, false, {1}},                         // the smiling face is code 1
      {{"a\u4e2db"}, false, {'a', 'b'}},                // not in code page 437: dropped
      {{"\xc3", "\xa9"}, false, {0x82}},                // split across reads
      {{"\xe2\x96", "\x88x"}, false, {0xDB, 'x'}},
      {{"\xff" "a\x80" "b"}, false, {'a', 'b'}},        // stray bytes dropped
      {{"\xc3"}, true, {}},                             // an unfinished character is dropped
  };
  for (const KeyCase& c : cases) EXPECT_EQ(Decode(c), c.keys) << c.reads[0];
}

TEST(TerminalKeys, CursorEditingAndFunctionKeysAsScanCodes) {
  const KeyCase cases[] = {
      {{"\x1b[A\x1b[B\x1b[C\x1b[D"}, false, {Ext(72), Ext(80), Ext(77), Ext(75)}},
      {{"\x1bOA\x1bOB\x1bOC\x1bOD"}, false, {Ext(72), Ext(80), Ext(77), Ext(75)}},  // application mode
      {{"\x1b[H\x1b[F\x1bOH\x1bOF"}, false, {Ext(71), Ext(79), Ext(71), Ext(79)}},
      {{"\x1b[1~\x1b[4~\x1b[7~\x1b[8~"}, false, {Ext(71), Ext(79), Ext(71), Ext(79)}},
      {{"\x1b[2~\x1b[3~\x1b[5~\x1b[6~"}, false, {Ext(82), Ext(83), Ext(73), Ext(81)}},
      {{"\x1bOP\x1bOQ\x1bOR\x1bOS"}, false, {Ext(59), Ext(60), Ext(61), Ext(62)}},
      {{"\x1b[15~\x1b[17~\x1b[18~\x1b[19~\x1b[20~\x1b[21~"}, false,
       {Ext(63), Ext(64), Ext(65), Ext(66), Ext(67), Ext(68)}},
      {{"\x1b[23~\x1b[24~"}, false, {Ext(133), Ext(134)}},
      {{"\x1b[11~\x1b[[A\x1b[[E"}, false, {Ext(59), Ext(59), Ext(63)}},    // other terminals' F1, F5
      {{"\x1b[[A\x1b[1;1D"}, false, {Ext(59), Ext(75)}},                   // modifier 1: none held
      {{"\x1bO5P\x1bO2S\x1bOM"}, false, {Ext(94), Ext(87), kKeyEnter}},     // older forms of Ctrl+F1, Shift+F4
      {{"\x1b[1;9D\x1b[1;13D"}, false, {Ext(155), Ext(155)}},             // Meta counts as Alt, before Ctrl
      {{"\x1b[27;5;13~\x1b[1;5E"}, false, {}},                            // keys of ours these are not
      {{"\x1b[200~x"}, false, {'x'}},                                      // unknown: dropped
      {{"\x1b[?1;2c"}, false, {}},                                         // a terminal's report
  };
  for (const KeyCase& c : cases) EXPECT_EQ(Decode(c), c.keys) << c.reads[0];
}

TEST(TerminalKeys, SequencesSplitAcrossReadsAndALoneEscape) {
  const KeyCase cases[] = {
      {{"\x1b", "[A"}, false, {Ext(72)}},
      {{"\x1b[", "A"}, false, {Ext(72)}},
      {{"\x1bO", "A"}, false, {Ext(72)}},
      {{"\x1b[2", "4~"}, false, {Ext(134)}},
      {{"\x1b"}, false, {}},                           // may begin a sequence: waits
      {{"\x1b"}, true, {kKeyEscape}},                     // nothing followed in time
      {{"\x1b", "x"}, false, {Ext(45)}},                  // Alt+x, its Escape read alone
      {{"\x1b[1;5", "D"}, false, {Ext(115)}},             // Ctrl+Left
      {{"\x1b\x1b[A"}, false, {Ext(152)}},                // Alt+Up as some terminals send it
      {{"\x1b\x1b[Z"}, false, {Ext(165)}},                // Alt+Shift+Tab: Alt counts
      {{"\x1b\x1b"}, false, {}},                          // may still be Alt+Up: waits
      {{"\x1b\x1b"}, true, {Ext(1)}},                     // Alt+Escape
      {{"\x1b\x1bx"}, false, {Ext(1), 'x'}},
      {{"\x1b["}, true, {Ext(26)}},                       // Alt+[ after the wait
      {{"\x1bO"}, true, {Ext(24)}},                       // Alt+Shift+O
      {{"\x1b[1;"}, true, {kKeyEscape, '[', '1', ';'}},  // no sequence came: Escape, then typed text
      {{"\x1b\u00e9\x1b "}, false, {0x82, ' '}},          // no PC key types it, and Alt+Space is a blank
      {{"\x1b\x01\x1b\x03"}, false, {}},                 // Ctrl+Alt+letter gives nothing
  };
  for (const KeyCase& c : cases) EXPECT_EQ(Decode(c), c.keys) << c.reads[0] << (c.timed_out ? " (timed out)" : "");
}

TEST(TerminalKeys, WaitingIsReportedUntilTheRestComes) {
  TerminalKeyDecoder decoder;
  std::deque<int> keys;
  decoder.feed("\x1b", keys);
  EXPECT_TRUE(decoder.waiting());
  decoder.feed("[", keys);
  EXPECT_TRUE(decoder.waiting());
  decoder.feed("B", keys);
  EXPECT_FALSE(decoder.waiting());
  EXPECT_EQ(std::vector<int>(keys.begin(), keys.end()), std::vector<int>{Ext(80)});
}

}  // namespace
