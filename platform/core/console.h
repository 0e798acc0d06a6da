// The seam between the program thread and the display thread: everything both of them touch.
//
//   program thread                      Console                      display thread
//   --------------                      -------                      --------------
//   publish(screen) ------------> snapshot + generation ----------> take_snapshot()
//   set_title / set_font -------> title, font requests -----------> take_title / take_font
//   mark_program_ended() -------> ended -------------------------> program_ended()
//        (each of these makes display_fd() readable: the display sleeps in poll until then)
//   keyboard().pop() <----------- ring of 15 keys <--------------- push_key()
//   statement_event's one load <- pending word: kClose, kFrameWanted, kPause, kKeyPump
//   every wait ends <------------ request_close() <--------------- any thread
//
// Nothing else crosses between the two threads: the display never reads the live screen,
// and the program thread never waits for the display. The display thread's calls make up
// ConsoleDisplay, which the window module reaches the Console through.
#pragma once
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/core/console_display.h"
#include "platform/core/keyboard.h"
#include "platform/core/limits.h"

class TextScreen;

class Console final : public ConsoleDisplay {
 public:
  // What an event check must look at; all clear on the fast path.
  enum Pending : uint32_t {
    kClose = 1u << 0,       // shut down at the next event check or wait
    kFrameWanted = 1u << 1, // the display has taken the last snapshot and wants a newer one
    kPause = 1u << 2,       // the Pause key: event checks wait until the next key
    kKeyPump = 1u << 3,     // the front end asks to be called at every event check
  };

  // Throws std::system_error when the system refuses the eventfd behind display_fd().
  Console();
  ~Console();
  Console(const Console&) = delete;
  Console& operator=(const Console&) = delete;

  // --- Display thread (or any thread for request_close): the ConsoleDisplay side ---

  void push_key(int key) override;
  bool keyboard_full() const override { return keyboard_.full(); }
  void request_close() override;
  // The same, safe inside a signal handler: a waiting reader notices within one poll.
  void request_close_from_signal() { pending_.fetch_or(kClose, std::memory_order_relaxed); }
  void request_pause() override { pending_.fetch_or(kPause, std::memory_order_relaxed); }
  bool take_snapshot(ScreenSnapshot& out) override;
  bool take_title(std::string& title, uint64_t& seen) override;
  bool take_font(FontRequest& out) override;
  bool program_ended() const override { return ended_.load(std::memory_order_acquire); }
  // Waits until the program has ended or `milliseconds` have passed; whether it has ended.
  bool wait_until_ended(int milliseconds);
  // Readable when the display has something new to look at: a snapshot, a title, a font,
  // the program's end. A display that sleeps in poll() wakes on it; drain_display_fd()
  // makes it quiet again.
  int display_fd() const { return display_fd_; }
  void drain_display_fd();

  // --- Program thread ---

  KeyboardRing& keyboard() { return keyboard_; }
  bool close_requested() const { return (pending_.load(std::memory_order_relaxed) & kClose) != 0; }
  // The event check's fast path: one relaxed load, 0 when nothing is pending.
  uint32_t pending() const { return pending_.load(std::memory_order_relaxed); }
  void clear_pending(uint32_t bits) { pending_.fetch_and(~bits, std::memory_order_relaxed); }
  // Sequentially consistent, so that a front end may turn the pump off and then look once
  // more at what another thread may have asked of it meanwhile.
  void set_key_pump(bool on);
  // Asks for a publication at the next event check (the display's last request found
  // nothing new, and now the screen changes).
  void request_frame() { pending_.fetch_or(kFrameWanted, std::memory_order_relaxed); }
  // Publishes the screen when it changed since the last publication, or when `editing` did;
  // whether it did. Only a publication answers the display's frame request: one that finds
  // nothing new leaves the request for the next change (a wait publishes every few
  // milliseconds, and the keys that end it may all come at once, leaving no wait to publish).
  bool publish(const TextScreen& screen, bool editing);
  // Waits until a key is in the ring, a close is requested or `milliseconds` have passed.
  void wait_for_key(int milliseconds);
  // Waits `milliseconds` unless a close is requested first (the bell's pause).
  void pause(int milliseconds);
  void set_title(const std::string& title);
  void set_font(const std::string& path, int height, bool bold);
  void mark_program_ended();

 private:
  void notify_display();

  KeyboardRing keyboard_;
  std::atomic<uint32_t> pending_{0};
  std::atomic<bool> ended_{false};
  int display_fd_ = -1;  // an eventfd

  // Key arrivals, close requests and the program's end wake the threads that wait for them.
  std::mutex wake_mutex_;
  std::condition_variable wake_;

  // Guards everything below: the published screen and the display's requests.
  mutable std::mutex mutex_;
  ScreenSnapshot published_;
  std::string title_;
  uint64_t title_generation_ = 0;
  FontRequest font_;

  // Program thread only: what was published last.
  uint64_t published_changes_ = UINT64_MAX;
  bool published_editing_ = false;
};
