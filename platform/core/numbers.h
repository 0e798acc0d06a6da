// Number and string operations of the host runtime.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// "% i": a blank in front of 0 and positive values, "-" in front of negative ones.
std::string format_int16(int16_t value);
// A blank followed by the unsigned value.
std::string format_uint32(uint32_t value);
// Blanks and tabs skipped, optional sign, digits with one ".", exponent E or D;
// &H, &O and &B prefixes. Decimal digits exact up to 18 significant digits.
// A 17th significant hexadecimal digit raises 6.
long double string_to_number(std::string_view text);
int64_t round_to_int64(long double value);    // nearest, ties to even
int32_t round_single_to_int(float value);     // nearest, ties to even
long double truncate_real(long double value); // toward zero
float floor_real(float value);
int16_t abs_int16(int16_t value);             // -32768 stays -32768
int16_t sign_int16(int16_t value);
std::string string_chr(int64_t code);         // 0 to 255, else raises 5
std::string string_fill(int64_t count, int code);
std::string string_ltrim(std::string_view text);
std::string string_upper(std::string_view text);
// The text without blanks (code 32) at either end.
std::string_view trim_blanks(std::string_view text);
// A to Z turned into a to z, every other byte unchanged.
char to_lower_ascii(char c);
// 1-based position of `find` in `text` at or after `start` (1 when not given); 0 when none.
int64_t string_find(int64_t start, std::string_view text, std::string_view find, bool start_given);
std::string string_mid(std::string_view text, int64_t start, int64_t length, bool length_given);
