// Line-list text files and file names of both programs. The texts are CP932 byte strings and
// are never decoded: a line holds every byte of the file but its line end. Paths stored in
// texts use "\" or "/" between folders and are made native only where a file is opened; the
// files often come from a case-insensitive file system, so a name is also found when only
// the case of its letters differs.
#pragma once
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The bytes split into lines: a line ends at LF, at CR LF and at a CR that no LF follows;
// every other byte is kept. A last line without a line end is a line; an empty text has no
// lines.
std::vector<std::string> split_text_lines(std::string_view bytes);

// The whole file as bytes. False, with the reason in *err, when it is missing, is no file,
// or cannot be read.
bool read_file_bytes(const std::filesystem::path& p, std::string& bytes,
                     std::string* err = nullptr);

// A file read piece by piece, so that a large one is never held whole: each piece holds
// whole lines of about `piece_bytes` (a longer line whole), ends at a line end (a CR only
// when the next byte is known not to be LF) or at the end of the file, and is valid until
// the next call.
class TextFilePieces {
 public:
  // False, with the reason in *err, as read_file_bytes.
  bool open(const std::filesystem::path& p, std::size_t piece_bytes, std::string* err = nullptr);
  // The size the file had when it was opened.
  std::uintmax_t size() const { return size_; }
  // The next piece; false at the end of the file or when it cannot be read (failed()).
  bool next(std::string_view& piece);
  bool failed() const { return failed_; }
  // Closes the file and lets its buffer go.
  void close();
  TextFilePieces() = default;
  TextFilePieces(const TextFilePieces&) = delete;
  TextFilePieces& operator=(const TextFilePieces&) = delete;
  ~TextFilePieces();

 private:
  void free_room();
  std::ifstream f_;
  // The bytes read, in a block taken without being cleared (a piece's size, more only for
  // a line longer than that).
  char* buf_ = nullptr;
  std::size_t cap_ = 0, have_ = 0;
  std::size_t start_ = 0;  // the part of buf_ not handed out yet begins here
  std::size_t piece_ = 0;
  std::uintmax_t size_ = 0;
  bool eof_ = false, failed_ = false;
};

// The file's lines, split as `split_text_lines` does. On failure `lines` is left as it was.
bool read_text_lines(const std::filesystem::path& p, std::vector<std::string>& lines,
                     std::string* err = nullptr);

// Each line followed by CR LF, written through the safe file writer: a failed write keeps
// the old file, and a replaced file keeps its permissions.
bool write_text_lines(const std::filesystem::path& p, const std::vector<std::string>& lines,
                      std::string* err = nullptr);

// The entry of `dir` called `name` (a native file name), else one whose name differs from
// it only in the case of ASCII letters (the first in byte order when there are several).
std::optional<std::filesystem::path> find_file_nocase(const std::filesystem::path& dir,
                                                      const std::string& name);

// "\" becomes "/", except where the byte is the second half of a double-byte character.
std::string forward_slashes(std::string_view text);

// A stored path text as a native path: separators as `forward_slashes`, CP932 as UTF-8,
// "." and ".." folded. Where a part of the path does not exist, a part that differs only in
// letter case is taken; when none is found, the path stays as written.
std::filesystem::path native_path(std::string_view text);

// A native path as a CP932 text (characters CP932 lacks become '?').
std::string path_text(const std::filesystem::path& p);
