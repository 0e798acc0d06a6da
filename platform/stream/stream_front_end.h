// The stream front end, for scripts and tests: standard input is the keyboard, standard output the screen.
#pragma once
#include <cstdint>
#include <cstdio>

#include "platform/core/front_end.h"
#include "platform/stream/script_keys.h"

class Host;
class TextScreen;

class StreamFrontEnd : public FrontEnd {
 public:
  // Reads the script from input_fd and writes the rows to output. Makes SIGINT a Ctrl+C for
  // the next Break poll; a second SIGINT before that one is taken ends the process (130).
  StreamFrontEnd(int input_fd, std::FILE* output);
  // The host whose shut-down the end of the script begins.
  void attach(Host& host) { host_ = &host; }

  void wait_for_key(KeyboardRing& ring) override;
  void wait_started(KeyboardRing& ring) override;
  void wait_ended(KeyboardRing& ring) override;
  void statement_event(KeyboardRing& ring) override;
  void pause_ms(int milliseconds) override;
  void row_scrolled_off(const uint8_t* cells) override;

  // After the shut-down: the rows of the final screen, its empty rows at the end left out.
  void write_final_screen(const TextScreen& screen);

 private:
  void write_row(const uint8_t* cells);

  ScriptInput script_;
  std::FILE* output_;
  Host* host_ = nullptr;
  bool in_wait_ = false;
  // A Ctrl+C of the script after a typed line: counts down the statements after that wait,
  // and the Break poll of the second one takes it. 0 when none is pending.
  int statements_until_break_ = 0;
};
