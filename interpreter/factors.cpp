// Factors: parentheses, constants, variables, SIZE and INCHAR.
#include "interpreter/interpreter.h"

namespace {

// Far above what a 255-character line can nest, far below what the C++ stack can hold:
// the program thread's stack (kProgramStackBytes in platform/core/limits.h) is sized for it.
constexpr int kMaxParenDepth = 1000;

int HexDigit(int c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

void Interpreter::EvalFactor() {
  SkipSpaces();
  const int c = s.cur_char;
  switch (c) {
    case '(':
      s.cur_pos += 1;
      if (++paren_depth > kMaxParenDepth) throw HostError{9};
      EvalRelational();
      --paren_depth;
      if (reference_paths) SkipSpaces();  // the levels leave cur_char past the blanks
      if (s.cur_char != ')') {
        SetErrorIfNone("Missing ')'");
        return;
      }
      s.cur_pos += 1;
      FetchRawChar();
      ApplyFunctionToken();
      return;
    case kEndOfLine:
      SetErrorIfNone("Invalid Factor");
      return;
    case '$':
      EvalHexConstant();
      return;
    case '+':
    case '-':
      PushValue(0);  // the sign is left to the sum level: -5 is 0-5
      return;
    default:
      break;
  }
  if (c >= '0' && c <= '9') {
    ReadNumber();
    PushValue(s.number_value);
    return;
  }
  if (c >= 'a' && c <= 'z' && !reference_paths) {
    // A letter that no other letter follows is a variable, the most common operand: read
    // as ReadWord and VariableIndex would read it, without their general steps.
    const std::string& line = CurrentLine();
    const size_t after = static_cast<size_t>(s.cur_pos);  // index of the next character
    const int next = after < line.size() ? LowerCase(static_cast<unsigned char>(line[after])) : kEndOfLine;
    if (!IsWordChar(next)) {
      s.word.assign(static_cast<char>(c));
      s.cur_pos += 1;
      s.cur_char = next;
      if (!s.error_text.empty()) return;  // after a failure, operands are passed over
      s.var_index = static_cast<int16_t>(c - 70);
      PushValue(s.int_cells[s.var_index]);
      return;
    }
  }
  ReadWord();
  if (!s.error_text.empty()) return;  // after a failure, operands are passed over
  if (s.word.size() == 1) {
    VariableIndex();
    PushValue(s.int_cells[s.var_index]);  // a lone "@" has no cell: host error 9
  } else if (s.word == "size") {
    PushValue(-1);
  } else if (s.word == "inchar") {
    PushValue(static_cast<int16_t>(host.read_keys()));
  } else {
    SetErrorIfNone("Function not expected");
  }
}

// "$" and exactly four hexadecimal digits; decimal digits after them extend the constant.
void Interpreter::EvalHexConstant() {
  uint32_t value = 0;
  int significant_digits = 0;
  for (int i = 0; i < 4; ++i) {
    s.cur_pos += 1;
    FetchChar();
    const int digit = HexDigit(s.cur_char);
    if (digit < 0) Abandon("Illegal Number");
    if (significant_digits > 0 || digit != 0) significant_digits += 1;
    value = (value << 4) | static_cast<uint32_t>(digit);
  }
  s.cur_pos += 1;
  ReadNumberDigits(true, value, significant_digits);
  PushValue(s.number_value);
}
