#include "mainwin/core/convert_params.h"

#include <utility>

#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "platform/core/msgbox.h"

MOVE_ROTATE_VALUES move_rotate_values_of(const Tdisp_status& d, int mode) {
  MOVE_ROTATE_VALUES v;
  v.mode = mode;
  v.dot_mode = d.CONV_UNIT == 2 ? 2 : 1;
  v.move_x = d.COPY_IX;
  v.move_y = d.COPY_IY;
  v.move_z = d.COPY_IZ;
  v.move_count = d.COPY_TIMES_M;
  v.center_x = d.COPY_CX;
  v.center_y = d.COPY_CY;
  v.angle = d.COPY_IA;
  v.rotate_count = d.COPY_TIMES_R;
  v.extra = {d.AP_LENGTH_1, d.AP_LENGTH_2, d.AP_SOKUDO_1, d.AP_SOKUDO_2,
             d.AP_ANGLE_2,  d.JOINT_SOKUDO, d.JOINT_GAP,  d.POSITIONING_Z};
  return v;
}

void take_move_rotate_values(Tdisp_status& d, const MOVE_ROTATE_VALUES& v) {
  d.CONV_UNIT = v.dot_mode == 2 ? 2 : 1;
  d.COPY_IX = v.move_x;
  d.COPY_IY = v.move_y;
  d.COPY_IZ = v.move_z;
  d.COPY_TIMES_M = v.move_count;
  d.COPY_CX = v.center_x;
  d.COPY_CY = v.center_y;
  d.COPY_IA = v.angle;
  d.COPY_TIMES_R = v.rotate_count;
  d.AP_LENGTH_1 = v.extra[0];
  d.AP_LENGTH_2 = v.extra[1];
  d.AP_SOKUDO_1 = v.extra[2];
  d.AP_SOKUDO_2 = v.extra[3];
  d.AP_ANGLE_2 = v.extra[4];
  d.JOINT_SOKUDO = v.extra[5];
  d.JOINT_GAP = v.extra[6];
  d.POSITIONING_Z = v.extra[7];
}

bool ask_convert_params(TSession& s, TVLM_ui& ui, int mode) {
  if (s.nc().prog_lines.count >= 2) {
    plat::message_box("G91⇔G90変換はサブプログラムの\nあるデータでは使用できません。", "",
                      plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return false;
  }
  if (NCD_EDIT_LIST* l = ui.listing().edit_list())
    if (l->sel_end > 0 && l->sel_start > l->sel_end) std::swap(l->sel_start, l->sel_end);
  if (mode == 3 || mode == 4) {
    bool use_dot = s.disp.CONV_UNIT != 2;
    if (!ui.dialogs().g91_g90_dialog(mode == 3 ? "G91 に変換する" : "G90 に変換する", use_dot)) return false;
    s.disp.CONV_UNIT = use_dot ? 1 : 2;
    return true;
  }
  MOVE_ROTATE_VALUES v = move_rotate_values_of(s.disp, mode);
  if (!ui.dialogs().move_rotate_dialog(v)) return false;
  take_move_rotate_values(s.disp, v);
  return true;
}
