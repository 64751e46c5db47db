#include "tooling/core/tool_library.h"

#include <gtest/gtest.h>

#include "common/debug_log.h"
#include "common/text_file.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::data_file;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

// A ball end mill R3 numbered 9 (the number a store must replace).
void ball(TTOOL& t, THOLDER& h) {
  set_default_TOOL(t);
  set_default_HOLDER(h);
  t.T_category = TOOL_KIND_BALL_EM;
  t.T_number = 9;
  h.H_number = 9;
  t.radius = 3;
  t.dia = 6;
  t.name = "R3 ボール";
  make_TOOL_comment_lines(t, h);
}

// Two ball tools in slots 0 and 1, a comment line between them and an other line at the end.
const char* const kTwoBalls =
    "; my balls\r\n"
    "(VLM N0 \"R1\" )\r\n(VLM T0 A2B29C2D16E10F20G8H1)\r\n(VLM H0 A49B72)\r\n"
    "; second\r\n"
    "(VLM N1 \"R2\" )\r\n(VLM T1 A2B29C4D16E10F20G8H2)\r\n(VLM H1 A49B72)\r\n"
    "(VLM T1 A2C9)\r\n"
    "G00 X0\r\n";

}  // namespace

TEST(ToolLibrary, StoreIntoAMissingFileMakes200SlotsAndNamesTool0) {
  TempDir dir;
  plat::ScriptedMessageBoxes boxes;
  TTOOL t;
  THOLDER h;
  ball(t, h);
  ASSERT_EQ(save_to_TOOL_LIST(dir.path(), t, h), 0);
  const fs::path file = dir / "TOOL_BALL_EM.nts";
  const std::string bytes = read_file(file);
  EXPECT_EQ(bytes, read_file(data_file("tool_library_store.nts")));
  EXPECT_EQ(split_text_lines(bytes).size(), 600u);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "カテゴリ別工具データファイルに追加しました");
  EXPECT_EQ(boxes.shown[0].text, "カテゴリ別工具データファイル '" + path_text(file) +
                                     "'に工具番号 0 で現在の工具データを追加しました");
  // The next store takes slot 1; a file spelt in another case is found and kept.
  fs::rename(file, dir / "tool_ball_em.NTS");
  ASSERT_EQ(save_to_TOOL_LIST(dir.path(), t, h), 1);
  EXPECT_FALSE(fs::exists(file));
  TTool_library lib = load_tool_library(dir / "tool_ball_em.NTS");
  EXPECT_EQ(lib.m->slot[1].tool.T_number, 1);
  EXPECT_EQ(lib.m->slot[1].tool.name, "R3 ボール");
  EXPECT_EQ(lib.m->slot[2].tool.T_category, 0);
  // Kind 0 stores nothing.
  t.T_category = 0;
  EXPECT_EQ(save_to_TOOL_LIST(dir.path(), t, h), -1);
}

TEST(ToolLibrary, RefusedStoresLeaveTheFileAsItWas) {
  TTOOL t;
  THOLDER h;
  ball(t, h);
  // A full library of one set tool, a file without tools, a malformed value, a folder in
  // the file's place.
  TTOOL_HOLDER_tmp full;
  full.count = 1;
  full.slot[0].tool = t;
  full.slot[0].holder = h;
  full.slot[0].tool_set = full.slot[0].holder_set = 1;
  std::string full_text;
  for (const std::string& l : tool_library_lines(full, {})) full_text += l + "\r\n";
  struct Case {
    const char* name;
    std::string bytes;
    const char* message;
  } cases[] = {
      {"full", full_text, "カテゴリ別工具データファイル内に未設定の工具がないため、\r\n追加処理が出来ませんでした。"},
      {"no tools", "; nothing here\r\nG00 X0\r\n", "には工具データがないため"},
      {"malformed", "(VLM N0 \"R1\" )\r\n(VLM T0 A0C1..5)\r\n(VLM H0 A49)\r\n", "不正な数値の行があるため"},
  };
  for (const Case& c : cases) {
    TempDir dir;
    plat::ScriptedMessageBoxes boxes;
    RecordingDebLog log;
    write_file(dir / "TOOL_BALL_EM.nts", c.bytes);
    EXPECT_EQ(save_to_TOOL_LIST(dir.path(), t, h), -1) << c.name;
    EXPECT_EQ(read_file(dir / "TOOL_BALL_EM.nts"), c.bytes) << c.name;
    ASSERT_EQ(boxes.shown.size(), 1u) << c.name;
    EXPECT_NE(boxes.shown[0].text.find(c.message), std::string::npos) << c.name;
    EXPECT_NE(boxes.shown[0].flags & plat::MB_ICONSTOP, 0u) << c.name;
  }
  {
    // A blank file is a new library.
    TempDir dir;
    plat::ScriptedMessageBoxes boxes;
    write_file(dir / "TOOL_BALL_EM.nts", " \r\n\r\n");
    EXPECT_EQ(save_to_TOOL_LIST(dir.path(), t, h), 0);
    EXPECT_EQ(read_file(dir / "TOOL_BALL_EM.nts"), read_file(data_file("tool_library_store.nts")));
  }
  {
    // A failing write keeps the old file and names it.
    TempDir dir;
    plat::ScriptedMessageBoxes boxes;
    RecordingDebLog log;
    fs::create_directory(dir / "TOOL_BALL_EM.nts");
    EXPECT_EQ(save_to_TOOL_LIST(dir.path(), t, h), -1);
    EXPECT_TRUE(fs::is_directory(dir / "TOOL_BALL_EM.nts"));
    ASSERT_FALSE(boxes.shown.empty());
    EXPECT_NE(boxes.shown.back().text.find("TOOL_BALL_EM.nts"), std::string::npos);
  }
}

TEST(ToolLibrary, ARewriteKeepsWhatTheReaderDidNotTake) {
  TempDir dir;
  plat::ScriptedMessageBoxes boxes;
  const fs::path file = dir / "TOOL_BALL_EM.nts";
  write_file(file, kTwoBalls);
  TTool_library lib = load_tool_library(file);
  ASSERT_TRUE(lib.readable);
  EXPECT_EQ(lib.malformed, 0);
  ASSERT_EQ(lib.m->count, 2);
  EXPECT_EQ(lib.kept, (std::vector<std::string>{"; my balls", "; second", "(VLM T1 A2C9)", "G00 X0"}));
  // Browsing wrote nothing; a reset of slot 0 rewrites it with that slot unset.
  EXPECT_EQ(read_file(file), kTwoBalls);
  TTTOOL_HOLDER_tmp& s = lib.m->slot[0];
  set_default_TOOL(s.tool);
  s.tool.T_category = 0;
  s.tool.name = "未設定";
  ASSERT_TRUE(rewrite_tool_library(lib));
  const std::vector<std::string> lines = split_text_lines(read_file(file));
  ASSERT_EQ(lines.size(), 10u);
  EXPECT_EQ(lines[0], "(VLM N0 \"未設定\" )");
  EXPECT_EQ(lines[3], "(VLM N1 \"R2\" )");
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 6, lines.end()), lib.kept);
  TTool_library again = load_tool_library(file);
  EXPECT_EQ(again.m->slot[0].tool.T_category, 0);
  EXPECT_EQ(again.m->slot[1].tool.radius, 2.0f);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(ToolLibrary, AMalformedLineIsReportedOnceAndBlocksRewrites) {
  TempDir dir;
  plat::ScriptedMessageBoxes boxes;
  RecordingDebLog log;
  const fs::path file = dir / "TOOL_BALL_EM.nts";
  const std::string bytes =
      "(VLM N0 \"R1\" )\r\n(VLM T0 A2C2H1)\r\n(VLM H0 A49)\r\n"
      "(VLM N1 \"bad\" )\r\n(VLM T1 A2C1-2H1)\r\n(VLM H1 A49B7-2)\r\n";
  write_file(file, bytes);
  TTool_library lib = load_tool_library(file);
  EXPECT_EQ(lib.m->count, 2);  // the other tools are listed
  EXPECT_EQ(lib.malformed, 2);
  EXPECT_EQ(lib.first_malformed, "(VLM T1 A2C1-2H1)");
  report_malformed_library(lib);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find(path_text(file)), std::string::npos);
  EXPECT_NE(boxes.shown[0].text.find(" 2 行"), std::string::npos);
  EXPECT_NE(boxes.shown[0].text.find("(VLM T1 A2C1-2H1)"), std::string::npos);
  EXPECT_FALSE(rewrite_tool_library(lib));
  EXPECT_EQ(read_file(file), bytes);
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST(ToolLibrary, PathsAreFoundWhateverTheCase) {
  TempDir dir;
  EXPECT_EQ(tool_library_path(dir.path(), 1), dir / "TOOL_FLAT_EM.nts");
  write_file(dir / "tool_flat_em.nts", "");
  EXPECT_EQ(tool_library_path(dir.path(), 1), dir / "tool_flat_em.nts");
  EXPECT_EQ(tool_library_path(dir.path(), 0), fs::path());
  EXPECT_EQ(magazine_file_path(dir / "mag1"), dir / "mag1.nst");
  EXPECT_EQ(magazine_file_path(dir / "mag1.NST"), dir / "mag1.NST");
  write_file(dir / "MAG2.Nst", "");
  EXPECT_EQ(magazine_file_path(dir / "mag2"), dir / "MAG2.Nst");
  EXPECT_EQ(magazine_file_path(dir / "mag2.nst"), dir / "MAG2.Nst");
}
