// Tool comment codes: a tool and its holder as three "(VLM " comment lines.
//
//   name line    (VLM N5 "φ8 フラット" )
//   tool line    (VLM T5 A1B29C8D16E10F20G8)            letters per kind, see the writer
//   holder line  (VLM H5 A49B72C11D12E20F10G15)          C group: second holder, F group: taper
//
// They stand in NC programs, magazine files (".nst"), tool library files (".nts") and the
// companion's tool data file. The writer normalises the records per tool kind first, so a
// written line read back and written again gives the same text. Readers are lenient: case
// is ignored, blanks may stand between letter and number, letters come in any order, and
// text after ':' or '/' is a free comment. A malformed value keeps the field's default and
// writes one warning to the debug log.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "simulation/tool_records.h"

// 0.1 or less becomes 0.1, above 400 becomes 400 (NaN becomes 0.1).
float clamp_TOOL_size(float v);

// Normalises tool and holder per tool kind, fills the tool's derived fields and stores the
// tool line and name line in the tool and the holder line in the holder. Returns true.
bool make_TOOL_comment_lines(TTOOL& t, THOLDER& h);
// Normalises the holder against the (already normalised) tool and stores its line.
void make_HOLDER_comment(const TTOOL& t, THOLDER& h);

// A tool record from a tool line, starting from the defaults (absent letters keep them).
TTOOL read_TOOL_comment(std::string_view line);
// The same into an existing record; its name, lines and derived fields are kept.
void get_TOOL_from_comment(std::string_view line, TTOOL& t);
// A holder record from a holder line, starting from the defaults.
THOLDER read_HOLDER_comment(std::string_view line);

struct TOOL_NAME_COMMENT {
  int number = -1;   // -1 when the line has no (valid) number
  std::string name;  // the text between the quotes
};
TOOL_NAME_COMMENT read_NAME_comment(std::string_view line);

// Apply one line to the first slot (0..count-1) whose tool number is the line's number; a
// line without a number, or whose number has no slot, changes nothing. A tool or holder
// line replaces the slot's record only once (until its set flag is cleared); the tool keeps
// the slot's name. True when the line changed a slot.
bool set_TOOL_name_from_comment(std::string_view line, TTOOL_HOLDER_tmp& m);
bool set_TOOL_from_comment(std::string_view line, TTOOL_HOLDER_tmp& m);
bool set_HOLDER_from_comment(std::string_view line, TTOOL_HOLDER_tmp& m);

// Completes every slot in use: a missing tool or holder gets the defaults with the slot's
// tool number, an unnamed tool its automatic name, and all three lines are rewritten.
void Preset_TOOL_HOLDER_list(TTOOL_HOLDER_tmp& m);

// The most name lines a magazine takes from text; later tools are ignored.
constexpr int kMagazineReadLimit = 200;

// Builds a magazine from text lines: each name line opens a slot, tool and holder lines fill
// the slot of their number, other lines are ignored; the magazine is then completed.
// With `report`, one entry per line says what became of it: taken into a slot, holding a
// malformed value (its field kept the default; the line may have been taken too), or not
// taken (comments, other lines, tools beyond the limit, repeated tool or holder lines).
enum class TOOL_LINE_USE { taken, malformed, not_taken };
void read_TOOL_comment_lines(const std::vector<std::string>& lines, TTOOL_HOLDER_tmp& m,
                             std::vector<TOOL_LINE_USE>* report = nullptr);
