// The text screen as terminal output: ANSI sequences for the cells that changed.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/console.h"

// Pure logic: remembers what the terminal shows and appends to `out` what brings it to the
// next snapshot. The screen stands at the terminal's top left; colours are the attribute
// byte's 16 foreground and 8 background colours, and bit 7 blinks.
class ScreenPainter {
 public:
  // Taking over the terminal and giving it back: the alternate screen, no line wrap (the
  // last column stays put), the title saved and restored, the cursor shown again at the end.
  static constexpr std::string_view kEnter = "\x1b[22;0t\x1b[?1049h\x1b[?7l\x1b[0m\x1b[H\x1b[2J";
  static constexpr std::string_view kLeave = "\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l\x1b[23;0t";

  // The cells that differ from what the terminal shows, then the cursor: shown where the
  // line editor waits, hidden otherwise.
  void paint(const ScreenSnapshot& next, std::string& out);
  // What the terminal shows is unknown (resized, cleared, a message): the next paint
  // clears it and draws every cell.
  void forget() { known_ = false; }
  // A line of plain text for the row below the screen, drawn with every full frame; "" for
  // none (the terminal has no row to spare). It takes effect at the next full frame.
  void set_notice(std::string_view text) { notice_ = text; }
  // In place of the screen, one line saying how large the terminal must be.
  void too_small(int columns, int rows, std::string& out);
  // The window title (code page 437) as the terminal's title.
  static void title(std::string_view title, std::string& out);

 private:
  std::array<uint8_t, kScreenBytes> shown_{};
  std::string notice_;
  bool known_ = false;
  bool cursor_shown_ = false;
  int cursor_row_ = 0;
  int cursor_column_ = 0;
};
