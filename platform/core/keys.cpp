// Which code a PC keyboard gives for each key with Shift, Ctrl or Alt held.
#include "platform/core/keys.h"

#include <iterator>
#include <string_view>

namespace {

constexpr int X(int scan) { return kExtendedKey + scan; }

struct NamedKeyCodes {
  int plain, shift, ctrl, alt;
};

// ORDER NamedKey. The codes of the PC's enhanced keyboard; Shift leaves the cursor and
// editing keys as they are.
constexpr NamedKeyCodes kNamedKeys[] = {
    {kKeyEscape, kKeyEscape, kKeyEscape, X(1)},
    {kKeyBackspace, kKeyBackspace, 127, X(14)},
    {kKeyTab, X(15), X(148), X(165)},
    {kKeyEnter, kKeyEnter, kKeyCtrlEnter, X(28)},
    {X(59), X(84), X(94), X(104)},  // F1
    {X(60), X(85), X(95), X(105)},
    {X(61), X(86), X(96), X(106)},
    {X(62), X(87), X(97), X(107)},
    {X(63), X(88), X(98), X(108)},
    {X(64), X(89), X(99), X(109)},
    {X(65), X(90), X(100), X(110)},
    {X(66), X(91), X(101), X(111)},
    {X(67), X(92), X(102), X(112)},
    {X(68), X(93), X(103), X(113)},  // F10
    {X(133), X(135), X(137), X(139)},  // F11
    {X(134), X(136), X(138), X(140)},  // F12
    {X(71), X(71), X(119), X(151)},  // Home
    {X(72), X(72), X(141), X(152)},  // Up
    {X(73), X(73), X(132), X(153)},  // Page Up
    {X(75), X(75), X(115), X(155)},  // Left
    {X(77), X(77), X(116), X(157)},  // Right
    {X(79), X(79), X(117), X(159)},  // End
    {X(80), X(80), X(145), X(160)},  // Down
    {X(81), X(81), X(118), X(161)},  // Page Down
    {X(82), X(82), X(146), X(162)},  // Insert
    {X(83), X(83), X(147), X(163)},  // Delete
};
static_assert(std::size(kNamedKeys) == static_cast<size_t>(NamedKey::kDelete) + 1, "one row per NamedKey");

// The PC keyboard's rows of character keys, each from its first scan code, as they type
// unshifted and shifted. Alt with one of them gives its scan code, except the top row's keys,
// which give 120 to 131.
struct KeyRow {
  int first_scan;
  std::string_view unshifted, shifted;
};
constexpr KeyRow kKeyRows[] = {
    {2, "1234567890-=", "!@#$%^&*()_+"},
    {16, "qwertyuiop[]", "QWERTYUIOP{}"},
    {30, "asdfghjkl;'`", "ASDFGHJKL:\"~"},
    {43, "\\zxcvbnm,./", "|ZXCVBNM<>?"},
};
constexpr int kTopRowAltScan = 120;

}  // namespace

int named_key(NamedKey key, HeldModifiers held) {
  const NamedKeyCodes& codes = kNamedKeys[static_cast<size_t>(key)];
  if (held.alt) return codes.alt;
  if (held.ctrl) return codes.ctrl;
  return held.shift ? codes.shift : codes.plain;
}

int typed_key(int character, bool alt) {
  if (!alt || character == ' ') return character;  // Alt+Space is a blank on the PC
  if (character < ' ' || character == 127) return kNoKey;
  for (const KeyRow& row : kKeyRows) {
    size_t at = row.unshifted.find(static_cast<char>(character));
    if (at == std::string_view::npos) at = row.shifted.find(static_cast<char>(character));
    if (at == std::string_view::npos) continue;
    return X(row.first_scan == kKeyRows[0].first_scan ? kTopRowAltScan + static_cast<int>(at)
                                                        : row.first_scan + static_cast<int>(at));
  }
  return character;
}
