// The module's entry: the window front end, built only once a display was found.
#include "platform/window/window_module.h"

#include "platform/window/window_front_end.h"
#include "platform/window/x_display.h"

extern "C" __attribute__((visibility("default"))) FrontEnd* kelo_open_window_front_end(
    ConsoleDisplay& console, const std::string& start_up_font, SignalQueue* signals) {
  // Checked before freeglut starts, which ends the process when it finds no display.
  if (!x_display_available()) return nullptr;
  return new WindowFrontEnd(console, start_up_font, signals);
}

// The entry has the type the loader casts it to.
[[maybe_unused]] static constexpr OpenWindowFrontEndFunction kEntryType = &kelo_open_window_front_end;
