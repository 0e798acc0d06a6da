// The Pause key, which freeglut does not report, watched on an X connection of our own.
#pragma once

struct _XDisplay;  // NOLINT(bugprone-reserved-identifier): Xlib's own name for a Display

class PauseKeyWatcher {
 public:
  PauseKeyWatcher() = default;
  ~PauseKeyWatcher();
  PauseKeyWatcher(const PauseKeyWatcher&) = delete;
  PauseKeyWatcher& operator=(const PauseKeyWatcher&) = delete;

  // Listens to the key presses of that X window; false when no connection could be made.
  bool watch(unsigned long window);
  // Whether Pause was pressed since the last call; never waits.
  bool pause_pressed();

 private:
  _XDisplay* display_ = nullptr;
};
