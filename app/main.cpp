// The program's entry: picks the front end, starts the host and runs the interpreter on its thread.
#include <unistd.h>

#include <climits>
#include <new>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <thread>

#include "interpreter/interpreter.h"
#include "platform/core/host.h"
#include "platform/core/host_error.h"
#include "platform/stream/stream_front_end.h"

namespace {

// Programs and their files live beside the executable.
void EnterExecutableFolder() {
  char path[PATH_MAX];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0) return;
  std::string folder(path, static_cast<size_t>(length));
  folder.erase(folder.rfind('/') + 1);
  if (chdir(folder.c_str()) != 0) std::perror("kelo-basic: cannot enter the program's folder");
}

std::string JoinArguments(int argc, char** argv) {
  std::string text;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) text += ' ';
    text += argv[i];
  }
  return text;
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

int main(int argc, char** argv) {
  // Unset also means the stream for now, even at a terminal.
  const char* choice = std::getenv("KELO_HOST");
  const std::string_view front_end_name = choice != nullptr && *choice != '\0' ? choice : "stream";
  if (front_end_name != "stream") {
    std::fprintf(stderr, "kelo-basic: unknown KELO_HOST \"%s\" (known: stream)\n", choice);
    return 2;
  }

  EnterExecutableFolder();
  Console console;
  StreamFrontEnd front_end(STDIN_FILENO, stdout);
  Host host(console, front_end, JoinArguments(argc, argv));
  console.set_key_pump(true);
  front_end.attach(host);
  Interpreter::WindowSettings(host);
  Interpreter interpreter(host);

  int status = 0;
  std::thread program([&] { status = RunProgram(interpreter); });
  program.join();
  console.mark_program_ended();
  front_end.write_final_screen(host.screen());
  return status;
}
