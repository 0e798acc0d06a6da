// The host's emulated real-mode memory behind set_segment, peek_byte and poke_byte.
#include "platform/core/emulated_memory.h"

#include <new>

#include "platform/core/host_error.h"
#include "platform/core/text_screen.h"

namespace {
constexpr uint32_t kMemoryBytes = 0xFFFF * 16 + 0x10000;  // the highest segment:offset + 1
constexpr uint32_t kDefaultBase = 0x20000;                // the program's own data area, not segment 0
constexpr uint32_t kScreenBase = 0xB800 * 16;
constexpr uint32_t kVideoModeAddress = 0x449;

void check_range(int64_t value) {
  if (value < -65536 || value > 65535) throw HostError{6};
}
}  // namespace

EmulatedMemory::EmulatedMemory(TextScreen& screen)
    : screen_(screen), base_(kDefaultBase), bytes_(static_cast<uint8_t*>(std::calloc(kMemoryBytes, 1))) {
  if (bytes_ == nullptr) throw std::bad_alloc();
}

void EmulatedMemory::set_segment(int64_t segment, bool given) {
  check_range(segment);
  base_ = given ? static_cast<uint32_t>(segment & 0xFFFF) * 16 : kDefaultBase;
}

uint8_t EmulatedMemory::peek_byte(int64_t offset) {
  uint32_t address = address_of(offset);
  if (address - kScreenBase < TextScreen::kBytes) return screen_.byte_at(static_cast<int>(address - kScreenBase));
  if (address == kVideoModeAddress) return 0;  // text mode 0: the screen is at &HB800
  return bytes_[address];
}

void EmulatedMemory::poke_byte(int64_t offset, int64_t value) {
  uint32_t address = address_of(offset);
  uint8_t byte = static_cast<uint8_t>(value & 0xFF);
  if (address - kScreenBase < TextScreen::kBytes) screen_.set_byte(static_cast<int>(address - kScreenBase), byte);
  else if (address != kVideoModeAddress) bytes_[address] = byte;
}

uint32_t EmulatedMemory::address_of(int64_t offset) const {
  check_range(offset);
  return base_ + static_cast<uint32_t>(offset & 0xFFFF);
}
