// Tests of the window's key translation: what each key puts into the keyboard ring.
#include "platform/window/window_keys.h"

#include <GL/freeglut.h>
#include <gtest/gtest.h>

#include "platform/core/keys.h"

namespace {

TEST(WindowKeys, CharactersBecomeCodePage437Codes) {
  const struct { unsigned char character; int key; } cases[] = {
      {'a', 'a'}, {'Z', 'Z'}, {' ', ' '}, {'~', '~'},
      {13, kKeyEnter}, {8, kKeyBackspace}, {9, kKeyTab}, {27, kKeyEscape}, {3, kKeyCtrlC},  // Ctrl+C: a key
      {1, 1}, {26, 26},                                            // other Ctrl+letters as their codes
      {127, kExtendedKey + kScanDelete},                           // X's Delete is the PC's extended key
      {0xE9, 130}, {0xC7, 128}, {0xB0, 248}, {0xFC, 129}, {0xA3, 156},  // Latin-1 letters and signs
      {0xA4, kNoKey}, {0xAE, kNoKey}, {0x85, kNoKey},              // none in code page 437
  };
  for (const auto& c : cases) EXPECT_EQ(key_from_character(c.character), c.key) << int{c.character};
}

TEST(WindowKeys, SpecialKeysBecomeExtendedKeysWithPcScanCodes) {
  const struct { int glut_key; int key; } cases[] = {
      {GLUT_KEY_F1, kExtendedKey + 59}, {GLUT_KEY_F5, kExtendedKey + 63}, {GLUT_KEY_F10, kExtendedKey + 68},
      {GLUT_KEY_F11, kExtendedKey + 133}, {GLUT_KEY_F12, kExtendedKey + 134},
      {GLUT_KEY_UP, kExtendedKey + 72}, {GLUT_KEY_DOWN, kExtendedKey + 80},
      {GLUT_KEY_LEFT, kExtendedKey + 75}, {GLUT_KEY_RIGHT, kExtendedKey + 77},
      {GLUT_KEY_HOME, kExtendedKey + 71}, {GLUT_KEY_END, kExtendedKey + 79},
      {GLUT_KEY_PAGE_UP, kExtendedKey + 73}, {GLUT_KEY_PAGE_DOWN, kExtendedKey + 81},
      {GLUT_KEY_INSERT, kExtendedKey + 82}, {GLUT_KEY_DELETE, kExtendedKey + 83},
      // Modifiers alone, and keys the PC keyboard does not have, give nothing.
      {GLUT_KEY_SHIFT_L, kNoKey}, {GLUT_KEY_SHIFT_R, kNoKey}, {GLUT_KEY_CTRL_L, kNoKey}, {GLUT_KEY_CTRL_R, kNoKey},
      {GLUT_KEY_ALT_L, kNoKey}, {GLUT_KEY_ALT_R, kNoKey}, {GLUT_KEY_SUPER_L, kNoKey}, {GLUT_KEY_NUM_LOCK, kNoKey},
      {GLUT_KEY_BEGIN, kNoKey}, {0, kNoKey}, {0x7FFF, kNoKey},
  };
  for (const auto& c : cases) EXPECT_EQ(key_from_special(c.glut_key), c.key) << c.glut_key;
}

}  // namespace
