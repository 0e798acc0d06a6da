// Program control: RUN, GOTO, GOSUB, RETURN, CLEAR, NEW, END and BYE.
#include "interpreter/interpreter.h"

void Interpreter::ClearVariables() {
  for (int cell = kVariableA; cell < kVariableA + kVariables; ++cell) s.int_cells[cell] = 0;
}

// Looks for the line numbered stmt_target: from slot 27 for a jump back or to the same line,
// else from the current slot on; every slot up to the last is read. Found: the scan stands
// after the line's number. Else the statement ends with "Line not found".
void Interpreter::FindLine() {
  if (s.stmt_target <= s.cur_line_number) s.cur_slot = kFirstProgramSlot;
  for (;; s.cur_slot += 1) {
    if (s.cur_slot == kSlotCount) Abandon("Line not found");
    s.cur_pos = 1;
    ReadNumber();
    if (s.number_value == s.stmt_target) break;
  }
  s.cur_line_number = s.stmt_target;
}

Continuation Interpreter::ExecGoto() {
  s.stmt_target = Evaluate();
  FindLine();
  return Continuation::ExecStatement;
}

Continuation Interpreter::ExecGosub() {
  s.stmt_target = Evaluate();
  s.int_cells[s.gosub_top] = static_cast<int16_t>(s.cur_slot + 1);  // a 31st: host error 9
  FindLine();
  s.gosub_top += 1;
  return Continuation::ExecStatement;
}

Continuation Interpreter::ExecReturn() {
  if (s.gosub_top == kGosubBase) return Fail("RETURN without GOSUB");
  s.gosub_top -= 1;
  s.cur_slot = s.int_cells[s.gosub_top];
  return Continuation::RunSlot;
}

Continuation Interpreter::ExecRun() {
  ClearVariables();
  s.cur_slot = kFirstProgramSlot;
  s.gosub_top = kGosubBase;
  s.for_top = 0;
  return Continuation::RunSlot;
}

Continuation Interpreter::ExecClear() {
  ClearVariables();
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecNew() {
  for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) s.program_lines.Write(slot).clear();
  ClearVariables();
  s.gosub_top = kGosubBase;
  s.for_top = 0;
  if (s.cur_line_number != 0) return Continuation::MainLoop;
  return Continuation::NextStatement;  // the rest of a typed line still runs
}

Continuation Interpreter::ExecEnd() { return Continuation::MainLoop; }

Continuation Interpreter::Bye() {
  EndLine();
  PrintItem("Thanks for using Kelo BASIC.");
  EndLine();
  host.end_program();
}
