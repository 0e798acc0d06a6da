// The memo's reader: a statement's text read once, by the plain reading's rules, into operations.
#include <string>
#include <string_view>

#include "interpreter/interpreter.h"
#include "interpreter/lexicon.h"

namespace {

// The plain reading takes the statement, as it takes any it is not sure of.
struct NotTaken {};

// Parentheses deeper than this are left to the plain reading, which takes far deeper ones.
constexpr int kDeepestParentheses = 64;

size_t SkipBlanks(std::string_view text, size_t index) {
  while (index < text.size() && text[index] == ' ') ++index;
  return index;
}

// Reads one statement of a slot's text: its operands, expressions in postfix order, and its
// steps, each as the plain reading would come to it. It reads the text as typed up to the
// statement's first expression and the line's rewrite from there on, since the plain reading
// rewrites the line's function names there. Whatever it does not take it refuses, and then
// only the statement's word is remembered.
class StatementReader {
 public:
  StatementReader(SlotMemo& memo, const std::string& line, char quote, const Word& word)
      : memo_(memo), line_(line), quote_(quote), last_word_(word) {}

  // Whether the statement evaluates anything: each evaluation sets the base cell to 0, and
  // nothing between them in one statement writes it.
  bool evaluates() const { return evaluates_; }
  // What the plain reading's scan leaves of its words once the statement is read (up to THEN):
  // the last word read, and the last variable named (0: none).
  const Word& last_word() const { return last_word_; }
  int16_t last_variable() const { return last_variable_; }

  // The operands of the statement whose word ends at `pos` (0-based); throws NotTaken.
  void Read(Keyword keyword, const Word& word, size_t pos) {
    switch (keyword) {
      case Keyword::kLet: {
        pos = SkipBlanks(Text(), pos);
        Word name;
        const size_t letters = name.read_run(Text(), pos);
        if (letters == 0) Refuse();
        last_word_ = name;
        return Assignment(name, pos + letters);
      }
      case Keyword::kNone: return Assignment(word, pos);
      case Keyword::kIf: return If(pos);
      case Keyword::kGoto: return Jump(pos, false);
      case Keyword::kGosub: return Jump(pos, true);
      case Keyword::kFor: return For(pos);
      case Keyword::kNext: return Next(pos);
      case Keyword::kPrint: return Print(pos);
      case Keyword::kPoke: return Poke(pos, Op::kPoke);
      case Keyword::kVpoke: return Poke(pos, Op::kVpoke);
      default: Refuse();  // statements that read nothing, or that wait for the user
    }
  }

 private:
  [[noreturn]] static void Refuse() { throw NotTaken{}; }

  std::string_view Text() const { return rewritten_ ? std::string_view(rewrite_) : std::string_view(line_); }

  // The plain reading's first evaluation in the statement rewrites the whole line; a line
  // whose rewrite fails, or moves anything (a function whose ")" never comes), is left to it.
  void Rewrite() {
    if (rewritten_) return;
    RewriteTo(line_, rewrite_);
    if (rewrite_.size() != line_.size()) Refuse();
    rewritten_ = true;
  }
  void RewriteTo(std::string_view text, std::string& out) const {
    FunctionNesting nesting;
    int16_t depth = 0;
    try {
      RewriteFunctionNames(text, quote_, out, nesting, depth);
    } catch (const HostError&) {
      Refuse();  // a 21st open function
    }
  }

  // --- Operations ---

  // Each operation either may hand the statement back (a divisor or a cell known only when it
  // runs, a jump whose line may be missing) or changes something; none of the first kind may
  // follow one of the second.
  void Emit(Op op, int16_t value = 0, int32_t pos = 0) {
    switch (op) {
      case Op::kLet: case Op::kStoreArray: case Op::kPrintText: case Op::kPrintValue: case Op::kFormat:
      case Op::kLocate: case Op::kEndLine: case Op::kPoke: case Op::kVpoke: case Op::kFor:
      case Op::kForStep: case Op::kRnd:
        changed_ = true;
        break;
      default: break;
    }
    memo_.code.push_back({op, value, pos});
  }
  void EmitHandingBack(Op op, int16_t value = 0, int32_t pos = 0) {
    if (changed_) Refuse();
    Emit(op, value, pos);
  }
  void Push(Op op, int16_t value) {
    if (++depth_ > kValueCapacity) Refuse();  // the plain reading raises host error 9
    Emit(op, value);
  }
  // The one number that the operations from `first` on push, if they are no more than that.
  bool ConstantFrom(size_t first, int16_t& value) const {
    if (memo_.code.size() != first + 1 || memo_.code[first].op != Op::kNumber) return false;
    value = memo_.code[first].value;
    return true;
  }

  // --- Expressions, level by level as the plain evaluator reads them ---

  // EvalExpression on `text` from `pos`: the first character after it.
  size_t Expression(std::string_view text, size_t pos) {
    text_ = text;
    depth_ = 0;
    evaluates_ = true;
    Relational(pos);
    Tokens(pos);
    return pos;
  }

  void Relational(size_t& pos) {
    Additive(pos);
    for (;;) {
      pos = SkipBlanks(text_, pos);
      const Comparison comparison = ComparisonAt(text_, pos);
      if (comparison.op == 0) return;
      pos += comparison.length;
      const size_t right = memo_.code.size();
      Additive(pos);
      Binary(comparison.op, right);
    }
  }

  void Additive(size_t& pos) {
    Multiplicative(pos);
    for (;;) {
      pos = SkipBlanks(text_, pos);
      const int op = CharAt(text_, pos);
      if (!IsSumOperator(op)) return;
      pos += 1;
      const size_t right = memo_.code.size();
      Multiplicative(pos);
      Binary(op, right);
    }
  }

  void Multiplicative(size_t& pos) {
    Factor(pos);
    for (;;) {
      pos = SkipBlanks(text_, pos);
      const int op = CharAt(text_, pos);
      if (!IsProductOperator(op)) return;
      pos += 1;
      const size_t right = memo_.code.size();
      Factor(pos);
      int16_t divisor = 0;
      if (op == '*' || ConstantFrom(right, divisor)) {
        if (op != '*' && divisor == 0) Refuse();  // "Division by zero" whenever it runs
        Binary(op, right);
      } else {
        depth_ -= 1;
        EmitHandingBack(op == '/' ? Op::kDivide : Op::kRemainder);
      }
    }
  }

  // The operator `op` on the top two values; the right one's operations begin at `right`.
  // A right operand that is one number goes into the operator itself.
  void Binary(int op, size_t right) {
    struct Form {
      int op;
      Op on_stack;
      Op with_number;
    };
    static constexpr Form kForms[] = {
        {'+', Op::kAdd, Op::kAddNumber},
        {'-', Op::kSubtract, Op::kSubtractNumber},
        {'*', Op::kMultiply, Op::kMultiplyNumber},
        {'/', Op::kDivide, Op::kDivideNumber},
        {'%', Op::kRemainder, Op::kRemainderNumber},
        {'=', Op::kEqual, Op::kEqualNumber},
        {'<', Op::kLess, Op::kLessNumber},
        {'>', Op::kGreater, Op::kGreaterNumber},
        {kLessEqual, Op::kLessEqual, Op::kLessEqualNumber},
        {kGreaterEqual, Op::kGreaterEqual, Op::kGreaterEqualNumber},
        {kNotEqual, Op::kNotEqual, Op::kNotEqualNumber},
    };
    depth_ -= 1;
    for (const Form& form : kForms) {
      if (form.op != op) continue;
      int16_t number = 0;
      if (!ConstantFrom(right, number)) return Emit(form.on_stack);
      memo_.code.pop_back();
      return Emit(form.with_number, number);
    }
    Refuse();
  }

  void Factor(size_t& pos) {
    pos = SkipBlanks(text_, pos);
    switch (CharAt(text_, pos)) {
      case '(': {
        pos += 1;
        if (++parentheses_ > kDeepestParentheses) Refuse();
        const size_t argument = memo_.code.size();
        Relational(pos);
        parentheses_ -= 1;
        pos = SkipBlanks(text_, pos);
        if (CharAt(text_, pos) != ')') Refuse();  // "Missing ')'"
        pos += 1;
        Tokens(pos, argument);
        return;
      }
      case kEndOfLine:
        Refuse();  // "Invalid Factor"
      case '$': {
        DigitRun digits;
        if (!ReadHexDigits(text_, pos, digits)) Refuse();  // "Illegal Number"
        pos = ReadDigits(text_, pos + kHexDigits + 1, digits, true);
        if (CharAt(text_, pos) == '.' || digits.significant > kMostHexDigits) Refuse();
        return Push(Op::kNumber, WrapToInt16(static_cast<int32_t>(digits.value)));
      }
      case '+':
      case '-':
        return Push(Op::kNumber, 0);  // the sign is left to the sum level
      case '0': case '1': case '2': case '3': case '4': case '5': case '6': case '7': case '8': case '9': {
        DigitRun digits;
        pos = ReadDigits(text_, pos, digits);
        if (CharAt(text_, pos) == '.') Refuse();  // "Illegal number"
        return Push(Op::kNumber, WrapToInt16(static_cast<int32_t>(digits.value)));
      }
      default: break;
    }
    Word word;
    const size_t letters = word.read_run(text_, pos);
    if (letters == 0) Refuse();  // "Invalid label"
    pos += letters;
    last_word_ = word;
    if (word.size() == 1 && word.front() != '@') return Push(Op::kVariable, Named(word));
    if (word == "size") return Push(Op::kNumber, kSizeValue);
    // INCHAR waits in the middle of its statement, where the plain reading's scan stands
    // elsewhere than the memo's; a lone "@" is host error 9; any other word "Function not
    // expected".
    Refuse();
  }

  // ApplyFunctionToken at `pos`: the runs that stand there, tested in token order. The
  // argument's operations begin at `argument`; a constant one settles at once whether PEEK or
  // @() can reach outside memory.
  void Tokens(size_t& pos, size_t argument = SIZE_MAX) {
    for (const FunctionName& function : kFunctions) {
      if (CharAt(text_, pos) != function.token) continue;
      int16_t x = 0;
      const bool constant = argument != SIZE_MAX && ConstantFrom(argument, x);
      switch (function.token) {
        case kTokenAbs: Emit(Op::kAbs); break;
        case kTokenRnd: Emit(Op::kRnd); break;
        case kTokenSgn: Emit(Op::kSgn); break;
        case kTokenPeek: Cell(Op::kPeek, constant, x, kMemoryCells); break;
        case kTokenArray: Cell(Op::kArray, constant, x, kArrayElements); break;
        case kTokenVpeek: Emit(Op::kVpeek); break;
      }
      argument = SIZE_MAX;  // a later run works on a value that is no longer the constant
      pos += TokenRun(function.token);
    }
  }
  void Cell(Op op, bool constant, int16_t x, int cells) {
    if (!constant) return EmitHandingBack(op);
    if (x < 0 || x >= cells) Refuse();  // host error 9 whenever it runs
    Emit(op);
  }

  // --- Statements ---

  // LET and the implicit assignment, to a variable or an element of @().
  void Assignment(const Word& name, size_t pos) {
    pos = SkipBlanks(Text(), pos);
    if (name.size() == 0) Refuse();
    if (name.front() == '@') {
      last_variable_ = kArrayMarker;
      return ArrayAssignment(pos);
    }
    if (name.size() != 1) Refuse();  // "Variable expected"
    const int16_t variable = Named(name);
    if (CharAt(Text(), pos) != '=') Refuse();
    Rewrite();
    pos = Expression(rewrite_, pos + 1);
    Emit(Op::kLet, variable);
    GoOn(pos);
  }

  // The index and the value are each a text of their own, rewritten on their own.
  void ArrayAssignment(size_t pos) {
    if (CharAt(line_, pos) != '(') Refuse();  // the uncommon forms are left to the plain reading
    const ArrayAssignmentCut cut = CutArrayAssignment(line_, static_cast<int32_t>(pos + 1));
    if (cut.separator <= cut.start || cut.value_end <= cut.separator) Refuse();  // "'=' expected"
    // The line itself is never rewritten here: its rewrite's room holds each text's in turn.
    const std::string_view line = line_;
    RewriteTo(line.substr(static_cast<size_t>(cut.start - 1), static_cast<size_t>(cut.separator - cut.start)), rewrite_);
    Expression(rewrite_, 0);  // what follows an expression in either text is passed over
    Emit(Op::kHold);
    RewriteTo(line.substr(static_cast<size_t>(cut.separator), static_cast<size_t>(cut.value_end - cut.separator)), rewrite_);
    const size_t end = Expression(rewrite_, 0);
    // A host error in the store finds the scan back in the line and its character still
    // read from the value text.
    Emit(Op::kStoreArray, static_cast<int16_t>(CharAt(rewrite_, end)), cut.resume);
    GoOn(static_cast<size_t>(cut.resume - 1));
  }

  void If(size_t pos) {
    Rewrite();
    pos = Expression(rewrite_, pos);
    Word then;
    pos = SkipBlanks(rewrite_, pos);
    pos += then.read_run(rewrite_, pos);
    if (then != "then") Refuse();  // a false condition never looks
    Emit(Op::kIf, static_cast<int16_t>(CharAt(rewrite_, pos)), static_cast<int32_t>(pos + 1));
  }

  void Jump(size_t pos, bool gosub) {
    Rewrite();
    // A jump to its own line reads that line's number from the rewrite, the plain reading's
    // text at that moment: the character after the number must be the same in both.
    DigitRun number_digits;
    const size_t number_end = ReadDigits(line_, SkipBlanks(line_, 0), number_digits);
    if (CharAt(line_, number_end) != CharAt(rewrite_, number_end)) Refuse();
    const size_t target = memo_.code.size();
    Expression(rewrite_, pos);
    const size_t site = memo_.jumps.size();
    if (site > INT16_MAX) Refuse();
    memo_.jumps.emplace_back();
    int16_t number = 0;
    if (ConstantFrom(target, number)) {
      memo_.code.pop_back();
      return EmitHandingBack(gosub ? Op::kGosubNumber : Op::kGotoNumber, static_cast<int16_t>(site), number);
    }
    EmitHandingBack(gosub ? Op::kGosub : Op::kGoto, static_cast<int16_t>(site));
  }

  // The loop variable of FOR and NEXT: its cell.
  int16_t LoopVariable(size_t& pos) {
    pos = SkipBlanks(Text(), pos);
    Word name;
    pos += name.read_run(Text(), pos);
    if (name.size() != 1 || name.front() == '@') Refuse();
    last_word_ = name;
    return Named(name);
  }

  // A variable named by a one-letter word: its cell.
  int16_t Named(const Word& name) {
    last_variable_ = static_cast<int16_t>(name.front() - kLetterToCell);
    return last_variable_;
  }

  void For(size_t pos) {
    const int16_t variable = LoopVariable(pos);
    pos = SkipBlanks(line_, pos);
    if (CharAt(line_, pos) != '=') Refuse();
    Rewrite();
    pos = Expression(rewrite_, pos + 1);
    Emit(Op::kLet, variable);
    Word word;
    pos = SkipBlanks(rewrite_, pos);
    pos += word.read_run(rewrite_, pos);
    if (word != "to") Refuse();
    last_word_ = word;
    pos = Expression(rewrite_, pos);
    pos = SkipBlanks(rewrite_, pos);
    if (pos < rewrite_.size()) {
      pos += word.read_run(rewrite_, pos);
      if (word != "step") Refuse();
      last_word_ = word;
      Emit(Op::kHold);
      pos = SkipBlanks(rewrite_, Expression(rewrite_, pos));
      if (pos < rewrite_.size()) Refuse();  // FOR ends its line
      Emit(Op::kForStep, variable, static_cast<int32_t>(pos + 1));
    } else {
      Emit(Op::kFor, variable, static_cast<int32_t>(pos + 1));
    }
    GoOn(pos);
  }

  void Next(size_t pos) {
    const int16_t variable = LoopVariable(pos);
    Emit(Op::kNext, variable, static_cast<int32_t>(pos + 1));
  }

  void Print(size_t pos) {
    Emit(Op::kBeginPrint);
    const int first = CharAt(line_, pos);  // no blanks skipped: "PRINT " alone has an item to read
    if (first == kEndOfLine || first == ':') {
      Emit(Op::kEndLine);
      return GoOn(pos);
    }
    for (;;) {
      pos = SkipBlanks(Text(), pos);
      const int c = CharAt(Text(), pos);
      if (c == static_cast<unsigned char>(quote_)) {
        pos = Literal(pos);
      } else if (c == '\\') {
        Emit(Op::kLocate);
        pos += 1;
      } else {
        const bool width = c == '#';
        Rewrite();
        pos = Expression(rewrite_, width ? pos + 1 : pos);
        Emit(width ? Op::kFormat : Op::kPrintValue);
      }
      pos = SkipBlanks(Text(), pos);
      const int separator = CharAt(Text(), pos);
      if (separator == ',') {
        pos += 1;
        continue;
      }
      if (separator == ';') return GoOn(pos + 1);
      Emit(Op::kEndLine);
      return GoOn(pos);
    }
  }

  // A string literal from its opening quote at `pos`, taken as it stands; the position after it.
  size_t Literal(size_t pos) {
    const std::string_view text = Text();
    const size_t begin = memo_.texts.size();
    for (;;) {
      pos += 1;
      if (pos >= text.size()) Refuse();  // "Unterminated string"
      if (text[pos] != quote_) {
        memo_.texts += text[pos];
      } else if (pos + 1 < text.size() && text[pos + 1] == quote_) {
        memo_.texts += quote_;
        pos += 1;
      } else {
        break;
      }
    }
    const size_t length = memo_.texts.size() - begin;
    if (length > INT16_MAX) Refuse();
    Emit(Op::kPrintText, static_cast<int16_t>(length), static_cast<int32_t>(begin));
    return pos + 1;
  }

  // POKE and VPOKE of an address and a value; other counts are left to the plain reading.
  void Poke(size_t pos, Op op) {
    Rewrite();
    pos = Expression(rewrite_, pos);
    EmitHandingBack(Op::kNotNegative);  // "Illegal value" as soon as the plain reading sees it
    pos = SkipBlanks(rewrite_, pos);
    if (CharAt(rewrite_, pos) != ',') Refuse();
    Emit(Op::kHold);
    pos = SkipBlanks(rewrite_, Expression(rewrite_, pos + 1));
    EmitHandingBack(Op::kNotNegative);
    if (CharAt(rewrite_, pos) == ',') Refuse();
    Emit(op);
    GoOn(pos);
  }

  // The statement went well: NextStatement goes on from `pos`, straight into the next
  // statement when a ":" stands there. Anything else there but the line's end is "End of
  // statement expected", and the plain reading says it: the character it shows may stand in
  // the line's rewrite, which the memo does not make.
  void GoOn(size_t pos) {
    const size_t next = SkipBlanks(line_, pos);
    switch (CharAt(line_, next)) {
      case ':': return Emit(Op::kColon, 0, static_cast<int32_t>(next + 2));
      case kEndOfLine: return Emit(Op::kGoOn, 0, static_cast<int32_t>(pos + 1));
      default: Refuse();
    }
  }

  SlotMemo& memo_;
  const std::string& line_;
  const char quote_;
  std::string rewrite_;
  bool rewritten_ = false;
  std::string_view text_;  // the text the expression under way is read from
  bool changed_ = false;
  bool evaluates_ = false;  // an evaluation has begun
  Word last_word_;
  int16_t last_variable_ = 0;
  int depth_ = 0;          // values on the stack
  int parentheses_ = 0;
};

}  // namespace

void ReadLineNumberIntoMemo(SlotMemo& memo, const std::string& line) {
  // ReadNumber from the text's start: blanks, then digits.
  DigitRun digits;
  const size_t end = ReadDigits(line, SkipBlanks(line, 0), digits);
  memo.illegal = CharAt(line, end) == '.';
  memo.number = WrapToInt16(static_cast<int32_t>(digits.value));
  memo.number_end = static_cast<int32_t>(end + 1);
  memo.number_end_char = CharAt(line, end);
  memo.numbered = true;
}

MemoStatement& ReadStatementIntoMemo(SlotMemo& memo, const std::string& line, int32_t start, char quote) {
  MemoStatement statement;
  statement.start = start;
  // ReadWord: the blanks, then the run of letters and "@".
  const size_t pos = SkipBlanks(line, static_cast<uint32_t>(start - 1));
  const size_t letters = statement.word.read_run(line, pos);
  statement.readable = letters != 0;  // else "Invalid label"
  if (statement.readable) {
    statement.keyword = KeywordOf(statement.word);
    statement.after = static_cast<int32_t>(pos + letters + 1);
    statement.after_char = CharAt(line, pos + letters);
    const size_t code = memo.code.size();
    const size_t jumps = memo.jumps.size();
    const size_t texts = memo.texts.size();
    statement.first_op = static_cast<uint32_t>(code);
    try {
      StatementReader reader(memo, line, quote, statement.word);
      reader.Read(statement.keyword, statement.word, pos + letters);
      statement.evaluates = reader.evaluates();
      statement.last_word = reader.last_word();
      statement.last_variable = reader.last_variable();
    } catch (const NotTaken&) {
      memo.code.resize(code);
      memo.jumps.resize(jumps);
      memo.texts.resize(texts);
    }
    statement.end_op = static_cast<uint32_t>(memo.code.size());
  }
  memo.statements.push_back(statement);
  return memo.statements.back();
}
