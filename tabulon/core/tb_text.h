// Text files, lines and paths of tabulon. Paths in texts are CP932 byte strings in which
// "\" and "/" both separate folders; they become native paths only where a file is opened.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "common/text_file.h"

// Blanks and control bytes (<= 0x20) cut off at both ends.
std::string tb_trim(std::string_view s);

// Reads a whole text file into lines as `read_text_lines` splits them, then drops the
// control bytes 1..15 of each line (a TAB becomes a blank when `tab_is_blank`); every other
// byte is kept. A 0x1A at the end of the file is dropped, and so is a last line without a
// line end that holds nothing else. False when the file is missing or cannot be read.
bool tb_read_lines(const std::filesystem::path& path, std::vector<std::string>& lines,
                   bool tab_is_blank);
// The same from bytes already read.
void tb_split_lines(std::string data, std::vector<std::string>& lines, bool tab_is_blank);

// Where velmor's loader would stop on the bytes of an NC file: the position of the first
// control byte other than TAB, CR and LF, unless only line ends and end-of-file bytes (0x1A)
// follow from there; npos when there is none. `line` is then its line (from 1).
std::size_t tb_control_byte(std::string_view bytes, int& line);

// True for "\..." or "/..." and for "X:...".
bool tb_is_absolute(std::string_view text);
// True when the text ends in a folder separator.
bool tb_ends_in_separator(std::string_view text);
// The part after the last separator.
std::string tb_file_name(std::string_view path);
// The part up to and including the last separator ("" when there is none).
std::string tb_folder_of(std::string_view path);

// The trimmed text resolved against `folder` (see the set-up list and definitions):
// texts of one character or less give ""; absolute texts are kept; otherwise folder +
// text, with a "/" between when the folder does not end in a separator. Separators of the
// result are "/".
std::string full_path_base(std::string_view text, std::string_view folder);
// The same against the set-up folder, where an empty folder still gives "/" + text.
std::string full_path_cur(std::string_view text, std::string_view cur_folder);

// A byte copy through a temporary file; refuses to copy a file onto itself.
bool tb_copy_file(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::string* err = nullptr);
