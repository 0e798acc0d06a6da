// The window's keys as keyboard-ring keys: the same codes the terminal front end feeds.
#pragma once

#include "platform/window/x_display.h"

// An X key press as the PC keyboard would give it: a character (code page 437), kExtendedKey +
// a scan code, or kNoKey (a modifier alone, Pause, a key the PC keyboard lacks, a character
// code page 437 lacks).
int key_from_x_press(const XKeyPress& press);
