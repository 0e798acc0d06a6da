// Tests of the number and string operations: formatting, reading numbers, rounding, texts.
#include "platform/core/numbers.h"

#include <gtest/gtest.h>

#include "tests/support/host_error_of.h"

namespace {

TEST(Numbers, FormatsWithLeadingBlankForNonNegative) {
  const struct { int16_t value; const char* text; } cases[] = {
      {5, " 5"}, {-5, "-5"}, {0, " 0"}, {32767, " 32767"}, {-32768, "-32768"},
  };
  for (const auto& c : cases) EXPECT_EQ(format_int16(c.value), c.text);
  EXPECT_EQ(format_uint32(9), " 9");
  EXPECT_EQ(format_uint32(4294967295u), " 4294967295");
}

TEST(Numbers, StringToNumberReadsDecimalText) {
  const struct { const char* text; long double value; } cases[] = {
      {"", 0}, {"abc", 0}, {"-", 0}, {".", 0}, {"  12", 12}, {"\t-7", -7}, {"+3", 3},
      {"1.5", 1.5L}, {"1.5.3", 1.5L}, {".5", 0.5L}, {"12abc", 12}, {"0.05", 0.05L}, {"123.456", 123.456L},
      {"1e3", 1000}, {"1D2", 100}, {"2E-1", 0.2L}, {"2.5e+1", 25}, {"7e", 7}, {"7e+", 7}, {"0e999999", 0},
      {"123456789012345678", 123456789012345678.0L}, {"-999999999999999999", -999999999999999999.0L},
      {"000000000000000000000042", 42},
  };
  for (const auto& c : cases) EXPECT_EQ(string_to_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(Numbers, StringToNumberReadsPrefixedText) {
  const struct { const char* text; long double value; } cases[] = {
      {"&HFF", 255}, {"&hff", 255}, {"&H7FFF", 32767}, {"&HFFFF1", 1048561}, {"&HFFFFFFFFFFFFFFFF", -1},
      {"&H8000000000000000", -9223372036854775807.0L - 1}, {"&H0000000000000000FFFF", 65535}, {"&HFFG", 255},
      {"&HG", 0}, {"&H", 0}, {"&O17", 15}, {"&o777", 511}, {"&B101", 5}, {"&B102", 2}, {"&X1", 0}, {"-&H10", -16},
  };
  for (const auto& c : cases) EXPECT_EQ(string_to_number(c.text), c.value) << '"' << c.text << '"';
}

TEST(Numbers, StringToNumberRaisesOverflowPast64Bits) {
  EXPECT_EQ(host_error_of([] { string_to_number("&H10000000000000000"); }), 6u);  // a 17th significant digit
  EXPECT_EQ(host_error_of([] { string_to_number("&HFFFFFFFFFFFFFFFFF"); }), 6u);
  EXPECT_EQ(host_error_of([] { string_to_number("&B1" + std::string(64, '0')); }), 6u);
  EXPECT_EQ(host_error_of([] { string_to_number("&O2" + std::string(21, '0')); }), 6u);
  EXPECT_EQ(host_error_of([] { string_to_number("&O1" + std::string(21, '7')); }), 0u);  // exactly 64 bits
}

TEST(Numbers, RoundingTiesGoToEven) {
  const struct { long double value; int64_t rounded; } cases[] = {
      {0.5L, 0}, {1.5L, 2}, {2.5L, 2}, {-0.5L, 0}, {-1.5L, -2}, {-2.5L, -2},
      {2.4L, 2}, {2.6L, 3}, {-2.6L, -3}, {65537.0L, 65537}, {-32768.5L, -32768},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(round_to_int64(c.value), c.rounded) << static_cast<double>(c.value);
    EXPECT_EQ(round_single_to_int(static_cast<float>(c.value)), static_cast<int32_t>(c.rounded))
        << static_cast<double>(c.value);
  }
}

TEST(Numbers, RoundingOutOfRangeGivesTheLowestValue) {
  EXPECT_EQ(round_to_int64(1e18L + 0.5L), 1000000000000000000);  // still in range: exact
  EXPECT_EQ(round_to_int64(1e30L), INT64_MIN);
  EXPECT_EQ(round_to_int64(-1e30L), INT64_MIN);
  EXPECT_EQ(round_single_to_int(3e9f), INT32_MIN);
}

TEST(Numbers, TruncateFloorAbsSign) {
  EXPECT_EQ(truncate_real(2.7L), 2.0L);
  EXPECT_EQ(truncate_real(-2.7L), -2.0L);
  EXPECT_EQ(floor_real(2.5f), 2.0f);
  EXPECT_EQ(floor_real(-2.5f), -3.0f);
  EXPECT_EQ(abs_int16(-5), 5);
  EXPECT_EQ(abs_int16(7), 7);
  EXPECT_EQ(abs_int16(-32768), -32768);
  EXPECT_EQ(sign_int16(-7), -1);
  EXPECT_EQ(sign_int16(0), 0);
  EXPECT_EQ(sign_int16(32767), 1);
}

TEST(Numbers, StringChrAndFill) {
  EXPECT_EQ(string_chr(65), "A");
  EXPECT_EQ(string_chr(0), std::string(1, '\0'));
  EXPECT_EQ(string_chr(255), "\xff");
  EXPECT_EQ(host_error_of([] { string_chr(256); }), 5u);
  EXPECT_EQ(host_error_of([] { string_chr(-1); }), 5u);
  EXPECT_EQ(string_fill(3, '#'), "###");
  EXPECT_EQ(string_fill(2, 0x141), "AA");
  EXPECT_EQ(string_fill(0, '#'), "");
  EXPECT_EQ(string_fill(-4, '#'), "");
}

TEST(Numbers, StringTrimAndUpper) {
  EXPECT_EQ(string_ltrim("  a b "), "a b ");
  EXPECT_EQ(string_ltrim("\ta"), "\ta");
  EXPECT_EQ(string_ltrim("   "), "");
  EXPECT_EQ(string_upper("abz{\xe9@AZ"), "ABZ{\xe9@AZ");
}

TEST(Numbers, StringFind) {
  const struct { int64_t start; const char* text; const char* find; bool given; int64_t position; } cases[] = {
      {0, "hello", "l", false, 3}, {4, "hello", "l", true, 4}, {5, "hello", "l", true, 0},
      {0, "hello", "lo", false, 4}, {0, "hello", "z", false, 0}, {0, "", "", false, 0},
      {3, "hello", "", true, 3}, {6, "hello", "", true, 0}, {0, "hello", "l", true, 0},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(string_find(c.start, c.text, c.find, c.given), c.position) << c.text << " " << c.find << " " << c.start;
  }
}

TEST(Numbers, StringMid) {
  const struct { int64_t start, length; bool given; const char* part; } cases[] = {
      {2, 3, true, "ell"}, {2, 0, false, "ello"}, {0, 3, true, "he"}, {-1, 3, true, "h"}, {-5, 3, true, ""},
      {0, 0, false, "hello"}, {6, 1, true, ""}, {2, 0, true, ""}, {1, 99, true, "hello"}, {5, 1, true, "o"},
      {INT64_MIN, INT64_MAX, true, ""},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(string_mid("hello", c.start, c.length, c.given), c.part) << c.start << "," << c.length;
  }
}

}  // namespace
