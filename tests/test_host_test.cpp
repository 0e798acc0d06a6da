// The test host with small programs of its own: typing, idling, screen reads and stopping.
#include "tests/support/test_host.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/core/host_error.h"

namespace {

// Greets every line typed, until the window closes.
void Greeter(Host& host) {
  host.print_string("Name?", true);
  for (;;) {
    std::string name;
    host.input_line(name, true);
    if (host.stop_flag()) host.halt_forever();
    host.print_string("Hello " + name, true);
  }
}

TEST(TestHostTest, TypedLinesAreTakenWhereTheProgramWaits) {
  TestHost test;
  test.start([&test] { Greeter(test.host()); });
  EXPECT_EQ(test.row(1), "Name?");
  EXPECT_EQ(test.cursor_row(), 2);

  test.run_line("Ann");
  test.type_line("Bo");
  test.type("Cy\n");
  test.run_until_idle();
  EXPECT_EQ(test.screen_rows()[1], "Ann");
  EXPECT_EQ(test.transcript(),
            (std::vector<std::string>{"Name?", "Ann", "Hello Ann", "Bo", "Hello Bo", "Cy", "Hello Cy"}));
  EXPECT_EQ(test.cursor_row(), 8);
  EXPECT_EQ(test.cursor_column(), 1);
  EXPECT_FALSE(test.ended());
}

TEST(TestHostTest, TranscriptKeepsTheRowsThatScrolledOff) {
  TestHost test;
  test.start([&test] {
    Host& host = test.host();
    for (int n = 1; n <= 30; ++n) host.print_string("line " + std::to_string(n), true);
    std::string ignored;
    host.input_line(ignored, true);
    host.halt_forever();
  });
  std::vector<std::string> expected;
  for (int n = 1; n <= 30; ++n) expected.push_back("line " + std::to_string(n));
  EXPECT_EQ(test.transcript(), expected);
  EXPECT_EQ(test.row(1), "line 7");
}

TEST(TestHostTest, ClosingTheWindowEndsAWaitingProgram) {
  TestHost test;
  test.start([&test] { Greeter(test.host()); });
  test.close_window();
  test.run_until_idle();
  EXPECT_TRUE(test.ended());
}

// Runs statements after a typed line: each one's Break poll takes a key, as the
// interpreter does; Ctrl+C stops the run and reports how many statements it took.
void BreakableRun(Host& host) {
  for (;;) {
    std::string line;
    host.input_line(line, true);
    if (host.stop_flag()) host.halt_forever();
    for (long count = 1;; ++count) {
      host.statement_event();
      const int key = host.inkey();
      if (key == 3) {
        host.print_string("Break after " + std::to_string(count), true);
        break;
      }
      if (key != kNoKey) host.print_string("key " + std::to_string(key), true);
    }
  }
}

TEST(TestHostTest, KeysCanArriveAfterAGivenNumberOfStatements) {
  TestHost test;
  test.start([&test] { BreakableRun(test.host()); });
  const long before = test.statements();
  test.key_after_statements(1000000, 3);
  test.run_line("RUN");
  EXPECT_EQ(test.row(2), "Break after 1000000");
  EXPECT_EQ(test.statements() - before, 1000000);
}

TEST(TestHostTest, APressedKeyReachesTheNextBreakPoll) {
  TestHost test;
  test.start([&test] { BreakableRun(test.host()); });
  test.type_line("RUN");
  test.press_key('x');
  test.press_key(3);
  test.run_until_idle();
  EXPECT_EQ(test.row(2), "key 120");
  EXPECT_EQ(test.row(3).rfind("Break after ", 0), 0u) << test.row(3);
}

TEST(TestHostTest, DestructorStopsAProgramInAnEndlessLoop) {
  bool unwound = false;
  {
    TestHost test;
    test.start([&test, &unwound] {
      struct Unwinding {
        bool& flag;
        ~Unwinding() { flag = true; }
      } unwinding{unwound};
      std::string line;
      test.host().input_line(line, true);
      for (;;) test.host().statement_event();
    });
    test.type_line("go");
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (test.statements() < 1000 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::yield();
    }
    EXPECT_GE(test.statements(), 1000);
    EXPECT_FALSE(test.ended());
  }
  EXPECT_TRUE(unwound);
}

TEST(TestHostTest, AnExceptionThatEndsTheProgramReachesTheTest) {
  TestHost test;
  EXPECT_THROW(test.start([] { throw HostError{9}; }), HostError);
  EXPECT_TRUE(test.ended());
}

}  // namespace
