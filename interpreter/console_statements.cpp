// Console statements: PRINT, INPUT and OUTCHAR.
#include "interpreter/interpreter.h"
#include "interpreter/text_in_place.h"

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
      PrintStringLiteral();
    } else if (s.cur_char == '\\') {
      host.locate_cursor(1);
      s.cur_pos += 1;
    } else {
      const bool width = s.cur_char == '#';
      if (width) {
        s.number_format.assign(1, '~');  // the next value is the width of a field
        s.cur_pos += 1;
      }
      Evaluate();
      if (width) {
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
void Interpreter::PrintStringLiteral() {
  std::string& literal = literal_buffer;
  literal.clear();
  const std::string_view line = CurrentLine();
  const int32_t length = static_cast<int32_t>(line.size());
  for (;;) {
    s.cur_pos += 1;
    if (s.cur_pos > length) Abandon("Unterminated string");
    const char c = line[static_cast<size_t>(s.cur_pos - 1)];
    if (c != s.quote_char) {
      literal += c;
      continue;
    }
    s.cur_pos += 1;
    if (s.cur_pos <= length && line[static_cast<size_t>(s.cur_pos - 1)] == s.quote_char) {
      literal += c;
      continue;
    }
    break;
  }
  PrintItem(literal);
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
    s.stmt_target = ReadTargetVariable();
    host.input_line(s.input_text, false);
    {
      // The answer is read in place of the line, which comes back on every way out.
      s.saved_cur_pos = s.cur_pos;
      TextInPlace answer(*this);
      answer.Put(s.input_text);
      EvalExpression();
    }
    AbandonOnError();
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
  PrintItem(string_chr(Evaluate()));  // outside 0..255: host error 5
  return Continuation::NextStatement;
}
