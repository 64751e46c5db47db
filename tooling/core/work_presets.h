// The work size presets of "def_work_size.txt" in the configuration folder: one named box,
// lattice and colour per line, for the work window's new-work dialog. The file is read as
// CP932 bytes and never rewritten here. No Qt.
#pragma once
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "common/ats_func.h"

inline constexpr const char* WORK_PRESET_FILE = "def_work_size.txt";
inline constexpr int WORK_PRESET_COLOR = 43;    // the default work colour
inline constexpr int WORK_PRESET_DIVS = 50;     // divisions of the path-extent choices
inline constexpr float WORK_PRESET_MARGIN = 10; // mm all round for the "+10" choice
inline constexpr int WORK_WINDOW_DIV_MAX = 4094;
inline constexpr int WORK_COLOR_MAX = 63;

// One accepted line. Divisions and colour are kept as read (their absolute values), so a
// listed line can still be refused when chosen.
struct TWork_preset {
  std::string line;  // the trimmed line
  std::string name;  // the text between the quotes
  VEC3 min, max;
  std::int64_t nx = 0, ny = 0, color = WORK_PRESET_COLOR;
};

// True when the line is a preset: a quoted name, then exactly nine commas after the closing
// quote, with the six bounds real and the divisions and colour whole numbers (blanks and
// TABs after the closing quote are ignored; text before the first comma joins the first
// number; an empty colour gives the default colour).
bool Parse_def_work_size_line(const std::string& line, TWork_preset& out);

// The presets of the file in file order; false with the reason when the file is missing or
// cannot be read (the list is then empty).
bool Load_def_work_size_list(const std::filesystem::path& file, std::vector<TWork_preset>& out,
                             std::string* err = nullptr);

// The preset file of a configuration folder, found case-insensitively; empty when missing.
std::filesystem::path find_work_preset_file(const std::filesystem::path& config_folder);

// The tool path's extents as a preset (50 x 50, colour 43); with `margin` every min is
// lowered and every max raised by 10 mm.
TWork_preset path_extent_preset(const VEC3& min, const VEC3& max, bool margin);

// The checks a chosen preset must pass before it makes a work: divisions 0..4094 and colour
// 0..63, with the window's messages. True when it passes; otherwise `msg` holds the text.
bool check_work_preset(const TWork_preset& p, std::string& msg);
