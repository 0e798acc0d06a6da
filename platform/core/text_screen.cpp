// The 80 x 25 text screen: character/attribute memory, cursor and the printing rules.
#include "platform/core/text_screen.h"

#include <algorithm>
#include <cstring>

#include "platform/core/keys.h"

namespace {
constexpr int kRowBytes = TextScreen::kColumns * 2;
int cell_offset(int row, int column) { return (row - 1) * kRowBytes + (column - 1) * 2; }
}  // namespace

std::string row_text(const uint8_t* cells) {
  std::string text(TextScreen::kColumns, ' ');
  for (int column = 0; column < TextScreen::kColumns; ++column) {
    if (cells[column * 2] != 0) text[column] = static_cast<char>(cells[column * 2]);
  }
  text.erase(text.find_last_not_of(' ') + 1);
  return text;
}

TextScreen::TextScreen(ScreenListener& listener) : listener_(listener) {
  for (int row = 1; row <= kRows; ++row) blank_row(row);
}

void TextScreen::print_fit(std::string_view text) {
  if (column_ == 1 || held_) return;
  if (column_ + static_cast<int>(text.size()) - 1 > kColumns) new_line();
}

void TextScreen::print_string(std::string_view text, bool line_end) {
  ++changes_;
  for (char c : text) write_code(static_cast<uint8_t>(c));
  if (line_end) new_line();  // a held cursor counts as already past the row: one move, not two
}

void TextScreen::locate_cursor(int column) {
  column_ = std::clamp(column, 1, kColumns);
  ++changes_;
  held_ = false;
}

void TextScreen::clear_screen() {
  for (int row = view_top_; row <= view_bottom_; ++row) blank_row(row);
  row_ = view_top_;
  column_ = 1;
  held_ = false;
}

void TextScreen::put_glyph(uint8_t code) {
  ++changes_;
  if (held_) new_line();
  int offset = cell_offset(row_, column_);
  memory_[offset] = code;
  memory_[offset + 1] = attribute_;
  if (column_ == kColumns) held_ = true;  // the wrap waits until something follows
  else ++column_;
}

void TextScreen::erase_last_glyph() {
  ++changes_;
  if (held_) held_ = false;                // the glyph stands under the cursor in column 80
  else if (column_ > 1) --column_;
  else if (row_ > view_top_) {             // the glyph ended the row above
    --row_;
    column_ = kColumns;
  } else {
    return;                                // it scrolled away
  }
  int offset = cell_offset(row_, column_);
  memory_[offset] = ' ';
  memory_[offset + 1] = attribute_;
}

void TextScreen::set_view(int top, int bottom) {
  ++changes_;
  view_top_ = std::clamp(top, 1, kRows);
  view_bottom_ = std::clamp(bottom, view_top_, kRows);
  row_ = view_top_;
  column_ = 1;
  held_ = false;
}

void TextScreen::new_line() {
  ++changes_;
  held_ = false;
  column_ = 1;
  if (row_ >= view_bottom_) scroll_up();
  else ++row_;
}

void TextScreen::scroll_up() {
  // Only the screen's own top row leaves the screen; a row scrolled out of a narrowed view is gone.
  if (view_top_ == 1) listener_.row_scrolled_off(row_cells(view_top_));
  uint8_t* top = &memory_[cell_offset(view_top_, 1)];
  std::memmove(top, top + kRowBytes, static_cast<size_t>(view_bottom_ - view_top_) * kRowBytes);
  blank_row(view_bottom_);
}

void TextScreen::write_code(uint8_t code) {
  if (held_) new_line();
  switch (code) {
    case kKeyBell: listener_.bell(); break;
    case 9:  // blanks up to the next column 8k + 1, or to the end of the row
      do put_glyph(' ');
      while (!held_ && (column_ - 1) % 8 != 0);
      break;
    case 10:
    case 13: new_line(); break;
    case 11: row_ = view_top_; column_ = 1; break;
    case 12: clear_screen(); break;
    case 28: column_ = std::min(column_ + 1, kColumns); break;
    case 29: column_ = std::max(column_ - 1, 1); break;
    case 30: row_ = std::max(row_ - 1, view_top_); break;
    case 31: row_ = std::min(row_ + 1, view_bottom_); break;
    default: put_glyph(code);
  }
}

void TextScreen::blank_row(int row) {
  ++changes_;
  for (int column = 1; column <= kColumns; ++column) {
    int offset = cell_offset(row, column);
    memory_[offset] = ' ';
    memory_[offset + 1] = attribute_;
  }
}
