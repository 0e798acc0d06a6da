// Faults from outside: a full disk, a save cut short by a signal, hostile program files, and
// long runs of host errors.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "platform/core/file_one.h"
#include "tests/support/host_error_of.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

std::string NumberedLines(int count) {
  std::string text;
  for (int n = 1; n <= count; ++n) text += std::to_string(n) + " PRINT " + std::to_string(n) + "\r\n";
  return text;
}

// A small file system of its own, mounted on the folder "disk", which a test can fill up.
class FullDisk : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    if (HasFatalFailure()) return;
    std::filesystem::create_directory("disk");
    if (mount("tmpfs", "disk", "tmpfs", 0, "size=64k") != 0) {
      GTEST_SKIP() << "cannot mount a small file system here (" << std::strerror(errno)
                   << "); a full disk is not tried";
    }
    mounted_ = true;
  }
  void TearDown() override {
    if (mounted_) umount2((folder_ / "disk").c_str(), MNT_DETACH);
    ScratchFolder::TearDown();
  }
  // Writes until the file system refuses.
  static void Fill(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    ASSERT_NE(file, nullptr);
    const std::string block(4096, 'f');
    while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {
    }
    std::fclose(file);
  }

  bool mounted_ = false;
};

TEST_F(FullDisk, SaveLeavesTheOldFileIntactAndShowsTheHostError) {
  write_file("disk/PROG.TIB", "10 REM OLD\r\n");
  Fill("disk/FILLER");
  Session session;
  for (int n = 1; n <= 30; ++n) session.Run(std::to_string(n) + " REM " + std::string(60, 'x'));
  EXPECT_EQ(session.Run("SAVE DISK\\PROG"), "Error  75\n:");
  EXPECT_EQ(session.Run("SAVE DISK\\NEW"), "Error  75\n:");
  EXPECT_EQ(read_file("disk/PROG.TIB"), "10 REM OLD\r\n");
  EXPECT_EQ(names_in("disk"), (std::vector<std::string>{"FILLER", "PROG.TIB"}));  // no half-written copy

  // Room again: the same statement saves, and file 1 was free all along.
  std::filesystem::remove("disk/FILLER");
  EXPECT_EQ(session.Run("SAVE DISK\\PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Run("LOAD DISK\\PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Program().size(), 30u);
  EXPECT_EQ(names_in("disk"), std::vector<std::string>{"PROG.TIB"});
}

// A file with another hard link is rewritten in place: the room for the new text is taken
// before a byte of the old one is overwritten.
TEST_F(FullDisk, ARewriteInPlaceFindsNoRoomAndLeavesTheFileWhole) {
  chmod("disk", 0755);  // a new file system's top folder is sticky and anyone's, where links are parted
  const std::string old_text = NumberedLines(5);
  write_file("disk/PROG.TIB", old_text);
  std::filesystem::create_hard_link("disk/PROG.TIB", "disk/SAME.TIB");
  Fill("disk/FILLER");
  Session session;
  // More than the page that the old text has.
  for (int n = 1; n <= 100; ++n) session.Run(std::to_string(n) + " REM " + std::string(60, 'x'));
  EXPECT_EQ(session.Run("SAVE DISK\\PROG"), "Error  75\n:");
  EXPECT_EQ(read_file("disk/SAME.TIB"), old_text);
  EXPECT_EQ(names_in("disk"), (std::vector<std::string>{"FILLER", "PROG.TIB", "SAME.TIB"}));
  std::filesystem::remove("disk/FILLER");
  EXPECT_EQ(session.Run("SAVE DISK\\PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Run("LOAD DISK\\SAME"), "[Ok]\n:");
  EXPECT_EQ(session.Program().size(), 100u);
}

using SaveCutShort = ScratchFolder;

// What a front end's signal handler does before it ends the process.
void OnSignal(int) { remove_pending_temporary_file(); }

std::string TemporaryOf(pid_t pid) { return ".kelo-" + std::to_string(pid) + ".tmp"; }

// A named temporary is the only kind that outlives its save; the handler removes it.
TEST_F(SaveCutShort, ASignalHandlerRemovesTheTemporaryFile) {
  write_file("PROG.TIB", "10 REM OLD\r\n");
  struct sigaction action = {};
  struct sigaction old_action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGUSR1, &action, &old_action);

  {
    ReplacementFile out("PROG.TIB", Temporary::Named);
    out.write("10 REM NEW\r\n");
    ASSERT_EQ(names_here(), (std::vector<std::string>{TemporaryOf(getpid()), "PROG.TIB"}));
    raise(SIGUSR1);
    EXPECT_EQ(names_here(), std::vector<std::string>{"PROG.TIB"});
    EXPECT_EQ(host_error_of([&] { out.commit(); }), 75u);  // had the process gone on: nothing replaced
  }
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM OLD\r\n");

  // Once a save is over there is nothing to remove: the new file stays.
  for (Temporary kind : {Temporary::Named, Temporary::Unnamed}) {
    {
      ReplacementFile out("PROG.TIB", kind);
      out.write("10 REM NEW\r\n");
      out.commit();
    }
    raise(SIGUSR1);
    EXPECT_EQ(read_file("PROG.TIB"), "10 REM NEW\r\n");
    EXPECT_EQ(names_here(), std::vector<std::string>{"PROG.TIB"});
  }
  sigaction(SIGUSR1, &old_action, nullptr);
}

TEST_F(SaveCutShort, AProcessThatEndsMeanwhileLeavesNoTemporaryFile) {
  write_file("PROG.TIB", "10 REM OLD\r\n");
  for (Temporary kind : {Temporary::Named, Temporary::Unnamed}) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {  // a front end that ends the process while the program thread saves
      ReplacementFile out("PROG.TIB", kind);  // std::exit leaves it undestroyed
      out.write("10 REM NEW\r\n");
      std::exit(names_here().size() == (kind == Temporary::Named ? 2 : 1) ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(names_here(), std::vector<std::string>{"PROG.TIB"});
    EXPECT_EQ(read_file("PROG.TIB"), "10 REM OLD\r\n");
  }
}

TEST_F(SaveCutShort, EveryOtherWayOutRemovesTheTemporaryFile) {
  write_file("PROG.TIB", "10 REM OLD\r\n");
  {
    FileOne file;
    file.open("PROG.TIB", FileMode::Output);
    file.print("10 REM NEW");
  }  // the program ends with the save unfinished
  {
    FileOne file;
    file.open("PROG.TIB", FileMode::Output);
    file.abandon();  // a host error abandons the statement
  }
  {
    ReplacementFile out("PROG.TIB", Temporary::Named);
    out.write("10 REM NEW\r\n");
  }
  EXPECT_EQ(names_here(), std::vector<std::string>{"PROG.TIB"});
  remove_pending_temporary_file();  // nothing pending: nothing happens
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM OLD\r\n");
}

// A kill -9 (or a power cut) leaves a named temporary behind; the next save in its folder
// removes it, and only such a one: a save of a live process, or another name, stays.
TEST_F(SaveCutShort, TheNextSaveRemovesTheTemporaryOfAProcessThatIsGone) {
  write_file("PROG.TIB", "10 REM OLD\r\n");
  int ready[2];
  ASSERT_EQ(pipe(ready), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    ReplacementFile out("PROG.TIB", Temporary::Named);
    out.write("10 REM HALF");
    if (write(ready[1], "x", 1) != 1) std::_Exit(2);
    pause();  // until the kill
    std::_Exit(1);
  }
  char byte = 0;
  ASSERT_EQ(read(ready[0], &byte, 1), 1);
  close(ready[0]);
  close(ready[1]);
  kill(child, SIGKILL);
  ASSERT_EQ(waitpid(child, nullptr, 0), child);
  const std::string stale = TemporaryOf(child);
  ASSERT_EQ(names_here(), (std::vector<std::string>{stale, "PROG.TIB"}));

  const pid_t parent = getppid();  // alive, and saving for all this test knows
  const std::vector<std::string> kept = {TemporaryOf(parent), ".kelo-12x.tmp", ".kelo-.tmp", "kelo-1.tmp"};
  for (const std::string& name : kept) write_file(name, "not stale");
  std::filesystem::create_directory(TemporaryOf(child + 100000000));  // a folder is never removed
  FileOne file;
  file.open("NEW.TIB", FileMode::Output);
  file.print("10 REM NEW");
  file.close();
  for (const std::string& name : kept) EXPECT_TRUE(std::filesystem::exists(name)) << name;
  EXPECT_FALSE(std::filesystem::exists(stale));
  EXPECT_TRUE(std::filesystem::is_directory(TemporaryOf(child + 100000000)));
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM OLD\r\n");
}

using HostileProgramFile = ScratchFolder;

TEST_F(HostileProgramFile, LoadsAsFarAsTheStoreGoesAndTheSessionGoesOn) {
  std::mt19937 random(11);
  std::string garbage;
  while (garbage.size() < 16384) {
    const char byte = static_cast<char>(random() & 0xFF);
    if (byte != 26) garbage += byte;  // a 26 would end the file early
  }
  garbage += '\x1a';
  garbage += "10 NEVER LOADED\r\n";
  const std::string long_line = "10 REM " + std::string(1 << 20, 'x');

  const struct {
    const char* what;
    std::string bytes;
    std::string shows;
  } cases[] = {
      {"binary garbage", garbage, "[Ok]\n:"},
      {"a 1 MB line without a line end", long_line, "[Ok]\n:"},
      {"100,000 lines", NumberedLines(100000), "Error  9\n:"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    write_file("BAD.TIB", c.bytes);
    Session session;
    EXPECT_EQ(session.Run("LOAD BAD"), c.shows);
    // Saving what was loaded and loading it again gives the same lines.
    EXPECT_EQ(session.Run("SAVE COPY"), "[Ok]\n:");
    const std::vector<std::string> loaded = session.Program();
    EXPECT_EQ(session.Run("LOAD COPY"), "[Ok]\n:");
    EXPECT_TRUE(session.Program() == loaded);
    EXPECT_EQ(session.Run("PRINT 3"), "3\n:");
  }

  // The store holds what fits, and lines of any length whole.
  write_file("BAD.TIB", NumberedLines(100000));
  Session session;
  session.Run("LOAD BAD");
  const std::vector<std::string> program = session.Program();
  ASSERT_EQ(program.size(), 299u);
  EXPECT_EQ(program.back(), "299 PRINT 299");
  write_file("BAD.TIB", long_line);
  EXPECT_EQ(session.Run("LOAD BAD"), "[Ok]\n:");
  EXPECT_TRUE(session.Program() == std::vector<std::string>{long_line});
  std::string listed = session.Run("LIST");
  std::erase(listed, '\n');  // the line, row by row, then the count
  EXPECT_TRUE(listed == long_line + "Listed 1 lines:");
  EXPECT_EQ(session.Run("RUN"), ":");
  EXPECT_EQ(session.Run("SAVE LONG"), "[Ok]\n:");
  EXPECT_TRUE(read_file("LONG.TIB") == long_line + "\r\n");  // no megabyte of difference on failure
}

TEST_F(HostileProgramFile, APipeOrADeviceIsNoProgramFile) {
  ASSERT_EQ(mkfifo("PIPE.TIB", 0666), 0);
  std::filesystem::create_symlink("/dev/zero", "ZERO.TIB");
  Session session;
  session.Run("10 REM MINE");
  EXPECT_EQ(session.Run("LOAD PIPE"), "#Err: File PIPE.TIB not found\n:");  // not a wait for a writer
  EXPECT_EQ(session.Run("LOAD ZERO"), "#Err: File ZERO.TIB not found\n:");  // not an endless read
  EXPECT_EQ(session.Run("SAVE PIPE"), "#Err: File PIPE.TIB not found\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM MINE"});
}

TEST(HostErrors, AThousandInARowLeaveTheStackFlat) {
  Session session;
  session.RunAll({"10 A=7", "20 GOSUB 20"});
  EXPECT_EQ(session.Run("PRINT PEEK(-1)"), "Error  9\n:");
  const uintptr_t prompt_stack = session.Host().wait_stack_address();
  // Host errors of every kind the statements meet, from typed lines and from a running program.
  const char* failing[] = {"PRINT PEEK(-1)", "@(9000)=1", "POKE 1,2,3,4,5,6,7,8,9,10,11", "LOAD NOSUCH",
                           "RUN", "SAVE NOFOLDER\\X", "PRINT &H10000000000000000"};
  for (int i = 0; i < 1000; ++i) session.Run(failing[i % std::size(failing)]);
  EXPECT_EQ(session.Host().wait_stack_address(), prompt_stack);
  EXPECT_EQ(session.Run("GOTO 10"), "Error  9\n:");  // line 20's GOSUBs fill the return stack
  EXPECT_EQ(session.Variable('A'), 7);
  EXPECT_EQ(session.Run("PRINT 3"), "3\n:");
}

}  // namespace
