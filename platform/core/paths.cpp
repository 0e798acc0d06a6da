// Paths: host names of the user's file names, and lookups that ignore the case of letters.
#include "platform/core/paths.h"

#include <dirent.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "platform/core/numbers.h"

bool exists(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

bool is_folder(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

std::string parent_folder(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string join_path(const std::string& folder, const std::string& name) {
  if (folder.empty()) return name;
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

namespace {

// The entry of `folder` that equals `name` without regard to case; "" when none.
// Several such entries: the first in byte order, so the choice never varies.
std::string find_ignoring_case(const std::string& folder, const std::string& name) {
  DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (dirent* entry = readdir(dir)) {
    std::string_view candidate = entry->d_name;
    if (equal_ignoring_case(candidate, name) && (found.empty() || candidate < found)) found = candidate;
  }
  closedir(dir);
  return found;
}

}  // namespace

std::string host_path(std::string_view name) {
  std::string path(name);
  std::replace(path.begin(), path.end(), '\\', '/');
  return path;
}

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return to_lower_ascii(x) == to_lower_ascii(y);
         });
}

std::string resolve_existing(const std::string& path) {
  if (path.empty() || exists(path)) return path;
  std::string resolved = path.front() == '/' ? "/" : "";
  for (size_t start = 0; start <= path.size();) {
    size_t slash = std::min(path.find('/', start), path.size());
    std::string part = path.substr(start, slash - start);
    if (!part.empty()) {
      std::string candidate = join_path(resolved, part);
      if (!exists(candidate)) {
        std::string match = find_ignoring_case(resolved, part);
        if (match.empty()) return join_path(resolved, path.substr(start));  // the rest as given
        candidate = join_path(resolved, match);
      }
      resolved = candidate;
    }
    start = slash + 1;
  }
  return resolved;
}


uint32_t open_error_code(int error, const std::string& path) {
  switch (error) {
    case ENOENT: return is_folder(parent_folder(path)) ? 53 : 76;
    case ENOTDIR: return 76;
    case EACCES:
    case EPERM:
    case EROFS: return 70;
    case ENAMETOOLONG: return 64;
    default: return 53;
  }
}
