// Factors: parentheses, constants, variables, SIZE and INCHAR.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

void Interpreter::EvalFactor() {
  SkipSpaces();
  switch (s.cur_char) {
    case '(':
      s.cur_pos += 1;
      if (++paren_depth > kMaxParenDepth) throw HostError{9};
      EvalRelational();
      --paren_depth;
      SkipSpaces();
      if (s.cur_char != ')') {
        SetErrorIfNone("Missing ')'");
        return;
      }
      s.cur_pos += 1;
      FetchChar();
      if (s.cur_char != kEndOfLine) s.cur_char = static_cast<unsigned char>(CurrentLine()[s.cur_pos - 1]);  // as it stands
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
    case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9':
      ReadNumber();
      PushValue(s.number_value);
      return;
    default:
      break;
  }
  ReadWord();
  if (!s.error_text.empty()) return;  // after a failure, operands are passed over
  if (s.word.size() == 1) {
    VariableIndex();
    PushValue(s.int_cells[s.var_index]);  // a lone "@" has no cell: host error 9
  } else if (s.word == "size") {
    PushValue(kSizeValue);
  } else if (s.word == "inchar") {
    PushValue(static_cast<int16_t>(host.read_keys()));
  } else {
    SetErrorIfNone("Function not expected");
  }
}

// "$" and exactly four hexadecimal digits; decimal digits after them extend the constant.
void Interpreter::EvalHexConstant() {
  DigitRun digits;
  if (!ReadHexDigits(CurrentLine(), static_cast<size_t>(s.cur_pos - 1), digits)) Abandon("Illegal Number");
  s.cur_pos += kHexDigits + 1;
  ReadNumberDigits(true, digits);
  PushValue(s.number_value);
}
