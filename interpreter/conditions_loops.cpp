// Conditions and loops: IF ... THEN, FOR ... NEXT, and TRACE, STOP, REM, RANDOM.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

Continuation Interpreter::ExecIf() {
  if (Evaluate() >= 0) {  // only a negative value is true
    SkipRestOfLine();
    return Continuation::NextStatement;
  }
  ExpectWord("then", "THEN expected");
  return Continuation::ExecStatement;
}

Continuation Interpreter::ExecFor() {
  s.stmt_target = ReadTargetVariable();
  Expect('=', "'=' expected");
  s.int_cells[s.stmt_target] = Evaluate();  // stored before TO is looked for
  ExpectWord("to", "TO expected");
  const int16_t limit = Evaluate();
  SkipSpaces();
  if (s.cur_char == kEndOfLine) {
    PushFor(limit, 1);
    return Continuation::NextStatement;
  }
  ExpectWord("step", "STEP expected");
  PushFor(limit, Evaluate());
  SkipSpaces();
  if (s.cur_char != kEndOfLine) return Fail("End of statement expected");  // FOR ends its line
  return Continuation::NextStatement;
}

// A frame for the loop of stmt_target, whose body resumes at the next slot. A 31st frame
// falls outside the stack: host error 9, and for_top stays raised.
void Interpreter::PushFor(int16_t limit, int16_t step) {
  s.for_top += 1;
  s.for_stack[kForVariable][s.for_top] = s.stmt_target;
  s.for_stack[kForLimit][s.for_top] = limit;
  s.for_stack[kForStep][s.for_top] = step;
  s.for_stack[kForResumeSlot][s.for_top] = static_cast<int16_t>(s.cur_slot + 1);
}

Continuation Interpreter::ExecNext() {
  s.stmt_target = ReadTargetVariable();
  return StepLoop();
}

// NEXT's step for the loop of stmt_target: inner loops above it end, and the loop goes on
// while the variable stays at or below its limit, whatever the step's sign.
Continuation Interpreter::StepLoop() {
  if (s.for_top == 0) return Fail("NEXT without FOR");
  while (s.for_stack[kForVariable][s.for_top] != s.stmt_target) {
    s.for_top -= 1;
    if (s.for_top == 0) return Fail("NEXT without FOR");
  }
  const int16_t value = WrapToInt16(s.int_cells[s.stmt_target] + s.for_stack[kForStep][s.for_top]);
  s.int_cells[s.stmt_target] = value;
  if (value <= s.for_stack[kForLimit][s.for_top]) {
    s.cur_slot = s.for_stack[kForResumeSlot][s.for_top];
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
  SkipRestOfLine();
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecRandom() {
  host.randomize();
  return Continuation::NextStatement;
}
