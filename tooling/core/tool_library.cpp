#include "tooling/core/tool_library.h"

#include <system_error>

#include "common/debug_log.h"
#include "common/text_file.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"

namespace fs = std::filesystem;

namespace {

const char* const kStoreCaption = "カテゴリ別工具保存エラー";
const char* const kFileCaption = "工具データファイル";

std::string shown(const fs::path& p) { return path_text(p); }

void error_box(const std::string& text, const char* caption) {
  plat::message_box(text, caption, plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
}

bool only_blanks(const std::string& bytes) {
  for (char c : bytes)
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n') return false;
  return true;
}

// The box of a file that must not be written, or none when it may be.
bool refuse_rewrite(const TTool_library& lib) {
  if (!lib.readable) {
    error_box("工具データファイル '" + shown(lib.path) + "' を読み込めなかったため、書き換えを中止しました。",
              kStoreCaption);
    return true;
  }
  if (lib.malformed > 0) {
    error_box("工具データファイル '" + shown(lib.path) +
                  "' には不正な数値の行があるため、書き換えを中止しました。\r\n"
                  "ファイルを修正してから、やり直してください。",
              kStoreCaption);
    return true;
  }
  return false;
}

}  // namespace

fs::path tool_library_path(const fs::path& config_folder, int kind) {
  if (kind <= 0 || kind >= kToolKinds) return {};
  const std::string name = TOOL_KIND_FILES[kind];
  if (auto found = find_file_nocase(config_folder, name)) return *found;
  return config_folder / name;
}

fs::path magazine_file_path(const fs::path& chosen) {
  fs::path p = chosen;
  std::string ext = p.extension().string();
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  if (ext != ".NST") p += ".nst";
  if (!p.has_parent_path()) return p;
  if (auto found = find_file_nocase(p.parent_path(), p.filename().string())) return *found;
  return p;
}

TTool_library load_tool_library(const fs::path& p) {
  TTool_library lib;
  lib.path = p;
  lib.m->count = 0;
  std::error_code ec;
  lib.exists = fs::exists(p, ec);
  if (!lib.exists) return lib;
  std::string bytes, err;
  if (!read_file_bytes(p, bytes, &err)) {
    deb_log("◆◆◆ ERR : load_tool_library; " + plat::utf8_to_cp932(err));
    lib.readable = false;
    lib.blank = false;
    return lib;
  }
  lib.blank = only_blanks(bytes);
  const std::vector<std::string> lines = split_text_lines(bytes);
  std::vector<TOOL_LINE_USE> use;
  read_TOOL_comment_lines(lines, *lib.m, &use);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (use[i] == TOOL_LINE_USE::not_taken) lib.kept.push_back(lines[i]);
    if (use[i] == TOOL_LINE_USE::malformed && lib.malformed++ == 0)
      lib.first_malformed = lines[i];
  }
  return lib;
}

void report_malformed_library(const TTool_library& lib) {
  if (lib.malformed == 0) return;
  plat::message_box("工具データファイル '" + shown(lib.path) + "' の " +
                        std::to_string(lib.malformed) +
                        " 行に不正な数値があります。\r\nその値は既定値で表示します。\r\n最初の行 : " +
                        lib.first_malformed,
                    kFileCaption, plat::MB_ICONEXCLAMATION | plat::MB_SYSTEMMODAL);
}

std::vector<std::string> tool_library_lines(TTOOL_HOLDER_tmp& m,
                                            const std::vector<std::string>& kept) {
  std::vector<std::string> out;
  out.reserve(static_cast<std::size_t>(m.used()) * 3 + kept.size());
  for (int k = 0; k < m.used(); ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    make_TOOL_comment_lines(s.tool, s.holder);
    out.push_back(s.tool.name_line);
    out.push_back(s.tool.tool_line);
    out.push_back(s.holder.holder_line);
  }
  out.insert(out.end(), kept.begin(), kept.end());
  return out;
}

bool rewrite_tool_library(TTool_library& lib) {
  if (refuse_rewrite(lib)) return false;
  std::string err;
  if (!write_text_lines(lib.path, tool_library_lines(*lib.m, lib.kept), &err)) {
    deb_log("◆◆◆ ERR : rewrite_tool_library; " + plat::utf8_to_cp932(err));
    error_box("工具データファイル '" + shown(lib.path) + "' を保存できませんでした。", kFileCaption);
    return false;
  }
  lib.exists = true;
  lib.blank = false;
  return true;
}

void make_unset_library(TTOOL_HOLDER_tmp& m) {
  m.count = kMagazineReadLimit;
  for (int k = 0; k < m.count; ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    s = TTTOOL_HOLDER_tmp{};
    s.T_number = k;
    set_default_TOOL(s.tool);
    s.tool.T_category = TOOL_KIND_NONE;
    s.tool.T_number = k;
    s.tool.name = "未設定";
    s.tool_set = 1;
  }
  Preset_TOOL_HOLDER_list(m);
}

int save_to_TOOL_LIST(const fs::path& config_folder, const TTOOL& tool, const THOLDER& holder) {
  if (tool.T_category <= TOOL_KIND_NONE || tool.T_category >= kToolKinds) return -1;
  TTool_library lib = load_tool_library(tool_library_path(config_folder, tool.T_category));
  if (refuse_rewrite(lib)) return -1;
  if (lib.m->used() == 0) {
    if (!lib.blank) {
      error_box("工具データファイル '" + shown(lib.path) +
                    "' には工具データがないため、追加処理を中止しました。",
                kStoreCaption);
      return -1;
    }
    make_unset_library(*lib.m);
    lib.kept.clear();  // the blanks of an empty file
  }
  TTOOL_HOLDER_tmp& m = *lib.m;
  int j = -1;
  for (int k = 0; k < m.used() && j < 0; ++k)
    if (m.slot[k].tool.T_category == TOOL_KIND_NONE) j = k;
  if (j < 0) {
    error_box("カテゴリ別工具データファイル内に未設定の工具がないため、\r\n追加処理が出来ませんでした。",
              kStoreCaption);
    return -1;
  }
  // The tool is read back by its number: it keeps the number its slot has in the file
  // (in a new library that is the slot's index), unless another slot has that number too;
  // then it takes the smallest number no other slot has. A library numbered from 1 would
  // otherwise get two tools of one number, and the stored one would land on the other.
  auto used_elsewhere = [&](int n) {
    for (int k = 0; k < m.used(); ++k)
      if (k != j && m.slot[k].T_number == n) return true;
    return false;
  };
  int number = m.slot[j].T_number;
  if (number < 0 || used_elsewhere(number))
    for (number = 0; used_elsewhere(number);) ++number;
  TTTOOL_HOLDER_tmp& s = m.slot[j];
  s.tool = tool;
  s.holder = holder;
  s.tool.T_number = number;
  s.holder.H_number = number;
  s.T_number = number;
  s.tool_set = s.holder_set = 1;
  if (!rewrite_tool_library(lib)) return -1;
  plat::message_box("カテゴリ別工具データファイル '" + shown(lib.path) + "'" + "に工具番号 " +
                        std::to_string(number) + " で現在の工具データを追加しました",
                    "カテゴリ別工具データファイルに追加しました", plat::MB_SYSTEMMODAL);
  return number;
}
