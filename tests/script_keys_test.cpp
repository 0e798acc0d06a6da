// Decoding a script into keys: UTF-8, line ends, dropped characters, input that trickles in.
#include "platform/stream/script_keys.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

namespace {

std::vector<int> KeysOf(ScriptKeyDecoder& decoder) {
  std::vector<int> keys;
  while (decoder.has_key()) {
    keys.push_back(decoder.next_key());
    decoder.drop_key();
  }
  return keys;
}

std::vector<int> Decode(const std::string& bytes) {
  ScriptKeyDecoder decoder;
  decoder.feed(bytes);
  decoder.finish();
  return KeysOf(decoder);
}

TEST(ScriptKeysTest, DecodesCharactersIntoKeys) {
  struct Case {
    const char* what;
    std::string bytes;
    std::vector<int> keys;
  };
  const std::vector<Case> cases = {
      {"ascii", "Ab 1", {65, 98, 32, 49}},
      {"LF, CR and CR LF are one Enter each", "A\nB\rC\r\nD", {65, 13, 66, 13, 67, 13, 68}},
      {"CR CR LF", "\r\r\n", {13, 13}},
      {"LF CR", "\n\r", {13, 13}},
      {"code page glyphs", "\u00E9\u263A\u2588\u2500\u00A0", {130, 1, 219, 196, 255}},
      {"control characters", "\x03\x08\x09\x1B\x7F", {3, 8, 9, 27, 127}},
      {"U+0000 dropped", std::string("A\0B", 3), {65, 66}},
      {"outside the code page", "\u20AC\u4E00x\U0001F600", {120}},
      {"stray continuation byte", "\x80" "A", {65}},
      {"lead byte without continuation", "\xC3(", {40}},
      {"bytes that start nothing", "\xFF\xFE\xC0\xC1" "A", {65}},
      {"overlong slash", "\xC0\xAF" "A", {65}},
      {"overlong three bytes", "\xE0\x80\xAF" "A", {65}},
      {"surrogate", "\xED\xA0\x80" "A", {65}},
      {"above U+10FFFF", "\xF4\x90\x80\x80" "A", {65}},
      {"unfinished at the end", "A\xE2\x94", {65}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(c.bytes), c.keys) << c.what;
  }
}

TEST(ScriptKeysTest, CharactersSplitAcrossReadsAreDecodedWhole) {
  ScriptKeyDecoder decoder;
  decoder.feed("A\xE2");
  EXPECT_EQ(KeysOf(decoder), std::vector<int>{65});
  decoder.feed("\x94");
  EXPECT_FALSE(decoder.has_key());
  decoder.feed("\x80\r");
  EXPECT_EQ(KeysOf(decoder), (std::vector<int>{196, 13}));
  decoder.feed("\nB");  // the LF of a CR LF split across two reads
  EXPECT_EQ(KeysOf(decoder), std::vector<int>{66});
}

// A pipe whose writing end the test holds, as an interactive session would.
struct Pipe {
  Pipe() { EXPECT_EQ(pipe(fds), 0); }
  ~Pipe() {
    close(fds[0]);
    close_writer();
  }
  void write_text(const std::string& text) {
    EXPECT_EQ(write(fds[1], text.data(), text.size()), static_cast<ssize_t>(text.size()));
  }
  void close_writer() {
    if (fds[1] >= 0) close(fds[1]);
    fds[1] = -1;
  }
  int fds[2] = {-1, -1};
};

TEST(ScriptKeysTest, InputFromAPipeIsReadOnlyAsKeysAreWanted) {
  Pipe pipe;
  ScriptInput input(pipe.fds[0]);
  EXPECT_EQ(input.peek_arrived(), kNoKey);  // nothing typed yet: no waiting
  pipe.write_text("\u263AB");
  EXPECT_EQ(input.peek_arrived(), 1);
  EXPECT_EQ(input.peek(), 1);  // peeking does not take
  input.take();
  EXPECT_EQ(input.peek(), 66);
  input.take();
  pipe.close_writer();
  EXPECT_EQ(input.peek(), kNoKey);
  EXPECT_EQ(input.peek_arrived(), kNoKey);
}

}  // namespace
