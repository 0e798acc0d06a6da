// The window's key presses, read on an X connection of our own beside freeglut's, since
// freeglut reports them only in part (it drops Shift+Tab and Pause, and gives Ctrl+Enter as
// Ctrl+M).
#pragma once

struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's own name for a Display

// One key press as X reports it.
struct XKeyPress {
  unsigned long keysym = 0;  // as the modifiers held choose it
  unsigned int state = 0;    // X's modifier mask
  int character = -1;        // the Latin-1 character it types (Ctrl applied), -1 for none
  bool pause = false;        // the Pause key, without Ctrl
  bool ctrl_break = false;   // the Pause key with Ctrl: the PC's Ctrl+Break
};

class XKeyReader {
 public:
  XKeyReader() = default;
  ~XKeyReader();
  XKeyReader(const XKeyReader&) = delete;
  XKeyReader& operator=(const XKeyReader&) = delete;

  // Listens to the key presses of that X window; false when no connection could be made.
  bool watch(unsigned long window);
  // The next key press, in the order typed; false when none is waiting. Never waits.
  bool next(XKeyPress& press);

 private:
  _XDisplay* display_ = nullptr;
};
