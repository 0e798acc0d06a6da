// The host runtime's own services: keyboard waits, the line editor, the program's end.
#include "platform/core/host.h"

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "platform/core/dir_listing.h"

namespace {
constexpr size_t kMaxLineLength = kMaxInputLine;
constexpr std::string_view kSeedPrompt = "Random-number seed (-32768 to 32767)? ";

// Keys that would move the cursor or clear the screen: the line editor drops them.
bool ignored_by_editor(int key) {
  return key >= kExtendedKey || key == 10 || key == 11 || key == 12 || (key >= 28 && key <= 31);
}
}  // namespace

Host::Host(Console& console, FrontEnd& front_end, std::string command_line_text)
    : console_(console),
      front_end_(front_end), command_line_(std::move(command_line_text)), screen_(*this), memory_(screen_) {}

void Host::set_window_title(std::string_view title) {
  title_ = title;
  console_.set_title(title_);
  front_end_.title_changed(title_);
}

std::string Host::environment_variable(std::string_view name) const {
  const char* value = std::getenv(std::string(name).c_str());
  return value == nullptr ? std::string{} : std::string(value);
}

int32_t Host::load_font(std::string_view file, int height, std::string_view options) {
  return fonts_.load_font(file, height, options, front_end_.draws_glyphs());
}

// A font the front end cannot draw is refused there, and the font in use stays.
void Host::set_font(int32_t handle) {
  const LoadedFont& font = fonts_.font(handle);
  if (!front_end_.select_font(font.path, font.height)) throw HostError{258};
  fonts_.set_font(handle);
  console_.set_font(font.path, font.height, font.bold);
}

// Template text before the field is copied; a template without a "#" field raises 5.
int Host::print_using_integer(std::string_view template_text, int64_t value, int start, std::string& out) {
  size_t pos = start > 0 ? static_cast<size_t>(start) : 0;
  while (pos < template_text.size() && template_text[pos] != '#') out += template_text[pos++];
  size_t width = 0;
  for (; pos < template_text.size() && template_text[pos] == '#'; ++pos) ++width;
  if (width == 0) throw HostError{5};

  char digits[24];
  size_t length = static_cast<size_t>(std::snprintf(digits, sizeof digits, "%lld", static_cast<long long>(value)));
  if (length <= width) out.append(width - length, ' ');
  else out += '%';  // too wide: the whole number, marked
  out.append(digits, length);
  return pos >= template_text.size() ? 0 : static_cast<int>(pos);
}

int Host::take_key() {
  int key = console_.keyboard().pop();
  if (key != kNoKey && pause_waiting_) {
    pause_waiting_ = false;
    end_key_wait();
  }
  return key;
}

int Host::read_keys() {
  begin_key_wait();
  if (!wait_for_key()) halt_forever();
  int key = console_.keyboard().pop();
  end_key_wait();
  return key >= kExtendedKey ? 0 : key;  // the scan code of an extended key is dropped
}

void Host::input_line(std::string& target, bool line_end) {
  begin_key_wait();
  std::string text;
  text.reserve(kMaxLineLength);
  for (;;) {
    if (!wait_for_key()) halt_forever();  // the target stays as it was
    int key = console_.keyboard().pop();
    if (key == kKeyEnter) break;
    edit_line(text, key);
  }
  target = std::move(text);
  if (line_end) screen_.print_string("", true);
  end_key_wait();
}

void Host::begin_key_wait() {
  in_key_wait_ = true;
  console_.publish(screen_, true);  // a scripted front end may wait for its input right here
  front_end_.wait_started(console_.keyboard());
}

void Host::end_key_wait() {
  in_key_wait_ = false;
  front_end_.wait_ended(console_.keyboard());
}

void Host::bell() {
  console_.publish(screen_, in_key_wait_);
  const int milliseconds = front_end_.pause_ms(kBellPauseMs);
  if (milliseconds > 0) console_.pause(milliseconds);
}

void Host::edit_line(std::string& text, int key) {
  if (ignored_by_editor(key)) return;
  switch (key) {
    case kKeyBackspace:
      if (!text.empty()) {
        text.pop_back();
        screen_.erase_last_glyph();
      }
      break;
    case kKeyTab:
      do {
        if (text.size() >= kMaxLineLength) break;
        text += ' ';
        screen_.put_glyph(' ');
      } while (text.size() % 8 != 0);
      break;
    case kKeyBell: bell(); break;
    default:
      if (text.size() < kMaxLineLength) {
        text += static_cast<char>(key);
        screen_.put_glyph(static_cast<uint8_t>(key));
      }
  }
}

void Host::key_wait_event() {
  if (stop_flag()) halt_forever();
  if (!pause_waiting_) {
    pause_waiting_ = true;
    begin_key_wait();
  }
  // One pass of wait_for_key: the caller's inkey takes the key.
  if (console_.keyboard().empty()) {
    console_.publish(screen_, true);
    front_end_.wait_for_key(console_.keyboard());
    if (console_.keyboard().empty() && !stop_flag()) console_.wait_for_key(kKeyPollMs);
  }
  if (stop_flag()) halt_forever();
}

void Host::halt_forever() {
  begin_shutdown();
  throw HostShutdown{};
}

void Host::end_program() {
  try {
    file_.close();
  } catch (const HostError&) {
    // The program is ending: a file that fails to close has nobody left to tell.
  }
  screen_.set_view(TextScreen::kRows, TextScreen::kRows);
  screen_.print_string("", true);
  screen_.print_string("Press any key to continue", false);
  console_.keyboard().clear();
  begin_key_wait();
  if (!wait_for_key()) halt_forever();
  console_.keyboard().pop();
  end_key_wait();
  halt_forever();
}

void Host::program_ended() {
  console_.publish(screen_, false);
  front_end_.program_ended();
  console_.mark_program_ended();
}

void Host::randomize() {
  print_fit(kSeedPrompt);
  print_string(kSeedPrompt, false);
  std::string answer;
  input_line(answer, true);
  uint16_t seed = 0;
  try {
    seed = static_cast<uint16_t>(round_to_int64(string_to_number(answer)));  // modulo 65536
  } catch (const HostError&) {
    seed = 0;  // an overlong hexadecimal answer counts as 0
  }
  random_.reseed(static_cast<int16_t>(seed));
}

// The listing is ours to make, so it never needs the disk: a read-only folder lists as any
// other, a link or a file of the user's named like the listing is never touched, and the
// listing does not count itself. Any other command is refused, unreported as a shell's own
// failure would be.
void Host::shell_command(std::string_view command) {
  if (std::optional<std::string_view> pattern = listing_command_pattern(command)) {
    file_.keep_in_memory(kListingFileName, wide_listing(*pattern));
  }
}

void Host::delete_file(std::string_view name) {
  if (!file_.drop_from_memory(name)) ::delete_file(name);
}

bool Host::wait_for_key() {
  for (;;) {
    if (stop_flag()) return false;
    if (!console_.keyboard().empty()) return true;
    console_.publish(screen_, true);
    front_end_.wait_for_key(console_.keyboard());  // a scripted front end hands over its next key
    if (console_.keyboard().empty() && !stop_flag()) console_.wait_for_key(kKeyPollMs);
  }
}

void Host::service_events() {
  const uint32_t pending = console_.pending();
  if (pending & Console::kClose) {
    console_.publish(screen_, false);
    throw HostShutdown{};
  }
  if ((pending & Console::kFrameWanted) && !console_.publish(screen_, false)) {
    // Nothing new: the request is remembered here, off the event check's fast path.
    console_.clear_pending(Console::kFrameWanted);
    frame_owed_ = true;
  }
  if (pending & Console::kPause) {
    // The next key ends the pause and is swallowed, as the Pause key's own release would be.
    console_.publish(screen_, false);
    while (console_.keyboard().pop() == kNoKey) {
      if (stop_flag()) throw HostShutdown{};
      console_.wait_for_key(kKeyPollMs);
    }
    console_.clear_pending(Console::kPause);
  }
  if (pending & Console::kKeyPump) front_end_.statement_event(console_.keyboard());
}
