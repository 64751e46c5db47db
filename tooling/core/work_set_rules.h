// The rules of the work and jig settings window: the texts of its edits and combo boxes,
// the commit of one edit (work, Tag, text in; the store changed or the window's message
// shown and the old text back), the group moves, the memo cut and the creation of a new
// work from a preset. The window (tooling/Work_set_win_2) only shows what these give. No Qt.
#pragma once
#include <array>
#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "simulation/work_store.h"
#include "tooling/core/disp_status.h"
#include "tooling/core/work_presets.h"

// Tags of the edits.
enum : int {
  WSE_minX = 0, WSE_minY, WSE_minZ, WSE_maxX, WSE_maxY, WSE_maxZ, WSE_centerX, WSE_centerY,
  WSE_sizeX, WSE_sizeY, WSE_sizeZ, WSE_matX, WSE_matY, WSE_WORK_COLOR, WSE_WORK_MEMO,
  WSE_mat_offsetZ, WSE_MAT_COLOR,
  WSE_COUNT
};
inline constexpr std::size_t WORK_MEMO_KEEP = 254;  // bytes a memo keeps at most

// What the opener hands the window: the tool path's extents and the top height of the last
// whole-program run, whether a program is loaded, and the default work file name.
struct TWork_path_extents {
  bool valid = false;
  VEC3 min, max;  // max.z is the top height
};

// The dialogs of the window, so that tests script them.
class Twork_set_dialogs {
 public:
  virtual ~Twork_set_dialogs() = default;
  // The preset dialog over `file`: true with the chosen box, false on Cancel.
  virtual bool choose_preset(const std::filesystem::path& file, const TWork_path_extents& ext,
                             TWork_preset& out) = 0;
  // An open (save false) or save dialog for ".wok" files; true with the chosen path.
  virtual bool choose_work_file(bool save, const std::string& title,
                                const std::string& file_name, std::filesystem::path& out) = 0;
};

// The palette colour of a colour code as red, green, blue bytes with the given alpha.
void color_code_to_RGBA_bytes(int code, std::uint8_t alpha, std::uint8_t rgba[4]);
// The colour code of RGBA bytes: the exact inverse of color_code_to_RGBA_bytes, an
// off-palette colour taking the nearest code.
int RGBA_to_color_code(const std::uint8_t rgba[4]);

// Values shown with three decimals, rounded half away from zero.
std::string Round3_to_text(double v);
// The pitch of an axis: size / count, "0" for a count of 0.
std::string pitch_text(float size, int count);
// The memo cut at the last character boundary at or below 254 bytes.
std::string cut_work_memo(const std::string& text);

// "%3d " + Z/W + v/. + c/. + "(%2d)" or two blanks, per work in use, with its slot.
std::vector<std::pair<int, std::string>> work_combo_items(const Tmat& m);
// " 未設定 " (group 0) then "%3d" per group number in use, with the group.
std::vector<std::pair<int, std::string>> group_combo_items(const Tmat& m);

// A work is fixed when it is a jig or has been cut.
bool work_is_fixed(Tmat& m, int work);

// Moves a work by `delta` on one axis (0 X, 1 Y, 2 Z), and every other work of its group
// (group above 0) by the same delta. False, with the store's last error, when a move fails.
bool Move_GROUP_works(Tmat& m, int work, float delta, int axis);

class TWork_set_rules {
 public:
  TWork_set_rules(Tmat& m, Tdisp_status& d) : m_(m), d_(d) {}

  // The text of every edit for work n (the lattice offset and colour from the switches).
  std::array<std::string, WSE_COUNT> edit_texts(int work) const;
  // The default texts of the edits without a work.
  std::array<std::string, WSE_COUNT> default_texts() const;
  // Whether the size and lattice edits take input for work n.
  bool size_edits_enabled(int work);

  // Commits the text of edit `tag` for `work`. True when the value was taken; otherwise the
  // window's message was shown (titled "数値エラー") and the edit goes back to `old_text`.
  bool commit(int work, int tag, const std::string& text);

  // The lattice Z offset of the window (mm), taken from the switch that is on.
  float offset_z() const { return offset_z_; }
  void reset_offset_from_switches();

  // Creates a new work: from the chosen preset, or the defaults when the preset file is
  // missing. The slot of the new work, or -1 (Cancel, full store, refused values).
  int Create_new_WORK(const std::filesystem::path& config_folder, const TWork_path_extents& ext,
                      Twork_set_dialogs& dialogs);
  // True while a new work is being made: the window's handlers do nothing then.
  bool busy() const { return busy_; }

 private:
  bool refuse(const std::string& msg);
  bool rebuild(int work, int nx, int ny, const VEC3& min, const VEC3& max);
  bool commit_bound(int work, int tag, float v);

  Tmat& m_;
  Tdisp_status& d_;
  float offset_z_ = 10;
  bool busy_ = false;
};
