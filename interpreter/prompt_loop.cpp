// The prompt loop and statement sequencing: the trampoline, the keyword dispatch, errors.
#include "interpreter/interpreter.h"

#include <array>
#include <iterator>

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
    std::string line = s.cur_line_number > 0
                           ? "#Err in " + format_int16(s.cur_line_number) + ": " + s.error_text
                           : "#Err: " + s.error_text;
    PrintItem(line);
    EndLine();
    s.error_text.clear();
  }
  PrintItem(": ");
  host.input_line(s.typed_line, true);

  // The new line takes the immediate slot; a rewrite still pending there belongs to the
  // line typed before it and must never come back over the new one.
  if (s.translated_flag != 0 && s.translated_slot == kImmediateSlot) s.translated_flag = 0;
  EditLine(kImmediateSlot) = s.typed_line;
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

Continuation Interpreter::ExecLine() {
  ReadLineNumber();
  s.cur_line_number = s.number_value;
  return ExecStatement();
}

Continuation Interpreter::ExecStatement() {
  UndoTranslation();
  if (s.trace_on != 0 && s.cur_line_number != 0) {
    PrintItem("[");
    PrintItem(format_int16(s.cur_line_number) + " ");
    PrintItem("]");
  }
  host.statement_event();
  if (host.inkey() == s.break_char) {
    PrintItem("Break in " + format_int16(s.cur_line_number));
    EndLine();
    return Continuation::MainLoop;
  }
  ReadWord();
  if (!s.error_text.empty()) return Continuation::MainLoop;
  return Dispatch();
}

// The statement keywords and their handlers.
struct KeywordTable {
  struct Keyword {
    std::string_view word;
    Continuation (Interpreter::*handler)();
  };
  // ORDER MATTERS: the plain dispatch compares the statement's word with these in this
  // order, and each bucket of the lookup keeps it.
  static constexpr Keyword kKeywords[] = {
      {"random", &Interpreter::ExecRandom}, {"files", &Interpreter::ExecFiles},
      {"outchar", &Interpreter::ExecOutchar}, {"for", &Interpreter::ExecFor},
      {"next", &Interpreter::ExecNext},     {"trace", &Interpreter::ExecTrace},
      {"stop", &Interpreter::ExecStop},     {"if", &Interpreter::ExecIf},
      {"rem", &Interpreter::ExecRem},       {"input", &Interpreter::ExecInput},
      {"print", &Interpreter::ExecPrint},   {"poke", &Interpreter::ExecPoke},
      {"vpoke", &Interpreter::ExecPoke},    {"clear", &Interpreter::ExecClear},
      {"run", &Interpreter::ExecRun},       {"goto", &Interpreter::ExecGoto},
      {"gosub", &Interpreter::ExecGosub},   {"return", &Interpreter::ExecReturn},
      {"new", &Interpreter::ExecNew},       {"help", &Interpreter::ExecHelp},
      {"end", &Interpreter::ExecEnd},       {"bye", &Interpreter::Bye},
      {"list", &Interpreter::ExecList},     {"save", &Interpreter::ExecSave},
      {"load", &Interpreter::ExecLoad},     {"let", &Interpreter::ExecLet},
  };
};

namespace {

// The keywords by length and first letter, each bucket in table order.
constexpr size_t kShortestKeyword = 2;
constexpr size_t kLongestKeyword = 7;
constexpr int kBucketSize = 2;  // "stop" and "save", "list" and "load", ... share one
using KeywordBuckets = std::array<std::array<int8_t, kBucketSize>, (kLongestKeyword - kShortestKeyword + 1) * 26>;

// A word that no keyword can equal has no bucket.
constexpr bool HasBucket(size_t length, char first) {
  return length >= kShortestKeyword && length <= kLongestKeyword && first >= 'a' && first <= 'z';
}

constexpr size_t BucketOf(size_t length, char first) {
  return (length - kShortestKeyword) * 26 + static_cast<size_t>(first - 'a');
}

constexpr KeywordBuckets MakeKeywordBuckets() {
  KeywordBuckets buckets{};
  for (auto& bucket : buckets) bucket.fill(-1);
  for (size_t k = 0; k < std::size(KeywordTable::kKeywords); ++k) {
    const std::string_view word = KeywordTable::kKeywords[k].word;
    auto& bucket = buckets[BucketOf(word.size(), word[0])];
    int free = 0;
    while (bucket[free] >= 0) ++free;  // a third keyword in one bucket does not compile
    bucket[free] = static_cast<int8_t>(k);
  }
  return buckets;
}

constexpr KeywordBuckets kKeywordBuckets = MakeKeywordBuckets();

// Each keyword's letters packed as a Word packs its first eight.
constexpr auto MakePackedKeywords() {
  std::array<uint64_t, std::size(KeywordTable::kKeywords)> packed{};
  for (size_t k = 0; k < packed.size(); ++k) packed[k] = Word::Pack(KeywordTable::kKeywords[k].word);
  return packed;
}
constexpr auto kPackedKeywords = MakePackedKeywords();
static_assert(kLongestKeyword <= Word::kPacked);

}  // namespace

Continuation Interpreter::Dispatch() {
  if (reference_paths) return DispatchByTable();
  const Word& word = s.word;
  if (HasBucket(word.size(), word.front())) {
    for (const int8_t k : kKeywordBuckets[BucketOf(word.size(), word.front())]) {
      if (k < 0) break;
      const KeywordTable::Keyword& keyword = KeywordTable::kKeywords[k];
      if (word.Is(kPackedKeywords[static_cast<size_t>(k)], keyword.word.size())) return (this->*keyword.handler)();
    }
  }
  return ExecLet();  // any other word: the implicit assignment
}

Continuation Interpreter::DispatchByTable() {
  for (const KeywordTable::Keyword& keyword : KeywordTable::kKeywords) {
    if (s.word.Is(Word::Pack(keyword.word), keyword.word.size())) return (this->*keyword.handler)();
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
  if (s.cur_slot == kLastProgramSlot + 1) return Fail("Program Overflow");
  return RunSlot();
}

// Starts the stored line in cur_slot from its beginning.
Continuation Interpreter::RunSlot() {
  s.cur_pos = 1;
  if (s.program_lines[s.cur_slot].empty()) return Continuation::MainLoop;  // the run is over
  return ExecLine();
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
