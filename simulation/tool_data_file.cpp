#include "simulation/tool_data_file.h"

#include <cstdio>

#include "common/debug_log.h"
#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/tool_codes.h"

namespace fs = std::filesystem;

namespace {

const char* const kHeader[] = {
    ";",
    "; これは TABULON 用工具設定ファイルです。",
    "; 工具番号の割り当ては '%TB T=01' の部分で設定されます",
    "; ( 括弧内の N01 T01 H01 等の番号は無視されます )",
    ";",
    "; 行頭に ';' (セミコロン) のある行はコメントとみなします。",
    "; 重複した設定データは一番最後に設定されたものが有効となりますので、",
    "; 後の方のデータの行頭に ';' を入れるか入れないかで簡単に切り替えが行えます。",
    ";",
    "; %TB T=01                 : 工具番号を設定します。改行までの一行が工具設定データとなります。",
    "; (VLM N01 \"～\")           : 工具名を設定します。",
    "; (VLM T01 A～ : コメント) : 工具寸法を指定します。  ( ':' , '/' 記号の後にコメントをつけることも出来ます )",
    "; (VLM H01 A～ : コメント) : ホルダ寸法を設定します。( ':' , '/' 記号の後にコメントをつけることも出来ます )",
    ";",
    "; 各データは順番を変えても、識別文字と数値の間にスペースを入れてもＯＫです。",
    "; また、足りないデータや不正なデータはデフォルト値が自動的に設定されます。",
    ";",
};

const char* const kCaption = "TABULON 用工具データの保存";

}  // namespace

std::string make_TB_tool_data_text(const TTOOL_HOLDER_tmp& m) {
  std::string out = "\r\n";
  for (const char* line : kHeader) out.append(line).append("\r\n");
  out += "\r\n";
  for (int k = 0; k < m.used(); ++k) {
    TTOOL t = m.slot[k].tool;
    THOLDER h = m.slot[k].holder;
    make_TOOL_comment_lines(t, h);
    if (t.T_category == TOOL_KIND_NONE) continue;
    char mark[32];
    std::snprintf(mark, sizeof mark, "%%TB T=%2.2d ", m.slot[k].T_number);
    out.append(mark)
        .append(t.name_line)
        .append(" ")
        .append(t.tool_line)
        .append(" ")
        .append(h.holder_line)
        .append("\r\n");
  }
  return out;
}

fs::path TB_tool_data_file_name(const fs::path& nc_file) {
  std::string name = nc_file.filename().string();
  const std::size_t dot = name.rfind('.');
  if (dot != std::string::npos) name.erase(dot);
  // A nameless program's file gets a visible name, as a nameless work file does.
  if (name.empty()) name = "no_name";
  return fs::path(name + ".txt");
}

bool save_TB_tool_data(const TTOOL_HOLDER_tmp& m, const fs::path& target, std::string* err) {
  return plat::write_file_replacing(target, make_TB_tool_data_text(m), err);
}

bool write_TB_tool_data(const TTOOL_HOLDER_tmp& m, const fs::path& nc_file) {
  const fs::path target = plat::desktop_folder() / TB_tool_data_file_name(nc_file);
  const std::string shown = plat::utf8_to_cp932(target.string());
  std::string err;
  if (!save_TB_tool_data(m, target, &err)) {
    deb_log("◆◆◆ ERR : write_TB_tool_data; " + plat::utf8_to_cp932(err));
    plat::message_box("TABULON 用工具データファイル '" + shown + "' を保存できませんでした。",
                      kCaption, plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return false;
  }
  plat::message_box("TABULON 用工具データファイル '" + shown + "'" + " をデスクトップに保存しました",
                    kCaption, plat::MB_SYSTEMMODAL);
  return true;
}
