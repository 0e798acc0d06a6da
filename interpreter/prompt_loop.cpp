// The prompt loop and statement sequencing: the trampoline, the keyword dispatch, errors.
#include "interpreter/interpreter.h"

// Carries out one continuation after another. Handlers only name what comes next, so the
// C++ stack stays flat however long a program runs and however many errors it meets.
void Interpreter::Trampoline(Continuation next) {
  for (;;) {
    try {
      for (;;) next = Carry(next);
    } catch (const HostError& error) {
      next = RuntimeErrorHandler(error.code);
    } catch (const StatementAbandoned&) {
      next = Continuation::MainLoop;
    }
  }
}

Continuation Interpreter::Carry(Continuation next) {
  switch (next) {
    case Continuation::NextStatement: return NextStatement();
    case Continuation::ExecStatement: return ExecStatement();
    case Continuation::RunSlot: return RunSlot();
    case Continuation::MainLoop: return MainLoop();
    case Continuation::Bye: return Bye();
  }
  return Continuation::MainLoop;
}

void Interpreter::PrintItem(std::string_view text) {
  host.print_fit(text);
  host.print_string(text, false);
}

void Interpreter::EndLine() { host.print_string("", true); }

Continuation Interpreter::Fail(const char* message) {
  s.error_text = message;
  return Continuation::MainLoop;
}

Continuation Interpreter::MainLoop() {
  if (!s.error_text.empty()) {
    const std::string line = s.cur_line_number > 0
                                 ? "#Err in " + format_int16(s.cur_line_number) + ": " + s.error_text
                                 : "#Err: " + s.error_text;
    PrintItem(line);
    EndLine();
    s.error_text.clear();
  }
  PrintItem(": ");
  host.input_line(s.typed_line, true);  // a close during the wait never returns

  // A rewrite still pending belongs to the line typed before: it must never be read in place
  // of the new one.
  UndoTranslation();
  s.program_lines.Write(kImmediateSlot) = s.typed_line;
  return ExecuteTyped();
}

Continuation Interpreter::ExecuteTyped() {
  s.cur_slot = kImmediateSlot;
  s.cur_pos = 1;
  s.cur_line_number = 0;
  ReadNumber();
  s.cur_line_number = s.number_value;
  if (s.number_value != 0) return StoreLine();
  if (s.cur_char == kEndOfLine) return Continuation::MainLoop;  // nothing but blanks or zeros
  return Continuation::ExecStatement;
}

Continuation Interpreter::StoreLine() {
  InsertLine();
  return Continuation::MainLoop;
}

// Starts the stored line in cur_slot from its beginning.
Continuation Interpreter::RunSlot() {
  s.cur_pos = 1;
  if (s.program_lines[s.cur_slot].empty()) return Continuation::MainLoop;  // the run is over
  return ExecLine();
}

Continuation Interpreter::ExecLine() {
  if (memo_on) {
    NumberFromMemo();
  } else {
    ReadNumber();
  }
  s.cur_line_number = s.number_value;
  return ExecStatement();
}

Continuation Interpreter::ExecStatement() {
  UndoTranslation();
  if (s.trace_on != 0 && s.cur_line_number != 0) PrintTraceMark();
  host.statement_event();
  if (host.inkey() == s.break_char) return Break();
  return memo_on ? StatementFromMemo() : ReadStatement();
}

void Interpreter::PrintTraceMark() {
  PrintItem("[");
  PrintItem(format_int16(s.cur_line_number) + " ");
  PrintItem("]");
}

Continuation Interpreter::Break() {
  PrintItem("Break in " + format_int16(s.cur_line_number));
  EndLine();
  return Continuation::MainLoop;
}

// The statement's word, then its keyword's handler.
Continuation Interpreter::ReadStatement() {
  ReadWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  return Dispatch(KeywordOf(s.word));
}

// The handler of each keyword; any other word is the implicit assignment.
Continuation Interpreter::Dispatch(Keyword keyword) {
  switch (keyword) {
    case Keyword::kRandom: return ExecRandom();
    case Keyword::kFiles: return ExecFiles();
    case Keyword::kOutchar: return ExecOutchar();
    case Keyword::kFor: return ExecFor();
    case Keyword::kNext: return ExecNext();
    case Keyword::kTrace: return ExecTrace();
    case Keyword::kStop: return ExecStop();
    case Keyword::kIf: return ExecIf();
    case Keyword::kRem: return ExecRem();
    case Keyword::kInput: return ExecInput();
    case Keyword::kPrint: return ExecPrint();
    case Keyword::kPoke:
    case Keyword::kVpoke: return ExecPoke();
    case Keyword::kClear: return ExecClear();
    case Keyword::kRun: return ExecRun();
    case Keyword::kGoto: return ExecGoto();
    case Keyword::kGosub: return ExecGosub();
    case Keyword::kReturn: return ExecReturn();
    case Keyword::kNew: return ExecNew();
    case Keyword::kHelp: return ExecHelp();
    case Keyword::kEnd: return ExecEnd();
    case Keyword::kBye: return Bye();
    case Keyword::kList: return ExecList();
    case Keyword::kSave: return ExecSave();
    case Keyword::kLoad: return ExecLoad();
    case Keyword::kLet:
    case Keyword::kNone: return ExecLet();
  }
  return ExecLet();
}

// Goes straight on into the next statement, as ExecLine does: the handler it reaches returns
// its own continuation to the trampoline, so the stack stays as deep as one statement.
Continuation Interpreter::NextStatement() {
  SkipSpaces();
  if (s.cur_char == ':') {
    s.cur_pos += 1;
    return ExecStatement();
  }
  if (s.cur_char != kEndOfLine) return Fail("End of statement expected");
  if (s.cur_slot == kImmediateSlot) return Continuation::MainLoop;
  s.cur_slot += 1;
  if (s.cur_slot == kSlotCount) return Fail("Program Overflow");
  return RunSlot();
}

void Interpreter::ReportHostError(uint32_t code) {
  switch (code) {
    case 6:
      s.error_text = "Overflow";
      break;
    case 53:
      host.file_close();
      s.error_text = "File " + s.file_name + " not found";
      break;
    default:
      PrintItem("Error ");
      PrintItem(format_uint32(code) + " ");
      EndLine();
      break;
  }
}

Continuation Interpreter::RuntimeErrorHandler(uint32_t code) {
  ReportHostError(code);
  return Continuation::MainLoop;
}
