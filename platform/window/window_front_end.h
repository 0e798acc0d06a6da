// The console window: freeglut owns it and its event loop on the main thread, FreeType
// draws its glyphs, OpenGL stretches the composed screen onto it.
#pragma once
#include <chrono>
#include <cstdarg>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/console_display.h"
#include "platform/core/front_end.h"
#include "platform/window/glyph_set.h"
#include "platform/window/screen_image.h"
#include "platform/window/screen_renderer.h"
#include "platform/window/x_display.h"

class SignalQueue;

// It reaches the program through the Console's display side and the signal queue only, so
// that built as a module it needs no copy of the host core.
class WindowFrontEnd : public FrontEnd {
 public:
  // `start_up_font` is drawn until the program asks for a font of its own; `signals`, when
  // given, are answered from the window's timer.
  WindowFrontEnd(ConsoleDisplay& console, std::string start_up_font, SignalQueue* signals = nullptr);

  // --- Program thread ---
  bool draws_glyphs() const override { return true; }
  // Tries the font with FreeType here, so that a font the window cannot draw is refused
  // where the program can hear of it.
  bool select_font(std::string_view path, int height) override;

  // --- Main thread ---
  // Opens the display and the window, and makes sure it can draw the screen: before the
  // program thread starts, so that a window that cannot be had leaves the choice of the front
  // end open. "" when it is open, else why not (freeglut's own errors among the reasons: none
  // of them ends the process).
  std::string open();
  void window_settings(int32_t resizable, int32_t scaling_mode) override;
  // Runs the open window's event loop until the window is closed (a close request for the
  // program) or the program has ended.
  void run() override;
  // Whether run() drew the session to its end.
  bool drew() const { return drew_; }
  // 1 when the window failed before the session's end.
  int failure_status() const override { return drew_ ? 0 : 1; }

 private:
  // One window per process: freeglut's callbacks carry no pointer of ours.
  static WindowFrontEnd* active_;
  static void on_display();
  static void on_reshape(int width, int height);
  static void on_close();
  static void on_timer(int);
  // freeglut's reports: an error ends the freeglut call that met it by throwing
  // std::runtime_error, caught where the window is opened or its loop runs.
  static void on_glut_error(const char* format, va_list arguments);
  static void on_glut_warning(const char* format, va_list arguments);

  // Every request of the program thread, and the signals, looked at from the timer.
  void poll_console();
  void answer_signals();
  // The key presses since the last look, in the order typed, into the keyboard ring as far
  // as it has room.
  void take_keys();
  bool apply_font(const FontRequest& request);
  BlinkState blink_state() const;
  void draw();

  ConsoleDisplay& console_;
  SignalQueue* signals_;
  bool drew_ = false;           // the event loop ran to the session's end
  std::string start_up_font_;
  bool resizable_ = false;
  Scaling scaling_ = Scaling::kUnscaled;
  int window_ = 0;            // freeglut's window, 0 before open() and once it is gone
  int window_width_ = 0;
  int window_height_ = 0;
  ScreenSnapshot snapshot_;
  FontRequest font_;           // the font drawn now
  uint64_t title_seen_ = 0;
  GlyphSet glyphs_;
  ScreenImage image_;
  ScreenRenderer renderer_;
  XKeyReader keys_;
  bool redraw_wanted_ = true;
  bool upload_wanted_ = true;
  bool blinking_cells_ = false;
  BlinkState drawn_blink_;
  std::chrono::steady_clock::time_point cursor_epoch_ = std::chrono::steady_clock::now();
};
