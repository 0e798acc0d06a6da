// The window front end with the host and the interpreter in one process, as main runs them:
// freeglut's loop on this thread, the program on its own, keys typed through the X server.
// Built with ThreadSanitizer too, it shows that nothing but the Console crosses the threads.
// freeglut starts once per process: each test runs in a process of its own, as ctest runs them.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "interpreter/interpreter.h"
#include "platform/core/fonts.h"
#include "platform/core/host.h"
#include "platform/window/glyph_set.h"
#include "platform/window/window_front_end.h"
#include "tests/window/virtual_display.h"

namespace {

constexpr const char* kTitle = "KELO BASIC 1.1/E for VEXO";

// How the program thread ended.
enum class Ending { kRunning, kShutDown, kOther };

class WindowSeam : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(display_.running()) << "Xvfb did not start"; }

  // Runs the window on this thread and `drive` on a thread of its own against the window's
  // X id, until the window's loop ends; then joins everything.
  // `settings` stand in for the interpreter's window settings when given.
  template <typename Drive>
  void run_session(Drive drive, const int32_t* settings = nullptr) {
    ASSERT_EQ(front_end_.open(), "");  // as main opens it: before the program thread starts
    Interpreter::WindowSettings(host_);
    if (settings != nullptr) {
      host_.window_resizable = settings[0];
      host_.scaling_mode = settings[1];
    }
    Interpreter interpreter(host_);
    std::thread program([&] {
      if (program_held_.load()) host_.set_window_title(kTitle);  // as the interpreter will: the driver finds the window
      while (program_held_.load()) std::this_thread::sleep_for(std::chrono::milliseconds(10));
      try {
        interpreter.InterpreterMain();
      } catch (const HostShutdown&) {
        ending_ = Ending::kShutDown;
      } catch (...) {
        ending_ = Ending::kOther;
      }
      host_.program_ended();
    });
    std::thread driver([&] {
      const std::string window = find_window(kTitle);
      if (window.empty()) {
        program_held_ = false;
        console_.request_close();  // no window: end the session rather than hang
        return;
      }
      window_name_ = command_output("xdotool getwindowname " + window);
      // As a person waits for the prompt: the window opens before the program's start-up is
      // over, and keys typed meanwhile beyond the ring's 15 would be dropped. A program held
      // back shows none.
      if (!program_held_.load()) shows(3, ":");
      drive(window);
      program_held_ = false;
    });
    front_end_.window_settings(host_.window_resizable, host_.scaling_mode);
    front_end_.run();
    drawn_ = front_end_.drew();
    driver.join();
    program.join();
  }
  std::string row(int number) { return row_text(host_.screen().row_cells(number)); }
  // On the driver's thread: waits until the published screen shows `text` in that row, as a
  // person waits to see what they typed taken before typing on (a slow machine may leave the
  // program behind the typing by more than the ring's 15 keys); whether it came.
  bool shows(int number, const std::string& text) {
    ScreenSnapshot shown;
    return eventually([&] {
      console_.take_snapshot(shown);  // a copy of the newest; the window takes its own
      return row_text(shown.cells.data() + (number - 1) * kScreenColumns * 2) == text;
    }, 20);
  }

  VirtualDisplay display_;
  Console console_;
  WindowFrontEnd front_end_{console_, find_monospace_bold_font()};
  Host host_{console_, front_end_, ""};
  Ending ending_ = Ending::kRunning;
  std::atomic<bool> program_held_{false};  // the program waits before it starts while this is set
  bool drawn_ = false;
  std::string window_name_;
};

TEST_F(WindowSeam, TypedKeysReachTheProgramAndTheCloseButtonEndsIt) {
  run_session([&](const std::string& window) {
    type_into(window, "10 PRINT 6*7");
    shows(4, ":");
    type_into(window, "20 GOTO 20");
    shows(5, ":");
    type_into(window, "RUN");
    shows(6, "42");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window);
  });
  EXPECT_TRUE(drawn_);
  EXPECT_EQ(window_name_, kTitle);
  EXPECT_EQ(ending_, Ending::kShutDown);
  EXPECT_EQ(row(1), "Kelo BASIC v1.1 for Dravo BASIC");
  EXPECT_EQ(row(3), ": 10 PRINT 6*7");
  EXPECT_EQ(row(4), ": 20 GOTO 20");
  EXPECT_EQ(row(5), ": RUN");
  EXPECT_EQ(row(6), "42");
}

// Keys typed while the program takes none wait for it, more of them than the keyboard ring
// holds: they stay in X's queue until the ring has room.
TEST_F(WindowSeam, KeysTypedBeforeTheProgramReadsAnyWaitForIt) {
  program_held_ = true;
  run_session([this](const std::string& window) {
    type_into(window, "PRINT \"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"");
    std::this_thread::sleep_for(std::chrono::milliseconds(300));  // the window has seen them all
    program_held_ = false;
    shows(4, "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
    shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window);
  });
  EXPECT_EQ(row(3), ": PRINT \"ABCDEFGHIJKLMNOPQRSTUVWXYZ\"");
  EXPECT_EQ(row(4), "ABCDEFGHIJKLMNOPQRSTUVWXYZ");
}

TEST_F(WindowSeam, ByeAndItsKeyEndTheWindowLoop) {
  run_session([&](const std::string& window) {
    type_into(window, "BYE");
    shows(25, "Press any key to continue");  // keys before it are discarded
    shell_status("xdotool key Escape");
  });
  EXPECT_TRUE(drawn_);
  EXPECT_EQ(ending_, Ending::kShutDown);
  EXPECT_EQ(row(3), ": BYE");
  EXPECT_EQ(row(5), "Thanks for using Kelo BASIC.");
  EXPECT_EQ(row(25), "Press any key to continue");
}

TEST_F(WindowSeam, TheWindowFollowsTheCellSizeOfANewFont) {
  GlyphSet large;
  ASSERT_TRUE(large.load(find_monospace_bold_font(), 32, true));
  std::string size_before, size_after;
  run_session([&](const std::string& window) {
    type_into(window, "PRINT 1");  // start-up is over: its font is drawn
    shows(4, "1");
    size_before = command_output("xdotool getwindowgeometry --shell " + window + " | grep -E 'WIDTH|HEIGHT'");
    console_.set_font(find_monospace_bold_font(), 32, true);  // as the program's set_font asks
    const std::string want = "WIDTH=" + std::to_string(80 * large.cell_width()) + "\nHEIGHT=" +
                             std::to_string(25 * large.cell_height());
    eventually([&] {
      size_after = command_output("xdotool getwindowgeometry --shell " + window + " | grep -E 'WIDTH|HEIGHT'");
      return size_after == want;
    });
    shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window);
  });
  EXPECT_EQ(size_after, "WIDTH=" + std::to_string(80 * large.cell_width()) + "\nHEIGHT=" +
                            std::to_string(25 * large.cell_height()))
      << "before: " << size_before;
  EXPECT_NE(size_before, size_after);
  EXPECT_EQ(ending_, Ending::kShutDown);
}

TEST_F(WindowSeam, AWindowThatIsNotResizableKeepsTheScreensSize) {
  const int32_t fixed_unscaled[2] = {0, 0};
  std::string size;
  run_session(
      [&](const std::string& window) {
        type_into(window, "PRINT 1");
        shows(4, "1");
        const std::string native = command_output("xdotool getwindowgeometry --shell " + window + " | grep -E 'WIDTH|HEIGHT'");
        shell_status("xdotool windowsize " + window + " 1600 1200");
        // Back to its own size, however busy the machine.
        eventually([&] {
          size = command_output("xdotool getwindowgeometry --shell " + window + " | grep -E 'WIDTH|HEIGHT'");
          return size == native;
        });
        if (size != native) size += " instead of " + native;
        shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window);
      },
      fixed_unscaled);
  GlyphSet glyphs;
  ASSERT_TRUE(glyphs.load(find_monospace_bold_font(), 20, true));
  EXPECT_EQ(size, "WIDTH=" + std::to_string(80 * glyphs.cell_width()) + "\nHEIGHT=" +
                      std::to_string(25 * glyphs.cell_height()));
  EXPECT_EQ(ending_, Ending::kShutDown);
}

}  // namespace
