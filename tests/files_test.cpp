// Tests of file 1, delete_file and the wide directory listing.
#include "platform/core/file_one.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/core/dir_listing.h"
#include "tests/support/host_error_of.h"
#include "tests/support/scratch_folder.h"

namespace {

std::vector<std::string> read_lines(FileOne& file) {
  std::vector<std::string> lines;
  std::string line;
  while (!file.eof()) {
    file.line_input(line);
    lines.push_back(line);
  }
  return lines;
}

using FileOneInput = ScratchFolder;

TEST_F(FileOneInput, LineEndsAndEndOfFileByte) {
  const struct { const char* name; std::string bytes; std::vector<std::string> lines; } cases[] = {
      {"CR LF", "A\r\nB\r\n", {"A", "B"}},
      {"LF", "A\nB\n", {"A", "B"}},
      {"CR", "A\rB\r", {"A", "B"}},
      {"LF CR", "A\n\rB\n\r", {"A", "B"}},
      {"last line without line end", "A\r\nB", {"A", "B"}},
      {"CR CR holds an empty line", "A\r\rB", {"A", "", "B"}},
      {"empty lines", "\r\n\r\nX", {"", "", "X"}},
      {"byte 26 ends the file", std::string("A\r\nB\x1a" "C\r\n"), {"A", "B"}},
      {"byte 26 first: ended at once", std::string("\x1a" "ABC"), {}},
      {"empty file", "", {}},
      {"other bytes stay", std::string("\t\x00\xff", 3), {std::string("\t\x00\xff", 3)}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    write_file("IN.TXT", c.bytes);
    FileOne file;
    file.open("IN.TXT", FileMode::Input);
    EXPECT_EQ(read_lines(file), c.lines);
    EXPECT_TRUE(file.eof());
    std::string line = "kept";
    EXPECT_EQ(host_error_of([&] { file.line_input(line); }), 62u);
    EXPECT_EQ(line, "kept");
    file.close();
    EXPECT_FALSE(file.is_open());
  }
}

// The file is read in pieces as its lines are taken: a line, a line end or a byte 26 that
// falls where one piece ends and the next begins reads as anywhere else.
TEST_F(FileOneInput, LinesAndLineEndsAcrossThePiecesOfALargeFile) {
  const struct { const char* name; std::string tail; std::vector<std::string> after; } tails[] = {
      {"CR LF", "\r\nB", {"B"}},
      {"LF CR", "\n\rB", {"B"}},
      {"CR CR", "\r\rB", {"", "B"}},
      {"LF", "\nB\n", {"B"}},
      {"byte 26", std::string("\x1a" "B\r\n"), {}},
  };
  for (size_t length = 65533; length <= 65538; ++length) {
    for (const auto& t : tails) {
      SCOPED_TRACE(std::string(t.name) + " after " + std::to_string(length) + " bytes");
      const std::string first(length, 'a');
      write_file("IN.TXT", first + t.tail);
      FileOne file;
      file.open("IN.TXT", FileMode::Input);
      std::vector<std::string> expected{first};
      expected.insert(expected.end(), t.after.begin(), t.after.end());
      EXPECT_EQ(read_lines(file), expected);
      EXPECT_TRUE(file.eof());
    }
  }
  // A line of several pieces is taken whole.
  const std::string long_line(300000, 'x');
  write_file("IN.TXT", "A\r\n" + long_line + "\r\nB");
  FileOne file;
  file.open("IN.TXT", FileMode::Input);
  EXPECT_EQ(read_lines(file), (std::vector<std::string>{"A", long_line, "B"}));
}

TEST_F(FileOneInput, NamesMatchWithoutRegardToCase) {
  std::filesystem::create_directory("Sub");
  write_file("Sub/Prog.Tib", "mixed");
  write_file("twin.tib", "lower");
  write_file("TWIN.TIB", "upper");
  const struct { const char* name; const char* contents; } cases[] = {
      {"SUB\\PROG.TIB", "mixed"}, {"sub/prog.tib", "mixed"}, {"TWIN.TIB", "upper"}, {"twin.tib", "lower"},
      {"Twin.Tib", "upper"},  // no exact name: the first in byte order
  };
  for (const auto& c : cases) {
    FileOne file;
    file.open(c.name, FileMode::Input);
    std::string line;
    file.line_input(line);
    EXPECT_EQ(line, c.contents) << c.name;
  }
}

TEST_F(FileOneInput, ErrorNumbers) {
  write_file("plain.txt", "x");
  std::filesystem::create_directory("folder");
  const struct { const char* name; uint32_t code; } opens[] = {
      {"missing.tib", 53}, {"FOLDER\\missing.tib", 53}, {"nofolder\\x.tib", 76}, {"plain.txt/x", 76},
      {"folder", 53}, {"", 53},
  };
  for (const auto& c : opens) {
    FileOne file;
    EXPECT_EQ(host_error_of([&] { file.open(c.name, FileMode::Input); }), c.code) << '"' << c.name << '"';
    EXPECT_FALSE(file.is_open());
  }

  FileOne file;
  std::string line;
  EXPECT_EQ(host_error_of([&] { file.line_input(line); }), 52u);
  EXPECT_EQ(host_error_of([&] { file.eof(); }), 52u);
  EXPECT_EQ(host_error_of([&] { file.print("x"); }), 52u);
  EXPECT_EQ(host_error_of([&] { file.close(); }), 0u);
  file.open("plain.txt", FileMode::Input);
  EXPECT_EQ(host_error_of([&] { file.print("x"); }), 54u);
  EXPECT_EQ(host_error_of([&] { file.open("plain.txt", FileMode::Input); }), 55u);
  EXPECT_EQ(host_error_of([&] { file.open("other.txt", FileMode::Output); }), 55u);
  EXPECT_TRUE(file.is_open());  // the refused open left the first one alone
  file.line_input(line);
  EXPECT_EQ(line, "x");
}

// A NUL would end the name early for the system: "X.SH\0.TIB" would be "X.SH".
TEST_F(FileOneInput, ANameHoldingANulIsABadFileNameAndNothingIsOpened) {
  write_file("SECRET.TXT", "x");
  const std::string names[] = {std::string("SECRET.TXT\0.TIB", 15), std::string("\0", 1),
                               std::string("X.SH\0.TIB", 9)};
  for (const std::string& name : names) {
    for (FileMode mode : {FileMode::Input, FileMode::Output}) {
      FileOne file;
      EXPECT_EQ(host_error_of([&] { file.open(name, mode); }), 64u);
      EXPECT_FALSE(file.is_open());
    }
    EXPECT_EQ(host_error_of([&] { delete_file(name); }), 64u);
  }
  EXPECT_EQ(host_error_of([] { delete_file(std::string("*\0", 2)); }), 64u);
  EXPECT_EQ(names_here(), std::vector<std::string>{"SECRET.TXT"});
}

TEST_F(FileOneInput, RefusedAccessIsPermissionDenied) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  write_file("locked.tib", "x");
  chmod("locked.tib", 0);
  FileOne file;
  EXPECT_EQ(host_error_of([&] { file.open("locked.tib", FileMode::Input); }), 70u);
}

using FileOneOutput = ScratchFolder;

// The new text waits in a file without a name, so nothing of the save shows in the folder
// until it takes the old file's place.
TEST_F(FileOneOutput, WritesBesideTheTargetAndReplacesItAtClose) {
  write_file("OUT.TIB", "old contents");
  chmod("OUT.TIB", 0640);
  FileOne file;
  file.open("OUT.TIB", FileMode::Output);
  file.print("10 PRINT 1");
  file.print("");
  EXPECT_EQ(read_file("OUT.TIB"), "old contents");  // untouched until close
  EXPECT_EQ(names_here(), std::vector<std::string>{"OUT.TIB"});
  file.close();
  EXPECT_EQ(read_file("OUT.TIB"), "10 PRINT 1\r\n\r\n");
  EXPECT_EQ(names_here(), std::vector<std::string>{"OUT.TIB"});
  struct stat info;
  ASSERT_EQ(stat("OUT.TIB", &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0640u);  // the replaced file's mode stays
}

// Where the file system has no unnamed files: a named temporary of a short fixed pattern,
// whatever the length of the file's own name.
TEST_F(FileOneOutput, ANamedTemporaryWhereTheFileSystemHasNoUnnamedOnes) {
  const std::string temporary = ".kelo-" + std::to_string(getpid()) + ".tmp";
  for (const std::string& name : {std::string("OUT.TIB"), std::string(251, 'L') + ".TIB"}) {
    SCOPED_TRACE(name.size());
    write_file(name, "old contents");
    chmod(name.c_str(), 0604);
    {
      ReplacementFile out(name, Temporary::Named);
      out.write("new contents");
      EXPECT_EQ(read_file(name), "old contents");
      EXPECT_EQ(names_here(), (std::vector<std::string>{temporary, name}));
      out.commit();
    }
    EXPECT_EQ(read_file(name), "new contents");
    EXPECT_EQ(names_here(), std::vector<std::string>{name});
    struct stat info;
    ASSERT_EQ(stat(name.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0604u);
    {
      ReplacementFile out(name, Temporary::Named);
      out.write("lost");
    }  // not committed
    EXPECT_EQ(read_file(name), "new contents");
    EXPECT_EQ(names_here(), std::vector<std::string>{name});
    std::filesystem::remove(name);
  }
}

TEST_F(FileOneOutput, EmptyFileAndCaseInsensitiveNames) {
  write_file("prog.tib", "old");
  std::filesystem::create_directory("games");
  FileOne file;
  file.open("PROG.TIB", FileMode::Output);
  file.close();
  file.open("GAMES\\NEW.TIB", FileMode::Output);
  file.print("new");
  file.close();
  EXPECT_EQ(names_here(), (std::vector<std::string>{"games", "prog.tib"}));
  EXPECT_EQ(read_file("prog.tib"), "");
  EXPECT_EQ(read_file("games/NEW.TIB"), "new\r\n");
}

TEST_F(FileOneOutput, AbandonAndDestructorLeaveTheTarget) {
  write_file("KEEP.TIB", "keep");
  {
    FileOne file;
    file.open("KEEP.TIB", FileMode::Output);
    file.print("lost");
    file.abandon();
    EXPECT_FALSE(file.is_open());
    file.open("KEEP.TIB", FileMode::Output);
    file.print("lost too");
  }
  EXPECT_EQ(read_file("KEEP.TIB"), "keep");
  EXPECT_EQ(names_here(), std::vector<std::string>{"KEEP.TIB"});
}

TEST_F(FileOneOutput, ErrorNumbers) {
  std::filesystem::create_directory("folder");
  FileOne file;
  EXPECT_EQ(host_error_of([&] { file.open("nofolder\\x.tib", FileMode::Output); }), 76u);
  EXPECT_EQ(host_error_of([&] { file.open("folder", FileMode::Output); }), 53u);
  // A name longer than the file system takes is a bad file name, as is a path too long.
  EXPECT_EQ(host_error_of([&] { file.open(std::string(256, 'N'), FileMode::Output); }), 64u);
  EXPECT_EQ(host_error_of([&] { file.open(std::string(256, 'N'), FileMode::Input); }), 64u);
  EXPECT_EQ(host_error_of([&] { file.open("folder\\" + std::string(300, 'N'), FileMode::Output); }), 64u);
  EXPECT_EQ(names_here(), std::vector<std::string>{"folder"});
  file.open("OUT.TIB", FileMode::Output);
  std::string line;
  EXPECT_EQ(host_error_of([&] { file.line_input(line); }), 54u);
  EXPECT_EQ(host_error_of([&] { file.open("OUT.TIB", FileMode::Output); }), 55u);
}

TEST_F(FileOneOutput, FailedCommitRaises75AndLeavesNoTemporary) {
  for (Temporary kind : {Temporary::Unnamed, Temporary::Named}) {
    {
      ReplacementFile out("OUT.TIB", kind);
      out.write("text");
      std::filesystem::create_directory("OUT.TIB");  // a folder took the name meanwhile: no rename over it
      EXPECT_EQ(host_error_of([&] { out.commit(); }), 75u);
    }
    EXPECT_EQ(names_here(), std::vector<std::string>{"OUT.TIB"});
    EXPECT_TRUE(std::filesystem::is_empty("OUT.TIB"));
    std::filesystem::remove("OUT.TIB");
  }
  FileOne file;
  file.open("OUT.TIB", FileMode::Output);
  file.print("text");
  std::filesystem::create_directory("OUT.TIB");
  EXPECT_EQ(host_error_of([&] { file.close(); }), 75u);
  EXPECT_FALSE(file.is_open());
  EXPECT_EQ(names_here(), std::vector<std::string>{"OUT.TIB"});
}

using DeleteFile = ScratchFolder;

TEST_F(DeleteFile, DeletesMatchingFilesButNotFolders) {
  const struct { const char* pattern; std::vector<std::string> left; bool inner_left; } cases[] = {
      {"*.tib", {"c.txt", "d.tib", "sub"}, true},
      {"A.TIB", {"B.TIB", "c.txt", "d.tib", "sub"}, true},
      {"?.txt", {"B.TIB", "a.tib", "d.tib", "sub"}, true},
      {"*.*", {"d.tib", "sub"}, true},
      {"SUB\\*", {"B.TIB", "a.tib", "c.txt", "d.tib", "sub"}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.pattern);
    std::filesystem::remove_all("sub");
    for (const char* name : {"a.tib", "B.TIB", "c.txt"}) write_file(name, "x");
    std::filesystem::create_directories("d.tib");
    std::filesystem::create_directories("sub");
    write_file("sub/inner.x", "x");
    delete_file(c.pattern);
    EXPECT_EQ(names_here(), c.left);
    EXPECT_EQ(std::filesystem::exists("sub/inner.x"), c.inner_left);
    for (const auto& name : names_here()) std::filesystem::remove_all(name);
  }
}

TEST_F(DeleteFile, NothingMatchingIsFileNotFound) {
  std::filesystem::create_directory("folder.tib");
  EXPECT_EQ(host_error_of([] { delete_file("*.bas"); }), 53u);
  EXPECT_EQ(host_error_of([] { delete_file("folder.tib"); }), 53u);
  EXPECT_EQ(host_error_of([] { delete_file("nofolder\\*.*"); }), 53u);
}

TEST(WildcardMatch, StarQuestionMarkAndCase) {
  const struct { const char* pattern; const char* name; bool match; } cases[] = {
      {"*", "anything", true},     {"*.tib", "PROG.TIB", true}, {"*.tib", "prog.tibx", false},
      {"p?og.*", "PROG.X", true},   {"p?og.*", "pog.x", false},  {"*a*b*", "xaybz", true},
      {"*a*b", "xaybz", false},     {"a**b", "ab", true},        {"", "", true},
      {"", "a", false},             {"?", "", false},            {"*.*", "noext", true},
      {"exact", "EXACT", true},     {"*.TIB*", "x.tib.~1", true}, {"ab*cd", "abcdcd", true},
  };
  for (const auto& c : cases) EXPECT_EQ(wildcard_match(c.pattern, c.name), c.match) << c.pattern << " " << c.name;
}

class DirListing : public ScratchFolder {
 protected:
  void SetUp() override {
    ScratchFolder::SetUp();
    std::filesystem::create_directories("data/zeta");
    write_file("data/alpha.tib", std::string(10, 'a'));
    write_file("data/Beta.TIB", std::string(1234, 'b'));
    write_file("data/gamma.txt", "ggggg");
    write_file("data/a_very_long_file_name.tib", "");
    write_file("data/noext", "n");
    data_ = (folder_ / "data").string();
  }
  static std::string listing(std::string_view pattern) { return wide_listing(pattern); }
  std::string data_;
};

TEST_F(DirListing, WideLayoutWithTotals) {
  const std::string tib_files =
      "\n Directory of " + data_ + "\n\n"
      "a_very_long_file_name.tib       alpha.tib       Beta.TIB\n"
      "               3 File(s)          1,244 bytes\n\n";
  const std::string all_entries =
      "\n Directory of " + data_ + "\n\n"
      "a_very_long_file_name.tib       alpha.tib       Beta.TIB        gamma.txt\n"
      "noext           [zeta]\n"
      "               5 File(s)          1,250 bytes\n\n";
  const struct { const char* pattern; std::string text; } cases[] = {
      {"data\\*.tib", tib_files},  {"  DATA/*.TIB  ", tib_files}, {"data", all_entries},
      {"data\\", all_entries},     {"data\\*.*", all_entries},    {"data/*", all_entries},
      {"data\\nothing*", "File Not Found\n"}, {"missing\\*.tib", "File Not Found\n"},
      {"data\\zeta", "File Not Found\n"},  // an empty folder
      {"data\\zet?", "\n Directory of " + data_ + "\n\n[zeta]\n               0 File(s)              0 bytes\n\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(listing(c.pattern), c.text) << '"' << c.pattern << '"';
}

TEST_F(DirListing, FiveSlotsPerLineAndLongNamesTakeMore) {
  std::filesystem::create_directory("many");
  for (const char* name : {"a1", "a2", "a3", "a4", "a5", "a6", "exactly16chars.x", "fifteen_chars.x"}) {
    write_file(std::string("many/") + name, "");
  }
  EXPECT_EQ(listing("many"),
            "\n Directory of " + (folder_ / "many").string() + "\n\n"
            "a1              a2              a3              a4              a5\n"
            "a6              exactly16chars.x                fifteen_chars.x\n"
            "               8 File(s)              0 bytes\n\n");
}

TEST_F(DirListing, ANulInThePatternMatchesNothing) {
  EXPECT_EQ(listing(std::string("data\0/etc", 9)), "File Not Found\n");
  EXPECT_EQ(listing(std::string("\0", 1)), "File Not Found\n");
}

TEST(ListingCommand, OnlyTheListingCommandIsRecognised) {
  EXPECT_EQ(listing_command_pattern("dir  /w  > dirout.$$$"), "");
  EXPECT_EQ(listing_command_pattern("dir  *.TIB /w  > dirout.$$$"), " *.TIB");
  for (const char* command : {"dir *.TIB /w > dirout.$$$", "DIR  /w  > dirout.$$$", "dir /w  > dirout.$$$",
                              "echo hi > dirout.$$$", "dir *.TIB /w  > other.txt", ""}) {
    EXPECT_FALSE(listing_command_pattern(command)) << command;
  }
}

}  // namespace
