// Tests of the random-number generator and of RANDOM's seed prompt.
#include "platform/core/random_generator.h"

#include <gtest/gtest.h>

#include "tests/support/scripted_front_end.h"

namespace {

TEST(RandomGenerator, FirstValuesFromTheStartState) {
  // state = (state * 16598013 + 12820163) AND &HFFFFFF from &H50000; value = state / 2^24
  const uint32_t states[] = {11837123, 8949370, 9722709, 4858052, 5065847};
  RandomGenerator generator;
  EXPECT_EQ(generator.state(), 0x50000u);
  for (uint32_t state : states) {
    EXPECT_EQ(generator.next(), static_cast<float>(state) / 16777216.0f);
    EXPECT_EQ(generator.state(), state);
  }
}

TEST(RandomGenerator, ReseedReplacesBits8To23Only) {
  const struct { int draws; int16_t seed; uint32_t after; } cases[] = {
      {0, -1, 0xFFFF00},     // from &H050000
      {1, 0, 0x0000C3},      // from &HB49EC3
      {1, -32768, 0x8000C3},
      {2, 1, 0x00017A},      // from &H888E7A
  };
  for (const auto& c : cases) {
    RandomGenerator generator;
    for (int i = 0; i < c.draws; ++i) generator.next();
    generator.reseed(c.seed);
    EXPECT_EQ(generator.state(), c.after) << c.draws << " " << c.seed;
  }
}

TEST(Randomize, PromptsAndReseedsFromTheTypedNumber) {
  const struct { const char* answer; uint32_t state; } cases[] = {
      {"-1", 0xFFFF00}, {"1", 0x000100}, {"65537", 0x000100}, {"2.5", 0x000200}, {"abc", 0x000000},
      {"&H7FFF", 0x7FFF00}, {"&H10000000000000000", 0x000000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.answer);
    ScriptedHost scripted(keys_of(std::string(c.answer) + "\r"));
    scripted.host.randomize();
    EXPECT_EQ(scripted.host.random().state(), c.state);
    EXPECT_EQ(row_text(scripted.host.screen(), 1), std::string("Random-number seed (-32768 to 32767)? ") + c.answer);
    EXPECT_EQ(scripted.host.screen().cursor_row(), 2);
  }
}

TEST(Randomize, ShutDownDuringThePromptHaltsForGood) {
  ScriptedHost scripted(keys_of("12"));
  EXPECT_THROW(scripted.host.randomize(), HostShutdown);
  EXPECT_TRUE(scripted.host.stop_flag());
  EXPECT_EQ(scripted.host.random().state(), 0x50000u);
}

}  // namespace
