// The reference of the dialect (docs/reference.md) against the real program: each of its
// examples, typed into a new session, shows on the screen what the reference says.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/scratch_folder.h"

namespace {

constexpr const char* kReference = KELO_SOURCE_DIR "/docs/reference.md";
// The folder the reference says its examples ran in; the test's own stands for it.
constexpr const char* kShownFolder = "/home/user/basic";
// A screen row of the reference that stands for one or more empty rows.
constexpr const char* kEmptyRows = "\u22EE";
const std::vector<std::string> kBanner = {"Kelo BASIC v1.1 for Dravo BASIC", "Type HELP for commands."};

// A block of typed lines and the screen block after it.
struct Example {
  int line = 0;         // of the typed block in the reference
  std::string heading;  // the section it stands in
  std::vector<std::string> typed;
  std::vector<std::string> screen;
};

std::string WithoutTrailingBlanks(std::string text) {
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

// The examples in the reference's order; `unpaired` collects the lines of typed blocks that
// no screen block follows, which would go unchecked.
std::vector<Example> ReadExamples(std::vector<int>& unpaired) {
  std::ifstream file(kReference);
  std::vector<std::string> lines;
  for (std::string line; std::getline(file, line);) lines.push_back(line);
  std::vector<Example> examples;
  std::string heading;
  auto read_block = [&](size_t& at) {  // `at` is on the opening fence; leaves it on the closing one
    std::vector<std::string> block;
    while (++at < lines.size() && lines[at] != "```") block.push_back(WithoutTrailingBlanks(lines[at]));
    return block;
  };
  for (size_t at = 0; at < lines.size(); ++at) {
    if (lines[at].starts_with("#")) heading = lines[at];
    if (lines[at] != "```basic") continue;
    Example example{static_cast<int>(at) + 1, heading, read_block(at), {}};
    size_t next = at + 1;
    while (next < lines.size() && lines[next].empty()) ++next;
    if (next >= lines.size() || lines[next] != "```screen") {
      unpaired.push_back(example.line);
      continue;
    }
    at = next;
    example.screen = read_block(at);
    examples.push_back(example);
  }
  return examples;
}

bool IsNumbered(const std::string& typed) {
  const size_t first = typed.find_first_not_of(' ');
  return first != std::string::npos && typed[first] >= '0' && typed[first] <= '9';
}

// Whether the screen rows are the expected ones, where a row kEmptyRows takes one or more
// empty rows.
bool SameScreen(const std::vector<std::string>& expected, const std::vector<std::string>& rows) {
  size_t at = 0;
  for (const std::string& want : expected) {
    if (want == kEmptyRows) {
      if (at >= rows.size() || !rows[at].empty()) return false;
      while (at < rows.size() && rows[at].empty()) ++at;
      continue;
    }
    if (at >= rows.size() || rows[at] != want) return false;
    ++at;
  }
  return at == rows.size();
}

std::string ReplacedAll(std::string text, const std::string& from, const std::string& to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size())) {
    text.replace(at, from.size(), to);
  }
  return text;
}

std::string Joined(const std::vector<std::string>& rows) {
  std::string text;
  for (const std::string& row : rows) text += "  |" + row + "\n";
  return text;
}

class Reference : public ScratchFolder {
 protected:
  // The example typed into a new session of the program through the stream, in an empty
  // folder of its own: the screen rows as the reference shows them, after the banners and
  // the echoes of the numbered lines typed first. Empty with a failure when the session
  // went otherwise.
  std::vector<std::string> ScreenOf(const Example& example, int number) {
    const std::filesystem::path folder = folder_ / ("example-" + std::to_string(number));
    std::filesystem::create_directory(folder);
    const std::filesystem::path script = folder_ / ("script-" + std::to_string(number));
    const std::filesystem::path out = folder_ / ("out-" + std::to_string(number));
    std::string keys;
    for (const std::string& line : example.typed) keys += line + "\n";
    write_file(script, keys);
    // NOLINTNEXTLINE(cert-env33-c): the program is started through a shell, as a user would.
    const int status = std::system(("cd '" + folder.string() + "' && KELO_HOST=stream timeout 30 " KELO_BINARY " < '" +
                                    script.string() + "' > '" + out.string() + "'")
                                       .c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;

    std::vector<std::string> rows;
    std::istringstream output(ReplacedAll(read_file(out), folder.string(), kShownFolder));
    for (std::string row; std::getline(output, row);) rows.push_back(row);
    if (rows.size() >= 2 && std::vector<std::string>(rows.begin(), rows.begin() + 2) == kBanner) {
      rows.erase(rows.begin(), rows.begin() + 2);
    }
    for (size_t i = 0; i < example.typed.size() && IsNumbered(example.typed[i]); ++i) {
      if (rows.empty() || rows.front() != WithoutTrailingBlanks(": " + example.typed[i])) {
        ADD_FAILURE() << "the numbered line \"" << example.typed[i] << "\" was not stored silently:\n" << Joined(rows);
        return {};
      }
      rows.erase(rows.begin());
    }
    return rows;
  }
};

TEST_F(Reference, EveryExampleShowsWhatTheReferenceSays) {
  std::vector<int> unpaired;
  const std::vector<Example> examples = ReadExamples(unpaired);
  EXPECT_TRUE(unpaired.empty()) << "a typed block without its screen block at line " << unpaired.front();
  ASSERT_GE(examples.size(), 40u) << kReference;
  for (size_t i = 0; i < examples.size(); ++i) {
    const Example& example = examples[i];
    SCOPED_TRACE("docs/reference.md:" + std::to_string(example.line) + " (" + example.heading + ")");
    const std::vector<std::string> rows = ScreenOf(example, static_cast<int>(i));
    EXPECT_TRUE(SameScreen(example.screen, rows)) << "the reference shows\n"
                                                   << Joined(example.screen) << "the program shows\n"
                                                   << Joined(rows);
  }
}

// Each statement and each function is shown at work in at least one example.
TEST_F(Reference, ExamplesUseEveryStatementAndFunction) {
  std::vector<int> unpaired;
  std::string typed;
  for (const Example& example : ReadExamples(unpaired)) {
    for (const std::string& line : example.typed) typed += " " + line + " ";
  }
  for (const char* word : {"BYE",    "CLEAR", "END",   "FILES", "FOR",     "NEXT", "GOSUB",  "RETURN", "GOTO",
                           "HELP",   "IF",    "THEN",  "INPUT", "LET",     "LIST", "LOAD",   "SAVE",   "NEW",
                           "OUTCHAR", "POKE", "PRINT", "RANDOM", "REM",    "RUN",  "STOP",   "TRACE",  "VPOKE",
                           "STEP",   "ABS(",  "INCHAR", "PEEK(", "RND(",   "SGN(", "SIZE",   "VPEEK(", "@("}) {
    // A word of its own: no letter on either side.
    const std::regex alone(std::string("(^|[^A-Za-z])") + std::regex_replace(word, std::regex("[(@]"), "\\$&") +
                               (std::string(word).back() == '(' ? "" : "($|[^A-Za-z])"),
                           std::regex::icase);
    EXPECT_TRUE(std::regex_search(typed, alone)) << word << " has no example";
  }
}

}  // namespace
