#include "tooling/core/tool_list_html.h"

#include <system_error>

#include "common/debug_log.h"
#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/msgbox.h"

namespace fs = std::filesystem;

namespace {

const char* const CRLF = "\r\n";
const char* const TABLE = "<TABLE BORDER=0 CELLPADDING=3 CELLSPACING=1 BGCOLOR=GRAY>";
const char* const DIV_PRE = "<DIV STYLE=\"float:left;display: block;\"><PRE>";

std::string pre_div(const std::string& text) { return DIV_PRE + text + "</PRE></DIV>"; }

// The texts of one card as the pages show them.
struct Card_html {
  std::string title, name_text, picture_cell;
};

Card_html card_html(const TLIST_ITEMS& it, int n, const TTOOL_LIST_options& o) {
  Card_html c;
  c.title = html_escape(it.title);
  c.name_text = "<B>" + html_escape(it.name) + "</B>";
  if (o.print_at_data) c.name_text += CRLF + html_escape(it.text);
  if (o.print_at_tool) {
    c.picture_cell = "<TD BGCOLOR=WHITE WIDTH=" + std::to_string(o.pic_w + 8) +
                     " HEIGHT=" + std::to_string(o.pic_h + 8) + " VALIGN=CENTER>" + CRLF +
                     "<IMG SRC=\"P_TL_" + std::to_string(n) + ".jpg\">" + CRLF +
                     "</TD><TD BGCOLOR=WHITE WIDTH=" + std::to_string(o.text_w + 8) +
                     " VALIGN=TOP>";
  } else {
    c.picture_cell = "<TD BGCOLOR=WHITE VALIGN=TOP COLSPAN=2>";
  }
  return c;
}

class Writer {
 public:
  Writer(fs::path folder, Ttool_list_html_result& r) : folder_(std::move(folder)), r_(r) {}
  // A page is a line list: one CR LF after its last line.
  bool page(const std::string& name, const std::string& text) {
    return file(name, text + CRLF);
  }
  bool file(const std::string& name, const std::string& bytes) {
    const fs::path target = folder_ / name;
    std::string err;
    if (!plat::write_file_replacing(target, bytes, &err)) {
      plat::message_box("ファイルを書き込めませんでした。\r\n" +
                            plat::utf8_to_cp932(target.string()) + "\r\n" +
                            plat::utf8_to_cp932(err),
                        "Error", plat::MB_OK | plat::MB_ICONSTOP);
      return false;
    }
    r_.files.push_back(name);
    return true;
  }

 private:
  fs::path folder_;
  Ttool_list_html_result& r_;
};

}  // namespace

std::string html_escape(const std::string& s) {
  std::string out;
  out.reserve(s.size());
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      default: out += c;
    }
  }
  return out;
}

const std::string& tool_list_html_head() {
  static const std::string head = [] {
    const char* const lines[] = {
        "<HTML>",
        "<HEAD>",
        "<META HTTP-EQUIV=\"Content-Type\" CONTENT=\"text/html; charset=Shift_JIS\">",
        "<META HTTP-EQUIV=\"Content-Style-Type\" CONTENT=\"text/css\">",
        "<TITLE>VLM_HTML</TITLE>",
        "<STYLE TYPE=\"text/css\">",
        "<!--",
        "BODY{ ",
        "  font-family : \"ＭＳ ゴシック\";",
        "}",
        "DIV,TD,PRE { line-height:1.2em; } ",
        "--> ",
        "</STYLE>",
        "</HEAD>",
        "",
    };
    std::string s;
    for (const char* l : lines) s += std::string(l) + CRLF;
    return s;
  }();
  return head;
}

const std::string& tool_list_html_sheet_row() {
  static const std::string row = [] {
    const std::string table = "<TABLE BORDER=0 CELLPADDING=3 CELLSPACING=1 BGCOLOR=GRAY";
    const std::string tr = "<TR BGCOLOR=WHITE VALIGN=TOP>";
    auto td = [](const char* width, const std::string& text) {
      return std::string("<TD") + (width ? std::string(" WIDTH=") + width : std::string()) +
             ">" + text + "</TD>";
    };
    std::string s = "<TR><TD BGCOLOR=WHITE VALIGN=TOP COLSPAN=2>";
    s += CRLF;
    s += table + " WIDTH=\"95%\">" + tr + td("\"30%\"", "プロジェクト No.<BR><BR>") +
         td("\"30%\"", "顧客名<BR><BR>") + td("\"30%\"", "工作機械名<BR><BR>") + "</TR></TABLE>";
    s += CRLF;
    s += table + " WIDTH=\"90%\">" + tr + td("\"10%\"", "項目") + td("\"25%\"", "日付") +
         td("\"15%\"", "") + td("\"35%\"", "担当者名") + td("\"15%\"", "印") + "</TR>";
    const char* rows[4][2] = {{"作成日　", "CAM 担当者　"},
                              {"確認日①", "確認担当者①"},
                              {"加工日　", "CAM 担当者　"},
                              {"確認日②", "確認担当者②"}};
    for (const auto& r : rows) {
      s += CRLF;
      s += tr + td(nullptr, r[0]) + td(nullptr, "") + td(nullptr, "") + td(nullptr, r[1]) +
           td(nullptr, "") + "</TR>";
    }
    s += "</TABLE>";
    s += CRLF;
    s += table + " WIDTH=\"90%\" STYLE=\"margin-top:3px\">" + tr + td(nullptr, "") +
         td(nullptr, "材質") + td(nullptr, "   巾(X)   x   奥行(Y)   x   厚さ (Z) ") +
         td(nullptr, "個数") + td(nullptr, "印") + "</TR>";
    s += CRLF;
    s += tr + td(nullptr, "ワーク") + td(nullptr, "") + td(nullptr, "") + td(nullptr, "") +
         td(nullptr, "") + "</TR></TABLE>";
    s += CRLF;
    s += "</TD></TR>";
    return s;
  }();
  return row;
}

fs::path tool_list_html_folder(const fs::path& desktop, const std::string& nc_file_name) {
  // A "\" may be the second byte of a character ("ソ", "表"): the walk goes by characters.
  std::string stem(plat::sjis_file_name(nc_file_name));
  const auto dot = stem.rfind('.');  // "." is never a second byte
  if (dot != std::string::npos) stem.erase(dot);
  if (stem.empty()) return desktop / "no_name";
  return desktop / fs::path(plat::cp932_to_utf8(stem));
}

Ttool_list_html_result output_TOOL_LIST_HTML(const TTOOL_LIST_model& m,
                                             const TTOOL_LIST_options& o,
                                             const TTOOL_LIST_program& p,
                                             const fs::path& desktop, const std::string& stamp,
                                             Ttool_list_html_host& host) {
  Ttool_list_html_result r;
  if (m.items.empty()) return r;
  const bool path_mode = !m.library && m.use_order && o.print_at_path;
  // The question comes before anything is created: Cancel leaves nothing behind.
  if (path_mode && host.cutting_on()) {
    if (plat::message_box("全てのワークを初期状態に戻していいですか？", "INFORMATION Message",
                          plat::MB_OKCANCEL | plat::MB_ICONQUESTION) != plat::IDOK)
      return r;
  }
  r.folder = tool_list_html_folder(desktop, p.nc_file_name);
  std::error_code ec;
  fs::create_directories(r.folder, ec);
  if (!fs::is_directory(r.folder, ec)) {
    plat::message_box("フォルダを作成できませんでした。\r\n" +
                          plat::utf8_to_cp932(r.folder.string()),
                      "Error", plat::MB_OK | plat::MB_ICONSTOP);
    return r;
  }
  Writer w(r.folder, r);
  if (path_mode) host.before_path_pictures();

  const std::string& head = tool_list_html_head();
  std::string menu = head + "<BR>" + CRLF + html_escape(p.nc_file_name) + "<BR>" + CRLF +
                     "<BR>" + CRLF + "<A HREF=\"P_TOP.htm\" target=doc>P_TOP</A><BR>" + CRLF +
                     "<BR>";
  std::string top = head + TABLE + CRLF + "<TR><TD BGCOLOR=WHITE VALIGN=TOP COLSPAN=2>" +
                    "<DIV ALIGN=RIGHT>" + html_escape(m.classification) + "</DIV>" +
                    pre_div(html_escape(m.header)) + "</TD></TR>";
  if (o.iso9000) top += tool_list_html_sheet_row();

  const int path_w = o.text_w + o.pic_w;
  const int path_h = path_w * 3 / 4;
  if (path_mode) {
    deb_log("P_TOP.jpg を出力しています");
    std::string jpeg;
    if (!host.path_picture(-1, path_w, path_h, stamp, jpeg)) return r;
    if (!w.file("P_CL_TOP.jpg", jpeg)) return r;
    deb_log("P_TOP.jpg を出力しました");
    top += "<TR><TD BGCOLOR=WHITE COLSPAN=2><IMG SRC=\"P_CL_TOP.jpg\"></TD></TR>";
  }

  for (std::size_t i = 0; i < m.items.size(); ++i) {
    const TLIST_ITEMS& it = m.items[i];
    const int n = static_cast<int>(i);
    const std::string ns = std::to_string(n);
    if (!path_mode && it.set <= 0) continue;
    if (path_mode) {
      if (host.cutting_on()) host.reset_works();
      deb_log("P_" + ns + ".jpg を出力しています");
      std::string jpeg;
      if (!host.path_picture(it.use, path_w, path_h, stamp, jpeg)) return r;
      if (!w.file("P_CL_" + ns + ".jpg", jpeg)) return r;
      deb_log("P_CL_" + ns + ".jpg を出力しました");
    }
    if (!w.file("P_TL_" + ns + ".jpg",
                host.tool_picture(it, o.pic_w, o.pic_h, it.set > 0 && o.print_at_tool)))
      return r;
    deb_log("P_TL_" + ns + ".jpg を出力しました");
    menu += "<A HREF=\"P_" + ns + ".htm\" target=doc>P_" + ns + "</A><BR>";
    const Card_html c = card_html(it, n, o);
    if (path_mode) {
      const std::string page =
          head + TABLE + CRLF + "<TR>" + c.picture_cell + CRLF + "<DIV ALIGN=RIGHT>" +
          html_escape(m.classification) + "</DIV>" + pre_div(c.title) + CRLF +
          pre_div(c.name_text) + CRLF + "</TD></TR>" + CRLF +
          "<TR><TD COLSPAN=2  BGCOLOR=WHITE>" + CRLF + "<IMG SRC=\"P_CL_" + ns + ".jpg\">" +
          CRLF + "</TD></TR></TABLE>" + CRLF + "</BODY>" + CRLF + "</HTML>";
      if (!w.page("P_" + ns + ".htm", page)) return r;
      deb_log("P_" + ns + ".htm を出力しました");
    }
    top += CRLF + std::string("<!-- ") + html_escape(it.title + it.name) + " -->" + CRLF +
           "<TR>" + c.picture_cell + CRLF + pre_div(c.title) + CRLF + pre_div(c.name_text) +
           CRLF + "</TD></TR>";
  }

  if (path_mode) {
    menu += "</BODY>\r\n</HTML>";
    if (!w.page("P_MENU.htm", menu)) return r;
    deb_log("P_MENU.htm を出力しました");
    top += "</TABLE>\r\n</BODY>\r\n</HTML>";
    if (!w.page("P_TOP.htm", top)) return r;
    deb_log("P_TOP.htm を出力しました");
    const std::string index =
        "<FRAMESET cols=\"120,*\">\r\n"
        "<FRAME src=\"./P_MENU.htm\" NAME=\"menu\"  marginheight=5 marginwidth=5>\r\n"
        "<FRAME src=\"./P_TOP.htm\" NAME=\"doc\">\r\n"
        "</FRAMESET>\r\n";
    if (!w.file("index.htm", index)) return r;
  } else {
    top += "</TABLE>\r\n</BODY>\r\n</HTML>";
    if (!w.page("index.htm", top)) return r;
  }
  deb_log("index.htm を出力しました");
  deb_log(" html データの出力は終了しました");
  host.set_caption("html データの出力は終了しました");
  r.finished = true;
  plat::message_box("HTML 出力は終了しました。", "INFORMATION Message",
                    plat::MB_OK | plat::MB_ICONINFORMATION);
  return r;
}
