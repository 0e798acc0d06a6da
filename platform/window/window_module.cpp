// The module's entry: the window front end, once its window is open.
#include "platform/window/window_module.h"

#include <memory>

#include "platform/window/window_front_end.h"

extern "C" __attribute__((visibility("default"))) FrontEnd* kelo_open_window_front_end(
    ConsoleDisplay& console, const std::string& start_up_font, SignalQueue* signals, std::string& failure) {
  auto front_end = std::make_unique<WindowFrontEnd>(console, start_up_font, signals);
  failure = front_end->open();
  return failure.empty() ? front_end.release() : nullptr;
}

// The entry has the type the loader casts it to.
[[maybe_unused]] static constexpr OpenWindowFrontEndFunction kEntryType = &kelo_open_window_front_end;
