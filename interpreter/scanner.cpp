// The scanner: characters, words and numbers of the current line.
#include "interpreter/interpreter.h"

// Takes hold of the text of cur_slot; a slot outside the store is host error 9.
void Interpreter::FollowSlot() {
  followed_line = &s.program_lines[s.cur_slot];
  followed_slot = s.cur_slot;
}

// As FetchChar, but the character as it stands (after a closing parenthesis).
void Interpreter::FetchRawChar() {
  FetchChar();
  if (s.cur_char != kEndOfLine) s.cur_char = static_cast<unsigned char>(CurrentLine()[s.cur_pos - 1]);
}

void Interpreter::SkipSpacesByChar() {
  FetchChar();
  while (s.cur_char == ' ') {
    s.cur_pos += 1;
    FetchChar();
  }
}

// From a blank at cur_pos to the first character that is none.
void Interpreter::SkipBlankRun() {
  const std::string& line = CurrentLine();
  uint32_t index = static_cast<uint32_t>(s.cur_pos - 1);
  while (index < line.size() && line[index] == ' ') ++index;
  s.cur_pos = static_cast<int32_t>(index + 1);
  s.cur_char = index < line.size() ? LowerCase(static_cast<unsigned char>(line[index])) : kEndOfLine;
}

void Interpreter::SetErrorIfNone(const char* message) {
  if (s.error_text.empty()) s.error_text = message;
}

void Interpreter::Abandon(const char* message) {
  s.error_text = message;
  throw StatementAbandoned{};
}

// The blanks and the run of letters and "@" are read straight from the line, in one pass.
// The text's terminating NUL is no blank and no letter, so the runs stop at the end unchecked.
void Interpreter::ReadWord() {
  if (reference_paths) return ReadWordByChar();
  const std::string& line = CurrentLine();
  const auto* text = reinterpret_cast<const unsigned char*>(line.c_str());
  const size_t size = line.size();
  size_t index = static_cast<uint32_t>(s.cur_pos - 1);  // below 1: past any end
  s.word.clear();
  if (index < size) {
    while (text[index] == ' ') ++index;
    if (const size_t letters = s.word.read_run(text + index); letters != 0) {
      index += letters;
      s.cur_pos = static_cast<int32_t>(index + 1);
      s.cur_char = index < size ? LowerCase(text[index]) : kEndOfLine;
      return;
    }
  }
  s.cur_pos = static_cast<int32_t>(index + 1);
  s.cur_char = index < size ? LowerCase(text[index]) : kEndOfLine;
  SetErrorIfNone("Invalid label");
}

void Interpreter::ReadWordByChar() {
  SkipSpaces();
  s.word.clear();
  if (!IsWordChar(s.cur_char)) {
    SetErrorIfNone("Invalid label");
    return;
  }
  do {
    s.word.push_back(static_cast<char>(s.cur_char));
    s.cur_pos += 1;
    FetchChar();
  } while (IsWordChar(s.cur_char));
}

void Interpreter::ReadVariableWord() {
  ReadWord();
  if (!s.error_text.empty()) return;
  VariableIndex();
}

void Interpreter::ReadNumber() {
  SkipSpaces();
  if (reference_paths) return ReadNumberDigits(false, 0, 0);
  // The digits straight from the line, as ReadNumberDigits reads them.
  const std::string& line = CurrentLine();
  uint32_t index = static_cast<uint32_t>(s.cur_pos - 1);
  uint32_t value = 0;
  while (index < line.size() && line[index] >= '0' && line[index] <= '9') {
    value = (value * 10 + static_cast<uint32_t>(line[index] - '0')) & 0xFFFF;
    index += 1;
  }
  s.cur_pos = static_cast<int32_t>(index + 1);
  FetchChar();
  if (s.cur_char == '.') Abandon("Illegal number");
  s.number_value = WrapToInt16(static_cast<int32_t>(value));
}

// Appends the decimal digits at cur_pos to a number begun by the caller (nothing, or the
// four digits of a hexadecimal constant) and converts it modulo 65536. The value is kept
// reduced as it grows, which is exact however many digits follow.
void Interpreter::ReadNumberDigits(bool hexadecimal, uint32_t value, int significant_digits) {
  for (;;) {
    FetchChar();
    if (s.cur_char == '.') Abandon("Illegal number");
    if (s.cur_char < '0' || s.cur_char > '9') break;
    const uint32_t digit = static_cast<uint32_t>(s.cur_char - '0');
    if (hexadecimal) {
      if (significant_digits > 0 || digit != 0) significant_digits += 1;
      value = ((value << 4) | digit) & 0xFFFF;
    } else {
      value = (value * 10 + digit) & 0xFFFF;
    }
    s.cur_pos += 1;
  }
  if (hexadecimal && significant_digits > 16) throw HostError{6};
  s.number_value = WrapToInt16(static_cast<int32_t>(value));
}

