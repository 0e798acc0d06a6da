// The seam between the host core and a front end: what a front end draws, feeds and reports.
#pragma once
#include <cstdint>
#include <string_view>

class KeyboardRing;

// A front end only draws the screen, feeds keys and reports a close; every rule about
// cursors, wrapping and keys lives in the core. It has two faces: run(), which owns the main
// thread, and hooks that the program thread calls, which never wait for the display.
// What crosses between the two goes through the Console, never through the Host.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

  // --- The main thread ---

  // Draws the published screens and feeds keys until the program has ended (or the user
  // closed it and the program has ended at its next event check). The default returns at
  // once: a front end without a display of its own has nothing to do there.
  virtual void run() {}
  // The exit status the front end asks for once run() has returned: non-zero when it could
  // not show the program at all (a window that cannot draw), so that no caller takes that
  // for a session that went well.
  virtual int failure_status() const { return 0; }
  // The host's window settings, given once before run() and before the program thread starts;
  // a front end with a window of its own opens it with them.
  virtual void window_settings(int32_t /*resizable*/, int32_t /*scaling_mode*/) {}

  // --- Hooks on the program thread ---

  // The interpreter waits for a key and the ring is empty. A scripted front end puts its next
  // key into the ring here (or asks for the shut-down); a display front end, whose keys
  // arrive through the Console from its own thread, leaves it be.
  virtual void wait_for_key(KeyboardRing&) {}
  // A wait for the keyboard begins (line editor, INCHAR, LIST's pause, the end wait).
  virtual void wait_started(KeyboardRing&) {}
  // That wait has got what it waited for.
  virtual void wait_ended(KeyboardRing&) {}
  // The per-statement event check, called only while the front end has asked the Console
  // for a key pump; may put a key (such as Ctrl+C) into the ring.
  virtual void statement_event(KeyboardRing&) {}
  // The bell's pause begins; the screen is published already. Returns how long the program
  // thread then waits (a close ends the wait early); a test front end counts and returns 0.
  virtual int pause_ms(int milliseconds) { return milliseconds; }
  // The top row of the text screen is about to scroll away (80 character/attribute pairs).
  virtual void row_scrolled_off(const uint8_t* /*cells*/) {}
  virtual void title_changed(std::string_view) {}
  // Whether this front end rasterises a TrueType font of its own.
  virtual bool draws_glyphs() const { return false; }
  // The console font the program selects; false when this front end cannot draw it (the
  // host then raises 258, and the font in use stays).
  virtual bool select_font(std::string_view /*path*/, int /*height*/) { return true; }
  // The program has ended (BYE and its key, a close, a failure): its last screen is
  // published, and the Console reports the end to the main thread right after this.
  virtual void program_ended() {}
};
