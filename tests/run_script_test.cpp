// ./run.sh starts the program in the folder the user stands in: programs load and save there.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/binary_session.h"

namespace {

// run.sh in a repository of its own whose set-up and build are stand-ins: the build only
// puts the real program where run.sh expects it.
class RunScript : public BinarySession {
 protected:
  void SetUp() override {
    BinarySession::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directories("repo/tools");
    std::filesystem::create_directories("user");
    std::filesystem::copy_file(KELO_SOURCE_DIR "/run.sh", "repo/run.sh");
    write_file("repo/setup.sh", "#!/bin/sh\n");
    write_file("repo/tools/cmake",
               "#!/bin/sh\n"
               "case \"$1\" in --build) mkdir -p build && cp '" + (folder_ / "kelo-basic").string() +
                   "' build/kelo-basic ;; esac\n");
    for (const char* script : {"repo/run.sh", "repo/setup.sh", "repo/tools/cmake"}) {
      std::filesystem::permissions(script, std::filesystem::perms(0755));
    }
  }
};

TEST_F(RunScript, KeepsTheCallersFolder) {
  write_file("user/HELLO.TIB", "10 PRINT 42\r\n");
  write_file("user/script", "SAVE MINE\n");
  const int status = shell("cd user && PATH=\"" + (folder_ / "repo/tools").string() +
                           ":$PATH\" ../repo/run.sh HELLO < script > out 2> err");
  EXPECT_EQ(status, 0) << read_file("user/err");
  EXPECT_EQ(read_file("user/out"), Lines({": load HELLO:run", "[Ok]", "42", ": SAVE MINE", "[Ok]", ":"}));
  EXPECT_EQ(read_file("user/MINE.TIB"), "10 PRINT 42\r\n");
  EXPECT_FALSE(std::filesystem::exists("repo/MINE.TIB"));
  EXPECT_FALSE(std::filesystem::exists("repo/build/MINE.TIB"));
}

}  // namespace
