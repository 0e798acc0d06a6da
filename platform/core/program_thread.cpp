// The program thread, with an explicit stack size.
#include "platform/core/program_thread.h"

#include <cerrno>
#include <system_error>
#include <utility>

#include "platform/core/limits.h"

ProgramThread::ProgramThread(std::function<void()> body) : body_(new std::function<void()>(std::move(body))) {
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, kProgramStackBytes);
  const int error = pthread_create(&thread_, &attributes, &ProgramThread::Run, body_);
  pthread_attr_destroy(&attributes);
  if (error != 0) {
    delete body_;
    body_ = nullptr;
    throw std::system_error(error, std::generic_category(), "the program thread");
  }
  // Named for whoever looks at the process: top -H, a debugger, the tests that wait on it.
  pthread_setname_np(thread_, kProgramThreadName);
}

ProgramThread::~ProgramThread() { join(); }

ProgramThread::ProgramThread(ProgramThread&& other) noexcept
    : thread_(other.thread_), body_(std::exchange(other.body_, nullptr)) {}

ProgramThread& ProgramThread::operator=(ProgramThread&& other) noexcept {
  if (this != &other) {
    join();
    thread_ = other.thread_;
    body_ = std::exchange(other.body_, nullptr);
  }
  return *this;
}

void ProgramThread::join() {
  if (body_ == nullptr) return;
  pthread_join(thread_, nullptr);
  delete body_;
  body_ = nullptr;
}

void* ProgramThread::Run(void* body) {
  (*static_cast<std::function<void()>*>(body))();
  return nullptr;
}
