// The scanner: characters, words and numbers of the current line.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

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

// A step that failed has stored its message; the statement ends with it.
void Interpreter::AbandonOnError() {
  if (!s.error_text.empty()) throw StatementAbandoned{};
}

void Interpreter::ReadWord() {
  SkipSpaces();
  s.word.clear();
  if (!IsWordChar(s.cur_char)) {
    SetErrorIfNone("Invalid label");
    return;
  }
  s.cur_pos += static_cast<int32_t>(s.word.read_run(CurrentLine(), static_cast<size_t>(s.cur_pos - 1)));
  FetchChar();
}

void Interpreter::ReadVariableWord() {
  ReadWord();
  if (!s.error_text.empty()) return;
  VariableIndex();
}

void Interpreter::VariableIndex() {
  const int first = s.word.empty() ? 0 : static_cast<unsigned char>(s.word.front());
  if ((s.word.size() == 1 && first >= 'a' && first <= 'z') || first == '@') {
    s.var_index = static_cast<int16_t>(first - kLetterToCell);
  } else {
    SetErrorIfNone("Variable expected");
  }
}

void Interpreter::ReadNumber() {
  SkipSpaces();
  ReadNumberDigits(false, DigitRun{});
}

// Appends the decimal digits at cur_pos to a number begun by the caller (nothing, or the four
// digits of a hexadecimal constant) and converts it modulo 65536.
void Interpreter::ReadNumberDigits(bool hexadecimal, DigitRun begun) {
  s.cur_pos = static_cast<int32_t>(ReadDigits(CurrentLine(), static_cast<size_t>(s.cur_pos - 1), begun, hexadecimal)) + 1;
  FetchChar();
  if (s.cur_char == '.') Abandon("Illegal number");
  if (begun.significant > kMostHexDigits) throw HostError{6};
  s.number_value = WrapToInt16(static_cast<int32_t>(begun.value));
}

// SkipSpaces, then `c` is consumed, or the statement ends with `message`.
void Interpreter::Expect(char c, const char* message) {
  SkipSpaces();
  if (s.cur_char != c) Abandon(message);
  s.cur_pos += 1;
}

// The next word must be `expected`: a failed ReadWord ends the statement with its own
// message, another word with `message`.
void Interpreter::ExpectWord(std::string_view expected, const char* message) {
  ReadWord();
  AbandonOnError();
  if (!s.word.Is(expected)) Abandon(message);
}

// The variable that a statement names (FOR, NEXT, INPUT): its cell, or the statement ends.
int16_t Interpreter::ReadTargetVariable() {
  ReadVariableWord();
  AbandonOnError();
  return s.var_index;
}

void Interpreter::SkipRestOfLine() { s.cur_pos = static_cast<int32_t>(CurrentLine().size()) + 1; }
