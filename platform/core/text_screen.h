// The 80 x 25 text screen: character/attribute memory, cursor and the printing rules.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/limits.h"

// What the screen tells its owner while it prints.
class ScreenListener {
 public:
  virtual void bell() = 0;                                  // character 7 was printed
  virtual void row_scrolled_off(const uint8_t* cells) = 0;  // the top row is about to leave

 protected:
  ~ScreenListener() = default;
};

// The code page 437 characters of a row of cells, a 0 cell read as a blank, trailing blanks
// left out: a row as a transcript or a test shows it.
std::string row_text(const uint8_t* cells);

class TextScreen {
 public:
  static constexpr int kColumns = kScreenColumns;
  static constexpr int kRows = kScreenRows;
  static constexpr int kBytes = kScreenBytes;

  explicit TextScreen(ScreenListener& listener);

  // Interpreter-facing operations.
  void print_fit(std::string_view text);
  void print_string(std::string_view text, bool line_end);
  void locate_cursor(int column);
  void clear_screen();

  // Line-editor support: a glyph written as is (no control codes), and its removal.
  void put_glyph(uint8_t code);
  void erase_last_glyph();
  // Narrows the text window to rows top..bottom (1-based), cursor to its first row.
  void set_view(int top, int bottom);

  uint8_t byte_at(int offset) const { return memory_[offset]; }
  void set_byte(int offset, uint8_t value) {
    memory_[offset] = value;
    ++changes_;
  }
  const std::array<uint8_t, kBytes>& cells() const { return memory_; }
  // Counts every change of the cells or the cursor, so a display can tell when to redraw.
  uint64_t changes() const { return changes_; }
  const uint8_t* row_cells(int row) const { return &memory_[(row - 1) * kColumns * 2]; }
  int cursor_row() const { return row_; }
  int cursor_column() const { return column_; }
  bool cursor_held() const { return held_; }
  uint8_t attribute() const { return attribute_; }

 private:
  void new_line();
  void scroll_up();
  void write_code(uint8_t code);
  void blank_row(int row);

  ScreenListener& listener_;
  std::array<uint8_t, kBytes> memory_{};
  int row_ = 1;
  int column_ = 1;
  bool held_ = false;  // last glyph landed in column 80 of a row not yet ended
  uint8_t attribute_ = 7;
  int view_top_ = 1;
  int view_bottom_ = kRows;
  uint64_t changes_ = 0;
};
