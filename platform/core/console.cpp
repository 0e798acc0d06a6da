// The seam between the program thread and the display thread.
#include "platform/core/console.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>

#include "platform/core/text_screen.h"

Console::Console() : display_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
  // Without it a display that sleeps in poll() would never wake for the program's end.
  if (display_fd_ < 0) throw std::system_error(errno, std::generic_category(), "eventfd");
}

Console::~Console() { close(display_fd_); }

void Console::push_key(int key) {
  keyboard_.push(key);
  std::lock_guard lock(wake_mutex_);
  wake_.notify_all();
}

void Console::request_close() {
  pending_.fetch_or(kClose, std::memory_order_relaxed);
  std::lock_guard lock(wake_mutex_);
  wake_.notify_all();
}

bool Console::take_snapshot(ScreenSnapshot& out) {
  pending_.fetch_or(kFrameWanted, std::memory_order_relaxed);
  std::lock_guard lock(mutex_);
  if (published_.generation == out.generation) return false;
  out = published_;
  return true;
}

bool Console::take_title(std::string& title, uint64_t& seen) {
  std::lock_guard lock(mutex_);
  if (title_generation_ == seen) return false;
  title = title_;
  seen = title_generation_;
  return true;
}

bool Console::take_font(FontRequest& out) {
  std::lock_guard lock(mutex_);
  if (font_.generation == out.generation) return false;
  out = font_;
  return true;
}

bool Console::wait_until_ended(int milliseconds) {
  std::unique_lock lock(wake_mutex_);
  return wake_.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] { return program_ended(); });
}

void Console::drain_display_fd() {
  uint64_t count = 0;
  (void)!read(display_fd_, &count, sizeof count);
}

void Console::set_key_pump(bool on) {
  if (on) pending_.fetch_or(kKeyPump, std::memory_order_seq_cst);
  else pending_.fetch_and(~uint32_t{kKeyPump}, std::memory_order_seq_cst);
}

bool Console::publish(const TextScreen& screen, bool editing) {
  if (screen.changes() == published_changes_ && editing == published_editing_) return false;
  clear_pending(kFrameWanted);  // before the copy: a request made after it asks for a newer one
  published_changes_ = screen.changes();
  published_editing_ = editing;
  {
    std::lock_guard lock(mutex_);
    published_.cells = screen.cells();
    published_.cursor_row = screen.cursor_row();
    published_.cursor_column = screen.cursor_column();
    published_.editing = editing;
    published_.generation += 1;
  }
  notify_display();
  return true;
}

void Console::wait_for_key(int milliseconds) {
  std::unique_lock lock(wake_mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                 [this] { return !keyboard_.empty() || close_requested(); });
}

void Console::pause(int milliseconds) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  std::unique_lock lock(wake_mutex_);
  // In steps, so that a close from a signal handler, which cannot notify, is seen too.
  while (!close_requested() && std::chrono::steady_clock::now() < until) {
    wake_.wait_until(lock, std::min(until, std::chrono::steady_clock::now() + std::chrono::milliseconds(kKeyPollMs)));
  }
}

void Console::set_title(const std::string& title) {
  {
    std::lock_guard lock(mutex_);
    title_ = title;
    title_generation_ += 1;
  }
  notify_display();
}

void Console::set_font(const std::string& path, int height, bool bold) {
  {
    std::lock_guard lock(mutex_);
    font_.path = path;
    font_.height = height;
    font_.bold = bold;
    font_.generation += 1;
  }
  notify_display();
}

void Console::mark_program_ended() {
  {
    std::lock_guard lock(wake_mutex_);
    ended_.store(true, std::memory_order_release);
    wake_.notify_all();
  }
  notify_display();
}

void Console::notify_display() {
  const uint64_t one = 1;
  (void)!write(display_fd_, &one, sizeof one);
}
