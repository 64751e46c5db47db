#include "tooling/core/nc_output.h"

#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "tooling/core/disp_status.h"
#include "tooling/core/tooling_host.h"

namespace fs = std::filesystem;

TTOOL_CHECK_PARAMS tool_check_params_of(const Tdisp_status& d) {
  TTOOL_CHECK_PARAMS p;
  p.o_num = d.TCOND_O_num;
  p.no_name = d.TCOND_NONAME != 0;
  p.f = d.TCOND_F_str;
  p.z = d.TCOND_Z_str;
  p.y = d.TCOND_Y_str;
  p.x = d.TCOND_X_str;
  p.init = d.TCOND_INIT_str;
  p.m6 = d.TCOND_M6_str;
  p.pre_m6 = d.TCOND_PRE_M6_str;
  return p;
}

void store_tool_check_params(const TTOOL_CHECK_PARAMS& p, Tdisp_status& d) {
  d.TCOND_O_num = p.o_num;
  d.TCOND_NONAME = p.no_name ? 1 : 0;
  d.TCOND_F_str = p.f;
  d.TCOND_Z_str = p.z;
  d.TCOND_Y_str = p.y;
  d.TCOND_X_str = p.x;
  d.TCOND_INIT_str = p.init;
  d.TCOND_M6_str = p.m6;
  d.TCOND_PRE_M6_str = p.pre_m6;
}

std::string tool_check_return_label(std::string_view x_text) {
  std::string s = "G90G01G40 X";
  s += x_text;
  s += "  ( ← ④の X 位置)";
  return s;
}

std::string update_TDH_comment(std::string_view prefix, std::string_view name, bool no_name) {
  std::string s(prefix);
  if (name.empty() || no_name) {
    s += ")";
  } else {
    s += ": \"";
    s += name;
    s += "\")";
  }
  return s;
}

std::string clip_save_text(const std::vector<std::string>& comment_lines, const TText_lines& lines) {
  std::string out;
  out.reserve(lines.bytes().size() + 64);
  out += "%\r\n";
  for (const std::string& c : comment_lines) {
    out += c;
    out += "\r\n";
  }
  out += lines.bytes();
  out += "%\r\n";
  return out;
}

namespace {

void error_box(const std::string& text) {
  plat::message_box(text, "エラー", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
}

}  // namespace

CLIP_SAVE_RESULT save_clip_output(Ttooling_host& host, const TText_lines& lines,
                                  CLIP_SAVE_PLACE place, bool open) {
  CLIP_SAVE_RESULT r;
  const fs::path nc = host.nc_path();
  fs::path folder;
  if (place == CLIP_SAVE_PLACE::beside_source) {
    if (nc.empty()) {
      error_box("NC ファイルが開かれていないため、元のファイルと同じフォルダには保存できません。");
      return r;
    }
    folder = nc.parent_path();
  } else {
    folder = plat::desktop_folder();
  }
  const fs::path name = nc.empty() ? fs::path("no-name.ncd") : nc.filename();
  const fs::path file = host.free_numbered_name(folder / name);
  if (file.empty()) {
    error_box("保存するファイルの名前を決められませんでした。");
    return r;
  }
  std::string err;
  if (!plat::write_file_replacing(file, clip_save_text(host.nc_comment_lines(), lines), &err)) {
    error_box(plat::utf8_to_cp932(file.string()) + " に保存できませんでした。");
    return r;
  }
  r.file = file;
  const std::vector<std::string> defs = host.tool_def_lines();
  if (!defs.empty()) {
    std::string nst;
    for (const std::string& l : defs) {
      nst += l;
      nst += "\r\n";
    }
    fs::path nst_file = file;
    nst_file.replace_extension(".nst");
    if (!plat::write_file_replacing(nst_file, nst, &err)) {
      error_box(plat::utf8_to_cp932(nst_file.string()) + " に保存できませんでした。");
      return r;
    }
    r.nst_written = true;
  }
  r.ok = true;
  const std::string full = plat::utf8_to_cp932(file.string());
  const std::string base = plat::utf8_to_cp932(file.filename().string());
  plat::message_box(full + (open ? " を Velmor で表示します" : " で保存しました"), "保存しました",
                    plat::MB_OK | plat::MB_SYSTEMMODAL);
  r.caption = base + " で保存しました";
  if (open) plat::start_program(plat::executable_folder() / "velmor", {file.string()});
  return r;
}
