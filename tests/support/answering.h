// A typed line whose statements wait for answers (INPUT, RANDOM), answered as a user would.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/session.h"

namespace {

// Types the line, then each answer with Enter, and returns what the screen shows after the
// line's echo, as Session::Run does: the answers appear where the statements echo them.
inline std::string RunAnswering(Session& session, std::string_view line, const std::vector<std::string>& answers) {
  const size_t echo_rows = (2 + line.size() + 79) / 80;
  const size_t before = session.Host().transcript().size() + echo_rows - 1;
  session.Host().type_line(line);
  for (const std::string& answer : answers) session.Host().type_line(answer);
  session.Idle();
  const std::vector<std::string> rows = session.Host().transcript();
  std::string out;
  for (size_t i = before; i < rows.size(); ++i) {
    if (i > before) out += '\n';
    out += rows[i];
  }
  return out;
}

}  // namespace
