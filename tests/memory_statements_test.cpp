// Assignment with and without LET, the @() array assignment, POKE and VPOKE.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/session.h"

namespace {

int16_t Cell(const Session& session, int address) { return session.State().byte_memory.cells[address]; }

// The byte at an offset of the text screen: a character, or the attribute after it.
uint8_t ScreenByte(Session& session, int offset) { return session.Host().host().screen().byte_at(offset); }

}  // namespace

TEST(Assignment, StoresIntoTheNamedVariable) {
  for (const std::string line : {"A = 5", "a=5", "LET A=5", "let a = 5", "LET  A  =  5", "A=2+3", "A=5:B=B"}) {
    Session session;
    EXPECT_EQ(session.Run(line), ":") << line;
    EXPECT_EQ(session.Variable('A'), 5) << line;
  }
  Session session;
  EXPECT_EQ(session.Run("A=32767+1:Z=-A"), ":");
  EXPECT_EQ(session.Variable('A'), -32768);
  EXPECT_EQ(session.Variable('Z'), -32768);
}

TEST(Assignment, TheTargetIsTheVariableBeforeTheEqualsSign) {
  struct Case {
    std::string line;
    int16_t a, b, c;
  };
  const Case cases[] = {
      {"LET A=B", 7, 7, 3},
      {"A=B", 7, 7, 3},
      {"A=C+B", 10, 7, 3},
      {"LET A=ABS(B-C*5)", 8, 7, 3},
      {"B=A", 0, 0, 3},
      {"C=(A<B)*B", 0, 7, -7},
  };
  for (const Case& c : cases) {
    Session session;
    session.Run("B=7:C=3");
    EXPECT_EQ(session.Run(c.line), ":") << c.line;
    EXPECT_EQ(session.Variable('A'), c.a) << c.line;
    EXPECT_EQ(session.Variable('B'), c.b) << c.line;
    EXPECT_EQ(session.Variable('C'), c.c) << c.line;
  }
}

TEST(Assignment, Errors) {
  struct Case {
    std::string line;
    std::string shows;
    int16_t a;  // A afterwards, from 4
  };
  const Case cases[] = {
      {"LET", "#Err: Invalid label\n:", 4},
      {"LET 5", "#Err: Invalid label\n:", 4},
      {"AB=5", "#Err: Variable expected\n:", 4},
      {"LET AB=5", "#Err: Variable expected\n:", 4},
      {"A 5", "#Err: '=' expected\n:", 4},
      {"A", "#Err: '=' expected\n:", 4},
      {"A=", "#Err: Invalid Factor\n:", 4},
      {"A=1/0", "#Err: Division by zero\n:", 4},
      {"A=XY", "#Err: Function not expected\n:", 4},
      {"A=5 6", "#Err: End of statement expected\n:", 5},  // stored before the check
  };
  for (const Case& c : cases) {
    Session session;
    session.Run("A=4");
    EXPECT_EQ(session.Run(c.line), c.shows) << c.line;
    EXPECT_EQ(session.Variable('A'), c.a) << c.line;
  }
}

TEST(ArrayAssignment, StoresLowAndHighPartsInTwoCells) {
  struct Case {
    std::string line;
    int element;
    int16_t low, high;
  };
  const Case cases[] = {
      {"@(0) = -1", 0, -1, 0},
      {"@(1) = 300", 1, 44, 1},
      {"@(0) = -257", 0, -1, -1},
      {"@(2) = -32768", 2, 0, -128},
      {"@(2) = 32767", 2, 255, 127},
      {"@(8191) = 1", 8191, 1, 0},
      {"@(ABS(-1)) = ABS(-5)", 1, 5, 0},
      {"@ABC(2)=7", 2, 7, 0},           // any word that begins with "@"
      {"@ (3)=7", 3, 7, 0},
      {"LET @(3)=7", 3, 7, 0},
      {"@(1)+1=5", 2, 5, 0},            // the index text runs up to the "="
      {"@(1)=5 6", 1, 5, 0},            // the rest of the value text is ignored
      {"@5=3", 5, 3, 0},                // no "(": the index starts after the word
      {"@(1):A=5", 1, 5, 0},            // a ":" before the "=" belongs to the index text
  };
  for (const Case& c : cases) {
    Session session;
    EXPECT_EQ(session.Run(c.line), ":") << c.line;
    EXPECT_EQ(Cell(session, 2 * c.element), c.low) << c.line;
    EXPECT_EQ(Cell(session, 2 * c.element + 1), c.high) << c.line;
  }
  Session session;
  EXPECT_EQ(session.Run("@(0)=-1:PRINT @(0),\" \",PEEK(0),\" \",PEEK(1)"), "-1 -1 0\n:");
}

TEST(ArrayAssignment, EqualsSignsInsideAndOutsideParentheses) {
  Session session;
  session.Run("A=1:B=4");
  // An "=" inside parentheses compares: A=B is 0 here.
  EXPECT_EQ(session.Run("@(A=B)=9"), ":");
  EXPECT_EQ(Cell(session, 0), 9);
  // The last "=" outside parentheses separates: the index is (1)=A, true, so -1.
  EXPECT_EQ(session.Run("@(1)=A=B"), "Error  9\n:");
  session.Run("A=0");
  EXPECT_EQ(session.Run("@(1)=A=B"), ":");  // (1)=0 is 0: @(0) = B
  EXPECT_EQ(Cell(session, 0), 4);
  EXPECT_EQ(Cell(session, 2), 0);
}

TEST(ArrayAssignment, TheStatementEndsAtTheFirstColonAfterTheEqualsSign) {
  Session session;
  EXPECT_EQ(session.Run("@(1)=5: PRINT @(1)"), "5\n:");
  EXPECT_EQ(session.Run("@(2)=6:@(3)=@(2)+1:PRINT @(3)"), "7\n:");
}

std::string Nested(const std::string& call, int times) {
  std::string text;
  for (int i = 0; i < times; ++i) text += call;
  return text;
}

TEST(ArrayAssignment, Errors) {
  const ShowsCase cases[] = {
      {"@(1)", "#Err: '=' expected\n:"},
      {"@(1)=", "#Err: '=' expected\n:"},
      {"@(1)=:PRINT 2", "#Err: Invalid label\n:"},  // the value text runs to the line's end
      {"@=5", "#Err: '=' expected\n:"},
      {"@(1=5)", "#Err: '=' expected\n:"},
      {"@(1/0)=5", "#Err: Division by zero\n:"},
      {"@(1)=XY", "#Err: Function not expected\n:"},
      {"@(8192)=1", "Error  9\n:"},
      {"@(-1)=1", "Error  9\n:"},
      {"@(1)=PEEK(20000)", "Error  9\n:"},
      // The value text is rewritten whole before it is read: a 21st nested call after the
      // value fails the statement all the same.
      {"@(1)=5 " + Nested("ABS(", 21) + "1" + std::string(21, ')'), "Error  9\n:"},
      {"@(" + Nested("SGN(", 21) + "1" + std::string(22, ')') + "=5", "Error  9\n:"},
  };
  for (const ShowsCase& c : cases) {
    Session session;
    EXPECT_EQ(session.Run(c.line), c.shows) << c.line;
    for (int address = 0; address < 4; ++address) EXPECT_EQ(Cell(session, address), 0) << c.line;
    EXPECT_EQ(session.Run("PRINT 1"), "1\n:") << c.line;  // the prompt reads new lines again
  }
}

TEST(ArrayAssignment, AStoredLineReadsAsTypedAfterEveryOutcome) {
  struct Case {
    std::string line;
    std::string shows;
  };
  const Case cases[] = {
      {"10 @(1)=1/0", "#Err in  10: Division by zero\n:"},
      {"10 @(ABS(1.5))=3", "#Err in  10: Illegal number\n:"},
      {"10 @(8192) = 1", "Error  9\n:"},
      {"10 @(-1) = 1", "Error  9\n:"},
      {"10 @(ABS(1))=PEEK(20000)", "Error  9\n:"},
      {"10 @(ABS(-1))=ABS(-5):PRINT ABS(-2),@(1)", "25\n:"},
  };
  for (const Case& c : cases) {
    Session session;
    session.Run(c.line);
    EXPECT_EQ(session.Run("RUN"), c.shows) << c.line;
    session.Run("REM");
    EXPECT_EQ(session.Program(), std::vector<std::string>{c.line}) << c.line;
  }
}

TEST(ArrayAssignment, LaterStatementsOfATypedLineReadItAsTyped) {
  for (const std::string line : {"A=ABS(-9):@(ABS(-1))=ABS(-5):PRINT ABS(-2),@(1),A",
                                 "IF ABS(-1)=1 THEN A=ABS(-9):@(ABS(-1))=ABS(-5):PRINT ABS(-2),@(1),A",
                                 "IF -1 THEN @(ABS(-1))=ABS(-5):A=9:PRINT ABS(-2),@(1),A"}) {
    Session session;
    EXPECT_EQ(session.Run(line), "259\n:") << line;
    EXPECT_EQ(session.Run("PRINT ABS(-3)"), "3\n:") << line;
  }
}

TEST(PokeStatement, StoresOneCellModulo256) {
  struct Case {
    std::string line;
    int address;
    int16_t value;
  };
  const Case cases[] = {
      {"POKE 100, 300", 100, 44},
      {"POKE 100,255", 100, 255},
      {"POKE 100,256", 100, 0},
      {"POKE 0,7", 0, 7},
      {"POKE 16383,7", 16383, 7},
      {"POKE 50*2,1+1", 100, 2},
      {"POKE 100,7,8,9", 100, 7},                      // extra arguments are read, not used
      {"POKE 100,1,1,1,1,1,1,1,1,1", 100, 1},           // ten arguments
  };
  for (const Case& c : cases) {
    Session session;
    EXPECT_EQ(session.Run(c.line), ":") << c.line;
    EXPECT_EQ(Cell(session, c.address), c.value) << c.line;
  }
  Session session;
  EXPECT_EQ(session.Run("POKE 7,9:PRINT PEEK(7)"), "9\n:");
  EXPECT_EQ(session.Run("POKE 20000, 1"), ":");   // beyond the memory: ignored
  EXPECT_EQ(session.Run("POKE 16384, 1"), ":");
  EXPECT_EQ(session.Run("POKE 1, 2 X"), "#Err: End of statement expected\n:");
  EXPECT_EQ(Cell(session, 1), 2);  // stored before the rest was looked at
}

TEST(PokeStatement, RefusedStatementsStoreNothing) {
  const ShowsCase cases[] = {
      {"POKE 1, 2, -3", "#Err: Illegal value\n:"},
      {"POKE 1, -2", "#Err: Illegal value\n:"},
      {"POKE 40000, 1", "#Err: Illegal value\n:"},     // wraps to a negative number
      {"POKE 1", "#Err: Invalid Factor\n:"},            // an address alone
      {"POKE 1,", "#Err: Invalid Factor\n:"},
      {"POKE", "#Err: Invalid Factor\n:"},
      {"POKE 1,1/0", "#Err: Division by zero\n:"},
      {"POKE 1,1,1,1,1,1,1,1,1,1,1", "Error  9\n:"},   // an 11th argument
  };
  for (const ShowsCase& c : cases) {
    Session session;
    session.Run("POKE 5,9");  // leaves a second argument behind for the next POKE
    EXPECT_EQ(session.Run(c.line), c.shows) << c.line;
    EXPECT_EQ(Cell(session, 1), 0) << c.line;
    EXPECT_EQ(Cell(session, 5), 9) << c.line;
  }
}

TEST(VpokeStatement, WritesTheTextScreen) {
  Session session;
  EXPECT_EQ(session.Run("VPOKE 0, 65"), ":");
  EXPECT_EQ(session.Host().row(1)[0], 'A');
  const uint8_t attribute = ScreenByte(session, 1);
  EXPECT_EQ(session.Run("VPOKE 1, 30"), ":");
  EXPECT_EQ(ScreenByte(session, 1), 30);
  EXPECT_NE(attribute, 30);
  EXPECT_EQ(session.Run("VPOKE 2, 322"), ":");   // modulo 256
  EXPECT_EQ(session.Host().row(1)[1], 'B');
  EXPECT_EQ(session.Run("PRINT VPEEK(0)"), "65\n:");
  // Beyond the screen: ignored; the byte memory is not touched either.
  EXPECT_EQ(session.Run("VPOKE 4000, 65"), ":");
  EXPECT_EQ(Cell(session, 4000), 0);
  // The last cell of the bottom row (the transcript now reaches down to it).
  session.Run("VPOKE 3998, 67:VPOKE 3999, 31");
  EXPECT_EQ(session.Host().row(25), std::string(79, ' ') + "C");
  EXPECT_EQ(ScreenByte(session, 3999), 31);
}

TEST(VpokeStatement, RefusedStatementsWriteNothing) {
  const ShowsCase cases[] = {
      {"VPOKE 0", "#Err: Invalid Factor\n:"},
      {"VPOKE 0,-1", "#Err: Illegal value\n:"},
      {"VPOKE 40000,65", "#Err: Illegal value\n:"},
      {"VPOKE 0,1,1,1,1,1,1,1,1,1,1", "Error  9\n:"},
  };
  for (const ShowsCase& c : cases) {
    Session session;
    session.Run("VPOKE 2,66");  // leaves a second argument behind
    const char before = session.Host().row(1)[0];
    EXPECT_EQ(session.Run(c.line), c.shows) << c.line;
    EXPECT_EQ(session.Host().row(1)[0], before) << c.line;
  }
}
