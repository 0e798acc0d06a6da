// A running interpreter on the test host, for tests that type lines and read the screen.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "interpreter/interpreter.h"
#include "tests/support/test_host.h"

class Session {
 public:
  // reference_paths: the interpreter's plain, slow reading (see Interpreter).
  explicit Session(std::string command_line = "", bool refuse_fonts = false, bool reference_paths = false)
      : test_(std::move(command_line)), interpreter_(test_.host(), reference_paths) {
    if (refuse_fonts) test_.refuse_fonts();
    Interpreter::WindowSettings(test_.host());
    test_.start([this] { interpreter_.InterpreterMain(); });
  }
  ~Session() { test_.stop(); }

  // Types the line and returns what the screen shows after its echo: the rows below the
  // prompt row, joined by "\n", ending with the next prompt (":", trailing blanks trimmed).
  std::string Run(std::string_view line) {
    // The echo after ": " takes more than one row when the line is long.
    const size_t echo_rows = (2 + line.size() + 79) / 80;
    const size_t before = test_.transcript().size() + echo_rows - 1;
    test_.run_line(line);
    const std::vector<std::string> rows = test_.transcript();
    std::string out;
    for (size_t i = before; i < rows.size(); ++i) {
      if (i > before) out += '\n';
      out += rows[i];
    }
    return out;
  }
  // Types every line, returns what the last one showed.
  std::string RunAll(const std::vector<std::string_view>& lines) {
    std::string out;
    for (std::string_view line : lines) out = Run(line);
    return out;
  }
  void Type(std::string_view keys) { test_.type(keys); }
  void Idle() { test_.run_until_idle(); }

  const InterpreterState& State() const { return interpreter_.state(); }
  int16_t Variable(char letter) const { return State().int_cells.cells[letter - 'A' + 27]; }
  std::vector<std::string> Program() const {
    std::vector<std::string> lines;
    for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) {
      const std::string& line = State().program_lines[slot];
      if (!line.empty()) lines.push_back(line);
    }
    return lines;
  }
  TestHost& Host() { return test_; }

 private:
  TestHost test_;
  Interpreter interpreter_;
};

// A typed line and what the screen then shows, up to and including the next prompt.
struct ShowsCase {
  std::string line;
  std::string shows;
};

// Types each line into a fresh session and checks what it shows.
inline void ExpectShows(const std::vector<ShowsCase>& cases) {
  for (const ShowsCase& c : cases) {
    Session session;
    EXPECT_EQ(session.Run(c.line), c.shows) << c.line;
  }
}
