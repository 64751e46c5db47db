// The rules behind the small dialogs of the main window: the about box's memory figures,
// the rows and field checks of the move/rotate-copy dialog and the command line of the
// external-program dialog. No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/core/system.h"

// ---- about box -----------------------------------------------------------------------------
// bytes / 1000 as "%d Kb" (64-bit, so 64 GiB shows whole).
std::string memory_kb_text(std::uint64_t bytes);
struct ABOUT_MEMORY_TEXTS {
  std::string total = "??? Kb";   // total physical memory
  std::string free = "??? Kb";    // available physical memory
  std::string v_free = "??? Kb";  // what can still be committed: available memory + free swap
};
// With ok false (the status could not be read) every figure stays "??? Kb".
ABOUT_MEMORY_TEXTS about_memory_texts(bool ok, const plat::MemoryStatus& m);

// ---- move/rotate-copy dialog ------------------------------------------------------------------
// Modes of the dialog.
enum : int { MR_ROTATE = 5, MR_ROTATE_2 = 35, MR_MOVE = 6, MR_MOVE_2 = 36, MR_NO_ROWS = 8 };
inline bool mr_is_rotate(int mode) { return mode == MR_ROTATE || mode == MR_ROTATE_2; }
inline bool mr_is_move(int mode) { return mode == MR_MOVE || mode == MR_MOVE_2; }

struct MOVE_ROTATE_VALUES {
  int mode = MR_MOVE;
  int dot_mode = 1;  // 1 with a decimal point, 2 without
  float move_x = 0, move_y = 0, move_z = 0;
  std::int32_t move_count = 0;
  float center_x = 0, center_y = 0, angle = 0;
  std::int32_t rotate_count = 0;
  // Approach lengths 1 and 2, approach speeds 1 and 2, approach angle 2, connection speed,
  // maximum connection distance (XY only), positioning height.
  std::array<float, 8> extra{};
};

// The four rows as the mode shows them: captions, visibility and texts. Row 4 is the count,
// an integer row.
struct MOVE_ROTATE_ROWS {
  std::array<std::string, 4> caption;
  std::array<bool, 4> visible{};
  std::array<std::string, 4> text;
};
MOVE_ROTATE_ROWS move_rotate_rows(const MOVE_ROTATE_VALUES& v);
// Reads the rows back into v for the mode: move rows 1, 2 and 4 (Z is hidden and keeps its
// value), rotate rows 1..4, other modes none.
void read_move_rotate_rows(MOVE_ROTATE_VALUES& v, const std::array<std::string, 4>& text);

// The text of a real field on leaving it: kept when it is a real number; otherwise, after
// the message of is_real_text when `show`, the first real number inside it, else "0".
std::string fix_real_field(std::string_view text, bool show);
// The same for an integer field, with is_integer_text and the first integer inside it.
std::string fix_integer_field(std::string_view text, bool show);
// The value of a checked field ("0" and such give 0); reals are held within +-1e10.
float real_field_value(std::string_view text);
std::int32_t integer_field_value(std::string_view text);

// ---- external-program dialog ------------------------------------------------------------------
// The argument of choice 0 (none), 1 (the temporary copy of the data shown) or 2 (the NC
// file as it was opened); other choices count as 0.
std::string other_exec_argument(int choice, const std::string& tmp_path,
                                const std::string& nc_path);
// The status bar's command line: the command, a blank, and the argument in double quotes.
std::string other_exec_command_line(const std::string& command, const std::string& argument);
