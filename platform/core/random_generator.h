// The 24-bit linear congruential generator behind RND and RANDOM.
#pragma once
#include <cstdint>

class RandomGenerator {
 public:
  // (state x 16598013 + 12820163) AND &HFFFFFF, divided by 2^24.
  float next();
  // The seed's 16 bits become bits 8 to 23 of the state; bits 0 to 7 stay.
  void reseed(int16_t seed);
  uint32_t state() const { return state_; }

 private:
  uint32_t state_ = 0x50000;
};
