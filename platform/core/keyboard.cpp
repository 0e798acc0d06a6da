// The keyboard ring: a lock-free queue between the front end's thread and the program thread.
#include "platform/core/keyboard.h"

namespace {
constexpr unsigned kSlots = KeyboardRing::kCapacity + 1;  // one slot stays free to tell full from empty
unsigned next_slot(unsigned slot) { return (slot + 1) % kSlots; }
}  // namespace

void KeyboardRing::push(int key) {
  unsigned tail = tail_.load(std::memory_order_relaxed);
  unsigned next = next_slot(tail);
  if (next == head_.load(std::memory_order_acquire)) return;  // full: the key is lost
  keys_[tail].store(static_cast<uint16_t>(key), std::memory_order_relaxed);
  tail_.store(next, std::memory_order_release);
}

int KeyboardRing::pop() {
  unsigned head = head_.load(std::memory_order_relaxed);
  if (head == tail_.load(std::memory_order_acquire)) return kNoKey;
  int key = keys_[head].load(std::memory_order_relaxed);
  head_.store(next_slot(head), std::memory_order_release);
  return key;
}

bool KeyboardRing::full() const {
  return next_slot(tail_.load(std::memory_order_relaxed)) == head_.load(std::memory_order_acquire);
}

void KeyboardRing::clear() {
  head_.store(tail_.load(std::memory_order_acquire), std::memory_order_release);
}
