// Fuzzes typed lines, immediate and numbered, then RUN: each byte is one key, '\n' is Enter.
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
  fuzz::EmptyScratchFolder();
  std::string keys(reinterpret_cast<const char*>(data), size);
  keys += "\nRUN\n";
  {
    fuzz::Session session;
    session.Run(keys);
  }
  fuzz::CheckScratchFolder();
  return 0;
}
