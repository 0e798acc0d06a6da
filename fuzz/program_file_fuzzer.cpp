// Fuzzes program files: arbitrary bytes loaded, listed, saved, loaded and saved again, then run.
// Every input runs on the fast statement path and on the plain reading, which must agree: a
// loaded file holds what typing cannot, lines out of order and numbers twice.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>

#include "fuzz/fuzz_session.h"

namespace {

std::string ReadFile(const char* path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

bool Exists(const char* path) { return std::ifstream(path).good(); }

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::ScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > fuzz::kMaxInput) return -1;
  fuzz::ExpectSameEitherWay([data, size](bool reference_paths) {
    fuzz::EmptyScratchFolder();
    std::ofstream("F.TIB", std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    fuzz::Session session(reference_paths);
    session.Run("LOAD F\nLIST\nSAVE G\nLOAD G\nSAVE H\n");
    // A saved program loads back as the same lines: saving it again gives the same bytes.
    if (!session.Ended() && Exists("G.TIB") && Exists("H.TIB") && ReadFile("G.TIB") != ReadFile("H.TIB")) {
      fuzz::ReportFault("a saved program changed when loaded and saved again");
    }
    // The run gets three answers for its INPUTs; whatever is left of them is typed at the prompt.
    session.Run("RUN\n7\n-1\n32767\n");
    fuzz::CheckScratchFolder();
    return session.Observed();
  });
  return 0;
}
