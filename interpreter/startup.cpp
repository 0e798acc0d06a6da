// Start-up: the window settings and the interpreter's main routine.
#include "interpreter/interpreter.h"

Interpreter::Interpreter(Host& host, bool reference_paths) : host(host), memo_on(!reference_paths) {}

void Interpreter::WindowSettings(Host& host) {
  host.window_resizable = 1;  // the user may resize; the window keeps its size
  host.scaling_mode = 2;      // the text screen is stretched to fit, with smoothing
}

void Interpreter::InterpreterMain() {
  Continuation first;
  try {
    first = StartUp();
  } catch (const HostError& error) {
    first = RuntimeErrorHandler(error.code);
  } catch (const StatementAbandoned&) {
    first = Continuation::MainLoop;
  }
  Trampoline(first);
}

Continuation Interpreter::StartUp() {
  host.set_window_title("KELO BASIC 1.1/E for VEXO");

  // A font that cannot be loaded must not skip the rest of start-up: it is reported
  // once the screen is ready, and the host keeps the font it has.
  uint32_t font_error = 0;
  s.windows_dir = host.environment_variable("SYSTEMROOT");
  s.font_file = s.windows_dir + "\\Fonts\\cour.ttf";
  s.font_style = "monospace,bold";
  try {
    s.font_handle = host.load_font(s.font_file, kFontHeight, s.font_style);
    host.set_font(s.font_handle);
  } catch (const HostError& error) {
    font_error = error.code;
  }

  host.set_segment(0, true);
  s.video_segment = host.peek_byte(kVideoModeOffset) == kMonochromeMode ? kMonochromeSegment : kColourSegment;
  host.set_segment(0, false);

  s.byte_memory.cells.assign(kMemoryCells, 0);
  s.quote_char = kQuoteChar;
  s.break_char = kBreakChar;
  s.gosub_top = kGosubBase;
  s.trace_on = 0;
  s.for_top = 0;

  host.clear_screen();
  if (font_error != 0) ReportHostError(font_error);

  const std::string& command = host.command_line();
  if (!command.empty()) {
    s.typed_line = "load " + command + ":run";
    s.program_lines.Write(kImmediateSlot) = s.typed_line;
    PrintItem(": ");
    PrintItem(s.typed_line);
    EndLine();
    return ExecuteTyped();
  }
  PrintItem("Kelo BASIC v1.1 for Dravo BASIC");
  EndLine();
  PrintItem("Type HELP for commands.");
  EndLine();
  return Continuation::MainLoop;
}
