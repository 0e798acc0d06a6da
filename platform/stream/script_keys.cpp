// Decoding a script's UTF-8 bytes into code page 437 keys.
#include "platform/stream/script_keys.h"

#include <poll.h>
#include <unistd.h>

#include <cerrno>

#include "platform/core/cp437.h"

namespace {


bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

}  // namespace

void ScriptKeyDecoder::feed(std::string_view bytes) {
  pending_ += bytes;
  decode();
}

void ScriptKeyDecoder::finish() {
  finished_ = true;
  decode();
  pending_.clear();
}

void ScriptKeyDecoder::decode() {
  size_t at = 0;
  while (at < pending_.size()) {
    const unsigned char lead = static_cast<unsigned char>(pending_[at]);
    size_t length = 0;
    char32_t code_point = 0;
    char32_t smallest = 0;  // below it the sequence is an overlong form
    if (lead < 0x80) {
      length = 1;
      code_point = lead;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
      code_point = lead & 0x1F;
      smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      code_point = lead & 0x0F;
      smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      code_point = lead & 0x07;
      smallest = 0x10000;
    } else {
      ++at;  // a byte that cannot start a character
      continue;
    }
    size_t taken = 1;
    while (taken < length && at + taken < pending_.size() &&
           IsContinuation(static_cast<unsigned char>(pending_[at + taken]))) {
      code_point = (code_point << 6) | (pending_[at + taken] & 0x3F);
      ++taken;
    }
    if (taken < length) {
      if (at + taken == pending_.size() && !finished_) break;  // the rest has not arrived yet
      at += taken;  // a broken sequence; decoding resumes at the byte that broke it
      continue;
    }
    at += length;
    const bool surrogate = code_point >= 0xD800 && code_point <= 0xDFFF;
    if (code_point < smallest || surrogate || code_point > 0x10FFFF) continue;
    add_character(code_point);
  }
  pending_.erase(0, at);
}

void ScriptKeyDecoder::add_character(char32_t code_point) {
  const bool lf_after_cr = code_point == U'\n' && after_cr_;
  after_cr_ = code_point == U'\r';
  if (lf_after_cr) return;
  if (code_point == U'\n' || code_point == U'\r') {
    keys_.push_back(kKeyEnter);
    return;
  }
  const int code = cp437_from_unicode(code_point);
  if (code > 0) keys_.push_back(code);  // U+0000 and characters without a code are dropped
}

int ScriptInput::peek() {
  while (!decoder_.has_key() && read_some(true)) {
  }
  return decoder_.has_key() ? decoder_.next_key() : kNoKey;
}

int ScriptInput::peek_arrived() {
  while (!decoder_.has_key() && read_some(false)) {
  }
  return decoder_.has_key() ? decoder_.next_key() : kNoKey;
}

bool ScriptInput::read_some(bool wait) {
  if (ended_) return false;
  // Waits in steps, so that a close request ends the wait.
  for (;;) {
    pollfd ready{fd_, POLLIN, 0};
    const int found = poll(&ready, 1, wait ? kKeyPollMs : 0);
    if (found > 0) break;
    if (found < 0 && errno != EINTR) break;  // let read report it
    if (!wait || (give_up_ && give_up_())) return false;
  }
  char buffer[4096];
  ssize_t count;
  do {
    count = read(fd_, buffer, sizeof buffer);
  } while (count < 0 && errno == EINTR);  // a SIGINT while waiting for the script
  if (count <= 0) {
    ended_ = true;
    decoder_.finish();
  } else {
    decoder_.feed(std::string_view(buffer, static_cast<size_t>(count)));
  }
  return true;
}
