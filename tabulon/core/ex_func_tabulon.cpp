#include "tabulon/core/ex_func_tabulon.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <system_error>

#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/system.h"
#include "tabulon/core/tb_text.h"

namespace fs = std::filesystem;

std::string tool_number_text(std::int32_t n) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%.4d", static_cast<int>(n));
  return buf;
}

void Tex_func::conv_NC_line(std::string line, TBRegExp& re, TTabulon_view* trace) {
  for (const auto& e : pre_conv) re.run_subst(e, line);
  // Split off the comment: "%" is dropped, only the last comment survives.
  std::string code, part, comment;
  bool in_comment = false;
  for (char ch : line) {
    if (ch == '%') continue;
    if (ch == '(') {
      comment = "(";
      code += part;
      part.clear();
      in_comment = true;
    } else if (in_comment) {
      comment += ch;
      if (ch == ')') in_comment = false;
    } else {
      part += ch;
    }
  }
  code += part;
  if (!code.empty())
    for (const auto& e : code_conv) re.run_subst(e, code);
  if (code.empty()) return;
  if (re.run_match("/T(\\d+)/", code)) {
    const std::string digits = re.get_group(1);
    std::int32_t n = 0;
    auto r = std::from_chars(digits.data(), digits.data() + digits.size(), n);
    if (r.ec != std::errc() || r.ptr != digits.data() + digits.size()) {
      if (trace) trace->trace_line(" 警告 : 工具番号が範囲外のため無視します : " + code);
    } else if (std::find(tool_numbers.begin(), tool_numbers.end(), n) == tool_numbers.end()) {
      tool_numbers.push_back(n);
    }
  }
  conv_lines.push_back(code + comment);
}

namespace {

std::string pad_right(const std::string& s, std::size_t w) {
  return s.size() >= w ? s : s + std::string(w - s.size(), ' ');
}

// The output folder of a field: the field, or the desktop when it is empty.
std::string output_folder(const std::string& field) {
  std::string f = tb_trim(field);
  if (!f.empty()) return f;
  std::string d = path_text(plat::desktop_folder());
  if (!tb_ends_in_separator(d)) d += '/';
  return d;
}

bool folder_exists(const std::string& folder) {
  std::error_code ec;
  return fs::is_directory(native_path(folder), ec);
}

// A file name for "(VLM SOURCE ...)": CP932, a double quote of the name becomes U+201D, and
// its parentheses become full-width ones: velmor's comment ends at the first ")", which
// would cut the name.
std::string quoted_name_text(const fs::path& name) {
  std::string u = name.string(), out;
  for (char c : u) {
    if (c == '"') out += "\xE2\x80\x9D";
    else if (c == '(') out += "\xEF\xBC\x88";
    else if (c == ')') out += "\xEF\xBC\x89";
    else out += c;
  }
  return plat::utf8_to_cp932(out);
}

// The lines of an NC file, refused (with velmor's loader message, naming the line) when it
// holds a control byte: velmor would read it only up to there.
bool read_nc_lines(const fs::path& file, const std::string& shown, std::vector<std::string>& lines,
                   std::string& err) {
  std::string bytes;
  if (!read_file_bytes(file, bytes)) {
    err = " ERR : " + shown + "\r\n" + " を読み込めませんでした";
    return false;
  }
  int line = 0;
  const std::size_t at = tb_control_byte(bytes, line);
  if (at != std::string::npos) {
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", static_cast<unsigned char>(bytes[at]));
    err = path_text(file.filename()) + " の " + std::to_string(line) + " 行目に制御コード (" +
          hex + ") があります。";
    return false;
  }
  tb_split_lines(std::move(bytes), lines, false);
  return true;
}

bool same_file(const fs::path& a, const fs::path& b) {
  std::error_code ec;
  return fs::exists(a, ec) && fs::exists(b, ec) && fs::equivalent(a, b, ec);
}

}  // namespace

bool conv_NCD_file(TTB_setup& setup, const fs::path& source, const std::string& name_in,
                   fs::path& check_file) {
  TTabulon_view& view = setup.view();
  TBRegExp& re = setup.regexp();
  const std::string kept_caption = view.caption();
  check_file.clear();
  bool aborted = false;
  auto fail = [&](const std::string& emph) {
    if (!emph.empty()) view.log_emph(emph);
    if (!aborted) view.set_caption(kept_caption);
    return false;
  };

  // 1. folders
  const std::string out_dir = output_folder(view.field(TB_field::D_ncd_output_dir));
  if (!folder_exists(out_dir)) return fail(" ERR : " + out_dir + "\r\n" + " のフォルダがありませんでした");
  const std::string chk_dir = output_folder(view.field(TB_field::D_vlm_chk_dir));
  if (!folder_exists(chk_dir)) return fail(" ERR : " + chk_dir + "\r\n" + " のフォルダがありませんでした");

  // 2. the definition
  Tex_func ex;
  TVLM_tool_list tools;
  std::string name = name_in;
  if (tb_trim(name).empty()) name = view.combo_text();
  if (!setup.select_TB_data(name, false))
    return fail(" ERR : 変換設定 " + tb_trim(name) + " が見つかりませんでした");
  const TTB_DATA def = *setup.current();

  // 3. the source
  const std::string source_text = path_text(source);
  std::vector<std::string> lines;
  std::string read_err;
  if (!read_nc_lines(source, source_text, lines, read_err)) return fail(read_err);

  // 4. tool data
  for (const auto& f : def.tool_files) {
    const std::string path = full_path_base(f, def.folder);
    if (!tools.get_VLM_tool_data(path, view, re))
      return fail(" ERR : " + path + "\r\n" + " を読み込めませんでした");
  }

  // 5. O-number and added NC files
  ex.o_num = def.o_num;
  for (const auto& f : def.add_ncd) {
    const std::string path = full_path_base(f, def.folder);
    std::vector<std::string> more;
    if (!read_nc_lines(native_path(path), path, more, read_err)) return fail(read_err);
    lines.insert(lines.end(), more.begin(), more.end());
  }

  // 6. the user's expressions, each compiled once before converting
  ex.pre_conv = def.pre_conv;
  ex.code_conv = def.code_conv;
  for (const auto* list : {&ex.pre_conv, &ex.code_conv}) {
    for (const auto& e : *list) {
      std::string probe = "x";
      try {
        re.run_subst(e, probe);
      } catch (const EBRegExpError& err) {
        view.trace_line(" ERR : " + e + " : " + err.what());
        return fail(" ERR : 正規表現が不正です : " + e + "\r\n" + "      " + err.what());
      }
    }
  }
  view.log_line("");
  const std::uint32_t t0 = plat::tick_ms();
  plat::escape_pressed();  // clears the key's latch

  // 7. the lines
  const std::string source_name = path_text(source.filename());
  const std::size_t count = lines.size();
  try {
    for (std::size_t i = 0; i < count; ++i) {
      if (ex.o_num.empty() && re.run_match("/(O\\d+)/", lines[i])) ex.o_num = re.get_group(1);
      if (i % 1000 == 0) {
        view.set_caption("読込 : " + source_name + " " + "( " + std::to_string(i) + " / " +
                         std::to_string(count) + " ) ESC キーで中断します");
        if (plat::escape_pressed()) {
          aborted = true;
          view.set_caption("中断しました");
          return fail("");
        }
      }
      ex.conv_NC_line(lines[i], re, &view);
    }
  } catch (const EBRegExpError& err) {
    return fail(std::string(" ERR : ") + err.what());
  }

  // 8.
  const std::uint32_t secs = (plat::tick_ms() - t0) / 1000;
  view.log_line("★★★load test : " + std::to_string(secs) + " sec");
  view.log_line("");
  view.set_field(TB_field::D_O_num, ex.o_num);

  // 9. names
  const std::string ext = view.field(TB_field::D_ext);
  const fs::path stem = source.stem();
  const std::string stem_text = path_text(stem);
  const std::string copy_name = (ex.o_num.empty() ? stem_text : ex.o_num) + ext;
  const std::string check_name = stem_text + "_VLM.NCD";
  const std::string tool_name = stem_text + "_VLM.nst";
  const bool do_copy = view.checked(TB_check::chk_Onum_NCD_SAVE);
  const bool do_check = view.checked(TB_check::D_chk_vlm_exe);
  if (do_copy) view.log_line("オリジナルコピーのNCデータ名     : " + copy_name);
  if (do_check) {
    view.log_line("工具パスチェック用のNCデータ名   : " + check_name);
    view.log_line("工具パスチェックの工具ファイル名 : " + tool_name);
    view.log_line("");
  }

  // 10. tools, by number
  std::vector<std::int32_t> numbers = ex.tool_numbers;
  std::sort(numbers.begin(), numbers.end());
  for (std::int32_t n : numbers) {
    const int k = tools.find_VLM_tool(n);
    if (k < 0) {
      view.log_line(" T" + tool_number_text(n));
      continue;
    }
    const TVLM_TOOL& t = tools.tools()[static_cast<std::size_t>(k)];
    const std::string num = std::to_string(n);
    ex.tool_lines.push_back("(VLM N" + num + " " + t.N + ")");
    ex.tool_lines.push_back("(VLM T" + num + " " + t.T + ")");
    ex.tool_lines.push_back("(VLM H" + num + " " + t.H + ")");
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.2d", static_cast<int>(n));
    view.log_line(std::string(" T") + buf + " " + pad_right(t.N, 20) + " , " + pad_right(t.T, 20) +
                  " , " + pad_right(t.H, 20));
  }

  // 11. the O-number copy
  const std::string copy_path = full_path_base(copy_name, out_dir);
  if (do_copy) {
    std::string err;
    if (!tb_copy_file(source, native_path(copy_path), &err)) {
      view.trace_line(" ERR : " + copy_path + " : " + err);
      return fail(" ERR : " + source_text + " を " + "\r\n" + "      " + copy_path + "\r\n" +
                  "     にコピーできませんでした。");
    }
    view.log_line("");
    view.log_line(" " + copy_path + " へコピーしました。");
  }

  // 12. the check files
  if (do_check) {
    const fs::path dir = native_path(chk_dir);
    const fs::path tool_path = dir / fs::path(stem.string() + "_VLM.nst");
    const fs::path check_path = dir / fs::path(stem.string() + "_VLM.NCD");
    auto write = [&](const fs::path& p, const std::vector<std::string>& out) {
      std::string err;
      if (same_file(p, source)) err = "the output would overwrite the dropped file";
      else if (write_text_lines(p, out, &err)) {
        view.log_line(" " + path_text(p) + " を出力しました。");
        return true;
      }
      view.trace_line(" ERR : " + path_text(p) + " : " + err);
      view.log_emph(" ERR : " + path_text(p) + "\r\n" + " を出力できませんでした。");
      return false;
    };
    if (!ex.tool_lines.empty()) {
      if (!write(tool_path, ex.tool_lines)) return fail("");
    } else {
      // no used tool has data: an old tool file would show stale tools in velmor
      std::error_code ec;
      if (fs::exists(tool_path, ec) && !same_file(tool_path, source)) fs::remove(tool_path, ec);
    }
    std::vector<std::string> out;
    out.reserve(ex.conv_lines.size() + 5);
    out.push_back("%");
    out.push_back("(VLM ORIGN X" + tb_trim(view.field(TB_field::D_START_X)) + "Y" +
                  tb_trim(view.field(TB_field::D_START_Y)) + "Z" +
                  tb_trim(view.field(TB_field::D_START_Z)) + ")");
    out.push_back("(VLM SOURCE \"" + quoted_name_text(source.filename()) + "\")");
    if (do_copy) out.push_back("(VLM OUTPUT \"" + copy_name + "\")");
    out.insert(out.end(), ex.conv_lines.begin(), ex.conv_lines.end());
    out.push_back("%");
    if (!write(check_path, out)) return fail("");
    check_file = check_path;
  }

  // 13.
  view.set_caption(kept_caption);
  view.log_line("");
  view.log_line("処理は終了しました。");
  return true;
}
