// The expression evaluator: comparisons, sums and products of 16-bit integers on the value stack.
#include "interpreter/interpreter.h"

namespace {

enum Operator { kLessEqual = 256, kGreaterEqual, kNotEqual };

int16_t Apply(int op, int32_t a, int32_t b) {
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

}  // namespace

void Interpreter::EvalExpression() {
  TranslateFunctions();
  s.int_cells[kValueBase] = 0;
  s.value_sp = kValueBase;
  paren_depth = 0;
  EvalRelational();
  ApplyFunctionToken();
  s.number_value = s.int_cells[s.value_sp];
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
