// The console window: freeglut's callbacks, all on the main thread.
#include "platform/window/window_front_end.h"

#include <GL/glew.h>
#include <GL/freeglut.h>
#include <GL/glx.h>

#include <signal.h>

#include <cstdarg>
#include <cstdio>
#include <stdexcept>
#include <utility>

#include "platform/core/keys.h"
#include "platform/core/signal_events.h"
#include "platform/window/window_keys.h"

namespace {
using Clock = std::chrono::steady_clock;

constexpr int kFrameMs = 16;             // the timer's period: at most about 60 frames a second
constexpr int kBlinkHalfPeriodMs = 250;  // blinking text and the cursor: about 2 Hz
// The console font's size and style at start-up, drawn until the program asks for its own,
// so the window rarely needs to change its size once it is open.
constexpr int kStartUpFontHeight = 20;
constexpr const char* kUntitled = "Kelo BASIC";

bool first_half_period(Clock::duration since) {
  return (std::chrono::duration_cast<std::chrono::milliseconds>(since).count() / kBlinkHalfPeriodMs) % 2 == 0;
}
}  // namespace

WindowFrontEnd* WindowFrontEnd::active_ = nullptr;

WindowFrontEnd::WindowFrontEnd(ConsoleDisplay& console, std::string start_up_font, SignalQueue* signals)
    : console_(console), signals_(signals), start_up_font_(std::move(start_up_font)) {}

void WindowFrontEnd::window_settings(int32_t resizable, int32_t scaling_mode) {
  resizable_ = resizable != 0;
  scaling_ = scaling_from_mode(scaling_mode);
}

bool WindowFrontEnd::select_font(std::string_view path, int height) {
  return font_file_drawable(std::string(path), height);
}

std::string WindowFrontEnd::open() {
  // freeglut ends the process on an error unless it has a handler, and goes on after the
  // handler returns as if nothing had failed: ours throws, ending the failed call here.
  glutInitErrorFunc(on_glut_error);
  glutInitWarningFunc(on_glut_warning);
  try {
    int argc = 1;
    char name[] = "kelo-basic";
    char* argv[] = {name, nullptr};
    glutInit(&argc, argv);  // opens the display: the only connection freeglut makes
    // freeglut's default ends the process itself when the window closes, before the program
    // thread is joined.
    glutSetOption(GLUT_ACTION_ON_WINDOW_CLOSE, GLUT_ACTION_GLUTMAINLOOP_RETURNS);
    apply_font({start_up_font_, kStartUpFontHeight, true, 0});
    if (!glyphs_.loaded()) return "no monospace font for the window was found";
    glutInitDisplayMode(GLUT_RGBA | GLUT_DOUBLE);
    glutInitWindowSize(image_.width(), image_.height());
    window_ = glutCreateWindow(kUntitled);  // the program's title follows at the first frame
    window_width_ = image_.width();
    window_height_ = image_.height();
    if (!renderer_.init()) {
      glutDestroyWindow(window_);
      window_ = 0;
      return "the window's OpenGL cannot draw the screen";
    }
  } catch (const std::runtime_error& failure) {
    window_ = 0;
    return failure.what();
  }
  // The keys come from X itself (x_display.h), freeglut's key callbacks stay unset.
  if (!keys_.watch(glXGetCurrentDrawable())) std::fprintf(stderr, "kelo-basic: the window cannot read its keys\n");
  active_ = this;
  glutDisplayFunc(on_display);
  glutReshapeFunc(on_reshape);
  glutCloseFunc(on_close);
  glutTimerFunc(kFrameMs, on_timer, 0);
  return {};
}

void WindowFrontEnd::run() {
  if (window_ != 0) {
    try {
      glutMainLoop();
      drew_ = true;
    } catch (const std::runtime_error& failure) {
      std::fprintf(stderr, "kelo-basic: the window failed: %s\n", failure.what());
    }
  }
  window_ = 0;
  active_ = nullptr;
  console_.request_close();  // the program ends at its next event check, if it has not
}

void WindowFrontEnd::on_glut_error(const char* format, va_list arguments) {
  char message[256];
  std::vsnprintf(message, sizeof message, format, arguments);
  throw std::runtime_error(message);
}

void WindowFrontEnd::on_glut_warning(const char* format, va_list arguments) {
  char message[256];
  std::vsnprintf(message, sizeof message, format, arguments);
  std::fprintf(stderr, "kelo-basic: %s\n", message);
}

void WindowFrontEnd::answer_signals() {
  if (signals_ == nullptr) return;
  while (const int signal = signals_->take()) {
    switch (signal) {
      case SIGTERM:
      case SIGHUP: console_.request_close(); break;  // as the close button: status 0
      case SIGINT: console_.push_key(kKeyCtrlC); break;
      case SIGQUIT: signals_->die(SIGQUIT);
      default: break;  // the window has no use for a terminal's size or its return
    }
  }
}

bool WindowFrontEnd::apply_font(const FontRequest& request) {
  font_.generation = request.generation;
  if (request.path == font_.path && request.height == font_.height && request.bold == font_.bold) return true;
  if (!glyphs_.load(request.path, request.height, request.bold)) return false;
  font_ = request;
  image_.reset(glyphs_);
  upload_wanted_ = true;
  return true;
}

BlinkState WindowFrontEnd::blink_state() const {
  const Clock::time_point now = Clock::now();
  return {!first_half_period(now.time_since_epoch()), first_half_period(now - cursor_epoch_)};
}

void WindowFrontEnd::poll_console() {
  answer_signals();
  if (std::string title; console_.take_title(title, title_seen_)) glutSetWindowTitle(title.c_str());
  FontRequest request;
  request.generation = font_.generation;  // only a newer request than the one drawn
  if (console_.take_font(request)) {
    const int old_width = image_.width(), old_height = image_.height();
    if (apply_font(request) && (image_.width() != old_width || image_.height() != old_height)) {
      glutReshapeWindow(image_.width(), image_.height());  // the grid stays; the window follows the cell
    }
    redraw_wanted_ = true;
  }
  if (console_.take_snapshot(snapshot_)) {
    blinking_cells_ = ScreenImage::has_blinking_cells(snapshot_);
    cursor_epoch_ = Clock::now();  // the cursor shows at once where typing goes on
    redraw_wanted_ = true;
  }
  take_keys();
  const BlinkState blink = blink_state();
  if ((blinking_cells_ && blink.text_hidden != drawn_blink_.text_hidden) ||
      (snapshot_.editing && blink.cursor_shown != drawn_blink_.cursor_shown)) {
    redraw_wanted_ = true;
  }
}

void WindowFrontEnd::take_keys() {
  // While the ring is full the keys wait in X's queue, as the terminal's wait in the terminal:
  // a burst typed while this thread was busy drawing is not lost.
  XKeyPress press;
  while (!console_.keyboard_full() && keys_.next(press)) {
    if (press.ctrl_break) console_.request_close();  // the host's own key: the session ends, status 0
    else if (press.pause) console_.request_pause();
    else if (const int key = key_from_x_press(press); key != kNoKey) console_.push_key(key);
  }
}

void WindowFrontEnd::draw() {
  drawn_blink_ = blink_state();
  if (image_.compose(snapshot_, glyphs_, drawn_blink_) || upload_wanted_) {
    renderer_.upload(image_, upload_wanted_);
    upload_wanted_ = false;
  }
  renderer_.draw(scaling_, window_width_, window_height_);
  glutSwapBuffers();
}

void WindowFrontEnd::on_display() {
  if (active_ == nullptr || active_->window_ == 0) return;
  active_->draw();
}

void WindowFrontEnd::on_reshape(int width, int height) {
  if (active_ == nullptr || active_->window_ == 0) return;
  WindowFrontEnd& self = *active_;
  self.window_width_ = width;
  self.window_height_ = height;
  // A window that is not resizable goes back to the screen's own size.
  if (!self.resizable_ && (width != self.image_.width() || height != self.image_.height())) {
    glutReshapeWindow(self.image_.width(), self.image_.height());
  }
  glutPostRedisplay();
}

void WindowFrontEnd::on_close() {
  if (active_ == nullptr) return;
  active_->window_ = 0;  // freeglut destroys it and leaves its loop
  active_->console_.request_close();
}

void WindowFrontEnd::on_timer(int) {
  // freeglut runs a pending timer once more after the window is gone: then nothing may
  // touch the window, and the timer is not armed again.
  if (active_ == nullptr || active_->window_ == 0) return;
  WindowFrontEnd& self = *active_;
  if (self.console_.program_ended()) {
    glutLeaveMainLoop();
    return;
  }
  self.poll_console();
  if (self.redraw_wanted_) {
    self.redraw_wanted_ = false;
    glutPostRedisplay();
  }
  glutTimerFunc(kFrameMs, on_timer, 0);
}
