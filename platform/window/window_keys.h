// The window's keys as keyboard-ring keys: the same codes the terminal front end feeds.
#pragma once

// A character key as freeglut reports it (Latin-1, control characters for Ctrl+letter):
// its code page 437 code, or kNoKey when that has none.
int key_from_character(unsigned char character);
// A freeglut special key (cursor, editing and function keys, modifiers): kExtendedKey +
// its PC scan code, or kNoKey (Shift, Ctrl and Alt alone, keys the PC keyboard lacks).
int key_from_special(int glut_key);
