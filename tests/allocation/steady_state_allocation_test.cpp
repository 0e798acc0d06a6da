// Statements allocate nothing on the heap once a program has run once. The test counts every
// operator new of the process, so it is a binary of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "interpreter/interpreter.h"
#include "tests/support/scripted_front_end.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

// The replacement pair hands every block to malloc and back to free, which GCC cannot see.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
  if (void* block = std::malloc(size == 0 ? 1 : size)) return block;
  throw std::bad_alloc{};
}
void operator delete(void* block) noexcept { std::free(block); }
void operator delete(void* block, std::size_t) noexcept { operator delete(block); }

namespace {

// Counts the allocations of a window of statements of the run typed as the line `run_line`.
class CountingFrontEnd : public ScriptedFrontEnd {
 public:
  CountingFrontEnd(int run_line, long first, long count) : run_line_(run_line), first_(first), last_(first + count) {}

  void wait_ended(KeyboardRing& ring) override {
    ScriptedFrontEnd::wait_ended(ring);
    lines_read_ += 1;
    statements_ = 0;
  }
  void statement_event(KeyboardRing&) override {
    if (lines_read_ != run_line_) return;
    statements_ += 1;
    if (statements_ == first_) counting = true;
    if (statements_ == last_) counting = false;  // the window is over before this statement runs
  }

 private:
  const int run_line_;
  const long first_;
  const long last_;
  int lines_read_ = 0;
  long statements_ = 0;
};

TEST(SteadyState, TheLoopProgramAllocatesNothingAfterItsFirstPass) {
  const std::string program =
      "10 S=0\r20 FOR J=1 TO 4\r30 FOR I=1 TO 10000\r40 S=S+I%7\r"
      "50 IF S>10000 THEN S=S-10000\r60 NEXT I\r70 NEXT J\r80 PRINT S\r";
  constexpr int kSecondRun = 10;  // eight program lines, RUN, RUN
  CountingFrontEnd front_end(kSecondRun, 2, 100000);  // statement 1 is the typed RUN itself
  Console console;
  console.set_key_pump(true);  // the front end sees every statement's event check
  Host host(console, front_end, "");
  front_end.console = &console;
  front_end.keys = keys_of(program + "RUN\rRUN\r");  // Enter is 13
  Interpreter interpreter(host);
  allocations = 0;
  EXPECT_THROW(interpreter.InterpreterMain(), HostShutdown);  // the keys are used up
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  // Both runs went through to their PRINT: the screen shows the same sum twice.
  const std::string first_sum = row_text(host.screen(), 12);
  EXPECT_FALSE(first_sum.empty());
  EXPECT_EQ(row_text(host.screen(), 14), first_sum);
}

}  // namespace
