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

// A NUL byte would end the name early for the system, so that a different file were meant.
void refuse_nul(std::string_view name) {
  if (name.find('\0') != std::string_view::npos) throw HostError{64};
}

// Input is read in pieces of this size.
constexpr size_t kReadChunk = 65536;

}  // namespace

void FileOne::open(std::string_view name, FileMode mode) {
  if (mode_open_) throw HostError{55};
  refuse_nul(name);
  if (mode == FileMode::Input && is_in_memory(name)) {
    read_ = in_memory_->second;
    read_.resize(std::min(read_.find(kEndOfFileByte), read_.size()));
    read_pos_ = 0;
    in_ended_ = true;
  } else {
    std::string path = resolve_existing(host_path(name));
    if (mode == FileMode::Input) open_input(path);
    else open_output(path);
  }
  mode_ = mode;
  mode_open_ = true;
}

void FileOne::keep_in_memory(std::string_view name, std::string contents) {
  in_memory_.emplace(std::string(name), std::move(contents));
}

bool FileOne::drop_from_memory(std::string_view name) {
  if (!is_in_memory(name)) return false;
  in_memory_.reset();
  return true;
}

bool FileOne::is_in_memory(std::string_view name) const {
  return in_memory_.has_value() && equal_ignoring_case(host_path(name), in_memory_->first);
}

// Only a plain file is read: a pipe or a device (perhaps behind a link) would never end, and
// opening a pipe without a writer would wait for good, so the open does not wait.
void FileOne::open_input(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) throw HostError{open_error_code(errno, path)};
  struct stat info;
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    throw HostError{53};
  }
  in_ = fd;
  in_ended_ = false;
  read_.clear();
  read_pos_ = 0;
}

// The target is replaced only at close(), so a failed or abandoned save leaves it intact.
void FileOne::open_output(const std::string& path) { out_ = std::make_unique<ReplacementFile>(path); }

// Whether a byte is left to take, reading the next piece of the file when the last is used up.
bool FileOne::more_input() {
  if (read_pos_ < read_.size()) return true;
  if (in_ended_) return false;
  read_.resize(kReadChunk);
  read_pos_ = 0;
  ssize_t count = 0;
  do {
    count = read(in_, read_.data(), read_.size());
  } while (count < 0 && errno == EINTR);
  if (count < 0) {
    read_.clear();
    throw HostError{75};
  }
  read_.resize(static_cast<size_t>(count));
  const size_t end_byte = read_.find(kEndOfFileByte);
  if (end_byte != std::string::npos) read_.resize(end_byte);  // nothing after a 26 counts
  in_ended_ = count == 0 || end_byte != std::string::npos;
  return !read_.empty();
}

void FileOne::line_input(std::string& target) {
  if (!mode_open_) throw HostError{52};
  if (mode_ != FileMode::Input) throw HostError{54};
  if (!more_input()) throw HostError{62};
  target.clear();
  for (;;) {
    const size_t end = read_.find_first_of("\r\n", read_pos_);
    if (end == std::string::npos) {  // the line goes on in the next piece, or the file ends it
      target.append(read_, read_pos_);
      read_pos_ = read_.size();
      if (!more_input()) return;
      continue;
    }
    target.append(read_, read_pos_, end - read_pos_);
    const char first = read_[end];
    read_pos_ = end + 1;
    if (more_input()) {
      const char second = read_[read_pos_];
      if ((second == '\r' || second == '\n') && second != first) ++read_pos_;  // CR LF or LF CR: one line end
    }
    return;
  }
}

bool FileOne::eof() {
  if (!mode_open_) throw HostError{52};
  if (mode_ != FileMode::Input) throw HostError{54};
  return !more_input();
}

void FileOne::print(std::string_view text) {
  if (!mode_open_) throw HostError{52};
  if (mode_ != FileMode::Output) throw HostError{54};
  std::string line;
  line.reserve(text.size() + 2);
  line.append(text).append("\r\n");
  out_->write(line);
}

void FileOne::close() {
  if (!mode_open_) return;
  std::unique_ptr<ReplacementFile> out = std::move(out_);
  reset();
  if (out != nullptr) out->commit();
}

void FileOne::abandon() {
  if (!mode_open_) return;
  reset();  // an output file's temporary goes with it
}

void FileOne::reset() {
  mode_open_ = false;
  if (in_ >= 0) ::close(in_);
  in_ = -1;
  in_ended_ = false;
  std::string().swap(read_);
  read_pos_ = 0;
  out_.reset();
}

void delete_file(std::string_view name) {
  refuse_nul(name);
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
