// Fuzzes typed lines, immediate and numbered, then RUN: each byte is one key, '\n' is Enter.
// Every input runs twice, on the fast statement path and on the plain reading, which must agree
// on everything a session shows and keeps.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_session.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::ScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  std::string keys(reinterpret_cast<const char*>(data), size);
  keys += "\nRUN\n";
  fuzz::ExpectSameEitherWay([&keys](bool reference_paths) {
    fuzz::EmptyScratchFolder();
    fuzz::Session session(reference_paths);
    session.Run(keys);
    fuzz::CheckScratchFolder();
    return session.Observed();
  });
  return 0;
}
