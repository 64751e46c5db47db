// The file chooser's listing: the plain files of a folder that match a filter, with size
// and date, interruptible by Escape or a mouse click once it has run 200 ms. No Qt here.
#pragma once
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct FILE_ROW {
  std::string native;       // the file name as stored (UTF-8)
  std::uint64_t size = 0;   // bytes
  std::int64_t mtime = 0;   // seconds since the epoch
};

struct FILE_LIST {
  std::vector<FILE_ROW> rows;  // sorted by name (ASCII letter case ignored, then by bytes)
  int entries = 0;             // directory entries looked at ("." and ".." not counted)
  int files() const { return static_cast<int>(rows.size()); }
  bool interrupted = false;
  std::string caption;         // "ファイル数 : %d" or "%d : リスティング中断"
};

// A filter split into the folder it names (relative to the current folder unless absolute)
// and the mask of the name, both native (UTF-8). "\" in the filter stands for "/".
struct FILE_FILTER {
  std::filesystem::path folder;
  std::string mask;
};
FILE_FILTER split_file_filter(const std::filesystem::path& current, std::string_view filter_cp932);

// Whole-name match of a native name: "*" any run, "?" one character, ASCII letters ignoring
// case. An empty mask matches every name.
bool file_mask_match(std::string_view name_utf8, std::string_view mask_utf8);

// Milliseconds of a steady clock.
using FileListClock = std::function<std::uint32_t()>;
// Receives "%d : マウスクリックで中断" while a long listing runs.
using FileListProgress = std::function<void(const std::string& caption)>;

// Lists `filter` in `current`: plain files only (a link to a file counts; folders, dot-files
// and entries that cannot be queried are skipped). After every 50th entry, once 200 ms have
// passed since the start, Escape or a mouse button (down, or pressed since the last read)
// stops the listing; the rows found so far are kept.
FILE_LIST List_files_in_dir(const std::filesystem::path& current, std::string_view filter_cp932,
                            const FileListClock& clock, const FileListProgress& progress = {});

// "%8d" of the size (64-bit) and the local date "YYYY/MM/DD hh:mm".
std::string file_size_text(std::uint64_t size);
std::string file_date_text(std::int64_t mtime);

// The row of the typed name: the one of exactly that name, else the one equal to it with
// ASCII letter case ignored; -1 when there is none (or the name is empty).
int find_typed_name(const std::vector<FILE_ROW>& rows, std::string_view name_utf8);

// "\" (not a trail byte) replaced by "/".
std::string backslash_to_slash(std::string_view cp932);
