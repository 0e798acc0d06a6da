// Function tokens: function names rewritten in place into runs of token characters.
#include "interpreter/interpreter.h"

#include <algorithm>
#include <array>

namespace {

struct FunctionName {
  std::string_view name;  // lower case, with its "("
  int token;
};

// The order of the table is the order in which ApplyFunctionToken tests the tokens.
constexpr FunctionName kFunctions[] = {
    {"abs(", 177}, {"rnd(", 178}, {"sgn(", 179}, {"peek(", 180}, {"@(", 181}, {"vpeek(", 182},
};

// A token's run is as long as the name it replaces, "(" aside.
constexpr bool RunsAgree() {
  for (const FunctionName& function : kFunctions) {
    if (TokenRun(function.token) != function.name.size() - 1) return false;
  }
  return true;
}
static_assert(RunsAgree());

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

// Whether the letters right before pos spell `letters` (lower case), case aside.
bool LettersBefore(const std::string& line, size_t pos, std::string_view letters) {
  if (pos < letters.size()) return false;
  const size_t start = pos - letters.size();
  for (size_t i = 0; i < letters.size(); ++i) {
    if (LowerCase(static_cast<unsigned char>(line[start + i])) != letters[i]) return false;
  }
  return true;
}

// The function whose name ends right before the "(" at pos, looked for in the text as
// typed; a name is letters and "@" only, so it never reaches back past a quote or a
// parenthesis. The last letter tells which name it can be.
const FunctionName* FunctionBefore(const std::string& line, size_t pos) {
  static constexpr const FunctionName* kAbs = &kFunctions[0];
  static constexpr const FunctionName* kRnd = &kFunctions[1];
  static constexpr const FunctionName* kSgn = &kFunctions[2];
  static constexpr const FunctionName* kPeek = &kFunctions[3];
  static constexpr const FunctionName* kArray = &kFunctions[4];
  static constexpr const FunctionName* kVpeek = &kFunctions[5];
  static_assert(kAbs->token == kFirstToken && kRnd->token == 178 && kSgn->token == 179 && kPeek->token == 180 &&
                kArray->token == 181 && kVpeek->token == kLastToken);
  if (pos == 0) return nullptr;
  switch (LowerCase(static_cast<unsigned char>(line[pos - 1]))) {
    case '@': return kArray;
    case 's': return LettersBefore(line, pos, "abs") ? kAbs : nullptr;
    case 'd': return LettersBefore(line, pos, "rnd") ? kRnd : nullptr;
    case 'n': return LettersBefore(line, pos, "sgn") ? kSgn : nullptr;
    // "peek(" inside "vpeek(" is VPEEK's: the walk meets the name at its first letter.
    case 'k':
      if (LettersBefore(line, pos, "vpeek")) return kVpeek;
      return LettersBefore(line, pos, "peek") ? kPeek : nullptr;
    default: return nullptr;  // no name ends here: the common case, decided at once
  }
}

// The bytes at which the rewrite has something to do, with the quotation mark as quote.
constexpr std::array<bool, 256> MakeStops() {
  std::array<bool, 256> stops{};
  stops['('] = stops[')'] = stops['"'] = true;
  return stops;
}
constexpr std::array<bool, 256> kStops = MakeStops();

// The first position from `from` on that holds a quote or a parenthesis, or the size.
size_t NextStop(const std::string& text, size_t from, char quote) {
  const size_t size = text.size();
  if (quote == '"') {
    while (from < size && !kStops[static_cast<unsigned char>(text[from])]) ++from;
  } else {
    while (from < size && text[from] != quote && text[from] != '(' && text[from] != ')') ++from;
  }
  return from;
}

}  // namespace

// One pass that touches only what changes: the line is searched for a "(" with a name in
// front of it, and only then copied aside and rewritten in place, from that name on. The
// rewritten text is never longer than the text as typed, and every write lands behind the
// read position, so the text as typed is read from its copy in untranslated_text.
// (TranslateFunctions, inline in the header, has settled the cases where nothing is to do.)
void Interpreter::TranslateFunctionsInPlace() {
  const std::string& typed = CurrentLine();

  const char quote = s.quote_char;
  if (const TranslationMemo::Rewrite* known = translations.Find(s.cur_slot, typed, quote)) {
    // Copies, not exchanges: each text keeps its own buffer, so none of them ever needs a
    // larger one once the program has run. (The nesting the rewrite counts with is its own
    // scratch: nothing reads it afterwards, so a remembered rewrite leaves it be.)
    s.untranslated_text.assign(typed);  // the text as typed waits aside, as below
    RewriteLine(s.cur_slot).assign(known->translated);
    s.translated_slot = s.cur_slot;
    s.translated_flag = -1;
    return;
  }

  size_t first_name = std::string::npos;
  bool inside_quotes = false;
  for (size_t pos = NextStop(typed, 0, quote); pos < typed.size(); pos = NextStop(typed, pos + 1, quote)) {
    const char c = typed[pos];
    if (c == quote) {
      inside_quotes = !inside_quotes;
    } else if (c == '(' && !inside_quotes) {
      if (const FunctionName* function = FunctionBefore(typed, pos)) {
        first_name = pos - (function->name.size() - 1);
        break;
      }
    }
  }
  if (first_name == std::string::npos) return;  // the same text: nothing to write back later

  s.untranslated_text.assign(typed);
  const std::string& source = s.untranslated_text;
  std::string& line = RewriteLine(s.cur_slot);
  const size_t size = source.size();
  size_t read = first_name;
  size_t write = first_name;
  s.fn_depth = 0;
  plain_levels[0] = 0;
  inside_quotes = false;
  while (read < size) {
    // A run of characters that change nothing moves along as it is.
    const size_t stop = NextStop(source, read, quote);
    if (write != read) std::copy(source.begin() + static_cast<long>(read), source.begin() + static_cast<long>(stop), line.begin() + static_cast<long>(write));
    write += stop - read;
    read = stop;
    if (read == size) break;

    const char c = source[read++];
    if (c == quote) {
      inside_quotes = !inside_quotes;
    } else if (c == '(' && !inside_quotes) {
      if (const FunctionName* function = FunctionBefore(source, read - 1)) {
        const int depth = s.fn_depth + 1;
        if (depth >= s.fn_nesting.size()) line.assign(source);  // the line keeps its text
        s.fn_nesting[depth] = static_cast<int16_t>(function->token);  // a 21st: host error 9
        s.fn_depth = static_cast<int16_t>(depth);
        plain_levels[depth] = 0;
        write -= function->name.size() - 1;  // the name is taken out
      } else {
        plain_levels[s.fn_depth] += 1;
      }
    } else if (c == ')') {  // closes the innermost open level, function or plain
      if (plain_levels[s.fn_depth] > 0) {
        plain_levels[s.fn_depth] -= 1;
      } else if (s.fn_depth > 0) {
        const int token = s.fn_nesting[s.fn_depth];
        s.fn_depth -= 1;
        line[write++] = c;
        const size_t run = TokenRun(token);
        std::fill_n(line.begin() + static_cast<long>(write), run, static_cast<char>(token));
        write += run;
        continue;
      }
    }
    line[write++] = c;
  }
  line.resize(write);  // shorter only when a function's ")" never came
  s.translated_slot = s.cur_slot;
  s.translated_flag = -1;

  TranslationMemo::Rewrite& kept = translations.Replace(s.cur_slot);
  kept.typed.assign(source);
  kept.translated.assign(line);
  kept.quote = quote;
}

// The rewrite character by character into a new text, as plainly as it can be said.
void Interpreter::TranslateFunctionsByChar() {
  std::string& line = RewriteLine(s.cur_slot);
  if (line.find('(') == std::string::npos) return;

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
        text.append(TokenRun(token), static_cast<char>(token));
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
  if (s.cur_char < kFirstToken || s.cur_char > kLastToken) return;
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
    s.cur_pos += static_cast<int32_t>(TokenRun(function.token));
    FetchChar();
  }
}

// Puts back the text as typed of a line rewritten by an earlier statement. Positions
// outside function arguments are the same in both texts, so cur_pos stays valid. The
// immediate line is put back too, so that its later statements read it as typed; a new
// typed line never receives the old one's text because the prompt drops that rewrite.
void Interpreter::PutBackTypedText() {
  s.translated_flag = 0;
  RewriteLine(s.translated_slot).assign(s.untranslated_text);  // copied back: see TranslateFunctions
}
