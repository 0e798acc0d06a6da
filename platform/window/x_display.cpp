// The window's key presses, read on an X connection beside freeglut's.
#include "platform/window/x_display.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

XKeyReader::~XKeyReader() {
  if (display_ != nullptr) XCloseDisplay(display_);
}

bool XKeyReader::watch(unsigned long window) {
  if (display_ == nullptr) display_ = XOpenDisplay(nullptr);
  if (display_ == nullptr) return false;
  // Several clients may listen to one window's key presses; freeglut keeps its own.
  XSelectInput(display_, window, KeyPressMask);
  XFlush(display_);
  return true;
}

bool XKeyReader::next(XKeyPress& press) {
  if (display_ == nullptr) return false;
  while (XPending(display_) > 0) {
    XEvent event;
    XNextEvent(display_, &event);
    if (event.type == MappingNotify) {
      XRefreshKeyboardMapping(&event.xmapping);  // xdotool, for one, remaps keys as it types
      continue;
    }
    if (event.type != KeyPress) continue;
    char text[8];
    KeySym keysym = NoSymbol;
    const int length = XLookupString(&event.xkey, text, sizeof text, &keysym, nullptr);
    press.keysym = keysym;
    press.state = event.xkey.state;
    press.character = length == 1 ? static_cast<unsigned char>(text[0]) : -1;
    const bool pause_key = XLookupKeysym(&event.xkey, 0) == XK_Pause;
    press.ctrl_break = pause_key && (event.xkey.state & ControlMask) != 0;
    press.pause = pause_key && !press.ctrl_break;
    return true;
  }
  return false;
}
