// A small guessing game run by the real program from a script, its whole transcript checked.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "platform/core/random_generator.h"
#include "tests/support/binary_session.h"

namespace {

using GameTranscript = BinarySession;

// The draws of RND(10) after RANDOM with the given seed, from the generator's start state.
std::vector<int> Draws(int16_t seed, int count) {
  RandomGenerator generator;
  generator.reseed(seed);
  std::vector<int> draws;
  draws.reserve(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) draws.push_back(static_cast<int>(std::floor(generator.next() * 10.0f)));
  return draws;
}

std::string Field(int width, int value) {
  std::string digits = std::to_string(value);
  return std::string(width - digits.size(), ' ') + digits;
}

const std::vector<std::string> kProgram = {
    "10 RANDOM",
    "20 FOR I=1 TO 3",
    "30 @(I)=RND(10)",
    "40 NEXT I",
    "50 FOR I=1 TO 3",
    "60 GOSUB 200",
    "70 NEXT I",
    "80 PRINT \"SCORE \",S",
    "90 END",
    "200 PRINT \"ROUND \",I",
    "210 INPUT G",
    "220 IF G=@(I) THEN PRINT \"HIT\":S=S+1:RETURN",
    "230 IF G<@(I) THEN PRINT \"LOW\":RETURN",
    "240 PRINT \"HIGH\":RETURN",
};

}  // namespace

TEST_F(GameTranscript, ThreeRoundsWithASeededSecret) {
  const std::vector<int> secret = Draws(4321, 3);
  // A hit, a guess below the secret (or above it when the secret is 0), a guess above.
  const int guesses[] = {secret[0], secret[1] > 0 ? secret[1] - 1 : secret[1] + 1, secret[2] + 1};
  const std::string second_verdict = secret[1] > 0 ? "LOW" : "HIGH";

  std::string script;
  std::vector<std::string> expected = kBanner;
  for (const std::string& line : kProgram) {
    script += line + "\n";
    expected.push_back(": " + line);
  }
  script += "RUN\n4321\n";
  expected.push_back(": RUN");
  expected.push_back("Random-number seed (-32768 to 32767)? 4321");
  const std::string verdicts[] = {"HIT", second_verdict, "HIGH"};
  for (int round = 0; round < 3; ++round) {
    script += std::to_string(guesses[round]) + "\n";
    expected.push_back("ROUND " + std::to_string(round + 1));
    expected.push_back("? " + std::to_string(guesses[round]));
    expected.push_back(verdicts[round]);
  }
  expected.push_back("SCORE 1");
  script += "PRINT #3,@(1),@(2),@(3),I,G\n";
  expected.push_back(": PRINT #3,@(1),@(2),@(3),I,G");
  expected.push_back(Field(3, secret[0]) + Field(3, secret[1]) + Field(3, secret[2]) + Field(3, 4) +
                     Field(3, guesses[2]));
  expected.push_back(":");

  const Outcome outcome = run(script);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines(expected));
}
