// PRINT, INPUT and OUTCHAR: items, number fields, literals, answers read as expressions.
#include <gtest/gtest.h>

#include "tests/support/answering.h"
#include "tests/support/session.h"

TEST(PrintStatement, ItemsSeparatorsAndLineEnds) {
  ExpectShows({
      {"PRINT", "\n:"},
      {"PRINT:PRINT 5", "\n5\n:"},
      {"PRINT 5 ", "5\n:"},                       // a blank after the last item
      {"PRINT 1,2,3", "123\n:"},                  // nothing between items
      {"PRINT \"A=\",7", "A=7\n:"},
      {"PRINT 5;", "5:"},                         // the prompt follows on the same row
      {"PRINT 1;:PRINT 2", "12\n:"},
      {"PRINT 5:PRINT 6", "5\n6\n:"},
      {"PRINT -32768", "-32768\n:"},
      {"PRINT 0,-5", "0-5\n:"},
      {"PRINT\"X\"", "X\n:"},
      {"PRINT ABS(-3),SGN(-9)", "3-1\n:"},
      {"PRINT 1 2", "1\n#Err: End of statement expected\n:"},   // the line ends first
      {"PRINT \"A\";\"B\"", "A#Err: End of statement expected\n:"},
      {"PRINT ", "#Err: Invalid Factor\n:"},
      {"PRINT 1,2,", "12#Err: Invalid Factor\n:"},
      {"PRINT : X", "#Err: Invalid label\n:"},
      {"PRINT ,", "#Err: Invalid label\n:"},
      {"PRINT 1,;", "1#Err: Invalid label\n:"},
      {"PRINT 7,1/0", "7#Err: Division by zero\n:"},
  });
}

TEST(PrintStatement, StringLiterals) {
  ExpectShows({
      {"PRINT \"\"", "\n:"},
      {"PRINT \"\"\"\"", "\"\n:"},                 // a doubled quote is one quote
      {"PRINT \"a\"\"b\"\"\"", "a\"b\"\n:"},
      {"PRINT \"ab:c\"", "ab:c\n:"},
      {"PRINT \"x;y,z\"", "x;y,z\n:"},
      {"PRINT \"MiXeD\"", "MiXeD\n:"},             // the case as typed
      {"PRINT \"12345\",\\,\"X\"", "X2345\n:"},    // \ returns to column 1
      {"PRINT \"abc", "#Err: Unterminated string\n:"},
      {"PRINT 1,\"ab\"\"", "1#Err: Unterminated string\n:"},
  });
}

TEST(PrintStatement, NumberFields) {
  ExpectShows({
      {"PRINT #3,5,-5", "  5 -5\n:"},
      {"PRINT #3,123,-12", "123-12\n:"},
      {"PRINT #3,1234,-123", "%1234%-123\n:"},
      {"PRINT #2,123", "%123\n:"},
      {"PRINT #1,-5", "%-5\n:"},
      {"PRINT #0,5", "5\n:"},
      {"PRINT #-2,5", "5\n:"},
      {"PRINT #4", "\n:"},
      {"PRINT #3, 1, 22, #0, 5", "  1 225\n:"},
      {"PRINT #1+2,7", "  7\n:"},                  // the width is an expression
      {"PRINT #3;5", "#Err: End of statement expected\n:"},
  });
  // A field lives for one statement only.
  Session session;
  session.Run("PRINT #5,1");
  EXPECT_EQ(session.Run("PRINT 2"), "2\n:");
}

TEST(PrintStatement, DefaultNumbersMoveToTheNextRowButFieldsWrap) {
  const std::string filler(78, 'x');
  Session session;
  EXPECT_EQ(session.Run("PRINT \"" + filler + "\",-1234"), filler + "\n-1234\n:");
  EXPECT_EQ(session.Run("PRINT \"" + filler + "\",#5,-1234"), filler + "-1\n234\n:");
  // A cursor held after column 80 goes back to column 1 of the same row.
  const std::string full(80, 'y');
  EXPECT_EQ(session.Run("PRINT \"" + full + "\",\\,\"Z\""), "Z" + full.substr(1) + "\n:");
}

TEST(InputStatement, AnswersAreExpressions) {
  struct AnswerCase {
    std::string answer;
    int16_t value;
  };
  const AnswerCase cases[] = {
      {"12", 12},      {"-3", -3},          {"$00FF", 255},   {"B*2+1", 43},
      {"ABS(B-30)", 9}, {"12abc", 12},      {"5:GOTO 10", 5}, {"SIZE", -1},
      {"99999", -31073}, {" 7", 7},
  };
  for (const AnswerCase& c : cases) {
    Session session;
    session.Run("B=21");
    EXPECT_EQ(RunAnswering(session, "INPUT A", {c.answer}), "? " + c.answer + "\n:") << c.answer;
    EXPECT_EQ(session.Variable('A'), c.value) << c.answer;
    EXPECT_EQ(session.Variable('B'), 21) << c.answer;
  }
}

TEST(InputStatement, SeveralVariablesShareOneRow) {
  Session session;
  EXPECT_EQ(RunAnswering(session, "INPUT A, B", {"5", "7"}), "? 5 ? 7\n:");
  EXPECT_EQ(session.Variable('A'), 5);
  EXPECT_EQ(session.Variable('B'), 7);
  // The answer names other variables; only the named one is stored.
  EXPECT_EQ(RunAnswering(session, "INPUT B:PRINT A,B", {"A*2"}), "? A*2\n510\n:");
  EXPECT_EQ(session.Variable('A'), 5);
}

TEST(InputStatement, IncharInAnAnswerWaitsForAKeyOfItsOwn) {
  Session session;
  session.Host().type_line("INPUT A");
  session.Host().type_line("INCHAR");
  session.Host().type("x");
  session.Idle();
  EXPECT_EQ(session.Variable('A'), 'x');
}

TEST(InputStatement, CtrlCInAnAnswerIsACharacterNotABreak) {
  Session session;
  EXPECT_EQ(RunAnswering(session, "INPUT A:PRINT A", {"7\x03"}), "? 7\x03\n7\n:");
  EXPECT_EQ(session.Variable('A'), 7);
}

TEST(InputStatement, TheProgramLineStaysAsTyped) {
  Session session;
  session.RunAll({"10 INPUT A, B", "20 PRINT A+B,ABS(-4)"});
  EXPECT_EQ(RunAnswering(session, "RUN", {"ABS(-1)", "ABS(-2)"}), "? ABS(-1) ? ABS(-2)\n34\n:");
  EXPECT_EQ(session.Variable('A'), 1);
  EXPECT_EQ(session.Variable('B'), 2);
  session.Run("REM");
  EXPECT_EQ(session.Program(), (std::vector<std::string>{"10 INPUT A, B", "20 PRINT A+B,ABS(-4)"}));
  // And once more, so that nothing of the first run's answers lingers in the store.
  EXPECT_EQ(RunAnswering(session, "RUN", {"ABS(-7)", "3"}), "? ABS(-7) ? 3\n104\n:");
}

TEST(InputStatement, AnAnswerInAnImmediateLineLeavesTheRestOfTheLineIntact) {
  Session session;
  EXPECT_EQ(RunAnswering(session, "INPUT A:PRINT ABS(-5),A", {"ABS(-7)"}), "? ABS(-7)\n57\n:");
  EXPECT_EQ(session.Run("PRINT 1"), "1\n:");
}

TEST(InputStatement, BadAnswersKeepTheVariable) {
  struct BadCase {
    std::string answer;
    std::string shows;
  };
  const BadCase cases[] = {
      {"", "? #Err: Invalid Factor\n:"},
      {"XY", "? XY#Err: Function not expected\n:"},
      {"1/0", "? 1/0#Err: Division by zero\n:"},
      {"1.5", "? 1.5#Err: Illegal number\n:"},
      {"$12G4", "? $12G4#Err: Illegal Number\n:"},
  };
  for (const BadCase& c : cases) {
    Session session;
    session.Run("A=4");
    EXPECT_EQ(RunAnswering(session, "INPUT A", {c.answer}), c.shows) << c.answer;
    EXPECT_EQ(session.Variable('A'), 4) << c.answer;
  }
  for (const std::string answer : {"", "ABS(1.5)"}) {
    Session session;
    session.Run("10 INPUT A:PRINT ABS(-1)");
    const std::string message = answer.empty() ? "Invalid Factor" : "Illegal number";
    std::string shows = "? ";
    shows.append(answer).append("#Err in  10: ").append(message).append("\n:");
    EXPECT_EQ(RunAnswering(session, "RUN", {answer}), shows);
    session.Run("REM");
    EXPECT_EQ(session.Program(), std::vector<std::string>{"10 INPUT A:PRINT ABS(-1)"}) << answer;
  }
}

TEST(InputStatement, ClosingTheWindowDuringAnAnswerStoresNothing) {
  Session session;
  session.Host().type_line("INPUT A");
  session.Host().type("12");
  session.Idle();
  session.Host().close_window();
  session.Idle();
  EXPECT_TRUE(session.Host().ended());
  EXPECT_EQ(session.Variable('A'), 0);
}

TEST(InputStatement, AHostErrorInAnAnswerPutsTheLineBack) {
  Session session;
  session.Run("10 A=4:INPUT A:PRINT ABS(-3)");
  EXPECT_EQ(RunAnswering(session, "RUN", {"ABS(PEEK(20000))"}), "? ABS(PEEK(20000))Error  9\n:");
  EXPECT_EQ(session.Variable('A'), 4);
  session.Run("REM");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 A=4:INPUT A:PRINT ABS(-3)"});
  EXPECT_EQ(RunAnswering(session, "RUN", {"2"}), "? 2\n3\n:");
}

TEST(InputStatement, VariableNamesAndWhatFollowsThem) {
  {
    Session session;
    EXPECT_EQ(RunAnswering(session, "INPUT A B", {"5"}), "? 5\n#Err: End of statement expected\n:");
    EXPECT_EQ(session.Variable('A'), 5);
  }
  {
    Session session;
    EXPECT_EQ(RunAnswering(session, "INPUT A,", {"3"}), "? 3 ? #Err: Invalid label\n:");
    EXPECT_EQ(session.Variable('A'), 3);
  }
  ExpectShows({
      {"INPUT 5", "? #Err: Invalid label\n:"},
      {"INPUT", "? #Err: Invalid label\n:"},
      {"INPUT AB", "? #Err: Variable expected\n:"},
  });
  // "@" names no variable: the answer is read, then the store fails.
  Session session;
  EXPECT_EQ(RunAnswering(session, "INPUT @", {"5"}), "? 5Error  9\n:");
  for (char letter = 'A'; letter <= 'Z'; ++letter) EXPECT_EQ(session.Variable(letter), 0);
}

TEST(OutcharStatement, PrintsOneCharacterByItsCode) {
  ExpectShows({
      {"OUTCHAR 65", "A:"},
      {"OUTCHAR 65:OUTCHAR 98", "Ab:"},
      {"OUTCHAR 64+2", "B:"},
      {"OUTCHAR 1", "\x01:"},
      {"OUTCHAR 255:OUTCHAR 219", "\xFF\xDB:"},
      {"OUTCHAR 13", "\n:"},
      {"OUTCHAR 10", "\n:"},
      {"OUTCHAR 65:OUTCHAR 9:OUTCHAR 66", "A       B:"},   // blanks to the next tab column
      {"PRINT \"ab\";:OUTCHAR 29:OUTCHAR 88", "aX:"},      // cursor left
      {"OUTCHAR 256", "Error  5\n:"},
      {"OUTCHAR -1", "Error  5\n:"},
      {"OUTCHAR", "#Err: Invalid Factor\n:"},
      {"OUTCHAR 1/0", "#Err: Division by zero\n:"},
      {"OUTCHAR 65 66", "A#Err: End of statement expected\n:"},
  });
}

TEST(OutcharStatement, ControlCodesActOnTheScreen) {
  Session session;
  session.Run("PRINT 1");
  session.Run("OUTCHAR 12");
  EXPECT_EQ(session.Host().row(1), ":");
  EXPECT_EQ(session.Host().row(2), "");
  const long paused = session.Host().paused_ms();
  EXPECT_EQ(session.Run("OUTCHAR 7"), ":");
  EXPECT_EQ(session.Host().paused_ms() - paused, 250);
}
