// The statement keywords, in the order in which a statement's word is compared with them.
#pragma once
#include <array>
#include <string_view>

#include "interpreter/characters.h"

enum class Keyword : uint8_t {
  kRandom, kFiles, kOutchar, kFor, kNext, kTrace, kStop, kIf, kRem, kInput, kPrint, kPoke, kVpoke,
  kClear, kRun, kGoto, kGosub, kReturn, kNew, kHelp, kEnd, kBye, kList, kSave, kLoad, kLet,
  kNone,  // any other word: the implicit assignment
};

struct KeywordName {
  std::string_view word;
  Keyword keyword;
};

// ORDER MATTERS: the first keyword equal to the word is the statement's.
inline constexpr std::array<KeywordName, 26> kKeywords = {{
    {"random", Keyword::kRandom}, {"files", Keyword::kFiles}, {"outchar", Keyword::kOutchar},
    {"for", Keyword::kFor},       {"next", Keyword::kNext},   {"trace", Keyword::kTrace},
    {"stop", Keyword::kStop},     {"if", Keyword::kIf},       {"rem", Keyword::kRem},
    {"input", Keyword::kInput},   {"print", Keyword::kPrint}, {"poke", Keyword::kPoke},
    {"vpoke", Keyword::kVpoke},   {"clear", Keyword::kClear}, {"run", Keyword::kRun},
    {"goto", Keyword::kGoto},     {"gosub", Keyword::kGosub}, {"return", Keyword::kReturn},
    {"new", Keyword::kNew},       {"help", Keyword::kHelp},   {"end", Keyword::kEnd},
    {"bye", Keyword::kBye},       {"list", Keyword::kList},   {"save", Keyword::kSave},
    {"load", Keyword::kLoad},     {"let", Keyword::kLet},
}};

// The keyword that the word is, or kNone.
inline Keyword KeywordOf(const Word& word) {
  for (const KeywordName& name : kKeywords) {
    if (word.Is(name.word)) return name.keyword;
  }
  return Keyword::kNone;
}
