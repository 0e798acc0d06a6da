// What a session maps: the stream and the terminal none of the window's libraries, which
// only the window module brings, and only when a window is opened.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "tests/support/binary_session.h"

namespace {

// The libraries of the window: any of them in a session's maps means it was loaded.
constexpr const char* kWindowLibraries[] = {"kelo-basic-window", "libGL", "libGLX", "libGLEW", "libglut",
                                            "libX11",            "libxcb", "libfreetype", "libfontconfig"};

class MappedLibraries : public BinarySession {
 protected:
  void SetUp() override {
    BinarySession::SetUp();
    if (HasFatalFailure()) return;
    // The module stands beside the program, as it does where the program is built, so that
    // it could be loaded: only the front end's choice keeps it out.
    std::filesystem::copy_file(KELO_WINDOW_MODULE, folder_ / std::filesystem::path(KELO_WINDOW_MODULE).filename());
  }

  // The maps of the running program, once it waits for a key: "" when it ended first.
  static std::string maps_once_waiting(pid_t pid, int output_fd, const std::string& waiting_text) {
    std::string shown;
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (shown.find(waiting_text) == std::string::npos && std::chrono::steady_clock::now() < give_up) {
      pollfd ready{output_fd, POLLIN, 0};
      if (poll(&ready, 1, 50) > 0) {
        char buffer[4096];
        const ssize_t count = read(output_fd, buffer, sizeof buffer);
        if (count <= 0) break;
        shown.append(buffer, static_cast<size_t>(count));
      }
    }
    EXPECT_NE(shown.find(waiting_text), std::string::npos) << shown;
    std::ifstream maps("/proc/" + std::to_string(pid) + "/maps");
    std::stringstream text;
    text << maps.rdbuf();
    return text.str();
  }
  static void expect_no_window_library(const std::string& maps) {
    EXPECT_NE(maps.find("kelo-basic"), std::string::npos) << "not the program's maps:\n" << maps;
    for (const char* library : kWindowLibraries) EXPECT_EQ(maps.find(library), std::string::npos) << library << " in\n" << maps;
  }
  static void end(pid_t pid) {
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  }
};

// In a pipe, with a display named: the stream, waiting for more of its script.
TEST_F(MappedLibraries, AStreamSessionMapsNoneOfTheWindowsLibraries) {
  int input[2], output[2];
  ASSERT_EQ(pipe(input), 0);
  ASSERT_EQ(pipe(output), 0);
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(input[0], STDIN_FILENO);
    dup2(output[1], STDOUT_FILENO);
    close_range(3, ~0u, 0);
    unsetenv("KELO_HOST");
    setenv("DISPLAY", ":0", 1);
    execl("./kelo-basic", "./kelo-basic", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(input[0]);
  close(output[1]);
  // Rows reach the pipe as they scroll off: these lines push the banner off, and then the
  // program waits for more.
  std::string lines;
  for (int i = 0; i < 25; ++i) lines += "REM\n";
  ASSERT_EQ(write(input[1], lines.data(), lines.size()), static_cast<ssize_t>(lines.size()));
  expect_no_window_library(maps_once_waiting(pid, output[0], "Type HELP for commands.\n"));
  end(pid);
  close(input[1]);
  close(output[0]);
}

// At a terminal without a display: the terminal front end, at its prompt.
TEST_F(MappedLibraries, ATerminalSessionMapsNoneOfTheWindowsLibraries) {
  int master = -1;
  winsize size{};
  size.ws_col = 80;
  size.ws_row = 25;
  const pid_t pid = forkpty(&master, nullptr, nullptr, &size);
  if (pid == 0) {
    unsetenv("KELO_HOST");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    setenv("LANG", "C.UTF-8", 1);
    execl("./kelo-basic", "./kelo-basic", static_cast<char*>(nullptr));
    _exit(127);
  }
  ASSERT_GT(pid, 0);
  expect_no_window_library(maps_once_waiting(pid, master, "Type HELP for commands."));
  end(pid);
  close(master);
}

}  // namespace
