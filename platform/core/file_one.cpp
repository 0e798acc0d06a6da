// File number 1: the one text file that the interpreter opens, with its error numbers.
#include "platform/core/file_one.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <vector>

#include "platform/core/dir_listing.h"
#include "platform/core/host_error.h"
#include "platform/core/numbers.h"
#include "platform/core/paths.h"

namespace {

constexpr char kEndOfFileByte = 26;

uint32_t open_error_code(int error, const std::string& path) {
  switch (error) {
    case ENOENT: return is_folder(parent_folder(path)) ? 53 : 76;
    case ENOTDIR: return 76;
    case EACCES:
    case EPERM:
    case EROFS: return 70;
    default: return 53;
  }
}

// Reads the whole file; false when a read fails.
bool read_all(int fd, std::string& contents) {
  char buffer[65536];
  for (;;) {
    ssize_t count = read(fd, buffer, sizeof buffer);
    if (count == 0) return true;
    if (count < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    contents.append(buffer, static_cast<size_t>(count));
  }
}

}  // namespace

FileOne::~FileOne() { abandon(); }

void FileOne::open(std::string_view name, FileMode mode) {
  if (mode_open_) throw HostError{55};
  std::string path = resolve_existing(host_path(name));
  if (mode == FileMode::Input) open_input(path);
  else open_output(path);
  mode_ = mode;
  mode_open_ = true;
}

void FileOne::open_input(const std::string& path) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) throw HostError{open_error_code(errno, path)};
  struct stat info;
  std::string contents;
  bool ok = fstat(fd, &info) == 0 && !S_ISDIR(info.st_mode) && read_all(fd, contents);
  ::close(fd);
  if (!ok) throw HostError{53};
  contents.resize(std::min(contents.find(kEndOfFileByte), contents.size()));  // nothing after a 26 counts
  contents_ = std::move(contents);
  read_pos_ = 0;
}

// The target is replaced only at close(), so a failed or abandoned save leaves it intact.
void FileOne::open_output(const std::string& path) {
  struct stat info;
  bool target_exists = stat(path.c_str(), &info) == 0;
  if (target_exists && !S_ISREG(info.st_mode)) throw HostError{53};
  if (target_exists && access(path.c_str(), W_OK) != 0) throw HostError{open_error_code(errno, path)};

  std::string temp = path + ".~" + std::to_string(getpid());
  int fd = -1;
  for (int attempt = 0; fd < 0; ++attempt) {
    std::string name = attempt == 0 ? temp : temp + "." + std::to_string(attempt);
    fd = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) temp = name;
    else if (errno != EEXIST || attempt == 99) throw HostError{open_error_code(errno, name)};
  }
  if (target_exists) fchmod(fd, info.st_mode & 07777);  // the replaced file keeps its permissions
  out_ = fdopen(fd, "wb");
  if (out_ == nullptr) {
    ::close(fd);
    unlink(temp.c_str());
    throw HostError{53};
  }
  target_path_ = path;
  temp_path_ = temp;
}

void FileOne::line_input(std::string& target) {
  if (!mode_open_) throw HostError{52};
  if (mode_ != FileMode::Input) throw HostError{54};
  if (read_pos_ >= contents_.size()) throw HostError{62};
  size_t end = std::min(contents_.find_first_of("\r\n", read_pos_), contents_.size());
  target.assign(contents_, read_pos_, end - read_pos_);
  read_pos_ = end;
  if (read_pos_ < contents_.size()) {
    char first = contents_[read_pos_++];
    char second = read_pos_ < contents_.size() ? contents_[read_pos_] : '\0';
    if ((second == '\r' || second == '\n') && second != first) ++read_pos_;  // CR LF or LF CR: one line end
  }
}

bool FileOne::eof() {
  if (!mode_open_) throw HostError{52};
  if (mode_ != FileMode::Input) throw HostError{54};
  return read_pos_ >= contents_.size();
}

void FileOne::print(std::string_view text) {
  if (!mode_open_) throw HostError{52};
  if (mode_ != FileMode::Output) throw HostError{54};
  bool ok = std::fwrite(text.data(), 1, text.size(), out_) == text.size() &&
            std::fwrite("\r\n", 1, 2, out_) == 2 && std::fflush(out_) == 0;
  if (!ok) throw HostError{75};
}

void FileOne::close() {
  if (!mode_open_) return;
  if (mode_ == FileMode::Output) {
    bool ok = std::fflush(out_) == 0;
    ok = std::fclose(out_) == 0 && ok;
    out_ = nullptr;
    ok = ok && std::rename(temp_path_.c_str(), target_path_.c_str()) == 0;
    if (!ok) {
      unlink(temp_path_.c_str());
      reset();
      throw HostError{75};
    }
  }
  reset();
}

void FileOne::abandon() {
  if (!mode_open_) return;
  if (mode_ == FileMode::Output) {
    std::fclose(out_);
    unlink(temp_path_.c_str());
  }
  reset();
}

void FileOne::reset() {
  mode_open_ = false;
  std::string().swap(contents_);  // a large file's memory goes back at once
  read_pos_ = 0;
  out_ = nullptr;
  target_path_.clear();
  temp_path_.clear();
}

void delete_file(std::string_view name) {
  std::string path = host_path(name);
  size_t slash = path.rfind('/');
  std::string folder = resolve_existing(slash == std::string::npos ? "." : parent_folder(path));
  std::string pattern = slash == std::string::npos ? path : path.substr(slash + 1);

  std::vector<std::string> matches;
  if (DIR* dir = opendir(folder.c_str())) {
    while (dirent* entry = readdir(dir)) {
      std::string_view entry_name = entry->d_name;
      if (entry_name != "." && entry_name != ".." && wildcard_match(pattern, entry_name)) {
        matches.emplace_back(entry_name);
      }
    }
    closedir(dir);
  }

  bool deleted_any = false;
  for (const std::string& match : matches) {
    std::string full = join_path(folder, match);
    struct stat info;
    if (lstat(full.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) continue;
    if (unlink(full.c_str()) != 0) throw HostError{errno == EACCES || errno == EPERM ? 55u : 53u};
    deleted_any = true;
  }
  if (!deleted_any) throw HostError{53};
}
