// The memo's side of the statement path: lines and statements carried out from what the memo
// read of them. Each entry takes the common case and hands everything else to the plain
// reading, having changed nothing.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

// The slot's record, with its line number read.
const SlotMemo& Interpreter::NumberedSlot(int slot) {
  SlotMemo& record = memo.Slot(s.program_lines, slot);
  if (!record.numbered) ReadLineNumberIntoMemo(record, s.program_lines[slot]);
  return record;
}

// ExecLine's number, as ReadNumber would read it.
void Interpreter::NumberFromMemo() {
  const SlotMemo& record = NumberedSlot(s.cur_slot);
  if (record.illegal) return ReadNumber();  // which says "Illegal number"
  s.number_value = record.number;
  s.cur_pos = record.number_end;
  s.cur_char = record.number_end_char;
}

// The statement at cur_pos, read into the memo the first time it runs.
Continuation Interpreter::StatementFromMemo() {
  SlotMemo& record = memo.Slot(s.program_lines, s.cur_slot);
  const MemoStatement* statement = nullptr;
  for (const MemoStatement& known : record.statements) {
    if (known.start == s.cur_pos) {
      statement = &known;
      break;
    }
  }
  if (statement == nullptr) statement = &ReadStatementIntoMemo(record, s.program_lines[s.cur_slot], s.cur_pos, s.quote_char);
  if (!statement->readable) return ReadStatement();  // which says "Invalid label"
  if (statement->first_op == statement->end_op) {  // only the word is known: its handler reads the rest
    s.word = statement->word;
    s.cur_pos = statement->after;
    s.cur_char = statement->after_char;
    return Dispatch(statement->keyword);
  }

  // The statement's operations, on the value stack's own cells as the plain evaluator uses them.
  int16_t* const cells = s.int_cells.cells.data();
  int16_t* const stack = cells + kValueBase;  // stack[0] is the base cell
  int16_t* const memory = s.byte_memory.cells.data();
  int sp = 0;
  int16_t held = 0;
  const Operation* op = record.code.data() + statement->first_op;
  auto binary = [&](int o) {
    stack[sp - 1] = Combine(o, stack[sp - 1], stack[sp]);
    sp -= 1;
  };
  if (statement->evaluates) stack[0] = 0;
  // What the plain reading's scan holds once the statement is read, for the steps after it.
  auto leave_scan = [&] {
    s.word = statement->last_word;
    if (statement->last_variable != 0) s.var_index = statement->last_variable;
    if (statement->evaluates) {
      s.number_value = stack[1];  // every evaluation's value stands in the stack's first cell
      s.value_sp = kValueBase + 1;
    }
  };
  auto with_number = [&](int o) {
    stack[sp + 1] = op->value;  // the cell a push of the number would have written
    stack[sp] = Combine(o, stack[sp], op->value);
  };
  for (;; ++op) {
    switch (op->op) {
      case Op::kNumber: stack[++sp] = op->value; break;
      case Op::kVariable: stack[++sp] = cells[op->value]; break;
      case Op::kAdd: binary('+'); break;
      case Op::kSubtract: binary('-'); break;
      case Op::kMultiply: binary('*'); break;
      case Op::kDivide:
        if (stack[sp] == 0) return ReadStatement();  // "Division by zero"
        binary('/');
        break;
      case Op::kRemainder:
        if (stack[sp] == 0) return ReadStatement();
        binary('%');
        break;
      case Op::kEqual: binary('='); break;
      case Op::kLess: binary('<'); break;
      case Op::kGreater: binary('>'); break;
      case Op::kLessEqual: binary(kLessEqual); break;
      case Op::kGreaterEqual: binary(kGreaterEqual); break;
      case Op::kNotEqual: binary(kNotEqual); break;
      case Op::kAddNumber: with_number('+'); break;
      case Op::kSubtractNumber: with_number('-'); break;
      case Op::kMultiplyNumber: with_number('*'); break;
      case Op::kDivideNumber: with_number('/'); break;  // never by 0
      case Op::kRemainderNumber: with_number('%'); break;
      case Op::kEqualNumber: with_number('='); break;
      case Op::kLessNumber: with_number('<'); break;
      case Op::kGreaterNumber: with_number('>'); break;
      case Op::kLessEqualNumber: with_number(kLessEqual); break;
      case Op::kGreaterEqualNumber: with_number(kGreaterEqual); break;
      case Op::kNotEqualNumber: with_number(kNotEqual); break;
      case Op::kAbs: stack[sp] = abs_int16(stack[sp]); break;
      case Op::kRnd: stack[sp] = RandomBelow(stack[sp]); break;
      case Op::kSgn: stack[sp] = sign_int16(stack[sp]); break;
      case Op::kPeek:
        if (stack[sp] < 0 || stack[sp] >= kMemoryCells) return ReadStatement();  // host error 9
        stack[sp] = memory[stack[sp]];
        break;
      case Op::kArray: {
        const int16_t x = stack[sp];
        if (x < 0 || x >= kArrayElements) return ReadStatement();
        stack[sp] = ArrayValue(memory[2 * x], memory[2 * x + 1]);
        break;
      }
      case Op::kVpeek: stack[sp] = ScreenByte(stack[sp]); break;
      case Op::kHold: held = stack[sp--]; break;
      case Op::kNotNegative:
        if (stack[sp] < 0) return ReadStatement();  // "Illegal value"
        break;
      case Op::kLet:
        s.stmt_target = op->value;
        cells[op->value] = stack[sp--];
        break;
      case Op::kStoreArray:  // a host error here finds the scan as the plain reading leaves it
        leave_scan();
        s.cur_pos = op->pos;
        s.cur_char = op->value;
        StoreArrayCell(held, stack[sp--]);
        break;
      case Op::kBeginPrint: s.number_format.clear(); break;
      case Op::kPrintText: PrintItem(std::string_view(record.texts).substr(static_cast<size_t>(op->pos), static_cast<size_t>(op->value))); break;
      case Op::kPrintValue:
        s.number_value = stack[sp--];
        PrintNumber();
        break;
      case Op::kFormat: s.number_format = string_fill(stack[sp--], '#'); break;
      case Op::kLocate: host.locate_cursor(1); break;
      case Op::kEndLine: EndLine(); break;
      case Op::kPoke:
      case Op::kVpoke:
        s.vpoke_flag = op->op == Op::kVpoke ? -1 : 0;
        s.poke_count = 2;
        s.poke_args.cells[1] = held;
        s.poke_args.cells[2] = stack[sp];
        StorePoke(held, stack[sp--]);
        break;
      case Op::kFor:
      case Op::kForStep:  // a 31st frame is host error 9, with the scan at the line's end
        leave_scan();
        s.cur_pos = op->pos;
        s.cur_char = kEndOfLine;
        s.stmt_target = op->value;
        if (op->op == Op::kFor) {
          PushFor(stack[sp--], 1);
        } else {
          PushFor(held, stack[sp--]);
        }
        break;
      // Each end names the continuation and returns it: the trampoline carries it out, so
      // that the stack never grows from one statement to the next.
      case Op::kGoOn:
        leave_scan();
        s.cur_pos = op->pos;
        return Continuation::NextStatement;
      case Op::kColon:
        leave_scan();
        s.cur_pos = op->pos;
        s.cur_char = ':';
        return Continuation::ExecStatement;
      case Op::kIf:
        leave_scan();
        if (stack[sp] >= 0) {  // only a negative value is true
          SkipRestOfLine();
          return Continuation::NextStatement;
        }
        s.word = Word::Of("then");
        s.cur_pos = op->pos;
        s.cur_char = op->value;
        return Continuation::ExecStatement;
      case Op::kGotoNumber:
        stack[++sp] = static_cast<int16_t>(op->pos);
        [[fallthrough]];
      case Op::kGoto:
        if (!JumpFromMemo(record.jumps[static_cast<size_t>(op->value)], stack[sp])) return ReadStatement();
        leave_scan();
        s.stmt_target = stack[sp];
        return Continuation::ExecStatement;
      case Op::kGosubNumber:
        stack[++sp] = static_cast<int16_t>(op->pos);
        [[fallthrough]];
      case Op::kGosub: {
        if (s.gosub_top >= kIntCells) return ReadStatement();  // a 31st: host error 9
        const int16_t back = static_cast<int16_t>(s.cur_slot + 1);
        if (!JumpFromMemo(record.jumps[static_cast<size_t>(op->value)], stack[sp])) return ReadStatement();
        cells[s.gosub_top] = back;
        s.gosub_top += 1;
        leave_scan();
        s.stmt_target = stack[sp];
        return Continuation::ExecStatement;
      }
      case Op::kNext:
        leave_scan();
        s.cur_pos = op->pos;
        FetchChar();
        s.stmt_target = op->value;
        return StepLoop();
      default:
        __builtin_unreachable();  // every operation is one of the above
    }
  }
}

// FindLine over the memo's line numbers: the jump's slot, found once while no line changes.
// False, having changed nothing, when the plain search would fail ("Line not found", "Illegal
// number").
bool Interpreter::JumpFromMemo(JumpSite& site, int16_t target) {
  const int from = target <= s.cur_line_number ? kFirstProgramSlot : s.cur_slot;
  const bool known = site.generation == s.program_lines.generation() && site.target == target && site.from == from;
  if (!known && !FindJumpTarget(site, target, from)) return false;
  s.cur_slot = site.slot;
  s.cur_pos = site.pos;
  s.cur_char = site.pos_char;
  s.number_value = target;
  s.cur_line_number = target;
  return true;
}

// The plain search, over the memo's numbers: every slot from `from` on up to the last.
[[gnu::noinline]] bool Interpreter::FindJumpTarget(JumpSite& site, int16_t target, int from) {
  for (int slot = from; slot < kSlotCount; ++slot) {
    const SlotMemo& numbered = NumberedSlot(slot);
    if (numbered.illegal) return false;
    if (numbered.number != target) continue;
    site = {s.program_lines.generation(), target, static_cast<int16_t>(from), static_cast<int16_t>(slot),
            numbered.number_end, numbered.number_end_char};
    return true;
  }
  return false;
}
