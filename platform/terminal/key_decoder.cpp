// The terminal's bytes as keys.
#include "platform/terminal/key_decoder.h"

#include "platform/core/cp437.h"
#include "platform/core/keys.h"

namespace {

constexpr char kEsc = '\x1b';
constexpr size_t kLongestSequence = 32;  // longer ones are no key we know: dropped

int Extended(int scan) { return kExtendedKey + scan; }

// The key of a cursor or editing key by the final letter both ESC [ and ESC O forms share.
int LetterKey(char letter) {
  switch (letter) {
    case 'A': return Extended(kScanUp);
    case 'B': return Extended(kScanDown);
    case 'C': return Extended(kScanRight);
    case 'D': return Extended(kScanLeft);
    case 'H': return Extended(kScanHome);
    case 'F': return Extended(kScanEnd);
    case 'P': return Extended(kScanF1);  // F1 to F4
    case 'Q': return Extended(kScanF1 + 1);
    case 'R': return Extended(kScanF1 + 2);
    case 'S': return Extended(kScanF1 + 3);
    default: return kNoKey;
  }
}

// The key of ESC [ n ~ by its number n.
int TildeKey(int number) {
  switch (number) {
    case 1: case 7: return Extended(kScanHome);
    case 2: return Extended(kScanInsert);
    case 3: return Extended(kScanDelete);
    case 4: case 8: return Extended(kScanEnd);
    case 5: return Extended(kScanPageUp);
    case 6: return Extended(kScanPageDown);
    case 11: case 12: case 13: case 14: case 15: return Extended(kScanF1 + number - 11);  // F1-F5
    case 17: case 18: case 19: case 20: case 21: return Extended(kScanF1 + 5 + number - 17);  // F6-F10
    case 23: return Extended(kScanF11);
    case 24: return Extended(kScanF12);
    default: return kNoKey;
  }
}

void Add(std::deque<int>& keys, int key) {
  if (key != kNoKey) keys.push_back(key);
}

// ESC [ parameters intermediates final; `bytes` starts with the ESC.
size_t DecodeCsi(std::string_view bytes, std::deque<int>& keys) {
  if (bytes.size() < 3) return 0;
  if (bytes[2] == '[') {  // the Linux console's F1 to F5: ESC [ [ A to E
    if (bytes.size() < 4) return 0;
    if (bytes[3] >= 'A' && bytes[3] <= 'E') Add(keys, Extended(kScanF1 + bytes[3] - 'A'));
    return 4;
  }
  int number = 0;
  bool first_parameter = true;
  for (size_t i = 2; i < bytes.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(bytes[i]);
    if (c >= '0' && c <= '9') {
      if (first_parameter && number < 1000) number = number * 10 + (c - '0');
    } else if (c == ';') {
      first_parameter = false;  // modifiers (Shift, Ctrl) follow: the key is the same
    } else if (c >= 0x20 && c <= 0x3F) {
      // other parameter and intermediate bytes
    } else if (c >= 0x40 && c <= 0x7E) {
      Add(keys, c == '~' ? TildeKey(number) : LetterKey(static_cast<char>(c)));
      return i + 1;
    } else {
      return 1;  // not a sequence after all: the Escape is dropped, the rest is typed
    }
    if (i + 1 >= kLongestSequence) return i + 1;
  }
  return 0;
}

// One UTF-8 character; `bytes` starts with its first byte (0x80 or above).
size_t DecodeUtf8(std::string_view bytes, std::deque<int>& keys) {
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
  if (code > 0) keys.push_back(code);
  return length;
}

}  // namespace

size_t TerminalKeyDecoder::decode(std::string_view bytes, std::deque<int>& keys) {
  const unsigned char c = static_cast<unsigned char>(bytes[0]);
  if (c == kEsc) {
    if (bytes.size() < 2) return 0;
    if (bytes[1] == '[') return DecodeCsi(bytes, keys);
    if (bytes[1] == 'O') {
      if (bytes.size() < 3) return 0;
      Add(keys, bytes[2] == 'M' ? kKeyEnter : LetterKey(bytes[2]));  // ESC O M: the keypad's Enter
      return 3;
    }
    keys.push_back(kKeyEscape);  // Escape, then what follows as typed (Alt+key)
    return 1;
  }
  if (c >= 0x80) return DecodeUtf8(bytes, keys);
  switch (c) {
    case 0: break;                                    // Ctrl+Space: no key of ours
    case 0x7F: keys.push_back(kKeyBackspace); break;  // the Backspace key of most terminals
    case '\n': keys.push_back(kKeyEnter); break;      // a pasted line end
    default: keys.push_back(c);                       // Enter 13, ^H 8, Tab 9, Ctrl+C 3, ...
  }
  return 1;
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
      if (pending_[0] == kEsc) keys.push_back(kKeyEscape);
      step = 1;  // the rest of an unfinished character or sequence is typed text, or dropped
    }
    pending_.erase(0, step);
  }
}
