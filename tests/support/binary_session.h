// A copy of the real program in a fresh folder of its own, fed a script on its standard input.
#pragma once
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace {

struct ProgramOutcome {
  int status;          // the exit status; -1 when a signal ended the shell
  std::string output;  // what the program wrote to its standard output
};

// How the program starts: its arguments, what stands before it on the command line (an
// environment setting, a change of user), and whether it starts from "/" rather than its folder.
struct ProgramStart {
  std::string arguments{};
  std::string prefix{};
  bool from_root = false;
};

// The folder is current for the test as well, so write_file and read_file reach the program's files.
class BinarySession : public ScratchFolder {
 protected:
  using Outcome = ProgramOutcome;
  using Start = ProgramStart;

  void SetUp() override {
    ScratchFolder::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::copy_file(KELO_BINARY, folder_ / "kelo-basic");
    std::filesystem::permissions(folder_ / "kelo-basic", std::filesystem::perms(0755));
  }
  void TearDown() override {
    chmod(folder_.c_str(), 0755);  // a test may have made the folder read-only
    ScratchFolder::TearDown();
  }

  // Runs a shell command in the folder; its exit status.
  static int shell(const std::string& command) {
    // NOLINTNEXTLINE(cert-env33-c): the tests start the program through a shell, as a user would.
    const int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  // Feeds the folder's "script" to the program, its output and errors going to "out" and "err".
  // `timeout` guards against a session that never ends.
  Outcome run_script(const Start& start = {}) {
    const std::string from = start.from_root ? "/" : in_folder(".");
    const int status = shell("cd " + from + " && " + start.prefix + " timeout 30 " + in_folder("kelo-basic") + " " +
                             start.arguments + " < " + in_folder("script") + " > " + in_folder("out") + " 2> " +
                             in_folder("err"));
    return {status, read_file("out")};
  }
  Outcome run(const std::string& script, const Start& start = {}) {
    write_file("script", script);
    return run_script(start);
  }

 private:
  // The full path of a name in the folder, quoted for the shell.
  std::string in_folder(const std::string& name) const { return "'" + (folder_ / name).string() + "'"; }
};

// Rows as the program writes them, each ending in a line feed.
inline std::string Lines(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += row + "\n";
  return text;
}

const std::vector<std::string> kBanner = {"Kelo BASIC v1.1 for Dravo BASIC", "Type HELP for commands."};

// The rows of a session that starts at the prompt, after the banner.
inline std::vector<std::string> WithBanner(std::vector<std::string> rows) {
  rows.insert(rows.begin(), kBanner.begin(), kBanner.end());
  return rows;
}

}  // namespace
