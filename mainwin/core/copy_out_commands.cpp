// The copy-out items of the listing's handler: their dialogs, the conversion and the output
// window.
#include "mainwin/core/command_table.h"
#include "mainwin/core/convert_params.h"
#include "mainwin/core/copy_outs.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace {

// The parameters of a mode from the settings and its dialog; false on Cancel.
bool copy_out_params(TSession& s, TVLM_copy_out_chooser& chooser, int mode, COPY_OUT_PARAMS& p) {
  Tdisp_status& ds = s.disp;
  p.mode = mode;
  p.word_unit = s.form.nc_word_unit;
  p.conv_unit = ds.CONV_UNIT == 2 ? 2 : 1;
  const std::string label = copy_out_dialog_label(mode);
  if (!label.empty()) {
    int unit = p.conv_unit;
    if (!chooser.number_form(label, unit)) return false;
    p.conv_unit = ds.CONV_UNIT = unit == 2 ? 2 : 1;
  } else if (mode == CO_ROTATE || mode == CO_MOVE) {
    MOVE_ROTATE_VALUES v = move_rotate_values_of(ds, mode == CO_ROTATE ? MR_ROTATE_2 : MR_MOVE_2);
    if (!chooser.move_rotate(v)) return false;
    take_move_rotate_values(ds, v);
    p.conv_unit = ds.CONV_UNIT;
    p.dx = v.move_x, p.dy = v.move_y, p.dz = v.move_z;
    p.cx = v.center_x, p.cy = v.center_y, p.angle = v.angle;
    p.times = mode == CO_ROTATE ? v.rotate_count : v.move_count;
    if (p.times < 1) p.times = 1;
  }
  return true;
}

}  // namespace

bool NCD_copy_out(TSession& s, TVLM_ui& ui, TVLM_copy_out_chooser& chooser, int mode) {
  const std::string caption = copy_out_caption(mode);
  if (caption.empty() || plat::busy() || s.nc().line_count <= 0) return false;
  COPY_OUT_PARAMS p;
  if (!copy_out_params(s, chooser, mode, p)) return false;
  plat::BusyGuard busy;
  if (!busy.acquired()) return false;
  std::string stars;
  p.progress = [&](std::size_t) {
    stars += '*';
    ui.dialogs().output_caption(caption + stars);
  };
  TText_lines lines;
  COPY_OUT_RESULT r;
  {
    NCD_position_keeper keep(s.nc());
    r = convert_NCD_copy(s.nc(), p, lines);
  }
  if (r.end != COPY_OUT_END::done)
    plat::message_box(r.message, r.caption,
                      plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
  ui.dialogs().show_output(lines, caption);
  return true;
}

void register_copy_out_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                TVLM_copy_out_chooser& chooser) {
  for (int tag : {20, 33, 34, 35, 36, 37, 38, 39, 40}) {
    const int mode = copy_out_mode_of_tag(tag);
    t.add(VLM_handler::list_popup, tag,
              [&s, &ui, &chooser, mode] { NCD_copy_out(s, ui, chooser, mode); });
  }
}
