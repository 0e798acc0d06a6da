// The PC keyboard's keys as both front ends give them: one table of keys, each with what a
// terminal sends for it, what X reports for it in the window, and the code that both must
// put into the keyboard ring.
#include <gtest/gtest.h>
// After gtest: X's headers define None, a name gtest uses.
#include <X11/X.h>
#include <X11/keysym.h>

#include <deque>
#include <string>
#include <vector>

#include "platform/core/keys.h"
#include "platform/terminal/key_decoder.h"
#include "platform/window/window_keys.h"

namespace {

constexpr int Ext(int scan) { return kExtendedKey + scan; }
constexpr int kSame = -2;  // the terminal gives the same code as the window

struct KeyRow {
  std::string name;
  int key;                   // what the window gives
  std::string terminal;      // what an xterm-like terminal (tmux too) sends
  XKeyPress window;          // what X reports
  int terminal_key = kSame;  // where a terminal cannot send the key, what its bytes give
};

// The keys of a terminal's bytes, with the Escape wait run out after them.
std::vector<int> FromTerminal(const std::string& bytes) {
  TerminalKeyDecoder decoder;
  std::deque<int> keys;
  decoder.feed(bytes, keys);
  decoder.flush(keys);
  return {keys.begin(), keys.end()};
}

// The modifiers in both front ends' forms: xterm's parameter and X's mask.
struct Held {
  const char* name;
  int parameter;
  unsigned int mask;
};
constexpr Held kPlain{"", 1, 0}, kShift{"Shift+", 2, ShiftMask}, kAlt{"Alt+", 3, Mod1Mask},
    kCtrl{"Ctrl+", 5, ControlMask};

// A cursor, editing or function key with each modifier: its codes, plain, with Shift, with
// Ctrl and with Alt, as the PC's enhanced keyboard gives them.
struct NamedRow {
  const char* name;
  unsigned long keysym;
  std::string plain_sequence;  // what the terminal sends for it alone
  int number;                  // xterm's modified form: ESC [ number ; modifier final
  char final;
  int codes[4];
};

void AddNamedKeys(std::vector<KeyRow>& rows) {
  const NamedRow named[] = {
      {"Up", XK_Up, "\x1b[A", 1, 'A', {Ext(72), Ext(72), Ext(141), Ext(152)}},
      {"Down", XK_Down, "\x1b[B", 1, 'B', {Ext(80), Ext(80), Ext(145), Ext(160)}},
      {"Right", XK_Right, "\x1b[C", 1, 'C', {Ext(77), Ext(77), Ext(116), Ext(157)}},
      {"Left", XK_Left, "\x1b[D", 1, 'D', {Ext(75), Ext(75), Ext(115), Ext(155)}},
      {"Home", XK_Home, "\x1b[H", 1, 'H', {Ext(71), Ext(71), Ext(119), Ext(151)}},
      {"End", XK_End, "\x1b[F", 1, 'F', {Ext(79), Ext(79), Ext(117), Ext(159)}},
      {"Insert", XK_Insert, "\x1b[2~", 2, '~', {Ext(82), Ext(82), Ext(146), Ext(162)}},
      {"Delete", XK_Delete, "\x1b[3~", 3, '~', {Ext(83), Ext(83), Ext(147), Ext(163)}},
      {"PgUp", XK_Prior, "\x1b[5~", 5, '~', {Ext(73), Ext(73), Ext(132), Ext(153)}},
      {"PgDn", XK_Next, "\x1b[6~", 6, '~', {Ext(81), Ext(81), Ext(118), Ext(161)}},
      {"F1", XK_F1, "\x1bOP", 1, 'P', {Ext(59), Ext(84), Ext(94), Ext(104)}},
      {"F2", XK_F2, "\x1bOQ", 1, 'Q', {Ext(60), Ext(85), Ext(95), Ext(105)}},
      {"F3", XK_F3, "\x1bOR", 1, 'R', {Ext(61), Ext(86), Ext(96), Ext(106)}},
      {"F4", XK_F4, "\x1bOS", 1, 'S', {Ext(62), Ext(87), Ext(97), Ext(107)}},
      {"F5", XK_F5, "\x1b[15~", 15, '~', {Ext(63), Ext(88), Ext(98), Ext(108)}},
      {"F6", XK_F6, "\x1b[17~", 17, '~', {Ext(64), Ext(89), Ext(99), Ext(109)}},
      {"F7", XK_F7, "\x1b[18~", 18, '~', {Ext(65), Ext(90), Ext(100), Ext(110)}},
      {"F8", XK_F8, "\x1b[19~", 19, '~', {Ext(66), Ext(91), Ext(101), Ext(111)}},
      {"F9", XK_F9, "\x1b[20~", 20, '~', {Ext(67), Ext(92), Ext(102), Ext(112)}},
      {"F10", XK_F10, "\x1b[21~", 21, '~', {Ext(68), Ext(93), Ext(103), Ext(113)}},
      {"F11", XK_F11, "\x1b[23~", 23, '~', {Ext(133), Ext(135), Ext(137), Ext(139)}},
      {"F12", XK_F12, "\x1b[24~", 24, '~', {Ext(134), Ext(136), Ext(138), Ext(140)}},
  };
  const Held modifiers[] = {kPlain, kShift, kCtrl, kAlt};
  for (const NamedRow& key : named) {
    for (int m = 0; m < 4; ++m) {
      const Held& held = modifiers[m];
      const std::string sequence = m == 0 ? key.plain_sequence
                                          : "\x1b[" + std::to_string(key.number) + ";" +
                                                std::to_string(held.parameter) + key.final;
      rows.push_back({held.name + std::string(key.name), key.codes[m], sequence, {key.keysym, held.mask, -1}});
    }
  }
}

// Alt with the character keys: each key's scan code, the top row's 120 to 131.
void AddAltCharacters(std::vector<KeyRow>& rows) {
  const int letter_scans[26] = {30, 48, 46, 32, 18, 33, 34, 35, 23, 36, 37, 38, 50,
                                49, 24, 25, 16, 19, 31, 20, 22, 47, 17, 45, 21, 44};
  for (int i = 0; i < 26; ++i) {
    const char letter = static_cast<char>('a' + i);
    rows.push_back({std::string("Alt+") + letter, Ext(letter_scans[i]), std::string("\x1b") + letter,
                    {static_cast<unsigned long>(letter), Mod1Mask, letter}});
  }
  const std::string digits = "1234567890";
  for (int i = 0; i < 10; ++i) {
    const char digit = digits[i];
    rows.push_back({std::string("Alt+") + digit, Ext(120 + i), std::string("\x1b") + digit,
                    {static_cast<unsigned long>(digit), Mod1Mask, digit}});
  }
  const struct { char character; unsigned long keysym; unsigned int mask; int scan; } others[] = {
      {'X', XK_X, ShiftMask, 45},  // Shift changes nothing under Alt
      {'!', XK_exclam, ShiftMask, 120}, {'-', XK_minus, 0, 130}, {'=', XK_equal, 0, 131},
      {']', XK_bracketright, 0, 27}, {';', XK_semicolon, 0, 39}, {'\'', XK_apostrophe, 0, 40},
      {'`', XK_grave, 0, 41}, {'\\', XK_backslash, 0, 43}, {',', XK_comma, 0, 51}, {'.', XK_period, 0, 52},
      {'/', XK_slash, 0, 53}, {'?', XK_question, ShiftMask, 53},
  };
  for (const auto& key : others) {
    rows.push_back({std::string("Alt+") + key.character, Ext(key.scan), std::string("\x1b") + key.character,
                    {key.keysym, Mod1Mask | key.mask, key.character}});
  }
}

std::vector<KeyRow> AllKeys() {
  std::vector<KeyRow> rows = {
      // Characters as typed, and Ctrl with letters.
      {"a", 'a', "a", {XK_a, 0, 'a'}},
      {"Shift+a", 'A', "A", {XK_A, ShiftMask, 'A'}},
      {"Ctrl+a", 1, "\x01", {XK_a, ControlMask, 1}},
      {"Ctrl+c", kKeyCtrlC, "\x03", {XK_c, ControlMask, 3}},
      {"Alt+Space", ' ', "\x1b ", {XK_space, Mod1Mask, ' '}},
      {"Ctrl+Alt+a", kNoKey, "\x1b\x01", {XK_a, ControlMask | Mod1Mask, 1}},
      // Enter, Tab, Backspace and Escape with their modifiers.
      {"Enter", kKeyEnter, "\r", {XK_Return, 0, 13}},
      {"Shift+Enter", kKeyEnter, "\r", {XK_Return, ShiftMask, 13}},
      {"Alt+Enter", Ext(28), "\x1b\r", {XK_Return, Mod1Mask, 13}},
      // A terminal sends Enter's CR for Ctrl+Enter, and a line feed both for Ctrl+J and for a
      // pasted line end: it stays Enter there, so that a paste keeps its lines.
      {"Ctrl+Enter", 10, "\r", {XK_Return, ControlMask, 13}, kKeyEnter},
      {"Ctrl+J", 10, "\n", {XK_j, ControlMask, 10}, kKeyEnter},
      {"Ctrl+M", kKeyEnter, "\r", {XK_m, ControlMask, 13}},
      {"Tab", kKeyTab, "\t", {XK_Tab, 0, 9}},
      {"Shift+Tab", Ext(15), "\x1b[Z", {XK_ISO_Left_Tab, ShiftMask, -1}},
      {"Alt+Tab", Ext(165), "\x1b\t", {XK_Tab, Mod1Mask, 9}},
      {"Ctrl+Tab", Ext(148), "\t", {XK_Tab, ControlMask, 9}, kKeyTab},  // a terminal sends Tab
      {"Backspace", kKeyBackspace, "\x7f", {XK_BackSpace, 0, 8}},
      {"Ctrl+H", kKeyBackspace, "\x08", {XK_h, ControlMask, 8}},
      {"Alt+Backspace", Ext(14), "\x1b\x7f", {XK_BackSpace, Mod1Mask, 8}},
      // Most terminals send ^H for it, which is Backspace there.
      {"Ctrl+Backspace", 127, "\x08", {XK_BackSpace, ControlMask, 8}, kKeyBackspace},
      {"Escape", kKeyEscape, "\x1b", {XK_Escape, 0, 27}},
      {"Alt+Escape", Ext(1), "\x1b\x1b", {XK_Escape, Mod1Mask, 27}},
  };
  AddNamedKeys(rows);
  AddAltCharacters(rows);
  return rows;
}

TEST(KeyTable, EveryKeyGivesThePcCodeInTheTerminalAndInTheWindow) {
  for (const KeyRow& row : AllKeys()) {
    const int terminal_key = row.terminal_key == kSame ? row.key : row.terminal_key;
    const std::vector<int> expected = terminal_key == kNoKey ? std::vector<int>{} : std::vector<int>{terminal_key};
    EXPECT_EQ(FromTerminal(row.terminal), expected) << row.name << " at a terminal";
    EXPECT_EQ(key_from_x_press(row.window), row.key) << row.name << " in the window";
  }
}

// Several modifiers at once: Alt counts before Ctrl, Ctrl before Shift, in both.
TEST(KeyTable, AltCountsBeforeCtrlAndCtrlBeforeShift) {
  const KeyRow rows[] = {
      {"Ctrl+Shift+Left", Ext(115), "\x1b[1;6D", {XK_Left, ControlMask | ShiftMask, -1}},
      {"Alt+Shift+F1", Ext(104), "\x1b[1;4P", {XK_F1, Mod1Mask | ShiftMask, -1}},
      {"Ctrl+Alt+F5", Ext(108), "\x1b[15;7~", {XK_F5, ControlMask | Mod1Mask, -1}},
      {"Ctrl+Shift+Tab", Ext(148), "\x1b[1;6Z", {XK_ISO_Left_Tab, ControlMask | ShiftMask, -1}},
  };
  for (const KeyRow& row : rows) {
    EXPECT_EQ(FromTerminal(row.terminal), std::vector<int>{row.key}) << row.name << " at a terminal";
    EXPECT_EQ(key_from_x_press(row.window), row.key) << row.name << " in the window";
  }
}

}  // namespace
