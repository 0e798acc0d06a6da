// A virtual X server (Xvfb) of the test's own, and the X tools the window tests drive it with.
#pragma once
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/prctl.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

// Starts Xvfb on a free display number and points DISPLAY at it; stops it at the end.
// `without_glx` leaves out the OpenGL extension: a display that no window of ours can draw on.
class VirtualDisplay {
 public:
  explicit VirtualDisplay(bool without_glx = false) {
    int fds[2];
    if (pipe(fds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      close(fds[0]);
      prctl(PR_SET_PDEATHSIG, SIGTERM);  // a test that dies takes its server along
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDERR_FILENO);  // it reports the display numbers it found taken
      const std::string fd = std::to_string(fds[1]);
      if (without_glx) {
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset",
               "-extension", "GLX", static_cast<char*>(nullptr));
      }
      execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "2048x1600x24", "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(fds[1]);
    std::string number;
    char c;
    while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
    close(fds[0]);
    if (!number.empty()) {
      name_ = ":" + number;
      setenv("DISPLAY", name_.c_str(), 1);
    }
  }
  ~VirtualDisplay() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  VirtualDisplay(const VirtualDisplay&) = delete;
  VirtualDisplay& operator=(const VirtualDisplay&) = delete;

  bool running() const { return !name_.empty(); }
  const std::string& name() const { return name_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
};

// Runs a shell command; its standard output, trailing line end dropped.
inline std::string command_output(const std::string& command) {
  std::string text;
  // NOLINTNEXTLINE(cert-env33-c): the X tools are driven through their command lines.
  if (FILE* pipe = popen(command.c_str(), "r")) {
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) text += buffer;
    pclose(pipe);
  }
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

inline int shell_status(const std::string& command) {
  // NOLINTNEXTLINE(cert-env33-c): the X tools are driven through their command lines.
  const int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// The window of that title, waited for; "" when none appears within 20 s.
inline std::string find_window(const std::string& title) {
  return command_output("timeout 20 xdotool search --sync --name '^" + title + "$' 2>/dev/null | head -n 1");
}

// Types text into the window, then presses Return when `enter` is set.
inline void type_into(const std::string& window, const std::string& text, bool enter = true) {
  shell_status("xdotool windowfocus --sync " + window + " >/dev/null 2>&1");
  if (!text.empty()) shell_status("xdotool type --delay 15 '" + text + "'");
  if (enter) shell_status("xdotool key Return");
}

// A screenshot as 8-bit RGB pixels, row by row from the top.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* at(int x, int y) const { return &rgb[(static_cast<size_t>(y) * width + x) * 3]; }
};

// Takes the window's picture with xwd and reads it through ImageMagick as a binary PPM;
// `png`, when given, keeps a copy as PNG.
inline Picture screenshot(const std::string& window, const std::string& png = "") {
  Picture picture;
  const std::string base = "/tmp/kelo_window_shot_" + std::to_string(getpid());
  if (shell_status("xwd -silent -id " + window + " > " + base + ".xwd && /usr/bin/convert " + base + ".xwd " + base +
                   ".ppm") != 0) {
    return picture;
  }
  if (!png.empty()) shell_status("/usr/bin/convert " + base + ".xwd '" + png + "'");
  std::ifstream file(base + ".ppm", std::ios::binary);
  // The header's fields, past the comment lines ImageMagick writes (the window's name).
  auto field = [&file] {
    std::string word;
    while (file >> word && word[0] == '#') std::getline(file, word);
    return word;
  };
  // A field that is no number reads as -1, which the checks below refuse.
  auto number = [&field] {
    const std::string word = field();
    char* end = nullptr;
    const long value = std::strtol(word.c_str(), &end, 10);
    return end != word.c_str() && *end == '\0' && value >= 0 && value <= 1 << 16 ? static_cast<int>(value) : -1;
  };
  const std::string magic = field();
  picture.width = number();
  picture.height = number();
  const int max_value = number();
  file.get();
  picture.rgb.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
  if (magic != "P6" || max_value != 255 || picture.rgb.size() < static_cast<size_t>(picture.width) * picture.height * 3) {
    picture = {};
  }
  std::remove((base + ".xwd").c_str());
  std::remove((base + ".ppm").c_str());
  return picture;
}

// Polls `done` every `every` for up to `seconds`.
template <typename Condition>
bool eventually(Condition done, double seconds = 30, std::chrono::milliseconds every = std::chrono::milliseconds(100)) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(every);
  }
  return true;
}

}  // namespace
