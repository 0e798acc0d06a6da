// The seam between the program thread and a display thread, crossed as the real front ends
// cross it: keys pushed from another thread, snapshots taken while the program prints, closes
// during a running program and during a wait. Also built under ThreadSanitizer.
#include "platform/core/console.h"

#include <gtest/gtest.h>
#include <poll.h>
#include <pthread.h>
#include <sys/mman.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "interpreter/interpreter.h"
#include "platform/core/host.h"
#include "platform/core/limits.h"
#include "platform/core/program_thread.h"
#include "platform/stream/stream_front_end.h"
#include "tests/support/process_probe.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A display front end's program-thread face: nothing of its own, the bell not slept.
class QuietFrontEnd : public FrontEnd {
 public:
  int pause_ms(int) override { return 0; }
};

// The interpreter on its program thread; the test is the display thread.
class Display {
 public:
  Display() : host_(console_, front_end_, ""), interpreter_(host_) {
    program_ = ProgramThread([this] {
      pthread_attr_t attributes;
      if (pthread_getattr_np(pthread_self(), &attributes) == 0) {
        pthread_attr_getstack(&attributes, &stack_low_, &stack_size_);
        pthread_attr_destroy(&attributes);
      }
      try {
        interpreter_.InterpreterMain();
      } catch (const HostShutdown&) {
      }
      host_.program_ended();
    });
  }
  ~Display() {
    console_.request_close();
    program_.join();
  }

  Console& console() { return console_; }
  size_t stack_size() const { return stack_size_; }
  // How much of the program thread's stack has been used so far: its pages in memory.
  size_t stack_used() const {
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    std::vector<unsigned char> resident(stack_size_ / page);
    if (stack_low_ == nullptr || mincore(stack_low_, stack_size_, resident.data()) != 0) return 0;
    size_t pages = 0;
    for (unsigned char flags : resident) pages += flags & 1;
    return pages * page;
  }

  // Types the keys as a display would: into the ring from this thread, waiting for room.
  void type(std::string_view keys) {
    for (char key : keys) {
      while (console_.keyboard_full()) std::this_thread::sleep_for(1ms);
      console_.push_key(key == '\n' ? kKeyEnter : static_cast<uint8_t>(key));
    }
  }
  // Types each line at a fresh prompt, as a person would: keys typed while a statement runs
  // go to its Break polls.
  void type_lines(const std::vector<std::string>& lines) {
    for (const std::string& line : lines) {
      wait_for_prompt();
      type(line + "\n");
    }
  }
  // Waits until the line editor waits at an empty prompt.
  void wait_for_prompt() {
    const auto give_up = Clock::now() + 10s;
    ScreenSnapshot snapshot;
    while (Clock::now() < give_up) {
      console_.take_snapshot(snapshot);
      const uint8_t* row = &snapshot.cells[(snapshot.cursor_row - 1) * kScreenColumns * 2];
      if (snapshot.generation > prompt_generation_ && snapshot.editing && row_text(row) == ":" &&
          snapshot.cursor_column == 3) {
        prompt_generation_ = snapshot.generation;  // the next prompt is a newer one
        return;
      }
      std::this_thread::sleep_for(1ms);
    }
    ADD_FAILURE() << "no prompt";
  }
  // Takes snapshots until one shows a row that begins with `text`; that snapshot.
  ScreenSnapshot wait_for_row(std::string_view text, bool editing = false) {
    const auto give_up = Clock::now() + 10s;
    ScreenSnapshot snapshot;
    while (Clock::now() < give_up) {
      console_.take_snapshot(snapshot);
      for (int row = 0; row < kScreenRows; ++row) {
        if (row_text(&snapshot.cells[row * kScreenColumns * 2]).starts_with(text) && (!editing || snapshot.editing)) {
          return snapshot;
        }
      }
      std::this_thread::sleep_for(2ms);
    }
    std::string rows;
    for (int row = 0; row < kScreenRows; ++row) rows += row_text(&snapshot.cells[row * kScreenColumns * 2]) + "\n";
    ADD_FAILURE() << "no row begins with \"" << text << "\":\n" << rows;
    return snapshot;
  }

 private:
  Console console_;
  QuietFrontEnd front_end_;
  Host host_;
  Interpreter interpreter_;
  ProgramThread program_;
  uint64_t prompt_generation_ = 0;
  void* stack_low_ = nullptr;  // the program thread's stack, set as it starts
  size_t stack_size_ = 0;
};

TEST(KeyboardRingAcrossThreads, KeysFromAProducerThreadArriveInOrder) {
  Console console;
  constexpr int kKeys = 20000;
  std::thread producer([&console] {
    for (int i = 0; i < kKeys; ++i) {
      while (console.keyboard_full()) std::this_thread::yield();
      console.push_key(i % 256);
    }
  });
  for (int i = 0; i < kKeys; ++i) {
    int key;
    while ((key = console.keyboard().pop()) == kNoKey) console.wait_for_key(kKeyPollMs);
    ASSERT_EQ(key, i % 256) << "key " << i;
  }
  producer.join();
  EXPECT_TRUE(console.keyboard().empty());
}

TEST(KeyboardRingAcrossThreads, AFullRingDropsKeysButNeverReordersThem) {
  Console console;
  std::atomic<bool> done{false};
  std::thread producer([&console, &done] {
    for (int i = 1; i <= 5000; ++i) console.push_key(i);
    done = true;
  });
  int last = 0;
  int taken = 0;
  for (;;) {
    const bool finished = done;  // read before the ring, so that nothing pushed is missed
    const int key = console.keyboard().pop();
    if (key == kNoKey) {
      if (finished) break;
      std::this_thread::yield();
      continue;
    }
    EXPECT_GT(key, last);
    last = key;
    ++taken;
    if (taken % 7 == 0) std::this_thread::sleep_for(10us);  // a slow reader now and then
  }
  producer.join();
  EXPECT_GT(taken, 0);
  EXPECT_LE(taken, 5000);
}

TEST(CloseAcrossThreads, EndsARunningProgramAtItsNextEventCheck) {
  Display display;
  display.type_lines({"10 GOTO 10", "RUN"});
  display.wait_for_row(": RUN");
  std::this_thread::sleep_for(50ms);
  EXPECT_FALSE(display.console().program_ended());
  display.console().request_close();
  EXPECT_TRUE(display.console().wait_until_ended(20000));
}

TEST(CloseAcrossThreads, EndsEveryKindOfWait) {
  // The prompt, INPUT, INCHAR, LIST's pause and the end of the program each wait for keys;
  // the last line of each case is left waiting.
  std::vector<std::string> listing;
  for (int line = 1; line <= 21; ++line) listing.push_back(std::to_string(line) + " REM");
  listing.push_back("LIST PAUSE");
  const std::vector<std::vector<std::string>> cases = {
      {}, {"INPUT A"}, {"PRINT INCHAR"}, listing, {"BYE"}, {"10 PRINT 1", "20 GOTO 20", "RUN"}};
  for (const std::vector<std::string>& lines : cases) {
    Display display;
    display.type_lines(lines);
    std::this_thread::sleep_for(30ms);
    EXPECT_FALSE(display.console().program_ended());
    display.console().request_close();
    EXPECT_TRUE(display.console().wait_until_ended(20000)) << (lines.empty() ? "prompt" : lines.back());
  }
}

TEST(CloseAcrossThreads, FromASignalHandlerEndsAWaitWithinAPoll) {
  Display display;
  display.wait_for_prompt();
  display.console().request_close_from_signal();  // no wake-up: the wait's own poll sees it
  EXPECT_TRUE(display.console().wait_until_ended(20000));
}

TEST(SnapshotsAcrossThreads, AreTakenWhileTheProgramPrints) {
  Display display;
  display.type_lines({"10 PRINT I", "20 I=I+1", "30 GOTO 10", "RUN"});
  ScreenSnapshot snapshot;
  uint64_t frames = 0;
  uint64_t generation = 0;
  const auto until = Clock::now() + 200ms;
  while (Clock::now() < until) {
    if (display.console().take_snapshot(snapshot)) {
      EXPECT_GT(snapshot.generation, generation);
      generation = snapshot.generation;
      ++frames;
    }
    std::this_thread::sleep_for(1ms);
  }
  EXPECT_GT(frames, 5u);
  display.type("\x03");
  display.wait_for_row("Break in ", true);
}

TEST(SnapshotsAcrossThreads, AChangeAfterAQuietSpellIsPublishedWithoutBeingAskedAgain) {
  // The display asks once, while the program computes and prints nothing, then sleeps until
  // told: the first change after that must reach it, though no wait publishes it.
  Display display;
  display.type_lines(
      {"10 FOR J=1 TO 20", "20 FOR I=1 TO 30000", "30 NEXT I", "40 NEXT J", "50 PRINT \"DONE\"", "60 GOTO 60", "RUN"});
  display.wait_for_row(": RUN");
  ScreenSnapshot snapshot;
  display.console().take_snapshot(snapshot);
  const auto give_up = Clock::now() + std::chrono::seconds(20);
  bool shown = false;
  while (!shown && Clock::now() < give_up) {
    pollfd ready{display.console().display_fd(), POLLIN, 0};
    if (poll(&ready, 1, 100) <= 0) continue;  // told nothing: asks nothing
    display.console().drain_display_fd();
    if (!display.console().take_snapshot(snapshot)) continue;
    for (int row = 0; row < kScreenRows; ++row) shown |= row_text(&snapshot.cells[row * kScreenColumns * 2]) == "DONE";
  }
  EXPECT_TRUE(shown);
}

TEST(StreamAcrossThreads, AnInterruptFromTheMainThreadBreaksTheProgramAndRunWritesTheEnd) {
  // The stream front end as main runs it: run() on this thread, the interpreter on its own,
  // an interrupt (SIGINT) answered here while the program runs, then the script's end.
  int keys[2];
  ASSERT_EQ(pipe(keys), 0);
  char* written = nullptr;
  size_t written_size = 0;
  FILE* output = open_memstream(&written, &written_size);
  {
    Console console;
    StreamFrontEnd front_end(console, keys[0], output);
    Host host(console, front_end, "");
    Interpreter interpreter(host);
    ProgramThread program([&] {
      try {
        interpreter.InterpreterMain();
      } catch (const HostShutdown&) {
      }
      host.program_ended();
    });
    const std::string script = "10 GOTO 10\nRUN\n";
    ASSERT_EQ(write(keys[1], script.data(), script.size()), static_cast<ssize_t>(script.size()));
    std::thread main_thread([&front_end] { front_end.run(); });
    // The interrupt is for a program that runs: at the prompt it would be dropped.
    const ProcessProbe self(getpid());
    const long long before = self.thread_ticks(kProgramThreadName);
    const auto give_up = Clock::now() + std::chrono::seconds(20);
    while (self.thread_ticks(kProgramThreadName) < before + 5 && Clock::now() < give_up) std::this_thread::sleep_for(1ms);
    front_end.interrupt();
    std::this_thread::sleep_for(100ms);
    close(keys[1]);  // the script ends at the prompt after the Break
    main_thread.join();
    program.join();
  }
  std::fclose(output);
  const std::string text(written, written_size);
  std::free(written);
  close(keys[0]);
  EXPECT_NE(text.find(": RUN\nBreak in  10\n:\n"), std::string::npos) << text;
}

TEST(ProgramThreadStack, HoldsTheDeepestNestingTheInterpreterAllows) {
  // A loaded line can nest 1000 parentheses, deeper than any typed line.
  Display display;
  const std::string deep = std::string(1000, '(') + "7" + std::string(1000, ')');
  // The line is typed into the store through a program file the interpreter loads.
  FILE* file = std::fopen("DEEPNEST.TIB", "wb");
  ASSERT_NE(file, nullptr);
  std::fprintf(file, "10 PRINT %s\r\n20 PRINT (%s)\r\n", deep.c_str(), deep.c_str());
  std::fclose(file);
  display.type_lines({"LOAD DEEPNEST", "RUN"});
  const ScreenSnapshot snapshot = display.wait_for_row("Error  9", true);
  EXPECT_EQ(row_text(&snapshot.cells[5 * kScreenColumns * 2]), "7");  // row 6: line 10 printed
  // With room to spare, under the sanitizers too.
  EXPECT_EQ(display.stack_size(), kProgramStackBytes);
  EXPECT_GT(display.stack_used(), 0u);
  EXPECT_LT(display.stack_used(), kProgramStackBytes / 4);
  std::printf("program thread stack used at the deepest nesting: %zu KiB of %lu KiB\n", display.stack_used() >> 10,
              kProgramStackBytes >> 10);
  std::remove("DEEPNEST.TIB");
}

}  // namespace
