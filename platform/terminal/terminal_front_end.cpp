// The terminal front end: one poll loop on the main thread for keys, signals and frames.
#include "platform/terminal/terminal_front_end.h"

#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <optional>
#include <system_error>

#include "platform/core/limits.h"
#include "platform/core/signal_events.h"
#include "platform/core/start_up.h"
#include "platform/terminal/terminal_mode.h"

namespace {

using namespace std::chrono_literals;
constexpr auto kFrameInterval = 16ms;  // at most about 60 frames a second
constexpr auto kEscapeWait = 30ms;     // an Escape with nothing after it this long is the Escape key

}  // namespace

TerminalFrontEnd::TerminalFrontEnd(Console& console, int input_fd, int output_fd, SignalEvents* signals)
    : console_(console), input_fd_(input_fd), output_fd_(output_fd), signals_(signals) {}

void TerminalFrontEnd::run() {
  std::optional<TerminalMode> taken;
  try {
    taken.emplace(input_fd_, output_fd_);
  } catch (const std::system_error& refusal) {
    report_start_failure(refusal);
    failed_ = true;
    console_.request_close();  // the program ends at its next event check or wait
    return;
  }
  TerminalMode& mode = *taken;
  console_.take_snapshot(snapshot_);  // asks for the first frame
  while (!console_.program_ended()) {
    pollfd watched[3] = {
        {hung_up_ || !keys_.empty() ? -1 : input_fd_, POLLIN, 0},  // keys wait in the terminal while the ring is full
        {console_.display_fd(), POLLIN, 0},
        {signals_ != nullptr ? signals_->fd() : -1, POLLIN, 0},
    };
    poll(watched, 3, timeout_ms(Clock::now()));
    if (watched[0].revents != 0) read_keys();
    if (watched[1].revents != 0) {
      console_.drain_display_fd();
      dirty_ = true;
    }
    if (watched[2].revents != 0) answer_signals(mode);
    if (decoder_.waiting() && Clock::now() >= escape_deadline_) decoder_.flush(keys_);
    hand_over_keys();
    if (dirty_ && Clock::now() >= next_frame_) draw();
  }
}

void TerminalFrontEnd::read_keys() {
  char buffer[256];
  const ssize_t count = read(input_fd_, buffer, sizeof buffer);
  if (count < 0 && (errno == EINTR || errno == EAGAIN)) return;
  if (count <= 0) {
    hang_up();
    return;
  }
  decoder_.feed(std::string_view(buffer, static_cast<size_t>(count)), keys_);
  if (decoder_.waiting()) escape_deadline_ = Clock::now() + kEscapeWait;
}

void TerminalFrontEnd::hang_up() {
  hung_up_ = true;
  console_.request_close();  // as a closed window: status 0
}

void TerminalFrontEnd::hand_over_keys() {
  while (!keys_.empty() && !console_.keyboard_full()) {
    console_.push_key(keys_.front());
    keys_.pop_front();
  }
}

void TerminalFrontEnd::answer_signals(TerminalMode& mode) {
  while (const int signal = signals_->take()) {
    switch (signal) {
      case SIGTERM:
      case SIGHUP: console_.request_close(); break;  // the program ends at its next event check or wait, status 0
      case SIGINT: keys_.push_back(kKeyCtrlC); break;
      case SIGQUIT:
        mode.restore();
        signals_->die(SIGQUIT);  // which removes a SAVE's temporary file first
      case SIGCONT:
        mode.reenter();
        painter_.forget();
        dirty_ = true;
        break;
      case SIGWINCH:
        columns_ = 0;  // measured again at the next frame
        painter_.forget();
        dirty_ = true;
        break;
      default: break;
    }
  }
}

void TerminalFrontEnd::draw() {
  dirty_ = false;
  if (hung_up_) return;  // nobody to show it to
  next_frame_ = Clock::now() + kFrameInterval;
  std::string out;
  if (columns_ == 0) {
    winsize size{};
    if (ioctl(output_fd_, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) {
      columns_ = size.ws_col;
      rows_ = size.ws_row;
    } else {
      columns_ = kScreenColumns;  // not told: assume it fits
      rows_ = kScreenRows;
    }
    too_small_ = columns_ < kScreenColumns || rows_ < kScreenRows;
    if (too_small_) painter_.too_small(columns_, rows_, out);
    painter_.set_notice(rows_ > kScreenRows ? std::string_view(notice_).substr(0, columns_) : std::string_view());
  }
  std::string title;
  if (console_.take_title(title, title_seen_)) ScreenPainter::title(title, out);
  console_.take_snapshot(snapshot_);  // the newest, and a request for the next
  if (!too_small_) painter_.paint(snapshot_, out);
  write_out(out);
}

void TerminalFrontEnd::write_out(const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = write(output_fd_, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      // A terminal left non-blocking by another program: wait as a blocking write would.
      pollfd ready{output_fd_, POLLOUT, 0};
      poll(&ready, 1, -1);
      continue;
    }
    if (written <= 0) {
      hang_up();  // a terminal that takes no more output is gone
      return;
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
}

int TerminalFrontEnd::timeout_ms(Clock::time_point now) const {
  auto wait = Clock::duration::max();
  if (dirty_) wait = std::min(wait, next_frame_ - now);
  if (decoder_.waiting()) wait = std::min(wait, escape_deadline_ - now);
  if (!keys_.empty()) wait = std::min<Clock::duration>(wait, std::chrono::milliseconds(kKeyPollMs));
  if (wait == Clock::duration::max()) return -1;
  return static_cast<int>(std::max<long>(0, std::chrono::ceil<std::chrono::milliseconds>(wait).count()));
}
