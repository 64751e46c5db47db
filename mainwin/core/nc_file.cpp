#include "mainwin/core/view_tool.h"
#include "mainwin/core/nc_file.h"

#include <cstdio>
#include <system_error>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "common/text_file.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/session.h"
#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"

namespace fs = std::filesystem;

namespace {

std::string cp(const fs::path& p) { return plat::utf8_to_cp932(p.string()); }
std::string cp_name(const fs::path& p) { return plat::utf8_to_cp932(p.filename().string()); }

void stop_box(const std::string& text) {
  plat::message_box(text, "NC data", plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
}

// The file as given, else one of its folder whose name differs only in letter case.
std::optional<fs::path> find_nc_file(const fs::path& file) {
  std::error_code ec;
  if (fs::is_regular_file(file, ec)) return file;
  const fs::path dir = file.has_parent_path() ? file.parent_path() : fs::path(".");
  auto p = find_file_nocase(dir, file.filename().string());
  if (p && fs::is_regular_file(*p, ec)) return p;
  return std::nullopt;
}

// The side file of `nc_file` with the extension `ext`, found without regard to case.
std::optional<fs::path> side_file(const fs::path& nc_file, const char* ext) {
  fs::path want = nc_file;
  want.replace_extension(ext);
  return find_nc_file(want);
}

bool is_line_end(char c) { return c == '\r' || c == '\n'; }

// The line (1-based) that holds byte `pos`.
int line_of(std::string_view bytes, std::size_t pos) {
  int line = 1;
  for (std::size_t i = 0; i < pos && i < bytes.size(); ++i) {
    if (bytes[i] == '\n') ++line;
    else if (bytes[i] == '\r' && (i + 1 >= bytes.size() || bytes[i + 1] != '\n')) ++line;
  }
  return line;
}

// Where the store's splitter stops: the first control byte other than TAB, CR and LF.
std::size_t split_end(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c < 32 && c != '\t' && c != '\r' && c != '\n') return i;
  }
  return bytes.size();
}

// Notes the file's own bytes of the stored lines first.. that differ from them.
void note_source_bytes(std::unordered_map<std::uint32_t, std::string>& notes, const NCD_DATA& d,
                       int first, std::string_view bytes) {
  int n = first;
  std::size_t a = 0;
  while (a < bytes.size() && n < d.line_count) {
    std::size_t e = a;
    while (e < bytes.size() && !is_line_end(bytes[e])) ++e;
    const std::string_view raw = bytes.substr(a, e - a);
    if (raw != get_NCD_line_view(d, n)) notes[d.line(n).text] = std::string(raw);
    ++n;
    if (e >= bytes.size()) break;
    a = e + ((bytes[e] == '\r' && e + 1 < bytes.size() && bytes[e + 1] == '\n') ? 2 : 1);
  }
}

void load_tool_defs(TSession& s, const fs::path& nc_file) {
  s.tool_defs.clear();
  std::optional<fs::path> nst = side_file(nc_file, ".nst");
  if (!nst) nst = find_nc_file(s.config_folder / "def_tool.nst");
  if (!nst) return;
  std::string err;
  if (!read_text_lines(*nst, s.tool_defs, &err))
    deb_log("Tvelmor.open_NCD; " + plat::utf8_to_cp932(err));
}

void mark_whole_program(NCD_DATA& d) {
  d.pos.mark_first = 0;
  d.pos.mark_last = d.pos.total_blocks - 1;
}

// Stands on the first error line when the error list names one (true).
bool stand_on_first_error(TSession& s, TVLM_ui& ui) {
  NCD_DATA& d = s.nc();
  if (d.run.err_list.empty()) {
    ui.lists().clear_err_window();
    return false;
  }
  const std::string num = _numbers_for_routine("%", d.run.err_list.front());
  if (num.empty() || num == "err") return false;
  const int line = float_to_int(std::strtod(num.c_str(), nullptr));
  ui.view().draw_data(2);
  vis_ERR_list(s, ui, true);
  Goto_NCD_line(d, std::clamp(line - 1, 0, std::max(0, d.line_count - 1)));
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
  ui.view().draw_data(16);
  s.disp.VIS_LOC_FLAG = 1;
  ui.menus().set_vis_loc(true);
  return true;
}

// The NC file (found without regard to case) and its bytes; a missing or unreadable file
// gets its box and a redraw.
bool read_nc_file(TVLM_ui& ui, const fs::path& file, fs::path& found, std::string& bytes) {
  const std::optional<fs::path> f = find_nc_file(file);
  std::string err;
  if (!f) {
    stop_box("ERR: " + cp(file) + " が見つかりません。");
  } else if (!read_file_bytes(*f, bytes, &err)) {
    stop_box("ERR: " + cp(*f) + " を読み込めませんでした。\r\n" + plat::utf8_to_cp932(err));
  } else {
    found = *f;
    return true;
  }
  ui.view().draw_data(2);
  return false;
}

void partial_box(const std::string& name, int line, unsigned char byte) {
  char hex[8];
  std::snprintf(hex, sizeof hex, "0x%02X", byte);
  stop_box(name + " の " + std::to_string(line) + " 行目に制御コード (" + hex +
           ") があります。\r\nそこから後は読み込まれていません。");
}

}  // namespace

std::string NCD_store_form(std::string_view raw) {
  std::string out;
  out.reserve(std::min<std::size_t>(raw.size(), NCD_LINE_MAX_CHARS));
  for (std::size_t i = 0; i < raw.size();) {
    const std::size_t n = plat::sjis_char_len(raw, i);
    if (out.size() + n > static_cast<std::size_t>(NCD_LINE_MAX_CHARS)) break;
    char c = raw[i];
    if (n == 2) {
      out.append(raw.substr(i, 2));
    } else {
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 32);
      if (c == '\t') c = ' ';
      out += c;
    }
    i += n;
  }
  return out;
}

bool open_NCD(TSession& s, TVLM_ui& ui, const fs::path& file) {
  plat::BusyGuard busy;
  if (!busy.acquired()) return false;
  // The file is read piece by piece into the store: it is never held whole beside the two
  // programs.
  const std::optional<fs::path> f = find_nc_file(file);
  if (!f) {
    stop_box("ERR: " + cp(file) + " が見つかりません。");
    ui.view().draw_data(2);
    return false;
  }
  const fs::path found = *f;
  TextFilePieces pieces;
  std::string err;
  auto unreadable = [&] {
    stop_box("ERR: " + cp(found) + " を読み込めませんでした。\r\n" + plat::utf8_to_cp932(err));
  };
  if (!pieces.open(found, NCD_LOAD_PIECE, &err)) {
    unreadable();
    ui.view().draw_data(2);
    return false;
  }
  const std::string name = cp_name(found);
  const std::string read_caption =
      "read " + name + " ( " + std::to_string(pieces.size()) + " bytes ) ";
  ui.frame().set_caption(read_caption);

  // Split into the spare record, piece by piece.
  NCD_DATA& sp = *s.spare;
  sp.set_host(nullptr);
  Clear_NCD(sp);
  sp.parse.change_tool_by_T = s.nc().parse.change_tool_by_T;
  sp.parse.undef_is_noerr = s.nc().parse.undef_is_noerr;
  sp.parse.word_unit = s.nc().parse.word_unit;
  sp.exec_opt = s.nc().exec_opt;
  auto abandon = [&](const std::string& caption) {
    Clear_NCD(sp);
    if (!caption.empty()) ui.frame().set_caption(caption);
    ui.view().draw_data(2);
    return false;
  };
  bool partial = false;
  int partial_line = 0;
  unsigned char partial_byte = 0;
  // The file's own bytes of the lines the store changed.
  std::unordered_map<std::uint32_t, std::string> source_bytes;
  int line_base = 1;  // the file's line number of the piece's first line
  bool first_piece = true;
  std::string_view piece;
  while (pieces.next(piece)) {
    if (!first_piece && plat::escape_pressed()) return abandon("読み込みを中断しました。");
    first_piece = false;
    const int first_line = sp.line_count;
    if (Append_NCD_text(sp, piece.data(), piece.size(), true) < 0) {
      stop_box(sp.buf_msg.empty() ? std::string("バッファがなくなりました") : sp.buf_msg);
      return abandon(s.file.caption);
    }
    if (sp.split_report.control_end) {
      const std::size_t end = sp.split_report.control_pos;
      note_source_bytes(source_bytes, sp, first_line, piece.substr(0, end));
      partial_line = line_base + line_of(piece, end) - 1;
      partial_byte = sp.split_report.control_byte;
      // Line ends and end-of-file bytes after it lose nothing.
      auto loses = [](std::string_view rest) {
        for (const char c : rest)
          if (!(is_line_end(c) || c == '\x1A')) return true;
        return false;
      };
      bool lost = loses(piece.substr(end));
      while (!lost && pieces.next(piece)) lost = loses(piece);
      partial = lost;
      break;
    }
    note_source_bytes(source_bytes, sp, first_line, piece);
    line_base += line_of(piece, piece.size()) - 1;
  }
  if (pieces.failed()) {
    err = found.string() + ": cannot be read";
    unreadable();
    return abandon(s.file.caption);
  }
  pieces.close();
  // Tokenise, with progress marks and Escape polls.
  std::string caption = read_caption + " ";
  const int step = sp.line_count / 9 + 1;
  sp.tool_lines.count = 0;
  sp.prog_lines.count = 0;
  for (int i = 0; i < sp.line_count; i += step) {
    const int last = std::min(i + step, sp.line_count);
    Parse_NCD_lines(sp, i, last);
    if (last % step == 0) {
      caption += '*';
      ui.frame().set_caption(caption);
      if (plat::escape_pressed()) return abandon("読み込みを中断しました。");
    }
  }

  // The load is complete: it takes the place of the program in use.
  Swap_NCD(s.nc(), *s.spare);
  NCD_DATA& d = s.nc();
  Clear_NCD(*s.spare);
  s.file.source_bytes = std::move(source_bytes);
  ui.view().gl_reset_view();
  ui.panel().panel_reset();
  ui.listing().listing_enable(false);
  ui.listing().listing_reset();
  d.file_folder = cp(found);
  d.file_name = name;
  s.file.path = found;
  s.file.partial = partial;
  if (partial) partial_box(name, partial_line, partial_byte);
  load_tool_defs(s, found);
  Run_all_NCD(d, 0);
  set_NCD_status(s, ui);  // after the run, whose summary the caption shows
  set_TOOL_defs(s);
  ui.view().fit_scale(1);
  ui.listing().listing_enable(true);
  ui.listing().listing_refresh();
  mark_whole_program(d);
  if (stand_on_first_error(s, ui)) return true;
  if (d.prog_lines.count > 0) {
    Goto_NCD_line(d, d.prog_lines.e[0].line);
  } else {
    Goto_NCD_step(d, 0, false);
    STEP_NCD(d, false);
  }
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
  ui.panel().auto_WORK_for_NCD();
  ui.view().fit_scale(0);
  ui.view().draw_data(2);
  return true;
}

bool insert_NCD(TSession& s, TVLM_ui& ui, const fs::path& file, bool at_cur) {
  if (plat::busy()) return false;
  NCD_DATA& d = s.nc();
  if (d.line_count == 0) return open_NCD(s, ui, file);
  fs::path found;
  std::string bytes;
  if (!read_nc_file(ui, file, found, bytes)) return false;
  plat::BusyGuard busy;
  const std::string name = cp_name(found);
  std::string upper = name;
  for (std::size_t i = 0; i < upper.size(); i += plat::sjis_char_len(upper, i))
    if (upper[i] >= 'a' && upper[i] <= 'z') upper[i] = static_cast<char>(upper[i] - 32);
  const int step = d.pos.block_count;
  const int at = at_cur ? std::clamp(d.pos.cur_line, 0, d.line_count) : d.line_count;
  ui.listing().listing_enable(false);
  // The inserted bytes end where the splitter would stop, so the end marker is stored.
  const std::size_t cut = split_end(bytes);
  const bool partial = cut < bytes.size();
  std::string buf = "(VLM I ST " + upper + ")\n";
  buf.append(bytes, 0, cut);
  if (cut > 0 && !is_line_end(bytes[cut - 1])) buf += '\n';
  buf += "(VLM I EN " + upper + ")\n";
  ui.frame().set_caption("read " + name + " ( " + std::to_string(buf.size() - 1) + " bytes ) ");
  const int before = d.line_count;
  const int added = Insert_NCD_text(d, buf.data(), at, buf.size());
  if (added < 0) {
    stop_box(d.buf_msg.empty() ? std::string("バッファがなくなりました") : d.buf_msg);
    ui.listing().listing_enable(true);
    ui.listing().listing_refresh();
    set_NCD_status(s, ui);
    return false;
  }
  if (at == before) Run_all_NCD(d, d.pos.start_line);  // appended: the store ran nothing
  note_source_bytes(s.file.source_bytes, d, at, buf);
  if (partial) partial_box(name, line_of(bytes, cut), static_cast<unsigned char>(bytes[cut]));
  mark_whole_program(d);
  ui.view().fit_scale(0);
  ui.listing().listing_refresh();
  ui.listing().listing_enable(true);
  if (const auto nst = side_file(found, ".nst")) {
    std::vector<std::string> more;
    if (read_text_lines(*nst, more)) s.tool_defs.insert(s.tool_defs.end(), more.begin(), more.end());
  }
  set_TOOL_defs(s);
  set_NCD_status(s, ui);
  if (at_cur) Goto_NCD_step(d, step + 1, false);  // the same count of blocks executed
  else Goto_NCD_line(d, at);
  if (stand_on_first_error(s, ui)) return true;
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
  ui.view().draw_data(2);
  return true;
}

fs::path get_free_numbered_name(const fs::path& file) {
  const fs::path dir = file.parent_path();
  const std::string ext = file.extension().string();
  std::string rest = file.stem().string();
  const std::size_t dash = rest.rfind('-');
  if (dash != std::string::npos && dash + 1 < rest.size() &&
      rest.find_first_not_of("0123456789", dash + 1) == std::string::npos)
    rest.erase(dash);
  for (int i = 1;; ++i) {
    char num[16];
    std::snprintf(num, sizeof num, "-%2.2d", i);
    const fs::path p = dir / (rest + num + ext);
    std::error_code ec;
    if (!fs::exists(p, ec)) return p;
  }
}

bool save_NST_list(TSession& s, const fs::path& nc_file, std::string* err) {
  fs::path p = nc_file.empty() ? fs::current_path() / "no-name.ncd" : nc_file;
  p.replace_extension(".nst");
  return write_text_lines(p, s.tool_defs, err);
}

bool save_NST_list(TSession& s) { return save_NST_list(s, s.file.path); }

bool save_NCD_text(const TSession& s, const fs::path& file, bool crlf, std::string* err,
                   int skip_first, int skip_last) {
  const NCD_DATA& d = s.nc();
  const char* eol = crlf ? "\r\n" : "\n";
  const std::size_t eol_len = crlf ? 2 : 1;
  return plat::write_file_replacing(
      file,
      [&](std::ostream& out) {
        for (int i = 0; i < d.line_count; ++i) {
          if (i >= skip_first && i <= skip_last) continue;
          std::string_view text = get_NCD_line_view(d, i);
          auto it = s.file.source_bytes.find(d.line(i).text);
          if (it != s.file.source_bytes.end() && NCD_store_form(it->second) == text)
            text = it->second;
          out.write(text.data(), static_cast<std::streamsize>(text.size()));
          out.write(eol, static_cast<std::streamsize>(eol_len));
          if (!out) return false;
        }
        return true;
      },
      err);
}

bool save_NCD_file(TSession& s, TVLM_ui& ui, const fs::path& file, bool crlf) {
  if (s.nc().line_count == 0) return false;
  std::error_code ec;
  if (s.file.partial && !s.file.path.empty() && fs::equivalent(file, s.file.path, ec)) {
    const int a = plat::message_box(
        "このデータはファイルの途中までしか読み込まれていません。\r\n" + cp_name(file) +
            " に上書きすると、読み込まれなかった部分は失われます。上書きしますか？",
        "NC data", plat::MB_YESNO | plat::MB_ICONQUESTION | plat::MB_DEFBUTTON2);
    if (a != plat::IDYES) return false;
  }
  std::string err;
  if (!save_NCD_text(s, file, crlf, &err)) {
    stop_box("ERR: " + cp(file) + " を保存できませんでした。\r\n" + plat::utf8_to_cp932(err));
    return false;
  }
  if (!save_NST_list(s, file, &err))
    stop_box("ERR: 工具ファイルを保存できませんでした。\r\n" + plat::utf8_to_cp932(err));
  s.file.path = file;
  s.file.partial = false;
  s.nc().file_folder = cp(file);
  s.nc().file_name = cp_name(file);
  set_NCD_status(s, ui);
  return true;
}

fs::path TMP_file(const TSession& s) { return s.config_folder / "VLM_TMP.TMP"; }

bool save_to_TMP(TSession& s, int mode, int sel_s, int sel_e) {
  TVLM_file_state& f = s.file;
  f.saved_path.clear();
  f.saved_name.clear();
  f.saved_line = 0;
  f.reload_pending = false;
  NCD_DATA& d = s.nc();
  if (d.line_count == 0) return true;
  f.saved_path = f.path;
  f.saved_name = d.file_name;
  f.saved_line = d.pos.cur_line;
  if (mode >= 2 && mode <= 6 && sel_s > sel_e) std::swap(sel_s, sel_e);
  std::string err;
  if (!save_NST_list(s, TMP_file(s), &err)) deb_log("Tvelmor.save_to_TMP; " + plat::utf8_to_cp932(err));
  if (mode == 2 && sel_s >= 1) {
    const int first = sel_s - 1, last = sel_e - 1;  // 0-based, removed
    const int c = d.pos.cur_line;
    if (c > last) f.saved_line = c - (sel_e - sel_s + 1);
    else if (c >= first) f.saved_line = first;
  }
  f.reload_pending = true;
  return true;
}

bool reload_from_TMP(TSession& s, TVLM_ui& ui) {
  TVLM_file_state& f = s.file;
  if (!f.reload_pending) return false;
  const fs::path path = f.saved_path;
  const std::string name = f.saved_name;
  const int line = f.saved_line;
  if (!open_NCD(s, ui, TMP_file(s))) return false;
  NCD_DATA& d = s.nc();
  f.path = path;
  d.file_folder = cp(path);
  d.file_name = name;
  std::error_code ec;
  if (!path.empty()) fs::current_path(path.parent_path(), ec);
  if (d.line_count > 0) Goto_NCD_line(d, std::clamp(line, 0, d.line_count - 1));
  set_NCD_status(s, ui);
  ui.listing().listing_refresh();
  return true;
}

void set_NCD_status(TSession& s, TVLM_ui& ui) {
  NCD_DATA& d = s.nc();
  Count_NCD_size(d);
  s.file.status = d.file_name + " ( " + std::to_string(d.text_size) + " bytes , " +
                  std::to_string(float_round_to_int(d.tape_length)) + " m )";
  s.file.caption = d.run.summary + " : " + s.file.status;
  ui.frame().set_caption(s.file.caption);
}

bool vis_ERR_list(TSession& s, TVLM_ui& ui, bool refill) {
  if (!refill && ui.lists().err_window_has_lines()) {
    ui.lists().show_err_window({}, {});
    return true;
  }
  const std::vector<std::string>& errs = s.nc().run.err_list;
  if (errs.empty()) {
    ui.lists().clear_err_window();
    if (!refill)
      plat::message_box("エラーはありません", "", plat::MB_OK | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
    return false;
  }
  constexpr std::size_t kShown = 50;
  std::vector<std::string> lines(errs.begin(), errs.begin() + std::min(errs.size(), kShown));
  if (errs.size() > kShown)
    lines.push_back("( total err is " + std::to_string(errs.size()) + " count )");
  ui.lists().show_err_window(lines, "ERROR MESSAGE WINDOW");
  return true;
}

void jump_to_line_text(TSession& s, TVLM_ui& ui, int mode, std::string_view text) {
  if (mode != 1) return;
  NCD_DATA& d = s.nc();
  if (d.line_count == 0) return;
  const std::string num = _numbers_for_routine("#", text);
  if (num.empty() || num == "err") return;
  const long long n = std::strtoll(num.c_str(), nullptr, 10);
  const int line = static_cast<int>(std::clamp<long long>(n - 1, 0, d.line_count - 1));
  Goto_NCD_line(d, line);
  d.pos.mark_first = 0;
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
}

void jump_to_line_step(TSession& s, TVLM_ui& ui, int step, int flag) {
  Goto_NCD_step(s.nc(), step, (flag & 0xFF) != 0);
  ui.panel().panel_refresh();
  ui.listing().listing_refresh();
  ui.view().draw_data(4);
}
