// The program's entry: picks the front end, starts the program thread and the front end, joins.
#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <string_view>
#include <system_error>

#include "interpreter/interpreter.h"
#include "platform/core/console.h"
#include "platform/core/file_one.h"
#include "platform/core/fonts.h"
#include "platform/core/host.h"
#include "platform/core/host_error.h"
#include "platform/core/program_thread.h"
#include "platform/core/signal_events.h"
#include "platform/core/start_up.h"
#include "platform/stream/stream_front_end.h"
#include "platform/terminal/terminal_front_end.h"
#include "platform/window/window_module.h"

namespace {

// How long main waits for the program thread after the front end is done with it.
constexpr int kShutdownGraceMs = 2000;

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
}

bool HasDisplay() {
  for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return true;
  }
  return false;
}

// The folder of this executable, with its final "/"; "" when it cannot be read.
std::string ExecutableFolder() {
  char path[4096];
  ssize_t length = readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || length == static_cast<ssize_t>(sizeof path)) return {};
  std::string folder(path, static_cast<size_t>(length));
  return folder.substr(0, folder.rfind('/') + 1);
}

// The window front end with its window open, or null, with `failure` saying why, when none
// can be opened here: no display, no window module where an installed program keeps it or
// beside the executable (the build tree), a display that cannot draw. The module (and with it
// the graphics libraries) is loaded only here, and stays loaded: the front end's code lives in
// it. Its start-up font is looked up here, before the program thread starts, by the program's
// one copy of the core.
std::unique_ptr<FrontEnd> OpenWindowFrontEnd(Console& console, SignalEvents& signals, std::string& failure) {
  if (!HasDisplay()) {
    failure = "no display is named: DISPLAY is not set";
    return nullptr;
  }
  std::string folder = ExecutableFolder();
  if (folder.empty()) {
    failure = "the program's folder is unknown";
    return nullptr;
  }
  void* module = dlopen((folder + kInstalledWindowModuleFolder + kWindowModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (module == nullptr) module = dlopen((folder + kWindowModuleName).c_str(), RTLD_NOW | RTLD_LOCAL);
  auto open = module == nullptr ? nullptr : reinterpret_cast<OpenWindowFrontEndFunction>(dlsym(module, kWindowModuleEntry));
  if (open == nullptr) {
    const char* why = dlerror();
    failure = why != nullptr ? why : "the window module cannot be loaded";
    return nullptr;
  }
  return std::unique_ptr<FrontEnd>(open(console, find_monospace_bold_font(), &signals, failure));
}

// The front end KELO_HOST names; unset: a window at a display, the terminal at a terminal,
// else the stream. Null, after a message, when the choice cannot be had.
std::unique_ptr<FrontEnd> ChooseFrontEnd(Console& console, SignalEvents& signals) {
  const char* setting = std::getenv("KELO_HOST");
  const std::string_view choice = setting != nullptr ? setting : "";
  const bool at_terminal = isatty(STDIN_FILENO) != 0;
  const int terminal_output = isatty(STDOUT_FILENO) != 0 ? STDOUT_FILENO : STDIN_FILENO;
  if (choice == "stream") return std::make_unique<StreamFrontEnd>(console, STDIN_FILENO, stdout, &signals);
  if (choice == "terminal") {
    if (!at_terminal) {
      std::fprintf(stderr, "kelo-basic: KELO_HOST=terminal needs a terminal on standard input\n");
      return nullptr;
    }
    return std::make_unique<TerminalFrontEnd>(console, STDIN_FILENO, terminal_output, &signals);
  }
  if (!choice.empty() && choice != "window") {
    std::fprintf(stderr, "kelo-basic: unknown KELO_HOST \"%s\" (known: window, terminal, stream)\n", setting);
    return nullptr;
  }
  std::string notice;
  if (choice == "window" || (at_terminal && HasDisplay())) {
    std::string failure;
    if (std::unique_ptr<FrontEnd> window = OpenWindowFrontEnd(console, signals, failure)) return window;
    // A window asked for by name is what the user wants: nothing else will do.
    if (choice == "window") {
      std::fprintf(stderr, "kelo-basic: no window can be opened here (%s)\n", failure.c_str());
      return nullptr;
    }
    notice = "kelo-basic: no window can be opened here; using the terminal (" + failure + ")";
    std::fprintf(stderr, "%s\n", notice.c_str());  // seen once the terminal is given back
  }
  if (at_terminal) {
    auto terminal = std::make_unique<TerminalFrontEnd>(console, STDIN_FILENO, terminal_output, &signals);
    terminal->show_notice(notice);
    return terminal;
  }
  return std::make_unique<StreamFrontEnd>(console, STDIN_FILENO, stdout, &signals);
}

// What `make` makes (a descriptor's owner, the program thread), or, when the system refuses it,
// one line and the end of the process: nothing has begun that could be left half done.
template <typename Make>
auto Required(Make make) {
  try {
    return make();
  } catch (const std::system_error& refusal) {
    report_start_failure(refusal);
    std::exit(kStartFailureStatus);
  }
}

// Runs the interpreter until the host shuts down; 0, or 1 when a host error got away.
int RunProgram(Interpreter& interpreter) {
  try {
    interpreter.InterpreterMain();
  } catch (const HostShutdown&) {
    return 0;
  } catch (const HostError& error) {
    std::fprintf(stderr, "kelo-basic: host error %u was not handled\n", error.code);
    return 1;
  } catch (const std::bad_alloc&) {
    // Exhausted memory is fatal: the interpreter never sees it.
    std::fprintf(stderr, "kelo-basic: out of memory\n");
    return 1;
  }
  return 0;
}

}  // namespace

// The current folder stays the one the user started in: programs are loaded and saved there.
int main(int argc, char** argv) {
  Required(open_standard_descriptors);  // before anything else opens a descriptor
  // Before any thread starts, so that every thread leaves the signals to it.
  SignalEvents signals = Required([] { return SignalEvents(); });
  Console console = Required([] { return Console(); });
  std::unique_ptr<FrontEnd> front_end = ChooseFrontEnd(console, signals);
  if (front_end == nullptr) return 2;
  Host host(console, *front_end, JoinArguments(argc, argv));
  Interpreter::WindowSettings(host);
  front_end->window_settings(host.window_resizable, host.scaling_mode);
  Interpreter interpreter(host);

  int status = 0;
  ProgramThread program = Required([&] {
    return ProgramThread([&] {
      status = RunProgram(interpreter);
      host.program_ended();
    });
  });
  front_end->run();
  if (!console.wait_until_ended(kShutdownGraceMs)) {
    // The program did not come to an event check in time after a close.
    std::fprintf(stderr, "kelo-basic: the program did not stop; ending it\n");
    remove_pending_temporary_file();  // a SAVE under way leaves nothing behind
    _exit(0);  // a close: status 0
  }
  program.join();
  if (const int failure = front_end->failure_status(); failure != 0) return failure;
  return status;
}
