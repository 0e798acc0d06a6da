// The 24-bit linear congruential generator behind RND and RANDOM.
#include "platform/core/random_generator.h"

float RandomGenerator::next() {
  state_ = static_cast<uint32_t>((uint64_t{state_} * 16598013u + 12820163u) & 0xFFFFFFu);
  return static_cast<float>(state_) / 16777216.0f;  // exact: the state has 24 bits
}

void RandomGenerator::reseed(int16_t seed) {
  state_ = (uint32_t{static_cast<uint16_t>(seed)} << 8) | (state_ & 0xFFu);
}
