// What /proc tells of a running process: the signals it blocks and holds, whether its threads
// sleep, the processor time a named thread used. Tests wait on these instead of sleeping.
#pragma once
#include <sys/types.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace {

// What /proc tells of a process.
class ProcessProbe {
 public:
  explicit ProcessProbe(pid_t pid) : pid_(pid) {}

  // Whether the process blocks `signal`: it then reads it as an event, so sending it is safe.
  bool blocks(int signal) const { return has_bit(status_field("/proc/" + std::to_string(pid_) + "/status", "SigBlk:"), signal); }
  // Whether `signal` was sent to the process and is not yet taken by it.
  bool holds_pending(int signal) const {
    const std::string status = "/proc/" + std::to_string(pid_) + "/status";
    if (has_bit(status_field(status, "ShdPnd:"), signal)) return true;
    for (const std::string& task : tasks()) {
      if (has_bit(status_field(task + "/status", "SigPnd:"), signal)) return true;
    }
    return false;
  }
  // Whether every thread sleeps: nothing runs and nothing waits for a processor.
  bool sleeps() const {
    for (const std::string& task : tasks()) {
      if (state_of(task) != 'S') return false;
    }
    return true;
  }
  // Whether the thread of that name sleeps (and is there).
  bool thread_sleeps(std::string_view name) const {
    const std::string task = task_named(name);
    return !task.empty() && state_of(task) == 'S';
  }
  // The processor time the thread of that name has used so far, in clock ticks; -1 before it starts.
  long long thread_ticks(std::string_view name) const {
    const std::string task = task_named(name);
    return task.empty() ? -1 : ticks_in(task + "/stat");
  }

 private:
  static std::string read(const std::string& path) {
    std::ifstream in(path);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static std::string status_field(const std::string& path, std::string_view name) {
    std::istringstream lines(read(path));
    for (std::string line; std::getline(lines, line);) {
      if (line.rfind(name, 0) == 0) return line.substr(name.size());
    }
    return "";
  }
  static bool has_bit(const std::string& hex_mask, int signal) {
    if (hex_mask.find_first_not_of(" \t") == std::string::npos) return false;
    return ((std::stoull(hex_mask, nullptr, 16) >> (signal - 1)) & 1) != 0;
  }
  // utime and stime of a stat file, the 14th and 15th fields.
  static long long ticks_in(const std::string& path) {
    const std::string stat = read(path);
    const size_t after_name = stat.rfind(')');
    if (after_name == std::string::npos || after_name + 2 >= stat.size()) return -1;
    std::istringstream fields(stat.substr(after_name + 2));
    std::string field;
    long long ticks = 0;
    for (int index = 3; index <= 15 && fields >> field; ++index) {
      if (index >= 14) ticks += std::stoll(field);
    }
    return ticks;
  }
  static char state_of(const std::string& task) {
    const std::string stat = read(task + "/stat");
    const size_t after_name = stat.rfind(')');
    return after_name == std::string::npos || after_name + 2 >= stat.size() ? '?' : stat[after_name + 2];
  }
  std::vector<std::string> tasks() const {
    std::vector<std::string> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/" + std::to_string(pid_) + "/task", error)) {
      found.push_back(entry.path());
    }
    return found;
  }
  std::string task_named(std::string_view name) const {
    for (const std::string& task : tasks()) {
      std::string comm = read(task + "/comm");
      if (!comm.empty() && comm.back() == '\n') comm.pop_back();
      if (comm == name) return task;
    }
    return "";
  }

  pid_t pid_;
};

}  // namespace
