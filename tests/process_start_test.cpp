// The real program started as service managers, cron jobs and pipelines start it: standard
// descriptors closed, resources refused, output that cannot be written.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <vector>

#include "platform/core/limits.h"
#include "tests/support/binary_session.h"
#include "tests/support/process_probe.h"

namespace {

using ProcessStart = BinarySession;

// The exit status of a child that ends within `limit`; -1, a failure and the child killed when
// it does not.
int WaitUpTo(pid_t pid, std::chrono::duration<double> limit) {
  int status = 0;
  const auto give_up = std::chrono::steady_clock::now() + limit;
  while (waitpid(pid, &status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > give_up) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "the program did not end within " << limit.count() << " s";
      return -1;
    }
    usleep(10000);
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A session of a stream that has lost one of its standard descriptors: the program must not
// take the descriptor's number for one of its own (the signalfd read as the script, say).
// The others read "script" and write "out" and "err".
struct ClosedDescriptor {
  const char* name;
  int closed;
  const char* argument;           // a program to run for ever, or null: the session then ends by itself
  std::vector<std::string> rows;  // what standard output shows, when it is open
};

const ClosedDescriptor kClosedDescriptors[] = {
    // An empty script: the session ends at once, by itself.
    {"input at the prompt", STDIN_FILENO, nullptr, WithBanner({":"})},
    {"input while a program runs", STDIN_FILENO, "LOOP", {": load LOOP:run", "[Ok]"}},
    {"output", STDOUT_FILENO, nullptr, {}},
    {"standard error", STDERR_FILENO, nullptr, WithBanner({": PRINT 1", "1", ":"})},
};

pid_t StartWithout(const ClosedDescriptor& start) {
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open("script", O_RDONLY), STDIN_FILENO);
    dup2(open("out", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    dup2(open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    close_range(3, ~0u, 0);
    close(start.closed);
    setenv("KELO_HOST", "stream", 1);
    execl("./kelo-basic", "./kelo-basic", start.argument, static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid;
}

// A session that ends by itself must do so unasked, however slowly a loaded machine starts it.
// One that runs for ever is sent SIGTERM once its program runs and must end within 2 s of the
// signal, with status 0, as a closed window ends.
TEST_F(ProcessStart, AClosedStandardDescriptorIsNoneOfTheProgramsOwn) {
  write_file("LOOP.TIB", "10 GOTO 10\r\n");
  write_file("script", "PRINT 1\n");
  for (const ClosedDescriptor& closed : kClosedDescriptors) {
    SCOPED_TRACE(closed.name);
    const pid_t pid = StartWithout(closed);
    if (closed.argument == nullptr) {
      EXPECT_EQ(WaitUpTo(pid, std::chrono::seconds(20)), 0);
    } else {
      const ProcessProbe program(pid);
      const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      long long ticks = -1;
      while ((ticks = program.thread_ticks(kProgramThreadName)) < 5 && std::chrono::steady_clock::now() < give_up) {
        usleep(10000);
      }
      EXPECT_GE(ticks, 5) << "the program never ran";
      kill(pid, SIGTERM);
      EXPECT_EQ(WaitUpTo(pid, std::chrono::seconds(2)), 0) << "after SIGTERM";
    }
    EXPECT_EQ(read_file("out"), Lines(closed.rows));
    EXPECT_EQ(read_file("err"), "");
  }
}

// Starts the program on "script" with a resource limit lowered, as `ulimit` would, and
// nothing open but the three standard descriptors; its exit status, or -1 after 2 s.
int StartLimited(int resource, rlim_t limit) {
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open("script", O_RDONLY), STDIN_FILENO);
    dup2(open("out", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
    dup2(open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    close_range(3, ~0u, 0);  // what the test runner left open would take the numbers counted on
    const rlimit lowered{limit, limit};
    setrlimit(resource, &lowered);
    setenv("KELO_HOST", "stream", 1);
    execl("./kelo-basic", "./kelo-basic", static_cast<char*>(nullptr));
    _exit(127);
  }
  return WaitUpTo(pid, std::chrono::seconds(2));
}

TEST_F(ProcessStart, ARefusedResourceEndsTheProcessAtOnceWithOneLine) {
#ifdef KELO_INSTRUMENTED
  // A sanitizer's runtime needs descriptors of its own (it tests memory through a pipe), and
  // its shadow memory more address space than any limit here leaves.
  GTEST_SKIP() << "the limits leave a sanitizer's runtime no room";
#endif
  write_file("script", "PRINT 1\n");
  // Four descriptors: the three standard ones and the signalfd; no room for the eventfd.
  EXPECT_EQ(StartLimited(RLIMIT_NOFILE, 4), 1);
  EXPECT_EQ(read_file("err"), "kelo-basic: cannot start: eventfd: Too many open files\n");
  EXPECT_EQ(read_file("out"), "");
  // Room for the program, not for its thread's 16 MiB stack.
  EXPECT_EQ(StartLimited(RLIMIT_AS, 8000 * 1024), 1);
  EXPECT_EQ(read_file("err"), "kelo-basic: cannot start: the program thread: Resource temporarily unavailable\n");
  EXPECT_EQ(read_file("out"), "");
}

// Output nobody can read ends the session, with status 1 and the reason on standard error:
// a full disk, a pipe whose reader has gone (SIGPIPE is ignored, so the write says EPIPE), a
// terminal that has gone.
TEST_F(ProcessStart, OutputThatCannotBeWrittenEndsTheSessionWithOneLine) {
  // Prints for ever: only the failed output can end it (a session that goes on is killed after
  // 20 s, status 137).
  write_file("script", "10 PRINT 1\n20 GOTO 10\nRUN\n");

  std::remove("err");
  shell("(KELO_HOST=stream timeout -s KILL 20 ./kelo-basic < script > /dev/full 2> err; echo $? > status)");
  EXPECT_EQ(read_file("status"), "1\n");
  EXPECT_EQ(read_file("err"), "kelo-basic: cannot write the output: No space left on device\n");

  std::remove("err");
  shell("(KELO_HOST=stream timeout -s KILL 20 ./kelo-basic < script 2> err; echo $? > status) | head -c 1 > out");
  EXPECT_EQ(read_file("status"), "1\n");
  EXPECT_EQ(read_file("out"), "K");  // the banner's first byte
  EXPECT_EQ(read_file("err"), "kelo-basic: cannot write the output: Broken pipe\n");

  // A terminal whose other side has closed answers every write with EIO.
  int master = -1, slave = -1;
  ASSERT_EQ(openpty(&master, &slave, nullptr, nullptr, nullptr), 0);
  close(master);
  std::remove("err");
  const pid_t pid = fork();
  if (pid == 0) {
    dup2(open("script", O_RDONLY), STDIN_FILENO);
    dup2(slave, STDOUT_FILENO);
    dup2(open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
    setenv("KELO_HOST", "stream", 1);
    execl("./kelo-basic", "./kelo-basic", static_cast<char*>(nullptr));
    _exit(127);
  }
  close(slave);
  EXPECT_EQ(WaitUpTo(pid, std::chrono::seconds(20)), 1);
  EXPECT_EQ(read_file("err"), "kelo-basic: cannot write the output: Input/output error\n");
}

}  // namespace
