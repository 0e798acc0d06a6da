// The memo: what reading each slot's text found, kept until that text changes.
//
// The program store keeps every line as typed, and the plain reading reads it afresh each time
// a statement runs. The memo keeps, per slot, what that reading found: the line's number, each
// statement's word, and for the common statements their operands as a short program of
// operations (expressions in postfix order on the interpreter's own value stack). A record is
// read under the slot's stamp (ProgramLines) and is forgotten as soon as the stamp moves on.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "interpreter/characters.h"
#include "interpreter/keywords.h"
#include "interpreter/limits.h"
#include "interpreter/program_lines.h"

// The operations of a statement the memo has read, carried out in this order. An operation
// that may hand the statement back to the plain reading (a division by a value that may be 0,
// a cell that may lie outside memory, a jump whose line may be missing) never follows one
// that changes anything, so that handing back finds everything as it was.
enum class Op : uint8_t {
  // Expressions: `value` is a number or a variable's cell. The values of a statement's
  // expressions take the cells the plain evaluator gives them, from cell 54 on; each step that
  // takes a value pops it.
  kNumber,
  kVariable,
  kAdd, kSubtract, kMultiply, kDivide, kRemainder,
  kEqual, kLess, kGreater, kLessEqual, kGreaterEqual, kNotEqual,
  // The same with the number `value` as right operand, written to its cell as a push would.
  kAddNumber, kSubtractNumber, kMultiplyNumber, kDivideNumber, kRemainderNumber,
  kEqualNumber, kLessNumber, kGreaterNumber, kLessEqualNumber, kGreaterEqualNumber, kNotEqualNumber,
  kAbs, kRnd, kSgn, kPeek, kArray, kVpeek,  // on the top value, as their tokens
  // Steps of statements.
  kHold,         // keeps the top value for the next step (an @() index, FOR's limit, POKE's address)
  kNotNegative,  // a POKE argument; a negative one is the plain reading's error
  kLet,          // the cell `value` := the top value
  kStoreArray,   // @(held) := the top value; `pos`, `value`: the scan after the statement
  kBeginPrint,
  kPrintText,    // the memo's text at `pos`, `value` characters long
  kPrintValue,
  kFormat,       // PRINT's "#" field, as wide as the top value
  kLocate,
  kEndLine,
  kPoke,         // byte_memory(held) := the top value
  kVpoke,
  kFor,          // a frame for the cell `value`, limit the top value, step 1; `pos`: the line's end
  kForStep,      // the same with the limit held and the top value as step
  // The statement's end: each names what comes next.
  kGoOn,         // cur_pos := `pos`, then NextStatement
  kColon,        // a ":" follows: the next statement begins at `pos`
  kIf,           // `pos`: after THEN, `value`: the character there
  kGoto,         // to the top value; `value`: the jump's site
  kGosub,
  kGotoNumber,   // to the number `pos`, the whole expression, written to its cell as a push would
  kGosubNumber,
  kNext,         // the loop of the cell `value`, with the scan at `pos` after its name
};

struct Operation {
  Op op;
  int16_t value = 0;
  int32_t pos = 0;
};

// Where a jump went last, valid while no slot of the store has changed since.
struct JumpSite {
  uint64_t generation = 0;  // of the store when found; 0: never
  int16_t target = 0;
  int16_t from = 0;         // the slot the search started at
  int16_t slot = 0;         // the slot found
  int32_t pos = 0;          // cur_pos after its number
  int pos_char = kEndOfLine;
};

// One statement: the word that begins it, as ReadWord leaves the scan, and the operations of
// its operands when it is a common one.
struct MemoStatement {
  int32_t start = 0;       // cur_pos at which ExecStatement met it
  bool readable = false;   // false: no word begins it, and the plain reading says so
  Keyword keyword = Keyword::kNone;
  Word word;
  int32_t after = 0;       // cur_pos after the word
  int after_char = kEndOfLine;
  uint32_t first_op = 0;   // its operations in the slot's code; none: only the word is known
  uint32_t end_op = 0;
  bool evaluates = false;  // an evaluation sets the base cell of the value stack to 0
  // What the scan holds of its words once the operations' statement has been read.
  Word last_word;
  int16_t last_variable = 0;  // var_index; 0 when no variable is named
};

// What reading one slot's text found.
struct SlotMemo {
  uint32_t stamp = 0;      // the slot's stamp when this was read
  // The number at the text's start, as ReadNumber reads it.
  bool numbered = false;   // read yet
  bool illegal = false;    // a "." follows its digits: "Illegal number"
  int16_t number = 0;
  int32_t number_end = 0;  // cur_pos after the digits
  int number_end_char = kEndOfLine;
  std::vector<MemoStatement> statements;
  std::vector<Operation> code;
  std::vector<JumpSite> jumps;
  std::string texts;       // PRINT's literals

  // A new text: nothing is known of it yet. The vectors keep their room.
  void Forget(uint32_t new_stamp) {
    stamp = new_stamp;
    numbered = false;
    statements.clear();
    code.clear();
    jumps.clear();
    texts.clear();
  }
};

class StatementMemo {
 public:
  // The slot's record, for the text it holds now.
  SlotMemo& Slot(const ProgramLines& lines, int slot) {
    check_index(slot, kSlotCount);
    SlotMemo& memo = slots_[static_cast<size_t>(slot)];
    if (memo.stamp != lines.stamp(slot)) memo.Forget(lines.stamp(slot));
    return memo;
  }

 private:
  std::array<SlotMemo, kSlotCount> slots_;
};

// Reads the number at the start of `line`, the slot's text, into `memo`, as ReadNumber reads it.
void ReadLineNumberIntoMemo(SlotMemo& memo, const std::string& line);
// Reads the statement that begins at the 1-based `start` of `line` (the slot's text as typed)
// into `memo`, as the plain reading would read it; `quote` is the quotation mark.
MemoStatement& ReadStatementIntoMemo(SlotMemo& memo, const std::string& line, int32_t start, char quote);
