// The scanner: characters, words and numbers of the current line.
#include "interpreter/interpreter.h"

namespace {

bool IsWordChar(int c) { return (c >= 'a' && c <= 'z') || c == '@'; }

}  // namespace

std::string& Interpreter::CurrentLine() { return s.program_lines[s.cur_slot]; }

void Interpreter::FetchChar() {
  const std::string& line = s.program_lines[s.cur_slot];
  s.line_copy = line;
  if (s.cur_pos < 1 || s.cur_pos > static_cast<int32_t>(line.size())) {
    s.cur_char = kEndOfLine;
  } else {
    s.cur_char = LowerCase(static_cast<unsigned char>(line[s.cur_pos - 1]));
  }
}

// As FetchChar, but the character as it stands (after a closing parenthesis).
void Interpreter::FetchRawChar() {
  FetchChar();
  if (s.cur_char != kEndOfLine) s.cur_char = static_cast<unsigned char>(s.line_copy[s.cur_pos - 1]);
}

void Interpreter::SkipSpaces() {
  FetchChar();
  while (s.cur_char == ' ') {
    s.cur_pos += 1;
    FetchChar();
  }
}

void Interpreter::SetErrorIfNone(const char* message) {
  if (s.error_text.empty()) s.error_text = message;
}

void Interpreter::Abandon(const char* message) {
  s.error_text = message;
  throw StatementAbandoned{};
}

void Interpreter::ReadWord() {
  SkipSpaces();
  s.word.clear();
  if (!IsWordChar(s.cur_char)) {
    SetErrorIfNone("Invalid label");
    return;
  }
  do {
    s.word += static_cast<char>(s.cur_char);
    s.cur_pos += 1;
    FetchChar();
  } while (IsWordChar(s.cur_char));
}

void Interpreter::ReadVariableWord() {
  ReadWord();
  if (!s.error_text.empty()) return;
  VariableIndex();
}

void Interpreter::VariableIndex() {
  const int first = s.word.empty() ? 0 : static_cast<unsigned char>(s.word[0]);
  if ((s.word.size() == 1 && first >= 'a' && first <= 'z') || first == '@') {
    s.var_index = static_cast<int16_t>(first - 70);
  } else {
    SetErrorIfNone("Variable expected");
  }
}

void Interpreter::ReadNumber() {
  SkipSpaces();
  ReadNumberDigits(false, 0, 0);
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

int16_t WrapToInt16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }
