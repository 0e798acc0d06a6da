// A text read in place of the current line: INPUT's answer, or a part of an @() assignment.
#pragma once
#include <string_view>

#include "interpreter/interpreter.h"

// The scanner reads the text put here instead of the current line until the guard goes, on
// every way out, exceptions included. Then the line is read again at saved_cur_pos, and a
// rewrite of the text's function names is dropped: it is never read in place of the line.
class TextInPlace {
 public:
  explicit TextInPlace(Interpreter& interpreter) : interpreter_(interpreter) {}
  ~TextInPlace() {
    interpreter_.text_in_place.reset();
    interpreter_.s.translated_flag = 0;
    interpreter_.s.cur_pos = interpreter_.s.saved_cur_pos;
  }
  TextInPlace(const TextInPlace&) = delete;
  TextInPlace& operator=(const TextInPlace&) = delete;

  // From now on the scanner reads `text` from its first character, rewritten afresh.
  void Put(std::string_view text) {
    interpreter_.s.translated_flag = 0;
    interpreter_.text_in_place = text;
    interpreter_.s.cur_pos = 1;
  }

 private:
  Interpreter& interpreter_;
};
