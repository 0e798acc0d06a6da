// Statements allocate nothing on the heap once a program has run once. The test counts every
// operator new of the process, so it is a binary of its own.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

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

// Programs whose statements allocate nothing in steady state: arithmetic and loops; functions,
// PEEK, POKE and @() (their line rewrites and the texts an @() assignment cuts); jumps.
struct SteadyProgram {
  const char* name;
  std::string lines;  // each ends with Enter (13)
  int line_count;
  long statements;    // counted from the second statement of the second RUN on
};

const SteadyProgram kSteadyPrograms[] = {
    {"loops",
     "10 S=0\r20 FOR J=1 TO 4\r30 FOR I=1 TO 10000\r40 S=S+I%7\r"
     "50 IF S>10000 THEN S=S-10000\r60 NEXT I\r70 NEXT J\r80 PRINT S\r",
     8, 100000},
    {"functions and memory",
     "10 S=0\r20 FOR J=1 TO 20\r30 FOR I=1 TO 1000\r40 POKE I,I%256\r50 @(I)=ABS(I-500)+SGN(I-300)+1\r"
     "60 S=S+PEEK(I)+@(I)%7\r70 IF S>10000 THEN S=S-10000\r80 NEXT I\r90 NEXT J\r100 PRINT S\r",
     10, 100000},
    {"sieve and swaps",
     "10 FOR I=2 TO 3000\r20 @(I)=1\r30 NEXT I\r40 FOR I=2 TO 54\r50 IF @(I)=0 THEN GOTO 90\r"
     "60 FOR J=I*I TO 3000 STEP I\r70 @(J)=0\r80 NEXT J\r90 NEXT I\r"
     "100 C=0\r110 FOR I=2 TO 2999\r120 C=C+@(I):IF @(I)>@(I+1) THEN T=@(I):@(I)=@(I+1):@(I+1)=T\r"
     "130 NEXT I\r140 PRINT C\r",
     14, 20000},
};

TEST(SteadyState, ProgramsAllocateNothingAfterTheirFirstPass) {
  for (const SteadyProgram& program : kSteadyPrograms) {
    SCOPED_TRACE(program.name);
    const int second_run = program.line_count + 2;  // the program's lines, RUN, RUN
    CountingFrontEnd front_end(second_run, 2, program.statements);  // statement 1 is the typed RUN itself
    Console console;
    console.set_key_pump(true);  // the front end sees every statement's event check
    Host host(console, front_end, "");
    front_end.console = &console;
    front_end.keys = keys_of(program.lines + "RUN\rRUN\r");  // Enter is 13
    Interpreter interpreter(host);
    allocations = 0;
    EXPECT_THROW(interpreter.InterpreterMain(), HostShutdown);  // the keys are used up
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    // Both runs went through to their PRINT: the screen shows the same result twice, each
    // after its RUN.
    std::vector<std::string> results;
    for (int row = 2; row <= 25; ++row) {  // rows count from 1
      if (row_text(host.screen(), row - 1).find("RUN") != std::string::npos) results.push_back(row_text(host.screen(), row));
    }
    ASSERT_EQ(results.size(), 2u);
    EXPECT_FALSE(results[0].empty());
    EXPECT_EQ(results[0], results[1]);
  }
}

}  // namespace
