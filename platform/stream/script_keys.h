// The keys of a script: UTF-8 text, as it arrives, turned into code page 437 keys.
#pragma once
#include <deque>
#include <functional>
#include <string>
#include <string_view>

#include "platform/core/keyboard.h"

// Each character is one key, its code page 437 code. LF, CR and CR LF are each one Enter
// (13). Characters outside code page 437, U+0000 and malformed UTF-8 are dropped.
class ScriptKeyDecoder {
 public:
  // Decodes every character whose bytes are complete; an unfinished one waits for more.
  void feed(std::string_view bytes);
  // The input has ended: an unfinished character is dropped.
  void finish();

  bool has_key() const { return !keys_.empty(); }
  int next_key() const { return keys_.front(); }
  void drop_key() { keys_.pop_front(); }

 private:
  void decode();
  void add_character(char32_t code_point);

  std::string pending_;  // bytes not decoded yet
  bool finished_ = false;
  bool after_cr_ = false;  // the LF of a CR LF pair adds no second Enter
  std::deque<int> keys_;
};

// A script read from a file descriptor with read(2), so that it also works interactively
// through a pipe: bytes are read only when a key is wanted.
class ScriptInput {
 public:
  // `give_up`, when given, is asked between polls of a wait: true ends the wait with no key.
  explicit ScriptInput(int fd, std::function<bool()> give_up = {}) : fd_(fd), give_up_(std::move(give_up)) {}
  // The next key, waiting for input when needed; kNoKey once the script is used up (or the
  // wait was given up).
  int peek();
  // The next key when its bytes have arrived already, else kNoKey. Never waits.
  int peek_arrived();
  // Drops the key that peek or peek_arrived returned.
  void take() { decoder_.drop_key(); }

 private:
  // Reads what is there (waiting for it when asked to); false when nothing came.
  bool read_some(bool wait);

  int fd_;
  std::function<bool()> give_up_;
  ScriptKeyDecoder decoder_;
  bool ended_ = false;
};
