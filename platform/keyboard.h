// The keyboard ring: one writer thread (the front end), one reader (the program thread).
#pragma once
#include <array>
#include <atomic>
#include <cstdint>

// A key is a character 0 to 255, or kExtendedKey + scan code for cursor and function keys.
constexpr int kExtendedKey = 256;
constexpr int kNoKey = -1;

class KeyboardRing {
 public:
  static constexpr int kCapacity = 15;
  // Drops the key when the ring is full.
  void push(int key);
  // kNoKey when empty.
  int pop();
  bool empty() const;
  void clear();  // reader side: discards the keys waiting

 private:
  std::array<std::atomic<uint16_t>, kCapacity + 1> keys_{};
  std::atomic<unsigned> head_{0};  // next to read
  std::atomic<unsigned> tail_{0};  // next to write
};
