#include "tabulon/core/tb_setup.h"

#include <gtest/gtest.h>

#include "platform/core/msgbox.h"
#include "tabulon/core/tb_text.h"
#include "tests/support/test_support.h"
#include "tests/tabulon/fake_view.h"

using testing_support::TempDir;
using testing_support::write_file;

namespace {

TEST(TabulonText, ReadTextLines) {
  TempDir d;
  struct Case {
    const char* bytes;
    bool tab_blank;
    std::vector<std::string> lines;
  } cases[] = {
      {"a\r\nb\r\n", false, {"a", "b"}},
      {"a\nM30", false, {"a", "M30"}},          // a last line without LF is read
      {"G0X1\rT2M6\rM30\r", false, {"G0X1", "T2M6", "M30"}},  // CR alone ends a line
      {"a\r\r\nb", false, {"a", "", "b"}},
      {"a\n#TB-END\x1A", false, {"a", "#TB-END"}},  // the end-of-file byte is dropped
      {"#EXT\t.NCD\n", true, {"#EXT .NCD"}},
      {"#EXT\t.NCD\n", false, {"#EXT.NCD"}},
      {"x\x01y\x0Fz\x10\n\n", false, {"xyz\x10", ""}},
      {"", false, {}},
  };
  for (const auto& c : cases) {
    write_file(d / "f.txt", c.bytes);
    std::vector<std::string> lines{"old"};
    ASSERT_TRUE(tb_read_lines(d / "f.txt", lines, c.tab_blank));
    EXPECT_EQ(lines, c.lines) << c.bytes;
  }
  std::vector<std::string> lines;
  EXPECT_FALSE(tb_read_lines(d / "missing.txt", lines, true));
  EXPECT_FALSE(tb_read_lines(d.path(), lines, true));
}

TEST(TabulonText, Paths) {
  struct Case {
    const char* text;
    const char* folder;
    const char* base;
  } cases[] = {
      {"  tool.txt ", "/d/", "/d/tool.txt"},
      {"tool.txt", "/d", "/d/tool.txt"},
      {"tool.txt", "C:\\d\\", "C:/d/tool.txt"},
      {"tool.txt", "", "tool.txt"},
      {"/abs/t.txt", "/d/", "/abs/t.txt"},
      {"\\abs\\t.txt", "/d/", "/abs/t.txt"},
      {"C:t.txt", "/d/", "C:t.txt"},
      {"x", "/d/", ""},
      {"ソ.txt", "/dソ", "/dソ/ソ.txt"},  // 0x5C as trail byte is no separator
  };
  for (const auto& c : cases) EXPECT_EQ(full_path_base(c.text, c.folder), c.base) << c.text;
  EXPECT_EQ(full_path_cur("a.txt", ""), "/a.txt");
  EXPECT_EQ(tb_file_name("/a/ソ\\b.txt"), "b.txt");
  EXPECT_EQ(tb_folder_of("/a/表.txt"), "/a/");
  EXPECT_EQ(tb_file_name("表"), "表");
  EXPECT_EQ(native_path(".\\0_TB_datas\\ソース.txt"),
            std::filesystem::path(u8"0_TB_datas/ソース.txt"));

  TempDir d;
  write_file(d / "Tool.TXT", "x");
  EXPECT_EQ(native_path(path_text(d / "tool.txt")), d / "Tool.TXT");
  EXPECT_EQ(native_path(path_text(d / "none.txt")), d / "none.txt");
}

TEST(TabulonText, WritesThroughATemporaryFile) {
  TempDir d;
  ASSERT_TRUE(write_text_lines(d / "o.txt", {"%", "表"}));
  EXPECT_EQ(testing_support::read_file(d / "o.txt"), "%\r\n表\r\n");
  std::string err;
  EXPECT_FALSE(write_text_lines(d / "no" / "o.txt", {"x"}, &err));
  EXPECT_FALSE(err.empty());
  EXPECT_FALSE(tb_copy_file(d / "o.txt", d / "o.txt", &err));
  EXPECT_EQ(testing_support::read_file(d / "o.txt"), "%\r\n表\r\n");
  ASSERT_TRUE(tb_copy_file(d / "o.txt", d / "c.txt"));
  EXPECT_EQ(testing_support::read_file(d / "c.txt"), "%\r\n表\r\n");
  int left = 0;
  for (auto& e : std::filesystem::directory_iterator(d.path())) left += !e.path().empty();
  EXPECT_EQ(left, 2);  // no temporary file is left behind
}

class SetupTest : public ::testing::Test {
 protected:
  void SetUp() override { setup.setup_folder = path_text(dir.path()) + "/"; }
  std::string path(const std::string& name) { return setup.setup_folder + name; }
  void file(const std::string& name, const std::string& bytes) {
    write_file(native_path(path(name)), bytes);
  }
  TempDir dir;
  FakeView view;
  plat::ScriptedMessageBoxes boxes;
  TTB_setup setup{view};
};

TEST_F(SetupTest, SetupListTakesTheLinesAfterTbFiles) {
  file("0_TB_setup.txt",
       "; comment\r\n"
       "a.txt\r\n"            // before #TB_FILES: not taken
       "  #  tb_files  more\r\n"
       "\r\n"
       "  b.txt \r\n"
       "x\r\n"                // one character: nothing
       "/abs/c.txt\r\n"
       "#TB_FILESX\r\n"       // ends taking
       "d.txt\r\n"
       "#TB_FILES\r\n"
       "e.txt");              // a last line without LF
  ASSERT_TRUE(setup.get_TB_file_list(path("0_TB_setup.txt")));
  EXPECT_EQ(setup.tb_files,
            (std::vector<std::string>{path("b.txt"), "/abs/c.txt", path("e.txt")}));
  EXPECT_EQ(setup.tb_file_lines, (std::vector<std::string>{"b.txt", "/abs/c.txt", "e.txt"}));
  EXPECT_EQ(setup.tb_file_names.size(), 3u);
  EXPECT_TRUE(view.traced(" ok! : #TB_FILES"));
  EXPECT_TRUE(view.traced("        (TB) b.txt"));
  EXPECT_TRUE(boxes.shown.empty());

  EXPECT_FALSE(setup.get_TB_file_list(path("none.txt")));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Read Error");
  EXPECT_EQ(boxes.shown[0].text, path("none.txt") + " を読み込めませんでした");
  EXPECT_TRUE(view.traced(" ERR : " + path("none.txt") + " を読み込めませんでした"));
}

TEST_F(SetupTest, DefinitionBlocks) {
  file("0_TB_setup.txt", "#TB_FILES\r\none.txt\r\ntwo.txt\r\n");
  file("one.txt",
       "#TB-END\r\n"  // before any block: ignored
       "%PRE-CONV = s/A/B/\r\n"  // outside a block: ignored
       "#TB  M1 ; first machine\r\n"
       "#EXT\t.NCD ; extension\r\n"
       "#MEMO old memo\r\n"
       "#TB-O-NUM O100\r\n"
       "%PRE-CONV = s/^\\/\\*.*$//\r\n"
       "% CODE-CONV=s/G0(\\d)/G$1/;x\r\n"
       "%TOOL-CONV = s/T/T/\r\n"
       "%VLM-TOOL = s/V/V/\r\n"
       "%NECESSARY = /G90/\r\n"
       "%NECESSARY = x\r\n"  // neither s nor /: ignored
       "%UNKNOWN = s/a/b/\r\n"
       "#TB-TOOL-DATA tools.txt ; magazine\r\n"
       "#TB-ADD-NCD sub.nc\r\n"
       "#TB-END\r\n"
       "%TB T=01 (VLM N1 \"A\" )(VLM T1 A1C8)(VLM H1 A49B72)\r\n"
       "#TB M2\r\n"
       "#EXT .TAP\r\n");  // left open: the next file's first lines join it
  file("two.txt",
       "#MEMO joined\r\n"
       "#TB-END\r\n"
       "#TB M1\r\n"  // the same name again: replaces the first in its place
       "#EXT .MIN\r\n"
       "#TB-END");
  ASSERT_TRUE(setup.get_TB_file_list(path("0_TB_setup.txt")));
  ASSERT_TRUE(setup.get_TB_data());
  ASSERT_EQ(setup.tb_data.size(), 2u);
  const TTB_DATA& m1 = setup.tb_data[0];
  EXPECT_EQ(m1.name, "M1");
  EXPECT_EQ(m1.ext, ".MIN");
  EXPECT_EQ(m1.file_name, "two.txt");
  EXPECT_EQ(m1.folder, setup.setup_folder);
  EXPECT_TRUE(m1.pre_conv.empty());
  EXPECT_EQ(m1.tool_files, (std::vector<std::string>{path("two.txt")}));
  const TTB_DATA& m2 = setup.tb_data[1];
  EXPECT_EQ(m2.ext, ".TAP");
  EXPECT_EQ(m2.memo, "joined");
  EXPECT_EQ(m2.tool_files, (std::vector<std::string>{path("two.txt")}));
  EXPECT_EQ(view.items, (std::vector<std::string>{" M1 ", " M2 "}));
  EXPECT_EQ(view.combo, " M1");
  EXPECT_EQ(setup.tb_file_names, (std::vector<std::string>{"M1 M2 ", "M1 "}));
  EXPECT_TRUE(view.traced(" 警告 : M1 は多重定義のため次のデータで上書き処理を行います "));
  EXPECT_TRUE(view.traced(" ok! : TB : M1 ( 0 )"));
  EXPECT_TRUE(view.traced(" ok! : TB : M2 ( 1 )"));

  // the first definition of M1, read alone
  file("0_TB_setup.txt", "#TB_FILES\r\none.txt\r\n");
  view = FakeView();
  ASSERT_TRUE(setup.get_TB_file_list(path("0_TB_setup.txt")));
  EXPECT_FALSE(setup.get_TB_data());  // M2 is never closed
  EXPECT_EQ(view.errors(), (std::vector<std::string>{
                               " ERR : #TB M2 に終了文字の #TB-END がありませんでした。"}));
  ASSERT_EQ(setup.tb_data.size(), 2u);  // what was read stays
  const TTB_DATA& first = setup.tb_data[0];
  EXPECT_EQ(first.ext, ".NCD");
  EXPECT_EQ(first.memo, "old memo");
  EXPECT_EQ(first.o_num, "O100");
  EXPECT_EQ(first.pre_conv, (std::vector<std::string>{"s/^\\/\\*.*$//"}));
  EXPECT_EQ(first.code_conv, (std::vector<std::string>{"s/G0(\\d)/G$1/;x"}));
  EXPECT_EQ(first.tool_conv, (std::vector<std::string>{"s/T/T/"}));
  EXPECT_EQ(first.necessary, (std::vector<std::string>{"/G90/"}));
  EXPECT_EQ(first.keywords, (std::vector<std::string>{"PRE-CONV", "CODE-CONV", "TOOL-CONV",
                                                      "VLM-TOOL", "NECESSARY"}));
  EXPECT_EQ(first.raw_lines[1], "% CODE-CONV=s/G0(\\d)/G$1/;x");
  EXPECT_EQ(first.tool_files, (std::vector<std::string>{"tools.txt", path("one.txt")}));
  EXPECT_EQ(first.add_ncd, (std::vector<std::string>{"sub.nc"}));
  EXPECT_TRUE(view.traced("      : M1 : PRE-CONV = s/^\\/\\*.*$//"));
  EXPECT_TRUE(boxes.shown.empty());
}

TEST_F(SetupTest, ReadErrorsAndSelection) {
  EXPECT_FALSE(setup.get_TB_data());
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "読み込む TB 設定ファイル名が指定されていません");
  file("0_TB_setup.txt", "#TB_FILES\r\nd.txt\r\nmissing.txt\r\n");
  file("d.txt", "#TB 表示 ; x\r\n#EXT .ncd\r\n#TB-END\r\n#TB B\r\n#TB-O-NUM O7\r\n#TB-END\r\n");
  ASSERT_TRUE(setup.get_TB_file_list(path("0_TB_setup.txt")));
  EXPECT_FALSE(setup.get_TB_data());
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[1].text, path("missing.txt") + "を読み込めませんでした");

  file("0_TB_setup.txt", "#TB_FILES\r\nd.txt\r\n");
  view.combo = " B ";
  view.fields[TB_field::D_O_num] = "O1";
  ASSERT_TRUE(setup.reload_TB_setup(path("0_TB_setup.txt")));
  EXPECT_EQ(view.menus, 1);
  EXPECT_EQ(setup.selected, 1);  // the kept combo text is selected again
  EXPECT_EQ(view.combo, " B ");
  EXPECT_EQ(view.fields[TB_field::D_O_num], "O7");
  EXPECT_EQ(view.fields[TB_field::D_ext], "");
  EXPECT_TRUE(view.traced("#TB-O-NUM     : O7"));
  EXPECT_EQ(view.clears, 0);

  EXPECT_TRUE(setup.select_TB_data("  表示 ", true));
  EXPECT_EQ(view.clears, 1);
  EXPECT_EQ(view.combo, " 表示 ");
  EXPECT_EQ(view.fields[TB_field::D_ext], ".ncd");
  EXPECT_EQ(view.fields[TB_field::D_O_num], "");
  EXPECT_FALSE(setup.select_TB_data("表", false));
  EXPECT_EQ(setup.selected, -1);
  EXPECT_FALSE(setup.select_TB_data("  ", false));
}

TEST_F(SetupTest, ToolData) {
  file("tools.txt",
       "; comment %TB T=09 (VLM N9 \"X\" ) (VLM T9 A1) (VLM H9 A49)\r\n"
       "%TB T=01 (VLM N34 \"φ12 フラットＥＭ\" )(VLM T34 A1 B45 C12 D35 E10 F50 G16 )(VLM H34 A49B72)\r\n"
       "%TB T=02 (VLM N2 \"BALL-R5\"   ) (VLM T2 A2 H5.0 C10 ) (VLM H2 A49B72 : holder)\r\n"
       "\t%TB  T = 3 (VLM N3 \"R3\" ) (VLM T3 A2H3C6 )\r\n"        // without a holder
       "%TB T=04 (VLM N4 \"R3\" ) (VLM T4 A2 H3 )\r\n"             // blanks: no form fits
       "%TB T=99999999999 (VLM N5 \"big\" ) (VLM T5 A1) (VLM H5 A49)\r\n"
       "%TB T=02 (VLM N2 \"BALL-R6\" ) (VLM T2 A2H6C12) (VLM H2 A49B80)");
  TVLM_tool_list tools;
  ASSERT_TRUE(tools.get_VLM_tool_data(path("tools.txt"), view));
  ASSERT_EQ(tools.tools().size(), 3u);
  const auto& t1 = tools.tools()[0];
  EXPECT_EQ(t1.number, 1);
  EXPECT_EQ(t1.N, "\"φ12 フラットＥＭ\" ");
  EXPECT_EQ(t1.T, "A1 B45 C12 D35 E10 F50 G16 ");
  EXPECT_EQ(t1.H, "A49B72");
  const auto& t2 = tools.tools()[1];  // the later line of T=02 replaced the first
  EXPECT_EQ(t2.N, "\"BALL-R6\" ");
  EXPECT_EQ(t2.H, "A49B80");
  const auto& t3 = tools.tools()[2];
  EXPECT_EQ(t3.number, 3);
  EXPECT_EQ(t3.T, "A2H3C6");
  EXPECT_EQ(t3.H, "");
  EXPECT_EQ(tools.find_VLM_tool(4), -1);
  EXPECT_EQ(tools.find_VLM_tool(2), 1);
  EXPECT_EQ(view.trace.size(), 1u);  // the out-of-range number

  EXPECT_FALSE(tools.get_VLM_tool_data(path("none.txt"), view));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, path("none.txt") + "\r\n" + " を読み込めませんでした");
}

}  // namespace
