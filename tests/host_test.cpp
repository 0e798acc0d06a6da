// Tests of the host's own services: number fields, window title, environment, the program's end.
#include "platform/core/host.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/host_error_of.h"
#include "tests/support/scratch_folder.h"
#include "tests/support/scripted_front_end.h"

namespace {

TEST(PrintUsingInteger, FillsAFieldOfHashes) {
  const struct { const char* field; int64_t value; const char* text; } cases[] = {
      {"###", 5, "  5"},      {"###", -5, " -5"},    {"###", 123, "123"},   {"###", -12, "-12"},
      {"###", 1234, "%1234"}, {"###", -123, "%-123"}, {"#", -5, "%-5"},     {"#", 0, "0"},
      {"#####", -32768, "%-32768"}, {"######", -32768, "-32768"}, {"##", INT64_MIN, "%-9223372036854775808"},
  };
  for (const auto& c : cases) {
    ScriptedHost scripted;
    std::string out = "[";
    EXPECT_EQ(scripted.host.print_using_integer(c.field, c.value, 0, out), 0);
    EXPECT_EQ(out, std::string("[") + c.text) << c.field << " " << c.value;
  }
}

TEST(PrintUsingInteger, ReturnsThePositionAfterEachField) {
  ScriptedHost scripted;
  std::string out;
  int next = scripted.host.print_using_integer("##,###", 7, 0, out);
  EXPECT_EQ(next, 2);
  EXPECT_EQ(scripted.host.print_using_integer("##,###", 42, next, out), 0);
  EXPECT_EQ(out, " 7, 42");
  EXPECT_THROW(scripted.host.print_using_integer("abc", 1, 0, out), HostError);
}

TEST(Host, StartsWithBlankScreenAndKeepsTitleAndCommandLine) {
  ScriptedFrontEnd front_end;
  Console console;
  Host host(console, front_end, "prog.tib");
  EXPECT_EQ(host.command_line(), "prog.tib");
  EXPECT_EQ(row_text(host.screen(), 1), "");
  EXPECT_EQ(host.screen().cursor_row(), 1);
  EXPECT_EQ(host.screen().cursor_column(), 1);
  host.set_window_title("KELO");
  EXPECT_EQ(host.window_title(), "KELO");
  EXPECT_EQ(front_end.title, "KELO");
  std::string title;
  uint64_t seen = 0;
  EXPECT_TRUE(console.take_title(title, seen));
  EXPECT_EQ(title, "KELO");
  EXPECT_FALSE(console.take_title(title, seen));
}

TEST(Host, EnvironmentVariableOrEmpty) {
  ScriptedHost scripted;
  setenv("KELO_HOST_TEST_VARIABLE", "C:\\WINDOWS", 1);
  EXPECT_EQ(scripted.host.environment_variable("KELO_HOST_TEST_VARIABLE"), "C:\\WINDOWS");
  unsetenv("KELO_HOST_TEST_VARIABLE");
  EXPECT_EQ(scripted.host.environment_variable("KELO_HOST_TEST_VARIABLE"), "");
}

TEST(Host, HaltForeverShutsDown) {
  ScriptedHost scripted;
  EXPECT_THROW(scripted.host.halt_forever(), HostShutdown);
  EXPECT_TRUE(scripted.host.stop_flag());
}

TEST(Host, StatementEventPumpsTheFrontEndOnlyWhenAsked) {
  struct BreakingFrontEnd : ScriptedFrontEnd {
    void statement_event(KeyboardRing& ring) override { ring.push(3); }
  } front_end;
  Console console;
  Host host(console, front_end, "");
  host.statement_event();
  EXPECT_EQ(host.inkey(), kNoKey);
  console.set_key_pump(true);
  host.statement_event();
  EXPECT_EQ(host.inkey(), 3);
}

using EndProgram = ScratchFolder;

TEST_F(EndProgram, CommitsFileOneAndWaitsOnTheBottomRow) {
  ScriptedHost scripted({'k'});
  Host& host = scripted.host;
  host.print_string("top line", true);
  host.file_open("OUT.TIB", FileMode::Output);
  host.file_print("10 END");
  host.keyboard().push('x');  // typed earlier: discarded, not taken as the key
  EXPECT_THROW(host.end_program(), HostShutdown);
  EXPECT_TRUE(host.stop_flag());
  EXPECT_TRUE(scripted.front_end.keys.empty());  // the scripted key ended the wait
  EXPECT_EQ(scripted.front_end.waits_ended, 1);
  EXPECT_EQ(row_text(host.screen(), 1), "top line");
  EXPECT_EQ(row_text(host.screen(), 25), "Press any key to continue");
  std::ifstream saved("OUT.TIB", std::ios::binary);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(saved), {}), "10 END\r\n");
}

TEST_F(EndProgram, ShutDownDuringTheWaitStillEnds) {
  ScriptedHost scripted;
  EXPECT_THROW(scripted.host.end_program(), HostShutdown);
  EXPECT_EQ(scripted.front_end.waits_ended, 0);
}

using ShellCommand = ScratchFolder;

// Lines of file 1 until its end.
std::vector<std::string> ReadFileOne(Host& host) {
  std::vector<std::string> lines;
  for (std::string line; !host.file_eof();) {
    host.file_line_input(line);
    lines.push_back(line);
  }
  return lines;
}

TEST_F(ShellCommand, TheListingLivesInMemoryAndNothingElseRuns) {
  ScriptedHost scripted;
  Host& host = scripted.host;
  write_file("A.TIB", "10 END\r\n");
  host.shell_command("touch made_by_shell");
  EXPECT_FALSE(std::filesystem::exists("made_by_shell"));
  EXPECT_EQ(host_error_of([&] { host.file_open("dirout.$$$", FileMode::Input); }), 53u);  // no listing yet

  host.shell_command("dir  /w  > dirout.$$$");
  EXPECT_EQ(names_here(), std::vector<std::string>{"A.TIB"});  // nothing written, so not counted either
  host.file_open("dirout.$$$", FileMode::Input);
  const std::vector<std::string> lines = ReadFileOne(host);
  host.file_close();
  ASSERT_EQ(lines.size(), 6u);
  EXPECT_EQ(lines[3], "A.TIB");
  EXPECT_NE(lines[4].find("1 File(s)"), std::string::npos) << lines[4];

  // Read as often as asked until it is deleted; then it is gone, and the disk was never involved.
  host.file_open("DIROUT.$$$", FileMode::Input);
  EXPECT_EQ(ReadFileOne(host), lines);
  host.file_close();
  host.delete_file("dirout.$$$");
  EXPECT_EQ(host_error_of([&] { host.file_open("dirout.$$$", FileMode::Input); }), 53u);
  EXPECT_EQ(host_error_of([&] { host.delete_file("dirout.$$$"); }), 53u);
  EXPECT_EQ(names_here(), std::vector<std::string>{"A.TIB"});
}

TEST_F(ShellCommand, AUsersOwnFileOrLinkOfThatNameIsNeverTouched) {
  write_file("dirout.$$$", "mine");
  write_file("target.txt", "precious");
  std::filesystem::create_directory("sub");
  std::filesystem::create_symlink("../target.txt", "sub/dirout.$$$");
  ScriptedHost scripted;
  Host& host = scripted.host;
  for (const char* folder : {".", "sub"}) {
    std::filesystem::current_path(folder_ / folder);
    host.shell_command("dir  /w  > dirout.$$$");
    host.file_open("dirout.$$$", FileMode::Input);
    const std::vector<std::string> lines = ReadFileOne(host);
    host.file_close();
    host.delete_file("dirout.$$$");
    ASSERT_GE(lines.size(), 4u) << folder;
    EXPECT_EQ(lines[3].rfind("dirout.$$$", 0), 0u) << lines[3];  // the user's entry, listed as any other
  }
  std::filesystem::current_path(folder_);
  EXPECT_EQ(read_file("dirout.$$$"), "mine");
  EXPECT_EQ(read_file("target.txt"), "precious");
  EXPECT_TRUE(std::filesystem::is_symlink("sub/dirout.$$$"));
}

}  // namespace
