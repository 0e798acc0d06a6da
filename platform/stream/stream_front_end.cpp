// The stream front end: script keys fed where the interpreter waits, rows written as text.
#include "platform/stream/stream_front_end.h"

#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

#include "platform/core/cp437.h"
#include "platform/core/file_one.h"
#include "platform/core/signal_events.h"
#include "platform/core/text_screen.h"

namespace {

constexpr int kRowBytes = kScreenColumns * 2;

bool IsBlankCell(uint8_t code) { return code == 0 || code == ' '; }

// Appends the row as UTF-8 glyphs without its trailing blanks (code 0 shows as a blank).
void AppendRowText(std::string& out, const uint8_t* cells) {
  int end = kScreenColumns;
  while (end > 0 && IsBlankCell(cells[(end - 1) * 2])) --end;
  for (int column = 0; column < end; ++column) {
    const uint8_t code = cells[column * 2];
    if (code >= ' ' && code < 0x7F) out += static_cast<char>(code);  // the same in UTF-8
    else append_cp437_as_utf8(out, code == 0 ? ' ' : code);
  }
}

bool RowIsBlank(const uint8_t* cells) {
  for (int column = 0; column < kScreenColumns; ++column) {
    if (!IsBlankCell(cells[column * 2])) return false;
  }
  return true;
}

}  // namespace

StreamFrontEnd::StreamFrontEnd(Console& console, int input_fd, std::FILE* output, SignalEvents* signals)
    : console_(console),
      script_(input_fd, [&console] { return console.close_requested(); }),
      output_(output),
      signals_(signals) {
  line_.reserve(kScreenColumns * 3 + 1);  // the widest glyph takes 3 bytes
}

void StreamFrontEnd::run() {
  while (!console_.program_ended()) {
    pollfd watched[2] = {{console_.display_fd(), POLLIN, 0}, {signals_ ? signals_->fd() : -1, POLLIN, 0}};
    poll(watched, 2, -1);
    console_.drain_display_fd();
    while (const int signal = signals_ ? signals_->take() : 0) {
      switch (signal) {
        case SIGINT: interrupt(); break;
        case SIGTERM:
        case SIGHUP: console_.request_close(); break;  // as a closed window: status 0
        case SIGQUIT:
          flush();  // the rows written so far, before the process dies of it
          signals_->die(SIGQUIT);  // which removes a SAVE's temporary file first
        default: break;
      }
    }
  }
  ScreenSnapshot last;
  console_.take_snapshot(last);
  write_final_screen(last);
  if (const int error = output_error(); error != 0) {
    std::fprintf(stderr, "kelo-basic: cannot write the output: %s\n", std::strerror(error));
  }
}

int StreamFrontEnd::failure_status() const { return output_error() != 0 ? 1 : 0; }

void StreamFrontEnd::interrupt() {
  if (interrupt_pending_.exchange(true)) {
    // The first one was never taken: the user means it. Show what the screen shows, and go.
    ScreenSnapshot last;
    console_.take_snapshot(last);
    write_final_screen(last);
    remove_pending_temporary_file();  // a SAVE under way leaves nothing behind
    _exit(130);
  }
  console_.set_key_pump(true);
}

void StreamFrontEnd::wait_for_key(KeyboardRing& ring) {
  flush();  // whoever types sees what came before the wait
  const int key = script_.peek();
  if (key == kNoKey) {
    console_.request_close();  // the script is used up (or a close came): as when the window is closed
    return;
  }
  script_.take();
  ring.push(key);
}

void StreamFrontEnd::wait_started(KeyboardRing&) {
  in_wait_ = true;
  statements_until_break_ = 0;  // no Break poll took it before this wait
  interrupt_pending_.store(false);
  update_key_pump();
  flush();  // whoever types sees what came before the wait
  // Ctrl+C as the first key of a line stands for no running statement.
  while (script_.peek() == kKeyCtrlC) script_.take();
}

void StreamFrontEnd::wait_ended(KeyboardRing&) {
  in_wait_ = false;
  interrupt_pending_.store(false);  // pressed at a prompt, it breaks nothing typed there
  // Only what has arrived counts, so that an interactive pipe is not waited for here.
  if (script_.peek_arrived() == kKeyCtrlC) {
    script_.take();
    statements_until_break_ = 2;
  }
  update_key_pump();
}

void StreamFrontEnd::statement_event(KeyboardRing& ring) {
  if (in_wait_) return;
  if (interrupt_pending_.exchange(false)) {
    statements_until_break_ = 0;
    ring.push(kKeyCtrlC);
  } else if (statements_until_break_ > 0 && --statements_until_break_ == 0) {
    ring.push(kKeyCtrlC);
  }
  update_key_pump();
}

void StreamFrontEnd::update_key_pump() {
  if (statements_until_break_ > 0) return console_.set_key_pump(true);
  console_.set_key_pump(false);
  // A SIGINT that came meanwhile turned it on before we turned it off: on again.
  if (interrupt_pending_.load()) console_.set_key_pump(true);
}

int StreamFrontEnd::pause_ms(int milliseconds) {
  flush();  // the bell's pause shows what came before it
  return milliseconds;
}

void StreamFrontEnd::row_scrolled_off(const uint8_t* cells) { write_row(cells); }

void StreamFrontEnd::write_final_screen(const TextScreen& screen) { write_screen(screen.cells().data()); }

void StreamFrontEnd::write_final_screen(const ScreenSnapshot& screen) { write_screen(screen.cells.data()); }

void StreamFrontEnd::write_screen(const uint8_t* cells) {
  int last = kScreenRows;
  while (last > 0 && RowIsBlank(cells + (last - 1) * kRowBytes)) --last;
  for (int row = 1; row <= last; ++row) write_row(cells + (row - 1) * kRowBytes);
  flush();
}

void StreamFrontEnd::write_row(const uint8_t* cells) {
  std::lock_guard lock(output_mutex_);
  if (output_error_ != 0) return;
  line_.clear();
  AppendRowText(line_, cells);
  line_ += '\n';
  if (std::fwrite(line_.data(), 1, line_.size(), output_) != line_.size()) output_failed();
}

void StreamFrontEnd::flush() {
  std::lock_guard lock(output_mutex_);
  if (output_error_ == 0 && std::fflush(output_) != 0) output_failed();
}

void StreamFrontEnd::output_failed() {
  output_error_ = errno != 0 ? errno : EIO;
  console_.request_close();  // nobody sees the session any more: it ends as a closed window would
}

int StreamFrontEnd::output_error() const {
  std::lock_guard lock(output_mutex_);
  return output_error_;
}
