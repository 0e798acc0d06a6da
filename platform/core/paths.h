// Paths: host names of the user's file names, and lookups that ignore the case of letters.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Whether anything (a link included) stands at the path.
bool exists(const std::string& path);
bool is_folder(const std::string& path);
std::string parent_folder(const std::string& path);  // "." for a bare name
std::string join_path(const std::string& folder, const std::string& name);
// Host path of a name: "\" becomes "/".
std::string host_path(std::string_view name);
// Names compared as the user sees them: ASCII letters without regard to case.
bool equal_ignoring_case(std::string_view a, std::string_view b);
// Name resolution: the exact name when it exists, else each missing part of the path
// matched without regard to case in its folder; from the first part that matches
// nothing on, the rest stays as given.
std::string resolve_existing(const std::string& path);
// The host error of an open of `path` that failed with `error`: 53 missing, 76 missing
// folder, 70 refused, 64 a name too long, 53 any other refusal.
uint32_t open_error_code(int error, const std::string& path);
