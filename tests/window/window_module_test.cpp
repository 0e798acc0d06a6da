// The window module holds no copy of the host core: it reaches the program's own through
// ConsoleDisplay and SignalQueue, so that a window session has one of every piece of state.
#include <gtest/gtest.h>
#include <stdio.h>

#include <set>
#include <string>

namespace {

// nm's lines for a file, demangled.
std::string nm_output(const std::string& arguments) {
  std::string text;
  // NOLINTNEXTLINE(cert-env33-c): the symbol tables are read with the toolchain's own nm.
  if (FILE* pipe = popen(("nm -C " + arguments + " 2>/dev/null").c_str(), "r")) {
    char buffer[4096];
    size_t count;
    while ((count = fread(buffer, 1, sizeof buffer, pipe)) > 0) text.append(buffer, count);
    pclose(pipe);
  }
  return text;
}

// Each line's symbol name: what follows the address and the type letter.
std::set<std::string> names(const std::string& lines, const std::string& types) {
  std::set<std::string> found;
  size_t start = 0;
  while (start < lines.size()) {
    size_t end = lines.find('\n', start);
    if (end == std::string::npos) end = lines.size();
    const std::string line = lines.substr(start, end - start);
    start = end + 1;
    // "address type name", or with -A "archive:member:address type name"
    const size_t space = line.find(' ');
    if (space == std::string::npos || space + 3 > line.size() || line[space + 2] != ' ') continue;
    if (types.find(line[space + 1]) == std::string::npos) continue;
    // The code page's tables and the key table are constant data, which the module keeps a
    // copy of.
    if (line.find(":cp437.cpp.o:") != std::string::npos || line.find(":keys.cpp.o:") != std::string::npos) continue;
    found.insert(line.substr(space + 3));
  }
  return found;
}

TEST(WindowModule, HoldsNoCopyOfTheHostCore) {
  // What the core itself defines (code and data, not the inline functions and templates that
  // every user of a header compiles).
  const std::set<std::string> core =
      names(nm_output("-A --defined-only --extern-only '" KELO_CORE_LIBRARY "'"), "TDBR");
  ASSERT_TRUE(core.count("Console::push_key(int)")) << "the core's symbols could not be read";
  // Everything the module defines, its hidden symbols included.
  const std::set<std::string> module = names(nm_output("--defined-only '" KELO_WINDOW_MODULE "'"), "TtDdBbRr");
  ASSERT_TRUE(module.count("WindowFrontEnd::run()")) << "the module's symbols could not be read";
  for (const std::string& name : core) EXPECT_EQ(module.count(name), 0u) << name << " is in the module too";
}

}  // namespace
