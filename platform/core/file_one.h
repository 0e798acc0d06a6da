// File number 1: the one text file that the interpreter opens, with its error numbers.
#pragma once
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

enum class FileMode { Input, Output };

class FileOne {
 public:
  ~FileOne();
  // 55 when already open; input: 53 missing, 76 missing folder, 70 refused.
  // A "\" in the name is the folder separator. Input names match without regard to case.
  // Output goes to a temporary file beside the target, which close() renames over it.
  void open(std::string_view name, FileMode mode);
  void line_input(std::string& target);  // 52 not open, 62 nothing left
  bool eof();                            // 52 not open
  void print(std::string_view text);     // 52 not open, 54 not output, 75 failed write
  void close();                          // commits an output file; nothing when not open
  void abandon();                        // closes without committing an output file
  bool is_open() const { return mode_open_; }

 private:
  bool mode_open_ = false;
  FileMode mode_ = FileMode::Input;
  std::string contents_;  // input: the whole file, up to a byte 26
  size_t read_pos_ = 0;
  FILE* out_ = nullptr;
  std::string target_path_;
  std::string temp_path_;

  void open_input(const std::string& path);
  void open_output(const std::string& path);
  void reset();
};

// Deletes every matching file that is not a folder (* and ? allowed); 53 when none.
void delete_file(std::string_view name);
