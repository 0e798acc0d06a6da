// Memory statements and assignment: LET, the @() assignment, POKE and VPOKE.
#include "interpreter/interpreter.h"
#include "interpreter/scope_exit.h"

#include <array>

Continuation Interpreter::ExecLet() {
  if (s.word == "let") {
    ReadWord();
    if (!s.error_text.empty()) return Continuation::MainLoop;
  }
  VariableIndex();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  SkipSpaces();
  if (s.var_index == kArrayMarker) return ExecArrayAssignment();
  if (s.cur_char != '=') return Fail("'=' expected");
  s.cur_pos += 1;
  s.stmt_target = s.var_index;
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  // The target noted before the evaluation: reading B in A=B moves var_index to B.
  s.int_cells[s.stmt_target] = s.number_value;
  return Continuation::NextStatement;
}

// The index and the value are evaluated each as a text of its own, in place of the line.
Continuation Interpreter::ExecArrayAssignment() {
  if (!reference_paths && ExecArrayAssignmentInPlace()) return Continuation::NextStatement;
  const int16_t slot = s.cur_slot;
  s.saved_line.swap(SubstituteLine(slot));
  ScopeExit put_back([this, slot] {
    SubstituteLine(slot).swap(s.saved_line);
    s.translated_flag = 0;  // rewrites of the substituted texts are never written back
  });

  SplitArrayAssignment();
  if (index_text.empty() || value_text.empty()) return Fail("'=' expected");

  SubstituteLine(slot) = index_text;
  s.cur_pos = 1;
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  const int16_t index = s.number_value;

  s.translated_flag = 0;
  SubstituteLine(slot) = value_text;
  s.cur_pos = 1;
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  const int16_t value = s.number_value;

  StoreArrayCell(index, value);
  s.cur_pos = s.saved_cur_pos;
  return Continuation::NextStatement;
}

// @(index) := value, as two cells of byte_memory.
void Interpreter::StoreArrayCell(int16_t index, int16_t value) {
  const long low = 2L * index;  // outside 0..8191: host error 9, nothing stored
  check_index(low + 1, s.byte_memory.size());
  s.byte_memory[low] = static_cast<int16_t>(value % 256);       // sign of the value
  s.byte_memory[low + 1] = static_cast<int16_t>(value / 256);   // toward zero
}

namespace {

// Where an @() assignment's texts lie in its line: the index text from the first "(" on (1-based
// `start`) up to the last "=" outside parentheses (`separator`, 0 when there is none), the value
// text after it up to `value_end` (0-based, exclusive), and where the statement goes on.
struct ArrayAssignmentCut {
  int32_t start = 0;
  int32_t separator = 0;
  int32_t value_end = 0;
  int32_t resume = 0;
};

ArrayAssignmentCut CutArrayAssignment(const std::string& line, int32_t cur_pos) {
  const int32_t length = static_cast<int32_t>(line.size());
  ArrayAssignmentCut cut;
  // The first "(" from cur_pos on (as string_find would find it), else the text after the word.
  cut.start = cur_pos;
  if (cur_pos >= 1 && cur_pos <= length) {
    const size_t open = line.find('(', static_cast<size_t>(cur_pos) - 1);
    if (open != std::string::npos) cut.start = static_cast<int32_t>(open) + 1;
  }
  // Only parentheses, "=" and ":" matter to the cut.
  static constexpr std::array<bool, 256> kStops = [] {
    std::array<bool, 256> stops{};
    stops['('] = stops[')'] = stops['='] = stops[':'] = true;
    return stops;
  }();
  const auto* text = reinterpret_cast<const unsigned char*>(line.data());
  cut.value_end = length;
  cut.resume = length + 1;
  int depth = 0;
  for (int32_t p = cut.start; p <= length; ++p) {
    const unsigned char c = text[p - 1];
    if (!kStops[c]) continue;
    if (c == '(') {
      depth += 1;
    } else if (c == ')') {
      depth -= 1;
    } else if (c == '=') {
      if (depth == 0) cut.separator = p;
    } else if (cut.separator > cut.start) {  // a ":" once the index text is not empty
      cut.value_end = p - 1;
      cut.resume = p;
      break;
    }
  }
  // A ":" right after the "=" leaves no value before it: the value is then the rest of the line.
  if (cut.value_end == cut.separator) cut.value_end = length;
  return cut;
}

}  // namespace

// Cuts the statement in saved_line into the index text and the value text.
void Interpreter::SplitArrayAssignment() {
  const std::string& line = s.saved_line;
  const ArrayAssignmentCut cut = CutArrayAssignment(line, s.cur_pos);
  s.saved_cur_pos = cut.resume;
  if (cut.separator > 0) {
    index_text.assign(line, static_cast<size_t>(cut.start - 1), static_cast<size_t>(cut.separator - cut.start));
    value_text.assign(line, static_cast<size_t>(cut.separator), static_cast<size_t>(cut.value_end - cut.separator));
  } else {
    index_text.clear();
    value_text.clear();
  }
}

// The common @() assignment, done without putting its texts in place of the line: both read
// flat, as typed, straight from the line. False, having changed nothing that the texts in
// place would not change the same way, when either cannot be read so.
bool Interpreter::ExecArrayAssignmentInPlace() {
  const std::string& line = CurrentLine();
  const int32_t saved_pos = s.cur_pos;
  const int saved_char = s.cur_char;
  const ArrayAssignmentCut cut = CutArrayAssignment(line, s.cur_pos);
  if (cut.separator <= cut.start || cut.value_end <= cut.separator) return false;  // an empty text
  if (!EvalTextAsTyped(line, static_cast<size_t>(cut.start - 1), static_cast<size_t>(cut.separator - 1))) return false;
  const int16_t index = s.number_value;
  if (!EvalTextAsTyped(line, static_cast<size_t>(cut.separator), static_cast<size_t>(cut.value_end))) {
    // The texts in place read the index again, from the statement's own position; what the
    // index left (its values, the word) they leave the same way.
    s.cur_pos = saved_pos;
    s.cur_char = saved_char;
    return false;
  }
  StoreArrayCell(index, s.number_value);
  s.cur_pos = cut.resume;
  return true;
}

Continuation Interpreter::ExecPoke() {
  s.vpoke_flag = s.word == "vpoke" ? -1 : 0;
  s.poke_count = 0;
  for (;;) {
    SkipSpaces();
    EvalExpression();
    if (!s.error_text.empty()) return Continuation::MainLoop;
    s.poke_count += 1;
    s.poke_args[s.poke_count] = s.number_value;  // an 11th argument: host error 9
    if (s.number_value < 0) return Fail("Illegal value");
    SkipSpaces();
    if (s.cur_char != ',') break;
    s.cur_pos += 1;
  }
  // An address alone has no value to store; the value is missing like any missing operand.
  if (s.poke_count < 2) return Fail("Invalid Factor");
  const int16_t address = s.poke_args[1];
  const int16_t value = static_cast<int16_t>(s.poke_args[2] % 256);
  if (s.vpoke_flag != 0) {
    host.set_segment(round_to_int64(s.video_segment), true);
    if (address <= 3999) host.poke_byte(address, value);
    host.set_segment(0, false);
  } else if (address <= 16383) {
    s.byte_memory[address] = value;
  }
  return Continuation::NextStatement;
}
