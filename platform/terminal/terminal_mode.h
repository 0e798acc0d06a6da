// Takes the terminal over (raw keys, alternate screen) and gives it back as it was, on every way out.
#pragma once
#include <termios.h>

// Raw mode with the terminal's own signals off (Ctrl+C is a key), and the alternate screen.
// The destructor restores both; so do a crash (a fatal signal) and restore() before the
// process ends by a signal of its own.
class TerminalMode {
 public:
  // Throws std::system_error when the terminal's modes cannot be read or set.
  TerminalMode(int input_fd, int output_fd);
  ~TerminalMode();
  TerminalMode(const TerminalMode&) = delete;
  TerminalMode& operator=(const TerminalMode&) = delete;

  // Gives the terminal back now (idempotent).
  void restore();
  // Takes it again after the process was stopped and continued (the shell may have changed it).
  void reenter();

 private:
  int enter();  // 0, or the errno of a refusal
};
