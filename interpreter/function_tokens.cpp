// Function tokens: function names rewritten into runs of token characters, and applied.
#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

namespace {

// The function whose name, lower-cased and followed directly by "(", stands at `pos`.
const FunctionName* FunctionNameAt(std::string_view text, size_t pos) {
  for (const FunctionName& function : kFunctions) {
    const size_t length = function.name.size();
    if (text.size() - pos <= length || text[pos + length] != '(') continue;
    bool same = true;
    for (size_t i = 0; i < length && same; ++i) same = LowerCase(static_cast<unsigned char>(text[pos + i])) == function.name[i];
    if (same) return &function;
  }
  return nullptr;
}

}  // namespace

void RewriteFunctionNames(std::string_view typed, char quote, std::string& out, FunctionNesting& nesting,
                          int16_t& depth) {
  out.clear();
  depth = 0;
  std::array<int32_t, kFunctionNesting + 1> plain_levels{};  // plain "(" open above each open function
  bool inside_quotes = false;
  for (size_t pos = 0; pos < typed.size(); ++pos) {
    const char c = typed[pos];
    if (c == quote) inside_quotes = !inside_quotes;
    if (!inside_quotes) {
      if (const FunctionName* function = FunctionNameAt(typed, pos)) {
        nesting[depth + 1] = static_cast<int16_t>(function->token);  // a 21st: host error 9
        depth += 1;
        plain_levels[static_cast<size_t>(depth)] = 0;
        pos += function->name.size();  // onto the "(", which opens the function's level
        out += '(';
        continue;
      }
    }
    out += c;
    if (c == '(' && !inside_quotes) {
      plain_levels[static_cast<size_t>(depth)] += 1;
    } else if (c == ')') {  // wherever it stands, it closes the innermost open level
      if (plain_levels[static_cast<size_t>(depth)] > 0) {
        plain_levels[static_cast<size_t>(depth)] -= 1;
      } else if (depth > 0) {
        const int token = nesting[depth];
        out.append(TokenRun(token), static_cast<char>(token));
        depth -= 1;
      }
    }
  }
}

// Rewrites the current line, unless its rewrite is pending already. The rewrite is read in the
// line's place while it is pending; the line itself stays as typed.
void Interpreter::TranslateFunctions() {
  if (s.translated_flag != 0 && s.translated_slot == s.cur_slot) return;
  const std::string_view typed = CurrentLine();
  RewriteFunctionNames(typed, s.quote_char, translate_buffer, s.fn_nesting, s.fn_depth);
  if (translate_buffer == typed) return;  // no name: nothing pending
  s.translated_text.swap(translate_buffer);
  s.translated_slot = s.cur_slot;
  s.translated_flag = -1;
}

void Interpreter::ApplyFunctionToken() {
  for (const FunctionName& function : kFunctions) {
    if (s.cur_char != function.token) continue;
    int16_t& top = s.int_cells[s.value_sp];
    const int16_t x = top;
    switch (function.token) {
      case kTokenAbs: top = abs_int16(x); break;
      case kTokenRnd: top = RandomBelow(x); break;
      case kTokenSgn: top = sign_int16(x); break;
      case kTokenPeek: top = s.byte_memory[x]; break;  // outside memory: host error 9
      case kTokenArray: {
        const long low = 2L * x;  // no wrapping: outside 0..8191 is host error 9
        top = ArrayValue(s.byte_memory[low], s.byte_memory[low + 1]);
        break;
      }
      case kTokenVpeek: top = ScreenByte(x); break;
    }
    s.cur_pos += static_cast<int32_t>(TokenRun(function.token));
    FetchChar();
  }
}

// RND: a whole number from 0 up to x - 1 (from x up to -1 for a negative x).
int16_t Interpreter::RandomBelow(int16_t x) {
  return static_cast<int16_t>(round_single_to_int(floor_real(host.random_number() * static_cast<float>(x))));
}

// VPEEK: the byte at offset x of the text screen's segment.
int16_t Interpreter::ScreenByte(int16_t x) {
  host.set_segment(round_to_int64(s.video_segment), true);
  const int16_t byte = host.peek_byte(x);
  host.set_segment(0, false);
  return byte;
}
