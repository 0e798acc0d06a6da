// The real program reading keys from a pipe that the test holds open, watched through /proc
// rather than given time: a loaded machine may take seconds for what a quiet one does at once,
// so a test waits for what it needs (the keys read, the program waiting or running, a signal
// taken) and never for a fixed while.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>
#include <thread>

#include "platform/core/limits.h"
#include "tests/support/process_probe.h"

namespace {

// ./kelo-basic of the current folder, its output going to "out" and its errors to "err".
class PipedSession {
 public:
  static constexpr std::chrono::seconds kPatience{30};  // far beyond any machine's slowness

  PipedSession() {
    int keys[2];
    if (pipe2(keys, O_CLOEXEC) != 0) ADD_FAILURE() << "no pipe";
    pid_ = fork();
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      dup2(keys[0], STDIN_FILENO);
      dup2(open("out", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDOUT_FILENO);
      dup2(open("err", O_WRONLY | O_CREAT | O_TRUNC, 0644), STDERR_FILENO);
      execl("./kelo-basic", "./kelo-basic", static_cast<char*>(nullptr));
      _exit(127);
    }
    unread_ = keys[0];  // held, so that what the program has not read yet can be counted
    keys_ = keys[1];
  }
  ~PipedSession() {
    if (!ended_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
    if (keys_ >= 0) close(keys_);
    close(unread_);
  }
  PipedSession(const PipedSession&) = delete;
  PipedSession& operator=(const PipedSession&) = delete;

  void type(std::string_view keys) {
    while (!keys.empty()) {
      const ssize_t written = write(keys_, keys.data(), keys.size());
      if (written <= 0) {
        ADD_FAILURE() << "the keys could not be written";
        return;
      }
      keys.remove_prefix(static_cast<size_t>(written));
    }
  }
  void close_keys() {
    close(keys_);
    keys_ = -1;
  }
  void send(int signal) const { kill(pid_, signal); }

  // Every key typed is read, and the program sleeps, waiting for more (three looks in a row).
  void wait_until_waiting() {
    int quiet_looks = 0;
    wait_for("the program to wait for keys", [&] {
      quiet_looks = keys_read() && probe().blocks(SIGTERM) && probe().sleeps() ? quiet_looks + 1 : 0;
      return quiet_looks == 3;
    });
  }
  // Every key typed is read, and the program keeps a processor busy (a program that runs).
  void wait_until_running() {
    wait_for("every key to be read", [&] { return keys_read() && probe().blocks(SIGTERM); });
    const long long before = probe().thread_ticks(kProgramThreadName);
    wait_for("the program to run", [&] { return probe().thread_ticks(kProgramThreadName) >= before + 5; });
  }
  // The program has taken `signal` from its queue.
  void wait_until_taken(int signal) {
    wait_for("the signal to be taken", [&] { return !probe().holds_pending(signal); });
  }
  // The exit status as a shell gives it: 128 and the signal's number for a process a signal ended.
  int wait_for_end() {
    int status = 0;
    if (!wait_for("the program to end", [&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
    ended_ = true;
    return WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status);
  }

 private:
  ProcessProbe probe() const { return ProcessProbe(pid_); }
  bool keys_read() const {
    int unread = 0;
    return ioctl(unread_, FIONREAD, &unread) == 0 && unread == 0;
  }
  // Looks every 10 ms; after kPatience, a failure, the process killed, and false.
  bool wait_for(const char* what, const std::function<bool()>& done) {
    const auto give_up = std::chrono::steady_clock::now() + kPatience;
    while (!ended_ && !done()) {
      if (std::chrono::steady_clock::now() > give_up) {
        ADD_FAILURE() << "waited " << kPatience.count() << " s for " << what;
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
        ended_ = true;
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return !ended_;
  }

  pid_t pid_ = -1;
  int keys_ = -1;
  int unread_ = -1;
  bool ended_ = false;
};

}  // namespace
