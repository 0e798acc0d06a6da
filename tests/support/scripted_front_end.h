// A front end for tests: hands out scripted keys, records what the core asks of it.
#pragma once
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "platform/core/host.h"

namespace {

// One scripted key per wait; when the script is used up it shuts the host down,
// as a closed window would. Also listens to a bare TextScreen as the host would.
class ScriptedFrontEnd : public FrontEnd, public ScreenListener {
 public:
  Console* console = nullptr;
  std::deque<int> keys;
  std::vector<int> pauses;
  std::vector<std::string> scrolled_rows;  // text of each row that scrolled away
  int waits_started = 0;
  int waits_ended = 0;
  std::string title;
  std::string font_path;
  int font_height = 0;
  bool glyphs = false;  // as a window that rasterises the console font

  void wait_for_key(KeyboardRing& ring) override {
    if (keys.empty()) {
      if (console != nullptr) console->request_close();
      return;
    }
    ring.push(keys.front());
    keys.pop_front();
  }
  void wait_started(KeyboardRing&) override { ++waits_started; }
  void wait_ended(KeyboardRing&) override { ++waits_ended; }
  int pause_ms(int ms) override {
    pauses.push_back(ms);
    return 0;
  }
  void bell() override { pauses.push_back(kBellPauseMs); }
  void row_scrolled_off(const uint8_t* cells) override {
    scrolled_rows.push_back(::row_text(cells));
  }
  void title_changed(std::string_view text) override { title = text; }
  bool draws_glyphs() const override { return glyphs; }
  bool select_font(std::string_view path, int height) override {
    font_path = path;
    font_height = height;
    return true;
  }
};

// The characters of a screen row, trailing blanks left out.
inline std::string row_text(const TextScreen& screen, int row) { return ::row_text(screen.row_cells(row)); }

// Each byte of a text as one key.
inline std::deque<int> keys_of(std::string_view text) {
  std::deque<int> keys;
  for (char c : text) keys.push_back(static_cast<uint8_t>(c));
  return keys;
}

// A host wired to a scripted front end.
struct ScriptedHost {
  ScriptedFrontEnd front_end;
  Console console;
  Host host{console, front_end, ""};
  explicit ScriptedHost(std::deque<int> keys = {}) {
    console.set_key_pump(true);
    front_end.console = &console;
    front_end.keys = std::move(keys);
  }
};

}  // namespace
