// The program store: numbered lines kept in order as typed, inserted, replaced and deleted.
#include "interpreter/interpreter.h"

namespace {

// Nothing but blanks after the leading number: the line deletes the line it names.
bool IsBareLine(const std::string& line) {
  size_t i = 0;
  while (i < line.size() && line[i] == ' ') ++i;
  while (i < line.size() && line[i] >= '0' && line[i] <= '9') ++i;
  while (i < line.size() && line[i] == ' ') ++i;
  return i == line.size();
}

}  // namespace

void Interpreter::InsertLine() {
  UndoTranslation();
  s.stmt_target = s.number_value;

  int slot = kFirstProgramSlot;
  for (;; ++slot) {
    if (slot > kLastProgramSlot) {
      s.error_text = "Program Overflow";
      return;
    }
    s.cur_slot = static_cast<int16_t>(slot);
    ReadLineNumber();
    if (s.number_value >= s.stmt_target || s.number_value == 0) break;
  }

  auto& lines = s.program_lines;
  if (s.number_value != s.stmt_target) {
    if (!lines[kLastProgramSlot].empty()) {
      s.error_text = "Program Overflow";
      return;
    }
    for (int i = kLastProgramSlot; i > slot; --i) lines[i].swap(lines[i - 1]);
  }
  lines[slot] = s.typed_line;

  if (IsBareLine(s.typed_line)) {
    for (int i = slot; i < kLastProgramSlot; ++i) lines[i].swap(lines[i + 1]);
    lines[kLastProgramSlot].clear();
  }
  ForgetLineNumbers(slot);  // every text from the slot on may have moved
}

// The number of the line in cur_slot, read from its start as ReadNumber reads it:
// number_value, cur_pos after the digits, and "Illegal number" on a "." there.
void Interpreter::ReadLineNumber() {
  s.cur_pos = 1;
  if (reference_paths) return ReadNumber();
  const std::string& line = CurrentLine();  // checks the slot before its memo is touched
  LineNumberMemo& memo = line_numbers[static_cast<size_t>(s.cur_slot)];
  if (memo.state == LineNumberMemo::kUnread) {
    uint32_t index = 0;
    while (index < line.size() && line[index] == ' ') ++index;
    uint32_t value = 0;
    while (index < line.size() && line[index] >= '0' && line[index] <= '9') {
      value = (value * 10 + static_cast<uint32_t>(line[index] - '0')) & 0xFFFF;
      ++index;
    }
    const bool illegal = index < line.size() && line[index] == '.';
    memo.state = illegal ? LineNumberMemo::kIllegal : LineNumberMemo::kRead;
    memo.value = WrapToInt16(static_cast<int32_t>(value));
    memo.end_pos = static_cast<int32_t>(index + 1);
  }
  s.cur_pos = memo.end_pos;
  FetchChar();
  if (memo.state == LineNumberMemo::kIllegal) Abandon("Illegal number");
  s.number_value = memo.value;
}

// Every change to a slot's text goes through here, so that its number is read again.
std::string& Interpreter::EditLine(int slot) {
  std::string& line = s.program_lines[slot];
  line_numbers[static_cast<size_t>(slot)].state = LineNumberMemo::kUnread;
  return line;
}

void Interpreter::ForgetLineNumbers(int first_slot) {
  for (int slot = first_slot; slot <= kLastProgramSlot; ++slot) {
    line_numbers[static_cast<size_t>(slot)].state = LineNumberMemo::kUnread;
  }
}
