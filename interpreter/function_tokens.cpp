// Function tokens: function names rewritten in place into runs of token characters.
#include "interpreter/interpreter.h"

namespace {

struct FunctionName {
  std::string_view name;  // lower case, with its "("
  int token;
  int run;                // as long as the name it replaces
};

// The order of the table is the order in which ApplyFunctionToken tests the tokens.
constexpr FunctionName kFunctions[] = {
    {"abs(", 177, 3}, {"rnd(", 178, 3}, {"sgn(", 179, 3},
    {"peek(", 180, 4}, {"@(", 181, 1},  {"vpeek(", 182, 5},
};

bool NameAt(const std::string& line, size_t pos, std::string_view name) {
  if (line.size() - pos < name.size()) return false;
  for (size_t i = 0; i < name.size(); ++i) {
    if (LowerCase(static_cast<unsigned char>(line[pos + i])) != name[i]) return false;
  }
  return true;
}

const FunctionName* FunctionAt(const std::string& line, size_t pos) {
  switch (LowerCase(static_cast<unsigned char>(line[pos]))) {
    case 'a': case 'r': case 's': case 'p': case 'v': case '@': break;
    default: return nullptr;  // no name starts here: the common case, decided at once
  }
  for (const FunctionName& function : kFunctions) {
    if (NameAt(line, pos, function.name)) return &function;
  }
  return nullptr;
}

}  // namespace

void Interpreter::TranslateFunctions() {
  if (s.translated_flag != 0 && s.translated_slot == s.cur_slot) return;
  std::string& line = s.program_lines[s.cur_slot];
  if (line.find('(') == std::string::npos) return;  // no call can stand in it

  std::string& text = translate_buffer;
  text.clear();
  s.fn_depth = 0;
  plain_levels[0] = 0;
  bool inside_quotes = false;
  bool rewritten = false;
  for (size_t pos = 0; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == s.quote_char) inside_quotes = !inside_quotes;
    if (!inside_quotes) {
      if (const FunctionName* function = FunctionAt(line, pos)) {
        const int depth = s.fn_depth + 1;
        s.fn_nesting[depth] = static_cast<int16_t>(function->token);  // a 21st: host error 9
        s.fn_depth = static_cast<int16_t>(depth);
        plain_levels[depth] = 0;
        pos += function->name.size() - 1;  // onto the "(", which opens the function's level
        text += '(';
        rewritten = true;
        continue;
      }
    }
    text += c;
    if (c == '(' && !inside_quotes) {
      plain_levels[s.fn_depth] += 1;
    } else if (c == ')') {  // closes the innermost open level, function or plain
      if (plain_levels[s.fn_depth] > 0) {
        plain_levels[s.fn_depth] -= 1;
      } else if (s.fn_depth > 0) {
        const int token = s.fn_nesting[s.fn_depth];
        s.fn_depth -= 1;
        for (const FunctionName& function : kFunctions) {
          if (function.token == token) text.append(static_cast<size_t>(function.run), static_cast<char>(token));
        }
      }
    }
  }
  if (!rewritten) return;  // the same text: nothing to write back later

  // The text as typed waits aside; buffers are exchanged, not copied.
  s.untranslated_text.swap(line);
  line.swap(text);
  s.translated_slot = s.cur_slot;
  s.translated_flag = -1;
}

void Interpreter::ApplyFunctionToken() {
  for (const FunctionName& function : kFunctions) {
    if (s.cur_char != function.token) continue;
    int16_t& top = s.int_cells[s.value_sp];
    const int16_t x = top;
    switch (function.token) {
      case 177:
        top = abs_int16(x);
        break;
      case 178:
        top = static_cast<int16_t>(round_single_to_int(floor_real(host.random_number() * static_cast<float>(x))));
        break;
      case 179:
        top = sign_int16(x);
        break;
      case 180:
        top = s.byte_memory[x];
        break;
      case 181: {
        const long low = 2L * x;  // no wrapping: outside 0..8191 is host error 9
        const int16_t low_part = s.byte_memory[low];
        const int16_t high_part = s.byte_memory[low + 1];
        top = WrapToInt16(high_part * 256 + low_part);
        break;
      }
      case 182:
        host.set_segment(round_to_int64(s.video_segment), true);
        top = host.peek_byte(x);
        host.set_segment(0, false);
        break;
    }
    s.cur_pos += function.run;
    FetchChar();
  }
}

// Puts back the text as typed of a line rewritten by an earlier statement. Positions
// outside function arguments are the same in both texts, so cur_pos stays valid. The
// immediate line is put back too, so that its later statements read it as typed; a new
// typed line never receives the old one's text because the prompt drops that rewrite.
void Interpreter::UndoTranslation() {
  if (s.translated_flag == 0) return;
  s.translated_flag = 0;
  s.program_lines[s.translated_slot].swap(s.untranslated_text);
}
