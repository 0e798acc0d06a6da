// The fast statement path against the plain reading: random programs, typed and loaded, run,
// stopped, edited and run on must leave the same screen, byte for byte, the same state and
// the same files, whichever way the interpreter reads them.
//
// A failure names the family and the scenario, prints the scenario (its files and every typed
// line) and the first place where the two paths differ. KELO_DIFFERENTIAL_SCENARIO=N runs
// only scenario N of each family, KELO_DIFFERENTIAL_SCALE=K runs K times as many. A scenario
// is the same in every run of one build (another compiler may order the writer's calls within
// one expression otherwise).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/support/observation.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

// One typed line of a scenario, with what happens around it.
struct Step {
  Step() = default;
  // Not explicit: a line alone reads as a step in the tables below.
  Step(std::string typed, std::string waiting = "", long break_at = 0)
      : line(std::move(typed)), pressed(std::move(waiting)), break_after(break_at) {}
  std::string line;       // typed, then Enter: a command, a program line or an answer
  std::string pressed;    // keys already waiting when its first statement begins
  long break_after = 0;   // Ctrl+C before that statement from now on; 0 for none
};

struct Scenario {
  std::vector<std::pair<std::string, std::string>> files;  // name and bytes, there before the first step
  std::vector<Step> steps;
};

std::string Described(const Scenario& scenario) {
  std::string text;
  for (const auto& [name, bytes] : scenario.files) text += "  file " + name + ": " + Quoted(bytes) + "\n";
  for (size_t i = 0; i < scenario.steps.size(); ++i) {
    const Step& step = scenario.steps[i];
    text += "  " + std::to_string(i + 1) + ": " + Quoted(step.line);
    if (!step.pressed.empty()) text += "   (keys waiting: " + Quoted(step.pressed) + ")";
    if (step.break_after > 0) text += "   (Ctrl+C at statement " + std::to_string(step.break_after) + ")";
    text += "\n";
  }
  return text;
}

// Writes random texts of the dialect: well formed most of the time, and reaching every edge
// that the two readings could disagree on.
class Writer {
 public:
  explicit Writer(unsigned seed) : random_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool OneIn(int n) { return Below(n) == 0; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[static_cast<size_t>(Below(static_cast<int>(items.size())))];
  }
  std::string PickText(const std::vector<std::string>& items) { return Pick(items); }

  // Letters in any case: ABS, abs, Abs, aBS.
  std::string Cased(std::string_view name) {
    std::string text(name);
    const int how = Below(4);
    for (size_t i = 0; i < text.size(); ++i) {
      const bool upper = how == 0 || (how == 2 && i == 0) || (how == 3 && OneIn(2));
      if (upper && text[i] >= 'a' && text[i] <= 'z') text[i] = static_cast<char>(text[i] - 32);
    }
    return text;
  }
  std::string Blank() { return OneIn(4) ? PickText({" ", " ", "  "}) : ""; }

  // Line numbers that the jumps reach, now and then one that wraps or reads as another.
  std::string LineNumber() {
    if (OneIn(10)) return PickText({"40000", "65535", "32768", "32767", "70000", "010", " 30", "99999", "4464"});
    return std::to_string(10 * (1 + Below(12)));
  }
  std::string Target() {
    if (OneIn(8)) return PickText({"40000", "70000", "4464", "0", "15", "-5", "A*10", "(I+1)*10", "32768", "12.5"});
    return std::to_string(10 * (1 + Below(12)));
  }
  std::string Variable() { return Cased(std::string(1, Pick<char>({'a', 'b', 'c', 'i', 'j', 'x', 'z'}))); }

  std::string Number() {
    if (OneIn(3)) {
      return PickText({"0", "1", "7", "255", "256", "300", "8191", "8192", "16383", "16384", "32767", "32768",
                       "40000", "65535", "65536", "70000", "99999", "007", "000000000000070000", "4294967297",
                       "123456789012345678"});
    }
    return std::to_string(Below(40));
  }
  std::string Hexadecimal() {
    if (OneIn(4)) return PickText({"$1", "$12G4", "$ 123", "$", "$FFFF1111111111111", "$1234.5"});  // errors
    return PickText({"$00FF", "$ffff", "$8000", "$7FFF", "$0010", "$00001", "$12345", "$FFFFA", "$FFFF1", "$aBcD"});
  }

  // An argument that lands inside the function's bounds most of the time.
  std::string Argument(std::string_view function, int depth) {
    if (OneIn(3)) return Expression(depth + 1);
    if (function == "peek") return PickText({"0", "1", "5", "16383", "16384", "-1", "I", "(2)"});
    if (function == "@") return PickText({"0", "1", "2", "8191", "8192", "-1", "I", "(3)"});
    if (function == "rnd") return PickText({"1", "0", "10", "-10", "100", "A"});
    if (function == "vpeek") return PickText({"0", "1", "160", "3998", "3999", "4000", "-1"});
    return PickText({"-5", "5", "0", "-32768", "A-7", "-(2+3)", "(1-5)+1"});
  }
  // A function call, its name in any case; now and then a blank before its "(".
  std::string Call(int depth) {
    const std::string name = PickText({"abs", "sgn", "peek", "@", "abs", "rnd", "vpeek", "sgn"});
    return Cased(name) + (OneIn(15) ? " " : "") + "(" + Blank() + Argument(name, depth) + Blank() + ")";
  }

  // n levels of the shape around `inner`: plain parentheses, calls, or sums that hold one
  // value more at each level (1+(1+(...))), near the limits of the readers and the value stack.
  std::string Nested(int n, const std::string& inner) {
    std::string open, close;
    const int shape = Below(4);
    for (int i = 0; i < n; ++i) {
      switch (shape) {
        case 0: open += "("; break;
        case 1: open += Cased(PickText({"abs", "sgn", "abs", "@"})) + "("; break;
        case 2: open += "1+("; break;
        default: open += OneIn(2) ? "(" : Cased("abs") + "("; break;
      }
      close += ")";
    }
    return open + inner + close;
  }
  std::string NestedCalls(int n) {
    std::string open;
    for (int i = 0; i < n; ++i) open += Cased(PickText({"abs", "sgn", "@", "peek"})) + "(";
    return open + "0" + std::string(static_cast<size_t>(n), ')');
  }
  int NestingDepth() { return Pick<int>({1, 2, 14, 15, 16, 17, 19, 20, 21, 22, 26, 27, 28, 29, 30, 31, 40}); }

  std::string Operand(int depth) {
    if (depth > 3) return OneIn(2) ? Variable() : Number();
    switch (Below(30)) {
      case 0: case 1: return Hexadecimal();
      case 2: case 3: case 4: case 5: return Call(depth);
      case 6: case 7: return "(" + Blank() + Expression(depth + 1) + Blank() + ")";
      case 8: return Cased(PickText({"size", "size", "sizex", "inchar"}));  // INCHAR takes a typed key
      case 9: return PickText({"12.5", ".5", "1.", "AB", "()", "(", "(" + Expression(depth + 1), "@", "ABS 5", "-"});
      case 10: return Nested(NestingDepth(), Operand(depth + 1));
      case 11: return "-" + Operand(depth + 1);
      case 12: return "SIZE(1)";
      default: return OneIn(2) ? Variable() : Number();  // flat texts are the common ones
    }
  }

  std::string Operator() {
    if (OneIn(25)) return PickText({"< =", "=<", "=>", "><", "\\", "*-", "--", "-+"});
    return Blank() + PickText({"+", "-", "*", "+", "-", "*", "/", "%", "=", "<", ">", "<=", ">=", "<>"}) + Blank();
  }

  std::string Expression(int depth = 0) {
    std::string text = Operand(depth);
    const int more = depth > 2 ? 0 : Below(4);
    for (int i = 0; i < more; ++i) text += Operator() + Operand(depth + 1);
    return text;
  }

  // The index or the value of an @() assignment, in every shape.
  std::string ArrayPart() {
    switch (Below(16)) {
      case 0: return Number();
      case 1: return Variable();
      case 2: return "(" + Variable() + ")";
      case 3: return "@(" + std::to_string(Below(5)) + ")";
      case 4: return Cased("@") + "(" + Blank() + ArrayPart() + Blank() + ")";
      case 5: return Call(1);
      case 6: return Blank() + Expression(1) + Blank();
      case 7: return PickText({"9000", "8191", "8192", "-1", "40000", "16383"});
      case 8: return PickText({"(2", "1/0", "PEEK(20000)", "@(-1)", "", " ", "A=B", "12.5", "$1", "AB", "INCHAR"});
      case 9: return Nested(NestingDepth(), Number());
      case 10: return "((" + Number() + "))";
      default: return OneIn(2) ? Number() : Variable();
    }
  }
  std::string ArrayAssignment() {
    if (OneIn(8)) {
      return PickText({"@(1)", "@(1)=", "@=5", "@5=1", "@ABC(2)=7", "@(A=B)=1", "@(1)=A=B", "@(1)+1=5", "@((1))=2",
                       "@(1)=5 6", "@( 3 ) = @( 1 ) + 1", "@(1):@(2)=3", "@ (1)=2", "@(1)=(2", "@(1)=ABS(-3) X",
                       "@(A@(1))=2", "@(1)=Abs(B)+sGn(-B)+pEEk(2)", "@(1)=A(2)", "@(2)=RND(1)+1", "@(1)=VPEEK(0)",
                       "@(1)=" + Nested(21, "1"), "@(" + Nested(20, "1") + ")=2", "@(1)=5:PRINT @(1)",
                       // what follows a complete text is ignored, but a 21st call there still counts
                       "@(1)=5 " + NestedCalls(21), "@(1)=5 " + NestedCalls(20), "@((1) " + NestedCalls(21) + ")=2"});
    }
    std::string text = Cased(OneIn(10) ? "@abc" : "@") + (OneIn(12) ? " " : "") + "(" + ArrayPart() + ")";
    if (OneIn(10)) text += "+1";
    text += Blank() + "=" + Blank() + ArrayPart();
    if (OneIn(8)) text += PickText({" 6", "=B", ":PRINT @(1)", ":A=@(2)"});
    return text;
  }

  // A statement of any keyword, well formed most of the time.
  std::string Statement(int depth = 0) {
    switch (Below(30)) {
      case 0: case 1: case 2: return Variable() + Blank() + "=" + Blank() + Expression();
      case 3: return Cased("let") + " " + Variable() + " = " + Expression();
      case 4: case 5: case 6:
        return Cased("print") + " " + PrintItems();
      case 7:
        if (depth > 1) return "REM";
        return Cased("if") + " " + Expression() + " " + Cased("then") + " " + Statement(depth + 1);
      case 8: return Cased("goto") + " " + Target();
      case 9: return Cased("gosub") + " " + Target();
      case 10: return Cased("return");
      case 11:
        return Cased("for") + " " + Variable() + "=" + Expression() + " " + Cased("to") + " " + Expression() +
               (OneIn(2) ? " " + Cased("step") + " " + PickText({"1", "2", "-1", "0", "A", "-32768"}) : "");
      case 12: case 13: return Cased("next") + " " + Variable();
      case 14:
        return Cased(PickText({"poke", "vpoke"})) + " " +
               PickText({"1", "5", "19", "16383", "20000", "0", "3998", "I"}) + "," + Expression();
      case 15: case 16: case 17: return ArrayAssignment();
      case 18: return "REM ABS( \"" + Expression();
      case 19:
        return PickText({"END", "STOP", "CLEAR", "TRACE", "OUTCHAR 65", "OUTCHAR 7", "LIST", "LIST 20,60",
                         "LIST 40000"});
      case 20: return Cased("input") + " " + Variable() + (OneIn(3) ? "," + Variable() : "");
      case 21: return Cased("outchar") + " " + PickText({"65", "7", "13", "9", "256", "-1", "66+I"});
      case 22: return MalformedStatement();
      default: return Variable() + "=" + Variable() + "+1";
    }
  }
  std::string PrintItems() {
    std::string items;
    const int count = 1 + Below(3);
    for (int i = 0; i < count; ++i) {
      if (i > 0) items += ",";
      switch (Below(8)) {
        case 0: items += PickText({"\"ABS(1) @(2)\"", "\"x\"\"y\"", "\"\"", "\"PEEK(\"", "\"a:b\""}); break;
        case 1: items += "#" + PickText({"3", "0", "-2", "1", "6"}); break;
        case 2: items += "\\"; break;
        default: items += Expression(); break;
      }
    }
    return items + PickText({"", "", ";", " ", ", \"z\""});
  }

  // Every statement keyword with operands that do not fit it.
  std::string MalformedStatement() {
    static const std::vector<std::string> kMalformed = {
        "PRINT ", "PRINT ,", "PRINT 1,", "PRINT \"abc", "PRINT #3;5", "PRINT : X", "PRINT@(1)", "PRINT 1 2",
        "PRINT \"A\";\"B\"", "PRINT (1", "PRINT 1+", "PRINT 5/0", "PRINT -", "PRINT @", "PRINT ABS (5)", "PRINT SIZEX",
        "INPUT", "INPUT 5", "INPUT AB", "INPUT A,", "INPUT A B", "INPUT @", "INPUT @(1)", "INPUT \"A\"",
        "OUTCHAR", "OUTCHAR 256", "OUTCHAR -1", "OUTCHAR \"A\"", "OUTCHAR 65 66",
        "IF", "IF -1", "IF -1 THEN", "IF -1 THEN 100", "IF -1 PRINT 1", "IF 0 PRINT 1", "IF (1 THEN PRINT 1",
        "IF -1 THEN @(0)=5", "IF 1 THEN PRINT 1",
        "FOR", "FOR I", "FOR I 1", "FOR I=", "FOR I=1", "FOR I=1 TO", "FOR I=1 TO 5 STEP", "FOR I=1 TO 5:PRINT",
        "FOR I=1 TO 5 STEP 1 X", "FOR I=1 TO 5 X", "FOR I=1 TO 5 STEPS 2", "FOR @=1 TO 3", "FORI=1TO9", "FOR 5=1 TO 2",
        "FOR I=1 TOO 5", "FOR AB=1 TO 2", "FOR I=1 TO 3:NEXT I", "FOR I=12.5 TO 1",
        "NEXT", "NEXT 5", "NEXT I,J", "NEXT AB", "NEXT I X", "NEXT @",
        "TRACE ON", "STOP X", "REMARK", "RANDOM 5", "RANDOMIZE",
        "POKE", "POKE 1", "POKE 1,", "POKE 1,-3", "POKE 40000,1", "POKE 1,2,3,4,5,6,7,8,9,10,11", "POKE 1,2 X",
        "POKE ,1", "VPOKE", "VPOKE 4000,65", "VPOKE 0,-1", "VPOKE 1,30", "POKE 1.5,2", "VPOKE 0",
        "CLEAR X", "RUN 100", "RUN: PRINT 1", "GOTO", "GOTO 20 30", "GOTO X Y", "GOTO (1", "GOTO 1.5", "GOTO 0",
        "GOSUB", "GOSUB 0", "GOSUB 12.5", "GOSUB 20 30", "RETURN: PRINT 1", "RETURN X",
        "END X", "END: PRINT 1", "NEW X",
        "LIST 10:PRINT 1", "LIST FOO", "LIST 1.5", "LIST 20,10", "LIST ,20", "LIST 10 20", "LIST 5,0", "LIST PAUSE,20",
        "LIST 10-20", "LIST 10,20 X",
        "SAVE", "SAVE:LIST", "SAVE X:LIST", "LOAD", "LOAD NOSUCH", "LOAD C:\\GAMES\\GAME", "SAVE  TWO",
        "LET", "LET 5", "LET A", "LET AB=1", "A 5", "AB=5", "A=5 6", "A=", "A==1", "A=(", "X Y", ": ", ":", "5",
        "\"A\"", "printx", "gosubber", "outcharx", "Z=1:", "?", "A=1:@(A)=5", "PRINT 1.",
    };
    if (OneIn(4)) {
      static const std::vector<std::string> kKeywords = {
          "print", "input", "outchar", "if",    "for",   "next",   "trace", "stop", "rem",  "random", "poke",
          "vpoke", "clear", "run",     "goto",  "gosub", "return", "end",   "list", "save", "load",   "let"};
      static const std::vector<std::string> kFragments = {" ", ":", ",", "=", "X", "5", "(", ")", "\"", "TO", "THEN",
                                                          "STEP", "12.5", "$1", ";", "#", "@(", "-", "AB", "\\"};
      std::string text = Cased(Pick(kKeywords));
      const int count = Below(4);
      for (int i = 0; i < count; ++i) text += Pick(kFragments);
      return text;
    }
    return Pick(kMalformed);
  }

  std::string Line(int statements = 0) {
    std::string line = LineNumber() + " " + Statement();
    const int more = statements > 0 ? statements - 1 : (OneIn(3) ? 1 + Below(2) : 0);
    for (int i = 0; i < more; ++i) line += ":" + Statement();
    return line;
  }

  // A program file: lines in any order, numbers repeated, wrapped or cut by a ".", blank
  // lines, lines without a number and every kind of line end; now and then a line too deep
  // for a typed line to hold.
  std::string ProgramFile() {
    std::string text;
    const int lines = 3 + Below(14);
    for (int i = 0; i < lines; ++i) {
      switch (Below(18)) {
        case 0: break;  // an empty line, an empty slot
        case 1: text += OneIn(3) ? std::to_string(10 * (1 + Below(12))) + ".5 PRINT 1" : Line(); break;
        case 2: text += PickText({"PRINT 2", "0 PRINT 3", "\tPRINT 4"}); break;
        case 4:  // bytes that no one types: function tokens as typed, a NUL
          text += LineNumber() + PickText({" PRINT (5)\xB1\xB1\xB1", " PRINT (-5)\xB1", " PRINT (2)\xB4\xB4\xB4\xB4",
                                            " A=(1)\xB5:PRINT A", std::string(" PRINT 1\0+2", 11), " PRINT (3)\xB1\xB1",
                                            " PRINT (-3)\xB1\xB1\xB1\xB3\xB3\xB3", " PRINT \xB1",
                                            " @(1)=(4)\xB1\xB1\xB1", " PRINT (9)\xB2\xB2\xB2",
                                            " PRINT ABS(-1)\xB1\xB1\xB1", " PRINT (1)\xB6\xB6\xB6\xB6\xB6"});
          break;
        case 3:
          text += LineNumber() + " PRINT " + Nested(Pick<int>({100, 999, 1000, 1001, 1200}), "1");
          break;
        default: text += Line(); break;
      }
      text += OneIn(8) ? PickText({"\n", "\r", "\n\r"}) : "\r\n";
    }
    if (OneIn(10)) text += "\x1a" "10 PRINT 99\r\n";  // nothing after the byte 26 is loaded
    return text;
  }

  // What a user may answer to INPUT: any expression, or something that is none.
  std::string Answer() {
    if (OneIn(6)) return Expression();
    return PickText({"3", "A+1", "ABS(-2)", "abs(-7)", "(1", "", "X Y", "@(1)", "12abc", "5:GOTO 10", "$00FF", "SIZE",
                     "12.5", "1/0", "PEEK(-1)", "-32768", "32768", "A*2+1", "  7  ", "(((1)))", Nested(21, "1"),
                     Nested(30, "1"), "@(1)+@(2)", "RND(10)", "VPEEK(0)", "AB", "\"X\"", "X=5", "@", "1+", "Sgn(-4)",
                     "pEEk(3)", "ABS (1)", "INCHAR", "$1", "@(9000)", "  ", "-", "aBS(I)*2", "\x03"});
  }

 private:
  std::mt19937 random_;
};

// The families of scenarios: each writes one scenario from its writer.
using ScenarioWriter = Scenario (*)(Writer&);

// Two program files, then any mix of typed lines, loads, saves, runs and jumps.
Scenario MixedSession(Writer& w) {
  Scenario scenario;
  scenario.files = {{"A.TIB", w.ProgramFile()}, {"B.TIB", w.ProgramFile()}};
  const int steps = 6 + w.Below(14);
  for (int i = 0; i < steps; ++i) {
    Step step;
    switch (w.Below(12)) {
      case 0: case 1: case 2: step.line = w.Line(); break;
      case 3: step.line = w.LineNumber(); break;  // deletes
      case 4: step.line = w.PickText({"LOAD A", "LOAD B", "LOAD A:RUN", "load b"}); break;
      case 5: step.line = "GOTO " + w.Target(); break;
      case 6: step.line = w.Statement(); break;
      case 7: step.line = w.OneIn(3) ? w.PickText({"SAVE A", "SAVE C", "save b"}) : "LIST"; break;
      case 8: step.line = w.Answer(); break;  // an answer when a program waits, else a command
      default: step.line = "RUN"; break;
    }
    if (w.OneIn(4)) step.break_after = 1 + w.Below(200);
    if (w.OneIn(12)) step.pressed = w.PickText({"x", "ab", "\x03", "1\x03", "zzzz"});
    scenario.steps.push_back(step);
  }
  scenario.steps.push_back({"RUN", "", 1 + w.Below(500)});
  scenario.steps.push_back({"LIST"});
  scenario.steps.push_back({"SAVE Z"});
  return scenario;
}

// A program with loops and subroutines, stopped by STOP or a Break, edited while it stands
// (lines stored, replaced and deleted) and continued with GOTO, RUN, NEXT or RETURN.
Scenario StoppedAndEdited(Writer& w) {
  static const std::vector<std::string> kBody = {
      "FOR I=1 TO 5", "NEXT I", "GOSUB 100", "RETURN", "STOP", "IF I=3 THEN STOP", "PRINT I;", "A=A+I", "FOR J=1 TO 3",
      "NEXT J", "GOTO 20", "@(I)=A", "PRINT ABS(A)-@(I)", "IF A>20 THEN END", "FOR I=1 TO 3:NEXT I", "GOSUB 120",
      "B=B+1:IF B<4 THEN GOTO 40", "PRINT \"X\";", "INPUT C", "TRACE", "A=PEEK(I)+1"};
  Scenario scenario;
  std::vector<std::string> program;
  const int lines = 4 + w.Below(8);
  for (int i = 0; i < lines; ++i) {
    const std::string number = w.OneIn(10) ? w.LineNumber() : std::to_string(10 * (1 + w.Below(12)));
    std::string text = number + " " + w.Pick(kBody);
    if (w.OneIn(4)) text += ":" + w.Pick(kBody);
    if (w.OneIn(6)) text = number + " " + w.Statement();
    program.push_back(text);
  }
  program.push_back("100 PRINT \"S\";:RETURN");
  if (w.OneIn(2)) {
    std::string file;
    for (const std::string& line : program) file += line + "\r\n";
    scenario.files = {{"P.TIB", file}};
    scenario.steps.push_back({"LOAD P"});
  } else {
    for (const std::string& line : program) scenario.steps.push_back({line});
  }
  const int rounds = 2 + w.Below(4);
  for (int round = 0; round < rounds; ++round) {
    Step start;
    start.line = round == 0 ? "RUN"
                            : w.PickText({"RUN", "GOTO 20", "GOTO 30", "NEXT I", "NEXT J", "RETURN", "GOSUB 100",
                                          "GOTO " + w.Target(), "NEXT I:PRINT I", "CONT"});
    start.break_after = w.OneIn(3) ? 0 : 1 + w.Below(60);
    scenario.steps.push_back(start);
    if (w.OneIn(3)) scenario.steps.push_back({w.Answer()});  // for an INPUT that waits
    const int edits = w.Below(4);
    for (int e = 0; e < edits; ++e) {
      const std::string number = w.OneIn(4) ? w.LineNumber() : std::to_string(10 * (1 + w.Below(12)));
      switch (w.Below(4)) {
        case 0: scenario.steps.push_back({number}); break;  // deletes
        case 1: scenario.steps.push_back({number + "   "}); break;  // deletes too
        default: scenario.steps.push_back({number + " " + w.Pick(kBody)}); break;  // stores or replaces
      }
    }
    if (w.OneIn(3)) scenario.steps.push_back({w.PickText({"LIST", "PRINT I,A,B", "TRACE", "A=0", "CLEAR"})});
  }
  scenario.steps.push_back({"LIST"});
  scenario.steps.push_back({"PRINT A,B,C,I,J"});
  return scenario;
}

// Files whose lines stand out of order with their numbers repeated, jumping among those
// numbers from every slot, then edited and run again: a jump finds the first slot with its
// number from where its search starts.
Scenario LoadedOutOfOrder(Writer& w) {
  const std::vector<std::string> numbers = {"10", "20", "30", "40", "50"};
  auto target = [&] { return w.OneIn(10) ? w.PickText({"40000", "60", "0"}) : w.Pick(numbers); };
  auto statement = [&]() -> std::string {
    switch (w.Below(9)) {
      case 0: return "I=I+1:IF I<" + std::to_string(3 + w.Below(20)) + " THEN GOTO " + target();
      case 1: return "GOSUB " + target();
      case 2: return "RETURN";
      case 3: return "PRINT " + std::to_string(w.Below(100)) + ";I;:GOTO " + target();
      case 4: return "IF I>" + std::to_string(w.Below(30)) + " THEN END";
      case 5: return "GOTO " + target();
      case 6: return "J=J+1:IF J<5 THEN GOSUB " + target();
      case 7: return "PRINT ABS(I)-@(I);:@(I)=I";
      default: return w.Statement();
    }
  };
  auto line = [&] {
    const std::string number = w.OneIn(12) ? w.PickText({"40000", "010", " 20", ""}) : w.Pick(numbers);
    return number + " " + statement();
  };
  Scenario scenario;
  for (const char* name : {"P.TIB", "Q.TIB"}) {
    std::string file;
    const int lines = 5 + w.Below(10);
    for (int i = 0; i < lines; ++i) file += line() + "\r\n";
    scenario.files.emplace_back(name, file);
  }
  scenario.steps.push_back({"LOAD P"});
  const int steps = 4 + w.Below(8);
  for (int i = 0; i < steps; ++i) {
    Step step;
    switch (w.Below(8)) {
      case 0: case 1: step.line = "RUN"; break;
      case 2: step.line = "GOTO " + target(); break;
      case 3: step.line = "GOSUB " + target(); break;
      case 4: step.line = line(); break;  // stored in front of the first larger number
      case 5: step.line = w.Pick(numbers); break;  // deletes the first of its number
      case 6: step.line = w.PickText({"LOAD P", "LOAD Q", "SAVE Q", "RETURN", "LIST"}); break;
      default: step.line = std::to_string(5 + 10 * w.Below(6)) + " " + statement(); break;
    }
    if (step.line != "LIST" && !w.OneIn(4)) step.break_after = 1 + w.Below(300);
    scenario.steps.push_back(step);
  }
  scenario.steps.push_back({"LIST"});
  return scenario;
}

// INPUT in programs and at the prompt, answered with expressions and with what is none;
// INCHAR with keys typed and keys already waiting; RANDOM's seed.
Scenario InputAnswers(Writer& w) {
  static const std::vector<std::string> kInputs = {
      "INPUT A", "INPUT A,B", "INPUT B:PRINT B*2", "INPUT @", "INPUT I:@(I)=I", "A=INCHAR:PRINT A",
      "PRINT INCHAR,INCHAR", "INPUT X:IF X<0 THEN GOTO 10", "INPUT A,B,C", "INPUT A B", "RANDOM:PRINT RND(100)",
      "INPUT J:PRINT ABS(J);", "IF INCHAR=120 THEN PRINT \"x\""};
  Scenario scenario;
  const int lines = 2 + w.Below(5);
  for (int i = 0; i < lines; ++i) {
    std::string line = std::to_string(10 * (1 + i)) + " " + w.Pick(kInputs);
    if (w.OneIn(3)) line += ":" + w.Statement();
    scenario.steps.push_back({line});
  }
  if (w.OneIn(2)) scenario.steps.push_back({std::to_string(10 * (1 + lines)) + " GOTO 10"});
  const int runs = 1 + w.Below(3);
  for (int run = 0; run < runs; ++run) {
    Step start;
    start.line = w.PickText({"RUN", "RUN", "GOTO 20", "INPUT A", "INPUT A,B", "A=INCHAR", "PRINT INCHAR"});
    if (w.OneIn(4)) start.pressed = w.PickText({"x", "xy", "123", "\x03q", "ab\x03"});
    start.break_after = w.OneIn(2) ? 0 : 1 + w.Below(40);
    scenario.steps.push_back(start);
    const int answers = 1 + w.Below(7);
    for (int a = 0; a < answers; ++a) scenario.steps.push_back({w.Answer()});
  }
  scenario.steps.push_back({"LIST"});
  scenario.steps.push_back({"PRINT A,B,C,I,J,X,@(1),@(2)"});
  return scenario;
}

// @() assignments of every shape, typed at the prompt and stored, then read back.
Scenario ArrayAssignments(Writer& w) {
  Scenario scenario;
  const int lines = 2 + w.Below(8);
  for (int i = 0; i < lines; ++i) {
    std::string line = std::to_string(10 * (1 + w.Below(10))) + " " + w.ArrayAssignment();
    if (w.OneIn(3)) line += ":" + w.ArrayAssignment();
    if (w.OneIn(5)) line += ":" + w.Statement();
    scenario.steps.push_back({line});
  }
  scenario.steps.push_back({"RUN", w.OneIn(6) ? "xyz" : "", w.OneIn(3) ? 1 + w.Below(30) : 0});
  const int typed = 1 + w.Below(5);
  for (int i = 0; i < typed; ++i) {
    std::string line = w.ArrayAssignment();
    if (w.OneIn(3)) line.insert(0, "A=" + w.Expression() + ":");  // a later statement of the typed line
    scenario.steps.push_back({line});
    if (w.OneIn(4)) scenario.steps.push_back({"k"});  // for an INCHAR that waits
  }
  scenario.steps.push_back({"RUN"});
  scenario.steps.push_back({"LIST"});
  scenario.steps.push_back({"PRINT @(0),@(1),@(2),@(3),PEEK(0),PEEK(1),PEEK(2),PEEK(3)"});
  return scenario;
}

// Functions in every case and parentheses as deep as the readers and the value stack go and
// deeper, typed, stored and loaded.
Scenario FunctionsAndParentheses(Writer& w) {
  Scenario scenario;
  std::string file;
  const int lines = 2 + w.Below(6);
  for (int i = 0; i < lines; ++i) {
    const std::string number = std::to_string(10 * (1 + i));
    std::string text;
    switch (w.Below(5)) {
      case 0: text = "PRINT " + w.Nested(w.NestingDepth(), w.Expression(2)); break;
      case 1: text = w.Variable() + "=" + w.Call(0) + w.Operator() + w.Call(0); break;
      case 2: text = "PRINT " + w.Call(0) + "," + w.Call(1) + ";"; break;
      case 3:
        text = "IF " + w.Call(0) + w.PickText({"<", ">", "=", "<>"}) + w.Number() + " THEN PRINT " + w.Call(1);
        break;
      default: text = "PRINT " + w.Expression(); break;
    }
    text.insert(0, number + " ");
    if (w.OneIn(4)) {
      file.append(number).append(" PRINT ").append(w.Nested(w.Pick<int>({100, 999, 1000, 1001}), w.Call(2)));
      file += "\r\n";
    } else if (w.OneIn(2)) {
      file.append(text).append("\r\n");
    } else {
      scenario.steps.push_back({text});
    }
  }
  if (!file.empty()) {
    scenario.files = {{"F.TIB", file}};
    scenario.steps.insert(scenario.steps.begin(), Step{"LOAD F"});
  }
  scenario.steps.push_back({"RUN", w.OneIn(4) ? "q" : ""});
  const int typed = 1 + w.Below(5);
  for (int i = 0; i < typed; ++i) {
    scenario.steps.push_back({"PRINT " + w.Nested(w.NestingDepth(), w.Expression(1))});
    if (w.OneIn(3)) scenario.steps.push_back({"A=" + w.Call(0) + ":PRINT " + w.Call(0)});
    if (w.OneIn(4)) scenario.steps.push_back({"k"});  // for an INCHAR that waits
  }
  scenario.steps.push_back({"LIST"});
  return scenario;
}

// Every statement with malformed operands, typed at the prompt, and stored and reached
// one by one.
Scenario MalformedStatements(Writer& w) {
  Scenario scenario;
  std::vector<std::string> numbers;
  const int lines = 3 + w.Below(6);
  for (int i = 0; i < lines; ++i) {
    numbers.push_back(std::to_string(10 * (i + 1)));
    const std::string statement = w.OneIn(4) ? w.Statement() + ":" + w.MalformedStatement() : w.MalformedStatement();
    scenario.steps.push_back({numbers.back() + " " + statement});
  }
  const int runs = lines + 2;
  for (int i = 0; i < runs; ++i) {
    Step step;
    switch (w.Below(5)) {
      case 0: step.line = "RUN"; break;
      case 1: step.line = w.MalformedStatement(); break;
      default: step.line = "GOTO " + w.Pick(numbers); break;
    }
    if (w.OneIn(4)) step.break_after = 1 + w.Below(20);
    scenario.steps.push_back(step);
    if (w.OneIn(4)) scenario.steps.push_back({w.Answer()});  // for an INPUT that waits
  }
  scenario.steps.push_back({"LIST"});
  scenario.steps.push_back({"SAVE M"});
  return scenario;
}

struct Family {
  const char* name;
  ScenarioWriter write;
  int scenarios;
  // Texts that some transcript of the family must show: the edges it is there to reach.
  std::vector<std::string> reaches;
};

// A family's name is its test's name.
void PrintTo(const Family& family, std::ostream* out) { *out << family.name; }

const std::vector<Family>& Families() {
  static const std::vector<Family> families = {
      {"MixedSession", MixedSession, 450, {"Illegal number", "Line not found", "[Ok]", "Break in", "Listed"}},
      {"LoadedOutOfOrder", LoadedOutOfOrder, 200, {"Line not found", "RETURN without GOSUB", "Break in"}},
      {"StoppedAndEdited", StoppedAndEdited, 200,
       {"Stopped in", "Break in", "NEXT without FOR", "RETURN without GOSUB"}},
      {"InputAnswers", InputAnswers, 150, {"? ", "Invalid Factor", "Missing ')'", "Error  9", "Random-number seed"}},
      {"ArrayAssignments", ArrayAssignments, 150, {"'=' expected", "Error  9", "Division by zero", "Missing ')'"}},
      {"FunctionsAndParentheses", FunctionsAndParentheses, 100,
       {"Function not expected", "Error  9", "Illegal Number"}},
      {"MalformedStatements", MalformedStatements, 100,
       {"End of statement expected", "Invalid label", "Variable expected", "TO expected", "THEN expected",
        "STEP expected", "Illegal value", "Unterminated string", "Error  5"}},
  };
  return families;
}

// Keeps any run bounded, so that endless loops end alike: Ctrl+C every so many statements.
constexpr long kBreakEvery = 1000;
constexpr long kNoClose = 1L << 40;

class FastPathDifferential : public ScratchFolder {
 protected:
  // Runs the scenario the fast way and the plain way, each in a folder of its own, and
  // compares everything after every step. Returns where they first differ, or "".
  // `shown` receives the plain path's transcript.
  std::string FirstDifferenceRunning(const Scenario& scenario, std::vector<std::string>* shown = nullptr) {
    const std::filesystem::path fast_folder = folder_ / "fast";
    const std::filesystem::path plain_folder = folder_ / "plain";
    std::set<std::string> loaded_texts;
    for (const std::filesystem::path& folder : {fast_folder, plain_folder}) {
      std::filesystem::remove_all(folder);
      std::filesystem::create_directory(folder);
      for (const auto& [name, bytes] : scenario.files) {
        write_file((folder / name).string(), bytes);
      }
    }
    for (const auto& [name, bytes] : scenario.files) {
      size_t begin = 0;
      for (size_t i = 0; i <= bytes.size(); ++i) {
        if (i == bytes.size() || bytes[i] == '\r' || bytes[i] == '\n') {
          loaded_texts.insert(bytes.substr(begin, i - begin));
          begin = i + 1;
        }
      }
    }
    std::filesystem::current_path(fast_folder);
    Session fast;
    std::filesystem::current_path(plain_folder);
    Session plain("", false, true);
    fast.Host().bound_statements(kBreakEvery, kNoClose);
    plain.Host().bound_statements(kBreakEvery, kNoClose);
    std::string difference;
    try {
      for (size_t i = 0; i < scenario.steps.size() && difference.empty(); ++i) {
        const Step& step = scenario.steps[i];
        const auto run = [&step](Session& session, const std::filesystem::path& folder) {
          std::filesystem::current_path(folder);
          // In the ring before the first statement's Break test, which takes the first of them.
          for (const char key : step.pressed) session.Host().key_after_statements(1, static_cast<unsigned char>(key));
          if (step.break_after > 0) session.Host().key_after_statements(step.break_after, 3);
          session.Run(step.line);
          return Observe(session.Host(), session.State(), folder);
        };
        const Observation seen_fast = run(fast, fast_folder);
        const Observation seen_plain = run(plain, plain_folder);
        difference = FirstDifference(seen_fast, seen_plain);
        if (difference.empty() && AtThePrompt(seen_plain)) difference = TextNotAsTyped(seen_plain, loaded_texts);
        if (!difference.empty()) difference.insert(0, "after step " + std::to_string(i + 1) + ": ");
        if (shown != nullptr) *shown = seen_plain.transcript;
      }
    } catch (const std::exception& failure) {
      difference = std::string("a session failed: ") + failure.what();
    }
    std::filesystem::current_path(folder_);
    return difference;
  }

  // Whether the session waits at the prompt, its cursor right after ": ": a statement that
  // waits for INCHAR while it evaluates an answer or a part of an @() assignment holds that
  // text in its slot meanwhile.
  static bool AtThePrompt(const Observation& seen) {
    const int row = seen.cursor[0];
    const int column = seen.cursor[1];
    if (column < 3 || seen.host[2] != 0) return false;  // ended
    const int cell = ((row - 1) * TextScreen::kColumns + column - 1) * 2;
    return seen.screen[static_cast<size_t>(cell - 2)] == ' ' && seen.screen[static_cast<size_t>(cell - 4)] == ':';
  }

  // Between statements every stored text is one as loaded, or a numbered line as typed: no
  // function token (no scenario types one), no answer and no part of an @() assignment.
  static std::string TextNotAsTyped(const Observation& seen, const std::set<std::string>& loaded_texts) {
    for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) {
      const std::string& text = seen.program[static_cast<size_t>(slot)];
      if (text.empty() || loaded_texts.count(text) != 0) continue;
      const bool tokens = std::any_of(text.begin(), text.end(), [](char c) {
        return static_cast<unsigned char>(c) >= kFirstToken && static_cast<unsigned char>(c) <= kLastToken;
      });
      const size_t first = text.find_first_not_of(' ');
      const bool numbered = first != std::string::npos && text[first] >= '0' && text[first] <= '9';
      if (tokens || !numbered) {
        return "slot " + std::to_string(slot) + " holds " + Quoted(text) + ", neither loaded nor typed so";
      }
    }
    return "";
  }
};

class RandomScenarios : public FastPathDifferential, public ::testing::WithParamInterface<Family> {};

TEST_P(RandomScenarios, ShowAndKeepTheSameEitherWay) {
  const Family& family = GetParam();
  const char* only = std::getenv("KELO_DIFFERENTIAL_SCENARIO");
  const int first = only != nullptr ? static_cast<int>(std::strtol(only, nullptr, 10)) : 0;
  const char* scale = std::getenv("KELO_DIFFERENTIAL_SCALE");
  const long times = scale != nullptr ? std::max(1L, std::strtol(scale, nullptr, 10)) : 1;
  const int end = only != nullptr ? first + 1 : static_cast<int>(family.scenarios * times);
  std::set<std::string> reached;
  for (int number = first; number < end; ++number) {
    const unsigned seed = static_cast<unsigned>(number) * 7919u + 1u;
    Writer writer(seed);
    const Scenario scenario = family.write(writer);
    std::vector<std::string> shown;
    const std::string difference = FirstDifferenceRunning(scenario, &shown);
    ASSERT_EQ(difference, "") << family.name << " scenario " << number << " (KELO_DIFFERENTIAL_SCENARIO=" << number
                              << "):\n" << Described(scenario);
    for (const std::string& text : family.reaches) {
      for (const std::string& row : shown) {
        if (row.find(text) != std::string::npos) reached.insert(text);
      }
    }
  }
  if (only != nullptr) return;
  for (const std::string& text : family.reaches) {
    EXPECT_EQ(reached.count(text), 1u) << family.name << " never shows \"" << text << "\": its scenarios miss an edge";
  }
}

INSTANTIATE_TEST_SUITE_P(Families, RandomScenarios, ::testing::ValuesIn(Families()),
                         [](const ::testing::TestParamInfo<Family>& info) { return std::string(info.param.name); });

// Scenarios written out, one per edge that a reader's limits or shortcuts could get wrong.
struct EdgeCase {
  const char* name;
  Scenario scenario;
};

// n times `open`, then `inner`, then the n closing parentheses.
std::string Deep(std::string_view open, int n, std::string_view inner) {
  std::string text;
  for (int i = 0; i < n; ++i) text += open;
  return text + std::string(inner) + std::string(static_cast<size_t>(n), ')');
}

std::vector<Step> Lines(const std::vector<std::string>& lines) { return {lines.begin(), lines.end()}; }

// Each answer in a run of its own: the first answer that fails ends the run.
std::vector<Step> EachAnswered() {
  std::vector<Step> steps = Lines({"10 INPUT A,B", "20 PRINT A,B;"});
  for (const std::string answer : {"3", "A+1", "ABS(-2)", "(1", "", "X Y", "@(1)", "12abc", "5:GOTO 10", "$00FF",
                                   "SIZE", "12.5", "PEEK(-1)", "1/0", "aBs(-9)", "ABS (1)", "@(9000)", "-32768",
                                   "32768"}) {
    steps.push_back({"RUN"});
    steps.push_back({answer});
    steps.push_back({"7"});  // B, when A was taken
  }
  return steps;
}

// 299 lines, and a file of 300.
std::string FullStore(int lines) {
  std::string file;
  for (int number = 1; number <= lines; ++number) file += std::to_string(number) + " A=A+1\r\n";
  return file;
}

TEST_F(FastPathDifferential, EdgesShowAndKeepTheSameEitherWay) {
  const std::vector<EdgeCase> cases = {
      {"a statement's end where a function's name stands, and a jump back into a line whose number a name follows",
       {{},
        {Step("10 PRINT @(3);PEEK(6);@(9)"), Step("RUN"), Step("10"), Step("20@(1)=5:GOTO 20"),
         Step("RUN", "", 6), Step("PRINT @(1)")}}},
      {"a jump to a number that two slots carry",
       {{{"P.TIB",
          "10 I=0\r\n20 GOSUB 40\r\n25 GOTO 30\r\n40 PRINT 100+I:RETURN\r\n30 I=I+1:GOSUB 40\r\n"
          "32 IF I<3 THEN GOTO 20\r\n35 END\r\n40 PRINT 200+I:RETURN\r\n"}},
        Lines({"LOAD P", "RUN", "35 GOTO 20", "RUN"})}},
      {"29 values on the value stack, and 30",
       {{},
        Lines({"PRINT " + Deep("1+(", 27, "1+1"), "PRINT " + Deep("1+(", 28, "1+1"),
               "10 A=" + Deep("1+(", 27, "1+1") + ":B=" + Deep("1+(", 28, "1+1"), "RUN", "PRINT A,B"})}},
      {"20 nested calls, and 21, in a line, an answer and an @() assignment",
       {{},
        Lines({"PRINT " + Deep("ABS(", 20, "-1"), "PRINT " + Deep("abs(", 21, "-1"), "INPUT A", Deep("Sgn(", 21, "1"),
               "@(1)=" + Deep("ABS(", 21, "2"), "10 @(" + Deep("ABS(", 21, "2") + ")=1", "RUN", "LIST",
               "PRINT @(1),@(2)"})}},
      {"1000 nested parentheses, and 1001, in a loaded line",
       {{{"D.TIB", "10 PRINT " + Deep("(", 1000, "7") + "\r\n20 PRINT " + Deep("(", 1001, "8") + "\r\n30 PRINT 9\r\n"}},
        Lines({"LOAD D", "RUN", "GOTO 30", "LIST 30"})}},
      {"30 pending GOSUBs, and a 31st",
       {{}, Lines({"10 I=I+1:IF I<32 THEN GOSUB 10", "20 PRINT I", "RUN", "PRINT I", "RETURN", "RUN"})}},
      {"30 FOR frames, and a 31st, then NEXT and RUN",
       {{},
        Lines({"10 I=I+1:IF I<32 THEN GOTO 30", "20 END", "30 FOR A=1 TO 2", "40 GOTO 10", "RUN", "NEXT A",
               "FOR B=1 TO 2", "RUN"})}},
      {"FOR and NEXT on one line, typed and stored",
       {{},
        Lines({"FOR I=1 TO 3:NEXT I", "PRINT I", "10 FOR I=1 TO 3:PRINT I:NEXT I", "20 PRINT I;", "RUN",
               "FOR I=1 TO 3", "NEXT I"})}},
      {"numbers above 32767: line numbers, targets and constants wrap",
       {{},
        Lines({"40000 PRINT 1", "70000 PRINT 2", "4464 PRINT 3", "65536 PRINT 4", "32768 STOP", "10 GOTO 40000", "RUN",
               "GOTO 70000", "LIST", "LIST 40000", "PRINT 32767+1,65535,99999,000000000000070000", "10 END",
               "GOTO -25536"})}},
      {"hexadecimal constants and illegal numbers",
       {{},
        Lines({"PRINT $00FF,$ffff,$8000,$0010,$00001,$12345,$FFFFA", "PRINT $1", "PRINT $12G4", "PRINT 1/0+$12G4",
               "PRINT $1234.5", "PRINT $FFFF1111111111111", "PRINT 12.5", "12.5 PRINT 1", ".5", "GOTO 1.5",
               "10 PRINT $7FFF+$0001", "RUN"})}},
      {"a program stopped, edited where it stands and continued",
       {{},
        Lines({"10 FOR I=1 TO 3", "20 PRINT I;", "30 STOP", "40 NEXT I", "50 GOSUB 100", "60 END",
               "100 PRINT \"S\":RETURN", "RUN", "25 PRINT \"new\";", "GOTO 40", "20", "30 PRINT \"was STOP\"", "NEXT I",
               "RUN", "50 GOSUB 100:STOP", "RUN", "100", "RETURN", "LIST"})}},
      {"INPUT answers that are expressions, and answers that are none", {{}, EachAnswered()}},
      {"INCHAR with keys waiting and with keys typed",
       {{},
        {{"10 A=INCHAR:B=INCHAR:PRINT A,B"}, {"RUN", "xyz"}, {"q"}, {"PRINT INCHAR", "\x03"},
         {"PRINT INCHAR", "ab"}, {"INPUT A"}, {"INCHAR+1"}, {"r"}, {"PRINT A"}}}},
      {"later statements of a typed line that was rewritten",
       {{},
        Lines({"A=ABS(1): @(A)=5", "IF 1<2 THEN @(0)=5", "PRINT ABS(-3):PRINT PEEK(0):@(2)=ABS(-4)",
               "PRINT @(2)"})}},
      {"a full store: runs past its end, lines refused, replaced and deleted, a pausing LIST, a file too long",
       {{{"FULL.TIB", FullStore(299)}, {"LONG.TIB", FullStore(300)}},
        {{"LOAD FULL"}, {"RUN"}, {"PRINT A"}, {"5000 PRINT 1"}, {"150 PRINT ABS(-7)"}, {"RUN"}, {"20"},
         {"5000 PRINT 1"}, {"LIST PAUSE", "abcdefghijklmno"}, {"LIST 100,140 PAUSE", "abc"}, {"LOAD LONG"},
         {"LOAD FULL"}, {"FILES NOSUCH*"}, {"SAVE FULL"}, {"BYE"}, {"x"}, {"PRINT 1"}}}},
      {"a rewrite still pending when a line is typed",
       {{},
        Lines({"10 PRINT ABS(1)/0", "RUN", "10 PRINT 7", "LIST", "20 A=ABS(-5):STOP", "RUN", "5 PRINT 1", "LIST",
               "RUN"})}},
  };
  for (const EdgeCase& edge : cases) {
    EXPECT_EQ(FirstDifferenceRunning(edge.scenario), "") << edge.name << ":\n" << Described(edge.scenario);
  }
}

}  // namespace
