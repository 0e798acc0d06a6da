// The host's emulated real-mode memory behind set_segment, peek_byte and poke_byte.
#pragma once
#include <cstdint>
#include <vector>

class TextScreen;

class EmulatedMemory {
 public:
  explicit EmulatedMemory(TextScreen& screen);
  void set_segment(int64_t segment, bool given);  // raises 6 outside -65536..65535
  uint8_t peek_byte(int64_t offset);              // raises 6 outside -65536..65535
  void poke_byte(int64_t offset, int64_t value);  // raises 6 outside -65536..65535

 private:
  uint32_t address_of(int64_t offset) const;
  TextScreen& screen_;
  uint32_t base_ = 0;
  std::vector<uint8_t> bytes_;  // everything but the text screen; 0:&H449 stays 0
};
