// The Pause key, watched on an X connection beside freeglut's.
#include "platform/window/x_display.h"

#include <X11/Xlib.h>
#include <X11/keysym.h>

PauseKeyWatcher::~PauseKeyWatcher() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

bool PauseKeyWatcher::watch(unsigned long window) {
  if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return false;
  // Several clients may listen to one window's key presses; freeglut keeps its own.
  XSelectInput(display_, window, KeyPressMask);
  XFlush(display_);
  return true;
}

bool PauseKeyWatcher::pause_pressed() {
  if (display_ == nullptr) return false;
  bool pressed = false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == KeyPress && XLookupKeysym(&event.xkey, 0) == XK_Pause) pressed = true;
  }
  return pressed;
}
