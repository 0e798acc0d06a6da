// Tests of the emulated memory: segments, offsets, the screen at &HB800, the video-mode byte.
#include "platform/core/emulated_memory.h"

#include <gtest/gtest.h>

#include "tests/support/host_error_of.h"
#include "tests/support/scripted_front_end.h"

namespace {

struct MemoryFixture : ::testing::Test {
  ScriptedFrontEnd front_end;
  TextScreen screen{front_end};
  EmulatedMemory memory{screen};
};

TEST_F(MemoryFixture, ScreenSegmentReadsAndWritesTheTextScreen) {
  memory.set_segment(0xB800, true);
  screen.print_string("Hi", false);
  EXPECT_EQ(memory.peek_byte(0), 'H');
  EXPECT_EQ(memory.peek_byte(1), 7);
  EXPECT_EQ(memory.peek_byte(2), 'i');
  memory.poke_byte(3998, 'Z');  // last cell of row 25
  memory.poke_byte(3999, 0x1E);
  EXPECT_EQ(row_text(screen, 25), std::string(79, ' ') + "Z");
  EXPECT_EQ(screen.byte_at(3999), 0x1E);
  memory.poke_byte(4000, 0x55);  // past the screen: plain memory
  EXPECT_EQ(memory.peek_byte(4000), 0x55);
  EXPECT_EQ(screen.byte_at(3998), 'Z');
}

TEST_F(MemoryFixture, OtherSegmentOffsetPairsReachTheSameScreen) {
  memory.set_segment(0xB000, true);
  memory.poke_byte(0x8000, 'Q');
  EXPECT_EQ(row_text(screen, 1), "Q");
  memory.set_segment(0xB800 - 0x10000, true);  // a negative segment keeps its low 16 bits
  EXPECT_EQ(memory.peek_byte(0), 'Q');
}

TEST_F(MemoryFixture, VideoModeByteReadsZeroAndStaysZero) {
  memory.set_segment(0, true);
  EXPECT_EQ(memory.peek_byte(0x449), 0);
  memory.poke_byte(0x449, 7);
  EXPECT_EQ(memory.peek_byte(0x449), 0);
  memory.poke_byte(0x44A, 7);
  EXPECT_EQ(memory.peek_byte(0x44A), 7);
}

TEST_F(MemoryFixture, DefaultAreaIsNotSegmentZero) {
  memory.set_segment(0, false);
  memory.poke_byte(0x449, 0x42);
  EXPECT_EQ(memory.peek_byte(0x449), 0x42);
  memory.set_segment(0, true);
  EXPECT_EQ(memory.peek_byte(0x449), 0);
  memory.set_segment(0x1234, false);  // no segment given: the default area whatever the value
  EXPECT_EQ(memory.peek_byte(0x449), 0x42);
}

TEST_F(MemoryFixture, OffsetsWrapAt64KAndStoreTheLowByte) {
  memory.set_segment(0x2000, true);
  memory.poke_byte(-1, 0x1FF);  // -1 AND &HFFFF = &HFFFF
  EXPECT_EQ(memory.peek_byte(0xFFFF), 0xFF);
  memory.poke_byte(-65536, -2);  // the same as offset 0
  EXPECT_EQ(memory.peek_byte(0), 0xFE);
  memory.set_segment(0xFFFF, true);
  memory.poke_byte(0xFFFF, 9);  // the highest address of all
  EXPECT_EQ(memory.peek_byte(0xFFFF), 9);
}

TEST_F(MemoryFixture, ValuesOutside16BitsRaiseOverflow) {
  const int64_t bad[] = {65536, -65537, INT64_MIN, INT64_MAX};
  for (int64_t value : bad) {
    EXPECT_EQ(host_error_of([&] { memory.set_segment(value, true); }), 6u) << value;
    EXPECT_EQ(host_error_of([&] { memory.peek_byte(value); }), 6u) << value;
    EXPECT_EQ(host_error_of([&] { memory.poke_byte(value, 1); }), 6u) << value;
  }
  EXPECT_EQ(host_error_of([&] { memory.peek_byte(65535); }), 0u);
  EXPECT_EQ(host_error_of([&] { memory.peek_byte(-65536); }), 0u);
}

}  // namespace
