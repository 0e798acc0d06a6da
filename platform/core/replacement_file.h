// The file that SAVE writes: the new text takes the old one's place whole, or, where the old
// file must stay, is written into it.
#pragma once
#include <sys/stat.h>
#include <sys/types.h>

#include <string>
#include <string_view>

// Where the new text waits until it takes the old one's place. An unnamed temporary leaves no
// name behind whatever ends the process; a named one (".kelo-PID.tmp") serves where the file
// system has no unnamed ones, and the next save in its folder removes it once its process is gone.
enum class Temporary { Unnamed, Named };

// A save of one file.
// - A symbolic link is followed to the file it names, and the link stays. In a sticky folder
//   that anyone may write (such as /tmp), only a link of the saver or of the folder's owner is
//   followed: any other user may have planted it there, so it is refused with 70.
// - The new text goes to a temporary file beside the file, reaches the disk and is renamed over
//   the file, so that at every moment the file is the old text or the new one, whole, whatever
//   ends the process or the machine. The new file keeps the old one's mode, and its owner and
//   group where the saver may give them.
// - The file itself is rewritten instead (flushed and synced: not whole at every moment) where
//   the folder refuses a temporary but the file may be written, and where the file has other
//   hard links, which a rename would part from it. Never in a sticky folder that anyone may
//   write, where another user may have made such a link to the saver's own file.
class ReplacementFile {
 public:
  // Opens the save of `path`; 53, 64, 70 or 76 as an open would raise them, and nothing is
  // written. `first` is the temporary tried first (the other kind where it fails).
  explicit ReplacementFile(const std::string& path, Temporary first = Temporary::Unnamed);
  ~ReplacementFile();  // without commit(): the file stays as it was, and no temporary stays
  ReplacementFile(const ReplacementFile&) = delete;
  ReplacementFile& operator=(const ReplacementFile&) = delete;

  void write(std::string_view bytes);  // 75 when a write fails (a full disk)
  // Puts the new text in the file's place; 70 when the folder refuses the rename (another
  // user's file in a sticky folder), 75 when the disk does. On failure the file stays as it was.
  void commit();

 private:
  enum class Way { Unnamed, Named, InPlace };
  Way way_ = Way::Unnamed;
  std::string file_name_;       // the file's name in its folder, links followed
  std::string folder_path_;
  int folder_ = -1;             // the file's folder, for every step of the save
  int out_ = -1;                // the temporary, or the file itself
  std::string temporary_name_;  // in the folder, once the new text has a name there
  std::string temporary_path_;
  std::string unwritten_;       // what write() took and the disk has not yet
  bool committed_ = false;

  bool open_temporary(Temporary kind, const struct stat* old_file);
  void keep_attributes(const struct stat& old_file);
  void name_temporary(const std::string& name);
  void forget_temporary();
  void release();
  void flush_unwritten();
  void commit_in_place();
};

// Removes the named temporary of a save in progress, if any. Async-signal-safe: the signal
// handlers of the front ends call it before they end the process (_exit and signals skip the
// exit handlers); a normal exit of the process runs it by itself.
void remove_pending_temporary_file();
