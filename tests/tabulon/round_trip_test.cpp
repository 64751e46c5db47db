// velmor writes a magazine as the companion's tool data file; tabulon reads it, converts an
// NC file and writes "_VLM.nst"; velmor reads that back into the same tools.
#include <gtest/gtest.h>

#include <memory>

#include "ncdata/ncd_data.h"
#include "platform/core/msgbox.h"
#include "simulation/tool_codes.h"
#include "simulation/tool_data_file.h"
#include "tabulon/core/ex_func_tabulon.h"
#include "tabulon/core/tb_text.h"
#include "tests/support/test_support.h"
#include "tests/tabulon/fake_view.h"

using testing_support::TempDir;
using testing_support::write_file;
namespace fs = std::filesystem;

TEST(TabulonRoundTrip, MagazineThroughToolDataAndCheckToolFile) {
  // slot k holds tool k; slot 0 is unset and gets no line
  TTOOL_HOLDER_tmp m;
  read_TOOL_comment_lines({"(VLM N0 \"\" )", "(VLM T0 A0)",
                           "(VLM N1 \"φ8 フラット\" )", "(VLM T1 A1B29C8D16E10F20G8)",
                           "(VLM H1 A49B72)",
                           "(VLM N2 \"ソース用 R3\" )", "(VLM T2 A2 H3 C8 D20 : ball)",
                           "(VLM H2 A49B40C11D5E30F10G8)",
                           "(VLM N3 \"表面 CR\" )", "(VLM T3 A3C10H1D25F40G12)",
                           "(VLM H3 A50B60)"},
                          m);
  ASSERT_EQ(m.count, 4);
  TempDir dir;
  fs::create_directories(dir / "chk");
  ASSERT_TRUE(save_TB_tool_data(m, dir / "mag.txt"));
  write_file(dir / "def.txt", "#TB M\r\n#EXT .NCD\r\n#TB-TOOL-DATA mag.txt\r\n#TB-END\r\n");
  write_file(dir / "0_TB_setup.txt", "#TB_FILES\r\ndef.txt\r\n");
  write_file(dir / "P.nc", "T3M6\r\nG0X1\r\nT1M6\r\nT02\r\nT0M6\r\n");

  FakeView view;
  plat::ScriptedMessageBoxes boxes;
  TTB_setup setup(view);
  setup.setup_folder = path_text(dir.path()) + "/";
  ASSERT_TRUE(setup.reload_TB_setup(setup.setup_folder + "0_TB_setup.txt"));
  view.fields[TB_field::D_vlm_chk_dir] = path_text(dir / "chk");
  view.fields[TB_field::D_ncd_output_dir] = path_text(dir.path());
  view.checks[TB_check::D_chk_vlm_exe] = true;
  fs::path check;
  ASSERT_TRUE(conv_NCD_file(setup, dir / "P.nc", "M", check));
  EXPECT_TRUE(view.logged(" T0000"));  // the unset slot has no data

  std::vector<std::string> lines;
  ASSERT_TRUE(tb_read_lines(dir / "chk" / "P_VLM.nst", lines, false));
  ASSERT_EQ(lines.size(), 9u);
  EXPECT_EQ(lines[3], "(VLM N2 \"ソース用 R3\" )");
  TTOOL_HOLDER_tmp back;
  read_TOOL_comment_lines(lines, back);
  ASSERT_EQ(back.count, 3);
  for (int k = 0; k < 3; ++k) {
    const auto& a = m.slot[static_cast<std::size_t>(k + 1)];
    const auto& b = back.slot[static_cast<std::size_t>(k)];
    EXPECT_EQ(b.T_number, k + 1);
    EXPECT_EQ(b.tool.name, a.tool.name);
    EXPECT_EQ(b.tool.T_category, a.tool.T_category);
    EXPECT_EQ(b.tool.name_line, a.tool.name_line);
    EXPECT_EQ(b.tool.tool_line, a.tool.tool_line);
    EXPECT_EQ(b.holder.holder_line, a.holder.holder_line);
  }
  EXPECT_EQ(back.slot[1].holder.h2_tapered, 1);
  EXPECT_TRUE(boxes.shown.empty());
}

// The check file names its source in a comment that velmor reads back: a name with
// parentheses or quotes is read whole (velmor's comments end at the first ")").
TEST(TabulonRoundTrip, TheSourceNameOfTheCheckFileIsReadBackWhole) {
  struct Case {
    const char8_t* file;
    std::string read;  // what velmor reads as the source name (CP932, upper-cased as loaded)
  };
  const Case cases[] = {
      {u8"P(1).nc", "P（1）.NC"},
      {u8"(表).nc", "（表）.NC"},
      {u8"a\"b\".nc", "A”B”.NC"},
      {u8"ソース.nc", "ソース.NC"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(reinterpret_cast<const char*>(c.file));
    TempDir dir;
    fs::create_directories(dir / "chk");
    write_file(dir / "def.txt", "#TB M\r\n#EXT .NCD\r\n#TB-END\r\n");
    write_file(dir / "0_TB_setup.txt", "#TB_FILES\r\ndef.txt\r\n");
    const fs::path src = dir.path() / fs::path(c.file);
    write_file(src, "G0X1.\r\n");
    FakeView view;
    plat::ScriptedMessageBoxes boxes;
    TTB_setup setup(view);
    setup.setup_folder = path_text(dir.path()) + "/";
    ASSERT_TRUE(setup.reload_TB_setup(setup.setup_folder + "0_TB_setup.txt"));
    view.fields[TB_field::D_vlm_chk_dir] = path_text(dir / "chk");
    view.fields[TB_field::D_ncd_output_dir] = path_text(dir.path());
    view.checks[TB_check::D_chk_vlm_exe] = true;
    fs::path check;
    ASSERT_TRUE(conv_NCD_file(setup, src, "M", check));
    std::string bytes;
    ASSERT_TRUE(read_file_bytes(check, bytes));
    auto d = std::make_unique<NCD_DATA>(NCD_CAPACITY{});
    Create_NCD(*d);
    Append_NCD_text(*d, bytes.data(), bytes.size(), true);
    for (int i = 0; i < d->line_count; ++i) Parse_NCD_line(*d, i);
    EXPECT_TRUE(d->comments.source_given);
    EXPECT_EQ(d->comments.source_name, c.read);
  }
}
