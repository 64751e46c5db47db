// The NC outputs derived from the loaded program: the copy-outs of the File menu (the
// program with its sub-programs expanded, in G91 or G90, rotated, moved, mirrored or
// turned), the lines of one tool use with new T, D and H codes, and the tool-check program.
// Each writes into a line list; the output text window shows it. Every producer steps the
// program quietly under the busy guard and puts the simulation position back on every exit.
// No Qt here.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "mainwin/core/small_dialogs.h"
#include "ncdata/ncd_data.h"
#include "simulation/tool_records.h"
#include "tooling/core/nc_output.h"

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// The copy-out modes, by the Tags of their items.
enum COPY_OUT_MODE : int {
  CO_SUBPRO = 7,      // sub-programs expanded, nothing else converted (Tag 20)
  CO_G91 = 33,
  CO_G90 = 34,
  CO_ROTATE = 35,     // about a centre by an angle, the given number of times
  CO_MOVE = 36,       // by X, Y, Z, the given number of times
  CO_X_MIRROR = 37,
  CO_Y_MIRROR = 38,
  CO_TURN_90 = 39,    // +90 degrees about (0,0)
  CO_TURN_180 = 40,   // +180 degrees about (0,0)
};
// The Tag of a copy-out item gives its mode (Tag 20 is mode 7); -1 for other Tags.
int copy_out_mode_of_tag(int tag);
// The output window's caption of a mode ("G91 に変更 "), empty for an unknown mode.
std::string copy_out_caption(int mode);
// The label of the number-form dialog of modes 33, 34, 39 and 40; empty for the others.
std::string copy_out_dialog_label(int mode);

struct COPY_OUT_PARAMS {
  int mode = CO_SUBPRO;
  int conv_unit = 1;  // 1 with a decimal point (steps of 0.001), 2 integers in the unit
  int word_unit = 4;  // nc_word_unit 1..5: the unit 1, 0.1, 0.01, 0.001, 0.0001 mm
  double cx = 0, cy = 0, angle = 0;  // rotation centre and angle in degrees (mode 35)
  double dx = 0, dy = 0, dz = 0;     // move (mode 36)
  int times = 1;                     // copies (modes 35 and 36), at least 1
  // Called after every 50,000 written lines with the count so far.
  std::function<void(std::size_t)> progress;
};

enum class COPY_OUT_END {
  done,     // the program was converted to its end
  stopped,  // Escape
  refused,  // a line the conversion cannot carry (the message names it)
};
struct COPY_OUT_RESULT {
  COPY_OUT_END end = COPY_OUT_END::done;
  std::string message;  // the box's text for stopped and refused (CP932)
  std::string caption;  // the box's caption
};

// The conversion itself: steps the program from its first line and writes the converted
// lines into `out`. The caller keeps the simulation position (the conversion leaves the
// interpreter wherever it stopped). A copy-out that does not reach the end ends its text
// with "( 中断しました )"; no box is shown here.
COPY_OUT_RESULT convert_NCD_copy(NCD_DATA& d, const COPY_OUT_PARAMS& p, TText_lines& out);

// The dialogs a copy-out opens; the window shows the real ones, tests answer them.
class TVLM_copy_out_chooser {
 public:
  virtual ~TVLM_copy_out_chooser() = default;
  // The number form (1 decimal point, 2 integer) under the label; false on Cancel.
  virtual bool number_form(const std::string& label, int& conv_unit) = 0;
  // The move or rotate values (v.mode MR_MOVE_2 or MR_ROTATE_2); false on Cancel.
  virtual bool move_rotate(MOVE_ROTATE_VALUES& v) = 0;
};

// The copy-out command of mode 7 or 33..40: refuses while busy or without a program; asks
// the mode's dialog; converts; shows the lines in the output window (with the box of a
// stop or refusal first). False when nothing was shown.
bool NCD_copy_out(TSession& s, TVLM_ui& ui, TVLM_copy_out_chooser& chooser, int mode);

// Registers the copy-out items under the listing's handler: Tags 20 and 33..40.
void register_copy_out_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                TVLM_copy_out_chooser& chooser);

// The D and H code texts of one tool use ("D12", "H12"; empty when the use gives none): the
// last D and H words of its blocks. Steps the program (the caller keeps the position).
void tool_use_DH_codes(NCD_DATA& d, const NCD_TOOL_STAT& rec, std::string& D, std::string& H);

// The lines of tool use `r` cut out, with new H, D and T (negative: kept). False, with
// nothing written and the position as it was, while busy, without a program or when r is
// not below the record count.
bool list_TOOL_segments(NCD_DATA& d, TText_lines& out, int r, const std::string& name,
                        int new_H, int new_D, int new_T);

// The tool-check program that moves every tool over the check jig, or one error text.
void make_TOOL_check_NCD(NCD_DATA& d, const TTOOL_HOLDER_tmp& m, TText_lines& out,
                         const TTOOL_CHECK_PARAMS& p);

// Keeps the interpreter's position, the run's per-block state and the block range, and puts
// them back when it goes out of scope.
class NCD_position_keeper {
 public:
  explicit NCD_position_keeper(NCD_DATA& d);
  ~NCD_position_keeper();
  NCD_position_keeper(const NCD_position_keeper&) = delete;
  NCD_position_keeper& operator=(const NCD_position_keeper&) = delete;

 private:
  NCD_DATA& d_;
  NCD_EXEC exec_;
  NCD_POS pos_;
  NCD_RUN_STATE st_;
  NCD_TH_STATE th_;
  NCD_BLOCK_TEXTS texts_;
};
