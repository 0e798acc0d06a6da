// The terminal's bytes as keys: UTF-8 text as code page 437, escape sequences as extended keys.
#pragma once
#include <deque>
#include <string>
#include <string_view>

// Pure logic, fed what read() returned. The keys a sequence names, their modifiers and an
// Escape before a key (Alt) go to the key table of keys.h. Characters outside code page 437
// and sequences it does not know are dropped; a sequence split across reads waits for its rest.
class TerminalKeyDecoder {
 public:
  // Appends the keys whose bytes are complete to `keys`.
  void feed(std::string_view bytes, std::deque<int>& keys);
  // Bytes wait for more: an Escape that may begin a sequence, or part of a character.
  bool waiting() const { return !pending_.empty(); }
  // Nothing more came in time: a waiting Escape is the Escape key (what follows it is typed
  // text) or, with one byte after it that could begin a sequence, Alt with that byte; part of
  // a character is dropped.
  void flush(std::deque<int>& keys);

 private:
  // Decodes one key at the start of `bytes`; the bytes used, 0 when they are incomplete.
  static size_t decode(std::string_view bytes, std::deque<int>& keys);

  std::string pending_;
};
