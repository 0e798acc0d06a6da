// The seam between the host core and a front end: what a front end draws, feeds and reports.
#pragma once
#include <cstdint>
#include <string_view>

class KeyboardRing;

// A front end only draws the screen, feeds keys and reports a close; every rule about
// cursors, wrapping and keys lives in the core.
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;

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
  // A pause asked for by the bell character.
  virtual void pause_ms(int) {}
  // The top row of the text screen is about to scroll away (80 character/attribute pairs).
  virtual void row_scrolled_off(const uint8_t* /*cells*/) {}
  virtual void title_changed(std::string_view) {}
  // Whether this front end rasterises a TrueType font of its own.
  virtual bool draws_glyphs() const { return false; }
  // The console font chosen; a front end that cannot draw it raises host error 258.
  virtual void font_selected(std::string_view /*path*/, int /*height*/) {}
};
