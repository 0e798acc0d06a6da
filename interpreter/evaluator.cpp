// The expression evaluator: comparisons, sums and products of 16-bit integers on the value stack.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

void Interpreter::EvalExpression() {
  TranslateFunctions();
  s.int_cells[kValueBase] = 0;
  s.value_sp = kValueBase;
  paren_depth = 0;
  EvalRelational();
  ApplyFunctionToken();
  s.number_value = s.int_cells[s.value_sp];
}

// EvalExpression for a statement: its value, or the statement ends with the message.
int16_t Interpreter::Evaluate() {
  EvalExpression();
  AbandonOnError();
  return s.number_value;
}

void Interpreter::PushValue(int16_t value) {
  // The value stack ends at cell 82: the GOSUB return stack above it is never overwritten.
  if (s.value_sp >= kValueTop) throw HostError{9};
  s.value_sp += 1;
  s.int_cells[s.value_sp] = value;
}

// Replaces the top two values by their combination. A failed operand pushed nothing, so
// the values below take its place; the base cell is the lowest ever read or written.
void Interpreter::CombineTop(int op) {
  if (s.value_sp <= kValueBase) return;
  const int16_t right = s.int_cells[s.value_sp];
  const int16_t left = s.int_cells[s.value_sp - 1];
  s.int_cells[s.value_sp - 1] = Combine(op, left, right);
  s.value_sp -= 1;
}

void Interpreter::DropTop() {
  if (s.value_sp > kValueBase) s.value_sp -= 1;
}

void Interpreter::EvalRelational() {
  EvalAdditive();
  for (;;) {
    SkipSpaces();
    const Comparison comparison = ComparisonAt(CurrentLine(), static_cast<size_t>(s.cur_pos - 1));
    if (comparison.op == 0) return;
    s.cur_pos += static_cast<int32_t>(comparison.length);  // a blank splits "<=", ">=" and "<>"
    EvalAdditive();
    CombineTop(comparison.op);
  }
}

void Interpreter::EvalAdditive() {
  EvalMultiplicative();
  for (;;) {
    SkipSpaces();
    const int op = s.cur_char;
    if (!IsSumOperator(op)) return;
    s.cur_pos += 1;
    EvalMultiplicative();
    CombineTop(op);
  }
}

void Interpreter::EvalMultiplicative() {
  EvalFactor();
  for (;;) {
    SkipSpaces();
    const int op = s.cur_char;
    if (!IsProductOperator(op)) return;
    s.cur_pos += 1;
    EvalFactor();
    if (op != '*' && s.int_cells[s.value_sp] == 0) {
      SetErrorIfNone("Division by zero");
      DropTop();  // the dividend stands as the product's value
      SkipSpaces();
      return;
    }
    CombineTop(op);
  }
}
