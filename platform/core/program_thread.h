// The program thread: the interpreter runs on it, with a stack of a size we choose.
#pragma once
#include <pthread.h>

#include <functional>

class ProgramThread {
 public:
  ProgramThread() = default;
  // Starts `body` on a thread with a stack of kProgramStackBytes; throws std::system_error
  // when the system refuses the thread.
  explicit ProgramThread(std::function<void()> body);
  ~ProgramThread();  // joins a thread not joined yet
  ProgramThread(const ProgramThread&) = delete;
  ProgramThread& operator=(const ProgramThread&) = delete;
  ProgramThread(ProgramThread&& other) noexcept;
  ProgramThread& operator=(ProgramThread&& other) noexcept;

  bool joinable() const { return body_ != nullptr; }
  void join();

 private:
  static void* Run(void* body);

  pthread_t thread_{};
  // Owned by the thread object so that it outlives the thread; null once joined.
  std::function<void()>* body_ = nullptr;
};
