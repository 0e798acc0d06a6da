// Key codes: what the front ends feed into the keyboard ring and the host's editor acts on,
// and the one table that says which code a PC keyboard gives for each key.
#pragma once

// A key is a character 0 to 255, or kExtendedKey + the PC keyboard's scan code for cursor,
// editing and function keys and for keys held with Alt.
inline constexpr int kExtendedKey = 256;
inline constexpr int kNoKey = -1;

inline constexpr int kKeyCtrlC = 3;
inline constexpr int kKeyBell = 7;
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
inline constexpr int kKeyCtrlEnter = 10;
inline constexpr int kKeyEnter = 13;
inline constexpr int kKeyEscape = 27;

// Scan codes of the extended keys.
inline constexpr int kScanF1 = 59;  // F1 to F10 are 59 to 68
inline constexpr int kScanHome = 71;
inline constexpr int kScanUp = 72;
inline constexpr int kScanPageUp = 73;
inline constexpr int kScanLeft = 75;
inline constexpr int kScanRight = 77;
inline constexpr int kScanEnd = 79;
inline constexpr int kScanDown = 80;
inline constexpr int kScanPageDown = 81;
inline constexpr int kScanInsert = 82;
inline constexpr int kScanDelete = 83;
inline constexpr int kScanF11 = 133;
inline constexpr int kScanF12 = 134;

// The keys that are not characters, as a front end recognises them. ORDER NamedKey: the
// table in keys.cpp has one row for each, in this order.
enum class NamedKey : unsigned char {
  kEscape, kBackspace, kTab, kEnter,
  kF1, kF2, kF3, kF4, kF5, kF6, kF7, kF8, kF9, kF10, kF11, kF12,
  kHome, kUp, kPageUp, kLeft, kRight, kEnd, kDown, kPageDown, kInsert, kDelete,
};

// The modifiers held with a key. Where several are held, Alt counts before Ctrl and Ctrl
// before Shift, as on the PC.
struct HeldModifiers {
  bool shift = false;
  bool ctrl = false;
  bool alt = false;
};

// The code of a named key with the modifiers held, kNoKey when the PC gives none.
int named_key(NamedKey key, HeldModifiers held);
// The code of a typed character (code page 437, with Shift and Ctrl already applied, as
// keyboards deliver them): the character itself, or with Alt the extended key of the PC key
// that types it. A control character with Alt (Ctrl+Alt+letter) gives kNoKey, as on the PC;
// a character that no key of the PC keyboard types stays itself.
int typed_key(int character, bool alt);
