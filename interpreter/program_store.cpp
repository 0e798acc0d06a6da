// The program store: numbered lines kept in order as typed, inserted, replaced and deleted.
#include "interpreter/interpreter.h"

namespace {

// Nothing but blanks after the leading number: the line deletes the line it names.
bool IsBareLine(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  while (i < line.size() && IsDigit(line[i])) ++i;
  while (i < line.size() && line[i] == ' ') ++i;
  return i == line.size();
}

}  // namespace

void Interpreter::InsertLine() {
  UndoTranslation();
  s.stmt_target = s.number_value;

  // The first slot whose number is not below the target, or reads as 0.
  int slot = kFirstProgramSlot;
  for (;; ++slot) {
    if (slot > kLastProgramSlot) {
      s.error_text = "Program Overflow";
      return;
    }
    s.cur_slot = static_cast<int16_t>(slot);
    s.cur_pos = 1;
    ReadNumber();
    if (s.number_value >= s.stmt_target || s.number_value == 0) break;
  }

  ProgramLines& lines = s.program_lines;
  if (s.number_value != s.stmt_target) {
    if (!lines[kLastProgramSlot].empty()) {
      s.error_text = "Program Overflow";
      return;
    }
    for (int i = kLastProgramSlot; i > slot; --i) lines.Write(i).swap(lines.Write(i - 1));
  }
  lines.Write(slot) = s.typed_line;

  if (IsBareLine(s.typed_line)) {
    for (int i = slot; i < kLastProgramSlot; ++i) lines.Write(i).swap(lines.Write(i + 1));
    lines.Write(kLastProgramSlot).clear();
  }
}
