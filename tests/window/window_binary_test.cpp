// The real program in its window on a virtual X server: typed sessions, the picture cell for
// cell, resizing, the close button, the Pause key and the end of the program.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "platform/core/fonts.h"
#include "platform/core/limits.h"
#include "platform/window/glyph_set.h"
#include "platform/window/palette.h"
#include "platform/window/screen_image.h"
#include "tests/support/process_probe.h"
#include "tests/window/virtual_display.h"

namespace {

constexpr const char* kTitle = "KELO BASIC 1.1/E for VEXO";

// The program started in its window, stopped when the test ends.
class WindowProgram {
 public:
  explicit WindowProgram(const std::string& display) : pid_(fork()) {
    if (pid_ == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // a test that dies takes the program along
      const int null = open("/dev/null", O_RDONLY);
      dup2(null, STDIN_FILENO);
      setenv("KELO_HOST", "window", 1);
      setenv("DISPLAY", display.c_str(), 1);
      execl(KELO_BINARY, KELO_BINARY, static_cast<char*>(nullptr));
      _exit(127);
    }
  }
  ~WindowProgram() {
    if (pid_ > 0 && !exited_) {
      kill(pid_, SIGKILL);
      waitpid(pid_, nullptr, 0);
    }
  }
  // The exit status once the program has ended within `seconds`; -1 when it has not, -2
  // when a signal ended it.
  int wait_for_exit(double seconds = 30) {
    int status = 0;
    const bool ended = eventually([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, seconds);
    if (!ended) return -1;
    exited_ = true;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -2;
  }
  void signal(int number) { kill(pid_, number); }
  // Waits until the program thread waits for a key (three looks in a row), or keeps a processor
  // busy: a loaded machine may take seconds for either.
  bool waits_for_a_key() {
    int quiet_looks = 0;
    return eventually([&] {
      quiet_looks = ProcessProbe(pid_).thread_sleeps(kProgramThreadName) ? quiet_looks + 1 : 0;
      return quiet_looks == 3;
    }, 20, std::chrono::milliseconds(10));
  }
  bool runs() {
    const long long before = ProcessProbe(pid_).thread_ticks(kProgramThreadName);
    return eventually([&] { return ProcessProbe(pid_).thread_ticks(kProgramThreadName) >= before + 5; }, 20,
                      std::chrono::milliseconds(10));
  }
  bool running() {
    if (exited_) return false;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) exited_ = true;
    return !exited_;
  }

 private:
  pid_t pid_ = -1;
  bool exited_ = false;
};

class WindowBinary : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(display_.running()) << "Xvfb did not start";
    ASSERT_TRUE(glyphs_.load(find_monospace_bold_font(), 20, true));
    program_ = std::make_unique<WindowProgram>(display_.name());
    window_ = find_window(kTitle);
    ASSERT_FALSE(window_.empty()) << "no window titled " << kTitle;
    shell_status("xdotool windowmove --sync " + window_ + " 0 0 >/dev/null 2>&1");
    // The window opens before the program's start-up is over: a person waits for the prompt.
    ASSERT_TRUE(comes_to_show(3, 1, ":"));
  }

  // Whether the picture shows `text` from that cell on, in that attribute, each cell's pixels
  // as the glyph the host rasterises (within rounding); `why` names the first that differs.
  bool shows(const Picture& picture, int row, int column, const std::string& text, uint8_t attribute,
             std::string* why = nullptr) {
    const int w = glyphs_.cell_width(), h = glyphs_.cell_height();
    if (picture.width < 80 * w || picture.height < 25 * h) {
      if (why != nullptr) *why = "picture " + std::to_string(picture.width) + "x" + std::to_string(picture.height);
      return false;
    }
    const CellColours colours = cell_colours(attribute, false);
    for (size_t i = 0; i < text.size(); ++i) {
      const auto code = static_cast<uint8_t>(text[i]);
      const int left = (column - 1 + static_cast<int>(i)) * w, top = (row - 1) * h;
      for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
          const int a = glyphs_.glyph(code)[y * w + x];
          const uint8_t* got = picture.at(left + x, top + y);
          const int want[3] = {(colours.background.r * (255 - a) + colours.foreground.r * a) / 255,
                               (colours.background.g * (255 - a) + colours.foreground.g * a) / 255,
                               (colours.background.b * (255 - a) + colours.foreground.b * a) / 255};
          for (int c = 0; c < 3; ++c) {
            if (std::abs(got[c] - want[c]) > 2) {
              if (why != nullptr) {
                *why = "cell " + std::to_string(row) + "," + std::to_string(column + static_cast<int>(i)) + " ('" +
                       text[i] + "') pixel " + std::to_string(x) + "," + std::to_string(y);
              }
              return false;
            }
          }
        }
      }
    }
    return true;
  }
  // Waits until the window shows the text there.
  ::testing::AssertionResult comes_to_show(int row, int column, const std::string& text, uint8_t attribute = 0x07) {
    std::string why;
    if (eventually([&] { return shows(screenshot(window_), row, column, text, attribute, &why); })) {
      return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "\"" << text << "\" at " << row << "," << column << ": " << why;
  }

  VirtualDisplay display_;
  GlyphSet glyphs_;
  std::unique_ptr<WindowProgram> program_;
  std::string window_;
};

TEST_F(WindowBinary, TypedSessionShowsCellForCellAndStretchesWithTheWindow) {
  EXPECT_TRUE(comes_to_show(1, 1, "Kelo BASIC v1.1 for Dravo BASIC"));
  type_into(window_, "10 PRINT 6*7");
  type_into(window_, "RUN");
  type_into(window_, "PRINT 100-1");
  // Box-drawing and shade in colours: yellow on blue, white on brown.
  type_into(window_, "VPOKE 3120,201:VPOKE 3121,30:VPOKE 3122,205:VPOKE 3123,30:VPOKE 3124,177:VPOKE 3125,111");
  EXPECT_TRUE(comes_to_show(3, 1, ": 10 PRINT 6*7"));
  EXPECT_TRUE(comes_to_show(4, 1, ": RUN"));
  EXPECT_TRUE(comes_to_show(5, 1, "42"));
  EXPECT_TRUE(comes_to_show(7, 1, "99"));
  EXPECT_TRUE(comes_to_show(20, 41, "\xC9\xCD", 0x1E));
  EXPECT_TRUE(comes_to_show(20, 43, "\xB1", 0x6F));
  EXPECT_EQ(command_output("xdotool getwindowname " + window_), kTitle);

  // A program that keeps running, with light blue blocks in the top-left and bottom-right cells.
  type_into(window_, "10 VPOKE 0,219:VPOKE 1,9:VPOKE 3998,219:VPOKE 3999,9:GOTO 10");
  type_into(window_, "RUN");
  const Rgb blue = kTextPalette[9];
  auto is_blue = [&](const Picture& p, int x, int y) {
    const uint8_t* c = p.at(x, y);
    return std::abs(c[0] - blue.r) <= 8 && std::abs(c[1] - blue.g) <= 8 && std::abs(c[2] - blue.b) <= 8;
  };
  auto is_black = [](const Picture& p, int x, int y) { return p.at(x, y)[0] + p.at(x, y)[1] + p.at(x, y)[2] <= 24; };
  EXPECT_TRUE(eventually([&] {
    const Picture p = screenshot(window_);
    return p.width > 0 && is_blue(p, 1, 1) && is_blue(p, p.width - 2, p.height - 2);
  }));

  // Stretched to 1600 x 1200: the corner cells stay in the corners, scaled.
  shell_status("xdotool windowsize --sync " + window_ + " 1600 1200");
  Picture stretched;
  EXPECT_TRUE(eventually([&] {
    stretched = screenshot(window_);
    return stretched.width >= 1590 && stretched.height >= 1190 && is_blue(stretched, stretched.width - 3, stretched.height - 3);
  })) << "picture " << stretched.width << "x" << stretched.height;
  if (stretched.width > 0) {
    const int cell_w = stretched.width / 80, cell_h = stretched.height / 25;
    EXPECT_TRUE(is_blue(stretched, 2, 2));
    EXPECT_TRUE(is_blue(stretched, cell_w - 3, cell_h - 3));  // the whole first cell, scaled
    EXPECT_TRUE(is_blue(stretched, stretched.width - cell_w + 3, stretched.height - cell_h + 3));
    EXPECT_TRUE(is_black(stretched, stretched.width - cell_w - 4, stretched.height - 3));
    EXPECT_TRUE(is_black(stretched, 2, cell_h + 4));
  }

  // The close button while the program runs: the process ends with status 0.
  ASSERT_TRUE(program_->running());
  EXPECT_EQ(shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window_), 0);
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

TEST_F(WindowBinary, ByeWaitsForOneKeyThenEndsWithStatusZero) {
  type_into(window_, "BYE");
  EXPECT_TRUE(comes_to_show(25, 1, "Press any key to continue"));
  EXPECT_TRUE(program_->running());
  shell_status("xdotool key --window " + window_ + " shift");  // a modifier alone is no key
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(program_->running());
  shell_status("xdotool key x");
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

TEST_F(WindowBinary, PauseHoldsTheProgramUntilTheNextKey) {
  // The first cell counts through the letters as fast as the program runs.
  type_into(window_, "10 A=A+1:VPOKE 0,65+A%26:GOTO 10");
  type_into(window_, "RUN");
  auto first_cell = [&] {
    const Picture p = screenshot(window_);
    std::string pixels;
    for (int y = 0; y < glyphs_.cell_height() && p.width > 0; ++y) {
      pixels.append(reinterpret_cast<const char*>(p.at(0, y)), static_cast<size_t>(glyphs_.cell_width()) * 3);
    }
    return pixels;
  };
  auto changing = [&] {
    const std::string before = first_cell();
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    return first_cell() != before;
  };
  EXPECT_TRUE(eventually(changing));
  shell_status("xdotool key Pause");
  EXPECT_TRUE(eventually([&] { return !changing(); }));  // the pause takes hold, however busy the machine
  EXPECT_FALSE(changing());
  EXPECT_FALSE(changing());
  shell_status("xdotool key space");  // ends the pause and is swallowed
  EXPECT_TRUE(eventually(changing));
  shell_status("xdotool key ctrl+c");  // a key for the Break poll
  EXPECT_TRUE(comes_to_show(5, 1, "Break in  10"));
  EXPECT_TRUE(comes_to_show(6, 1, ": "));
  EXPECT_EQ(shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window_), 0);
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

TEST_F(WindowBinary, CtrlBreakEndsTheSessionAsTheCloseButtonDoes) {
  type_into(window_, "10 GOTO 10");
  type_into(window_, "RUN");
  ASSERT_TRUE(program_->runs());
  shell_status("xdotool key ctrl+Pause");  // the host's key: it never reaches the program
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

TEST_F(WindowBinary, SignalsBreakAndCloseAsTheKeysAndTheCloseButtonDo) {
  // The program shows that it runs before the signal comes: at the prompt SIGINT is dropped.
  type_into(window_, "10 PRINT 7");
  type_into(window_, "20 GOTO 20");
  type_into(window_, "RUN");
  ASSERT_TRUE(comes_to_show(6, 1, "7"));
  program_->signal(SIGINT);  // as Ctrl+C at the terminal the window was started from
  EXPECT_TRUE(comes_to_show(7, 1, "Break in  20"));
  type_into(window_, "RUN");
  ASSERT_TRUE(program_->runs());
  program_->signal(SIGTERM);
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

// Keys held with Alt, Shift or Ctrl as a PC gives them: INCHAR reads an extended key as 0
// (the scan code is dropped) and Ctrl+Enter as 10; the line editor ignores both.
TEST_F(WindowBinary, ModifiedKeysReachInCharAsAPcGivesThemAndLeaveTheTypedLineAlone) {
  const struct { const char* key; const char* shown; } cases[] = {
      {"alt+x", "0,122"}, {"shift+Tab", "0,122"}, {"ctrl+Left", "0,122"}, {"ctrl+Return", "10,122"},
  };
  int row = 3;
  for (const auto& c : cases) {
    type_into(window_, "PRINT INCHAR,\",\",INCHAR");
    ASSERT_TRUE(comes_to_show(row, 1, ": PRINT INCHAR"));
    // The statement's Break test takes a key typed before it starts.
    ASSERT_TRUE(program_->waits_for_a_key());
    shell_status(std::string("xdotool key ") + c.key + " z");
    EXPECT_TRUE(comes_to_show(row + 1, 1, std::string(c.shown) + "  ")) << c.key;
    row += 2;
  }
  type_into(window_, "PRINT \"AB\"", false);
  shell_status("xdotool key alt+x shift+Tab ctrl+Left ctrl+Return Return");
  EXPECT_TRUE(comes_to_show(row, 1, ": PRINT \"AB\"  ")) << "the typed line as it was";
  EXPECT_TRUE(comes_to_show(row + 1, 1, "AB  "));
  EXPECT_EQ(shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window_), 0);
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

// The README's picture of the window, made with the same set-up.
TEST_F(WindowBinary, HelpBoxPicture) {
  type_into(window_, "HELP");
  EXPECT_TRUE(comes_to_show(4, 1, "\xDA\xC4\xC4\xC4"));
  // Taken when the blinking cursor shows, after the prompt in row 24. On a loaded machine a
  // screenshot takes seconds, so many may be needed to meet the cursor's half of the blink.
  const int cursor_x = 2 * glyphs_.cell_width() + glyphs_.cell_width() / 2, cursor_y = 24 * glyphs_.cell_height() - 1;
  EXPECT_TRUE(eventually([&] {
    const Picture p = screenshot(window_, HELP_PICTURE);
    return p.width > cursor_x && p.height > cursor_y && p.at(cursor_x, cursor_y)[0] == kTextPalette[7].r;
  }, 60));
  EXPECT_EQ(shell_status(std::string(WM_DELETE_WINDOW_TOOL) + " " + window_), 0);
  EXPECT_EQ(program_->wait_for_exit(), 0);
}

// A window that cannot draw (here: fontconfig knows no font at all) is no window: asked for
// by name, the program says why on one line and ends with status 2 before the session starts,
// so that a script never takes it for a session that went well.
TEST(WindowThatCannotDraw, IsNoWindowAndEndsWithOneLine) {
  VirtualDisplay display;
  ASSERT_TRUE(display.running()) << "Xvfb did not start";
  char folder[] = "/tmp/kelo-fonts-XXXXXX";
  ASSERT_NE(mkdtemp(folder), nullptr);
  const std::string config = std::string(folder) + "/fonts.conf";
  const std::string err = std::string(folder) + "/err";
  ASSERT_EQ(shell_status("printf '<?xml version=\"1.0\"?><fontconfig></fontconfig>' > " + config), 0);
  const int status = shell_status("FONTCONFIG_FILE=" + config + " KELO_HOST=window DISPLAY=" + display.name() + " " +
                                  KELO_BINARY + " < /dev/null 2> " + err);
  EXPECT_EQ(status, 2);
  EXPECT_EQ(command_output("cat " + err),
            "kelo-basic: no window can be opened here (no monospace font for the window was found)");
  std::remove(err.c_str());
  std::remove(config.c_str());
  rmdir(folder);
}

}  // namespace
