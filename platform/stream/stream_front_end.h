// The stream front end, for scripts and tests: standard input is the keyboard, standard output the screen.
#pragma once
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/core/console.h"
#include "platform/core/front_end.h"
#include "platform/stream/script_keys.h"

class SignalEvents;

class StreamFrontEnd : public FrontEnd {
 public:
  // Reads the script from input_fd and writes the rows to output. With `signals`, run()
  // answers them: SIGTERM and SIGHUP close, SIGINT is a Ctrl+C for the next Break poll, and a
  // second SIGINT before that one is taken writes the screen and ends the process (130).
  StreamFrontEnd(Console& console, int input_fd, std::FILE* output, SignalEvents* signals = nullptr);

  // Waits for the program's end, answering signals meanwhile, then writes the last screen.
  // When a write of the output fails (a full disk, a closed pipe, an I/O error), the session
  // ends there and run() says why on standard error.
  void run() override;
  // 1 once a write of the output has failed.
  int failure_status() const override;

  void wait_for_key(KeyboardRing& ring) override;
  void wait_started(KeyboardRing& ring) override;
  void wait_ended(KeyboardRing& ring) override;
  void statement_event(KeyboardRing& ring) override;
  // Flushes the output first, as every wait does.
  int pause_ms(int milliseconds) override;
  // Written into the output's buffer: the rows become visible at the next wait for a key,
  // pause, signal or the end, not one write per row.
  void row_scrolled_off(const uint8_t* cells) override;

  // The rows of a screen, its empty rows at the end left out.
  void write_final_screen(const TextScreen& screen);
  void write_final_screen(const ScreenSnapshot& screen);
  // A SIGINT, as run() answers it.
  void interrupt();

 private:
  void write_row(const uint8_t* cells);
  // With output_mutex_ held: remembers why the write failed and asks for the shut-down.
  void output_failed();
  int output_error() const;
  // Also flushes the output.
  void write_screen(const uint8_t* cells);
  void flush();
  // The key pump stays on while a Break is to come; turned off when neither is left.
  void update_key_pump();

  Console& console_;
  ScriptInput script_;
  std::FILE* output_;
  SignalEvents* signals_;
  mutable std::mutex output_mutex_;  // rows scrolling off on the program thread, the last screen on the main thread
  std::string line_;         // the row being written, kept so that writing one allocates nothing
  int output_error_ = 0;     // the errno of the first failed write; nothing is written after it
  bool in_wait_ = false;
  // A Ctrl+C of the script after a typed line: counts down the statements after that wait,
  // and the Break poll of the second one takes it. 0 when none is pending.
  int statements_until_break_ = 0;
  // A SIGINT not taken yet: by the next Break poll outside a wait, or dropped when a wait
  // for the keyboard begins or ends, as a Ctrl+C starting a line is.
  std::atomic<bool> interrupt_pending_{false};
};
