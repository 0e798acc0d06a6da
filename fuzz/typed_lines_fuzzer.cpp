// Fuzzes typed lines, immediate and numbered, then RUN: each byte is one key, '\n' is Enter.
// Every input runs twice, on the fast statement path and on the plain reading, which must agree.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::ScratchFolder();
  return 0;
}

// What a session showed and kept: the screen's lines and every cell and byte.
struct Outcome {
  std::vector<std::string> transcript;
  decltype(InterpreterState::int_cells.cells) cells;
  std::vector<int16_t> bytes;
};

Outcome RunSession(const std::string& keys, bool reference_paths) {
  fuzz::EmptyScratchFolder();
  fuzz::Session session(reference_paths);
  session.Run(keys);
  return {session.Transcript(), session.State().int_cells.cells, session.State().byte_memory.cells};
}

// The fast statement path must show and keep exactly what the plain reading does.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  std::string keys(reinterpret_cast<const char*>(data), size);
  keys += "\nRUN\n";
  const Outcome fast = RunSession(keys, false);
  fuzz::CheckScratchFolder();
  const Outcome plain = RunSession(keys, true);
  if (fast.transcript != plain.transcript) fuzz::ReportFault("the fast path shows another screen than the plain reading");
  if (fast.cells != plain.cells) fuzz::ReportFault("the fast path leaves other cells than the plain reading");
  if (fast.bytes != plain.bytes) fuzz::ReportFault("the fast path leaves other memory than the plain reading");
  return 0;
}
