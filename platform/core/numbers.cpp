// Number and string operations of the host runtime.
#include "platform/core/numbers.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "platform/core/host_error.h"

namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

char to_upper_ascii(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// Value of c as a digit of the given radix, -1 when it is none.
int digit_value(char c, int radix) {
  int value = -1;
  if (is_digit(c)) value = c - '0';
  else if (c >= 'A' && c <= 'F') value = c - 'A' + 10;
  else if (c >= 'a' && c <= 'f') value = c - 'a' + 10;
  return value < radix ? value : -1;
}

// Digits after &H, &O or &B as a 64-bit two's-complement number. A value that needs
// more than 64 bits raises 6; for hexadecimal that is exactly a 17th significant digit.
long double read_radix_number(std::string_view text, size_t pos, int radix, int bits_per_digit) {
  uint64_t value = 0;
  for (int digit; pos < text.size() && (digit = digit_value(text[pos], radix)) >= 0; ++pos) {
    if ((value >> (64 - bits_per_digit)) != 0) throw HostError{6};
    value = (value << bits_per_digit) | static_cast<uint64_t>(digit);
  }
  return static_cast<long double>(static_cast<int64_t>(value));
}

// Decimal digits, one ".", exponent E or D. The significant digits gather in an integer,
// so up to 19 of them are exact; the scale is applied once at the end.
long double read_decimal_number(std::string_view text, size_t pos) {
  constexpr int kMaxDigits = 19;
  uint64_t mantissa = 0;
  int significant = 0;
  long scale = 0;
  bool any_digit = false;
  bool in_fraction = false;
  for (; pos < text.size(); ++pos) {
    char c = text[pos];
    if (c == '.' && !in_fraction) {
      in_fraction = true;
      continue;
    }
    if (!is_digit(c)) break;
    any_digit = true;
    int digit = c - '0';
    if (mantissa == 0 && digit == 0) {
      if (in_fraction) --scale;  // a leading zero after the point still moves the scale
    } else if (significant < kMaxDigits) {
      mantissa = mantissa * 10 + static_cast<uint64_t>(digit);
      ++significant;
      if (in_fraction) --scale;
    } else if (!in_fraction) {
      ++scale;  // digits beyond the exact ones only count for the magnitude
    }
  }
  if (!any_digit || mantissa == 0) return 0.0L;

  char marker = pos < text.size() ? to_upper_ascii(text[pos]) : '\0';
  if (marker == 'E' || marker == 'D') {
    size_t at = pos + 1;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    long exponent = 0;
    for (; at < text.size() && is_digit(text[at]); ++at) {
      if (exponent < 100000) exponent = exponent * 10 + (text[at] - '0');  // far past any range
    }
    scale += negative ? -exponent : exponent;
  }

  long double value = static_cast<long double>(mantissa);
  if (scale > 0) value *= std::pow(10.0L, static_cast<long double>(scale));
  if (scale < 0) value /= std::pow(10.0L, static_cast<long double>(-scale));  // dividing keeps 0.1 exact-rounded
  return value;
}

// Nearest whole number, ties to the even neighbour, whatever the current rounding mode.
long double round_half_even(long double value) {
  long double floor_value = std::floor(value);
  long double fraction = value - floor_value;
  bool odd = std::fmod(floor_value, 2.0L) != 0;
  if (fraction > 0.5L || (fraction == 0.5L && odd)) floor_value += 1;
  return floor_value;
}

}  // namespace

// Written out by hand: every printed number comes through here, and snprintf costs
// several times the rest of a PRINT.
std::string format_int16(int16_t value) {
  char text[8];
  char* end = text + sizeof text;
  char* first = end;
  int magnitude = value < 0 ? -static_cast<int>(value) : value;
  do {
    *--first = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  *--first = value < 0 ? '-' : ' ';
  return std::string(first, end);
}

std::string format_uint32(uint32_t value) { return " " + std::to_string(value); }

long double string_to_number(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';

  long double value = 0.0L;
  if (pos < text.size() && text[pos] == '&') {
    char prefix = pos + 1 < text.size() ? to_upper_ascii(text[pos + 1]) : '\0';
    if (prefix == 'H') value = read_radix_number(text, pos + 2, 16, 4);
    else if (prefix == 'O') value = read_radix_number(text, pos + 2, 8, 3);
    else if (prefix == 'B') value = read_radix_number(text, pos + 2, 2, 1);
  } else {
    value = read_decimal_number(text, pos);
  }
  return negative ? -value : value;
}

// Out of range or not a number gives the lowest value, as the processor's own conversion does.
int64_t round_to_int64(long double value) {
  if (std::isnan(value)) return std::numeric_limits<int64_t>::min();
  long double rounded = round_half_even(value);
  // cppcheck-suppress incorrectLogicOperator ; cppcheck 2.10 misreads hexadecimal floating literals
  if (rounded < -0x1p63L || rounded >= 0x1p63L) return std::numeric_limits<int64_t>::min();
  return static_cast<int64_t>(rounded);
}

int32_t round_single_to_int(float value) {
  if (std::isnan(value)) return std::numeric_limits<int32_t>::min();
  long double rounded = round_half_even(value);
  // cppcheck-suppress incorrectLogicOperator ; cppcheck 2.10 misreads hexadecimal floating literals
  if (rounded < -0x1p31L || rounded >= 0x1p31L) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(rounded);
}

long double truncate_real(long double value) { return std::trunc(value); }

float floor_real(float value) { return std::floor(value); }

int16_t abs_int16(int16_t value) {
  return value < 0 ? static_cast<int16_t>(-static_cast<int>(value)) : value;  // -32768 wraps to itself
}

int16_t sign_int16(int16_t value) { return static_cast<int16_t>((value > 0) - (value < 0)); }

std::string string_chr(int64_t code) {
  if (code < 0 || code > 255) throw HostError{5};
  return std::string(1, static_cast<char>(code));
}

std::string string_fill(int64_t count, int code) {
  if (count <= 0) return {};
  return std::string(static_cast<size_t>(count), static_cast<char>(code & 0xFF));
}

std::string string_ltrim(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  return first == std::string_view::npos ? std::string{} : std::string(text.substr(first));
}

std::string string_upper(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = to_upper_ascii(c);
  return result;
}

std::string_view trim_blanks(std::string_view text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

char to_lower_ascii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// A start below 1 finds nothing, like a start past the end.
int64_t string_find(int64_t start, std::string_view text, std::string_view find, bool start_given) {
  if (!start_given) start = 1;
  if (text.empty() || start < 1 || start > static_cast<int64_t>(text.size())) return 0;
  if (find.empty()) return start;
  size_t found = text.find(find, static_cast<size_t>(start - 1));
  return found == std::string_view::npos ? 0 : static_cast<int64_t>(found) + 1;
}

std::string string_mid(std::string_view text, int64_t start, int64_t length, bool length_given) {
  if (length_given && length < 1) return {};
  uint64_t count = length_given ? static_cast<uint64_t>(length) : text.size();
  if (start < 1) {
    if (length_given) {
      uint64_t shortfall = 1u - static_cast<uint64_t>(start);  // unsigned: no overflow for any start
      if (shortfall >= count) return {};
      count -= shortfall;
    }
    start = 1;
  }
  if (start > static_cast<int64_t>(text.size())) return {};
  return std::string(text.substr(static_cast<size_t>(start - 1), count));
}
