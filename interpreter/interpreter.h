// The interpreter: its whole state in one record, and the class whose routines work on it.
#pragma once
#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host.h"

// An array of the interpreter's whose every element access is bound-checked (host error 9).
template <typename T, long N>
struct CheckedArray {
  std::array<T, N> cells{};
  T& operator[](long index) {
    check_index(index, N);
    return cells[index];
  }
  const T& operator[](long index) const {
    check_index(index, N);
    return cells[index];
  }
  static constexpr long size() { return N; }
};

template <typename T>
struct CheckedVector {
  std::vector<T> cells;
  T& operator[](long index) {
    check_index(index, static_cast<long>(cells.size()));
    return cells[index];
  }
  long size() const { return static_cast<long>(cells.size()); }
};

// Characters by table: the scanner asks these of every character it reads.
struct CharacterTables {
  std::array<uint8_t, 256> lower{};        // A to Z in lower case, every other byte as it is
  std::array<uint8_t, 256> word_letter{};  // a word's letters in lower case; 0 for any other byte
};
constexpr CharacterTables MakeCharacterTables() {
  CharacterTables tables{};
  for (int c = 0; c < 256; ++c) {
    const int lower = (c >= 'A' && c <= 'Z') ? c + 32 : c;
    tables.lower[static_cast<size_t>(c)] = static_cast<uint8_t>(lower);
    const bool letter = (lower >= 'a' && lower <= 'z') || lower == '@';
    tables.word_letter[static_cast<size_t>(c)] = letter ? static_cast<uint8_t>(lower) : 0;
  }
  return tables;
}
inline constexpr CharacterTables kCharacters = MakeCharacterTables();

// Keywords and names compare in lower case; only A to Z change.
inline int LowerCase(unsigned char c) { return kCharacters.lower[c]; }

// The letters of a word, after lower-casing: a to z and "@".
inline bool IsWordChar(int c) { return (c >= 'a' && c <= 'z') || c == '@'; }

// A word as the scanner reads it: letters and "@", in lower case, kept as its length and its
// first eight letters packed into one number. Nothing the dialect compares a word with is
// longer than eight letters (keywords, SIZE, INCHAR, THEN, PAUSE, ...), and a longer word
// equals none of them by its length alone, so a comparison takes one step.
class Word {
 public:
  static constexpr size_t kPacked = 8;
  size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  char front() const { return static_cast<char>(head_ & 0xFF); }
  void clear() {
    length_ = 0;
    head_ = 0;
  }
  // A word of one letter, already in lower case.
  void assign(char letter) {
    head_ = static_cast<unsigned char>(letter);
    length_ = 1;
  }
  // Reads the run of letters that starts at `text` and ends at a byte that is none (a NUL
  // at the latest); how many letters it had.
  size_t read_run(const unsigned char* text) {
    uint64_t head = 0;
    size_t n = 0;
    for (unsigned char letter; (letter = kCharacters.word_letter[text[n]]) != 0; ++n) {
      if (n < kPacked) head |= static_cast<uint64_t>(letter) << (8 * n);
    }
    head_ = head;
    length_ = n;
    return n;
  }
  void push_back(char c) {
    if (length_ < kPacked) head_ |= static_cast<uint64_t>(static_cast<unsigned char>(c)) << (8 * length_);
    length_ += 1;
  }
  // The first eight letters of `text`, packed as a word packs its own.
  static constexpr uint64_t Pack(std::string_view text) {
    uint64_t packed = 0;
    for (size_t i = 0; i < text.size() && i < kPacked; ++i) {
      packed |= static_cast<uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    }
    return packed;
  }
  // Whether the word is the one of `length` letters, at most eight, that packs as `packed`.
  bool Is(uint64_t packed, size_t length) const { return length_ == length && head_ == packed; }
  // `text` is lower case and eight letters long at most.
  template <size_t N>
  bool operator==(const char (&text)[N]) const {
    static_assert(N - 1 <= kPacked, "words compare with eight letters at most");
    return Is(Pack(std::string_view(text, N - 1)), N - 1);
  }

 private:
  uint64_t head_ = 0;
  size_t length_ = 0;
};

constexpr int kImmediateSlot = 26;
constexpr int kFirstProgramSlot = 27;
constexpr int kLastProgramSlot = 325;
constexpr int kSlotCount = kLastProgramSlot + 1;

// The texts of the program store, slot by slot. Indexing reads only: every change goes
// through Interpreter::EditLine (the moves of InsertLine through ForgetLineNumbers), so that
// the memo of line numbers below hears of it.
struct ProgramLines {
  std::array<std::string, kSlotCount> cells{};
  const std::string& operator[](long slot) const {
    check_index(slot, kSlotCount);
    return cells[static_cast<size_t>(slot)];
  }
};

// The leading number of each slot's text as ReadNumber reads it from the start of the line,
// read once per text instead of on every search and every run: an entry is forgotten
// whenever its slot's text changes, and read again when it is next asked for. Beside it, and
// forgotten with it, whether the text holds a "(" at all.
class LineNumbers {
 public:
  LineNumbers();
  void Forget(int slot);
  // Forgets only whether the slot's text holds a "(": for a text that stands in the slot while
  // one statement runs and leaves before anything reads the slot's number.
  void ForgetParenthesis(int slot) { parentheses_[static_cast<size_t>(slot)] = kNotLooked; }
  // Reads the slot's entry from its text unless it is known.
  void Read(int slot, const std::string& text) {
    if (states_[static_cast<size_t>(slot)] == kUnread) ReadText(slot, text);
  }
  // Reads every forgotten entry again.
  void ReadForgotten(const ProgramLines& lines) {
    if (forgotten_count_ > 0) ReadForgottenEntries(lines);
  }
  // Whether the slot's text, `text`, has no "(": looked for once per text.
  bool WithoutParenthesis(int slot, const std::string& text) {
    Parenthesis& known = parentheses_[static_cast<size_t>(slot)];
    if (known == kNotLooked) known = text.find('(') == std::string::npos ? kNone : kSome;
    return known == kNone;
  }
  // The first slot from `from` on whose number is `target` or that reads as illegal;
  // kSlotCount when there is none. Every entry from `from` on must be known.
  int Find(int from, int16_t target) const;

  int16_t value(int slot) const { return values_[static_cast<size_t>(slot)]; }
  int32_t end_pos(int slot) const { return ends_[static_cast<size_t>(slot)]; }  // after the digits, or on the "."
  bool illegal(int slot) const { return states_[static_cast<size_t>(slot)] == kIllegal; }

 private:
  enum State : uint8_t { kUnread, kRead, kIllegal };
  enum Parenthesis : uint8_t { kNotLooked, kNone, kSome };
  std::array<Parenthesis, kSlotCount> parentheses_{};
  // Find's recent answers, one per target: `slot` was found searching from `from`. Any change
  // to an entry starts a new generation, which makes every older answer stale. An answer
  // holds for every start from `from` up to `slot`, as no slot between them has the number.
  struct FoundSlot {
    uint64_t generation = 0;
    int16_t from = 0;
    int16_t target = 0;
    int16_t slot = 0;
  };
  static constexpr size_t kFoundSlots = 512;
  int Search(int from, int16_t target) const;
  void ReadText(int slot, const std::string& text);
  void ReadForgottenEntries(const ProgramLines& lines);
  mutable std::array<FoundSlot, kFoundSlots> found_{};
  uint64_t generation_ = 1;
  std::array<int16_t, kSlotCount> values_{};
  std::array<int32_t, kSlotCount> ends_{};
  std::array<State, kSlotCount> states_{};
  std::array<int16_t, kSlotCount> forgotten_{};  // slots whose entries may await reading
  std::array<bool, kSlotCount> listed_{};        // in forgotten_, so that each is there once
  int forgotten_count_ = 0;
  int illegal_count_ = 0;
};
// Function rewrites already made, kept by the text as typed: a statement that runs again
// finds its line's rewrite here and copies it instead of making it again. The text is
// compared whole, so a changed line can never find a stale rewrite. Two per slot, as one @()
// assignment rewrites its line and then its value text in the same slot.
class TranslationMemo {
 public:
  struct Rewrite {
    std::string typed;
    std::string translated;
    char quote = 0;
  };
  TranslationMemo() : rewrites_(2 * kSlotCount) {}
  const Rewrite* Find(int slot, const std::string& typed, char quote) const {
    for (int way = 0; way < 2; ++way) {
      const Rewrite& rewrite = rewrites_[2 * static_cast<size_t>(slot) + static_cast<size_t>(way)];
      if (rewrite.quote == quote && rewrite.typed == typed) return &rewrite;
    }
    return nullptr;
  }
  // The entry to fill with a new rewrite of the slot; the older of its two makes way.
  Rewrite& Replace(int slot) {
    uint8_t& older = older_[static_cast<size_t>(slot)];
    Rewrite& rewrite = rewrites_[2 * static_cast<size_t>(slot) + older];
    older ^= 1;
    return rewrite;
  }

 private:
  std::vector<Rewrite> rewrites_;  // on the heap: some 50 KB
  std::array<uint8_t, kSlotCount> older_{};
};

constexpr int kVariableA = 27;   // cells 27..52 are A..Z
constexpr int kValueBase = 53;   // value stack base cell; values in 54..82
constexpr int kValueTop = 82;
constexpr int kGosubBase = 83;   // return stack cells 83..112
constexpr int kArrayMarker = -6; // var_index of any word that begins with "@"
constexpr int kEndOfLine = -1;   // cur_char past the end of the line
constexpr int kFirstToken = 177; // the function tokens, ABS to VPEEK
constexpr int kLastToken = 182;
// How many characters each token's run holds: as many as the name's letters it replaced
// (ABS, RND, SGN, PEEK, @, VPEEK).
constexpr std::array<int, kLastToken - kFirstToken + 1> kTokenRuns = {3, 3, 3, 4, 1, 5};
constexpr size_t TokenRun(int token) { return static_cast<size_t>(kTokenRuns[static_cast<size_t>(token - kFirstToken)]); }

// The interpreter's whole persistent state. Numbers are 16-bit signed, flags 0 or -1.
struct InterpreterState {
  std::string windows_dir;
  std::string font_file;
  std::string font_style;
  int32_t font_handle = 0;
  double video_segment = 0;
  ProgramLines program_lines;
  CheckedArray<int16_t, 113> int_cells;
  CheckedVector<int16_t> byte_memory;
  CheckedArray<int16_t, 21> fn_nesting;
  CheckedArray<CheckedArray<int16_t, 31>, 5> for_stack;  // rows: 1 variable, 2 limit, 3 step, 4 resume slot
  char quote_char = 0;
  char break_char = 0;
  int16_t gosub_top = 0;
  int16_t trace_on = 0;
  int16_t for_top = 0;
  std::string typed_line;
  std::string error_text;
  int16_t cur_line_number = 0;
  int16_t cur_slot = 0;
  int32_t cur_pos = 0;          // 32 bits: loaded lines may be far longer than 32767 characters
  int16_t number_value = 0;
  int cur_char = kEndOfLine;    // lower-cased byte at cur_pos, kEndOfLine past the end
  int16_t translated_flag = 0;
  int16_t translated_slot = 0;
  std::string untranslated_text;
  // The scanner's copy of the current line is no copy: CurrentLine() follows
  // program_lines(cur_slot) in place, so it always reads as of the last FetchChar.
  Word word;
  int32_t colon_pos = 0;
  std::string file_name;
  int16_t stmt_target = 0;
  int16_t var_index = 0;
  std::string input_text;
  int32_t saved_cur_pos = 0;
  std::string saved_line;
  std::string number_format;
  int16_t vpoke_flag = 0;
  int16_t poke_count = 0;
  CheckedArray<int16_t, 11> poke_args;
  int16_t value_sp = 0;
  int16_t fn_depth = 0;
};

// What a statement handler names as the next step; one trampoline loop carries it out.
enum class Continuation { NextStatement, ExecStatement, RunSlot, MainLoop, Bye };

// The low 16 bits of a value, read as a signed 16-bit number.
inline int16_t WrapToInt16(int32_t value) { return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF)); }

// The 20 rows of the help screen, in code page 437.
const std::array<std::string, 20>& help_lines();

// Thrown where a statement is abandoned at once ("Illegal number", "Illegal Number"):
// the message is already in error_text and the prompt follows.
struct StatementAbandoned {};

class Interpreter {
  friend struct KeywordTable;

 public:
  // With reference_paths set, the scanner, the keyword dispatch, the function rewrite and
  // the reading of stored line numbers take their plain, slow form, character by character
  // and slot by slot; the differential test runs both and compares what they show.
  explicit Interpreter(Host& host, bool reference_paths = false);
  // The scanner holds a pointer into the object's own state.
  Interpreter(const Interpreter&) = delete;
  Interpreter& operator=(const Interpreter&) = delete;

  // Sets the two window settings; the host calls it before it opens its window.
  static void WindowSettings(Host& host);
  // Start-up, then the prompt loop for the rest of the process. Leaves only by HostShutdown.
  void InterpreterMain();

  const InterpreterState& state() const { return s; }

 private:
  // Start-up and the prompt loop.
  Continuation StartUp();
  void Trampoline(Continuation next);
  Continuation Carry(Continuation next);
  Continuation MainLoop();
  Continuation ExecuteTyped();
  Continuation StoreLine();
  Continuation ExecLine();
  Continuation ExecStatement();
  Continuation NextStatement();
  Continuation RunSlot();
  Continuation RuntimeErrorHandler(uint32_t code);
  void ReportHostError(uint32_t code);
  Continuation Dispatch();
  Continuation DispatchByTable();
  Continuation Fail(const char* message);
  void PrintItem(std::string_view text);
  void EndLine();

  // Scanner.
  void FetchChar();
  void FetchRawChar();
  void SkipSpaces();
  void SkipSpacesByChar();
  void SkipBlankRun();
  void ReadWord();
  void ReadWordByChar();
  void ReadVariableWord();
  void VariableIndex();
  void ReadNumber();
  void ReadNumberDigits(bool hexadecimal, uint32_t value, int significant_digits);
  void SetErrorIfNone(const char* message);
  [[noreturn]] void Abandon(const char* message);
  const std::string& CurrentLine();
  void FollowSlot();

  // Program store.
  void InsertLine();
  void ReadLineNumber();
  void ReadLineNumberByChar();
  std::string& EditLine(int slot);
  std::string& SubstituteLine(int slot);
  std::string& RewriteLine(int slot);
  void ForgetLineNumbers(int first_slot);

  // Expressions.
  void EvalExpression();
  bool EvalFlatExpression();
  template <bool kNamesAsTyped>
  bool EvalFlatText(const unsigned char* text, size_t size, size_t pos);
  bool EvalTextAsTyped(const std::string& line, size_t begin, size_t end);
  bool EvalSingleOperandText(const unsigned char* text, size_t length);
  void EndFlatReading(int16_t value, int variable, size_t pos, int next);
  void EvalRelational();
  void EvalAdditive();
  void EvalMultiplicative();
  void EvalFactor();
  void EvalHexConstant();
  void PushValue(int16_t value);
  void CombineTop(int op);
  void DropTop();
  void TranslateFunctions();
  void TranslateFunctionsInPlace();
  void TranslateFunctionsByChar();
  void ApplyFunctionToken();
  void UndoTranslation();
  void PutBackTypedText();

  // Statements.
  Continuation ExecPrint();
  Continuation PrintStringLiteral();
  void PrintNumber();
  Continuation ExecInput();
  Continuation ExecOutchar();
  Continuation ExecIf();
  Continuation ExecFor();
  void PushFor(int16_t limit, int16_t step);
  Continuation ExecNext();
  Continuation ExecTrace();
  Continuation ExecStop();
  Continuation ExecRem();
  Continuation ExecRandom();
  Continuation ExecClear();
  Continuation ExecRun();
  Continuation ExecGoto();
  Continuation ExecGosub();
  bool FindLine();
  bool FindLineByNumbers();
  Continuation ExecReturn();
  Continuation ExecNew();
  Continuation ExecEnd();
  Continuation Bye();
  Continuation ExecLet();
  Continuation ExecArrayAssignment();
  void SplitArrayAssignment();
  bool ExecArrayAssignmentInPlace();
  void StoreArrayCell(int16_t index, int16_t value);
  Continuation ExecPoke();
  Continuation ExecList();
  void ListPause();
  Continuation ExecSave();
  Continuation ExecLoad();
  Continuation ExecFiles();
  void ReadProgramFileName();
  Continuation ExecHelp();

  void ClearVariables();

  Host& host;
  InterpreterState s;
  const bool reference_paths;
  // The scanner's hold on the current line: the slot it follows and that slot's text.
  // The texts never move in program_lines, so the hold stays good while cur_slot stays.
  int16_t followed_slot = -1;
  const std::string* followed_line = nullptr;
  LineNumbers line_numbers;
  TranslationMemo translations;
  // Scratch of the statements that cut and substitute texts; they carry nothing between statements.
  std::string index_text;
  std::string value_text;
  std::string translate_buffer;
  std::string literal_buffer;
  std::string print_buffer;
  std::array<unsigned char, 257> text_as_typed{};  // a part of a line, read flat, with a NUL after it
  std::array<int32_t, 21> plain_levels{};  // plain "(" open above each open function while translating
  int paren_depth = 0;  // nesting of parenthesised expressions within one evaluation
};

// The scanner's per-character primitives, inline: they run several times per character.
inline const std::string& Interpreter::CurrentLine() {
  if (s.cur_slot != followed_slot) FollowSlot();
  return *followed_line;
}

inline void Interpreter::FetchChar() {
  const std::string& line = CurrentLine();
  const uint32_t index = static_cast<uint32_t>(s.cur_pos - 1);  // below 1: past any end
  s.cur_char = index < line.size() ? LowerCase(static_cast<unsigned char>(line[index])) : kEndOfLine;
}

inline void Interpreter::PushValue(int16_t value) {
  // The value stack ends at cell 82: the GOSUB return stack above it is never overwritten.
  if (s.value_sp >= kValueTop) throw HostError{9};
  s.value_sp += 1;
  s.int_cells[s.value_sp] = value;
}

inline void Interpreter::VariableIndex() {
  const int first = s.word.empty() ? 0 : static_cast<unsigned char>(s.word.front());
  if ((s.word.size() == 1 && first >= 'a' && first <= 'z') || first == '@') {
    s.var_index = static_cast<int16_t>(first - 70);
  } else {
    SetErrorIfNone("Variable expected");
  }
}

// Every evaluation asks for the rewrite; most lines have been rewritten already or hold no
// "(" at all, which is settled here without a call.
inline void Interpreter::TranslateFunctions() {
  if (s.translated_flag != 0 && s.translated_slot == s.cur_slot) return;
  if (reference_paths) return TranslateFunctionsByChar();
  if (line_numbers.WithoutParenthesis(s.cur_slot, CurrentLine())) return;  // no call can stand in it
  TranslateFunctionsInPlace();
}

// Every statement begins here; most find nothing rewritten.
inline void Interpreter::UndoTranslation() {
  if (s.translated_flag != 0) PutBackTypedText();
}

// The number at the start of the line in cur_slot, from the memo; cur_pos and cur_char after it.
inline void Interpreter::ReadLineNumber() {
  if (reference_paths) return ReadLineNumberByChar();
  line_numbers.Read(s.cur_slot, CurrentLine());  // CurrentLine checks the slot first
  s.cur_pos = line_numbers.end_pos(s.cur_slot);
  FetchChar();
  if (line_numbers.illegal(s.cur_slot)) Abandon("Illegal number");
  s.number_value = line_numbers.value(s.cur_slot);
}

// Most calls stand on a character that is no blank already.
inline void Interpreter::SkipSpaces() {
  if (reference_paths) return SkipSpacesByChar();
  FetchChar();
  if (s.cur_char == ' ') SkipBlankRun();
}
