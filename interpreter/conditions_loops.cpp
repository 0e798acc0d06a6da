// Conditions and loops: IF ... THEN, FOR ... NEXT, and TRACE, STOP, REM, RANDOM.
#include "interpreter/interpreter.h"

namespace {
enum ForRow { kVariable = 1, kLimit = 2, kStep = 3, kResumeSlot = 4 };
}

Continuation Interpreter::ExecIf() {
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  if (s.number_value >= 0) {  // only a negative value is true
    s.cur_pos = static_cast<int32_t>(CurrentLine().size()) + 1;
    return Continuation::NextStatement;
  }
  ReadWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  if (s.word != "then") return Fail("THEN expected");
  return Continuation::ExecStatement;
}

Continuation Interpreter::ExecFor() {
  ReadVariableWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  s.stmt_target = s.var_index;
  SkipSpaces();
  if (s.cur_char != '=') return Fail("'=' expected");
  s.cur_pos += 1;
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  s.int_cells[s.stmt_target] = s.number_value;  // stored before TO is looked for

  ReadWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  if (s.word != "to") return Fail("TO expected");
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  const int16_t limit = s.number_value;

  SkipSpaces();
  if (s.cur_char == kEndOfLine) {
    PushFor(limit, 1);
    return Continuation::NextStatement;
  }
  ReadWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  if (s.word != "step") return Fail("STEP expected");
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  PushFor(limit, s.number_value);
  SkipSpaces();
  if (s.cur_char != kEndOfLine) return Fail("End of statement expected");  // FOR ends its line
  return Continuation::NextStatement;
}

// A 31st frame falls outside the stack: host error 9, and for_top stays raised.
void Interpreter::PushFor(int16_t limit, int16_t step) {
  s.for_top += 1;
  s.for_stack[kVariable][s.for_top] = s.stmt_target;
  s.for_stack[kLimit][s.for_top] = limit;
  s.for_stack[kStep][s.for_top] = step;
  s.for_stack[kResumeSlot][s.for_top] = static_cast<int16_t>(s.cur_slot + 1);
}

Continuation Interpreter::ExecNext() {
  ReadVariableWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  s.stmt_target = s.var_index;
  if (s.for_top == 0) return Fail("NEXT without FOR");
  while (s.for_stack[kVariable][s.for_top] != s.stmt_target) {
    s.for_top -= 1;  // inner loops end with the outer loop's NEXT
    if (s.for_top == 0) return Fail("NEXT without FOR");
  }
  const int16_t value = WrapToInt16(s.int_cells[s.stmt_target] + s.for_stack[kStep][s.for_top]);
  s.int_cells[s.stmt_target] = value;
  if (value <= s.for_stack[kLimit][s.for_top]) {  // the one test, whatever the step's sign
    s.cur_slot = s.for_stack[kResumeSlot][s.for_top];
    return Continuation::RunSlot;
  }
  s.for_top -= 1;
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecTrace() {
  s.trace_on = s.trace_on != 0 ? 0 : -1;
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecStop() {
  if (s.cur_line_number == 0) return Continuation::MainLoop;
  PrintItem("Stopped in ");
  PrintItem(format_int16(s.cur_line_number) + " ");
  EndLine();
  return Continuation::MainLoop;
}

Continuation Interpreter::ExecRem() {
  s.cur_pos = static_cast<int32_t>(CurrentLine().size()) + 1;
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecRandom() {
  host.randomize();
  return Continuation::NextStatement;
}
