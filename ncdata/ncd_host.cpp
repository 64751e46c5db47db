#include "ncdata/ncd_host.h"

#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"
#include "platform/core/msgbox.h"

bool NCD_plain_draw_data(NCD_DATA& d, int mode) {
  if (mode == NCD_DRAW_STEP || mode == NCD_DRAW_STEP_ONE) return STEP_NCD_stop_on_err(d, false);
  return false;
}

bool NCD_HOST::draw_data(NCD_DATA& d, int mode) { return NCD_plain_draw_data(d, mode); }

void NCD_HOST::show_system_err(const std::string& text) {
  plat::message_box(text, "SYSTEM ERR", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
}

NCD_HOST& NCD_HOST::none() {
  static NCD_HOST host;
  return host;
}
