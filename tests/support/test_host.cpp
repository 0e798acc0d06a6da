// The test host: a handshake between the test thread, which types, and the program thread.
#include "tests/support/test_host.h"

#include <chrono>
#include <stdexcept>

#include "platform/core/host_error.h"

namespace {

constexpr auto kIdleTimeout = std::chrono::seconds(10);

}  // namespace

// Every event check is a statement the test host counts and may hand a key to.
TestHost::TestHost(std::string command_line) : host_(console_, *this, std::move(command_line)) {
  console_.set_key_pump(true);
}

TestHost::~TestHost() { stop(); }

void TestHost::start(std::function<void()> program) {
  program_thread_ = ProgramThread([this, program = std::move(program)] {
    try {
      program();
    } catch (const HostShutdown&) {
      // The usual end: the window was closed or the test host stopped.
    } catch (...) {
      std::lock_guard lock(mutex_);
      failure_ = std::current_exception();
    }
    host_.program_ended();
    std::lock_guard lock(mutex_);
    ended_ = true;
    changed_.notify_all();
  });
  run_until_idle();
}

void TestHost::stop() {
  close_window();
  if (program_thread_.joinable()) program_thread_.join();
}

void TestHost::type(std::string_view keys) {
  std::lock_guard lock(mutex_);
  for (char key : keys) typed_.push_back(key == '\n' ? kKeyEnter : static_cast<uint8_t>(key));
  changed_.notify_all();
}

void TestHost::type_line(std::string_view line) {
  type(line);
  type("\n");
}

void TestHost::run_until_idle() {
  std::unique_lock lock(mutex_);
  const bool idle = changed_.wait_for(lock, kIdleTimeout, [this] { return idle_or_ended(); });
  if (failure_) {
    std::exception_ptr failure = failure_;
    failure_ = nullptr;
    std::rethrow_exception(failure);
  }
  if (!idle) throw std::runtime_error("TestHost: the program did not wait for a key within 10 s");
}

void TestHost::run_line(std::string_view line) {
  type_line(line);
  run_until_idle();
}

bool TestHost::ended() const {
  std::lock_guard lock(mutex_);
  return ended_;
}

void TestHost::key_after_statements(long count, int key) {
  std::lock_guard lock(mutex_);
  scheduled_.push_back({statements_ + count, key});
}

void TestHost::bound_statements(long break_every, long close_after) {
  std::lock_guard lock(mutex_);
  break_every_ = break_every;
  close_at_statement_ = statements_ + close_after;
}

void TestHost::press_key(int key) {
  std::lock_guard lock(mutex_);
  pressed_.push_back(key);
  changed_.notify_all();
}

void TestHost::close_window() {
  std::lock_guard lock(mutex_);
  closing_ = true;
  host_.begin_shutdown();
  changed_.notify_all();
}

std::string TestHost::row(int r) const {
  if (r < 1 || r > TextScreen::kRows) throw std::out_of_range("TestHost::row: no such row");
  return row_text(screen().row_cells(r));
}

std::vector<std::string> TestHost::screen_rows() const {
  std::vector<std::string> rows;
  for (int r = 1; r <= TextScreen::kRows; ++r) rows.push_back(row(r));
  return rows;
}

std::vector<std::string> TestHost::transcript() const {
  std::vector<std::string> screen = screen_rows();
  while (!screen.empty() && screen.back().empty()) screen.pop_back();
  std::lock_guard lock(mutex_);
  std::vector<std::string> rows = scrolled_off_;
  rows.insert(rows.end(), screen.begin(), screen.end());
  return rows;
}

int TestHost::cursor_row() const { return screen().cursor_row(); }

int TestHost::cursor_column() const { return screen().cursor_column(); }

long TestHost::statements() const {
  std::lock_guard lock(mutex_);
  return statements_;
}

long TestHost::paused_ms() const {
  std::lock_guard lock(mutex_);
  return paused_ms_;
}

uintptr_t TestHost::wait_stack_address() const {
  std::lock_guard lock(mutex_);
  return wait_stack_address_;
}

void TestHost::wait_for_key(KeyboardRing& ring) {
  std::unique_lock lock(mutex_);
  wait_stack_address_ = reinterpret_cast<uintptr_t>(__builtin_frame_address(0));
  if (typed_.empty() && pressed_.empty() && !closing_) {
    waiting_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return !typed_.empty() || !pressed_.empty() || closing_; });
    waiting_ = false;
  }
  if (closing_) {
    host_.begin_shutdown();
    return;
  }
  if (typed_.empty()) {
    move_pressed_keys(ring);
    return;
  }
  ring.push(typed_.front());  // one key at a time, as a typist would
  typed_.pop_front();
}

void TestHost::wait_started(KeyboardRing&) {
  std::lock_guard lock(mutex_);
  in_wait_ = true;
}

void TestHost::wait_ended(KeyboardRing&) {
  std::lock_guard lock(mutex_);
  in_wait_ = false;
}

void TestHost::statement_event(KeyboardRing& ring) {
  std::lock_guard lock(mutex_);
  if (closing_) throw HostShutdown{};
  if (in_wait_) return;  // an event check inside a wait for the keyboard is no statement
  ++statements_;
  if (close_at_statement_ > 0 && statements_ >= close_at_statement_) {
    closing_ = true;
    host_.begin_shutdown();
    changed_.notify_all();
    throw HostShutdown{};
  }
  if (break_every_ > 0 && statements_ % break_every_ == 0) ring.push(kKeyCtrlC);
  move_pressed_keys(ring);
  for (auto it = scheduled_.begin(); it != scheduled_.end();) {
    if (it->at_statement == statements_) {
      ring.push(it->key);
      it = scheduled_.erase(it);
    } else {
      ++it;
    }
  }
}

int TestHost::pause_ms(int milliseconds) {
  std::lock_guard lock(mutex_);
  paused_ms_ += milliseconds;
  return 0;  // counted, not slept
}

void TestHost::row_scrolled_off(const uint8_t* cells) {
  std::string text = row_text(cells);
  std::lock_guard lock(mutex_);
  scrolled_off_.push_back(std::move(text));
}

const TextScreen& TestHost::screen() const {
  return const_cast<Host&>(host_).screen();  // Host offers no const screen()
}

bool TestHost::idle_or_ended() const {
  // Once the window is closed only the program's end counts.
  return ended_ || (waiting_ && !closing_ && typed_.empty() && pressed_.empty());
}

void TestHost::move_pressed_keys(KeyboardRing& ring) {
  for (int key : pressed_) ring.push(key);
  pressed_.clear();
}

bool TestHost::select_font(std::string_view, int) { return !refuse_fonts_; }
