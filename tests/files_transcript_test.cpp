// FILES and its wide listing, and whole sessions of the real program that save, load and start a program.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <map>
#include <random>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/binary_session.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/session.h"

namespace {

std::vector<std::string> SplitRows(const std::string& text) {
  std::vector<std::string> rows;
  std::istringstream in(text);
  for (std::string row; std::getline(in, row);) rows.push_back(row);
  return rows;
}

// What FILES showed, taken apart: the heading row, the names row by row, the closing row.
struct WideListing {
  std::string heading;
  std::vector<std::vector<std::string>> name_rows;
  std::string closing;
  std::string trouble;  // empty when the rows have the wide form

  static WideListing Trouble(std::string what) {
    WideListing listing;
    listing.trouble = std::move(what);
    return listing;
  }

  std::multiset<std::string> names() const {
    std::multiset<std::string> all;
    for (const auto& row : name_rows) all.insert(row.begin(), row.end());
    return all;
  }
};

// `shown` ends with the prompt; the heading is the row that names `folder`, the closing row
// the last non-empty row, the names stand between them, each at a multiple of 16 columns.
// Names must hold no blank and be shorter than 16 characters.
WideListing ParseWideListing(const std::string& shown, const std::string& folder) {
  WideListing listing;
  std::vector<std::string> rows = SplitRows(shown);
  if (rows.empty() || rows.back() != ":") return WideListing::Trouble("no prompt at the end");
  rows.pop_back();
  while (!rows.empty() && rows.back().empty()) rows.pop_back();
  const auto heading = std::find_if(rows.begin(), rows.end(), [&](const std::string& row) {
    return row.find(folder) != std::string::npos;
  });
  if (heading == rows.end() || rows.end() - heading < 2) return WideListing::Trouble("no heading naming " + folder);
  listing.heading = *heading;
  listing.closing = rows.back();
  for (auto row = heading + 1; row != rows.end() - 1; ++row) {
    // cppcheck-suppress derefInvalidIteratorRedundantCheck ; the return above leaves two rows from the heading on
    if (row->empty()) continue;
    std::vector<std::string> names;
    size_t pos = 0;
    while ((pos = row->find_first_not_of(' ', pos)) != std::string::npos) {
      const size_t end = std::min(row->find(' ', pos), row->size());
      if (pos % 16 != 0) listing.trouble = "a name off the 16-column grid: " + *row;
      names.push_back(row->substr(pos, end - pos));
      pos = end;
    }
    if (names.size() > 5) listing.trouble = "more than five names in a row: " + *row;
    listing.name_rows.push_back(names);
  }
  return listing;
}

// The numbers of a row, thousands separators dropped.
std::vector<unsigned long long> NumbersIn(const std::string& row) {
  std::vector<unsigned long long> numbers;
  std::string digits;
  for (size_t i = 0; i <= row.size(); ++i) {
    const char c = i < row.size() ? row[i] : ' ';
    if (c >= '0' && c <= '9') {
      digits += c;
    } else if (c == ',' && !digits.empty() && i + 1 < row.size() && row[i + 1] >= '0' && row[i + 1] <= '9') {
      continue;
    } else if (!digits.empty()) {
      numbers.push_back(std::stoull(digits));
      digits.clear();
    }
  }
  return numbers;
}

bool Exists(const std::string& name) { return std::filesystem::exists(name); }

using Files = ScratchFolder;

TEST_F(Files, APatternListsTheMatchingNamesWithoutRegardToCase) {
  write_file("A.TIB", std::string(10, 'a'));
  write_file("b.tib", std::string(25, 'b'));
  write_file("Cc.Tib", std::string(100, 'c'));
  write_file("NOTES.TXT", "x");
  write_file("A.TIBX", "x");
  std::filesystem::create_directory("GAMES.TIB");
  Session session;
  const WideListing listing = ParseWideListing(session.Run("FILES *.TIB"), folder_.string());
  ASSERT_EQ(listing.trouble, "");
  EXPECT_EQ(listing.names(), (std::multiset<std::string>{"A.TIB", "b.tib", "Cc.Tib", "[GAMES.TIB]"}));
  EXPECT_EQ(NumbersIn(listing.closing), (std::vector<unsigned long long>{3, 135}));  // folders do not count
  EXPECT_NE(listing.closing.find("bytes"), std::string::npos) << listing.closing;
  EXPECT_FALSE(Exists("dirout.$$$"));
  EXPECT_EQ(session.State().file_name, " *.TIB");  // the pattern as typed, its blank included
}

TEST_F(Files, QuestionMarksAndFolders) {
  for (const char* name : {"A.TIB", "B.TIB", "AB.TIB"}) write_file(name, "xx");
  std::filesystem::create_directory("SUB");
  write_file("SUB/IN1.TIB", "1234");
  write_file("SUB/IN2.TXT", "123");
  Session session;

  WideListing listing = ParseWideListing(session.Run("FILES ?.tib"), folder_.string());
  ASSERT_EQ(listing.trouble, "");
  EXPECT_EQ(listing.names(), (std::multiset<std::string>{"A.TIB", "B.TIB"}));
  EXPECT_EQ(NumbersIn(listing.closing), (std::vector<unsigned long long>{2, 4}));

  // A folder, with "\" or "/", alone or with a name pattern.
  const std::string sub = (folder_ / "SUB").string();
  for (const char* typed : {"FILES SUB", "FILES SUB\\*.TIB", "FILES SUB/IN?.*"}) {
    SCOPED_TRACE(typed);
    listing = ParseWideListing(session.Run(typed), sub);
    ASSERT_EQ(listing.trouble, "");
    const bool all = std::string(typed).find("TIB") == std::string::npos;
    EXPECT_EQ(listing.names(), (all ? std::multiset<std::string>{"IN1.TIB", "IN2.TXT"}
                                    : std::multiset<std::string>{"IN1.TIB"}));
    EXPECT_EQ(NumbersIn(listing.closing), (all ? std::vector<unsigned long long>{2, 7}
                                               : std::vector<unsigned long long>{1, 4}));
  }
  EXPECT_EQ(names_in("SUB"), (std::vector<std::string>{"IN1.TIB", "IN2.TXT"}));
  EXPECT_FALSE(Exists("dirout.$$$"));
}

TEST_F(Files, WithoutAPatternEverythingIsListedInFiveColumns) {
  std::vector<std::string> mine;
  unsigned long long total = 0;
  for (int n = 1; n <= 12; ++n) {
    const std::string name = "FILE" + std::to_string(n) + ".TIB";
    write_file(name, std::string(static_cast<size_t>(n), 'x'));
    mine.push_back(name);
    total += static_cast<unsigned long long>(n);
  }
  std::filesystem::create_directory("GAMES");
  Session session;
  const WideListing listing = ParseWideListing(session.Run("FILES"), folder_.string());
  ASSERT_EQ(listing.trouble, "");

  // The listing never counts itself.
  std::multiset<std::string> expected(mine.begin(), mine.end());
  expected.insert("[GAMES]");
  EXPECT_EQ(listing.names(), expected);
  EXPECT_EQ(NumbersIn(listing.closing), (std::vector<unsigned long long>{12, total}));
  // 13 names in rows of five.
  ASSERT_EQ(listing.name_rows.size(), 3u);
  EXPECT_EQ(listing.name_rows[0].size(), 5u);
  EXPECT_EQ(listing.name_rows[1].size(), 5u);
  EXPECT_FALSE(Exists("dirout.$$$"));
}

TEST_F(Files, APatternThatMatchesNothing) {
  write_file("A.TIB", "x");
  Session session;
  EXPECT_EQ(session.Run("FILES *.XYZ"), "File Not Found\n:");
  EXPECT_EQ(session.Run("FILES NOSUCH\\*"), "File Not Found\n:");
  EXPECT_FALSE(Exists("dirout.$$$"));
}

TEST_F(Files, ThePatternEndsAtAColonAndStatementsFollow) {
  write_file("A.TIB", "10 REM A\r\n");
  Session session;
  session.Run("10 PRINT 1");
  const std::vector<std::string> rows = SplitRows(session.Run("FILES *.TIB:LIST"));
  ASSERT_GE(rows.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(rows.end() - 3, rows.end()),
            (std::vector<std::string>{"10 PRINT 1", "Listed 1 lines", ":"}));
  EXPECT_EQ(session.State().file_name, " *.TIB");

  // In a stored line too, and more than once.
  session.RunAll({"NEW", "10 FILES *.XYZ:FILES *.XYZ", "20 PRINT 2"});
  EXPECT_EQ(session.Run("RUN"), "File Not Found\nFile Not Found\n2\n:");
}

TEST_F(Files, ThePatternNeverReachesAShell) {
  write_file("A.TIB", "x");
  Session session;
  for (const char* typed : {"FILES ;touch HACKED", "FILES $(touch HACKED)", "FILES `touch HACKED`",
                            "FILES x & touch HACKED", "FILES | touch HACKED", "FILES > HACKED",
                            "FILES *.TIB /w  > HACKED"}) {
    SCOPED_TRACE(typed);
    session.Run(typed);
    EXPECT_FALSE(Exists("HACKED"));
    EXPECT_FALSE(Exists("dirout.$$$"));
  }
  EXPECT_EQ(names_here(), std::vector<std::string>{"A.TIB"});
}

TEST_F(Files, AUsersFileOrLinkNamedLikeTheListingIsLeftAlone) {
  write_file("dirout.$$$", "my notes");
  write_file("A.TIB", "xy");
  std::filesystem::create_directory("SUB");
  write_file("SUB/B.TIB", "xyz");
  std::filesystem::create_symlink("../A.TIB", "SUB/dirout.$$$");
  Session session;
  for (int pass = 0; pass < 2; ++pass) {
    WideListing listing = ParseWideListing(session.Run("FILES *.TIB"), folder_.string());
    ASSERT_EQ(listing.trouble, "");
    EXPECT_EQ(listing.names(), std::multiset<std::string>{"A.TIB"});
    listing = ParseWideListing(session.Run("FILES"), folder_.string());
    ASSERT_EQ(listing.trouble, "");
    EXPECT_EQ(listing.names(), (std::multiset<std::string>{"A.TIB", "dirout.$$$", "[SUB]"}));
  }
  std::filesystem::current_path("SUB");  // a link named like the listing, into the folder above
  const WideListing listing = ParseWideListing(session.Run("FILES *.TIB"), (folder_ / "SUB").string());
  ASSERT_EQ(listing.trouble, "");
  EXPECT_EQ(listing.names(), std::multiset<std::string>{"B.TIB"});
  std::filesystem::current_path(folder_);
  EXPECT_EQ(read_file("dirout.$$$"), "my notes");
  EXPECT_EQ(read_file("A.TIB"), "xy");
  EXPECT_TRUE(std::filesystem::is_symlink("SUB/dirout.$$$"));
}

TEST_F(Files, AFailedLoadNeverLocksFilesOut) {
  std::string big;
  for (int n = 1; n <= 300; ++n) big += std::to_string(n) + " REM\r\n";
  write_file("BIG.TIB", big);
  write_file("A.TIB", "x");
  Session session;
  EXPECT_EQ(session.Run("LOAD BIG"), "Error  9\n:");
  const WideListing listing = ParseWideListing(session.Run("FILES A.TIB"), folder_.string());
  ASSERT_EQ(listing.trouble, "");
  EXPECT_EQ(listing.names(), std::multiset<std::string>{"A.TIB"});
  EXPECT_FALSE(Exists("dirout.$$$"));
}

// Whole sessions: a copy of the real program in a folder of its own, which it makes
// current, fed a script on its standard input from another folder.
using ProgramSession = BinarySession;

TEST_F(ProgramSession, AProgramSavedInOneSessionRunsAtTheStartOfTheNext) {
  Outcome outcome = run("10 FOR I=1 TO 3\n20 PRINT I*7\n30 NEXT I\nSAVE game\n");
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines(WithBanner({": 10 FOR I=1 TO 3", ": 20 PRINT I*7", ": 30 NEXT I", ": SAVE game",
                                              "[Ok]", ":"})));
  EXPECT_EQ(read_file("GAME.TIB"), "10 FOR I=1 TO 3\r\n20 PRINT I*7\r\n30 NEXT I\r\n");

  outcome = run("LIST\n", {.arguments = "GAME"});
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines({": load GAME:run", "[Ok]", "7", "14", "21", ": LIST", "10 FOR I=1 TO 3",
                                   "20 PRINT I*7", "30 NEXT I", "Listed 3 lines", ":"}));

  outcome = run("", {.arguments = "NOGAME"});
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output, Lines({": load NOGAME:run", "#Err: File NOGAME.TIB not found", ":"}));
  EXPECT_EQ(names_here(), (std::vector<std::string>{"GAME.TIB", "err", "kelo-basic", "out", "script"}));
}

// Where the folder may not be written but the file may, the file is rewritten: a save that
// fails there is worse than one that is not whole at every moment.
TEST_F(ProgramSession, ASaveIntoAReadOnlyFolderRewritesAWritableFileAndMakesNoOther) {
  write_file("OLD.TIB", "10 REM OLD\r\n");
  write_file("script", "10 PRINT 1\nSAVE OLD\nSAVE NEW\nFILES *.TIB\nNEW\nLOAD OLD\nLIST\n");
  write_file("out", "");  // the caller's redirections need them when the folder is read-only
  write_file("err", "");
  // The folder alone must refuse the new file: the old file may be written by anyone.
  chmod((folder_ / "OLD.TIB").c_str(), 0666);
  std::string prefix;
  if (geteuid() == 0) {
    // Folder permissions do not stop root: run as nobody in a folder that root owns.
    chmod(folder_.c_str(), 0755);
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups";
  } else {
    chmod(folder_.c_str(), 0555);
  }
  const std::vector<std::string> before = names_here();
  // The caller's shell opens the redirections before the change of user.
  const Outcome outcome = run_script({.prefix = prefix});
  ASSERT_EQ(outcome.status, 0) << read_file("err");
  // The listing needs no room on the disk: FILES works in a folder it cannot write.
  EXPECT_EQ(outcome.output,
            Lines(WithBanner({": 10 PRINT 1", ": SAVE OLD", "[Ok]", ": SAVE NEW", "Error  70", ": FILES *.TIB", "",
                              " Directory of " + folder_.string(), "", "OLD.TIB",
                              "               1 File(s)             12 bytes", "", ": NEW", ": LOAD OLD", "[Ok]",
                              ": LIST", "10 PRINT 1", "Listed 1 lines", ":"})));
  EXPECT_EQ(read_file("OLD.TIB"), "10 PRINT 1\r\n");
  EXPECT_EQ(names_here(), before);
  struct stat info;
  ASSERT_EQ(stat("OLD.TIB", &info), 0);
  EXPECT_EQ(info.st_uid, 0u + geteuid());  // still the owner's, not the saver's
}

// Another user's links and files in a folder such as /tmp, where anyone may put them: SAVE
// follows no link of a stranger's and writes into no stranger's file there.
TEST_F(ProgramSession, ASaveIntoASharedStickyFolderLeavesWhatAStrangerPutThereAlone) {
  if (geteuid() != 0) GTEST_SKIP() << "two other users are needed: run as root";
  constexpr int kSaver = 65534, kStranger = 65533;
  chmod(folder_.c_str(), 0755);
  std::filesystem::create_directory("tmp");
  chmod("tmp", 01777);
  std::filesystem::create_directory("home");
  write_file("home/GAME.TIB", "10 REM THE SAVERS GAME\r\n");
  ASSERT_EQ(chown("home", kSaver, kSaver), 0);
  ASSERT_EQ(chown("home/GAME.TIB", kSaver, kSaver), 0);
  // The stranger's trap: a link to the saver's own program, and a file anyone may write.
  std::filesystem::create_symlink(folder_ / "home" / "GAME.TIB", "tmp/PROG.TIB");
  ASSERT_EQ(lchown("tmp/PROG.TIB", kStranger, kStranger), 0);
  write_file("tmp/OPEN.TIB", "10 REM THE STRANGERS\r\n");
  ASSERT_EQ(chown("tmp/OPEN.TIB", kStranger, kStranger), 0);
  chmod("tmp/OPEN.TIB", 0666);
  // The saver's own link there is followed.
  std::filesystem::create_symlink(folder_ / "home" / "GAME.TIB", "tmp/MINE.TIB");
  ASSERT_EQ(lchown("tmp/MINE.TIB", kSaver, kSaver), 0);

  const Outcome outcome = run("10 REM NEW\nSAVE TMP\\PROG\nSAVE TMP\\OPEN\nSAVE TMP\\MINE\n",
                              {.prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups"});
  ASSERT_EQ(outcome.status, 0) << read_file("err");
  EXPECT_EQ(outcome.output, Lines(WithBanner({": 10 REM NEW", ": SAVE TMP\\PROG", "Error  70", ": SAVE TMP\\OPEN",
                                              "Error  70", ": SAVE TMP\\MINE", "[Ok]", ":"})));
  EXPECT_EQ(read_file("tmp/OPEN.TIB"), "10 REM THE STRANGERS\r\n");
  EXPECT_EQ(read_file("home/GAME.TIB"), "10 REM NEW\r\n");  // through the saver's own link only
  EXPECT_EQ(names_in("tmp"), (std::vector<std::string>{"MINE.TIB", "OPEN.TIB", "PROG.TIB"}));
  EXPECT_TRUE(std::filesystem::is_symlink("tmp/PROG.TIB"));
  EXPECT_TRUE(std::filesystem::is_symlink("tmp/MINE.TIB"));
}

// The system calls of a SAVE, in order: the new file must reach the disk before it takes the
// old one's place, and the folder after, so that a power cut after "[Ok]" leaves one of the
// two programs whole.
TEST_F(ProgramSession, SaveReachesTheDiskBeforeTheRenameAndTheFolderAfter) {
  if (shell("strace -o /dev/null true 2>/dev/null") != 0) GTEST_SKIP() << "strace cannot trace here";
  write_file("PROG.TIB", "10 REM OLD\r\n");
  const Outcome outcome =
      run("10 PRINT 1\nSAVE PROG\n",
          {.prefix = "ASAN_OPTIONS=detect_leaks=0 "  // the leak check cannot stop a traced process
                     "strace -f -e trace=openat,fsync,close,linkat,rename,renameat,renameat2 -o " +
                     (folder_ / "trace").string()});
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(read_file("PROG.TIB"), "10 PRINT 1\r\n");

  // Each call reduced to a step: "open temp", "fsync temp", "link temp", "rename", "open folder", ...
  const std::regex open_call(R"re(openat\(\d+, "\.", ([A-Z_|]*).*\) = (\d+))re");
  const std::regex fd_call(R"re((fsync|close)\((\d+)\))re");
  const std::regex link_call(R"re(linkat\(AT_FDCWD, "/proc/self/fd/\d+", \d+, "(\.kelo-\d+\.tmp)".*\) = 0)re");
  const std::regex rename_call(R"re(rename\w*\(\d+, "\.kelo-\d+\.tmp", \d+, "PROG\.TIB"\) = 0)re");
  std::map<std::string, std::string> fd_names;
  std::vector<std::string> steps;
  std::istringstream trace(read_file("trace"));
  for (std::string line; std::getline(trace, line);) {
    std::smatch match;
    if (std::regex_search(line, match, open_call)) {
      const std::string name = match[1].str().find("O_TMPFILE") != std::string::npos ? "temp" : "folder";
      fd_names[match[2]] = name;
      steps.push_back("open " + name);
    } else if (std::regex_search(line, match, fd_call)) {
      const std::string& name = fd_names[match[2]];
      if (!name.empty()) steps.push_back(match[1].str() + " " + name);
      if (match[1] == "close") fd_names.erase(match[2]);
    } else if (std::regex_search(line, link_call)) {
      steps.push_back("link temp");
    } else if (std::regex_search(line, rename_call)) {
      steps.push_back("rename");
    }
  }
  // The folder is read before, for temporaries left behind; what counts starts with the new file.
  const auto first = std::find(steps.begin(), steps.end(), "open temp");
  ASSERT_NE(first, steps.end()) << read_file("trace");
  EXPECT_EQ(std::vector<std::string>(first, steps.end()),
            (std::vector<std::string>{"open temp", "fsync temp", "link temp", "rename", "open folder", "fsync folder",
                                      "close folder", "close temp"}));
}

// A user who presses Ctrl+C twice while a SAVE is under way: the process ends at once, and the
// old program stays, with no temporary file beside it.
TEST_F(ProgramSession, ASecondCtrlCDuringASaveLeavesTheOldFileAndNoTemporary) {
  if (shell("strace -o /dev/null true 2>/dev/null") != 0) GTEST_SKIP() << "strace cannot trace here";
  write_file("PROG.TIB", "10 REM OLD\r\n");
  write_file("script", "10 PRINT 1\nSAVE PROG\n");
  // The save's flush to the disk is held up for 5 s; the trace shows when the save has begun.
  const int status = shell(
      "ASAN_OPTIONS=detect_leaks=0 strace -f -o trace -e trace=openat,fsync -e inject=fsync:delay_enter=5000000 "
      "./kelo-basic < script > out 2> err & "
      "for i in $(seq 3000); do grep -q O_TMPFILE trace && break; sleep 0.01; done; "
      "pid=$(pgrep -P $! kelo-basic); kill -INT \"$pid\"; "
      // Two at once would be one: the second is sent once the first has been taken.
      "for i in $(seq 3000); do m=$(sed -n 's/^ShdPnd:[[:space:]]*//p' /proc/$pid/status); "
      "[ $((0x$m & 2)) -eq 0 ] && break; sleep 0.01; done; kill -INT \"$pid\"; wait $!");
  EXPECT_EQ(status, 130) << read_file("err");
  EXPECT_EQ(read_file("PROG.TIB"), "10 REM OLD\r\n");
  EXPECT_EQ(names_here(), (std::vector<std::string>{"PROG.TIB", "err", "kelo-basic", "out", "script", "trace"}));
}

// kill -9 or a power cut at any moment of a SAVE: the file is the old program or the new one,
// whole, and nothing else is left that the next SAVE does not remove.
TEST_F(ProgramSession, AKillAtAnyMomentOfASaveLeavesTheOldProgramOrTheNewOne) {
  std::string programs[2];
  for (int n = 1; n <= 299; ++n) {
    programs[0] += std::to_string(n) + " REM " + std::string(100, 'a') + "\r\n";
    programs[1] += std::to_string(n) + " REM " + std::string(120, 'b') + "\r\n";
  }
  write_file("A.TIB", programs[0]);
  write_file("B.TIB", programs[1]);
  write_file("PROG.TIB", programs[0]);
  const std::vector<std::string> own = {"A.TIB", "B.TIB", "PROG.TIB", "err", "kelo-basic", "out", "script"};
  std::mt19937 random(15);
  int killed = 0;
  int left = 0;
  for (int round = 0; round < 50; ++round) {
    SCOPED_TRACE(round);
    // Nearly all of the session is spent saving.
    std::string script = round % 2 == 0 ? "LOAD B\n" : "LOAD A\n";
    for (int save = 0; save < 2000; ++save) script += "SAVE PROG\n";
    write_file("script", script);
    // The kill comes at a random moment once the first save has replaced the file (a new inode).
    const int delay_ms = static_cast<int>(random() % 40);
    const int status = shell(
        "old=$(stat -c %i PROG.TIB); ./kelo-basic < script > out 2> err & pid=$!; "
        "for i in $(seq 1000); do [ \"$(stat -c %i PROG.TIB)\" != \"$old\" ] && break; sleep 0.01; done; "
        "sleep 0." + std::to_string(1000 + delay_ms).substr(1) + "; kill -9 $pid; wait $pid");
    killed += status == 137;
    const std::string now = read_file("PROG.TIB");
    EXPECT_TRUE(now == programs[0] || now == programs[1]) << now.size() << " bytes";
    std::vector<std::string> names = names_here();
    // At most the temporary that this kill cut short between its two renames.
    const auto temporary = std::find_if(names.begin(), names.end(), [](const std::string& name) {
      return name.starts_with(".kelo-");
    });
    if (temporary != names.end()) {
      left += 1;
      names.erase(temporary);
    }
    EXPECT_EQ(names, own);
  }
  EXPECT_GE(killed, 45) << "the kills must come while the session saves";
  // The next SAVE removes what a kill left, and FILES shows the program files alone.
  const Outcome outcome = run("LOAD PROG\nSAVE PROG\nFILES\n");
  ASSERT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.output.find(".kelo-"), std::string::npos) << outcome.output;
  EXPECT_EQ(names_here(), own);
  std::cout << "[ kills ] " << killed << " of 50 during a session, " << left << " left a temporary\n";
}

}  // namespace
