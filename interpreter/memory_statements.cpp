// Memory statements and assignment: LET, the @() assignment, POKE and VPOKE.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"
#include "interpreter/text_in_place.h"

Continuation Interpreter::ExecLet() {
  if (s.word == "let") {
    ReadWord();
    AbandonOnError();
  }
  VariableIndex();
  AbandonOnError();
  SkipSpaces();
  if (s.var_index == kArrayMarker) return ExecArrayAssignment();
  if (s.cur_char != '=') return Fail("'=' expected");
  s.cur_pos += 1;
  // The target is taken before the evaluation: reading B in A=B moves var_index to B.
  s.stmt_target = s.var_index;
  s.int_cells[s.stmt_target] = Evaluate();
  return Continuation::NextStatement;
}

ArrayAssignmentCut CutArrayAssignment(std::string_view line, int32_t cur_pos) {
  const int32_t length = static_cast<int32_t>(line.size());
  ArrayAssignmentCut cut;
  // The first "(" from cur_pos on, else the text after the word.
  cut.start = cur_pos;
  if (cur_pos >= 1 && cur_pos <= length) {
    const size_t open = line.find('(', static_cast<size_t>(cur_pos) - 1);
    if (open != std::string_view::npos) cut.start = static_cast<int32_t>(open) + 1;
  }
  cut.value_end = length;
  cut.resume = length + 1;
  int depth = 0;
  for (int32_t p = cut.start; p <= length && cut.resume > length; ++p) {
    switch (line[static_cast<size_t>(p - 1)]) {
      case '(': depth += 1; break;
      case ')': depth -= 1; break;
      case '=':
        if (depth == 0) cut.separator = p;  // the last "=" outside parentheses counts
        break;
      case ':':
        if (cut.separator > cut.start) {  // once the index text is not empty, the statement ends here
          cut.value_end = p - 1;
          cut.resume = p;
        }
        break;
      default: break;
    }
  }
  // A ":" right after the "=" leaves no value before it: the value is then the rest of the line.
  if (cut.value_end == cut.separator) cut.value_end = length;
  return cut;
}

// The index and the value are each read as a text of their own, in place of the line.
Continuation Interpreter::ExecArrayAssignment() {
  const std::string_view line = CurrentLine();
  const ArrayAssignmentCut cut = CutArrayAssignment(line, s.cur_pos);
  s.saved_cur_pos = cut.resume;
  if (cut.separator <= cut.start || cut.value_end <= cut.separator) return Fail("'=' expected");
  TextInPlace text(*this);
  text.Put(line.substr(static_cast<size_t>(cut.start - 1), static_cast<size_t>(cut.separator - cut.start)));
  const int16_t index = Evaluate();
  // The value gets its own rewrite, whatever the index left pending.
  text.Put(line.substr(static_cast<size_t>(cut.separator), static_cast<size_t>(cut.value_end - cut.separator)));
  const int16_t value = Evaluate();
  StoreArrayCell(index, value);
  return Continuation::NextStatement;  // at the statement's end, where the line is read again
}

// @(index) := value, as two cells of byte_memory.
void Interpreter::StoreArrayCell(int16_t index, int16_t value) {
  const long low = 2L * index;  // outside 0..8191: host error 9, nothing stored
  check_index(low + 1, s.byte_memory.size());
  s.byte_memory[low] = static_cast<int16_t>(value % kByteValues);      // sign of the value
  s.byte_memory[low + 1] = static_cast<int16_t>(value / kByteValues);  // toward zero
}

Continuation Interpreter::ExecPoke() {
  s.vpoke_flag = s.word == "vpoke" ? -1 : 0;
  s.poke_count = 0;
  for (;;) {
    const int16_t argument = Evaluate();
    s.poke_count += 1;
    s.poke_args[s.poke_count] = argument;  // an 11th: host error 9
    if (argument < 0) return Fail("Illegal value");
    SkipSpaces();
    if (s.cur_char != ',') break;
    s.cur_pos += 1;
  }
  // An address alone has no value to store; the value is missing like any missing operand.
  if (s.poke_count < 2) return Fail("Invalid Factor");
  StorePoke(s.poke_args[1], s.poke_args[2]);
  return Continuation::NextStatement;
}

// POKE or VPOKE (vpoke_flag) of a value at an address, both at least 0; an address beyond the
// memory or the screen changes nothing.
void Interpreter::StorePoke(int16_t address, int16_t value) {
  const int16_t byte = static_cast<int16_t>(value % kByteValues);
  if (s.vpoke_flag != 0) {
    host.set_segment(round_to_int64(s.video_segment), true);
    if (address < kScreenMemoryBytes) host.poke_byte(address, byte);
    host.set_segment(0, false);
  } else if (address < kMemoryCells) {
    s.byte_memory[address] = byte;
  }
}
