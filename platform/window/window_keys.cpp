// The window's keys as keyboard-ring keys.
#include "platform/window/window_keys.h"

#include <GL/freeglut.h>

#include "platform/core/cp437.h"
#include "platform/core/keys.h"

int key_from_character(unsigned char character) {
  // The X keyboard gives Delete as character 127; the PC keyboard as an extended key.
  if (character == 127) return kExtendedKey + kScanDelete;
  const int code = cp437_from_unicode(static_cast<char32_t>(character));
  return code < 0 ? kNoKey : code;
}

int key_from_special(int glut_key) {
  if (glut_key >= GLUT_KEY_F1 && glut_key <= GLUT_KEY_F10) return kExtendedKey + kScanF1 + (glut_key - GLUT_KEY_F1);
  switch (glut_key) {
    case GLUT_KEY_F11: return kExtendedKey + kScanF11;
    case GLUT_KEY_F12: return kExtendedKey + kScanF12;
    case GLUT_KEY_UP: return kExtendedKey + kScanUp;
    case GLUT_KEY_DOWN: return kExtendedKey + kScanDown;
    case GLUT_KEY_LEFT: return kExtendedKey + kScanLeft;
    case GLUT_KEY_RIGHT: return kExtendedKey + kScanRight;
    case GLUT_KEY_HOME: return kExtendedKey + kScanHome;
    case GLUT_KEY_END: return kExtendedKey + kScanEnd;
    case GLUT_KEY_PAGE_UP: return kExtendedKey + kScanPageUp;
    case GLUT_KEY_PAGE_DOWN: return kExtendedKey + kScanPageDown;
    case GLUT_KEY_INSERT: return kExtendedKey + kScanInsert;
    case GLUT_KEY_DELETE: return kExtendedKey + kScanDelete;
    default: return kNoKey;  // Shift, Ctrl, Alt, Super, Num Lock and the keypad's middle key
  }
}
