// Tests of the window's key translation: what an X key press puts into the keyboard ring,
// beyond the PC key table that both front ends share (key_table_test.cpp).
#include "platform/window/window_keys.h"

#include <gtest/gtest.h>
// After gtest: X's headers define None, a name gtest uses.
#include <X11/X.h>
#include <X11/keysym.h>

#include "platform/core/keys.h"

namespace {

TEST(WindowKeys, CharactersBecomeCodePage437Codes) {
  const struct { unsigned long keysym; int character; int key; } cases[] = {
      {XK_a, 'a', 'a'}, {XK_Z, 'Z', 'Z'}, {XK_space, ' ', ' '}, {XK_asciitilde, '~', '~'},
      {XK_c, 3, kKeyCtrlC},  // Ctrl+C: a key
      {XK_eacute, 0xE9, 130}, {XK_Ccedilla, 0xC7, 128}, {XK_degree, 0xB0, 248}, {XK_udiaeresis, 0xFC, 129},
      {XK_sterling, 0xA3, 156},                                      // Latin-1 letters and signs
      {XK_currency, 0xA4, kNoKey}, {XK_registered, 0xAE, kNoKey},   // none in code page 437
      {XK_EuroSign, -1, kNoKey},                                     // X types no Latin-1 character for it
  };
  for (const auto& c : cases) EXPECT_EQ(key_from_x_press({c.keysym, 0, c.character}), c.key) << c.keysym;
}

TEST(WindowKeys, KeysThatAreNotCharacters) {
  const struct { const char* name; XKeyPress press; int key; } cases[] = {
      // The keypad with Num Lock off gives the cursor keys; with it on, the digits.
      {"KP_Left", {XK_KP_Left, 0, -1}, kExtendedKey + 75},
      {"Ctrl+KP_Home", {XK_KP_Home, ControlMask, -1}, kExtendedKey + 119},
      {"KP_Delete", {XK_KP_Delete, 0, -1}, kExtendedKey + 83},
      {"KP_4", {XK_KP_4, Mod2Mask, '4'}, '4'},
      {"KP_Enter", {XK_KP_Enter, 0, 13}, kKeyEnter},
      {"Ctrl+KP_Enter", {XK_KP_Enter, ControlMask, 13}, 10},
      // Num Lock and Caps Lock held change no key.
      {"Ctrl+Left, Num Lock", {XK_Left, ControlMask | Mod2Mask, -1}, kExtendedKey + 115},
      {"Alt+X, Caps Lock", {XK_X, Mod1Mask | LockMask, 'X'}, kExtendedKey + 45},
      // A keymap's Shift+Tab key, whether or not Shift is held for it.
      {"ISO_Left_Tab", {XK_ISO_Left_Tab, 0, -1}, kExtendedKey + 15},
      // Modifiers alone, Pause (the front end's own), keys the PC keyboard lacks: nothing.
      {"Shift_L", {XK_Shift_L, 0, -1}, kNoKey},
      {"Control_R", {XK_Control_R, ShiftMask, -1}, kNoKey},
      {"Alt_L", {XK_Alt_L, 0, -1}, kNoKey},
      {"Pause", {XK_Pause, 0, -1, true}, kNoKey},
      {"F13", {XK_F13, 0, -1}, kNoKey},
      {"Menu", {XK_Menu, 0, -1}, kNoKey},
      {"Ctrl+Space", {XK_space, ControlMask, 0}, kNoKey},  // as the terminal's NUL
  };
  for (const auto& c : cases) EXPECT_EQ(key_from_x_press(c.press), c.key) << c.name;
}

}  // namespace
