// The display side of the Console, as a front end loaded as a module reaches it.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/core/limits.h"

// The screen as the display draws it.
struct ScreenSnapshot {
  std::array<uint8_t, kScreenBytes> cells{};
  int cursor_row = 1;       // 1 to 25
  int cursor_column = 1;    // 1 to 80
  bool editing = false;     // the program waits for a key: the cursor is shown
  uint64_t generation = 0;  // grows with every published change; 0 before the first
};

// A font the display is asked to draw the screen with.
struct FontRequest {
  std::string path;
  int height = 0;
  bool bold = false;
  uint64_t generation = 0;  // 0 while none was asked for
};

// An interface, so that a front end loaded as a module (the window) calls the program's own
// Console and holds no copy of the core: every call here is a virtual one into the program.
// The Console is its one implementation; front ends built into the program call it directly.
class ConsoleDisplay {
 public:
  // Puts a key into the ring (dropped when it is full) and wakes a waiting reader.
  virtual void push_key(int key) = 0;
  // Whether the next push_key would be dropped; a front end with keys of its own to hand
  // over (a paste) waits for room rather than lose them.
  virtual bool keyboard_full() const = 0;
  // Asks the host to shut down; the program ends at its next event check or wait.
  virtual void request_close() = 0;
  // The Pause key: event checks wait until the next key.
  virtual void request_pause() = 0;
  // Copies the newest published screen into `out` when it is newer than out.generation,
  // and asks the program thread for the next one. False when nothing changed.
  virtual bool take_snapshot(ScreenSnapshot& out) = 0;
  // The title, when it changed since `seen` (which is updated).
  virtual bool take_title(std::string& title, uint64_t& seen) = 0;
  // The font asked for, when it changed since out.generation.
  virtual bool take_font(FontRequest& out) = 0;
  // The program thread has ended (BYE and its key, a close, or a failure); its last screen
  // is published by then.
  virtual bool program_ended() const = 0;

 protected:
  ~ConsoleDisplay() = default;  // never deleted through this side
};
