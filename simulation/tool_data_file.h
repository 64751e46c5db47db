// The companion's tool data file: the tools of one magazine for tabulon, on the desktop.
//
// CP932 text with CR LF: an empty line, the explanatory ";" comment lines, an empty line,
// then for every slot whose tool kind is not 0 one line
//   "%TB T=" + the slot's tool number (at least two digits) + " " + name line + " " +
//   tool line + " " + holder line
// The number after "%TB T=" is the tool number that the companion assigns.
#pragma once
#include <filesystem>
#include <string>

#include "simulation/tool_records.h"

// The whole file text. Every slot is normalised (on a copy) as the comment writer does it;
// the magazine itself is not changed.
std::string make_TB_tool_data_text(const TTOOL_HOLDER_tmp& m);

// The file name: the NC file's name (without its folder) with its extension replaced by
// ".txt"; "no_name.txt" without a name.
std::filesystem::path TB_tool_data_file_name(const std::filesystem::path& nc_file);

// Writes the file to `target` through a temporary file; false with the reason in *err.
bool save_TB_tool_data(const TTOOL_HOLDER_tmp& m, const std::filesystem::path& target,
                       std::string* err = nullptr);

// The command of the tool settings window: writes the file for `nc_file` into the desktop
// folder and confirms it with its full path in a message box, or shows an error box.
// Returns the outcome.
bool write_TB_tool_data(const TTOOL_HOLDER_tmp& m, const std::filesystem::path& nc_file);
