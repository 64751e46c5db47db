// Text files, lines and paths of tabulon. Paths in texts are CP932 byte strings in which
// "\" and "/" both separate folders; they become native paths only where a file is opened.
#pragma once
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// Blanks and control bytes (<= 0x20) cut off at both ends.
std::string tb_trim(std::string_view s);

// Reads a whole text file into lines. A line ends at each LF, and at a CR that is not
// followed by LF; the other control bytes 1..15 are dropped (a TAB becomes a blank when
// `tab_is_blank`), every other byte is kept. A last line without LF is read; a 0x1A at the end of the file is dropped.
// False when the file is missing or cannot be read.
bool read_text_lines(const std::filesystem::path& path, std::vector<std::string>& lines,
                     bool tab_is_blank);

// "\" (never a trail byte) becomes "/".
std::string tb_slashes(std::string_view text);
// A path text as a native path: "\" (never a trail byte) becomes "/", CP932 becomes
// UTF-8. When the file is not there, a file whose name differs only in letter case is
// taken (the files come from a case-insensitive file system).
std::filesystem::path tb_native_path(std::string_view text);
// A native path as a CP932 text (characters CP932 lacks become '?').
std::string tb_path_text(const std::filesystem::path& p);

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

// Writes the lines with CR LF through a temporary file in the same folder, renamed over the
// target; on failure the old file is left as it was and `err` says why.
bool tb_write_lines(const std::filesystem::path& path, const std::vector<std::string>& lines,
                    std::string* err = nullptr);
// A byte copy through a temporary file; refuses to copy a file onto itself.
bool tb_copy_file(const std::filesystem::path& from, const std::filesystem::path& to,
                  std::string* err = nullptr);
