// Start-up: the greeting, the start-up command and the state handed to the prompt.
#include <gtest/gtest.h>

#include "tests/support/session.h"

TEST(StartUp, GreetsAndPromptsOnAClearedScreen) {
  Session session;
  EXPECT_EQ(session.Host().row(1), "Kelo BASIC v1.1 for Dravo BASIC");
  EXPECT_EQ(session.Host().row(2), "Type HELP for commands.");
  EXPECT_EQ(session.Host().row(3), ":");
  EXPECT_EQ(session.Host().cursor_row(), 3);
  EXPECT_EQ(session.Host().cursor_column(), 3);
  EXPECT_EQ(session.Host().host().window_title(), "KELO BASIC 1.1/E for VEXO");
  EXPECT_EQ(session.Host().host().window_resizable, 1);
  EXPECT_EQ(session.Host().host().scaling_mode, 2);
}

TEST(StartUp, LeavesTheStateEmpty) {
  Session session;
  const InterpreterState& state = session.State();
  EXPECT_EQ(state.gosub_top, 83);
  EXPECT_EQ(state.for_top, 0);
  EXPECT_EQ(state.trace_on, 0);
  EXPECT_EQ(state.video_segment, -18432);
  EXPECT_EQ(state.quote_char, '"');
  EXPECT_EQ(state.break_char, 3);
  EXPECT_EQ(state.font_style, "monospace,bold");
  EXPECT_GE(state.font_handle, 32);
  ASSERT_EQ(state.byte_memory.size(), 16384);
  for (int16_t cell : state.byte_memory.cells) ASSERT_EQ(cell, 0);
  for (char letter = 'A'; letter <= 'Z'; ++letter) EXPECT_EQ(session.Variable(letter), 0);
  EXPECT_TRUE(session.Program().empty());
}

TEST(StartUp, RunsTheCommandLineAsATypedLine) {
  struct Case {
    std::string command_line;
    std::vector<std::string> rows;
  };
  const Case cases[] = {
      {"GAME", {": load GAME:run", "#Err: File GAME.TIB not found", ":"}},
      {"MY GAME", {": load MY GAME:run", "#Err: File MY GAME.TIB not found", ":"}},
      // A drive letter is cut at its ":" by the file name rule.
      {"C:\\GAMES\\GAME", {": load C:\\GAMES\\GAME:run", "#Err: File C.TIB not found", ":"}},
  };
  for (const Case& c : cases) {
    Session session(c.command_line);
    std::vector<std::string> rows = session.Host().transcript();
    EXPECT_EQ(rows, c.rows) << c.command_line;
  }
}

TEST(StartUp, ALongCommandStartsOnTheNextRow) {
  const std::string name(70, 'X');
  Session session(name);
  EXPECT_EQ(session.Host().row(1), ":");
  EXPECT_EQ(session.Host().row(2), "load " + name + ":run");
}

TEST(StartUp, AFontThatCannotBeDrawnIsReportedAndStartUpGoesOn) {
  Session session("", true);
  EXPECT_EQ(session.Host().transcript(),
            (std::vector<std::string>{"Error  258", "Kelo BASIC v1.1 for Dravo BASIC", "Type HELP for commands.", ":"}));
  EXPECT_EQ(session.Host().host().fonts().selected(), nullptr);  // nothing half-chosen
  // Everything start-up sets after the font is in place.
  EXPECT_EQ(session.State().video_segment, -18432);
  EXPECT_EQ(session.State().byte_memory.size(), 16384);
  EXPECT_EQ(session.Run("10 PRINT 1+1"), ":");
  EXPECT_EQ(session.Run("RUN"), "2\n:");
  EXPECT_EQ(session.Run("PRINT VPEEK(0)"), "69\n:");  // "E" of the error row
  Session with_command("GAME", true);
  EXPECT_EQ(with_command.Host().transcript(),
            (std::vector<std::string>{"Error  258", ": load GAME:run", "#Err: File GAME.TIB not found", ":"}));
}
