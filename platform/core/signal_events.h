// Signals as events on the main thread: read from a descriptor, never acted on in a handler.
#pragma once
#include <signal.h>

// The signals that have arrived, as a display thread answers them. An interface, so that a
// front end loaded as a module (the window) reaches the program's own SignalEvents.
class SignalQueue {
 public:
  // The next signal that arrived, 0 when none is waiting. Never blocks.
  virtual int take() = 0;
  // Ends the process as `signal` would have with its default action (after the caller has
  // put its house in order): for SIGQUIT a core dump. A SAVE's temporary file goes first.
  [[noreturn]] virtual void die(int signal) = 0;

 protected:
  ~SignalQueue() = default;  // never deleted through this side
};

// Blocks the signals a front end answers (SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGWINCH,
// SIGCONT) in the calling thread, and so in every thread it starts afterwards, and reports
// them through a descriptor. Build it in main before any thread starts; the display thread
// polls fd() and acts on take(). SIGPIPE is ignored meanwhile: a write to a closed pipe then
// fails with EPIPE where it is made, and is reported there as any failed write is.
class SignalEvents final : public SignalQueue {
 public:
  // Throws std::system_error when the system refuses the signalfd (the signals stay as they were).
  SignalEvents();
  ~SignalEvents();  // closes the descriptor and unblocks the signals again
  SignalEvents(const SignalEvents&) = delete;
  SignalEvents& operator=(const SignalEvents&) = delete;

  int fd() const { return fd_; }
  int take() override;
  [[noreturn]] void die(int signal) override;

 private:
  sigset_t set_{};
  sigset_t previous_{};
  struct sigaction previous_pipe_action_ = {};
  int fd_ = -1;
};
