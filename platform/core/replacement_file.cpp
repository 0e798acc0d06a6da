// The file that SAVE writes: the new text takes the old one's place whole, or, where the old
// file must stay, is written into it.
#include "platform/core/replacement_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/host_error.h"
#include "platform/core/paths.h"

namespace {

constexpr int kMaxLinks = 40;  // links followed for one name, as the system itself follows
constexpr size_t kWriteChunk = 65536;
constexpr std::string_view kTemporaryPrefix = ".kelo-";
constexpr std::string_view kTemporarySuffix = ".tmp";

// The name of the temporary of process `pid`: short, whatever the file's own name.
std::string temporary_name(pid_t pid) {
  return std::string(kTemporaryPrefix) + std::to_string(pid) + std::string(kTemporarySuffix);
}

// The process whose save a temporary's name belongs to; 0 for a name of any other pattern.
pid_t temporary_owner(std::string_view name) {
  if (name.size() <= kTemporaryPrefix.size() + kTemporarySuffix.size() || !name.starts_with(kTemporaryPrefix) ||
      !name.ends_with(kTemporarySuffix)) {
    return 0;
  }
  name.remove_prefix(kTemporaryPrefix.size());
  name.remove_suffix(kTemporarySuffix.size());
  if (name.size() > 9 || name.front() == '0') return 0;
  pid_t pid = 0;
  for (char digit : name) {
    if (digit < '0' || digit > '9') return 0;
    pid = pid * 10 + (digit - '0');
  }
  return pid;
}

// The named temporary of the save in progress, for a signal handler to remove: a fixed buffer
// and a flag, nothing that allocates or locks. One save at a time: file 1 is the only file.
char pending_path[PATH_MAX];
std::atomic<int> pending_state{0};  // kNoPending, kWritingPending or kPending
constexpr int kNoPending = 0;
constexpr int kWritingPending = 1;
constexpr int kPending = 2;
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

void remember_pending(const std::string& path) {
  // A front end that ends the process while a save is under way leaves nothing behind.
  static const bool removed_at_exit = std::atexit(remove_pending_temporary_file) == 0;
  (void)removed_at_exit;
  if (path.size() >= sizeof pending_path) return;  // too long to record: the next save removes it
  int expected = kNoPending;
  if (!pending_state.compare_exchange_strong(expected, kWritingPending)) return;
  std::memcpy(pending_path, path.c_str(), path.size() + 1);
  pending_state.store(kPending, std::memory_order_release);
}

void forget_pending(const std::string& path) {
  if (pending_state.load(std::memory_order_acquire) == kPending && path == pending_path) {
    pending_state.store(kNoPending, std::memory_order_release);
  }
}

// A folder that anyone may write and only owners may delete from: what another user put there
// may be a trap.
bool is_shared_folder(const struct stat& folder) {
  return (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
}

std::string link_text(const std::string& path) {
  std::vector<char> text(PATH_MAX);
  const ssize_t size = readlink(path.c_str(), text.data(), text.size());
  if (size < 0) throw HostError{open_error_code(errno, path)};
  if (static_cast<size_t>(size) == text.size()) throw HostError{open_error_code(ENAMETOOLONG, path)};
  return std::string(text.data(), static_cast<size_t>(size));
}

// The file that a save of `path` writes: each link is followed to what it names, as far as the
// kernel's rule for links in shared folders allows, which is applied here whether or not the
// kernel enforces it, since these links are read, not opened.
std::string followed_links(std::string path) {
  for (int links = 0;; ++links) {
    struct stat link;
    if (lstat(path.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return path;
    if (links == kMaxLinks) throw HostError{open_error_code(ELOOP, path)};
    const std::string folder = parent_folder(path);
    struct stat folder_info;
    if (stat(folder.c_str(), &folder_info) != 0) throw HostError{open_error_code(errno, path)};
    if (is_shared_folder(folder_info) && link.st_uid != geteuid() && link.st_uid != folder_info.st_uid) {
      throw HostError{70};  // what an open gives where the kernel enforces the rule
    }
    const std::string target = link_text(path);
    path = target.front() == '/' ? target : join_path(folder, target);
  }
}

// Removes the named temporaries in the folder whose process is gone: a kill or a power cut
// ended their save. A folder that cannot be read keeps them.
void remove_stale_temporaries(int folder) {
  const int listing = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listing < 0) return;
  DIR* dir = fdopendir(listing);
  if (dir == nullptr) {
    close(listing);
    return;
  }
  std::vector<std::string> stale;
  while (const dirent* entry = readdir(dir)) {
    const pid_t owner = temporary_owner(entry->d_name);
    if (owner > 0 && kill(owner, 0) != 0 && errno == ESRCH) stale.emplace_back(entry->d_name);
  }
  closedir(dir);
  for (const std::string& name : stale) {
    struct stat info;
    if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode)) {
      unlinkat(folder, name.c_str(), 0);
    }
  }
}

bool refused_by_folder(int error) { return error == EACCES || error == EPERM; }

}  // namespace

void remove_pending_temporary_file() {
  if (pending_state.load(std::memory_order_acquire) == kPending) unlink(pending_path);
}

ReplacementFile::ReplacementFile(const std::string& path, Temporary first) {
  try {
    const std::string file = followed_links(path);
    const size_t slash = file.rfind('/');
    file_name_ = slash == std::string::npos ? file : file.substr(slash + 1);
    folder_path_ = parent_folder(file);
    if (file_name_.empty()) throw HostError{53};
    folder_ = open(folder_path_.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (folder_ < 0) throw HostError{open_error_code(errno, file)};

    struct stat old_file;
    const bool exists = fstatat(folder_, file_name_.c_str(), &old_file, AT_SYMLINK_NOFOLLOW) == 0;
    if (!exists && errno != ENOENT) throw HostError{open_error_code(errno, file)};  // 64 for a name too long
    if (exists && !S_ISREG(old_file.st_mode)) throw HostError{53};
    if (exists && faccessat(folder_, file_name_.c_str(), W_OK, 0) != 0) throw HostError{open_error_code(errno, file)};
    remove_stale_temporaries(folder_);

    struct stat folder_info;
    const bool shared = fstat(folder_, &folder_info) == 0 && is_shared_folder(folder_info);
    const bool keep_links = exists && old_file.st_nlink > 1 && !shared;
    if (!keep_links && open_temporary(first, exists ? &old_file : nullptr)) return;
    if (!exists) throw HostError{70};  // the folder refuses the new file
    // The file itself, which must stay: written only at commit(), so that until then it is as it was.
    out_ = openat(folder_, file_name_.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC);
    if (out_ < 0) throw HostError{open_error_code(errno, file)};
    way_ = Way::InPlace;
  } catch (const HostError&) {
    release();
    throw;
  }
}

ReplacementFile::~ReplacementFile() { release(); }

void ReplacementFile::release() {
  if (!committed_ && !temporary_name_.empty()) unlinkat(folder_, temporary_name_.c_str(), 0);
  forget_temporary();
  if (out_ >= 0) close(out_);
  if (folder_ >= 0) close(folder_);
  out_ = -1;
  folder_ = -1;
}

// False when the folder refuses a new file.
bool ReplacementFile::open_temporary(Temporary first, const struct stat* old_file) {
  const std::string file = join_path(folder_path_, file_name_);
  // An unnamed file is put in its place through its name under /proc.
  if (first == Temporary::Unnamed && access("/proc/self/fd", X_OK) == 0) {
    out_ = openat(folder_, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (out_ < 0 && refused_by_folder(errno)) return false;
    // A file system or kernel without unnamed files refuses them in one of these ways.
    if (out_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      throw HostError{open_error_code(errno, file)};
    }
    way_ = Way::Unnamed;
  }
  if (out_ < 0) {
    const std::string name = temporary_name(getpid());
    unlinkat(folder_, name.c_str(), 0);  // this process's name: left by an earlier process of the same number
    out_ = openat(folder_, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (out_ < 0 && refused_by_folder(errno)) return false;
    if (out_ < 0) throw HostError{open_error_code(errno, file)};
    way_ = Way::Named;
    name_temporary(name);
  }
  if (old_file != nullptr) keep_attributes(*old_file);
  return true;
}

// The old file's owner and group where the saver may give them (root may; any user may give a
// group of their own), then its mode, which a change of owner may have cut.
void ReplacementFile::keep_attributes(const struct stat& old_file) {
  if ((old_file.st_uid != geteuid() || old_file.st_gid != getegid()) &&
      fchown(out_, old_file.st_uid, old_file.st_gid) != 0) {
    (void)fchown(out_, static_cast<uid_t>(-1), old_file.st_gid);
  }
  (void)fchmod(out_, old_file.st_mode & 07777);
}

void ReplacementFile::name_temporary(const std::string& name) {
  temporary_name_ = name;
  temporary_path_ = join_path(folder_path_, name);
  remember_pending(temporary_path_);
}

void ReplacementFile::forget_temporary() {
  if (temporary_path_.empty()) return;
  forget_pending(temporary_path_);
  temporary_name_.clear();
  temporary_path_.clear();
}

void ReplacementFile::write(std::string_view bytes) {
  unwritten_.append(bytes);
  if (way_ != Way::InPlace && unwritten_.size() >= kWriteChunk) flush_unwritten();
}

void ReplacementFile::flush_unwritten() {
  for (size_t done = 0; done < unwritten_.size();) {
    const ssize_t count = ::write(out_, unwritten_.data() + done, unwritten_.size() - done);
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw HostError{75};
    done += static_cast<size_t>(count);
  }
  unwritten_.clear();
}

void ReplacementFile::commit() {
  if (way_ == Way::InPlace) {
    commit_in_place();
    return;
  }
  flush_unwritten();
  if (fsync(out_) != 0) throw HostError{75};  // the new text reaches the disk before it takes the old one's place
  if (way_ == Way::Unnamed) {
    const std::string name = temporary_name(getpid());
    const std::string open_file = "/proc/self/fd/" + std::to_string(out_);
    unlinkat(folder_, name.c_str(), 0);  // as in open_temporary
    if (linkat(AT_FDCWD, open_file.c_str(), folder_, name.c_str(), AT_SYMLINK_FOLLOW) != 0) throw HostError{75};
    name_temporary(name);
  }
  if (renameat(folder_, temporary_name_.c_str(), folder_, file_name_.c_str()) != 0) {
    throw HostError{refused_by_folder(errno) ? 70u : errno == ENAMETOOLONG ? 64u : 75u};  // release() removes it
  }
  committed_ = true;
  forget_temporary();
  // The rename itself reaches the disk only with the folder. A file system that cannot
  // flush a folder has nothing to flush.
  const int folder = openat(folder_, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (folder < 0) return;
  const bool ok = fsync(folder) == 0 || errno == EINVAL || errno == EROFS;
  close(folder);
  if (!ok) throw HostError{75};
}

void ReplacementFile::commit_in_place() {
  const size_t size = unwritten_.size();
  // Room first, where the file system can set it aside: a full disk (or a limit on the size of
  // files) then refuses before a byte of the old text is overwritten.
  struct stat old_file;
  if (fstat(out_, &old_file) != 0) throw HostError{75};
  if (static_cast<off_t>(size) > old_file.st_size && fallocate(out_, 0, 0, static_cast<off_t>(size)) != 0 &&
      (errno == ENOSPC || errno == EDQUOT || errno == EFBIG)) {
    (void)ftruncate(out_, old_file.st_size);  // whatever room it had taken
    throw HostError{75};
  }
  for (size_t done = 0; done < size;) {
    const ssize_t count = pwrite(out_, unwritten_.data() + done, size - done, static_cast<off_t>(done));
    if (count < 0 && errno == EINTR) continue;
    if (count <= 0) throw HostError{75};
    done += static_cast<size_t>(count);
  }
  if (ftruncate(out_, static_cast<off_t>(size)) != 0 || fsync(out_) != 0) throw HostError{75};
  committed_ = true;
}
