// The real program at a terminal, driven through tmux as a person would drive it: keys sent,
// the pane read back. KELO_HOST is unset and no display is named, so the terminal front end
// is the one chosen.
#include <gtest/gtest.h>
#include <unistd.h>

#include <csignal>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>
#include <thread>

#include "platform/core/limits.h"
#include "tests/support/binary_session.h"
#include "tests/support/process_probe.h"

namespace {

using namespace std::chrono_literals;

// How long a test waits for what a quiet machine shows at once and a loaded one within seconds.
constexpr std::chrono::seconds kPatience(20);

class TerminalSession : public BinarySession {
 protected:
  void SetUp() override {
    BinarySession::SetUp();
    if (HasFatalFailure()) return;
    if (shell("command -v tmux > /dev/null") != 0) GTEST_SKIP() << "tmux is not installed (setup.sh installs it)";
    static int count = 0;
    socket_ = "kelo-test-" + std::to_string(getpid()) + "-" + std::to_string(++count);
    prepare_folder();
    // The pane runs the program, then records how it ended and how the terminal was left.
    write_file("pane.sh",
               "ulimit -c 0\n"
               "sh -c 'echo $$ > pid; exec " + environment() + " LANG=C.UTF-8 ./kelo-basic " + errors() + "'\n"
               "echo $? > status\n"
               "stty -a > stty\n"
               "sleep 60\n");
    ASSERT_EQ(tmux("new-session -d -x " + std::to_string(pane_columns()) + " -y " + std::to_string(pane_rows()) +
                   " -s main 'sh pane.sh'"),
              0);
    started_ = true;
  }
  void TearDown() override {
    if (started_) tmux("kill-server");
    BinarySession::TearDown();
  }

  // Puts what else the program needs beside it.
  virtual void prepare_folder() {}
  // How the program is started: KELO_HOST unset, and no display.
  virtual std::string environment() const { return "env -u DISPLAY -u WAYLAND_DISPLAY -u KELO_HOST"; }
  // Where its standard error goes: a file, or with "" the pane.
  virtual std::string errors() const { return "2> err"; }
  virtual int pane_columns() const { return 80; }
  virtual int pane_rows() const { return 25; }

  int tmux(const std::string& arguments) {
    return shell("tmux -u -f /dev/null -L " + socket_ + " " + arguments + " > /dev/null 2>&1");
  }
  // What the pane shows; with `colours`, with the escape sequences of its colours.
  std::string capture(bool colours = false) {
    const std::string command = "tmux -u -L " + socket_ + " capture-pane -p " + (colours ? "-e " : "") + "-t main";
    std::string text;
    // NOLINTNEXTLINE(cert-env33-c): tmux is driven through its command line, as a user would.
    if (FILE* pipe = popen(command.c_str(), "r")) {
      char buffer[4096];
      size_t count;
      while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, count);
      pclose(pipe);
    }
    return text;
  }
  // Row `number` (from 1) of what the pane shows.
  static std::string Row(const std::string& screen, int number) {
    size_t start = 0;
    for (int row = 1; row < number && start != std::string::npos; ++row) {
      start = screen.find('\n', start);
      if (start != std::string::npos) ++start;
    }
    if (start == std::string::npos || start >= screen.size()) return {};
    return screen.substr(start, screen.find('\n', start) - start);
  }
  // Waits until the pane shows `text` somewhere; what it shows then.
  std::string wait_for(const std::string& text, std::chrono::milliseconds limit = kPatience) {
    const auto give_up = std::chrono::steady_clock::now() + limit;
    std::string screen;
    do {
      screen = capture();
      if (screen.find(text) != std::string::npos) return screen;
      std::this_thread::sleep_for(20ms);
    } while (std::chrono::steady_clock::now() < give_up);
    ADD_FAILURE() << "the pane never showed \"" << text << "\"; it shows:\n" << screen;
    return screen;
  }
  void type(const std::string& text) {  // literal keys; text holds no single quote
    tmux("send-keys -t main -l '" + text + "'");
  }
  void press(const std::string& key) { tmux("send-keys -t main " + key); }
  void type_line(const std::string& line) {
    type(line);
    press("Enter");
  }
  // The program's pid, for the shell.
  static std::string program_pid() { return "$(cat pid)"; }
  // Waits until the program waits for a key: every thread sleeps, three looks in a row. A key
  // typed before would go to the statement's Break test.
  void wait_until_waiting() {
    const ProcessProbe program(std::stoi(read_file("pid")));
    int quiet_looks = 0;
    wait_until("the program to wait for a key", [&] {
      quiet_looks = program.sleeps() ? quiet_looks + 1 : 0;
      return quiet_looks == 3;
    });
  }
  // Waits until the program keeps a processor busy: a program that runs.
  void wait_until_running() {
    const ProcessProbe program(std::stoi(read_file("pid")));
    const long long before = program.thread_ticks(kProgramThreadName);
    wait_until("the program to run", [&] { return program.thread_ticks(kProgramThreadName) >= before + 5; });
  }
  static void wait_until(const char* what, const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + kPatience;
    while (!done()) {
      if (std::chrono::steady_clock::now() > give_up) {
        ADD_FAILURE() << "waited " << kPatience.count() << " s for " << what;
        return;
      }
      std::this_thread::sleep_for(10ms);
    }
  }
  // The exit status and the terminal's settings once the program has ended.
  std::string wait_for_end() {
    const auto give_up = std::chrono::steady_clock::now() + kPatience;
    while (read_file("stty").empty() && std::chrono::steady_clock::now() < give_up) std::this_thread::sleep_for(20ms);
    return read_file("status");
  }
  // Whether stty reports canonical mode with echo.
  bool terminal_restored() {
    const std::string settings = " " + read_file("stty");
    return settings.find(" icanon") != std::string::npos && settings.find(" echo ") != std::string::npos &&
           settings.find("-icanon") == std::string::npos;
  }

  // Sends `signal` while a program runs: a close, status 0, the terminal as it was.
  void close_by_signal(const std::string& signal) {
    wait_for("commands.\n:");
    type_line("10 GOTO 10");
    type_line("RUN");
    wait_for(": RUN");
    wait_until_running();
    ASSERT_EQ(shell("kill -" + signal + " " + program_pid()), 0);
    EXPECT_EQ(wait_for_end(), "0\n");
    EXPECT_TRUE(terminal_restored()) << read_file("stty");
    EXPECT_EQ(capture().find("Kelo BASIC"), std::string::npos) << "the alternate screen is gone";
  }

  std::string socket_;
  bool started_ = false;
};

TEST_F(TerminalSession, APersonsSessionFromBannerToBye) {
  std::string screen = wait_for("commands.\n:");
  EXPECT_EQ(screen.rfind("Kelo BASIC v1.1 for Dravo BASIC\nType HELP for commands.\n:", 0), 0u) << screen;

  type_line("10 PRINT \"HI\"");
  type_line("RUN");
  wait_for("\nHI\n");

  type_line("HELP");
  screen = wait_for("KELO BASIC HELP");
  EXPECT_NE(screen.find("\u250C"), std::string::npos) << "the box's corner";
  EXPECT_NE(screen.find("\u2502 BYE, CLEAR"), std::string::npos) << "its side";

  // An arrow key does nothing in the line editor; Home and F1 neither.
  type("PRINT 4");
  press("Left");
  press("Up");
  press("Home");
  press("F1");
  type("2");
  press("Enter");
  wait_for("\n42\n");

  // Colours: an attribute written to the screen shows as the terminal's colours.
  type_line("VPOKE 1,30");  // yellow on blue for the top left cell
  wait_for(": VPOKE 1,30\n:");
  const std::string coloured = capture(true);
  EXPECT_EQ(coloured.rfind("\x1b[93m\x1b[44m", 0), 0u) << coloured.substr(0, 80);

  // NEW is a statement: its Break test takes a key typed before it starts, so wait for
  // the prompt as a person would.
  type_line("NEW");
  wait_for(": NEW\n:");
  type_line("10 GOTO 10");
  type_line("RUN");
  wait_for(": RUN");
  wait_until_running();
  press("C-c");
  wait_for("Break in  10");

  type_line("BYE");
  screen = wait_for("Press any key to continue");
  EXPECT_EQ(screen.substr(screen.rfind('\n', screen.size() - 2) + 1), "Press any key to continue\n");
  press("x");
  EXPECT_EQ(wait_for_end(), "0\n");
  EXPECT_TRUE(terminal_restored()) << read_file("stty");
}

// Keys held with Alt, Shift or Ctrl as a PC gives them: INCHAR reads an extended key as 0
// (the scan code is dropped), and the line editor ignores it. tmux sends Alt+x as Escape and
// x, Shift+Tab (its BTab) as ESC [ Z, Ctrl+Left as ESC [ 1 ; 5 D.
TEST_F(TerminalSession, ModifiedKeysReachInCharAsAPcGivesThemAndLeaveTheTypedLineAlone) {
  std::string shown = "commands.\n";  // the screen so far, from the banner's end
  wait_for(shown + ":");
  for (const char* key : {"M-x", "BTab", "C-Left"}) {
    type_line("PRINT INCHAR,\",\",INCHAR");
    shown += ": PRINT INCHAR,\",\",INCHAR\n";
    wait_for(shown);
    // The statement's Break test takes a key typed before it starts.
    wait_until_waiting();
    press(key);
    type("z");
    shown += "0,122\n";
    wait_for(shown + ":");
  }
  type("PRINT \"AB\"");
  press("M-x");
  press("BTab");
  press("C-Left");
  press("Enter");
  wait_for(shown + ": PRINT \"AB\"\nAB\n:");  // the typed line as it was
}

// A line pasted whole (or typed on a machine too busy to keep up) reaches the program in
// one read: the program runs it without waiting for a key in between, and the screen must
// still show what it does.
TEST_F(TerminalSession, APastedLineIsShownWhileItsProgramRuns) {
  wait_for("commands.\n:");
  type_line("10 PRINT \"RUNNING\":GOTO 20");
  type_line("20 GOTO 20");
  wait_for(": 20 GOTO 20\n:");
  wait_until_waiting();
  tmux("send-keys -t main RUN Enter");  // one write to the terminal
  wait_for(": RUN\nRUNNING\n");
  press("C-c");
  wait_for("Break in  20");
}

TEST_F(TerminalSession, SigtermDuringARunningProgramRestoresTheTerminal) { close_by_signal("TERM"); }

TEST_F(TerminalSession, SighupDuringARunningProgramRestoresTheTerminal) { close_by_signal("HUP"); }

TEST_F(TerminalSession, SigquitRestoresTheTerminalAndEndsAsItAsks) {
  wait_for("commands.\n:");
  ASSERT_EQ(shell("kill -QUIT " + program_pid()), 0);
  EXPECT_EQ(wait_for_end(), std::to_string(128 + SIGQUIT) + "\n");
  EXPECT_TRUE(terminal_restored()) << read_file("stty");
}

TEST_F(TerminalSession, ACrashRestoresTheTerminal) {
  wait_for("commands.\n:");
  ASSERT_EQ(shell("kill -SEGV " + program_pid()), 0);
  EXPECT_EQ(wait_for_end(), std::to_string(128 + SIGSEGV) + "\n");
  EXPECT_TRUE(terminal_restored()) << read_file("stty");
}

// A display is named, but no server answers there: the terminal, with one line that says why.
// The window module stands beside the program, so that the window is tried for real. In a
// pane of 100 x 30 the line shows below the screen while the session runs; on standard error
// (the pane here) it stays once the terminal is given back.
class TerminalSessionWithoutWindow : public TerminalSession {
 protected:
  void prepare_folder() override {
    const std::filesystem::path module(KELO_WINDOW_MODULE);
    std::filesystem::copy_file(module, folder_ / module.filename());
  }
  std::string environment() const override { return "env -u WAYLAND_DISPLAY -u KELO_HOST DISPLAY=:4711"; }
  std::string errors() const override { return ""; }
  int pane_columns() const override { return 100; }
  int pane_rows() const override { return 30; }
};

TEST_F(TerminalSessionWithoutWindow, SaysWhyOnTheRowBelowTheScreenWhileTheSessionRuns) {
  const std::string notice =
      "kelo-basic: no window can be opened here; using the terminal (failed to open display ':4711')";
  // Standard error shows it first, on the screen the terminal is about to leave.
  std::string screen = wait_for("commands.\n:");
  EXPECT_EQ(screen.rfind("Kelo BASIC v1.1 for Dravo BASIC\nType HELP for commands.\n:", 0), 0u) << screen;
  EXPECT_EQ(Row(screen, 26), notice) << screen;
  // The screen above it is the program's own: it scrolls as ever, and the notice stays.
  for (int i = 1; i <= 30; ++i) type_line("PRINT " + std::to_string(i));
  screen = wait_for("\n30\n:");
  EXPECT_EQ(Row(screen, 24), "30") << screen;
  EXPECT_EQ(Row(screen, 26), notice) << screen;
  type_line("BYE");
  wait_for("Press any key to continue");
  press("x");
  EXPECT_EQ(wait_for_end(), "0\n");
  // Given back, the terminal shows what it showed before, the line printed at the start.
  screen = wait_for(notice);
  EXPECT_EQ(screen.find("Kelo BASIC v1.1"), std::string::npos) << screen;
}

TEST_F(TerminalSession, ATerminalTooSmallSaysSoUntilItIsLargeEnough) {
  wait_for("commands.\n:");
  tmux("resize-window -t main -x 60 -y 20");
  wait_for("Kelo BASIC needs 80 x 25; this terminal is 60 x 20.");
  tmux("resize-window -t main -x 80 -y 25");
  const std::string screen = wait_for("Type HELP for commands.");
  EXPECT_EQ(screen.find("needs 80 x 25"), std::string::npos);
}

}  // namespace
