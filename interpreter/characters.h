// Characters as the dialect reads them: lower case, the letters of words, and the word itself.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

// cur_char past the end of the line.
inline constexpr int kEndOfLine = -1;

// Characters by table: every reader asks these of every character it reads.
struct CharacterTables {
  std::array<uint8_t, 256> lower{};        // A to Z in lower case, every other byte as it is
  std::array<uint8_t, 256> word_letter{};  // a word's letters (a to z, "@") in lower case; 0 for any other byte
};
constexpr CharacterTables MakeCharacterTables() {
  CharacterTables tables{};
  for (int c = 0; c < 256; ++c) {
    const int lower = (c >= 'A' && c <= 'Z') ? c + 32 : c;
    tables.lower[static_cast<size_t>(c)] = static_cast<uint8_t>(lower);
    const bool letter = (lower >= 'a' && lower <= 'z') || lower == '@';
    tables.word_letter[static_cast<size_t>(c)] = letter ? static_cast<uint8_t>(lower) : 0;
  }
  return tables;
}
inline constexpr CharacterTables kCharacters = MakeCharacterTables();

// Keywords and names compare in lower case; only A to Z change.
inline int LowerCase(unsigned char c) { return kCharacters.lower[c]; }
inline bool IsWordChar(int c) { return c >= 0 && c < 256 && kCharacters.word_letter[static_cast<size_t>(c)] != 0; }
inline bool IsDigit(int c) { return c >= '0' && c <= '9'; }

// The character at the 0-based `index` of `text`, lower-cased; kEndOfLine past its end.
inline int CharAt(std::string_view text, size_t index) {
  return index < text.size() ? LowerCase(static_cast<unsigned char>(text[index])) : kEndOfLine;
}

// A word as the dialect reads it: letters and "@", in lower case, kept as its length and its
// first eight letters packed into one number. Nothing a word is compared with is longer than
// eight letters (keywords, SIZE, INCHAR, THEN, PAUSE, ...), and a longer word equals none of
// them by its length alone, so a comparison takes one step.
class Word {
 public:
  static constexpr size_t kPacked = 8;
  size_t size() const { return length_; }
  bool empty() const { return length_ == 0; }
  char front() const { return static_cast<char>(head_ & 0xFF); }
  void clear() {
    length_ = 0;
    head_ = 0;
  }
  // Reads the run of letters that starts at `index` of `text`; how many letters it had.
  size_t read_run(std::string_view text, size_t index) {
    clear();
    while (index + length_ < text.size()) {
      const uint8_t letter = kCharacters.word_letter[static_cast<unsigned char>(text[index + length_])];
      if (letter == 0) break;
      if (length_ < kPacked) head_ |= static_cast<uint64_t>(letter) << (8 * length_);
      length_ += 1;
    }
    return length_;
  }
  // The word `lower`: lower case, eight letters long at most.
  static constexpr Word Of(std::string_view lower) {
    Word word;
    word.head_ = Pack(lower);
    word.length_ = lower.size();
    return word;
  }
  // The first eight letters of `text`, packed as a word packs its own.
  static constexpr uint64_t Pack(std::string_view text) {
    uint64_t packed = 0;
    for (size_t i = 0; i < text.size() && i < kPacked; ++i) {
      packed |= static_cast<uint64_t>(static_cast<unsigned char>(text[i])) << (8 * i);
    }
    return packed;
  }
  // Whether the word is `text`: lower case, eight letters long at most.
  constexpr bool Is(std::string_view text) const { return length_ == text.size() && head_ == Pack(text); }
  template <size_t N>
  bool operator==(const char (&text)[N]) const {
    static_assert(N - 1 <= kPacked, "words compare with eight letters at most");
    return Is(std::string_view(text, N - 1));
  }

 private:
  uint64_t head_ = 0;
  size_t length_ = 0;
};
