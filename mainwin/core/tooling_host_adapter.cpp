#include "mainwin/core/tooling_host_adapter.h"

#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"

std::string TVLM_tooling_host::nc_file_name() const {
  if (s_.file.path.empty()) return {};
  return plat::utf8_to_cp932(s_.file.path.string());
}

std::string TVLM_tooling_host::file_line() const { return s_.file.status; }

int TVLM_tooling_host::back_color() const { return s_.disp.BACK_color; }

bool TVLM_tooling_host::busy() const { return plat::busy(); }

std::shared_ptr<const TG2_picture> TVLM_tooling_host::render_view(int width, int height) {
  return ui_.render_view(width, height);
}
