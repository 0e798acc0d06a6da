// The terminal front end's run loop on terminals that fail it: modes it cannot set, output
// it cannot write. No program thread runs; the test ends the loop as the program's end would.
#include "platform/terminal/terminal_front_end.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <unistd.h>

#include <chrono>
#include <future>

#include "platform/core/console.h"

namespace {

using namespace std::chrono_literals;

// Runs the front end on its own thread until it asks for the close (or 2 s pass), then
// ends the program as the host would; whether the close was asked for in time.
bool ClosesWithin2Seconds(TerminalFrontEnd& front_end, Console& console) {
  std::future<void> running = std::async(std::launch::async, [&] { front_end.run(); });
  const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (!console.close_requested() && std::chrono::steady_clock::now() < give_up) {
    std::this_thread::sleep_for(10ms);
  }
  const bool closed = console.close_requested();
  console.mark_program_ended();
  running.wait();
  return closed;
}

TEST(TerminalFrontEnd, ATerminalWhoseModesCannotBeSetEndsTheSessionAsAFailure) {
  int fds[2];
  ASSERT_EQ(pipe(fds), 0);  // no terminal: its modes cannot be read
  Console console;
  TerminalFrontEnd front_end(console, fds[0], fds[1]);
  testing::internal::CaptureStderr();
  EXPECT_TRUE(ClosesWithin2Seconds(front_end, console));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "kelo-basic: cannot start: tcgetattr: Inappropriate ioctl for device\n");
  EXPECT_EQ(front_end.failure_status(), 1);
  close(fds[0]);
  close(fds[1]);
}

// Output the terminal refuses is a hang-up: the session closes, as a closed window, status 0.
TEST(TerminalFrontEnd, AFailedWriteToTheTerminalIsAHangUp) {
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  const int full = open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(full, 0);
  Console console;
  TerminalFrontEnd front_end(console, slave, full);
  EXPECT_TRUE(ClosesWithin2Seconds(front_end, console));
  EXPECT_EQ(front_end.failure_status(), 0);
  close(full);
  close(slave);
  close(master);
}

}  // namespace
