// The seam between the program thread and the display thread.
#include "platform/core/console.h"

#include <chrono>

#include "platform/core/text_screen.h"

void Console::push_key(int key) {
  keyboard_.push(key);
  std::lock_guard lock(wake_mutex_);
  wake_.notify_one();
}

void Console::request_close() {
  pending_.fetch_or(kClose, std::memory_order_relaxed);
  std::lock_guard lock(wake_mutex_);
  wake_.notify_one();
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

void Console::set_key_pump(bool on) {
  if (on) pending_.fetch_or(kKeyPump, std::memory_order_relaxed);
  else clear_pending(kKeyPump);
}

void Console::publish(const TextScreen& screen, bool editing) {
  clear_pending(kFrameWanted);
  if (screen.changes() == published_changes_ && editing == published_editing_) return;
  published_changes_ = screen.changes();
  published_editing_ = editing;
  std::lock_guard lock(mutex_);
  published_.cells = screen.cells();
  published_.cursor_row = screen.cursor_row();
  published_.cursor_column = screen.cursor_column();
  published_.editing = editing;
  published_.generation += 1;
}

void Console::wait_for_key(int milliseconds) {
  std::unique_lock lock(wake_mutex_);
  wake_.wait_for(lock, std::chrono::milliseconds(milliseconds),
                 [this] { return !keyboard_.empty() || close_requested(); });
}

void Console::set_title(const std::string& title) {
  std::lock_guard lock(mutex_);
  title_ = title;
  title_generation_ += 1;
}

void Console::set_font(const std::string& path, int height, bool bold) {
  std::lock_guard lock(mutex_);
  font_.path = path;
  font_.height = height;
  font_.bold = bold;
  font_.generation += 1;
}

void Console::mark_program_ended() {
  ended_.store(true, std::memory_order_release);
  std::lock_guard lock(wake_mutex_);
  wake_.notify_all();
}
