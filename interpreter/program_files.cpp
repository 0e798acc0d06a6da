// Program files and listing: LIST, SAVE, LOAD and FILES.
#include <exception>

#include "interpreter/interpreter.h"

namespace {

// A host error that abandons FILES, SAVE or LOAD closes file 1 before the prompt returns,
// so one failure never locks every later file statement out; a half-written SAVE is
// dropped and the old file stays as it was.
class FileOneGuard {
 public:
  explicit FileOneGuard(Host& host) : host_(host) {}
  ~FileOneGuard() {
    if (std::uncaught_exceptions() > exceptions_) host_.file_abandon();
  }
  FileOneGuard(const FileOneGuard&) = delete;
  FileOneGuard& operator=(const FileOneGuard&) = delete;

 private:
  Host& host_;
  int exceptions_ = std::uncaught_exceptions();
};

}  // namespace

// The name after one passed-over character, up to the next ":"; upper case, ".TIB" added.
void Interpreter::ReadProgramFileName() {
  const std::string_view line = CurrentLine();
  s.colon_pos = static_cast<int32_t>(string_find(s.cur_pos, line, ":", true));
  std::string name = s.colon_pos == 0 ? string_mid(line, s.cur_pos + 1, 0, false)
                                      : string_mid(line, s.cur_pos + 1, s.colon_pos - s.cur_pos - 1, true);
  s.cur_pos += static_cast<int32_t>(name.size()) + 1;
  name = string_upper(name);
  if (string_find(1, name, ".TIB", false) == 0) name += ".TIB";
  s.file_name = name;
}

Continuation Interpreter::ExecSave() {
  ReadProgramFileName();
  FileOneGuard guard(host);
  host.file_open(s.file_name, FileMode::Output);
  for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) {
    const std::string& line = s.program_lines[slot];
    if (!line.empty()) host.file_print(line);
  }
  host.file_close();  // only now does the new file take the old one's place
  PrintItem("[Ok]");
  EndLine();
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecLoad() {
  ReadProgramFileName();
  FileOneGuard guard(host);
  host.file_open(s.file_name, FileMode::Input);
  int slot = kFirstProgramSlot;
  while (!host.file_eof()) {
    host.file_line_input(s.program_lines.Write(slot));  // a 300th line has no slot: host error 9
    slot += 1;
  }
  host.file_close();
  PrintItem("[Ok]");
  EndLine();
  for (; slot <= kLastProgramSlot; ++slot) s.program_lines.Write(slot).clear();
  return Continuation::NextStatement;
}

Continuation Interpreter::ExecList() {
  int16_t upper = 0;
  ReadNumber();
  s.stmt_target = s.number_value;
  int16_t resume_slot = s.cur_slot;
  int32_t resume_pos = s.cur_pos;
  bool read_upper = true;
  if (s.stmt_target == 0) {
    upper = kLargestLineNumber;
    ReadWord();
    if (s.word == "pause") resume_pos = s.cur_pos;
    s.error_text.clear();  // a missing word is no error here
    read_upper = s.cur_char == ',';
  }
  if (read_upper) {
    const int passed_over = s.cur_char;  // the character after the lower bound, or the ","
    s.cur_pos += 1;
    if (passed_over == kEndOfLine) {
      upper = s.number_value;  // a single line
    } else {
      ReadNumber();
      upper = s.number_value == 0 ? kLargestLineNumber : s.number_value;
      resume_pos = s.cur_pos;
      ReadWord();
      if (s.word == "pause") resume_pos = s.cur_pos;
      s.error_text.clear();
    }
  }

  const bool pause = s.word == "pause";  // only when PAUSE was the last word read
  int16_t count = 0;
  for (int slot = kFirstProgramSlot; slot <= kLastProgramSlot; ++slot) {
    s.cur_slot = static_cast<int16_t>(slot);
    s.cur_pos = 1;
    ReadNumber();
    const std::string& line = s.program_lines[slot];
    if (s.stmt_target <= s.number_value && s.number_value <= upper && !line.empty()) {
      PrintItem(line);
      EndLine();
      count += 1;
      if (pause && count % kListPauseEvery == 0) ListPause();
    }
  }
  PrintItem("Listed");
  PrintItem(format_int16(count) + " ");
  PrintItem("lines");
  EndLine();
  s.cur_slot = resume_slot;
  s.cur_pos = resume_pos;
  return Continuation::NextStatement;
}

// "Pause..." until any key, which is dropped whatever it is.
void Interpreter::ListPause() {
  PrintItem("Pause...");
  for (;;) {
    host.key_wait_event();
    if (host.inkey() != kNoKey) break;
  }
  EndLine();
}

Continuation Interpreter::ExecFiles() {
  const std::string_view line = CurrentLine();
  s.colon_pos = static_cast<int32_t>(string_find(s.cur_pos, line, ":", true));
  const std::string pattern = s.colon_pos == 0 ? string_mid(line, s.cur_pos, 0, false)
                                               : string_mid(line, s.cur_pos, s.colon_pos - s.cur_pos, true);
  s.file_name = pattern;
  s.cur_pos += static_cast<int32_t>(pattern.size());

  host.shell_command("dir " + pattern + " /w  > dirout.$$$");
  FileOneGuard guard(host);
  host.file_open("dirout.$$$", FileMode::Input);
  std::string listing_line;
  while (!host.file_eof()) {
    host.file_line_input(listing_line);
    PrintItem(listing_line);
    EndLine();
  }
  host.file_close();
  host.delete_file("dirout.$$$");
  return Continuation::NextStatement;
}
