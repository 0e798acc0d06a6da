// The program store's texts, slot by slot, with the one door through which they change.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "interpreter/limits.h"
#include "platform/core/host_error.h"

// Reading a slot is free; every change of a slot's text passes Write, which stamps the slot
// anew. Whatever was read from a text remembers the stamp it was read under, and so knows
// when it is stale; nothing has to be told.
class ProgramLines {
 public:
  const std::string& operator[](long slot) const {
    check_index(slot, kSlotCount);
    return texts_[static_cast<size_t>(slot)];
  }
  // The slot's text, to be changed now: a slot outside the store is host error 9.
  std::string& Write(long slot) {
    check_index(slot, kSlotCount);
    stamps_[static_cast<size_t>(slot)] += 1;
    generation_ += 1;
    return texts_[static_cast<size_t>(slot)];
  }
  // Changes with every write of the slot.
  uint32_t stamp(int slot) const { return stamps_[static_cast<size_t>(slot)]; }
  // Changes with every write of any slot.
  uint64_t generation() const { return generation_; }

 private:
  std::array<std::string, kSlotCount> texts_{};
  std::array<uint32_t, kSlotCount> stamps_{};
  uint64_t generation_ = 0;
};
