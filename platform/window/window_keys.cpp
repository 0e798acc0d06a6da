// The window's keys as keyboard-ring keys.
#include "platform/window/window_keys.h"

#include <X11/X.h>
#include <X11/keysym.h>

#include <optional>

#include "platform/core/cp437.h"
#include "platform/core/keys.h"

namespace {

// The keys that are not characters, by their keysym (the keypad's with Num Lock off).
std::optional<NamedKey> named_key_of(unsigned long keysym) {
  if (keysym >= XK_F1 && keysym <= XK_F12) return static_cast<NamedKey>(static_cast<int>(NamedKey::kF1) + (keysym - XK_F1));
  switch (keysym) {
    case XK_Escape: return NamedKey::kEscape;
    case XK_BackSpace: return NamedKey::kBackspace;
    case XK_Tab: case XK_KP_Tab: case XK_ISO_Left_Tab: return NamedKey::kTab;
    case XK_Return: case XK_KP_Enter: return NamedKey::kEnter;
    case XK_Home: case XK_KP_Home: return NamedKey::kHome;
    case XK_Up: case XK_KP_Up: return NamedKey::kUp;
    case XK_Prior: case XK_KP_Prior: return NamedKey::kPageUp;
    case XK_Left: case XK_KP_Left: return NamedKey::kLeft;
    case XK_Right: case XK_KP_Right: return NamedKey::kRight;
    case XK_End: case XK_KP_End: return NamedKey::kEnd;
    case XK_Down: case XK_KP_Down: return NamedKey::kDown;
    case XK_Next: case XK_KP_Next: return NamedKey::kPageDown;
    case XK_Insert: case XK_KP_Insert: return NamedKey::kInsert;
    case XK_Delete: case XK_KP_Delete: return NamedKey::kDelete;
    default: return std::nullopt;
  }
}

}  // namespace

int key_from_x_press(const XKeyPress& press) {
  const bool alt = (press.state & Mod1Mask) != 0;
  if (const std::optional<NamedKey> key = named_key_of(press.keysym)) {
    // X's keymaps give Shift+Tab its own keysym, which Shift need not be held for.
    const bool shift = (press.state & ShiftMask) != 0 || press.keysym == XK_ISO_Left_Tab;
    return named_key(*key, {shift, (press.state & ControlMask) != 0, alt});
  }
  if (press.character <= 0) return kNoKey;  // none, or Ctrl+Space: no key of ours
  const int code = cp437_from_unicode(static_cast<char32_t>(press.character));
  return code < 0 ? kNoKey : typed_key(code, alt);
}
