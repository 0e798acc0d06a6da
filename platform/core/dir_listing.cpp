// Our own "dir <pattern> /w": a wide directory listing, made in memory, no shell involved.
#include "platform/core/dir_listing.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/core/file_one.h"
#include "platform/core/numbers.h"
#include "platform/core/paths.h"

namespace {

constexpr std::string_view kCommandStart = "dir ";
constexpr std::string_view kCommandEnd = " /w  > dirout.$$$";
static_assert(kCommandEnd.ends_with(kListingFileName));
constexpr int kSlotWidth = 16;
constexpr int kSlotsPerLine = 5;

struct Entry {
  std::string name;
  bool folder = false;
  uint64_t size = 0;
};

std::string lowered(std::string_view text) {
  std::string result(text);
  for (char& c : result) c = to_lower_ascii(c);
  return result;
}

std::string with_thousands(uint64_t value) {
  std::string digits = std::to_string(value);
  std::string grouped;
  for (size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

// The matching entries of `folder`, sorted by name without regard to case; false when
// the folder cannot be read.
bool read_entries(const std::string& folder, std::string_view name_pattern, std::vector<Entry>& entries) {
  DIR* dir = opendir(folder.c_str());
  if (dir == nullptr) return false;
  while (dirent* item = readdir(dir)) {
    std::string_view name = item->d_name;
    if (name == "." || name == ".." || !wildcard_match(name_pattern, name)) continue;
    std::string full = folder + "/" + item->d_name;
    struct stat info;
    if (stat(full.c_str(), &info) != 0 && lstat(full.c_str(), &info) != 0) continue;
    entries.push_back({std::string(name), S_ISDIR(info.st_mode), static_cast<uint64_t>(info.st_size)});
  }
  closedir(dir);
  std::sort(entries.begin(), entries.end(), [](const Entry& a, const Entry& b) {
    std::string la = lowered(a.name), lb = lowered(b.name);
    return la != lb ? la < lb : a.name < b.name;
  });
  return true;
}

void end_line(std::string& line, std::string& text) {
  line.erase(line.find_last_not_of(' ') + 1);
  text += line;
  text += '\n';
  line.clear();
}

}  // namespace

std::string wide_listing(std::string_view raw_pattern) {
  constexpr std::string_view not_found = "File Not Found\n";
  if (raw_pattern.find('\0') != std::string_view::npos) return std::string(not_found);  // no name holds one
  std::string pattern = host_path(trim_blanks(raw_pattern));
  std::string folder = ".";
  std::string name_pattern = "*";
  if (!pattern.empty()) {
    std::string resolved = resolve_existing(pattern);
    if (is_folder(resolved)) {
      folder = resolved;
    } else {
      size_t slash = pattern.rfind('/');
      if (slash != std::string::npos) {
        folder = resolve_existing(slash == 0 ? "/" : pattern.substr(0, slash));
        pattern.erase(0, slash + 1);
      }
      if (!pattern.empty()) name_pattern = pattern;
    }
  }

  char* absolute = realpath(folder.c_str(), nullptr);
  if (absolute == nullptr) return std::string(not_found);
  std::string absolute_folder = absolute;
  std::free(absolute);
  std::vector<Entry> entries;
  if (!read_entries(absolute_folder, name_pattern, entries) || entries.empty()) return std::string(not_found);

  std::string text = "\n Directory of " + absolute_folder + "\n\n";
  std::string line;
  int slots_used = 0;
  uint64_t file_count = 0;
  uint64_t total_bytes = 0;
  for (const Entry& entry : entries) {
    std::string item = entry.folder ? "[" + entry.name + "]" : entry.name;
    int slots = static_cast<int>(item.size()) / kSlotWidth + 1;  // always at least one blank after a name
    if (slots_used > 0 && slots_used + slots > kSlotsPerLine) {
      end_line(line, text);
      slots_used = 0;
    }
    item.resize(static_cast<size_t>(slots) * kSlotWidth, ' ');
    line += item;
    slots_used += slots;
    if (!entry.folder) {
      ++file_count;
      total_bytes += entry.size;
    }
  }
  if (slots_used > 0) end_line(line, text);

  char summary[96];
  std::snprintf(summary, sizeof summary, "%16llu File(s)%15s bytes\n\n", static_cast<unsigned long long>(file_count),
                with_thousands(total_bytes).c_str());
  return text + summary;
}

bool wildcard_match(std::string_view pattern, std::string_view name) {
  if (pattern == "*.*") return true;  // every name, with or without an extension
  size_t p = 0, n = 0;
  size_t star = std::string_view::npos, star_name = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      star_name = n;
    } else if (p < pattern.size() && (pattern[p] == '?' || to_lower_ascii(pattern[p]) == to_lower_ascii(name[n]))) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {  // let the last "*" take one more character
      p = star + 1;
      n = ++star_name;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

std::optional<std::string_view> listing_command_pattern(std::string_view command) {
  if (command.size() < kCommandStart.size() + kCommandEnd.size() || !command.starts_with(kCommandStart) ||
      !command.ends_with(kCommandEnd)) {
    return std::nullopt;
  }
  return command.substr(kCommandStart.size(), command.size() - kCommandStart.size() - kCommandEnd.size());
}
