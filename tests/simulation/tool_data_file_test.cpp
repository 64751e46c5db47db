#include "simulation/tool_data_file.h"

#include <gtest/gtest.h>

#include "common/debug_log.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::data_file;
using testing_support::read_file;
using testing_support::TempDir;

namespace {

// 124 slots, slot k holding tool T k: a flat end mill in slot 7, a ball in slot 123 (given a
// diameter too large for its radius), a T-slot cutter with a second holder in slot 50 and
// a tool of an unknown kind in slot 60; all others unset.
TTOOL_HOLDER_tmp sample_magazine() {
  TTOOL_HOLDER_tmp m;
  m.count = 124;
  for (int k = 0; k < m.count; ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    s.T_number = k;
    set_default_TOOL(s.tool);
    s.tool.T_number = k;
    set_default_HOLDER(s.holder);
    s.holder.H_number = k;
    s.tool_set = s.holder_set = 1;
  }
  m.slot[7].tool.T_category = 1;
  m.slot[7].tool.name = "φ8 フラット";
  TTOOL& ball = m.slot[123].tool;
  ball.T_category = 2;
  ball.radius = 3;
  ball.dia = 8;
  ball.name = "R3 (仕上げ)";
  TTOOL& slot = m.slot[50].tool;
  slot.T_category = 15;
  slot.dia = 20;
  slot.noedge_dia = 8;
  slot.name = "T溝";
  m.slot[50].holder.h2_used = 1;
  m.slot[60].tool.T_category = 33;
  Preset_TOOL_HOLDER_list(m);
  m.slot[123].tool.dia = 8;  // set again after the completion: the writer normalises
  return m;
}

TEST(ToolDataFile, MatchesTheStoredFile) {
  const TTOOL_HOLDER_tmp m = sample_magazine();
  const std::string text = make_TB_tool_data_text(m);
  EXPECT_EQ(text, read_file(data_file("tool_data_file.txt")));
  EXPECT_NE(text.find("\r\n%TB T=07 (VLM N7 \"φ8 フラット\" ) (VLM T7 A1B29C8D16E10F20G8) "
                      "(VLM H7 A49B72)\r\n"),
            std::string::npos);
  EXPECT_NE(text.find("\r\n%TB T=123 (VLM N123 \"R3 （仕上げ）\" ) (VLM T123 A2B29C6"),
            std::string::npos);
  EXPECT_EQ(text.find("%TB T=60 "), std::string::npos);
  EXPECT_EQ(text.find("%TB T=00 "), std::string::npos);
  // The writer works on copies.
  EXPECT_EQ(m.slot[123].tool.dia, 8.0f);
}

TEST(ToolDataFile, HeaderAloneWithoutSetTools) {
  TTOOL_HOLDER_tmp m;
  m.count = 3;
  const std::string text = make_TB_tool_data_text(m);
  const std::string stored = read_file(data_file("tool_data_file.txt"));
  const std::size_t first_tool = stored.find("\r\n%TB T=");
  ASSERT_NE(first_tool, std::string::npos);
  EXPECT_EQ(text, stored.substr(0, first_tool + 2));
  EXPECT_EQ(text.substr(0, 5), "\r\n;\r\n");
  EXPECT_EQ(text.substr(text.size() - 5), ";\r\n\r\n");
  // The colons of the two explanation lines stand in the 28th byte.
  for (const char* head : {"; %TB T=01 ", "; (VLM N01 "}) {
    const std::size_t at = text.find(head);
    ASSERT_NE(at, std::string::npos);
    EXPECT_EQ(text.substr(at + 26, 3), " : ") << head;
  }
}

// The NC program's table holds only the tools it changes to: the number is the slot's tool
// number, not its index.
TEST(ToolDataFile, NumberedByTheSlotsToolNumber) {
  TTOOL_HOLDER_tmp m;
  m.count = 3;
  const int numbers[] = {0, 2, 5};
  for (int k = 0; k < 3; ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    s.T_number = numbers[k];
    set_default_TOOL(s.tool);
    s.tool.T_number = numbers[k];
    s.tool.T_category = 1;
    set_default_HOLDER(s.holder);
    s.holder.H_number = numbers[k];
    s.tool_set = s.holder_set = 1;
  }
  const std::string text = make_TB_tool_data_text(m);
  for (const char* mark : {"\r\n%TB T=00 (VLM N0 ", "\r\n%TB T=02 (VLM N2 ", "\r\n%TB T=05 (VLM N5 "})
    EXPECT_NE(text.find(mark), std::string::npos) << mark;
  EXPECT_EQ(text.find("%TB T=01 (VLM"), std::string::npos);
}

TEST(ToolDataFile, FileNameFromTheNcFile) {
  EXPECT_EQ(TB_tool_data_file_name("/work/nc/PROG1.NC"), fs::path("PROG1.txt"));
  EXPECT_EQ(TB_tool_data_file_name("a.b.ncd"), fs::path("a.b.txt"));
  EXPECT_EQ(TB_tool_data_file_name("O1234"), fs::path("O1234.txt"));
  EXPECT_EQ(TB_tool_data_file_name(""), fs::path("no_name.txt"));
  EXPECT_EQ(TB_tool_data_file_name(".NC"), fs::path("no_name.txt"));
}

TEST(ToolDataFile, WrittenToTheDesktopWithItsPathInTheConfirmation) {
  TempDir dir;
  plat::set_desktop_folder(dir.path());
  plat::ScriptedMessageBoxes boxes;
  const TTOOL_HOLDER_tmp m = sample_magazine();
  testing_support::write_file(dir / "PROG1.txt", "old");

  ASSERT_TRUE(write_TB_tool_data(m, "/somewhere/else/PROG1.NC"));
  EXPECT_EQ(read_file(dir / "PROG1.txt"), make_TB_tool_data_text(m));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "TABULON 用工具データの保存");
  EXPECT_EQ(boxes.shown[0].text, "TABULON 用工具データファイル '" +
                                     plat::utf8_to_cp932((dir / "PROG1.txt").string()) +
                                     "' をデスクトップに保存しました");
  // Nothing but the file is left behind.
  int files = 0;
  for (const auto& e : fs::directory_iterator(dir.path())) {
    (void)e;
    ++files;
  }
  EXPECT_EQ(files, 1);

  ASSERT_TRUE(write_TB_tool_data(m, ""));
  EXPECT_TRUE(fs::exists(dir / "no_name.txt"));
}

TEST(ToolDataFile, FailedWriteShowsAnErrorAndNoConfirmation) {
  TempDir dir;
  plat::set_desktop_folder(dir / "missing");
  plat::ScriptedMessageBoxes boxes;
  RecordingDebLog log;
  EXPECT_FALSE(write_TB_tool_data(sample_magazine(), "PROG1.NC"));
  EXPECT_TRUE(log.contains("No such file"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("保存できませんでした"), std::string::npos);
  EXPECT_NE(boxes.shown[0].flags & plat::MB_ICONSTOP, 0u);
}

}  // namespace
