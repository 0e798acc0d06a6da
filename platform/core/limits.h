// The host's limits, each named once.
#pragma once

inline constexpr int kScreenColumns = 80;
inline constexpr int kScreenRows = 25;
inline constexpr int kScreenBytes = kScreenColumns * kScreenRows * 2;  // character/attribute pairs
inline constexpr int kKeyboardCapacity = 15;  // a key that finds the ring full is dropped
inline constexpr int kMaxInputLine = 255;     // characters the line editor takes
inline constexpr int kBellPauseMs = 250;      // the pause of character 7, printed or typed
inline constexpr int kKeyPollMs = 10;         // a wait for a key looks again this often

// The program thread's stack. The interpreter's deepest recursion is its nesting limit of
// 1000 parentheses (kMaxParenDepth in interpreter/limits.h), reachable through a loaded
// line: that takes about 140 KiB, 440 KiB under AddressSanitizer and 1 MiB under
// ThreadSanitizer (measured by the seam tests, which fail past a quarter of this).
inline constexpr unsigned long kProgramStackBytes = 16ul << 20;
inline constexpr const char* kProgramThreadName = "kelo-program";  // at most 15 bytes, as Linux keeps
