#include "tooling/core/tool_list_html.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <set>

#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;

namespace {

// Three cards: a set tool whose name holds the HTML characters, an unset one, a set one.
struct Fixture {
  TTOOL_HOLDER_tmp mag;
  TTOOL_LIST_model m;
  TTOOL_LIST_options o;
  TTOOL_LIST_program p;
  Fixture() {
    mag.count = 3;
    const char* names[3] = {"<R&D>-->", "未設定", "φ8 ボール"};
    const int kinds[3] = {1, 0, 2};
    for (int k = 0; k < 3; ++k) {
      TTTOOL_HOLDER_tmp& s = mag.slot[k];
      set_default_TOOL(s.tool);
      set_default_HOLDER(s.holder);
      s.tool.T_number = k;
      s.tool.T_category = kinds[k];
      s.tool.name = names[k];
      s.tool_name = names[k];
      s.list_head = "(" + std::to_string(k) + ") T0" + std::to_string(k) + " :";
      s.list_body = "切削長 10 mm\nT" + std::to_string(k) + "M06";
    }
    m.magazine = &mag;
    o.invis_noitem = false;
    o.print_at_data = true;
    p.nc_file_name = "SAMPLE01.NC";
    p.has_path = true;
    for (int t : {0, 2}) {
      TTOOL_LIST_use u;
      u.tool = t;
      u.texts = "T" + std::to_string(t) + "M06\n";
      p.uses.push_back(u);
    }
  }
  void build() {
    TTOOL_LIST_metrics met;
    met.width = [](const std::string& s) { return static_cast<int>(s.size()) * 6; };
    make_TOOL_LIST_items(m, o, p, met);
  }
};

class FakePictures : public Ttool_list_html_host {
 public:
  std::string tool_picture(const TLIST_ITEMS& it, int w, int h, bool draw) override {
    tools.push_back(it.slot);
    return "TL" + std::to_string(it.slot) + " " + std::to_string(w) + "x" + std::to_string(h) +
           (draw ? " drawn" : " blank");
  }
  bool path_picture(int seg, int w, int h, const std::string& stamp, std::string& jpeg) override {
    if (++paths == escape_at) return false;
    segs.push_back(seg);
    jpeg = "CL" + std::to_string(seg) + " " + std::to_string(w) + "x" + std::to_string(h) +
           " " + stamp;
    return true;
  }
  bool cutting_on() override { return cutting; }
  void reset_works() override { ++resets; }
  void before_path_pictures() override { ++moved; }
  bool cutting = false;
  int escape_at = 0, paths = 0, resets = 0, moved = 0;
  std::vector<int> tools, segs;
};

std::set<std::string> files_in(const fs::path& dir) {
  std::set<std::string> s;
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(dir, ec)) s.insert(e.path().filename().string());
  return s;
}

// Compares a page with its golden file; VLM_WRITE_GOLDEN=1 writes the golden file instead.
void expect_golden(const fs::path& page, const std::string& golden) {
  const fs::path g = testing_support::data_file(golden);
  const std::string bytes = testing_support::read_file(page);
  if (std::getenv("VLM_WRITE_GOLDEN")) {
    fs::create_directories(g.parent_path());
    testing_support::write_file(g, bytes);
  }
  EXPECT_EQ(bytes, testing_support::read_file(g)) << golden;
}

// Every SRC="..." and HREF="..." of the folder's pages names a file of the folder, and no
// comment holds a "<" or ">" of data (a name ending a comment early).
void expect_links_and_comments_sound(const fs::path& dir) {
  for (const auto& e : fs::directory_iterator(dir)) {
    if (e.path().extension() != ".htm") continue;
    const std::string page = testing_support::read_file(e.path());
    const std::string name = e.path().filename().string();
    for (const std::string key : {"SRC=\"", "HREF=\"", "src=\""}) {
      for (std::size_t at = page.find(key); at != std::string::npos;
           at = page.find(key, at + 1)) {
        const std::size_t b = at + key.size();
        std::string target = page.substr(b, page.find('"', b) - b);
        if (target.rfind("./", 0) == 0) target.erase(0, 2);
        EXPECT_TRUE(fs::exists(dir / target)) << name << " -> " << target;
      }
    }
    const std::size_t style_end = page.find("</STYLE>");
    for (std::size_t at = page.find("<!-- ", style_end); at != std::string::npos;
         at = page.find("<!-- ", at + 1)) {
      const std::size_t end = page.find(" -->", at);
      ASSERT_NE(end, std::string::npos) << name;
      const std::string inner = page.substr(at + 5, end - at - 5);
      EXPECT_EQ(inner.find_first_of("<>"), std::string::npos) << name << ": " << inner;
    }
  }
}

}  // namespace

TEST(ToolListHtml, EscapesTheHtmlCharactersOnly) {
  EXPECT_EQ(html_escape("<R&D>-->"), "&lt;R&amp;D&gt;--&gt;");
  EXPECT_EQ(html_escape("φ8 ボール \"x\""), "φ8 ボール \"x\"");
  EXPECT_EQ(tool_list_html_folder("/d", "SAMPLE01.NC"), fs::path("/d/SAMPLE01"));
  EXPECT_EQ(tool_list_html_folder("/d", ""), fs::path("/d/no_name"));
}

// The folder is named after the program's name without its folder and extension, found by
// characters: kanji and kana whose second byte is a "\" are no separators.
TEST(ToolListHtml, TheFolderKeepsJapaneseNamesWhole) {
  struct Case {
    std::string nc;  // CP932, as the main window hands it
    const char8_t* folder;
  };
  const Case cases[] = {
      {"ソース.nc", u8"ソース"},
      {"表.nc", u8"表"},
      {"能力.NC", u8"能力"},
      {"十", u8"十"},
      {"テスト.NC", u8"テスト"},
      {"/home/u/ソース/表.NC", u8"表"},
      {"C:\\data\\能力.nc", u8"能力"},
      {"/home/u/十.a.NC", u8"十.a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(plat::cp932_to_utf8(c.nc));
    EXPECT_EQ(tool_list_html_folder("/d", c.nc), fs::path("/d") / fs::path(c.folder));
  }
}

TEST(ToolListHtml, SinglePageOfThreeCards) {
  TempDir desk;
  Fixture f;
  f.o.iso9000 = true;
  f.build();
  ASSERT_EQ(f.m.items.size(), 3u);
  FakePictures pics;
  plat::ScriptedMessageBoxes boxes;
  const Ttool_list_html_result r =
      output_TOOL_LIST_HTML(f.m, f.o, f.p, desk.path(), "by velmor print 2026/12/10 14:00", pics);
  ASSERT_TRUE(r.finished);
  const fs::path dir = desk / "SAMPLE01";
  EXPECT_EQ(files_in(dir), (std::set<std::string>{"P_TL_0.jpg", "P_TL_2.jpg", "index.htm"}));
  EXPECT_EQ(pics.tools, (std::vector<int>{0, 2}));
  EXPECT_EQ(testing_support::read_file(dir / "P_TL_2.jpg"), "TL2 120x58 drawn");
  expect_golden(dir / "index.htm", "tool_list_html/single/index.htm");
  expect_links_and_comments_sound(dir);
  const std::string page = testing_support::read_file(dir / "index.htm");
  EXPECT_EQ(page.find("<R&D>"), std::string::npos);
  EXPECT_NE(page.find("<!-- (0) T00 :&lt;R&amp;D&gt;--&gt; -->"), std::string::npos);
  EXPECT_EQ(page.substr(page.size() - 9), "</HTML>\r\n");
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "HTML 出力は終了しました。");
  EXPECT_EQ(boxes.shown[0].caption, "INFORMATION Message");
}

TEST(ToolListHtml, PathModeOfTwoUses) {
  TempDir desk;
  Fixture f;
  f.o.use_turn = true;
  f.o.print_at_path = true;
  f.build();
  ASSERT_EQ(f.m.items.size(), 2u);
  FakePictures pics;
  pics.cutting = true;
  plat::ScriptedMessageBoxes boxes;
  boxes.answer(plat::IDOK);
  const Ttool_list_html_result r =
      output_TOOL_LIST_HTML(f.m, f.o, f.p, desk.path(), "by velmor print 2026/12/10 14:00", pics);
  ASSERT_TRUE(r.finished);
  const fs::path dir = desk / "SAMPLE01";
  EXPECT_EQ(files_in(dir),
            (std::set<std::string>{"P_CL_TOP.jpg", "P_CL_0.jpg", "P_CL_1.jpg", "P_TL_0.jpg",
                                   "P_TL_1.jpg", "P_0.htm", "P_1.htm", "P_MENU.htm", "P_TOP.htm",
                                   "index.htm"}));
  EXPECT_EQ(pics.segs, (std::vector<int>{-1, 0, 1}));
  EXPECT_EQ(pics.resets, 2);
  EXPECT_EQ(pics.moved, 1);
  EXPECT_EQ(testing_support::read_file(dir / "P_CL_TOP.jpg"),
            "CL-1 320x240 by velmor print 2026/12/10 14:00");
  for (const char* page : {"index.htm", "P_MENU.htm", "P_TOP.htm", "P_0.htm", "P_1.htm"})
    expect_golden(dir / page, std::string("tool_list_html/path/") + page);
  expect_links_and_comments_sound(dir);
  EXPECT_EQ(testing_support::read_file(dir / "index.htm"),
            "<FRAMESET cols=\"120,*\">\r\n"
            "<FRAME src=\"./P_MENU.htm\" NAME=\"menu\"  marginheight=5 marginwidth=5>\r\n"
            "<FRAME src=\"./P_TOP.htm\" NAME=\"doc\">\r\n"
            "</FRAMESET>\r\n");
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "全てのワークを初期状態に戻していいですか？");
}

TEST(ToolListHtml, WhatIsLeftOnDiskWhenTheExportStops) {
  struct Case {
    const char* what;
    bool cutting;
    int answer;
    int escape_at;
    bool empty_list;
    bool folder_blocked;  // a directory stands where index.htm goes
    std::set<std::string> files;
  };
  const Case cases[] = {
      {"cancel", true, plat::IDCANCEL, 0, false, false, {}},
      {"empty list", false, plat::IDOK, 0, true, false, {}},
      {"escape at the second picture", false, plat::IDOK, 2, false, false, {"P_CL_TOP.jpg"}},
      {"failed write", false, plat::IDOK, 0, false, true,
       {"P_CL_TOP.jpg", "P_CL_0.jpg", "P_CL_1.jpg", "P_TL_0.jpg", "P_TL_1.jpg", "P_0.htm",
        "P_1.htm", "P_MENU.htm", "P_TOP.htm", "index.htm"}},
  };
  for (const Case& c : cases) {
    TempDir desk;
    Fixture f;
    f.o.use_turn = true;
    f.o.print_at_path = true;
    if (c.empty_list) f.p.uses.clear();
    f.build();
    const fs::path dir = desk / "SAMPLE01";
    if (c.folder_blocked) fs::create_directories(dir / "index.htm");
    FakePictures pics;
    pics.cutting = c.cutting;
    pics.escape_at = c.escape_at;
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(c.answer);
    const Ttool_list_html_result r = output_TOOL_LIST_HTML(f.m, f.o, f.p, desk.path(), "", pics);
    EXPECT_FALSE(r.finished) << c.what;
    EXPECT_EQ(files_in(dir), c.files) << c.what;
    if (c.folder_blocked) {
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_NE(boxes.shown[0].text.find("index.htm"), std::string::npos);
    }
    if (!c.folder_blocked && c.answer != plat::IDCANCEL) EXPECT_TRUE(boxes.shown.empty()) << c.what;
  }
}
