// Program control: RUN, GOTO, GOSUB, RETURN, CLEAR, NEW, END and BYE.
#include "interpreter/interpreter.h"

void Interpreter::ClearVariables() {
  for (int cell = kVariableA; cell < kVariableA + 26; ++cell) s.int_cells[cell] = 0;
}

// Looks for the line numbered stmt_target: from slot 27 for a jump back or to the same
// line, else from the current slot on; every slot up to the last is read.
bool Interpreter::FindLine() {
  if (s.stmt_target <= s.cur_line_number) s.cur_slot = kFirstProgramSlot;
  if (!reference_paths) return FindLineByNumbers();
  for (;;) {
    if (s.cur_slot == kLastProgramSlot + 1) {
      s.error_text = "Line not found";
      return false;
    }
    ReadLineNumber();
    if (s.number_value == s.stmt_target) break;
    s.cur_slot += 1;
  }
  s.cur_line_number = s.stmt_target;
  return true;
}

// The same search over the slots' known numbers, leaving what the search slot by slot leaves.
bool Interpreter::FindLineByNumbers() {
  line_numbers.ReadForgotten(s.program_lines);
  const int from = s.cur_slot;
  const int slot = line_numbers.Find(from, s.stmt_target);
  if (slot > from) s.number_value = line_numbers.value(slot - 1);  // the last number read before it
  if (slot == kSlotCount) {
    s.cur_slot = static_cast<int16_t>(kSlotCount);
    s.cur_pos = line_numbers.end_pos(kLastProgramSlot);
    const std::string& last = s.program_lines[kLastProgramSlot];
    const uint32_t index = static_cast<uint32_t>(s.cur_pos - 1);
    s.cur_char = index < last.size() ? LowerCase(static_cast<unsigned char>(last[index])) : kEndOfLine;
    s.error_text = "Line not found";
    return false;
  }
  s.cur_slot = static_cast<int16_t>(slot);
  ReadLineNumber();  // Illegal number here, as the search slot by slot would meet it
  s.cur_line_number = s.stmt_target;
  return true;
}

Continuation Interpreter::ExecGoto() {
  SkipSpaces();
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  s.stmt_target = s.number_value;
  if (!FindLine()) return Continuation::MainLoop;
  return Continuation::ExecStatement;
}

Continuation Interpreter::ExecGosub() {
  SkipSpaces();
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  s.stmt_target = s.number_value;
  s.int_cells[s.gosub_top] = static_cast<int16_t>(s.cur_slot + 1);  // a 31st: host error 9
  if (!FindLine()) return Continuation::MainLoop;
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
  for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) EditLine(slot).clear();
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
