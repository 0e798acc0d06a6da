// Expressions: operators, factors, constants, function tokens and the value stack's limit.
#include <gtest/gtest.h>

#include "tests/support/session.h"

namespace {

// Each case holds an expression and what PRINT of it shows before the line end.
void ExpectPrints(const std::vector<ShowsCase>& cases) {
  std::vector<ShowsCase> printed;
  printed.reserve(cases.size());
  for (const ShowsCase& c : cases) printed.push_back({"PRINT " + c.line, c.shows + "\n:"});
  ExpectShows(printed);
}

std::string Nested(const std::string& open, int depth, const std::string& inner, const std::string& close) {
  std::string text;
  for (int i = 0; i < depth; ++i) text += open;
  text += inner;
  for (int i = 0; i < depth; ++i) text += close;
  return text;
}

}  // namespace

TEST(Expressions, OperatorsPrecedenceAndWrapping) {
  ExpectPrints({
      {"1+2*3", "7"},          {"(1+2)*3", "9"},       {"1 + 2", "3"},
      {"32767+1", "-32768"},   {"200*200", "-25536"},  {"256*256", "0"},
      {"-32767-2", "32767"},   {"7/2", "3"},           {"(-7)/2", "-3"},
      {"7/(-2)", "-3"},        {"(-7)%2", "-1"},       {"7%(-2)", "1"},
      {"$8000/(-1)", "-32768"}, {"$8000%(-1)", "0"},   {"10-4-3", "3"},
      {"100/10/5", "2"},       {"7%4%3", "0"},         {"6*2%5", "2"},
      {"1<2", "-1"},           {"1<2<3", "-1"},        {"3>2>1", "0"},
      {"(1<2)*5", "-5"},       {"2>=2", "-1"},         {"2<>2", "0"},
      {"1<=1", "-1"},          {"2=2", "-1"},          {"1>2", "0"},
      {"2*-3", "-3"},          {"2--3", "-1"},         {"2-+3", "5"},
      {"2+-3", "-1"},          {"2*(-3)", "-6"},       {"1<-1", "0"},
      {"5=-5", "0"},           {"-5", "-5"},           {"((1))", "1"},
  });
}

TEST(Expressions, FactorsAndConstants) {
  ExpectPrints({
      {"$FFFF", "-1"},   {"$ffff", "-1"},    {"$8000", "-32768"}, {"$0010", "16"},
      {"$00001", "1"},   {"$12345", "9029"}, {"$FFFF1", "-15"},   {"$7FFF", "32767"},
      {"A", "0"},        {"a", "0"},         {"SIZE", "-1"},      {"32768", "-32768"},
      {"99999", "-31073"}, {"000000000000070000", "4464"}, {"007", "7"},
      // A constant leaves what follows it to the caller.
      {"$FFFFA", "-1\n#Err: End of statement expected"},
      {"A1", "0\n#Err: End of statement expected"},
      {"SIZE(1)", "-1\n#Err: End of statement expected"},
      {"8\\2", "8\n#Err: End of statement expected"},
  });
}

TEST(Expressions, MessagesOfFailedEvaluations) {
  ExpectPrints({
      {"1< =2", "#Err: Invalid label"},   {"1=<2", "#Err: Invalid label"},
      {"1=>2", "#Err: Invalid label"},    {"1><2", "#Err: Invalid label"},
      {"1==2", "#Err: Invalid label"},    {"6/-2", "#Err: Division by zero"},
      {"6%-2", "#Err: Division by zero"}, {"5/0", "#Err: Division by zero"},
      {"XY+5/0", "#Err: Function not expected"},
      {"1+(2", "#Err: Missing ')'"},      {"5-", "#Err: Invalid Factor"},
      {"-", "#Err: Invalid Factor"},      {"AB", "#Err: Function not expected"},
      {".5", "#Err: Invalid label"},      {"SIZEX", "#Err: Function not expected"},
      {"()", "#Err: Invalid label"},      {"(", "#Err: Invalid Factor"},
      {"(1", "#Err: Missing ')'"},        {"ABS (5)", "#Err: Function not expected"},
      {"ABS 5", "#Err: Function not expected"},
      {"$1", "#Err: Illegal Number"},     {"$12G4", "#Err: Illegal Number"},
      {"$12:PRINT 1", "#Err: Illegal Number"}, {"$ 1234", "#Err: Illegal Number"},
      {"1/0+$12G4", "#Err: Illegal Number"},   // replaces the earlier message
      {"$1234.5", "#Err: Illegal number"},     {"12.5", "#Err: Illegal number"},
      {"$FFFF1111111111111", "#Err: Overflow"},  // 17 significant digits
      {"$000011111111111111111", "#Err: Overflow"},  // leading zeros do not count
      {"$00001111111111111111", "4369"},
  });
}

TEST(Expressions, FailedEvaluationsLeaveTheirPartialValue) {
  struct ValueCase {
    std::string expression;
    int16_t value;
  };
  const ValueCase cases[] = {{"5-", -5}, {"1+(2", 3}, {"8/0*3", 8}, {"(1", 1}, {"XY", 0}};
  for (const ValueCase& c : cases) {
    Session session;
    session.Run("PRINT " + c.expression);
    EXPECT_EQ(session.State().number_value, c.value) << c.expression;
  }
}

TEST(Expressions, FailedOperandsNeverReachTheVariables) {
  // Operands that push nothing make the operators combine what lies below them; nothing
  // below the stack's base is read or written.
  Session session;
  session.Run("Y=7:Z=9");
  for (std::string expression : {"XY*ZZ", "XY*ZZ+QQ-RR", "(XY)/(ZZ)", "QQ+A+B+C*D", "XY<ZZ", "0/XY/ZZ"}) {
    const std::string shows = session.Run("A=" + expression);
    EXPECT_EQ(shows, "#Err: Function not expected\n:") << expression;
  }
  EXPECT_EQ(session.Variable('Y'), 7);
  EXPECT_EQ(session.Variable('Z'), 9);
  EXPECT_EQ(session.Variable('A'), 0);
  EXPECT_GE(session.State().value_sp, kValueBase);
}

TEST(Expressions, FunctionTokens) {
  ExpectPrints({
      {"ABS(-5)", "5"},         {"abs(-5)", "5"},        {"Abs(-5)", "5"},
      {"ABS($8000)", "-32768"}, {"SGN(-7)", "-1"},       {"SGN(0)", "0"},
      {"SGN(9)", "1"},          {"ABS(SGN(-3))", "1"},   {"ABS((1-5)+1)", "3"},
      {"ABS(-(2+3))", "5"},     {"RND(1)", "0"},         {"RND(0)", "0"},
      {"PEEK(16383)", "0"},     {"@(8191)", "0"},        {"@((1))", "0"},
      {"PEEK(16384)", "Error  9"}, {"PEEK(-1)", "Error  9"},
      {"@(8192)", "Error  9"},  {"@(-1)", "Error  9"},
      {"\"ABS(1)\"", "ABS(1)"}, {"ABS(-2)*ABS(-3)", "6"}, {"VPEEK(1)", "7"},
  });
}

TEST(Expressions, RndDrawsFromTheGeneratorInOrder) {
  Session session;
  EXPECT_EQ(session.Run("PRINT RND(100),\",\",RND(100),\",\",RND(100)"), "70,53,57\n:");
  Session dice;
  dice.Host().type_line("RANDOM");
  dice.Host().type_line("123");
  dice.Idle();
  EXPECT_EQ(dice.Run("PRINT RND(6)+1,RND(6)+1,RND(6)+1,RND(6)+1"), "3322\n:");
  Session negative;
  negative.Host().type_line("RANDOM");
  negative.Host().type_line("-5");
  negative.Idle();
  EXPECT_EQ(negative.Run("PRINT RND(-10),RND(-10)"), "-5-4\n:");
}

TEST(Expressions, VpeekReadsTheScreen) {
  Session session;
  EXPECT_EQ(session.Run("PRINT VPEEK(0),\" \",VPEEK(1),\" \",VPEEK(3998)"), "75 7 32\n:");  // "K"
  EXPECT_EQ(session.Run("PRINT VPEEK(-1)"), "0\n:");  // beyond the screen, host memory
}

TEST(Expressions, NestedFunctionsUpToTwenty) {
  Session session;
  EXPECT_EQ(session.Run("PRINT " + Nested("ABS(", 20, "-3", ")")), "3\n:");
  const std::string line = "10 PRINT " + Nested("ABS(", 21, "-3", ")");
  session.Run(line);
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{line});
}

TEST(Expressions, TheValueStackHoldsTwentyNineValues) {
  Session session;
  // Each "1+(" keeps one value waiting: 27 of them and the innermost two make 29.
  EXPECT_EQ(session.Run("PRINT " + Nested("1+(", 27, "1+1", ")")), "29\n:");
  session.RunAll({"10 GOSUB 100", "20 PRINT 42:END", "100 PRINT " + Nested("1+(", 28, "1+1", ")"), "110 RETURN"});
  EXPECT_EQ(session.Run("RUN"), "Error  9\n:");
  EXPECT_EQ(session.State().gosub_top, 84);
  // The pending return is intact: RETURN goes on after the GOSUB.
  EXPECT_EQ(session.Run("RETURN"), "42\n:");
}

TEST(Expressions, StoredLinesListAsTypedAfterTheirFunctionsRan) {
  Session session;
  session.RunAll({"10 A=ABS(-5):PRINT A", "20 IF ABS(A)>1 THEN PRINT PEEK(0)", "30 PRINT ABS(1/0)"});
  EXPECT_EQ(session.Run("RUN"), "5\n0\n#Err in  30: Division by zero\n:");
  session.Run("REM");  // the next statement writes the rewritten line back
  EXPECT_EQ(session.Program(), (std::vector<std::string>{"10 A=ABS(-5):PRINT A", "20 IF ABS(A)>1 THEN PRINT PEEK(0)",
                                                        "30 PRINT ABS(1/0)"}));
}

TEST(Expressions, LaterStatementsOfATypedLineReadItAsTyped) {
  Session session;
  EXPECT_EQ(session.Run("A=ABS(-1): @(A)=5: PRINT @(1)"), "5\n:");
  EXPECT_EQ(session.Run("IF ABS(-1)>0 THEN @(2)=7"), ":");
  EXPECT_EQ(session.Run("PRINT @(2),ABS(-3)"), "73\n:");
}

TEST(Expressions, InCharWaitsForAKey) {
  Session session;
  session.Host().type_line("A=INCHAR:B=INCHAR");
  session.Host().type("Q");
  session.Idle();  // B's INCHAR waits
  session.Host().press_key(kExtendedKey + 72);  // a cursor key gives 0
  session.Idle();
  EXPECT_EQ(session.Variable('A'), 'Q');
  EXPECT_EQ(session.Variable('B'), 0);
  // After an earlier failure INCHAR is passed over and does not wait.
  EXPECT_EQ(session.Run("A=1/0+INCHAR"), "#Err: Division by zero\n:");
}
