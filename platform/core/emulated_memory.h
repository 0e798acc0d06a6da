// The host's emulated real-mode memory behind set_segment, peek_byte and poke_byte.
#pragma once
#include <cstdint>
#include <cstdlib>
#include <memory>

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
  struct FreeBytes {
    void operator()(uint8_t* bytes) const { std::free(bytes); }
  };
  // Everything but the text screen; 0:&H449 stays 0. From calloc: the system's zeroed pages,
  // touched only where a program pokes, instead of a megabyte cleared at every start.
  std::unique_ptr<uint8_t[], FreeBytes> bytes_;
};
