// The terminal front end: the text screen drawn with ANSI sequences, keys read in raw mode.
#pragma once
#include <chrono>
#include <deque>
#include <string>
#include <utility>

#include "platform/core/console.h"
#include "platform/core/front_end.h"
#include "platform/core/start_up.h"
#include "platform/terminal/key_decoder.h"
#include "platform/terminal/screen_painter.h"

class SignalEvents;
class TerminalMode;

class TerminalFrontEnd : public FrontEnd {
 public:
  // Reads keys from input_fd and draws on output_fd (both the terminal). With `signals`, run()
  // answers them: SIGTERM and SIGHUP close, SIGINT is Ctrl+C, SIGQUIT gives the terminal
  // back and ends the process as it asks, SIGWINCH redraws.
  TerminalFrontEnd(Console& console, int input_fd, int output_fd, SignalEvents* signals = nullptr);

  // Takes the terminal over until the program has ended, and gives it back. When the
  // terminal's modes cannot be set: one line on standard error and a close request.
  void run() override;
  // A line shown below the screen while the session runs (why the window gave way to the
  // terminal), where the terminal has a row to spare; the screen itself is never touched.
  void show_notice(std::string notice) { notice_ = std::move(notice); }
  // 1 when run() could not take the terminal over.
  int failure_status() const override { return failed_ ? kStartFailureStatus : 0; }

 private:
  using Clock = std::chrono::steady_clock;

  void read_keys();
  // The terminal is gone (its input ended, its output failed): the session ends as a closed
  // window does, with status 0.
  void hang_up();
  void hand_over_keys();
  void answer_signals(TerminalMode& mode);
  void draw();
  void write_out(const std::string& bytes);
  // The poll timeout in milliseconds: the next frame, a lone Escape, keys waiting for room.
  int timeout_ms(Clock::time_point now) const;

  Console& console_;
  int input_fd_;
  int output_fd_;
  SignalEvents* signals_;
  TerminalKeyDecoder decoder_;
  std::deque<int> keys_;          // decoded, waiting for room in the ring (a paste)
  Clock::time_point escape_deadline_{};
  ScreenPainter painter_;
  ScreenSnapshot snapshot_;
  uint64_t title_seen_ = 0;
  std::string notice_;
  bool dirty_ = true;             // something new to draw
  bool hung_up_ = false;          // the terminal is gone: no more reads or writes
  bool failed_ = false;           // its modes could not be set
  bool too_small_ = false;
  int columns_ = 0;
  int rows_ = 0;
  Clock::time_point next_frame_{};
};
