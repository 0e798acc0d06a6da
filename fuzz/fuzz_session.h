// A bounded interpreter session for the fuzzers: the test host, in a scratch folder of its own.
#pragma once
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "interpreter/interpreter.h"
#include "tests/support/observation.h"
#include "tests/support/test_host.h"

namespace fuzz {

// Every run is bounded: a Break after this many statements of one typed line or RUN, the
// window closed after this many in all. Typed keys run out, so INPUT answers are bounded too.
constexpr long kBreakEvery = 2000;
constexpr long kCloseAfter = 20000;
// Longer inputs are refused: they only slow the search down.
constexpr size_t kMaxInput = 16384;

// The folder the program's files go to, made current before every input and emptied: paths
// given to the fuzzer must be absolute.
inline const std::filesystem::path& ScratchFolder() {
  static const std::filesystem::path folder = [] {
    const char* base = std::getenv("TMPDIR");
    std::string name = std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/kelo-fuzz-XXXXXX";
    if (mkdtemp(name.data()) == nullptr) {
      std::perror("kelo fuzz: cannot make a scratch folder");
      std::abort();
    }
    std::filesystem::path made = std::filesystem::canonical(name);
    std::atexit([] { std::filesystem::remove_all(ScratchFolder()); });
    return made;
  }();
  return folder;
}

// What an earlier input left behind must not change what the next one does.
inline void EmptyScratchFolder() {
  const std::filesystem::path& folder = ScratchFolder();
  std::filesystem::current_path(folder);
  for (const auto& entry : std::filesystem::directory_iterator(folder)) std::filesystem::remove_all(entry.path());
}

[[noreturn]] inline void ReportFault(const std::string& what) {
  std::fprintf(stderr, "kelo fuzz: %s\n", what.c_str());
  std::abort();
}

// What a session may leave behind: files that SAVE named by its rule, which always puts
// ".TIB" in the name. A temporary file of a save left over breaks the rule too.
inline void CheckScratchFolder() {
  for (const auto& entry : std::filesystem::directory_iterator(ScratchFolder())) {
    const std::string name = entry.path().filename().string();
    std::string upper = name;
    for (char& c : upper) c = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (upper.find(".TIB") == std::string::npos) ReportFault("a file named against the rule: " + name);
  }
}

// A hang is a finding: the test host gives up after 10 s, and the fuzzer records the input.
[[noreturn]] inline void ReportHang(const std::exception& failure) {
  std::fprintf(stderr, "kelo fuzz: %s\n", failure.what());
  std::abort();
}

class Session {
 public:
  // With `reference_paths`, the interpreter reads every statement the plain way.
  explicit Session(bool reference_paths = false) : interpreter_(test_.host(), reference_paths) {
    Interpreter::WindowSettings(test_.host());
    test_.bound_statements(kBreakEvery, kCloseAfter);
    try {
      test_.start([this] { interpreter_.InterpreterMain(); });
    } catch (const std::runtime_error& failure) {
      ReportHang(failure);
    }
  }
  ~Session() { test_.stop(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Types the keys (a '\n' is Enter) and waits until the program waits for more or has ended.
  void Run(std::string_view keys, long close_after = kCloseAfter) {
    test_.bound_statements(kBreakEvery, close_after);
    test_.type(keys);
    try {
      test_.run_until_idle();
    } catch (const std::runtime_error& failure) {
      ReportHang(failure);
    }
  }
  bool Ended() const { return test_.ended(); }
  // Everything the session shows and keeps, its files included; after Run.
  Observation Observed() { return Observe(test_, interpreter_.state(), ScratchFolder()); }

 private:
  TestHost test_;
  Interpreter interpreter_;
};

// Runs an input the fast way, then the plain way, each from an empty scratch folder: the fast
// statement path must show and keep exactly what the plain reading does.
template <typename RunOneWay>
void ExpectSameEitherWay(RunOneWay run) {
  const Observation fast = run(false);
  const Observation plain = run(true);
  const std::string difference = FirstDifference(fast, plain);
  if (!difference.empty()) ReportFault("the fast path and the plain reading differ: " + difference);
}

}  // namespace fuzz
