// The expression evaluator: comparisons, sums and products of 16-bit integers on the value stack.
#include "interpreter/interpreter.h"

#include <algorithm>
#include <array>

namespace {

enum Operator { kLessEqual = 256, kGreaterEqual, kNotEqual };

inline int16_t Apply(int op, int32_t a, int32_t b) {
  switch (op) {
    case '+': return WrapToInt16(a + b);
    case '-': return WrapToInt16(a - b);
    case '*': return WrapToInt16(a * b);
    case '/': return WrapToInt16(a / b);  // toward zero; -32768 / -1 wraps to -32768
    case '%': return WrapToInt16(a % b);  // sign of the dividend
    case '=': return a == b ? -1 : 0;
    case '<': return a < b ? -1 : 0;
    case '>': return a > b ? -1 : 0;
    case kLessEqual: return a <= b ? -1 : 0;
    case kGreaterEqual: return a >= b ? -1 : 0;
    case kNotEqual: return a != b ? -1 : 0;
  }
  return 0;
}

// The level of a binary operator: products bind tightest, comparisons loosest; 0 for a
// character that is no operator.
constexpr std::array<uint8_t, 256> MakeOperatorLevels() {
  std::array<uint8_t, 256> levels{};
  levels['*'] = levels['/'] = levels['%'] = 3;
  levels['+'] = levels['-'] = 2;
  levels['<'] = levels['='] = levels['>'] = 1;
  return levels;
}
constexpr std::array<uint8_t, 256> kOperatorLevels = MakeOperatorLevels();

// The token of the function whose name (lower or upper case) is the `length` letters at
// `name`, for the functions the flat reading computes itself; 0 for any other word.
int CallAsTyped(const unsigned char* name, size_t length) {
  auto is = [&](std::string_view word) {
    if (word.size() != length) return false;
    for (size_t i = 0; i < length; ++i) {
      if (kCharacters.word_letter[name[i]] != static_cast<unsigned char>(word[i])) return false;
    }
    return true;
  };
  switch (length) {
    case 1: return is("@") ? 181 : 0;
    case 3: return is("abs") ? 177 : is("sgn") ? 179 : 0;
    case 4: return is("peek") ? 180 : 0;
    default: return 0;
  }
}

}  // namespace

void Interpreter::EvalExpression() {
  TranslateFunctions();
  s.int_cells[kValueBase] = 0;
  s.value_sp = kValueBase;
  paren_depth = 0;
  if (!reference_paths && EvalFlatExpression()) return;
  EvalRelational();
  ApplyFunctionToken();
  s.number_value = s.int_cells[s.value_sp];
}

// The common expression: numbers and single-letter variables joined by operators and
// parentheses, with ABS, SGN, PEEK and @() after a ")", and no RND, VPEEK, SIZE, INCHAR or
// hexadecimal constant. One loop over the line reads it, combining values in the order the
// levels would (an operator stack, with "(" as a mark), and then leaves the value stack, the
// scan position and the word as they would. Anything else, including a division by zero, a
// missing ")" or a cell outside memory, makes it give up having changed nothing, and the
// levels read the expression.
bool Interpreter::EvalFlatExpression() {
  const std::string& line = CurrentLine();
  // The text's terminating NUL ends every run without a check of the size: it is no blank,
  // digit, letter, operator or parenthesis.
  return EvalFlatText<false>(reinterpret_cast<const unsigned char*>(line.c_str()), line.size(),
                             static_cast<uint32_t>(s.cur_pos - 1));
}

// The flat reading of the expression at `pos` of `text` (`size` bytes and a NUL after them).
// With `kNamesAsTyped`, the text is one the rewrite has not seen: ABS(, SGN(, PEEK( and @(
// stand as typed, and the expression must take up the whole text, as the rewrite of the whole
// text could fail beyond its end (a 21st nested call).
template <bool kNamesAsTyped>
bool Interpreter::EvalFlatText(const unsigned char* text, size_t size, size_t pos) {
  if (!s.error_text.empty()) return false;  // variables are passed over after a failure
  if (pos >= size) return false;  // nothing to read: the levels say what is missing
  constexpr int kMaxValues = kValueTop - kValueBase - 1;  // fewer than the value stack holds
  constexpr int kMaxDepth = 16;
  constexpr int kOpen = '(';
  constexpr int kOpenCall = 1000;  // + the function's token: the "(" of a call as typed
  std::array<int16_t, kMaxValues> values;  // values[k] is cell 54 + k
  // Operators waiting for their right operand, three levels per depth at most, and the
  // marks of open parentheses (level 0, below every operator's).
  std::array<int, 3 * (kMaxDepth + 1) + kMaxDepth> ops;
  std::array<uint8_t, 3 * (kMaxDepth + 1) + kMaxDepth> op_levels;
  int value_count = 0;
  int deepest = 0;
  int op_count = 0;
  int depth = 0;
  int variable = 0;  // the last variable read, as a letter
  auto combine = [&]() -> bool {
    const int op = ops[static_cast<size_t>(--op_count)];
    const int16_t right = values[static_cast<size_t>(value_count - 1)];
    if (right == 0 && (op == '/' || op == '%')) return false;  // "Division by zero": the levels say it
    values[static_cast<size_t>(value_count - 2)] = Apply(op, values[static_cast<size_t>(value_count - 2)], right);
    value_count -= 1;
    return true;
  };
  // A function's token after its ")", applied to the value of its argument.
  auto apply_token = [&](int token) -> bool {
    int16_t& top = values[static_cast<size_t>(value_count - 1)];
    switch (token) {
      case 177: top = abs_int16(top); return true;
      case 179: top = sign_int16(top); return true;
      case 180:
        if (top < 0 || top >= s.byte_memory.size()) return false;  // host error 9: the levels raise it
        top = s.byte_memory.cells[static_cast<size_t>(top)];
        return true;
      case 181: {
        const long low = 2L * top;
        if (low < 0 || low + 1 >= s.byte_memory.size()) return false;
        top = WrapToInt16(s.byte_memory.cells[static_cast<size_t>(low + 1)] * 256 + s.byte_memory.cells[static_cast<size_t>(low)]);
        return true;
      }
      default: return false;  // RND and VPEEK reach the host: the levels call them
    }
  };
  for (;;) {
    while (text[pos] == ' ') ++pos;
    const int first = LowerCase(text[pos]);
    if (first == kOpen) {
      if (depth == kMaxDepth) return false;
      ops[static_cast<size_t>(op_count)] = kOpen;
      op_levels[static_cast<size_t>(op_count++)] = 0;
      depth += 1;
      pos += 1;
      continue;
    }
    if (kNamesAsTyped && kCharacters.word_letter[text[pos]] != 0) {
      // A function's name right before its "(": ABS, SGN, PEEK or @, in any case. Any other
      // word before a "(" (RND, VPEEK, XABS, ...) is left to the levels.
      size_t letters = 1;
      while (kCharacters.word_letter[text[pos + letters]] != 0) ++letters;
      if (text[pos + letters] == '(') {
        const int token = CallAsTyped(text + pos, letters);
        if (token == 0 || depth == kMaxDepth) return false;
        ops[static_cast<size_t>(op_count)] = kOpenCall + token;
        op_levels[static_cast<size_t>(op_count++)] = 0;
        depth += 1;
        pos += letters + 1;
        continue;
      }
    }
    if (value_count == kMaxValues) return false;
    int16_t value = 0;
    if (static_cast<unsigned>(first - '0') < 10) {
      uint32_t digits = 0;
      for (unsigned digit; (digit = static_cast<unsigned>(text[pos] - '0')) < 10; ++pos) digits = (digits * 10 + digit) & 0xFFFF;
      if (text[pos] == '.') return false;  // "Illegal number"
      value = WrapToInt16(static_cast<int32_t>(digits));
    } else if (first >= 'a' && first <= 'z' && kCharacters.word_letter[text[pos + 1]] == 0) {
      variable = first;
      value = s.int_cells.cells[static_cast<size_t>(first - 70)];  // a to z: cells 27 to 52
      pos += 1;
    } else if (first != '+' && first != '-') {
      return false;  // a longer word, a "$", the end of the line, ...
    }  // a sign stands for 0 and is left to be read as an operator
    values[static_cast<size_t>(value_count++)] = value;
    if (value_count > deepest) deepest = value_count;

    // Each ")" closes its level, and the run of a function's token after it applies that
    // function; the run is as long as the name it replaced.
    while (text[pos] == ' ') ++pos;
    while (text[pos] == ')' && depth > 0) {
      while (op_levels[static_cast<size_t>(op_count - 1)] != 0) {
        if (!combine()) return false;
      }
      const int mark = ops[static_cast<size_t>(--op_count)];
      depth -= 1;
      pos += 1;
      const int token = text[pos];
      if (mark > kOpenCall) {  // a call as typed: its function, and no run after it
        if (!apply_token(mark - kOpenCall)) return false;
        if (token >= kFirstToken && token <= kLastToken) return false;  // as after a run, below
      } else if (token >= kFirstToken && token <= kLastToken) {
        if (!apply_token(token)) return false;
        pos += TokenRun(token);
        if (pos > size) return false;  // a run cut short by the line's end
        // A token right after the run would be applied as well when it comes later in the
        // levels' table: rare enough to leave to them.
        if (text[pos] >= kFirstToken && text[pos] <= kLastToken) return false;
      }
      while (text[pos] == ' ') ++pos;
    }
    int op = text[pos];
    const int level = kOperatorLevels[static_cast<size_t>(op)];
    if (level == 0) break;
    pos += 1;
    if (level == 1 && op != '=') {  // "<" or ">", perhaps the first of two characters
      const int second = text[pos];  // no blank inside a two-character operator
      if (second == '=') {
        op = op == '<' ? kLessEqual : kGreaterEqual;
        pos += 1;
      } else if (op == '<' && second == '>') {
        op = kNotEqual;
        pos += 1;
      }
    }
    while (op_count > 0 && op_levels[static_cast<size_t>(op_count - 1)] >= level) {
      if (!combine()) return false;
    }
    ops[static_cast<size_t>(op_count)] = op;
    op_levels[static_cast<size_t>(op_count++)] = static_cast<uint8_t>(level);
  }
  if (depth != 0) return false;  // "Missing ')'"
  while (op_count > 0) {
    if (!combine()) return false;
  }
  const int next = pos < size ? LowerCase(text[pos]) : kEndOfLine;
  if (next >= kFirstToken && next <= kLastToken) return false;  // a function's run follows
  if (kNamesAsTyped && next != kEndOfLine) return false;

  // As deep as the levels went: one value at least, and most expressions hold no more.
  int16_t* cells = &s.int_cells.cells[kValueBase + 1];
  cells[0] = values[0];
  if (deepest > 1) {  // two or three most of the time: no call to a general copy for them
    cells[1] = values[1];
    if (deepest > 2) std::copy(values.begin() + 2, values.begin() + deepest, cells + 2);
  }
  EndFlatReading(values[0], variable, pos, next);
  return true;
}

// What a flat reading leaves besides the value stack's cells: one value on the stack, the
// last variable it read as the word, and the scan after the expression (`pos` is 0-based).
void Interpreter::EndFlatReading(int16_t value, int variable, size_t pos, int next) {
  s.value_sp = kValueBase + 1;
  s.number_value = value;
  if (variable != 0) {
    s.word.assign(static_cast<char>(variable));
    s.var_index = static_cast<int16_t>(variable - 70);
  }
  s.cur_pos = static_cast<int32_t>(pos + 1);
  s.cur_char = next;
}

// EvalExpression of the text from `begin` to `end` of `line` as if it stood alone in place of
// the line, when the flat reading can take it as typed; false, having changed nothing, when
// it cannot.
bool Interpreter::EvalTextAsTyped(const std::string& line, size_t begin, size_t end) {
  const size_t length = end - begin;
  if (begin > end || end > line.size() || length >= text_as_typed.size()) return false;
  if (!s.error_text.empty()) return false;
  bool done = EvalSingleOperandText(reinterpret_cast<const unsigned char*>(line.data()) + begin, length);
  if (!done) {
    std::copy(line.begin() + static_cast<long>(begin), line.begin() + static_cast<long>(end), text_as_typed.begin());
    text_as_typed[length] = 0;
    done = EvalFlatText<true>(text_as_typed.data(), length, 0);
  }
  if (done) {  // what EvalExpression does before it reads, and the flat readings leave alone
    s.int_cells[kValueBase] = 0;
    paren_depth = 0;
  }
  return done;
}

// The commonest texts of an @() assignment: one number or one variable, alone or in one pair
// of parentheses, nothing else ("(I)", "0"). Leaves what the flat reading would leave, without
// its machinery; false, having changed nothing, for any other text.
bool Interpreter::EvalSingleOperandText(const unsigned char* text, size_t length) {
  const bool parenthesised = length >= 3 && text[0] == '(' && text[length - 1] == ')';
  const unsigned char* first = text + (parenthesised ? 1 : 0);
  const unsigned char* last = text + length - (parenthesised ? 1 : 0);
  if (first == last) return false;
  int16_t value;
  int variable = 0;
  if (last - first == 1 && kCharacters.word_letter[*first] != 0 && *first != '@') {
    variable = kCharacters.word_letter[*first];
    value = s.int_cells.cells[static_cast<size_t>(variable - 70)];  // a to z: cells 27 to 52
  } else {
    uint32_t digits = 0;
    for (const unsigned char* c = first; c != last; ++c) {
      const unsigned digit = static_cast<unsigned>(*c - '0');
      if (digit >= 10) return false;
      digits = (digits * 10 + digit) & 0xFFFF;
    }
    value = WrapToInt16(static_cast<int32_t>(digits));
  }
  s.int_cells.cells[kValueBase + 1] = value;
  EndFlatReading(value, variable, length, kEndOfLine);
  return true;
}

// Replaces the top two values by their combination. A failed operand pushed nothing, so
// the values below take its place; the base cell is the lowest ever read or written.
void Interpreter::CombineTop(int op) {
  if (s.value_sp <= kValueBase) return;
  const int16_t right = s.int_cells[s.value_sp];
  const int16_t left = s.int_cells[s.value_sp - 1];
  s.int_cells[s.value_sp - 1] = Apply(op, left, right);
  s.value_sp -= 1;
}

void Interpreter::DropTop() {
  if (s.value_sp > kValueBase) s.value_sp -= 1;
}

// The product level skips the blanks after every factor, so the levels above it find the
// next character in cur_char already; the plain reading skips them again at every level.
void Interpreter::EvalRelational() {
  EvalAdditive();
  for (;;) {
    if (reference_paths) SkipSpaces();
    const int c = s.cur_char;
    if (c != '<' && c != '=' && c != '>') return;
    s.cur_pos += 1;
    int op = c;
    if (c != '=') {
      FetchChar();  // a blank here splits a two-character operator
      if (s.cur_char == '=') {
        op = c == '<' ? kLessEqual : kGreaterEqual;
        s.cur_pos += 1;
      } else if (c == '<' && s.cur_char == '>') {
        op = kNotEqual;
        s.cur_pos += 1;
      }
    }
    EvalAdditive();
    CombineTop(op);
  }
}

void Interpreter::EvalAdditive() {
  EvalMultiplicative();
  for (;;) {
    if (reference_paths) SkipSpaces();
    const int c = s.cur_char;
    if (c != '+' && c != '-') return;
    s.cur_pos += 1;
    EvalMultiplicative();
    CombineTop(c);
  }
}

void Interpreter::EvalMultiplicative() {
  EvalFactor();
  for (;;) {
    SkipSpaces();
    const int c = s.cur_char;
    if (c != '*' && c != '/' && c != '%') return;
    s.cur_pos += 1;
    EvalFactor();
    if (c != '*' && s.int_cells[s.value_sp] == 0) {
      SetErrorIfNone("Division by zero");
      DropTop();  // the dividend stands as the product's value
      SkipSpaces();
      return;
    }
    CombineTop(c);
  }
}
