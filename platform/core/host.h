// The host runtime: every service the interpreter calls, shared by all front ends.
#pragma once
#include <atomic>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/console.h"
#include "platform/core/emulated_memory.h"
#include "platform/core/file_one.h"
#include "platform/core/fonts.h"
#include "platform/core/front_end.h"
#include "platform/core/host_error.h"
#include "platform/core/keyboard.h"
#include "platform/core/numbers.h"
#include "platform/core/random_generator.h"
#include "platform/core/text_screen.h"

// Runs on the program thread; the display reaches it only through the Console.
class Host : private ScreenListener {
 public:
  Host(Console& console, FrontEnd& front_end, std::string command_line_text);

  // Window settings, read by a window front end when it opens its window.
  int32_t window_resizable = 0;
  int32_t scaling_mode = 0;
  void set_window_title(std::string_view title);
  const std::string& window_title() const { return title_; }

  std::string environment_variable(std::string_view name) const;
  const std::string& command_line() const { return command_line_; }

  int32_t load_font(std::string_view file, int height, std::string_view options);
  void set_font(int32_t handle);

  // Text output.
  void print_fit(std::string_view text) {
    screen_changing();
    screen_.print_fit(text);
  }
  void print_string(std::string_view text, bool line_end) {
    screen_changing();
    screen_.print_string(text, line_end);
  }
  void locate_cursor(int column) {
    screen_changing();
    screen_.locate_cursor(column);
  }
  void clear_screen() {
    screen_changing();
    screen_.clear_screen();
  }
  // Appends the template's "#" field filled with value; returns the template position
  // after the field, 0 at the template's end.
  int print_using_integer(std::string_view template_text, int64_t value, int start, std::string& out);

  // Screen memory.
  void set_segment(int64_t segment, bool given) { memory_.set_segment(segment, given); }
  uint8_t peek_byte(int64_t offset) { return memory_.peek_byte(offset); }
  void poke_byte(int64_t offset, int64_t value) {
    screen_changing();
    memory_.poke_byte(offset, value);
  }

  // Keyboard.
  // kNoKey, a character, or kExtendedKey + scan. The per-statement Break poll finds the
  // ring empty nearly always, and that answer needs no call.
  int inkey() { return console_.keyboard().empty() ? kNoKey : take_key(); }
  int read_keys();                               // waits; the character, 0 for an extended key
  // A close during the wait ends it as halt_forever does: nothing is stored.
  void input_line(std::string& target, bool line_end);
  // The event check on a pass of a loop that waits for a key (LIST's pause).
  void key_wait_event();

  // Events and the program's end.
  // Once per statement: one relaxed load when nothing is pending.
  void statement_event() {
    if (console_.pending() != 0) service_events();
  }
  bool stop_flag() const { return console_.close_requested(); }
  void begin_shutdown() { console_.request_close(); }
  [[noreturn]] void halt_forever();
  [[noreturn]] void end_program();
  // On the program thread, after the interpreter has left for good: publishes the last
  // screen and tells the front end and then the Console that the program has ended.
  void program_ended();

  // Random numbers.
  float random_number() { return random_.next(); }
  void randomize();

  // File 1 and the system.
  void file_open(std::string_view name, FileMode mode) { file_.open(name, mode); }
  void file_line_input(std::string& target) { file_.line_input(target); }
  bool file_eof() { return file_.eof(); }
  void file_print(std::string_view text) { file_.print(text); }
  void file_close() { file_.close(); }
  void file_abandon() { file_.abandon(); }
  void delete_file(std::string_view name);
  // Runs "dir <pattern> /w  > dirout.$$$" only, keeping the listing in memory for file 1.
  void shell_command(std::string_view command);

  TextScreen& screen() { return screen_; }
  KeyboardRing& keyboard() { return console_.keyboard(); }
  Console& console() { return console_; }
  RandomGenerator& random() { return random_; }
  const Fonts& fonts() const { return fonts_; }
  FrontEnd& front_end() { return front_end_; }

 private:
  // ScreenListener: the bell pauses after the screen is shown; rows go to the front end.
  void bell() override;
  void row_scrolled_off(const uint8_t* cells) override { front_end_.row_scrolled_off(cells); }
  // The display found nothing new at its last request: the next change owes it a frame.
  void screen_changing() {
    if (frame_owed_) [[unlikely]] {
      frame_owed_ = false;
      console_.request_frame();
    }
  }
  void begin_key_wait();
  void end_key_wait();
  // Waits until a key is in the ring; false when the host's shut-down began meanwhile.
  // The caller brackets its whole wait with the front end's wait_started and wait_ended.
  bool wait_for_key();
  int take_key();
  void edit_line(std::string& text, int key);
  // The event check's slow path: a close, a frame for the display, the pause, a key pump.
  void service_events();

  Console& console_;
  FrontEnd& front_end_;
  std::string command_line_;
  std::string title_;
  TextScreen screen_;
  EmulatedMemory memory_;
  RandomGenerator random_;
  FileOne file_;
  Fonts fonts_;
  bool pause_waiting_ = false;  // key_wait_event began a wait that inkey's next key ends
  bool in_key_wait_ = false;    // between wait_started and wait_ended: the cursor shows
  bool frame_owed_ = false;     // see screen_changing
};
