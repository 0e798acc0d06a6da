// Our own "dir <pattern> /w": a wide directory listing written to a file, no shell involved.
#pragma once
#include <string>
#include <string_view>

// Writes the listing of `pattern` (a folder, a name pattern with * and ?, or both; empty
// lists the current folder) in the wide form into `output_path`.
void write_wide_listing(std::string_view pattern, const std::string& output_path);
// Carries out "dir <pattern> /w  > dirout.$$$" itself; refuses any other command.
// Returns whether the command was recognised.
bool run_shell_command(std::string_view command);
// Case-insensitive match with * and ?.
bool wildcard_match(std::string_view pattern, std::string_view name);
