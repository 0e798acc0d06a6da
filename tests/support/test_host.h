// The test host: the host core driven in-process by a test, the program on a thread of its own.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/front_end.h"
#include "platform/core/host.h"
#include "platform/core/program_thread.h"

// Typed keys are handed over only where the program waits for the keyboard, so a line typed
// ahead is never taken by a statement's Break poll.
class TestHost : public FrontEnd {
 public:
  explicit TestHost(std::string command_line = "");
  // Stops the program thread (see stop()).
  ~TestHost() override;
  TestHost(const TestHost&) = delete;
  TestHost& operator=(const TestHost&) = delete;

  Host& host() { return host_; }

  // Runs `program` on the program thread; returns once it is idle or has ended.
  void start(std::function<void()> program);
  // Shuts the program down as a closed window would and joins its thread; a program in an
  // endless loop is ended at its next statement_event. Call it before destroying anything
  // that the program uses (such as the Interpreter); the destructor calls it too.
  void stop();

  // Each byte one key; '\n' is Enter (13). Taken one by one as the program waits for keys.
  void type(std::string_view keys);
  void type_line(std::string_view line);  // the line, then Enter
  // Waits until the program waits for a key with nothing typed left, or has ended (only the
  // end counts once the window is closed). Throws std::runtime_error after 10 s, and
  // rethrows an exception other than HostShutdown that ended the program.
  void run_until_idle();
  void run_line(std::string_view line);  // type_line, then run_until_idle

  bool ended() const;
  // At the count-th statement_event from now (1 is the next one), push key into the ring
  // right before that statement's Break poll.
  void key_after_statements(long count, int key);
  // Bounds whatever runs from now on: Ctrl+C is pressed before every `break_every`-th
  // statement, and the window is closed at the `close_after`-th statement from now, so that
  // no program, however it loops or swallows keys, runs for long.
  void bound_statements(long break_every, long close_after);
  // A key pressed now: in the ring before the next statement, or taken by a program that
  // waits for a key once the typed keys are used up.
  void press_key(int key);
  // Begins the shut-down as a closed window would; does not wait for the program.
  void close_window();

  // Read these while the program is idle or has ended. Rows are code page 437 bytes
  // without trailing blanks; a cell holding 0 reads as a blank.
  std::string row(int r) const;                   // r from 1 to 25
  std::vector<std::string> screen_rows() const;   // the 25 rows
  // Rows scrolled off so far, then the current screen's rows, empty rows at the end dropped.
  std::vector<std::string> transcript() const;
  int cursor_row() const;
  int cursor_column() const;
  long statements() const;          // statement_event calls so far, outside keyboard waits
  long paused_ms() const;           // the bell's pauses, added up (nothing sleeps)
  // Where the program thread's stack stood at its last wait for a key: a program whose stack
  // stays flat comes back to its prompt at the same address, however much ran in between.
  uintptr_t wait_stack_address() const;
  // From now on the console font is refused, as by a window that cannot draw it.
  void refuse_fonts() { refuse_fonts_ = true; }

  // FrontEnd.
  void wait_for_key(KeyboardRing& ring) override;
  void wait_started(KeyboardRing& ring) override;
  void wait_ended(KeyboardRing& ring) override;
  void statement_event(KeyboardRing& ring) override;
  int pause_ms(int milliseconds) override;
  void row_scrolled_off(const uint8_t* cells) override;
  bool select_font(std::string_view path, int height) override;

 private:
  struct ScheduledKey {
    long at_statement;
    int key;
  };
  const TextScreen& screen() const;
  bool idle_or_ended() const;  // with mutex_ held
  void move_pressed_keys(KeyboardRing& ring);  // with mutex_ held

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<int> typed_;        // typed keys the program has not taken yet
  std::deque<int> pressed_;      // pressed keys not in the ring yet
  std::vector<ScheduledKey> scheduled_;
  std::vector<std::string> scrolled_off_;
  bool waiting_ = false;         // in wait_for_key with nothing typed
  bool in_wait_ = false;         // between wait_started and wait_ended
  bool ended_ = false;
  bool closing_ = false;
  long statements_ = 0;
  long paused_ms_ = 0;
  long break_every_ = 0;         // 0: no bound
  long close_at_statement_ = 0;  // 0: no bound
  uintptr_t wait_stack_address_ = 0;
  bool refuse_fonts_ = false;    // set before start(), read on the program thread
  std::exception_ptr failure_;   // what ended the program, other than HostShutdown
  ProgramThread program_thread_;  // with the product's stack size
  Console console_;
  Host host_;                    // last: its construction may call this front end
};
