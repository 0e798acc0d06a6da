// What a session shows and keeps, taken while its program waits or has ended: the fast
// statement path and the plain reading must leave the same of all of it. Shared by the
// differential test and the differential fuzzers.
#pragma once
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "interpreter/interpreter.h"
#include "tests/support/test_host.h"

struct Observation {
  // What the user sees and hears: every row that scrolled off, then the screen's rows; the
  // screen's cells with their attributes; the cursor; the bell's pauses; the statements
  // counted, which is where a Break lands; whether the program has ended.
  std::vector<std::string> transcript;
  std::vector<int> screen;
  std::vector<int> cursor;  // row, column, held, attribute
  std::vector<int> host;    // bell pauses (ms), statements, ended
  // The files in the session's folder, by name.
  std::map<std::string, std::string> files;
  // The program store: the texts as typed, slot by slot (the immediate slot included).
  std::vector<std::string> program;
  // What later statements can read: variables, value stack and GOSUB stack; memory; FOR
  // frames; POKE's kept arguments; the stacks' tops, TRACE and the current line; the pending
  // message.
  std::vector<int> int_cells;
  std::vector<int> byte_memory;
  std::vector<int> for_stack;  // row by row (0 to 4), frames 0 to 30 of each
  std::vector<int> poke_args;
  std::vector<int> stacks_and_flags;  // for_top, gosub_top, trace_on, cur_line_number
  std::string error_text;
  // Where the scan stands and what it read last, which no program reads before it sets
  // them again, but which the interpreter's state shows: held to the same all the same.
  // cur_slot, cur_pos, cur_char, number_value, var_index, stmt_target, the word's size and
  // first letter.
  std::vector<int> scan;
};

inline std::map<std::string, std::string> FilesIn(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    std::ifstream in(entry.path(), std::ios::binary);
    files[entry.path().filename().string()] = std::string(std::istreambuf_iterator<char>(in), {});
  }
  return files;
}

// Read only while the program waits for a key or has ended.
inline Observation Observe(TestHost& test, const InterpreterState& state, const std::filesystem::path& folder) {
  Observation o;
  o.transcript = test.transcript();
  const TextScreen& screen = test.host().screen();
  o.screen.assign(screen.cells().begin(), screen.cells().end());
  o.cursor = {screen.cursor_row(), screen.cursor_column(), screen.cursor_held() ? 1 : 0, screen.attribute()};
  o.host = {static_cast<int>(test.paused_ms()), static_cast<int>(test.statements()), test.ended() ? 1 : 0};
  o.files = FilesIn(folder);
  for (int slot = 0; slot < kSlotCount; ++slot) o.program.push_back(state.program_lines[slot]);
  o.int_cells.assign(state.int_cells.cells.begin(), state.int_cells.cells.end());
  o.byte_memory.assign(state.byte_memory.cells.begin(), state.byte_memory.cells.end());
  for (const auto& row : state.for_stack.cells) {
    o.for_stack.insert(o.for_stack.end(), row.cells.begin(), row.cells.end());
  }
  o.poke_args.assign(state.poke_args.cells.begin(), state.poke_args.cells.end());
  o.stacks_and_flags = {state.for_top, state.gosub_top, state.trace_on, state.cur_line_number};
  o.error_text = state.error_text;
  o.scan = {state.cur_slot,  state.cur_pos,     state.cur_char, state.number_value, state.var_index,
            state.stmt_target, static_cast<int>(state.word.size()), state.word.empty() ? 0 : state.word.front()};
  return o;
}

// A text as a C string literal would show it, so that a failure can be typed back.
inline std::string Quoted(const std::string& text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string shown = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      shown += '\\';
      shown += c;
    } else if (byte >= 32 && byte < 127) {
      shown += c;
    } else {
      shown += "\\x";
      shown += kHex[byte >> 4];
      shown += kHex[byte & 15];
    }
  }
  return shown + "\"";
}

namespace observation_detail {

inline std::string Shown(const std::string& text) { return Quoted(text); }
inline std::string Shown(int value) { return std::to_string(value); }

// The first place where two sequences differ, as "name[index]: fast ..., plain ...".
template <typename T>
std::string FirstDifferenceIn(const std::string& name, const std::vector<T>& fast, const std::vector<T>& plain) {
  const size_t common = std::min(fast.size(), plain.size());
  for (size_t i = 0; i < common; ++i) {
    if (fast[i] != plain[i]) {
      return name + "[" + std::to_string(i) + "]: fast " + Shown(fast[i]) + ", plain " + Shown(plain[i]);
    }
  }
  if (fast.size() == plain.size()) return "";
  const bool fast_longer = fast.size() > plain.size();
  return name + "[" + std::to_string(common) + "]: only the " + (fast_longer ? "fast" : "plain") + " path has " +
         Shown(fast_longer ? fast[common] : plain[common]);
}

// A file's lines, each with its line end.
inline std::vector<std::string> Lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t begin = 0;
  while (begin < bytes.size()) {
    const size_t end = std::min(bytes.find('\n', begin), bytes.size() - 1) + 1;
    lines.push_back(bytes.substr(begin, end - begin));
    begin = end;
  }
  return lines;
}

}  // namespace observation_detail

// Where the two observations first differ, in words; empty when they agree in everything.
inline std::string FirstDifference(const Observation& fast, const Observation& plain) {
  using observation_detail::FirstDifferenceIn;
  std::vector<std::string> found = {
      FirstDifferenceIn("transcript row", fast.transcript, plain.transcript),
      FirstDifferenceIn("screen byte", fast.screen, plain.screen),
      FirstDifferenceIn("cursor (row, column, held, attribute)", fast.cursor, plain.cursor),
      FirstDifferenceIn("host (bell pauses, statements, ended)", fast.host, plain.host),
  };
  std::vector<std::string> fast_names, plain_names;
  for (const auto& [name, bytes] : fast.files) fast_names.push_back(name);
  for (const auto& [name, bytes] : plain.files) plain_names.push_back(name);
  found.push_back(FirstDifferenceIn("file", fast_names, plain_names));
  for (const auto& [name, bytes] : fast.files) {
    const auto other = plain.files.find(name);
    if (other == plain.files.end()) continue;
    found.push_back(FirstDifferenceIn("file " + name + ", line", observation_detail::Lines(bytes),
                                      observation_detail::Lines(other->second)));
  }
  found.push_back(FirstDifferenceIn("program_lines", fast.program, plain.program));
  found.push_back(FirstDifferenceIn("int_cells", fast.int_cells, plain.int_cells));
  found.push_back(FirstDifferenceIn("byte_memory", fast.byte_memory, plain.byte_memory));
  found.push_back(FirstDifferenceIn("for_stack (row * 31 + frame)", fast.for_stack, plain.for_stack));
  found.push_back(FirstDifferenceIn("poke_args", fast.poke_args, plain.poke_args));
  found.push_back(FirstDifferenceIn("for_top, gosub_top, trace_on, cur_line_number", fast.stacks_and_flags,
                                    plain.stacks_and_flags));
  found.push_back(FirstDifferenceIn("error_text", std::vector<std::string>{fast.error_text},
                                    std::vector<std::string>{plain.error_text}));
  found.push_back(FirstDifferenceIn("scan (cur_slot, cur_pos, cur_char, number_value, var_index, stmt_target, "
                                    "word size, word front)",
                                    fast.scan, plain.scan));
  for (const std::string& difference : found) {
    if (!difference.empty()) return difference;
  }
  return "";
}
