// What the process needs before anything else runs.
#include "platform/core/start_up.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

void open_standard_descriptors() {
  for (int fd = STDIN_FILENO; fd <= STDERR_FILENO; ++fd) {
    if (fcntl(fd, F_GETFD) != -1 || errno != EBADF) continue;
    // The lowest free number is this one: those below it are open by now.
    const int opened = open("/dev/null", O_RDWR);
    if (opened == fd) continue;
    const int error = opened < 0 ? errno : EBADF;
    if (opened >= 0) close(opened);
    throw std::system_error(error, std::generic_category(), "/dev/null");
  }
}

void report_start_failure(const std::system_error& refusal) {
  std::fprintf(stderr, "kelo-basic: cannot start: %s\n", refusal.what());
}
