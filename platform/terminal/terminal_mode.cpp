// Raw mode and the alternate screen, restored on every way out.
#include "platform/terminal/terminal_mode.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

#include "platform/core/file_one.h"
#include "platform/terminal/screen_painter.h"

namespace {

// What a crash handler needs to give the terminal back: set before the handlers are armed.
struct SavedTerminal {
  int input_fd = -1;
  int output_fd = -1;
  termios original{};
  std::atomic<bool> taken{false};
};
SavedTerminal saved;

constexpr int kFatalSignals[] = {SIGSEGV, SIGBUS, SIGILL, SIGFPE, SIGABRT};

void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written <= 0) return;  // a hung-up terminal: nothing more to do
    data += written;
    size -= static_cast<size_t>(written);
  }
}

// Only async-signal-safe calls: write and tcsetattr.
void GiveBack() {
  if (!saved.taken.exchange(false)) return;
  WriteAll(saved.output_fd, ScreenPainter::kLeave.data(), ScreenPainter::kLeave.size());
  tcsetattr(saved.input_fd, TCSANOW, &saved.original);
}

// A crash: the terminal first, then the signal's own end (the handler is reset on entry).
void OnFatalSignal(int signal) {
  GiveBack();
  remove_pending_temporary_file();
  raise(signal);
}

void ArmCrashHandlers() {
  struct sigaction action = {};
  action.sa_handler = OnFatalSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  for (int signal : kFatalSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

TerminalMode::TerminalMode(int input_fd, int output_fd) {
  saved.input_fd = input_fd;
  saved.output_fd = output_fd;
  if (tcgetattr(input_fd, &saved.original) != 0) throw std::system_error(errno, std::generic_category(), "tcgetattr");
  ArmCrashHandlers();
  if (const int error = enter(); error != 0) throw std::system_error(error, std::generic_category(), "tcsetattr");
}

TerminalMode::~TerminalMode() { restore(); }

void TerminalMode::restore() { GiveBack(); }

void TerminalMode::reenter() {
  GiveBack();
  (void)enter();  // refused now, the terminal stays as the shell left it: still usable
}

int TerminalMode::enter() {
  termios raw = saved.original;
  cfmakeraw(&raw);  // no echo, no line editing, no signals from keys, no output processing
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  saved.taken = true;  // before the change, so that a crash meanwhile gives it back
  if (tcsetattr(saved.input_fd, TCSANOW, &raw) != 0) {  // keys typed ahead stay
    const int error = errno;
    saved.taken = false;
    return error;
  }
  WriteAll(saved.output_fd, ScreenPainter::kEnter.data(), ScreenPainter::kEnter.size());
  return 0;
}
