// Signals as events: a signalfd read by the display thread.
#include "platform/core/signal_events.h"

#include <sys/signalfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <initializer_list>
#include <system_error>

#include "platform/core/file_one.h"

SignalEvents::SignalEvents() {
  sigemptyset(&set_);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGWINCH, SIGCONT}) sigaddset(&set_, signal);
  pthread_sigmask(SIG_BLOCK, &set_, &previous_);
  fd_ = signalfd(-1, &set_, SFD_NONBLOCK | SFD_CLOEXEC);
  if (fd_ < 0) {
    // Blocked and never read, these signals would do nothing at all.
    const int error = errno;
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    throw std::system_error(error, std::generic_category(), "signalfd");
  }
  struct sigaction ignore = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGPIPE, &ignore, &previous_pipe_action_);
}

SignalEvents::~SignalEvents() {
  sigaction(SIGPIPE, &previous_pipe_action_, nullptr);
  close(fd_);
  pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
}

int SignalEvents::take() {
  signalfd_siginfo info{};
  if (read(fd_, &info, sizeof info) != static_cast<ssize_t>(sizeof info)) return 0;
  return static_cast<int>(info.ssi_signo);
}

void SignalEvents::die(int signal) {
  remove_pending_temporary_file();  // a SAVE under way leaves nothing behind
  struct sigaction action = {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  raise(signal);
  pthread_sigmask(SIG_UNBLOCK, &only, nullptr);  // delivered here, ending the process
  _exit(128 + signal);                           // a signal whose default is to go on
}
