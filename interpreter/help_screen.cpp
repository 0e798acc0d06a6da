// The help screen: a framed summary of the dialect in code page 437 box characters.
#include <array>

#include "interpreter/interpreter.h"

namespace {

constexpr char kTopLeft = '\xDA';
constexpr char kTopRight = '\xBF';
constexpr char kBottomLeft = '\xC0';
constexpr char kBottomRight = '\xD9';
constexpr char kHorizontal = '\xC4';
constexpr char kVertical = '\xB3';
constexpr char kFullBlock = '\xDB';
constexpr char kUpperHalfBlock = '\xDF';
constexpr size_t kInnerWidth = 69;

constexpr std::array<std::string_view, 17> kHelpTexts = {
    " BYE, CLEAR, END, HELP, NEW, RANDOM, RETURN, RUN, STOP, TRACE",
    " FILES [<pattern>]",
    " FOR <var>=<expr1> TO <expr2> [STEP <expr3>] ... NEXT <var>",
    " GOTO | GOSUB <expr>",
    " IF <expr> THEN <statement>",
    " INPUT <var>,[<var>]",
    " [LET] <var>=<expr>",
    " LIST [<line>[,[<line>]]] [PAUSE]",
    " LOAD | SAVE <filename>",
    " OUTCHAR <expr>",
    " POKE | VPOKE <ind>,<expr>",
    " PRINT <expr|string>[,<expr|string>][;]",
    " REM <anystring>",
    " Operators: + - * / % (MOD)   Integer variables: A..Z and array @(.)",
    " Functions: ABS(,INCHAR,PEEK(,VPEEK(,RND(,SGN(,SIZE",
    " Hexadecimal constant with $ (4 digits required) - ex. $07FF",
    " Note: PEEK/POKE read/write in @(.) VPEEK/VPOKE in screen memory",
};

std::array<std::string, 20> BuildHelpLines() {
  std::array<std::string, 20> lines;
  lines[0] = std::string(1, kTopLeft) + std::string(22, kHorizontal) + " KELO BASIC HELP " +
             std::string(30, kHorizontal) + kTopRight;
  for (size_t i = 0; i < kHelpTexts.size(); ++i) {
    std::string row(1, kVertical);
    row += kHelpTexts[i];
    row.append(kInnerWidth - kHelpTexts[i].size(), ' ');
    row += kVertical;
    row += kFullBlock;
    lines[i + 1] = row;
  }
  lines[18] = std::string(1, kBottomLeft) + std::string(kInnerWidth, kHorizontal) + kBottomRight + kFullBlock;
  lines[19] = "  " + std::string(70, kUpperHalfBlock);
  return lines;
}

}  // namespace

const std::array<std::string, 20>& help_lines() {
  static const std::array<std::string, 20> lines = BuildHelpLines();
  return lines;
}

Continuation Interpreter::ExecHelp() {
  for (const std::string& line : help_lines()) {
    PrintItem(line);
    EndLine();
  }
  return Continuation::NextStatement;
}
