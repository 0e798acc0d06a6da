// The stream front end: script keys fed where the interpreter waits, rows written as text.
#include "platform/stream/stream_front_end.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/core/cp437.h"
#include "platform/core/host.h"

namespace {

// Set by SIGINT, taken by the next statement's Break poll.
std::atomic<bool> interrupt_pending{false};
static_assert(std::atomic<bool>::is_always_lock_free, "used in a signal handler");

void OnInterrupt(int) {
  if (interrupt_pending.exchange(true)) _exit(130);  // the first one was never taken
}

void CatchInterrupts() {
  struct sigaction action = {};
  action.sa_handler = OnInterrupt;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGINT, &action, nullptr);
}

// The row as UTF-8 glyphs without its trailing blanks.
std::string RowText(const uint8_t* cells) {
  std::string text;
  for (char code : row_text(cells)) append_cp437_as_utf8(text, static_cast<uint8_t>(code));
  return text;
}

}  // namespace

StreamFrontEnd::StreamFrontEnd(int input_fd, std::FILE* output) : script_(input_fd), output_(output) {
  CatchInterrupts();
}

void StreamFrontEnd::wait_for_key(KeyboardRing& ring) {
  const int key = script_.peek();
  if (key == kNoKey) {
    host_->begin_shutdown();  // the script is used up: as when the window is closed
    return;
  }
  script_.take();
  ring.push(key);
}

void StreamFrontEnd::wait_started(KeyboardRing&) {
  in_wait_ = true;
  statements_until_break_ = 0;  // no Break poll took it before this wait
  // Ctrl+C as the first key of a line stands for no running statement.
  while (script_.peek() == kKeyCtrlC) script_.take();
}

void StreamFrontEnd::wait_ended(KeyboardRing&) {
  in_wait_ = false;
  // Only what has arrived counts, so that an interactive pipe is not waited for here.
  if (script_.peek_arrived() == kKeyCtrlC) {
    script_.take();
    statements_until_break_ = 2;
  }
}

void StreamFrontEnd::statement_event(KeyboardRing& ring) {
  if (in_wait_) return;
  if (interrupt_pending.exchange(false)) {
    statements_until_break_ = 0;
    ring.push(kKeyCtrlC);
    return;
  }
  if (statements_until_break_ > 0 && --statements_until_break_ == 0) ring.push(kKeyCtrlC);
}

void StreamFrontEnd::pause_ms(int milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void StreamFrontEnd::row_scrolled_off(const uint8_t* cells) { write_row(cells); }

void StreamFrontEnd::write_final_screen(const TextScreen& screen) {
  int last = TextScreen::kRows;
  while (last > 0 && RowText(screen.row_cells(last)).empty()) --last;
  for (int row = 1; row <= last; ++row) write_row(screen.row_cells(row));
}

void StreamFrontEnd::write_row(const uint8_t* cells) {
  const std::string line = RowText(cells) + "\n";
  std::fwrite(line.data(), 1, line.size(), output_);
  std::fflush(output_);
}
