// The keyboard ring: one writer thread (the front end), one reader (the program thread).
#pragma once
#include <array>
#include <atomic>
#include <cstdint>

#include "platform/core/keys.h"
#include "platform/core/limits.h"


class KeyboardRing {
 public:
  static constexpr int kCapacity = kKeyboardCapacity;
  // Drops the key when the ring is full.
  void push(int key);
  // kNoKey when empty.
  int pop();
  bool empty() const {
    return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
  }
  bool full() const;   // writer side: whether push would drop the key
  void clear();  // reader side: discards the keys waiting

 private:
  std::array<std::atomic<uint16_t>, kCapacity + 1> keys_{};
  std::atomic<unsigned> head_{0};  // next to read
  std::atomic<unsigned> tail_{0};  // next to write
};
