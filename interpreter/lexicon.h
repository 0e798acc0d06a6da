// The atoms every reader of the dialect shares: digits, operators, the table of functions, and
// the two readings that cut a statement's text apart.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include <string>

#include "interpreter/characters.h"
#include "interpreter/checked_array.h"
#include "interpreter/limits.h"

// The low 16 bits of a value, read as a signed 16-bit number.
inline int16_t WrapToInt16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

// A number's digits as they are read: the value modulo 65536, kept reduced as it grows (which
// is exact however many digits follow), and how many significant digits a hexadecimal
// constant has had (its overflow test).
struct DigitRun {
  uint32_t value = 0;
  int significant = 0;
};

// A hexadecimal constant has four digits after its "$"; decimal digits after them extend it,
// as digits of base 16.
inline constexpr int kHexDigits = 4;
inline constexpr int kMostHexDigits = 16;  // significant digits the conversion takes; more is host error 6

inline void AppendDigit(DigitRun& run, uint32_t digit, bool hexadecimal) {
  if (hexadecimal) {
    if (run.significant > 0 || digit != 0) run.significant += 1;
    run.value = ((run.value << 4) | digit) & 0xFFFF;
  } else {
    run.value = (run.value * 10 + digit) & 0xFFFF;
  }
}

// Appends the run of decimal digits from the 0-based `index` of `text` to the number `run`;
// the index of the first character after them.
inline size_t ReadDigits(std::string_view text, size_t index, DigitRun& run, bool hexadecimal = false) {
  for (; index < text.size() && IsDigit(text[index]); ++index) {
    AppendDigit(run, static_cast<uint32_t>(text[index] - '0'), hexadecimal);
  }
  return index;
}

inline int HexDigitValue(int lower_case) {
  if (lower_case >= '0' && lower_case <= '9') return lower_case - '0';
  if (lower_case >= 'a' && lower_case <= 'f') return lower_case - 'a' + 10;
  return -1;
}

// The four digits after a "$" at the 0-based `index` of `text` begin `run`; false when one of
// them is no hexadecimal digit (any case).
inline bool ReadHexDigits(std::string_view text, size_t index, DigitRun& run) {
  for (size_t i = 1; i <= kHexDigits; ++i) {
    const int digit = HexDigitValue(CharAt(text, index + i));
    if (digit < 0) return false;
    AppendDigit(run, static_cast<uint32_t>(digit), true);
  }
  return true;
}

// The binary operators; a one-character operator is its own character.
enum TwoCharacterOperator { kLessEqual = 256, kGreaterEqual, kNotEqual };

// A comparison operator found in a text, and how many characters it takes.
struct Comparison {
  int op = 0;  // 0: none stands there
  size_t length = 0;
};

// The comparison at the 0-based `index` of `text`: "=", or "<" and ">" with the character right
// after them, no blank skipped ("<=", ">=", "<>").
inline Comparison ComparisonAt(std::string_view text, size_t index) {
  const int c = CharAt(text, index);
  if (c != '<' && c != '=' && c != '>') return {};
  if (c == '=') return {'=', 1};
  const int next = CharAt(text, index + 1);
  if (next == '=') return {c == '<' ? kLessEqual : kGreaterEqual, 2};
  if (c == '<' && next == '>') return {kNotEqual, 2};
  return {c, 1};
}

inline bool IsSumOperator(int c) { return c == '+' || c == '-'; }
inline bool IsProductOperator(int c) { return c == '*' || c == '/' || c == '%'; }

// The result of a binary operator in 16 bits; a divisor is never 0 here.
inline int16_t Combine(int op, int16_t left, int16_t right) {
  const int32_t a = left;
  const int32_t b = right;
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
    default: return 0;
  }
}

// The functions whose names are rewritten into tokens. ORDER MATTERS: the order of the tokens,
// in which ApplyFunctionToken tests them.
struct FunctionName {
  std::string_view name;  // lower case, without its "("
  int token;
};
inline constexpr std::array<FunctionName, 6> kFunctions = {{
    {"abs", kTokenAbs},
    {"rnd", kTokenRnd},
    {"sgn", kTokenSgn},
    {"peek", kTokenPeek},
    {"@", kTokenArray},
    {"vpeek", kTokenVpeek},
}};
constexpr bool FunctionsInTokenOrder() {
  for (size_t i = 0; i < kFunctions.size(); ++i) {
    if (kFunctions[i].token != kFirstToken + static_cast<int>(i)) return false;
  }
  return kFunctions.back().token == kLastToken;
}
static_assert(FunctionsInTokenOrder());

// @(i): its high part times 256 plus its low part, in 16 bits.
inline int16_t ArrayValue(int16_t low, int16_t high) { return WrapToInt16(high * 256 + low); }

// A token's run is as long as the name it replaced, so that positions outside function
// arguments are the same in the rewritten text and the text as typed.
constexpr size_t TokenRun(int token) { return kFunctions[static_cast<size_t>(token - kFirstToken)].name.size(); }

// The open functions while a line is rewritten: entries 1 to 20, entry 0 unused.
using FunctionNesting = CheckedArray<int16_t, kFunctionNesting + 1>;

// The rewrite of `typed` into `out`: every function name outside quotes that a "(" follows
// directly is taken out, and its token's run follows the ")" that closes its argument. A 21st
// function open at once is host error 9, and `out` is then unfinished.
void RewriteFunctionNames(std::string_view typed, char quote, std::string& out, FunctionNesting& nesting,
                          int16_t& depth);
// Where the texts of an @() assignment stand in its line (1-based): the index text from
// `start` up to the separator, the value text after it up to `value_end` (0-based,
// exclusive); the statement goes on at `resume`. `separator` is 0 when no "=" stands outside
// parentheses.
struct ArrayAssignmentCut {
  int32_t start = 0;
  int32_t separator = 0;
  int32_t value_end = 0;
  int32_t resume = 0;
};
ArrayAssignmentCut CutArrayAssignment(std::string_view line, int32_t cur_pos);

