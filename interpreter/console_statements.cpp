// Console statements: PRINT, INPUT and OUTCHAR.
#include "interpreter/interpreter.h"
#include "interpreter/scope_exit.h"

Continuation Interpreter::ExecPrint() {
  s.number_format.clear();
  FetchChar();  // no blanks skipped: "PRINT " alone is an item list without an item
  if (s.cur_char == kEndOfLine || s.cur_char == ':') {
    EndLine();
    return Continuation::NextStatement;
  }
  for (;;) {
    SkipSpaces();
    if (s.cur_char == s.quote_char) {
      if (PrintStringLiteral() == Continuation::MainLoop) return Continuation::MainLoop;
    } else if (s.cur_char == '\\') {
      host.locate_cursor(1);
      s.cur_pos += 1;
    } else {
      if (s.cur_char == '#') {
        s.number_format.assign(1, '~');  // the next value is the width of a field
        s.cur_pos += 1;
      }
      EvalExpression();
      if (!s.error_text.empty()) return Continuation::MainLoop;
      if (s.number_format == "~") {
        s.number_format = string_fill(s.number_value, '#');
      } else {
        PrintNumber();
      }
    }
    SkipSpaces();
    if (s.cur_char == ',') {
      s.cur_pos += 1;
      continue;
    }
    if (s.cur_char == ';') {
      s.cur_pos += 1;
      return Continuation::NextStatement;
    }
    EndLine();
    return Continuation::NextStatement;
  }
}

// The literal at cur_pos, taken as it stands; two quotes inside it stand for one.
Continuation Interpreter::PrintStringLiteral() {
  std::string& literal = literal_buffer;
  literal.clear();
  const std::string& line = CurrentLine();
  const int32_t length = static_cast<int32_t>(line.size());
  for (;;) {
    s.cur_pos += 1;
    if (s.cur_pos > length) return Fail("Unterminated string");
    const char c = line[s.cur_pos - 1];
    if (c != s.quote_char) {
      literal += c;
      continue;
    }
    s.cur_pos += 1;
    if (s.cur_pos <= length && line[s.cur_pos - 1] == s.quote_char) {
      literal += c;
      continue;
    }
    break;
  }
  PrintItem(literal);
  return Continuation::NextStatement;
}

void Interpreter::PrintNumber() {
  if (s.number_format.empty()) {
    PrintItem(string_ltrim(format_int16(s.number_value)));
    return;
  }
  // A field wraps at column 80 instead of moving to the next row.
  print_buffer.clear();
  host.print_using_integer(s.number_format, s.number_value, 0, print_buffer);
  host.print_string(print_buffer, false);
}

Continuation Interpreter::ExecInput() {
  for (;;) {
    PrintItem("? ");
    ReadVariableWord();
    if (!s.error_text.empty()) return Continuation::MainLoop;
    s.stmt_target = s.var_index;
    host.input_line(s.input_text, false);
    {
      // The answer is evaluated in place of the line; the line comes back on every way out.
      const int16_t slot = s.cur_slot;
      s.saved_cur_pos = s.cur_pos;
      s.saved_line.swap(SubstituteLine(slot));
      ScopeExit put_back([this, slot] {
        SubstituteLine(slot).swap(s.saved_line);
        s.cur_pos = s.saved_cur_pos;
        s.translated_flag = 0;  // the answer's rewrite is never written back
      });
      SubstituteLine(slot) = s.input_text;
      s.cur_pos = 1;
      EvalExpression();
    }
    if (!s.error_text.empty()) return Continuation::MainLoop;
    s.int_cells[s.stmt_target] = s.number_value;  // "@" has no cell: host error 9
    SkipSpaces();
    if (s.cur_char != ',') break;
    PrintItem(" ");
    s.cur_pos += 1;
  }
  EndLine();
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecOutchar() {
  EvalExpression();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  PrintItem(string_chr(s.number_value));  // outside 0..255: host error 5
  return Continuation::NextStatement;
}
