// Tool library files (one ".nts" file per tool kind in the configuration folder) and other
// magazine files (".nst"): three comment lines per tool (name, tool, holder). Browsing never
// writes a file; a rewrite (after a reset in the list, or when a tool is stored) writes the
// slots and then every line the reader did not take (comments, other lines, tools beyond the
// 200th, repeated lines), unchanged and in their order. A file with a malformed value is
// never rewritten: the rewrite would replace the user's text with the default. No Qt.
#pragma once
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "simulation/tool_records.h"

struct TTool_library {
  std::filesystem::path path;    // the file (found case-insensitively, else to be created)
  bool exists = false;           // there is a file of that name
  bool readable = true;          // false: it exists but could not be read
  bool blank = true;             // missing, or nothing but blanks and empty lines
  std::unique_ptr<TTOOL_HOLDER_tmp> m = std::make_unique<TTOOL_HOLDER_tmp>();
  std::vector<std::string> kept;  // lines the reader did not take, in file order
  int malformed = 0;              // lines with a malformed value
  std::string first_malformed;    // the first of them
};

// The library file of a kind in the configuration folder: the entry whose name differs from
// TOOL_KIND_FILES[kind] only in letter case, else that exact name.
std::filesystem::path tool_library_path(const std::filesystem::path& config_folder, int kind);
// The same for a magazine file name ("name" or "name.nst", any case of ".nst").
std::filesystem::path magazine_file_path(const std::filesystem::path& chosen);

// Reads the file (a missing file gives an empty magazine). Returns `readable`.
TTool_library load_tool_library(const std::filesystem::path& p);

// One box naming the file, the first malformed line and their count, when there are any.
void report_malformed_library(const TTool_library& lib);

// The file's lines for the magazine: name, tool and holder line of every slot (normalised
// first), then `kept`.
std::vector<std::string> tool_library_lines(TTOOL_HOLDER_tmp& m,
                                            const std::vector<std::string>& kept);

// Rewrites the file from lib.m and lib.kept. Refused with a box (and the file untouched)
// when it could not be read or holds a malformed value; a failed write keeps the old file and
// shows a box naming it. True when written.
bool rewrite_tool_library(TTool_library& lib);

// 200 unset tools, tool numbers 0..199, named "未設定", completed.
void make_unset_library(TTOOL_HOLDER_tmp& m);

// Stores the tool and holder into the first unset slot of its kind's library and confirms
// it with a box naming its number: the number the slot has in the file, or, when another
// slot has that number too, the smallest number no other slot has (tool, holder and slot
// number alike). Kind 0 does nothing. A missing or blank file becomes 200 unset tools
// (numbers 0..199) first; a file that cannot be read, that yields no tool, or that holds a
// malformed value is refused with a box and not written. A full library keeps the file and
// shows its message. Returns the number given, or -1.
int save_to_TOOL_LIST(const std::filesystem::path& config_folder, const TTOOL& tool,
                      const THOLDER& holder);
