// Key codes: what the front ends feed into the keyboard ring and the host's editor acts on.
#pragma once

// A key is a character 0 to 255, or kExtendedKey + the PC keyboard's scan code for cursor,
// editing and function keys.
inline constexpr int kExtendedKey = 256;
inline constexpr int kNoKey = -1;

inline constexpr int kKeyCtrlC = 3;
inline constexpr int kKeyBell = 7;
inline constexpr int kKeyBackspace = 8;
inline constexpr int kKeyTab = 9;
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
