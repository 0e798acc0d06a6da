// Our own "dir <pattern> /w": a wide directory listing, made in memory, no shell involved.
#pragma once
#include <optional>
#include <string>
#include <string_view>

// The file that "dir ... > dirout.$$$" writes: the host keeps it in memory under this name.
constexpr std::string_view kListingFileName = "dirout.$$$";

// The listing of `pattern` (a folder, a name pattern with * and ?, or both; empty lists the
// current folder) in the wide form, as the lines of a text file.
std::string wide_listing(std::string_view pattern);
// The pattern of the one command that runs, "dir <pattern> /w  > dirout.$$$"; nothing for
// any other command.
std::optional<std::string_view> listing_command_pattern(std::string_view command);
// Case-insensitive match with * and ?.
bool wildcard_match(std::string_view pattern, std::string_view name);
