// The program as a user installs it: `cmake --install` into a prefix of its own, its manual
// page read with man, and sessions started from there in a folder of the user's.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "tests/window/virtual_display.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kTitle = "KELO BASIC 1.1/E for VEXO";
// A program that shows it ran and saves a copy of itself where it was loaded from.
constexpr const char* kGame = "10 PRINT \"HELLO FROM GAME\"\r\n20 SAVE DONE\r\n";

std::string ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFile(const fs::path& path, const std::string& bytes) { std::ofstream(path, std::ios::binary) << bytes; }

std::string Quoted(const fs::path& path) { return "'" + path.string() + "'"; }

class InstalledProgram : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/kelo-install-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    scratch_ = fs::canonical(name);
    chmod(scratch_.c_str(), 0755);  // man may read the page as a user of its own
    prefix_ = scratch_ / "prefix";
    folder_ = scratch_ / "games";
    fs::create_directories(folder_);
    WriteFile(folder_ / "GAME.TIB", kGame);
    ASSERT_EQ(run(std::string(CMAKE_COMMAND) + " --install " + Quoted(KELO_BUILD_DIR) + " --prefix " + Quoted(prefix_)),
              0)
        << output_;
  }
  void TearDown() override { fs::remove_all(scratch_); }

  // Runs a shell command; its exit status, with what it wrote to both outputs in output_
  // and to standard error alone in errors_.
  int run(const std::string& command) {
    const fs::path out = scratch_ / "out", err = scratch_ / "err";
    // NOLINTNEXTLINE(cert-env33-c): the install and man are driven through their command lines.
    const int status = std::system(("(" + command + ") > " + Quoted(out) + " 2> " + Quoted(err)).c_str());
    errors_ = ReadFile(err);
    output_ = ReadFile(out) + errors_;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  fs::path program() const { return prefix_ / "bin" / "kelo-basic"; }
  fs::path manual() const { return prefix_ / "share" / "man" / "man1" / "kelo-basic.1"; }

  fs::path scratch_, prefix_, folder_;
  std::string output_, errors_;
};

TEST_F(InstalledProgram, PutsTheProgramItsModuleManualAndReferenceUnderThePrefix) {
  EXPECT_TRUE(fs::is_regular_file(program()));
  EXPECT_EQ(access(program().c_str(), X_OK), 0);
  EXPECT_TRUE(fs::is_regular_file(prefix_ / "lib" / "kelo-basic" / "kelo-basic-window.so"));
  EXPECT_TRUE(fs::is_regular_file(manual()));
  EXPECT_TRUE(fs::is_regular_file(prefix_ / "share" / "doc" / "kelo-basic" / "reference.md"));
  // Nothing stands beside the program: the module is found where it is installed.
  EXPECT_EQ(std::distance(fs::directory_iterator(prefix_ / "bin"), fs::directory_iterator()), 1);
}

TEST_F(InstalledProgram, ManualPageReadsWithManAndFormatsWithoutAWarning) {
  // In a locale every system has, so that man has nothing to say about the user's.
  const std::string man = "LC_ALL=C.UTF-8 MANWIDTH=80 MANPAGER=cat MAN_DISABLE_SECCOMP=1 man -l ";
  ASSERT_EQ(run(man + Quoted(manual())), 0) << output_;
  EXPECT_EQ(errors_, "");
  const std::string page = output_;
  EXPECT_NE(page.find("KELO-BASIC(1)"), std::string::npos) << page;
  for (const char* heading : {"NAME", "SYNOPSIS", "DESCRIPTION", "FRONT ENDS", "PROGRAM FILES", "KEYS", "ENVIRONMENT",
                              "SIGNALS", "EXIT STATUS", "FILES"}) {
    EXPECT_NE(page.find("\n" + std::string(heading) + "\n"), std::string::npos) << heading;
  }
  for (const char* word : {"KELO_HOST", "SYSTEMROOT", "SIGTERM", "SIGHUP", "SIGINT", "SIGQUIT", "Ctrl+C", "Pause",
                           "NAME.TIB", "kelo-basic-window.so"}) {
    EXPECT_NE(page.find(word), std::string::npos) << word;
  }
  // Both formatters find nothing to warn about.
  EXPECT_EQ(run("groff -man -Tutf8 -ww -z " + Quoted(manual())), 0);
  EXPECT_EQ(output_, "");
  EXPECT_EQ(run("mandoc -Tlint " + Quoted(manual())), 0) << output_;
  EXPECT_EQ(output_, "");
}

TEST_F(InstalledProgram, StreamSessionRunsAProgramOfTheFolderItIsStartedIn) {
  // Found through PATH as a user starts it, from a pipe, in the user's own folder.
  ASSERT_EQ(run("cd " + Quoted(folder_) + " && env -u KELO_HOST PATH=" + Quoted(prefix_ / "bin") +
                ":\"$PATH\" timeout 30 kelo-basic GAME < /dev/null"),
            0)
      << output_;
  EXPECT_EQ(output_, ": load GAME:run\n[Ok]\nHELLO FROM GAME\n[Ok]\n:\n");
  EXPECT_EQ(ReadFile(folder_ / "DONE.TIB"), kGame);
}

// The installed program in its window, started in the user's folder; stopped when the test ends.
class WindowSession {
 public:
  WindowSession(const fs::path& program, const fs::path& folder, const std::string& display) : pid_(fork()) {
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test that dies takes the program along
      const int null = open("/dev/null", O_RDONLY);
      dup2(null, STDIN_FILENO);
      if (chdir(folder.c_str()) != 0) _exit(126);
      setenv("KELO_HOST", "window", 1);
      setenv("DISPLAY", display.c_str(), 1);
      execl(program.c_str(), program.c_str(), "GAME", static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~WindowSession() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;

  pid_t pid() const { return pid_; }
  // The exit status once the program has ended within 10 s; -1 when it has not, -2 when a
  // signal ended it.
  int wait_for_exit() {
    int status = 0;
    if (!eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; })) return -1;
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

TEST_F(InstalledProgram, WindowSessionLoadsTheInstalledModuleAndRunsAProgramOfTheFolderItIsStartedIn) {
  VirtualDisplay display;
  ASSERT_TRUE(display.running()) << "Xvfb did not start";
  WindowSession session(program(), folder_, display.name());
  const std::string window = find_window(kTitle);
  ASSERT_FALSE(window.empty()) << "no window titled " << kTitle;
  EXPECT_TRUE(eventually([&] { return ReadFile(folder_ / "DONE.TIB") == kGame; })) << "the program did not run";
  const std::string maps = ReadFile("/proc/" + std::to_string(session.pid()) + "/maps");
  EXPECT_NE(maps.find((prefix_ / "lib" / "kelo-basic" / "kelo-basic-window.so").string()), std::string::npos);
  // The close button ends the session with status 0.
  EXPECT_EQ(shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window), 0);
  EXPECT_EQ(session.wait_for_exit(), 0);
}

}  // namespace
