// The fast statement path against the plain reading: random programs, loaded out of order,
// with duplicate, wrapped and illegal line numbers and lines typed between runs, must show
// the same screen, byte for byte, whichever way the interpreter reads them.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

// Writes random lines of the dialect, well formed most of the time.
class ProgramWriter {
 public:
  explicit ProgramWriter(unsigned seed) : random_(seed) {}

  int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
  bool OneIn(int n) { return Below(n) == 0; }
  template <typename T>
  const T& Pick(const std::vector<T>& items) { return items[static_cast<size_t>(Below(static_cast<int>(items.size())))]; }

  // Mostly the numbers the program jumps to; now and then one that wraps or reads as 0.
  std::string LineNumber() {
    if (OneIn(12)) return Pick<std::string>({"40000", "70000", "65536", "010", " 30", "32767", "32768", "99999"});
    return std::to_string(10 * (1 + Below(12)));
  }
  std::string Target() { return OneIn(8) ? Pick<std::string>({"40000", "70000", "0", "15", "-5"}) : std::to_string(10 * (1 + Below(12))); }
  std::string Variable() { return std::string(1, static_cast<char>(Pick<char>({'A', 'B', 'C', 'i', 'J'}))); }

  std::string Expression(int depth = 0) {
    if (depth > 2 || OneIn(3)) return Operand(depth);
    static const std::vector<std::string> operators = {"+", "-", "*", "+", "-", "*", "/", "%", "=", "<", ">", "<=", ">=", "<>", " + "};
    return Operand(depth) + Pick(operators) + Expression(depth + 1);
  }

  std::string Operand(int depth) {
    switch (Below(depth > 2 ? 3 : 24)) {
      case 0: return std::to_string(Below(40));
      case 1: return Variable();
      case 2: return Pick<std::string>({"7", "300", "65535", "$00FF", "-3", "SIZE", "1+2", "12.5", "( J )", "ABS(-(3))",
                                        std::string(20, '(') + "2" + std::string(20, ')'), "-(-(A))*(B)"});
      case 3: return Pick<std::string>({"ABS(", "abs(", "SGN(", "Sgn(", "PEEK(", "RND(", "@(", "VPEEK(", "ABS ("}) + Expression(depth + 1) + ")";
      case 4: return "@(" + std::to_string(Below(20)) + ")";
      case 5: return "(" + Expression(depth + 1) + ")";
      case 6: return "ABS(SGN(" + Expression(depth + 1) + "))";
      case 7: return "PEEK(" + std::to_string(Below(20)) + ")";
      case 8: return OneIn(3) ? "(" + Expression(depth + 1) : "4";  // a missing ")"
      default: return OneIn(2) ? Variable() : std::to_string(Below(300));  // flat expressions are common
    }
  }

  std::string Statement(int depth = 0) {
    switch (Below(24)) {
      case 0: case 1: case 2: return Variable() + "=" + Expression();
      case 3: return "LET " + Variable() + " = " + Expression();
      case 4: case 19: case 20: return "PRINT " + Expression() + Pick<std::string>({"", ";", ",", ", \"ABS(1) @(2)\"", "; \"x\"\"y\""});
      case 5: return "PRINT \"PEEK(\";" + Expression();
      case 6: return depth > 1 ? "REM" : "IF " + Expression() + " THEN " + Statement(depth + 1);
      case 7: return "GOTO " + Target();
      case 8: return "GOSUB " + Target();
      case 9: return "RETURN";
      case 10: return "FOR " + Variable() + "=" + Expression() + " TO " + Expression() + (OneIn(2) ? " STEP " + Pick<std::string>({"1", "2", "-1", "0"}) : "");
      case 11: case 12: return "NEXT " + Variable();
      case 13: return "POKE " + std::to_string(Below(20)) + "," + Expression();
      case 14: case 15: return "@(" + Expression() + ")=" + Expression();
      case 16: return "REM ABS( \"" + Expression();
      case 17: return Pick<std::string>({"END", "STOP", "CLEAR", "TRACE", "OUTCHAR 65", "LIST", "LIST 20,60"});
      case 18: return Pick<std::string>({"PRINT", "X Y", ": ", "IF -1 THEN @(1)=5", "FORI=1TO9", "PRINT 1.", "@(2)=",
                                         "@(1)=ABS(-3) X", "@(A@(1))=2", "@(1)=Abs(B)+sGn(-B)+pEEk(2)", "@( 3 ) = @(1) + 1",
                                         "@(1)=(2", "@(9000)=1", "@(1)=A(2)", "@(1)=RND(1)+1", "@(1)=VPEEK(0)"});
      default: return Variable() + "=" + Variable() + "+1";
    }
  }

  std::string Line() {
    std::string line = LineNumber() + " " + Statement();
    while (OneIn(3)) line += ":" + Statement();
    return line;
  }

  // A program file: lines in any order, numbers repeated, wrapped or cut by a ".", blank lines.
  std::string ProgramFile() {
    std::string text;
    const int lines = 3 + Below(14);
    for (int i = 0; i < lines; ++i) {
      switch (Below(14)) {
        case 0: text += ""; break;
        case 1: text += OneIn(3) ? std::to_string(10 * (1 + Below(12))) + ".5 PRINT 1" : Line(); break;
        case 2: text += "PRINT 2"; break;
        default: text += Line(); break;
      }
      text += "\r\n";
    }
    return text;
  }

 private:
  std::mt19937 random_;
};

using FastPathDifferential = ScratchFolder;

TEST_F(FastPathDifferential, RandomProgramsShowTheSameScreenEitherWay) {
  constexpr int kScenarios = 300;
  constexpr long kStatementsPerRun = 1500;  // then Ctrl+C: endless loops end alike
  for (int scenario = 0; scenario < kScenarios; ++scenario) {
    ProgramWriter writer(static_cast<unsigned>(scenario));
    write_file("A.TIB", writer.ProgramFile());
    write_file("B.TIB", writer.ProgramFile());
    Session fast;
    Session plain("", false, true);
    std::vector<std::string> commands;
    const int steps = 6 + writer.Below(10);
    for (int step = 0; step < steps; ++step) {
      switch (writer.Below(9)) {
        case 0: case 1: commands.push_back(writer.Line()); break;
        case 2: commands.push_back(writer.LineNumber()); break;  // deletes
        case 3: commands.push_back(writer.Pick<std::string>({"LOAD A", "LOAD B"})); break;
        case 4: commands.push_back("GOTO " + writer.Target()); break;
        case 5: commands.push_back(writer.Statement()); break;
        case 6: commands.push_back(writer.OneIn(4) ? "SAVE A" : "LIST"); break;
        default: commands.push_back("RUN"); break;
      }
    }
    commands.push_back("RUN");
    commands.push_back("LIST");
    for (const std::string& command : commands) {
      fast.Host().key_after_statements(kStatementsPerRun, 3);
      plain.Host().key_after_statements(kStatementsPerRun, 3);
      const std::string shown = fast.Run(command);
      ASSERT_EQ(shown, plain.Run(command)) << "scenario " << scenario << ", command " << command;
      // Every cell too, the value stack's included: a later failed evaluation can show a
      // value an earlier one left there.
      ASSERT_TRUE(fast.State().int_cells.cells == plain.State().int_cells.cells)
          << "scenario " << scenario << ", command " << command;
      ASSERT_TRUE(fast.State().byte_memory.cells == plain.State().byte_memory.cells)
          << "scenario " << scenario << ", command " << command;
    }
    ASSERT_EQ(fast.Host().transcript(), plain.Host().transcript()) << "scenario " << scenario;
    ASSERT_EQ(fast.Program(), plain.Program()) << "scenario " << scenario;
    for (char letter = 'A'; letter <= 'Z'; ++letter) ASSERT_EQ(fast.Variable(letter), plain.Variable(letter));
  }
}

// Jumps to a number that two slots carry: the slot found depends on where the search starts,
// so a remembered answer may serve only starts that cannot reach the other slot.
TEST_F(FastPathDifferential, JumpsToARepeatedNumberFindTheSlotAfterTheirStart) {
  write_file("P.TIB",
             "10 I=0\r\n"
             "20 GOSUB 40\r\n"
             "25 GOTO 30\r\n"
             "40 PRINT 100+I:RETURN\r\n"
             "30 I=I+1:GOSUB 40\r\n"
             "32 IF I<3 THEN GOTO 20\r\n"
             "35 END\r\n"
             "40 PRINT 200+I:RETURN\r\n");
  Session fast;
  Session plain("", false, true);
  for (const std::string command : {"LOAD P", "RUN", "35 GOTO 20", "RUN"}) {
    fast.Host().key_after_statements(200, 3);
    plain.Host().key_after_statements(200, 3);
    const std::string shown = fast.Run(command);
    ASSERT_EQ(shown, plain.Run(command)) << command;
    if (command == "RUN") {
      EXPECT_NE(shown.find("100\n201\n101\n202\n102\n203\n"), std::string::npos) << shown;
    }
  }
}

}  // namespace
