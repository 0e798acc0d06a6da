// The front end the real program chooses, as the README says: for every KELO_HOST, with
// standard input a terminal or a pipe, and a display that is there, absent, or unusable (a
// name no server answers, a server without OpenGL).
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <string>

#include "tests/support/process_probe.h"
#include "tests/window/virtual_display.h"

namespace {

using Clock = std::chrono::steady_clock;

enum class Input { kTerminal, kPipe };
enum class Display { kPresent, kAbsent, kNoServer, kNoOpenGl };
enum class Outcome { kWindow, kTerminal, kStream, kRefused };

struct Choice {
  const char* host;  // KELO_HOST, null for unset
  Input input;
  Display display;
  Outcome expected;
  // Standard error's one line, from its start; "" for none.
  const char* message;
};

constexpr const char* kFallback = "kelo-basic: no window can be opened here; using the terminal (";
constexpr const char* kNoWindow = "kelo-basic: no window can be opened here (";
constexpr const char* kNeedsTerminal = "kelo-basic: KELO_HOST=terminal needs a terminal on standard input";

const Choice kChoices[] = {
    {nullptr, Input::kTerminal, Display::kPresent, Outcome::kWindow, ""},
    {nullptr, Input::kTerminal, Display::kAbsent, Outcome::kTerminal, ""},
    {nullptr, Input::kTerminal, Display::kNoServer, Outcome::kTerminal, kFallback},
    {nullptr, Input::kTerminal, Display::kNoOpenGl, Outcome::kTerminal, kFallback},
    {nullptr, Input::kPipe, Display::kPresent, Outcome::kStream, ""},
    {nullptr, Input::kPipe, Display::kAbsent, Outcome::kStream, ""},
    {nullptr, Input::kPipe, Display::kNoServer, Outcome::kStream, ""},
    {"window", Input::kTerminal, Display::kPresent, Outcome::kWindow, ""},
    {"window", Input::kTerminal, Display::kAbsent, Outcome::kRefused, kNoWindow},
    {"window", Input::kTerminal, Display::kNoServer, Outcome::kRefused, kNoWindow},
    {"window", Input::kTerminal, Display::kNoOpenGl, Outcome::kRefused, kNoWindow},
    {"window", Input::kPipe, Display::kPresent, Outcome::kWindow, ""},
    {"window", Input::kPipe, Display::kAbsent, Outcome::kRefused, kNoWindow},
    {"window", Input::kPipe, Display::kNoServer, Outcome::kRefused, kNoWindow},
    {"window", Input::kPipe, Display::kNoOpenGl, Outcome::kRefused, kNoWindow},
    {"terminal", Input::kTerminal, Display::kPresent, Outcome::kTerminal, ""},
    {"terminal", Input::kTerminal, Display::kAbsent, Outcome::kTerminal, ""},
    {"terminal", Input::kTerminal, Display::kNoServer, Outcome::kTerminal, ""},
    {"terminal", Input::kPipe, Display::kPresent, Outcome::kRefused, kNeedsTerminal},
    {"terminal", Input::kPipe, Display::kAbsent, Outcome::kRefused, kNeedsTerminal},
    {"stream", Input::kTerminal, Display::kPresent, Outcome::kStream, ""},
    {"stream", Input::kTerminal, Display::kAbsent, Outcome::kStream, ""},
    {"stream", Input::kTerminal, Display::kNoServer, Outcome::kStream, ""},
    {"stream", Input::kPipe, Display::kPresent, Outcome::kStream, ""},
    {"stream", Input::kPipe, Display::kAbsent, Outcome::kStream, ""},
    {"stream", Input::kPipe, Display::kNoServer, Outcome::kStream, ""},
};

std::string Name(const Choice& choice) {
  static const char* const kInputs[] = {"AtATerminal", "InAPipe"};
  static const char* const kDisplays[] = {"DisplayPresent", "DisplayAbsent", "DisplayWithoutServer",
                                          "DisplayWithoutOpenGl"};
  std::string host = choice.host == nullptr ? "Unset" : choice.host;
  host[0] = static_cast<char>(std::toupper(host[0]));
  return "KeloHost" + host + kInputs[static_cast<int>(choice.input)] + kDisplays[static_cast<int>(choice.display)];
}

void PrintTo(const Choice& choice, std::ostream* out) { *out << Name(choice); }

// The program started as a person would start it, watched until its front end shows.
class FrontEndChoice : public ::testing::TestWithParam<Choice> {
 protected:
  void SetUp() override {
    const Choice& choice = GetParam();
    if (choice.display == Display::kPresent) {
      display_ = std::make_unique<VirtualDisplay>();
      ASSERT_TRUE(display_->running()) << "Xvfb did not start";
    } else if (choice.display == Display::kNoOpenGl) {
      display_ = std::make_unique<VirtualDisplay>(true);
      ASSERT_TRUE(display_->running()) << "Xvfb did not start";
    }
    err_ = ::testing::TempDir() + "kelo_choice_err_" + std::to_string(getpid());
  }
  void TearDown() override {
    if (pid_ > 0 && !ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (output_ >= 0) close(output_);
    if (keep_open_ >= 0) close(keep_open_);
    std::remove(err_.c_str());
  }

  void start() {
    const Choice& choice = GetParam();
    int slave = -1, input[2] = {-1, -1}, output[2] = {-1, -1};
    if (choice.input == Input::kTerminal) {
      winsize size{};
      size.ws_col = 80;
      size.ws_row = 25;
      ASSERT_EQ(openpty(&output_, &slave, nullptr, nullptr, &size), 0);
    } else {
      ASSERT_EQ(pipe(input), 0);
      ASSERT_EQ(pipe(output), 0);
      keep_open_ = input[1];  // nothing is typed, and the script never ends
      output_ = output[0];
    }
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (slave >= 0) {
        setsid();
        ioctl(slave, TIOCSCTTY, 0);
        dup2(slave, STDIN_FILENO);
        dup2(slave, STDOUT_FILENO);
      } else {
        dup2(input[0], STDIN_FILENO);
        dup2(output[1], STDOUT_FILENO);
      }
      dup2(open(err_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      close_range(3, ~0u, 0);
      if (choice.host == nullptr) unsetenv("KELO_HOST");
      else setenv("KELO_HOST", choice.host, 1);
      unsetenv("WAYLAND_DISPLAY");
      switch (choice.display) {
        case Display::kPresent:
        case Display::kNoOpenGl: setenv("DISPLAY", display_->name().c_str(), 1); break;
        case Display::kAbsent: unsetenv("DISPLAY"); break;
        case Display::kNoServer: setenv("DISPLAY", ":4711", 1); break;
      }
      setenv("LANG", "C.UTF-8", 1);
      execl(KELO_BINARY, KELO_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
    if (slave >= 0) close(slave);
    if (input[0] >= 0) close(input[0]);
    if (output[1] >= 0) close(output[1]);
  }

  // Reads what the program writes for up to `seconds`, or until `done` holds.
  template <typename Done>
  void watch(double seconds, Done done) {
    const auto give_up = Clock::now() + std::chrono::duration<double>(seconds);
    while (!done() && Clock::now() < give_up) {
      pollfd ready{output_, POLLIN, 0};
      if (poll(&ready, 1, 100) > 0) {
        char buffer[4096];
        const ssize_t count = read(output_, buffer, sizeof buffer);
        if (count > 0) shown_.append(buffer, static_cast<size_t>(count));
      }
      if (!ended_ && waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
    }
  }
  bool window_shown() const {
    return display_ != nullptr &&
           !command_output("DISPLAY=" + display_->name() + " xdotool search --name '^KELO BASIC 1.1/E for VEXO$' 2>/dev/null")
                .empty();
  }
  bool terminal_shown() const { return shown_.find("\x1b[?1049h") != std::string::npos; }

  std::unique_ptr<VirtualDisplay> display_;
  std::string err_;
  pid_t pid_ = -1;
  int output_ = -1;     // the terminal's other side, or the pipe of standard output
  int keep_open_ = -1;  // the pipe of standard input, held open
  std::string shown_;
  int status_ = 0;
  bool ended_ = false;
};

TEST_P(FrontEndChoice, IsTheOneTheReadmeDescribes) {
  const Choice& choice = GetParam();
  start();
  if (HasFatalFailure()) return;
  // A window, a terminal and a refusal show themselves, at once on a quiet machine and within
  // seconds on a loaded one; the stream writes the screen only at its end, so it is given time.
  bool window = false;
  watch(choice.expected == Outcome::kStream ? 1.5 : 20, [&] {
    window = window || window_shown();
    return ended_ || window || terminal_shown();
  });
  const bool ended_by_itself = ended_;
  if (!ended_) {
    // As closing the window: every front end ends with status 0, once it reads signals as events.
    watch(20, [&] { return ended_ || ProcessProbe(pid_).blocks(SIGTERM); });
    kill(pid_, SIGTERM);
    watch(20, [&] { return ended_; });
  }
  ASSERT_TRUE(ended_) << "still running after SIGTERM";
  Outcome outcome = Outcome::kStream;
  if (window) outcome = Outcome::kWindow;
  else if (ended_by_itself) outcome = Outcome::kRefused;
  else if (terminal_shown()) outcome = Outcome::kTerminal;
  EXPECT_EQ(static_cast<int>(outcome), static_cast<int>(choice.expected)) << "what it showed:\n" << shown_;
  if (outcome == Outcome::kStream) {
    EXPECT_NE(shown_.find("Kelo BASIC v1.1 for Dravo BASIC"), std::string::npos) << shown_;
  }
  ASSERT_TRUE(WIFEXITED(status_)) << status_;
  EXPECT_EQ(WEXITSTATUS(status_), choice.expected == Outcome::kRefused ? 2 : 0);
  const std::string err = command_output("cat " + err_);
  if (*choice.message == '\0') {
    EXPECT_EQ(err, "");
  } else {
    EXPECT_EQ(err.rfind(choice.message, 0), 0u) << err;
    EXPECT_EQ(err.find('\n'), std::string::npos) << "one line:\n" << err;
  }
}

INSTANTIATE_TEST_SUITE_P(EveryCase, FrontEndChoice, ::testing::ValuesIn(kChoices),
                         [](const ::testing::TestParamInfo<Choice>& info) { return Name(info.param); });

}  // namespace
