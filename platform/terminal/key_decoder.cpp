// The terminal's bytes as keys.
#include "platform/terminal/key_decoder.h"

#include <optional>

#include "platform/core/cp437.h"
#include "platform/core/keys.h"

namespace {

constexpr char kEsc = '\x1b';
constexpr size_t kLongestSequence = 32;  // longer ones are no key we know: dropped

// The key of a cursor, editing or function key by the final letter both ESC [ and ESC O forms share.
std::optional<NamedKey> LetterKey(char letter) {
  switch (letter) {
    case 'A': return NamedKey::kUp;
    case 'B': return NamedKey::kDown;
    case 'C': return NamedKey::kRight;
    case 'D': return NamedKey::kLeft;
    case 'H': return NamedKey::kHome;
    case 'F': return NamedKey::kEnd;
    case 'P': return NamedKey::kF1;
    case 'Q': return NamedKey::kF2;
    case 'R': return NamedKey::kF3;
    case 'S': return NamedKey::kF4;
    default: return std::nullopt;
  }
}

// The key of ESC [ n ~ by its number n.
std::optional<NamedKey> TildeKey(int number) {
  switch (number) {
    case 1: case 7: return NamedKey::kHome;
    case 2: return NamedKey::kInsert;
    case 3: return NamedKey::kDelete;
    case 4: case 8: return NamedKey::kEnd;
    case 5: return NamedKey::kPageUp;
    case 6: return NamedKey::kPageDown;
    case 11: return NamedKey::kF1;  // F1 to F4 of some terminals; the others send ESC O P to S
    case 12: return NamedKey::kF2;
    case 13: return NamedKey::kF3;
    case 14: return NamedKey::kF4;
    case 15: return NamedKey::kF5;
    case 17: return NamedKey::kF6;
    case 18: return NamedKey::kF7;
    case 19: return NamedKey::kF8;
    case 20: return NamedKey::kF9;
    case 21: return NamedKey::kF10;
    case 23: return NamedKey::kF11;
    case 24: return NamedKey::kF12;
    default: return std::nullopt;
  }
}

// The modifiers of xterm's parameter: 1 plus 1 for Shift, 2 for Alt, 4 for Ctrl, 8 for Meta
// (which counts as Alt). `alt`: an Escape came before the sequence.
HeldModifiers Modifiers(int parameter, bool alt) {
  const int bits = parameter > 1 ? parameter - 1 : 0;
  return {(bits & 1) != 0, (bits & 4) != 0, alt || (bits & 2) != 0 || (bits & 8) != 0};
}

void Add(std::deque<int>& keys, int key) {
  if (key != kNoKey) keys.push_back(key);
}

void AddNamed(std::deque<int>& keys, std::optional<NamedKey> key, HeldModifiers held) {
  if (key) Add(keys, named_key(*key, held));
}

// ESC [ parameters intermediates final; `bytes` starts with the ESC.
size_t DecodeCsi(std::string_view bytes, bool alt, std::deque<int>& keys) {
  if (bytes.size() < 3) return 0;
  if (bytes[2] == '[') {  // the Linux console's F1 to F5: ESC [ [ A to E
    if (bytes.size() < 4) return 0;
    if (bytes[3] >= 'A' && bytes[3] <= 'E') {
      AddNamed(keys, static_cast<NamedKey>(static_cast<int>(NamedKey::kF1) + bytes[3] - 'A'), Modifiers(1, alt));
    }
    return 4;
  }
  int parameters[2] = {0, 0};  // the key's number and its modifiers; further ones are not ours
  size_t parameter = 0;
  bool report = false;  // a private parameter (?, <, =, >): the terminal answering, no key
  for (size_t i = 2; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= '0' && c <= '9') {
      if (parameter < 2 && parameters[parameter] < 1000) parameters[parameter] = parameters[parameter] * 10 + (c - '0');
    } else if (c == ';') {
      ++parameter;
    } else if (c >= 0x3C && c <= 0x3F) {
      report = true;
    } else if (c >= 0x20 && c <= 0x3F) {
      // other parameter and intermediate bytes
    } else if (c >= 0x40 && c <= 0x7E) {
      const HeldModifiers held = Modifiers(parameters[1], alt);
      if (report) return i + 1;
      if (c == '~') AddNamed(keys, TildeKey(parameters[0]), held);
      else if (c == 'Z') AddNamed(keys, NamedKey::kTab, {true, held.ctrl, held.alt});  // Shift+Tab
      else AddNamed(keys, LetterKey(static_cast<char>(c)), held);
      return i + 1;
    } else {
      return 1;  // not a sequence after all: the Escape is dropped, the rest is typed
    }
    if (i + 1 >= kLongestSequence) return i + 1;
  }
  return 0;
}

// ESC O, then a letter, with a modifier digit before it in some terminals (ESC O 5 P).
size_t DecodeSs3(std::string_view bytes, bool alt, std::deque<int>& keys) {
  size_t at = 2;
  int parameter = 1;
  if (at < bytes.size() && bytes[at] >= '1' && bytes[at] <= '9') parameter = bytes[at++] - '0';
  if (at >= bytes.size()) return 0;
  const HeldModifiers held = Modifiers(parameter, alt);
  if (bytes[at] == 'M') AddNamed(keys, NamedKey::kEnter, held);  // the keypad's Enter
  else AddNamed(keys, LetterKey(bytes[at]), held);
  return at + 1;
}

// One UTF-8 character; `bytes` starts with its first byte (0x80 or above).
size_t DecodeUtf8(std::string_view bytes, bool alt, std::deque<int>& keys) {
  const unsigned char lead = static_cast<unsigned char>(bytes[0]);
  size_t length = 0;
  char32_t code_point = 0;
  if (lead >= 0xC2 && lead <= 0xDF) { length = 2; code_point = lead & 0x1F; }
  else if (lead >= 0xE0 && lead <= 0xEF) { length = 3; code_point = lead & 0x0F; }
  else if (lead >= 0xF0 && lead <= 0xF4) { length = 4; code_point = lead & 0x07; }
  else return 1;  // a stray byte: dropped
  for (size_t i = 1; i < length; ++i) {
    if (i >= bytes.size()) return 0;
    const unsigned char next = static_cast<unsigned char>(bytes[i]);
    if ((next & 0xC0) != 0x80) return i;  // broken: drop what came so far
    code_point = (code_point << 6) | (next & 0x3F);
  }
  const int code = cp437_from_unicode(code_point);
  if (code > 0) Add(keys, typed_key(code, alt));
  return length;
}

// A byte below 0x80 that begins no sequence.
int ByteKey(unsigned char c, bool alt) {
  const HeldModifiers held{false, false, alt};
  switch (c) {
    case 0: return kNoKey;  // Ctrl+Space: no key of ours
    case 0x7F: case '\b': return named_key(NamedKey::kBackspace, held);  // DEL from most terminals' Backspace, or ^H
    case '\t': return named_key(NamedKey::kTab, held);
    // A terminal sends a line feed for Ctrl+J and for a pasted line end alike: both are Enter,
    // so that a paste keeps its lines.
    case '\r': case '\n': return named_key(NamedKey::kEnter, held);
    default: return typed_key(c, alt);  // Ctrl+C 3 and the other control keys as their codes
  }
}

// One key at the start of `bytes`; the bytes used, 0 when they are incomplete. `alt`: an
// Escape came before them.
size_t DecodeKey(std::string_view bytes, bool alt, std::deque<int>& keys) {
  const unsigned char c = static_cast<unsigned char>(bytes[0]);
  if (c == kEsc) {
    if (bytes.size() < 2) return 0;
    if (bytes[1] == '[') return DecodeCsi(bytes, alt, keys);
    if (bytes[1] == 'O') return DecodeSs3(bytes, alt, keys);
    if (alt) {  // ESC ESC: Alt+Escape, and what follows is typed
      Add(keys, named_key(NamedKey::kEscape, {false, false, true}));
      return 1;
    }
    // Terminals send Alt+key as Escape followed by the key.
    const size_t used = DecodeKey(bytes.substr(1), true, keys);
    return used == 0 ? 0 : used + 1;
  }
  if (c >= 0x80) return DecodeUtf8(bytes, alt, keys);
  Add(keys, ByteKey(c, alt));
  return 1;
}

}  // namespace

size_t TerminalKeyDecoder::decode(std::string_view bytes, std::deque<int>& keys) {
  return DecodeKey(bytes, false, keys);
}

void TerminalKeyDecoder::feed(std::string_view bytes, std::deque<int>& keys) {
  pending_.append(bytes);
  size_t used = 0;
  while (used < pending_.size()) {
    const size_t step = decode(std::string_view(pending_).substr(used), keys);
    if (step == 0) break;
    used += step;
  }
  pending_.erase(0, used);
}

void TerminalKeyDecoder::flush(std::deque<int>& keys) {
  while (!pending_.empty()) {
    size_t step = decode(pending_, keys);
    if (step == 0) {
      step = 1;  // the rest of an unfinished character is dropped
      if (pending_[0] == kEsc) {
        if (pending_.size() == 2 && (pending_[1] == '[' || pending_[1] == 'O' || pending_[1] == kEsc)) {
          // Alt+[, Alt+O or Alt+Escape, which begin a sequence that never came.
          Add(keys, pending_[1] == kEsc ? named_key(NamedKey::kEscape, {false, false, true}) : typed_key(pending_[1], true));
          step = 2;
        } else {
          keys.push_back(kKeyEscape);  // the Escape key; the rest of an unfinished sequence is typed text
        }
      }
    }
    pending_.erase(0, step);
  }
}
