// The interpreter: its state as one record, and the class whose routines work on it.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "interpreter/characters.h"
#include "interpreter/checked_array.h"
#include "interpreter/keywords.h"
#include "interpreter/lexicon.h"
#include "interpreter/limits.h"
#include "interpreter/program_lines.h"
#include "interpreter/statement_memo.h"
#include "platform/core/host.h"

// The interpreter's state, as the dialect's routines share it: the program, the variables and
// stacks, the memory, and the scan and scratch of the statement under way. Numbers are 16-bit
// signed, flags 0 or -1.
struct InterpreterState {
  std::string windows_dir;
  std::string font_file;
  std::string font_style;
  int32_t font_handle = 0;
  double video_segment = 0;
  ProgramLines program_lines;
  CheckedArray<int16_t, kIntCells> int_cells;
  CheckedVector<int16_t> byte_memory;  // kMemoryCells, created at start-up
  FunctionNesting fn_nesting;
  CheckedArray<CheckedArray<int16_t, kForFrames + 1>, kForRows> for_stack;
  char quote_char = 0;
  char break_char = 0;
  int16_t gosub_top = 0;
  int16_t trace_on = 0;
  int16_t for_top = 0;
  std::string typed_line;
  std::string error_text;
  int16_t cur_line_number = 0;
  int16_t cur_slot = 0;
  int32_t cur_pos = 0;  // 32 bits: loaded lines may be far longer than 32767 characters
  int16_t number_value = 0;
  int cur_char = kEndOfLine;  // lower-cased byte at cur_pos
  // A rewrite of function names is read in place of its slot's text, which stays as typed.
  int16_t translated_flag = 0;
  int16_t translated_slot = 0;
  std::string translated_text;
  Word word;
  int32_t colon_pos = 0;
  std::string file_name;
  int16_t stmt_target = 0;
  int16_t var_index = 0;
  std::string input_text;
  int32_t saved_cur_pos = 0;
  std::string number_format;
  int16_t vpoke_flag = 0;
  int16_t poke_count = 0;
  CheckedArray<int16_t, kPokeArguments + 1> poke_args;
  int16_t value_sp = 0;
  int16_t fn_depth = 0;
};
static_assert(decltype(InterpreterState::for_stack)::size() == kForRows);

// What a statement handler names as the next step; one trampoline loop carries it out.
enum class Continuation { NextStatement, ExecStatement, RunSlot, MainLoop, Bye };

// Thrown where a statement is abandoned at once: the message is in error_text already.
struct StatementAbandoned {};

// The 20 rows of the help screen, in code page 437.
const std::array<std::string, 20>& help_lines();

class Interpreter {
 public:
  // With reference_paths set the interpreter reads every statement the plain way only; the
  // differential tests compare it with the memo's reading.
  explicit Interpreter(Host& host, bool reference_paths = false);
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Sets the two window settings; the host calls it before it opens its window.
  static void WindowSettings(Host& host);
  // Start-up, then the prompt loop for the rest of the process. Leaves only by HostShutdown.
  void InterpreterMain();

  const InterpreterState& state() const { return s; }

 private:
  // Start-up and the prompt loop (startup.cpp, prompt_loop.cpp).
  Continuation StartUp();
  void Trampoline(Continuation next);
  Continuation Carry(Continuation next);
  Continuation MainLoop();
  Continuation ExecuteTyped();
  Continuation StoreLine();
  Continuation ExecLine();
  Continuation ExecStatement();
  void PrintTraceMark();
  Continuation Break();
  Continuation ReadStatement();
  Continuation NextStatement();
  Continuation RunSlot();
  Continuation RuntimeErrorHandler(uint32_t code);
  void ReportHostError(uint32_t code);
  Continuation Dispatch(Keyword keyword);
  Continuation Fail(const char* message);
  void PrintItem(std::string_view text);
  void EndLine();

  // The scanner (scanner.cpp), and its verbs that abandon a statement on a failure.
  std::string_view CurrentLine() const;
  void FetchChar();
  void SkipSpaces();
  void ReadWord();
  void ReadVariableWord();
  void VariableIndex();
  void ReadNumber();
  void ReadNumberDigits(bool hexadecimal, DigitRun begun);
  void SetErrorIfNone(const char* message);
  [[noreturn]] void Abandon(const char* message);
  void AbandonOnError();
  void Expect(char c, const char* message);
  void ExpectWord(std::string_view expected, const char* message);
  int16_t ReadTargetVariable();
  void SkipRestOfLine();

  // The program store (program_store.cpp).
  void InsertLine();

  // Expressions (evaluator.cpp, factors.cpp, function_tokens.cpp).
  void EvalExpression();
  int16_t Evaluate();
  void EvalRelational();
  void EvalAdditive();
  void EvalMultiplicative();
  void EvalFactor();
  void EvalHexConstant();
  void PushValue(int16_t value);
  void CombineTop(int op);
  void DropTop();
  void TranslateFunctions();
  void ApplyFunctionToken();
  int16_t RandomBelow(int16_t x);
  int16_t ScreenByte(int16_t x);
  void UndoTranslation();

  // Statements, and the steps that the memo's reading of them shares.
  Continuation ExecPrint();
  void PrintStringLiteral();
  void PrintNumber();
  Continuation ExecInput();
  Continuation ExecOutchar();
  Continuation ExecIf();
  Continuation ExecFor();
  void PushFor(int16_t limit, int16_t step);
  Continuation ExecNext();
  Continuation StepLoop();
  Continuation ExecTrace();
  Continuation ExecStop();
  Continuation ExecRem();
  Continuation ExecRandom();
  Continuation ExecClear();
  Continuation ExecRun();
  Continuation ExecGoto();
  Continuation ExecGosub();
  void FindLine();
  Continuation ExecReturn();
  Continuation ExecNew();
  Continuation ExecEnd();
  Continuation Bye();
  Continuation ExecLet();
  Continuation ExecArrayAssignment();
  void StoreArrayCell(int16_t index, int16_t value);
  Continuation ExecPoke();
  void StorePoke(int16_t address, int16_t value);
  Continuation ExecList();
  void ListPause();
  Continuation ExecSave();
  Continuation ExecLoad();
  Continuation ExecFiles();
  void ReadProgramFileName();
  Continuation ExecHelp();
  void ClearVariables();

  // The memo's side (memo_runner.cpp): each takes the common case, and hands everything else
  // to the plain reading (ReadNumber, ReadStatement) having changed nothing.
  void NumberFromMemo();
  Continuation StatementFromMemo();
  bool JumpFromMemo(JumpSite& site, int16_t target);
  bool FindJumpTarget(JumpSite& site, int16_t target, int from);
  const SlotMemo& NumberedSlot(int slot);

  Host& host;
  InterpreterState s;
  const bool memo_on;
  StatementMemo memo;
  // While INPUT's answer or a part of an @() assignment is evaluated, the scanner reads it in
  // place of the current line (TextInPlace, scanner.cpp).
  std::optional<std::string_view> text_in_place;
  friend class TextInPlace;
  // Scratch of single statements; they carry nothing from one statement to the next.
  std::string literal_buffer;
  std::string print_buffer;
  std::string translate_buffer;
  int paren_depth = 0;  // parenthesised expressions open within one evaluation
};

// The scanner's text: the rewrite of the current line while one is pending, a text put in its
// place, or the line as typed.
inline std::string_view Interpreter::CurrentLine() const {
  if (s.translated_flag != 0 && s.translated_slot == s.cur_slot) return s.translated_text;
  if (text_in_place) return *text_in_place;
  return s.program_lines[s.cur_slot];
}

// Every statement begins here: the line it reads is the line as typed.
inline void Interpreter::UndoTranslation() { s.translated_flag = 0; }

inline void Interpreter::FetchChar() {
  // 32 bits wrap a position below 1 past any end.
  s.cur_char = CharAt(CurrentLine(), static_cast<uint32_t>(s.cur_pos - 1));
}
