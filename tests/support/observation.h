// What a session shows and keeps, taken while its program waits or has ended: the fast
// statement path and the plain reading must leave the same of all of it. Shared by the
// differential test and the differential fuzzer.
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
  // counted, which is where a Break lands.
  std::vector<std::string> transcript;
  std::vector<uint8_t> screen;
  std::vector<int> cursor;  // row, column, held, attribute
  long paused_ms = 0;
  long statements = 0;
  bool ended = false;
  // The files in the session's folder, by name.
  std::map<std::string, std::string> files;
  // The program store as LIST and SAVE would find it, a pending function rewrite settled:
  // the texts as typed, slot by slot (the immediate slot included).
  std::vector<std::string> program;
  // What later statements can read: variables, value stack and GOSUB stack; memory; FOR
  // frames; POKE's kept arguments; TRACE; the pending message.
  std::vector<int16_t> int_cells;
  std::vector<int16_t> byte_memory;
  std::vector<int16_t> for_stack;  // row by row (0 to 4), frames 0 to 30 of each
  std::vector<int16_t> poke_args;
  std::vector<int> stacks_and_flags;  // for_top, gosub_top, trace_on, cur_line_number
  std::string error_text;
  // Where the scan stands and what it read last: cur_slot, cur_pos, cur_char,
  // number_value, var_index, stmt_target, and the length and first letter of word.
  std::vector<int> scan;
};

// The text of a slot as typed: a slot whose rewrite is pending holds the rewritten text,
// and the text as typed waits aside until the next statement puts it back.
inline const std::string& SettledText(const InterpreterState& state, int slot) {
  if (state.translated_flag != 0 && state.translated_slot == slot) return state.untranslated_text;
  return state.program_lines[slot];
}

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
  o.paused_ms = test.paused_ms();
  o.statements = test.statements();
  o.ended = test.ended();
  o.files = FilesIn(folder);
  for (int slot = 0; slot < kSlotCount; ++slot) o.program.push_back(SettledText(state, slot));
  o.int_cells.assign(state.int_cells.cells.begin(), state.int_cells.cells.end());
  o.byte_memory = state.byte_memory.cells;
  for (const auto& row : state.for_stack.cells) o.for_stack.insert(o.for_stack.end(), row.cells.begin(), row.cells.end());
  o.poke_args.assign(state.poke_args.cells.begin(), state.poke_args.cells.end());
  o.stacks_and_flags = {state.for_top, state.gosub_top, state.trace_on, state.cur_line_number};
  o.error_text = state.error_text;
  o.scan = {state.cur_slot,  state.cur_pos,     state.cur_char,           state.number_value,
            state.var_index, state.stmt_target, static_cast<int>(state.word.size()),
            state.word.empty() ? 0 : state.word.front()};
  return o;
}

namespace observation_detail {

inline std::string Shown(const std::string& text) { return "\"" + text + "\""; }
inline std::string Shown(int value) { return std::to_string(value); }

// The first place where two sequences differ, as "name[index]: fast ..., plain ...".
template <typename T>
std::string FirstDifferenceIn(const char* name, const std::vector<T>& fast, const std::vector<T>& plain) {
  const size_t common = std::min(fast.size(), plain.size());
  for (size_t i = 0; i < common; ++i) {
    if (!(fast[i] == plain[i])) {
      return std::string(name) + "[" + std::to_string(i) + "]: fast " + Shown(fast[i]) + ", plain " + Shown(plain[i]);
    }
  }
  if (fast.size() != plain.size()) {
    const bool fast_longer = fast.size() > plain.size();
    const T& extra = fast_longer ? fast[common] : plain[common];
    return std::string(name) + "[" + std::to_string(common) + "]: only the " + (fast_longer ? "fast" : "plain") +
           " path has " + Shown(extra);
  }
  return "";
}

// Byte vectors and 16-bit cells read as numbers.
inline std::vector<int> Widened(const std::vector<uint8_t>& bytes) { return {bytes.begin(), bytes.end()}; }
inline std::vector<int> Widened(const std::vector<int16_t>& cells) { return {cells.begin(), cells.end()}; }

}  // namespace observation_detail

// Where the two observations first differ, in words; empty when they agree in everything.
inline std::string FirstDifference(const Observation& fast, const Observation& plain) {
  using namespace observation_detail;
  std::string d;
  auto check = [&d](std::string found) {
    if (d.empty()) d = std::move(found);
  };
  check(FirstDifferenceIn("transcript row", fast.transcript, plain.transcript));
  check(FirstDifferenceIn("screen byte", Widened(fast.screen), Widened(plain.screen)));
  check(FirstDifferenceIn("cursor (row, column, held, attribute)", fast.cursor, plain.cursor));
  check(FirstDifferenceIn("bell pauses, statements, ended", std::vector<int>{int(fast.paused_ms), int(fast.statements), fast.ended},
                          std::vector<int>{int(plain.paused_ms), int(plain.statements), plain.ended}));
  std::vector<std::string> fast_names, plain_names;
  for (const auto& [name, bytes] : fast.files) fast_names.push_back(name);
  for (const auto& [name, bytes] : plain.files) plain_names.push_back(name);
  check(FirstDifferenceIn("file", fast_names, plain_names));
  if (d.empty()) {
    for (const auto& [name, bytes] : fast.files) {
      if (bytes != plain.files.at(name)) check("file " + name + ": fast " + Shown(bytes) + ", plain " + Shown(plain.files.at(name)));
    }
  }
  check(FirstDifferenceIn("program_lines", fast.program, plain.program));
  check(FirstDifferenceIn("int_cells", Widened(fast.int_cells), Widened(plain.int_cells)));
  check(FirstDifferenceIn("byte_memory", Widened(fast.byte_memory), Widened(plain.byte_memory)));
  check(FirstDifferenceIn("for_stack (row * 31 + frame)", Widened(fast.for_stack), Widened(plain.for_stack)));
  check(FirstDifferenceIn("poke_args", Widened(fast.poke_args), Widened(plain.poke_args)));
  check(FirstDifferenceIn("for_top, gosub_top, trace_on, cur_line_number", fast.stacks_and_flags, plain.stacks_and_flags));
  check(FirstDifferenceIn("error_text", std::vector<std::string>{fast.error_text}, std::vector<std::string>{plain.error_text}));
  check(FirstDifferenceIn("scan (cur_slot, cur_pos, cur_char, number_value, var_index, stmt_target, word size, word front)",
                          fast.scan, plain.scan));
  return d;
}
