// The expression evaluator: comparisons, sums and products of 16-bit integers on the value stack.
#include "interpreter/interpreter.h"

#include <array>

namespace {

enum Operator { kLessEqual = 256, kGreaterEqual, kNotEqual };

inline int16_t Apply(int op, int32_t a, int32_t b) {
  switch (op) {
    case '+': return WrapToInt16(a + b);
    case '-': return WrapToInt16(a - b);
    case '*': return WrapToInt16(a * b);
    case '/': return WrapToInt16(a / b);  // toward zero; -32768 / -1 wraps to -32768
    case '%': return WrapToInt16(a % b);  // sign of the dividend
    case '=': return a == b ? -1 : 0;
    case '<': return a < b ? -1 : 0;
    case '>': return a > b ? -1 : 0;
    case kLessEqual: return a <= b ? -1 : 0;
    case kGreaterEqual: return a >= b ? -1 : 0;
    case kNotEqual: return a != b ? -1 : 0;
  }
  return 0;
}

// The level of a binary operator: products bind tightest, comparisons loosest.
int LevelOf(int op) {
  switch (op) {
    case '*': case '/': case '%': return 3;
    case '+': case '-': return 2;
    default: return 1;
  }
}

}  // namespace

void Interpreter::EvalExpression() {
  TranslateFunctions();
  s.int_cells[kValueBase] = 0;
  s.value_sp = kValueBase;
  paren_depth = 0;
  if (line_without_parenthesis && EvalFlatExpression()) return;
  EvalRelational();
  ApplyFunctionToken();
  s.number_value = s.int_cells[s.value_sp];
}

// The common expression: numbers and single-letter variables joined by operators, with no
// parenthesis, function, SIZE or INCHAR, and no error on the way. One loop over the line
// reads it, combining values in the order the three levels would, and then leaves the value
// stack, the scan position and the word as they would. Anything else, including a division
// by zero, makes it give up having changed nothing, and the levels read the expression.
bool Interpreter::EvalFlatExpression() {
  if (!s.error_text.empty()) return false;  // variables are passed over after a failure
  const std::string& line = CurrentLine();
  const char* text = line.data();
  const size_t size = line.size();
  size_t pos = static_cast<uint32_t>(s.cur_pos - 1);
  std::array<int16_t, 4> values;  // values[0] is cell 54; three levels keep at most four
  std::array<int, 3> ops;
  int value_count = 0;
  int deepest = 0;
  int op_count = 0;
  int variable = 0;  // the last variable read, as a letter
  auto combine = [&]() -> bool {
    const int op = ops[static_cast<size_t>(--op_count)];
    const int16_t right = values[static_cast<size_t>(value_count - 1)];
    if ((op == '/' || op == '%') && right == 0) return false;  // "Division by zero": the levels say it
    values[static_cast<size_t>(value_count - 2)] = Apply(op, values[static_cast<size_t>(value_count - 2)], right);
    value_count -= 1;
    return true;
  };
  auto at = [&](size_t index) { return index < size ? LowerCase(static_cast<unsigned char>(text[index])) : kEndOfLine; };
  for (;;) {
    while (pos < size && text[pos] == ' ') ++pos;
    const int first = at(pos);
    int16_t value = 0;
    if (first >= '0' && first <= '9') {
      uint32_t digits = 0;
      while (pos < size && text[pos] >= '0' && text[pos] <= '9') digits = (digits * 10 + static_cast<uint32_t>(text[pos++] - '0')) & 0xFFFF;
      if (at(pos) == '.') return false;  // "Illegal number"
      value = WrapToInt16(static_cast<int32_t>(digits));
    } else if (first >= 'a' && first <= 'z' && !IsWordChar(at(pos + 1))) {
      variable = first;
      value = s.int_cells[first - 70];
      pos += 1;
    } else if (first != '+' && first != '-') {
      return false;  // a parenthesis, a longer word, the end of the line, ...
    }  // a sign stands for 0 and is left to be read as an operator
    values[static_cast<size_t>(value_count++)] = value;
    if (value_count > deepest) deepest = value_count;

    while (pos < size && text[pos] == ' ') ++pos;
    int op = at(pos);
    if (op != '*' && op != '/' && op != '%' && op != '+' && op != '-' && op != '<' && op != '=' && op != '>') break;
    pos += 1;
    const int second = at(pos);  // no blank inside a two-character operator
    if ((op == '<' || op == '>') && second == '=') {
      op = op == '<' ? kLessEqual : kGreaterEqual;
      pos += 1;
    } else if (op == '<' && second == '>') {
      op = kNotEqual;
      pos += 1;
    }
    while (op_count > 0 && LevelOf(ops[static_cast<size_t>(op_count - 1)]) >= LevelOf(op)) {
      if (!combine()) return false;
    }
    ops[static_cast<size_t>(op_count++)] = op;
  }
  while (op_count > 0) {
    if (!combine()) return false;
  }
  const int next = at(pos);
  if (next >= kFirstToken && next <= kLastToken) return false;  // a function's run follows

  for (int k = 0; k < 4; ++k) {  // as deep as the levels went: four values at most
    if (k < deepest) s.int_cells.cells[kValueBase + 1 + static_cast<size_t>(k)] = values[static_cast<size_t>(k)];
  }
  s.value_sp = kValueBase + 1;
  s.number_value = values[0];
  if (variable != 0) {
    s.word.assign(static_cast<char>(variable));
    s.var_index = static_cast<int16_t>(variable - 70);
  }
  s.cur_pos = static_cast<int32_t>(pos + 1);
  s.cur_char = next;
  return true;
}

// Replaces the top two values by their combination. A failed operand pushed nothing, so
// the values below take its place; the base cell is the lowest ever read or written.
void Interpreter::CombineTop(int op) {
  if (s.value_sp <= kValueBase) return;
  const int16_t right = s.int_cells[s.value_sp];
  const int16_t left = s.int_cells[s.value_sp - 1];
  s.int_cells[s.value_sp - 1] = Apply(op, left, right);
  s.value_sp -= 1;
}

void Interpreter::DropTop() {
  if (s.value_sp > kValueBase) s.value_sp -= 1;
}

// The product level skips the blanks after every factor, so the levels above it find the
// next character in cur_char already; the plain reading skips them again at every level.
void Interpreter::EvalRelational() {
  EvalAdditive();
  for (;;) {
    if (reference_paths) SkipSpaces();
    const int c = s.cur_char;
    if (c != '<' && c != '=' && c != '>') return;
    s.cur_pos += 1;
    int op = c;
    if (c != '=') {
      FetchChar();  // a blank here splits a two-character operator
      if (s.cur_char == '=') {
        op = c == '<' ? kLessEqual : kGreaterEqual;
        s.cur_pos += 1;
      } else if (c == '<' && s.cur_char == '>') {
        op = kNotEqual;
        s.cur_pos += 1;
      }
    }
    EvalAdditive();
    CombineTop(op);
  }
}

void Interpreter::EvalAdditive() {
  EvalMultiplicative();
  for (;;) {
    if (reference_paths) SkipSpaces();
    const int c = s.cur_char;
    if (c != '+' && c != '-') return;
    s.cur_pos += 1;
    EvalMultiplicative();
    CombineTop(c);
  }
}

void Interpreter::EvalMultiplicative() {
  EvalFactor();
  for (;;) {
    SkipSpaces();
    const int c = s.cur_char;
    if (c != '*' && c != '/' && c != '%') return;
    s.cur_pos += 1;
    EvalFactor();
    if (c != '*' && s.int_cells[s.value_sp] == 0) {
      SetErrorIfNone("Division by zero");
      DropTop();  // the dividend stands as the product's value
      SkipSpaces();
      return;
    }
    CombineTop(c);
  }
}
