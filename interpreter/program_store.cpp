// The program store: numbered lines kept in order as typed, inserted, replaced and deleted.
#include "interpreter/interpreter.h"

#include <cstring>

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

  auto& lines = s.program_lines.cells;  // the moves below tell the memo at the end
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
void Interpreter::ReadLineNumberByChar() {
  s.cur_pos = 1;
  ReadNumber();
}

// Every change to a slot's text goes through here, so that its number is read again.
std::string& Interpreter::EditLine(int slot) {
  check_index(slot, kSlotCount);
  std::string& line = s.program_lines.cells[static_cast<size_t>(slot)];
  line_numbers.Forget(slot);
  return line;
}

// A text put in the slot for one statement, and the line put back after it: the number is
// never read meanwhile, so only what was known of its parentheses goes.
std::string& Interpreter::SubstituteLine(int slot) {
  check_index(slot, kSlotCount);
  line_numbers.ForgetParenthesis(slot);
  return s.program_lines.cells[static_cast<size_t>(slot)];
}

// The function rewrite and its undo: names go and tokens come, which changes neither the
// line's number nor where it holds a "(", so everything known of the slot stays.
std::string& Interpreter::RewriteLine(int slot) {
  check_index(slot, kSlotCount);
  return s.program_lines.cells[static_cast<size_t>(slot)];
}

void Interpreter::ForgetLineNumbers(int first_slot) {
  for (int slot = first_slot; slot <= kLastProgramSlot; ++slot) line_numbers.Forget(slot);
}

LineNumbers::LineNumbers() {
  for (int slot = 0; slot < kSlotCount; ++slot) {
    forgotten_[static_cast<size_t>(slot)] = static_cast<int16_t>(slot);
    listed_[static_cast<size_t>(slot)] = true;
  }
  forgotten_count_ = kSlotCount;
}

void LineNumbers::Forget(int slot) {
  generation_ += 1;
  parentheses_[static_cast<size_t>(slot)] = kNotLooked;
  State& state = states_[static_cast<size_t>(slot)];
  if (state == kIllegal) illegal_count_ -= 1;
  state = kUnread;
  bool& listed = listed_[static_cast<size_t>(slot)];
  if (listed) return;
  listed = true;
  forgotten_[static_cast<size_t>(forgotten_count_++)] = static_cast<int16_t>(slot);
}

void LineNumbers::ReadText(int slot, const std::string& text) {
  State& state = states_[static_cast<size_t>(slot)];
  generation_ += 1;
  uint32_t index = 0;
  while (index < text.size() && text[index] == ' ') ++index;
  uint32_t value = 0;
  while (index < text.size() && text[index] >= '0' && text[index] <= '9') {
    value = (value * 10 + static_cast<uint32_t>(text[index] - '0')) & 0xFFFF;  // modulo 65536 as it grows
    ++index;
  }
  state = index < text.size() && text[index] == '.' ? kIllegal : kRead;
  if (state == kIllegal) illegal_count_ += 1;
  values_[static_cast<size_t>(slot)] = WrapToInt16(static_cast<int32_t>(value));
  ends_[static_cast<size_t>(slot)] = static_cast<int32_t>(index + 1);
}

void LineNumbers::ReadForgottenEntries(const ProgramLines& lines) {
  while (forgotten_count_ > 0) {
    const int slot = forgotten_[static_cast<size_t>(--forgotten_count_)];
    listed_[static_cast<size_t>(slot)] = false;
    Read(slot, lines.cells[static_cast<size_t>(slot)]);
  }
}

int LineNumbers::Find(int from, int16_t target) const {
  const uint32_t hash = static_cast<uint32_t>(static_cast<uint16_t>(target)) * 2654435761u;
  FoundSlot& found = found_[(hash >> 16) % kFoundSlots];
  if (found.generation == generation_ && found.target == target && found.from <= from && from <= found.slot) {
    return found.slot;
  }
  const int slot = Search(from, target);
  found = {generation_, static_cast<int16_t>(from), target, static_cast<int16_t>(slot)};
  return slot;
}

int LineNumbers::Search(int from, int16_t target) const {
  int slot = from;
  if (illegal_count_ > 0) {
    while (slot < kSlotCount && values_[static_cast<size_t>(slot)] != target && states_[static_cast<size_t>(slot)] != kIllegal) ++slot;
    return slot;
  }
  // Eight entries compared in one step; the block that holds the match is then walked.
  using Lanes = int16_t __attribute__((vector_size(16)));
  constexpr int kBlock = sizeof(Lanes) / sizeof(int16_t);
  for (; slot + kBlock <= kSlotCount; slot += kBlock) {
    Lanes block;
    std::memcpy(&block, &values_[static_cast<size_t>(slot)], sizeof block);
    const Lanes equal = block == target;
    uint64_t halves[2];
    std::memcpy(halves, &equal, sizeof halves);
    if ((halves[0] | halves[1]) != 0) break;
  }
  while (slot < kSlotCount && values_[static_cast<size_t>(slot)] != target) ++slot;
  return slot;
}
