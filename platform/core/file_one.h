// File number 1: the one text file that the interpreter opens, with its error numbers.
#pragma once
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "platform/core/replacement_file.h"

enum class FileMode { Input, Output };

class FileOne {
 public:
  FileOne() = default;
  ~FileOne() { reset(); }
  FileOne(const FileOne&) = delete;
  FileOne& operator=(const FileOne&) = delete;

  // 55 when already open; 64 for a name holding a NUL byte or too long; input: 53 missing, 76
  // missing folder, 70 refused. A "\" in the name is the folder separator. Input names match
  // without regard to case. Output goes to a ReplacementFile, which close() commits.
  void open(std::string_view name, FileMode mode);
  // An input file is read as its lines are taken, so that a reader who stops early never holds
  // the rest. 52 not open, 62 nothing left, 75 a read that fails.
  void line_input(std::string& target);
  bool eof();  // 52 not open, 75 a read that fails
  void print(std::string_view text);  // 52 not open, 54 not output, 75 failed write
  void close();                       // commits an output file; nothing when not open
  void abandon();                     // closes without committing an output file
  bool is_open() const { return mode_open_; }

  // A file that lives in memory only (the listing of FILES): input opens of `name` read it,
  // and it never touches the disk, so no folder, link or file of the user's is involved.
  void keep_in_memory(std::string_view name, std::string contents);
  // Forgets the file kept in memory when `name` is its name; false when it is not.
  bool drop_from_memory(std::string_view name);

 private:
  bool mode_open_ = false;
  FileMode mode_ = FileMode::Input;
  int in_ = -1;            // input from a file
  bool in_ended_ = false;  // nothing more to read: the file's end or a byte 26 reached
  std::string read_;       // input read and not all taken yet: the part from read_pos_ on
  size_t read_pos_ = 0;
  std::unique_ptr<ReplacementFile> out_;
  std::optional<std::pair<std::string, std::string>> in_memory_;  // name, contents

  void open_input(const std::string& path);
  void open_output(const std::string& path);
  bool is_in_memory(std::string_view name) const;
  bool more_input();
  void reset();
};

// Deletes every matching file that is not a folder (* and ? allowed); 53 when none, 64 for
// a name holding a NUL byte.
void delete_file(std::string_view name);
