// SAVE and LOAD: the file name rule, the program file's bytes, their failures, and the program named at start-up.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

// Every name in the current folder, sorted; temporaries left behind show up here.
std::vector<std::string> NamesHere() {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(".")) names.push_back(entry.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

// The store's slots from 27 on, up to and including the last non-empty one.
std::vector<std::string> Slots(const Session& session) {
  std::vector<std::string> slots;
  for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) {
    slots.push_back(session.State().program_lines[slot]);
  }
  while (!slots.empty() && slots.back().empty()) slots.pop_back();
  return slots;
}

std::string NumberedLines(int count, const std::string& line_end) {
  std::string text;
  for (int n = 1; n <= count; ++n) text += std::to_string(n) + " PRINT " + std::to_string(n) + line_end;
  return text;
}

using ProgramFileName = ScratchFolder;

TEST_F(ProgramFileName, SaveNamesTheFileByTheRule) {
  struct Case {
    std::string typed;
    std::string file;
    std::string shows;
  };
  const std::string ok = "[Ok]\n:";
  const Case cases[] = {
      {"SAVE PROG", "PROG.TIB", ok},
      {"save prog.tib", "PROG.TIB", ok},
      {"SAVE X.TXT", "X.TXT.TIB", ok},
      {"SAVE A.TIBX", "A.TIBX", ok},
      {"SAVE a.tib.old", "A.TIB.OLD", ok},         // ".TIB" anywhere in the name
      {"SAVE  PROG", " PROG.TIB", ok},             // only one blank is passed over
      {"SAVE PROG :PRINT 1", "PROG .TIB", "[Ok]\n1\n:"},  // the blank before ":" stays too
      {"SAVE*PROG", "PROG.TIB", ok},               // the passed-over character may be anything
      {"SAVE \x82t\xE0", "\x82T\xE0.TIB", ok},     // only a to z change case
      {"SAVE", ".TIB", ok},
      {"SAVE:", ".TIB", ok},
      // The position rests just after the ":" that was passed over, on "LIST".
      {"SAVE:LIST", ".TIB", "[Ok]\n#Err: End of statement expected\n:"},
      {"SAVE X:LIST", "X.TIB", "[Ok]\n10 REM X\nListed 1 lines\n:"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Session session;
    session.Run("10 REM X");
    EXPECT_EQ(session.Run(c.typed), c.shows);
    EXPECT_EQ(NamesHere(), std::vector<std::string>{c.file});
    EXPECT_EQ(read_file(c.file), "10 REM X\r\n");
    EXPECT_EQ(session.State().file_name, c.file);
    std::filesystem::remove(c.file);
  }
}

TEST_F(ProgramFileName, LoadOfAMissingFileNamesItByTheRule) {
  struct Case {
    std::string typed;
    std::string name;
  };
  const Case cases[] = {
      {"LOAD PROG", "PROG.TIB"},
      {"load prog.tib", "PROG.TIB"},
      {"LOAD X.TXT", "X.TXT.TIB"},
      {"LOAD A.TIBX", "A.TIBX"},
      {"LOAD  PROG", " PROG.TIB"},
      {"LOAD", ".TIB"},
      {"LOAD:", ".TIB"},
      {"LOAD C:\\GAMES\\GAME", "C.TIB"},  // cut at the drive's ":"
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed);
    Session session;
    session.RunAll({"10 REM KEPT", "A=5"});
    EXPECT_EQ(session.Run(c.typed), "#Err: File " + c.name + " not found\n:");
    EXPECT_EQ(session.State().file_name, c.name);
    EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM KEPT"});
    EXPECT_EQ(session.Variable('A'), 5);
  }
}

TEST_F(ProgramFileName, LoadFindsTheFileWhateverTheCaseOfItsName) {
  std::filesystem::create_directory("games");
  write_file("games/Pong.tib", "10 REM PONG\r\n");
  write_file("prog.tib", "10 REM LOWER\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD prog"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM LOWER"});
  EXPECT_EQ(session.Run("LOAD GAMES\\PONG"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM PONG"});
  EXPECT_EQ(session.Run("LOAD games/pong"), "[Ok]\n:");

  // Two names that differ only in case: the one the rule produces wins.
  write_file("PROG.TIB", "10 REM UPPER\r\n");
  write_file("Prog.Tib", "10 REM MIXED\r\n");
  EXPECT_EQ(session.Run("LOAD Prog"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM UPPER"});

  // SAVE over a file whose name differs only in case replaces it instead of adding a twin.
  std::filesystem::remove("PROG.TIB");
  std::filesystem::remove("Prog.Tib");
  session.Run("NEW");
  session.Run("20 REM SAVED");
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  EXPECT_EQ(NamesHere(), (std::vector<std::string>{"games", "prog.tib"}));
  EXPECT_EQ(read_file("prog.tib"), "20 REM SAVED\r\n");
}

TEST_F(ProgramFileName, AFolderInTheNameIsFoundWhateverItsCase) {
  std::filesystem::create_directory("SUB");
  std::filesystem::create_directory("games");
  write_file("games/Pong.tib", "10 REM PONG\r\n");
  Session session;
  session.Run("10 REM X");
  EXPECT_EQ(session.Run("SAVE SUB\\A"), "[Ok]\n:");
  EXPECT_EQ(read_file("SUB/A.TIB"), "10 REM X\r\n");
  EXPECT_EQ(session.Run("LOAD SUB/A"), "[Ok]\n:");
  EXPECT_EQ(session.Run("LOAD games\\pong"), "[Ok]\n:");
  // The folder exists, so a missing file in it is "not found", not a missing path (76).
  EXPECT_EQ(session.Run("LOAD games\\nothing"), "#Err: File GAMES\\NOTHING.TIB not found\n:");
}

TEST_F(ProgramFileName, SaveFindsAFolderWhateverItsCase) {
  std::filesystem::create_directory("games");
  Session session;
  session.Run("10 REM X");
  // The rule upper-cases the folder's name too; the existing folder must still take the file.
  EXPECT_EQ(session.Run("SAVE games\\b"), "[Ok]\n:");
  EXPECT_EQ(read_file("games/B.TIB"), "10 REM X\r\n");
  EXPECT_EQ(session.Run("LOAD games\\b"), "[Ok]\n:");
}

// The file system's limit on a name is the only one: 255 bytes here. A longer name, which only
// a loaded line can hold (a typed line has at most 255 characters), is a bad file name.
TEST_F(ProgramFileName, NamesAsLongAsTheFileSystemTakesAndNoLonger) {
  const std::string typed(246, 'T');  // 250 with ".TIB"
  const std::string longest(251, 'L');
  const std::string too_long(252, 'X');
  const std::string far_too_long(296, 'Y');
  write_file("RUNS.TIB", "10 SAVE " + longest + "\r\n20 SAVE " + too_long + "\r\n30 SAVE " + far_too_long +
                             "\r\n40 LOAD " + far_too_long + "\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD RUNS"), "[Ok]\n:");
  EXPECT_EQ(session.Run("SAVE " + typed), "[Ok]\n:");
  EXPECT_EQ(read_file(typed + ".TIB"), read_file("RUNS.TIB"));
  EXPECT_EQ(session.Run("RUN"), "[Ok]\nError  64\n:");
  EXPECT_EQ(read_file(longest + ".TIB"), read_file("RUNS.TIB"));
  EXPECT_EQ(session.Run("GOTO 30"), "Error  64\n:");
  EXPECT_EQ(session.Run("GOTO 40"), "Error  64\n:");
  EXPECT_EQ(NamesHere(), (std::vector<std::string>{longest + ".TIB", "RUNS.TIB", typed + ".TIB"}));
  EXPECT_EQ(session.Run("LOAD " + typed), "[Ok]\n:");
  EXPECT_EQ(session.Program().size(), 4u);
}

using SaveAndLoad = ScratchFolder;

TEST_F(SaveAndLoad, SaveWritesEveryLineAsTypedWithCrLf) {
  const std::vector<std::string> typed = {
      "10 print   \"a  b\"",
      std::string("20 REM \x01\x7F\x80\xDB\xFF\t~\0", 15),
      "30 A=1:B=2 : PRINT A;B",
      "40000 REM STORED AS -25536",
  };
  Session session;
  for (const std::string& line : typed) session.Run(line);
  const std::vector<std::string> stored = session.Program();
  ASSERT_EQ(stored.size(), typed.size());

  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  std::string expected;
  for (const std::string& line : stored) expected += line + "\r\n";  // in slot order
  EXPECT_EQ(read_file("PROG.TIB"), expected);
  EXPECT_EQ(NamesHere(), std::vector<std::string>{"PROG.TIB"});  // no temporary left behind

  session.Run("NEW");
  EXPECT_EQ(session.Run("LOAD PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), stored);
  EXPECT_EQ(session.Run("SAVE COPY"), "[Ok]\n:");
  EXPECT_EQ(read_file("COPY.TIB"), expected);
}

TEST_F(SaveAndLoad, AFileRoundTripsByteForByte) {
  // Any byte but CR, LF and 26 may stand in a line, and a line may be far longer than
  // the line editor would take.
  const std::string file = "10 REM " + std::string(1000, 'x') + "\r\n" + std::string("20 \0\x01\t\xFF\x7F", 8) +
                           "\r\n" + "no number\r\n" + "5 REM out of order\r\n" + "5 REM twice\r\n";
  write_file("IN.TIB", file);
  Session session;
  EXPECT_EQ(session.Run("LOAD IN"), "[Ok]\n:");
  EXPECT_EQ(session.Run("SAVE OUT"), "[Ok]\n:");
  EXPECT_EQ(read_file("OUT.TIB"), file);
}

TEST_F(SaveAndLoad, SaveReplacesWithoutAskingAndAnEmptyStoreWritesAnEmptyFile) {
  Session session;
  session.RunAll({"10 REM FIRST", "20 REM FIRST"});
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  session.RunAll({"NEW", "10 REM SECOND"});
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM SECOND\r\n");
  session.Run("NEW");
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  EXPECT_TRUE(std::filesystem::exists("PROG.TIB"));
  EXPECT_EQ(std::filesystem::file_size("PROG.TIB"), 0u);
  EXPECT_EQ(NamesHere(), std::vector<std::string>{"PROG.TIB"});
}

TEST_F(SaveAndLoad, EveryLineEndFormLoadsTheSameLines) {
  struct Case {
    const char* name;
    std::string bytes;
    std::vector<std::string> slots;
  };
  const std::vector<std::string> ab = {"10 A", "20 B"};
  const Case cases[] = {
      {"CR LF", "10 A\r\n20 B\r\n", ab},
      {"LF", "10 A\n20 B\n", ab},
      {"CR", "10 A\r20 B\r", ab},
      {"LF CR", "10 A\n\r20 B\n\r", ab},
      {"mixed", "10 A\r\n20 B\n", ab},
      {"last line without line end", "10 A\r\n20 B", ab},
      {"CR CR encloses an empty line", "10 A\r\r20 B", {"10 A", "", "20 B"}},
      {"LF LF encloses an empty line", "10 A\n\n20 B", {"10 A", "", "20 B"}},
      {"CR LF CR LF", "10 A\r\n\r\n20 B\r\n", {"10 A", "", "20 B"}},
      {"leading empty line", "\r\n10 A\r\n", {"", "10 A"}},
      {"byte 26 ends the file", "10 A\r\n20 B\x1A\r\n30 C\r\n", ab},
      {"byte 26 inside a line", "10 A\r\n20 B\x1A" "ZZ", ab},
      {"byte 26 first", "\x1A" "10 A\r\n", {}},
      {"empty file", "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write_file("IN.TIB", c.bytes);
    Session session;
    session.RunAll({"10 OLD", "20 OLD", "30 OLD", "40 OLD"});  // LOAD empties what it did not fill
    EXPECT_EQ(session.Run("LOAD IN"), "[Ok]\n:");
    EXPECT_EQ(Slots(session), c.slots);
  }
}

TEST_F(SaveAndLoad, LoadKeepsTheFileOrderAndChecksNothing) {
  write_file("IN.TIB", "20 PRINT 2\r\n10 PRINT 1\r\n20 PRINT 3\r\nPRINT 4\r\n0 PRINT 5\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD IN"), "[Ok]\n:");
  EXPECT_EQ(Slots(session),
            (std::vector<std::string>{"20 PRINT 2", "10 PRINT 1", "20 PRINT 3", "PRINT 4", "0 PRINT 5"}));
  EXPECT_EQ(session.Run("LIST"), "20 PRINT 2\n10 PRINT 1\n20 PRINT 3\nPRINT 4\n0 PRINT 5\nListed 5 lines\n:");
  EXPECT_EQ(session.Run("LIST 1,100"), "20 PRINT 2\n10 PRINT 1\n20 PRINT 3\nListed 3 lines\n:");
}

TEST_F(SaveAndLoad, AnEmptyLineEndsTheRunButNotTheListOrTheSave) {
  write_file("IN.TIB", "10 PRINT 1\r\n\r\n20 PRINT 2\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD IN"), "[Ok]\n:");
  EXPECT_EQ(Slots(session), (std::vector<std::string>{"10 PRINT 1", "", "20 PRINT 2"}));
  EXPECT_EQ(session.Run("RUN"), "1\n:");
  EXPECT_EQ(session.Run("LIST"), "10 PRINT 1\n20 PRINT 2\nListed 2 lines\n:");
  EXPECT_EQ(session.Run("SAVE OUT"), "[Ok]\n:");
  EXPECT_EQ(read_file("OUT.TIB"), "10 PRINT 1\r\n20 PRINT 2\r\n");
}

TEST_F(SaveAndLoad, LoadReplacesOnlyTheProgram) {
  write_file("IN.TIB", "10 PRINT A\r\n");
  Session session;
  session.RunAll({"A=5", "TRACE"});
  EXPECT_EQ(session.Run("LOAD IN:PRINT A"), "[Ok]\n5\n:");
  EXPECT_EQ(session.Variable('A'), 5);
  EXPECT_EQ(session.State().trace_on, -1);
  EXPECT_EQ(session.State().program_lines[kImmediateSlot], "LOAD IN:PRINT A");
}

TEST_F(SaveAndLoad, SaveInAStoredLineWritesTheProgramAndGoesOn) {
  Session session;
  session.RunAll({"10 SAVE SELF:PRINT 3", "20 PRINT 4"});
  EXPECT_EQ(session.Run("RUN"), "[Ok]\n3\n4\n:");
  EXPECT_EQ(read_file("SELF.TIB"), "10 SAVE SELF:PRINT 3\r\n20 PRINT 4\r\n");
}

TEST_F(SaveAndLoad, LoadInAStoredLineGoesOnAtTheSameSlotOfTheLoadedProgram) {
  write_file("NEXT.TIB", "10 PRINT 7\r\n20 PRINT 8\r\n30 PRINT 9\r\n");
  Session session;
  session.RunAll({"10 LOAD NEXT", "20 PRINT 99"});
  // Line 10 was slot 27; the run goes on with slot 28, now "20 PRINT 8".
  EXPECT_EQ(session.Run("RUN"), "[Ok]\n8\n9\n:");
}

TEST_F(SaveAndLoad, TwoHundredNinetyNineLinesFillTheStore) {
  write_file("FULL.TIB", NumberedLines(299, "\r\n"));
  Session session;
  EXPECT_EQ(session.Run("LOAD FULL"), "[Ok]\n:");
  const std::vector<std::string> program = session.Program();
  ASSERT_EQ(program.size(), 299u);
  EXPECT_EQ(program.front(), "1 PRINT 1");
  EXPECT_EQ(program.back(), "299 PRINT 299");
  EXPECT_EQ(session.Run("SAVE COPY"), "[Ok]\n:");
  EXPECT_EQ(read_file("COPY.TIB"), NumberedLines(299, "\r\n"));
}

TEST_F(SaveAndLoad, TheThreeHundredthLineIsError9AndFileOneIsClosedAgain) {
  write_file("TOOBIG.TIB", NumberedLines(300, "\n"));
  write_file("SMALL.TIB", "10 PRINT 1\r\n");
  Session session;
  session.Run("A=3");
  EXPECT_EQ(session.Run("LOAD TOOBIG"), "Error  9\n:");
  const std::vector<std::string> program = session.Program();
  ASSERT_EQ(program.size(), 299u);
  EXPECT_EQ(program.back(), "299 PRINT 299");
  EXPECT_EQ(session.Variable('A'), 3);

  // The failed LOAD must not leave file 1 open: the next file statements work.
  EXPECT_EQ(session.Run("LOAD SMALL"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 PRINT 1"});
  EXPECT_EQ(session.Run("SAVE OUT"), "[Ok]\n:");
  EXPECT_EQ(read_file("OUT.TIB"), "10 PRINT 1\r\n");
  EXPECT_EQ(session.Run("LOAD TOOBIG"), "Error  9\n:");
  EXPECT_EQ(session.Run("SAVE OUT2"), "[Ok]\n:");
  EXPECT_EQ(read_file("OUT2.TIB"), NumberedLines(299, "\r\n"));
}

TEST_F(SaveAndLoad, RefusedOpensKeepTheStoreAndLeaveFileOneFree) {
  std::filesystem::create_directory("FOLDER.TIB");
  write_file("GOOD.TIB", "10 REM GOOD\r\n");
  Session session;
  session.Run("10 REM MINE");
  EXPECT_EQ(session.Run("SAVE NOWHERE\\X"), "Error  76\n:");
  EXPECT_EQ(session.Run("LOAD NOWHERE\\X"), "Error  76\n:");
  EXPECT_EQ(session.Run("SAVE FOLDER"), "#Err: File FOLDER.TIB not found\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM MINE"});
  EXPECT_EQ(session.Run("LOAD GOOD"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM GOOD"});
  EXPECT_EQ(NamesHere(), (std::vector<std::string>{"FOLDER.TIB", "GOOD.TIB"}));
}

TEST_F(SaveAndLoad, ANulInALoadedNameIsError64AndTouchesNoFile) {
  write_file("SECRET.TXT", "10 REM SECRET\r\n");
  const std::string nul(1, '\0');
  write_file("EVIL.TIB", "10 SAVE RUN.SH" + nul + "\r\n20 LOAD SECRET.TXT" + nul + "\r\n30 PRINT 5\r\n");
  Session session;
  EXPECT_EQ(session.Run("LOAD EVIL"), "[Ok]\n:");
  EXPECT_EQ(session.Run("RUN"), "Error  64\n:");
  EXPECT_EQ(session.Run("GOTO 20"), "Error  64\n:");
  EXPECT_EQ(session.Run("GOTO 30"), "5\n:");  // the program and file 1 are as they were
  EXPECT_EQ(session.Program().size(), 3u);
  EXPECT_EQ(NamesHere(), (std::vector<std::string>{"EVIL.TIB", "SECRET.TXT"}));
}

// A failed save there is worse than one that is not whole at every moment.
TEST_F(SaveAndLoad, AWritableFileInAFolderThatCannotBeWrittenIsRewrittenInPlace) {
  if (geteuid() == 0) GTEST_SKIP() << "folder permissions do not stop root; the transcript test covers it";
  write_file("PROG.TIB", "10 REM OLD, AND LONGER THAN THE NEW TEXT\r\n");
  chmod("PROG.TIB", 0666);
  struct stat before;
  ASSERT_EQ(stat("PROG.TIB", &before), 0);
  chmod(".", 0555);
  Session session;
  session.Run("10 REM NEW");
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Run("SAVE OTHER"), "Error  70\n:");  // a new file cannot be made
  EXPECT_EQ(session.Run("SAVE OTHER"), "Error  70\n:");  // not 55: file 1 was closed
  EXPECT_EQ(session.Run("NEW"), ":");
  EXPECT_EQ(session.Run("LOAD PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM NEW"});
  chmod(".", 0755);
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM NEW\r\n");
  EXPECT_EQ(NamesHere(), std::vector<std::string>{"PROG.TIB"});
  struct stat after;
  ASSERT_EQ(stat("PROG.TIB", &after), 0);
  EXPECT_EQ(after.st_ino, before.st_ino);  // the same file
}

// The bytes this process has read so far (its reads of files, pipes and the like); -1 when
// the system does not count them.
long long BytesRead() {
  std::ifstream counts("/proc/self/io");
  for (std::string name; counts >> name;) {
    long long value = 0;
    counts >> value;
    if (name == "rchar:") return value;
  }
  return -1;
}

TEST_F(SaveAndLoad, LoadReadsNoFurtherThanTheStoreTakes) {
  std::string huge;
  huge.reserve(60'000'000);
  for (int n = 0; n < 10'000'000; ++n) huge += "1 REM\n";
  write_file("HUGE.TIB", huge);
  std::string().swap(huge);
  Session session;
  const long long before = BytesRead();
  if (before < 0) GTEST_SKIP() << "the system does not count the bytes a process reads";
  EXPECT_EQ(session.Run("LOAD HUGE"), "Error  9\n:");
  const long long read = BytesRead() - before;
  EXPECT_LT(read, 1'000'000) << "of 60,000,000 bytes";
  EXPECT_EQ(session.Program().size(), 299u);
  EXPECT_EQ(session.Run("SAVE COPY"), "[Ok]\n:");  // file 1 was let go
}

// Caps the size of files this process writes, so that a write fails as on a full disk.
class FileSizeLimit {
 public:
  // The write fails instead of ending the process.
  explicit FileSizeLimit(rlim_t bytes) : old_handler_(signal(SIGXFSZ, SIG_IGN)) {
    getrlimit(RLIMIT_FSIZE, &old_limit_);
    rlimit limit = old_limit_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_limit_);
    signal(SIGXFSZ, old_handler_);
  }
  FileSizeLimit(const FileSizeLimit&) = delete;
  FileSizeLimit& operator=(const FileSizeLimit&) = delete;

 private:
  rlimit old_limit_{};
  sighandler_t old_handler_ = SIG_DFL;
};

TEST_F(SaveAndLoad, AWriteThatFailsLeavesTheOldFileAndPrintsNoOk) {
  write_file("PROG.TIB", "10 REM OLD\r\n");
  Session session;
  for (int n = 1; n <= 30; ++n) session.Run(std::to_string(n) + " REM " + std::string(60, 'x'));
  {
    const FileSizeLimit limit(1000);  // the program needs about 2,000 bytes
    EXPECT_EQ(session.Run("SAVE PROG"), "Error  75\n:");
  }
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM OLD\r\n");
  EXPECT_EQ(NamesHere(), std::vector<std::string>{"PROG.TIB"});  // the partial copy is gone
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");                // and file 1 is free again
  std::string expected;
  for (const std::string& line : session.Program()) expected += line + "\r\n";
  EXPECT_EQ(read_file("PROG.TIB"), expected);
}

using SaveOntoWhatIsThere = ScratchFolder;

struct stat StatOf(const std::string& path) {
  struct stat info = {};
  EXPECT_EQ(lstat(path.c_str(), &info), 0) << path;
  return info;
}

TEST_F(SaveOntoWhatIsThere, ALinkIsFollowedToItsFileAndStaysALink) {
  std::filesystem::create_directory("real");
  write_file("real/REAL.TIB", "10 REM OLD\r\n");
  chmod("real/REAL.TIB", 0640);
  std::filesystem::create_symlink("real/REAL.TIB", "PROG.TIB");
  std::filesystem::create_symlink("PROG.TIB", "CHAIN.TIB");                      // a link to a link
  std::filesystem::create_symlink(folder_ / "real" / "NEW.TIB", "DANGLING.TIB");  // to no file yet
  std::filesystem::create_symlink("LOOP.TIB", "LOOP.TIB");
  const struct { const char* save; const char* file; const char* shows; } cases[] = {
      {"PROG", "real/REAL.TIB", "[Ok]\n:"},
      {"CHAIN", "real/REAL.TIB", "[Ok]\n:"},
      {"DANGLING", "real/NEW.TIB", "[Ok]\n:"},
      {"LOOP", nullptr, "#Err: File LOOP.TIB not found\n:"},
  };
  Session session;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.save);
    session.Run(std::string("10 REM ") + c.save);
    EXPECT_EQ(session.Run(std::string("SAVE ") + c.save), c.shows);
    if (c.file != nullptr) {
      EXPECT_EQ(read_file(c.file), std::string("10 REM ") + c.save + "\r\n");
    }
  }
  for (const char* link : {"PROG.TIB", "CHAIN.TIB", "DANGLING.TIB", "LOOP.TIB"}) {
    EXPECT_TRUE(std::filesystem::is_symlink(link)) << link;
  }
  EXPECT_EQ(StatOf("real/REAL.TIB").st_mode & 07777, 0640u);
  EXPECT_EQ(NamesHere(), (std::vector<std::string>{"CHAIN.TIB", "DANGLING.TIB", "LOOP.TIB", "PROG.TIB", "real"}));
  EXPECT_EQ(names_in("real"), (std::vector<std::string>{"NEW.TIB", "REAL.TIB"}));
  EXPECT_EQ(session.Run("LOAD PROG"), "[Ok]\n:");
  EXPECT_EQ(session.Program(), std::vector<std::string>{"10 REM CHAIN"});
}

// Anyone may plant a link in /tmp: there the kernel's rule for shared folders decides, whether
// or not the kernel itself enforces it, since SAVE reads the link instead of opening through it.
TEST_F(SaveOntoWhatIsThere, InAStickyFolderThatAnyoneMayWriteOnlyTheSaversOrTheOwnersLinksAreFollowed) {
  if (geteuid() != 0) GTEST_SKIP() << "only root can give a link to another user";
  constexpr uid_t kSaver = 0, kOwner = 4001, kStranger = 4002;
  std::filesystem::create_directory("mine");
  const struct { mode_t folder_mode; uid_t folder_owner; uid_t link_owner; bool followed; } cases[] = {
      {01777, kOwner, kSaver, true},      // the saver's own link
      {01777, kOwner, kOwner, true},      // the folder owner's
      {01777, kSaver, kSaver, true},
      {01777, kOwner, kStranger, false},  // planted
      {01777, kSaver, kStranger, false},  // planted in the saver's own shared folder
      {00777, kOwner, kStranger, true},   // not sticky: anyone could replace the file itself
      {01775, kOwner, kStranger, true},   // not writable by anyone
  };
  Session session;
  session.Run("10 REM NEW");
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << std::oct << c.folder_mode << std::dec << " folder of " << c.folder_owner
                                    << ", link of " << c.link_owner);
    write_file("mine/TARGET.TIB", "10 REM OLD\r\n");
    std::filesystem::create_directory("shared");
    std::filesystem::create_symlink(folder_ / "mine" / "TARGET.TIB", "shared/PROG.TIB");
    ASSERT_EQ(lchown("shared/PROG.TIB", c.link_owner, c.link_owner), 0);
    ASSERT_EQ(chown("shared", c.folder_owner, c.folder_owner), 0);
    ASSERT_EQ(chmod("shared", c.folder_mode), 0);
    EXPECT_EQ(session.Run("SAVE SHARED\\PROG"), c.followed ? "[Ok]\n:" : "Error  70\n:");
    EXPECT_EQ(read_file("mine/TARGET.TIB"), c.followed ? "10 REM NEW\r\n" : "10 REM OLD\r\n");
    EXPECT_TRUE(std::filesystem::is_symlink("shared/PROG.TIB"));
    EXPECT_EQ(names_in("shared"), std::vector<std::string>{"PROG.TIB"});
    std::filesystem::remove_all("shared");
  }
}

TEST_F(SaveOntoWhatIsThere, TheOwnerAndGroupStayWhereTheSaverMayGiveThem) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file to another user";
  write_file("PROG.TIB", "10 REM OLD\r\n");
  ASSERT_EQ(chown("PROG.TIB", 65534, 65534), 0);
  ASSERT_EQ(chmod("PROG.TIB", 0640), 0);
  Session session;
  session.Run("10 REM NEW");
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM NEW\r\n");
  const struct stat info = StatOf("PROG.TIB");
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
}

// A rename would part the file from its other names, which would go on showing the old
// program: the file is rewritten instead, and a disk too full for the new text leaves it whole.
TEST_F(SaveOntoWhatIsThere, AFileWithOtherHardLinksIsRewrittenInPlace) {
  write_file("PROG.TIB", "10 REM OLD\r\n");
  std::filesystem::create_directory("sub");
  std::filesystem::create_hard_link("PROG.TIB", "sub/SAME.TIB");
  Session session;
  session.Run("10 REM NEW");
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  EXPECT_EQ(read_file("sub/SAME.TIB"), "10 REM NEW\r\n");
  EXPECT_EQ(StatOf("PROG.TIB").st_ino, StatOf("sub/SAME.TIB").st_ino);
  EXPECT_EQ(session.Run("NEW"), ":");
  EXPECT_EQ(session.Run("SAVE SUB\\SAME"), "[Ok]\n:");  // the old text longer than the new
  EXPECT_EQ(read_file("PROG.TIB"), "");

  for (int n = 1; n <= 30; ++n) session.Run(std::to_string(n) + " REM " + std::string(60, 'x'));
  EXPECT_EQ(session.Run("SAVE PROG"), "[Ok]\n:");
  const std::string saved = read_file("PROG.TIB");
  session.Run("31 REM ONE MORE");
  {
    const FileSizeLimit limit(saved.size() + 10);  // room for the old text, not for the new
    EXPECT_EQ(session.Run("SAVE PROG"), "Error  75\n:");
  }
  EXPECT_EQ(read_file("sub/SAME.TIB"), saved);
  EXPECT_EQ(NamesHere(), (std::vector<std::string>{"PROG.TIB", "sub"}));
  EXPECT_EQ(names_in("sub"), std::vector<std::string>{"SAME.TIB"});
}

using StartUpProgram = ScratchFolder;

TEST_F(StartUpProgram, TheNamedProgramIsLoadedAndRun) {
  write_file("GAME.TIB", "10 A=6*7\r\n20 PRINT A\r\n");
  for (const char* name : {"GAME", "game", "game.tib"}) {
    Session session(name);
    EXPECT_EQ(session.Host().transcript(),
              (std::vector<std::string>{std::string(": load ") + name + ":run", "[Ok]", "42", ":"}))
        << name;
    EXPECT_EQ(session.Variable('A'), 42);
    EXPECT_EQ(session.Program().size(), 2u);
  }
  // Several arguments are joined by one blank into one name.
  write_file("MY GAME.TIB", "10 PRINT 5\r\n");
  Session session("MY GAME");
  EXPECT_EQ(session.Host().transcript(), (std::vector<std::string>{": load MY GAME:run", "[Ok]", "5", ":"}));
}

}  // namespace
