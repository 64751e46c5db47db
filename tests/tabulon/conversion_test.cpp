#include "tabulon/core/ex_func_tabulon.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "tabulon/core/tb_text.h"
#include "tests/support/test_support.h"
#include "tests/tabulon/fake_view.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
namespace fs = std::filesystem;

namespace {

// The sample definition that velmor writes for tabulon.
const char* const kSampleDefinition =
    "#TB test-2 用 ; 識別名\r\n"
    ";#TB-ADD-NCD OKK特殊運用 sub pro.txt ; サブプロ等のNCデータファイル\r\n"
    "\r\n"
    "#EXT .NCD ; 出力 NCデータ 拡張子\r\n"
    "\r\n"
    "; ＮＣコード変換指定部分には コメント は付けられません。\r\n"
    "; ( 現在複数行指定には対応していません )\r\n"
    "\r\n"
    "%PRE-CONV = s/^\\/\\*\\s+T-NO.(\\d+)\\s+(.+?)\\s+\\*\\/$/T$1M6 ( $2 )/\r\n"
    ";*********************************\r\n"
    "; /* T-NO.1 BALL-R3 */\r\n"
    "; → T1M6 ( BALL-R3 )\r\n"
    ";*********************************\r\n"
    "\r\n"
    "%PRE-CONV = s/^\\/\\*.*?(O\\d+).*$/(---- $1 ----)/\r\n"
    "\r\n"
    "%PRE-CONV = s/^\\/\\*.*$//\r\n"
    "%PRE-CONV = s/^G65.*$//\r\n"
    "%PRE-CONV = s/\\/M99//\r\n"
    "%PRE-CONV = s/M30/M99/\r\n"
    "%PRE-CONV = s/([^M]*)M98P(\\d\\d\\d\\d)(\\d\\d\\d\\d)(.*)$/$1M98P$2L$3$4/\r\n"
    "\r\n"
    ";#TB-TOOL-DATA OKK特殊運用 マガジンデータ.txt ; マガジンデータ.txt\r\n"
    "\r\n"
    "#TB-END ; TB 個別設定ここで終了\r\n"
    "\r\n"
    "%TB T=01 (VLM N34 \"φ12 フラットＥＭ\" )(VLM T34 A1 B45 C12 D35 E10 F50 G16 )(VLM H34 A49B72)\r\n"
    "%TB T=02 (VLM N2 \"BALL-R5\"   ) (VLM T2 A2 H5.0 C10 B20 D30 E10 F40 G12 ) (VLM H2 A49B72)\r\n"
    "%TB T=03 (VLM N3 \"BALL-R3\"   ) (VLM T3 A2 H3.0 C 6 B32 D30 E10 F40 G 8 ) (VLM H3 A49B72)\r\n"
    "%TB T=04 (VLM N34 \"φ2 フラットＥＭ\" )(VLM T34 A1 B31 C2 D35 E10 F50 G16 )(VLM H34 A49B72)\r\n"
    "%TB T=05 (VLM N5 \"BALL-R1.5\" ) (VLM T5 A2 H1.5 C 3 B35 D30 E10 F40 G 8 ) (VLM H5 A49B72)\r\n"
    "\r\n"
    "; ↑ H? がボールＲ 指定部分\r\n"
    "\r\n";

const char* const kSource =
    "%\r\n"
    "O1234(MAIN)\r\n"
    "/* T-NO.1 BALL-R3 */\r\n"
    "G90G00X0Y0\r\n"
    "T03M6\r\n"
    "G01X10.(ROUGH)Y5.%\r\n"
    "(ONLY COMMENT)\r\n"
    "M98P00120034\r\n"
    "T7M6\r\n"
    "G65P9000\r\n"
    "M30\r\n"
    "%";  // no line end after the last line

TEST(ConvNcLine, SplitsCommentsAndCollectsTools) {
  struct Case {
    const char* line;
    const char* out;  // nullptr: dropped
  } cases[] = {
      {"G01X10.(ROUGH)Y5.%", "G01X10.Y5.(ROUGH)"},
      {"(ONLY A COMMENT)", nullptr},
      {"%", nullptr},
      {"", nullptr},
      {"(A)G0(B)X1", "G0X1(B)"},  // only the last comment survives
      {"G01(open", "G01(open"},
      {"T3M6", "T3M6"},
      {"G00T03", "G00T03"},
      {"T99999999999", "T99999999999"},  // the line stays, the number is skipped
      {"G1X表T5(工具)", "G1X表T5(工具)"},
  };
  Tex_func ex;
  TBRegExp re;
  FakeView view;
  for (const auto& c : cases) {
    const std::size_t before = ex.conv_lines.size();
    ex.conv_NC_line(c.line, re, &view);
    if (c.out) {
      ASSERT_EQ(ex.conv_lines.size(), before + 1) << c.line;
      EXPECT_EQ(ex.conv_lines.back(), c.out);
    } else {
      EXPECT_EQ(ex.conv_lines.size(), before) << c.line;
    }
  }
  EXPECT_EQ(ex.tool_numbers, (std::vector<std::int32_t>{3, 5}));
  EXPECT_EQ(view.trace.size(), 1u);
  EXPECT_EQ(tool_number_text(3), "0003");
  EXPECT_EQ(tool_number_text(12345), "12345");

  // the definition's substitutions: PRE-CONV on the line, CODE-CONV on the code only
  Tex_func conv;
  conv.pre_conv = {"s/^\\/\\*\\s+T-NO.(\\d+)\\s+(.+?)\\s+\\*\\/$/T$1M6 ( $2 )/"};
  conv.code_conv = {"s/G0?1/G1/", "s/^M0?1$//", "s/\\(//"};
  const char* lines[] = {"/* T-NO.12 BALL-R3 */", "G01X1.(G01)", "M01(STOP)", "M1"};
  for (const char* l : lines) conv.conv_NC_line(l, re);
  EXPECT_EQ(conv.conv_lines, (std::vector<std::string>{"T12M6 ( BALL-R3 )", "G1X1.(G01)"}));
  EXPECT_EQ(conv.tool_numbers, (std::vector<std::int32_t>{12}));
}

class ConversionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root = path_text(dir.path()) + "/";
    fs::create_directories(dir / "0_TB_datas");
    fs::create_directories(dir / "out");
    fs::create_directories(dir / "chk");
    fs::create_directories(dir / "desk");
    plat::set_desktop_folder(dir / "desk");
    write_file(dir / "0_TB_setup.txt",
               "; TABULON で読み込む定義ファイルのリスト\r\n\r\n#TB_FILES\r\n"
               ".\\0_TB_datas\\test-2 用.txt\r\n\r\n");
    write_definition(kSampleDefinition);
    write_file(dir / "SAMPLE.nc", kSource);
    setup.setup_folder = root;
    view.fields[TB_field::D_ncd_output_dir] = root + "out";
    view.fields[TB_field::D_vlm_chk_dir] = root + "chk/";
    view.fields[TB_field::D_START_X] = " 0";
    view.fields[TB_field::D_START_Y] = "0 ";
    view.fields[TB_field::D_START_Z] = "100.";
    view.checks[TB_check::chk_Onum_NCD_SAVE] = true;
    view.checks[TB_check::D_chk_vlm_exe] = true;
  }
  void write_definition(const std::string& text) {
    write_file(native_path(root + "0_TB_datas/test-2 用.txt"), text);
  }
  bool load() { return setup.reload_TB_setup(root + "0_TB_setup.txt"); }
  bool convert(const fs::path& source, const std::string& name = " test-2 用 ") {
    return conv_NCD_file(setup, source, name, check);
  }
  std::vector<std::string> files(const char* sub) {
    std::vector<std::string> out;
    for (auto& e : fs::directory_iterator(dir / sub)) out.push_back(e.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
  }

  TempDir dir;
  std::string root;
  FakeView view;
  plat::ScriptedMessageBoxes boxes;
  TTB_setup setup{view};
  fs::path check;
};

TEST_F(ConversionTest, WritesTheCheckFilesAndTheCopy) {
  ASSERT_TRUE(load());
  ASSERT_TRUE(convert(dir / "SAMPLE.nc")) << (view.errors().empty() ? "" : view.errors()[0]);
  EXPECT_TRUE(view.errors().empty());
  EXPECT_EQ(check, dir / "chk" / "SAMPLE_VLM.NCD");
  EXPECT_EQ(read_file(dir / "chk" / "SAMPLE_VLM.NCD"),
            "%\r\n"
            "(VLM ORIGN X0Y0Z100.)\r\n"
            "(VLM SOURCE \"SAMPLE.nc\")\r\n"
            "(VLM OUTPUT \"O1234.NCD\")\r\n"
            "O1234(MAIN)\r\n"
            "T1M6 ( BALL-R3 )\r\n"
            "G90G00X0Y0\r\n"
            "T03M6\r\n"
            "G01X10.Y5.(ROUGH)\r\n"
            "M98P0012L0034\r\n"
            "T7M6\r\n"
            "M99\r\n"
            "%\r\n");
  EXPECT_EQ(read_file(dir / "chk" / "SAMPLE_VLM.nst"),
            "(VLM N1 \"φ12 フラットＥＭ\" )\r\n"
            "(VLM T1 A1 B45 C12 D35 E10 F50 G16 )\r\n"
            "(VLM H1 A49B72)\r\n"
            "(VLM N3 \"BALL-R3\"   )\r\n"
            "(VLM T3 A2 H3.0 C 6 B32 D30 E10 F40 G 8 )\r\n"
            "(VLM H3 A49B72)\r\n");
  EXPECT_EQ(read_file(dir / "out" / "O1234.NCD"), kSource);
  EXPECT_EQ(view.fields[TB_field::D_O_num], "O1234");
  EXPECT_EQ(view.caption_, "Tabulon Version 1.01 ");
  EXPECT_TRUE(view.logged("オリジナルコピーのNCデータ名     : O1234.NCD"));
  EXPECT_TRUE(view.logged("工具パスチェック用のNCデータ名   : SAMPLE_VLM.NCD"));
  EXPECT_TRUE(view.logged(" T01 \"φ12 フラットＥＭ\"  , A1 B45 C12 D35 E10 F50 G16  , A49B72              "));
  EXPECT_TRUE(view.logged(" T0007"));
  EXPECT_TRUE(view.logged(" " + root + "out/O1234.NCD へコピーしました。"));
  EXPECT_TRUE(view.logged(" " + root + "chk/SAMPLE_VLM.NCD を出力しました。"));
  EXPECT_EQ(view.log.back().text, "処理は終了しました。");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_EQ(files("chk"), (std::vector<std::string>{"SAMPLE_VLM.NCD", "SAMPLE_VLM.nst"}));
}

TEST_F(ConversionTest, SwitchesNamesAndFolders) {
  ASSERT_TRUE(load());
  // without an O-number the copy is named after the source; the desktop stands in for
  // empty folders; without the check output nothing goes to velmor
  write_file(dir / "P 1.nc", "G0X1\r\nT2M6\r\n");
  view.fields[TB_field::D_ncd_output_dir] = "";
  view.checks[TB_check::D_chk_vlm_exe] = false;
  ASSERT_TRUE(convert(dir / "P 1.nc"));
  EXPECT_EQ(read_file(dir / "desk" / "P 1.NCD"), "G0X1\r\nT2M6\r\n");
  EXPECT_TRUE(check.empty());
  EXPECT_TRUE(files("chk").empty());

  // an empty name takes the combo text; "#TB-O-NUM" names the copy
  write_definition(std::string("#TB M\r\n#EXT .MIN\r\n#TB-O-NUM O9\r\n#TB-END\r\n"));
  ASSERT_TRUE(load());
  view.combo = " M ";
  view.checks[TB_check::D_chk_vlm_exe] = true;
  view.checks[TB_check::chk_Onum_NCD_SAVE] = false;
  ASSERT_TRUE(convert(dir / "SAMPLE.nc", ""));
  EXPECT_EQ(files("desk"), (std::vector<std::string>{"P 1.NCD"}));
  const std::string chk = read_file(dir / "chk" / "SAMPLE_VLM.NCD");
  EXPECT_EQ(chk.find("(VLM OUTPUT"), std::string::npos);
  EXPECT_EQ(view.fields[TB_field::D_O_num], "O9");
  EXPECT_EQ(files("chk"), (std::vector<std::string>{"SAMPLE_VLM.NCD"}));  // no tool data

  // a source name with a double quote and a character CP932 lacks
  write_file(dir.path() / fs::path(u8"a\"\u00e9.nc"), "G0\r\n");
  ASSERT_TRUE(convert(dir.path() / fs::path(u8"a\"\u00e9.nc"), "M"));
  EXPECT_NE(read_file(dir / "chk" / fs::path(u8"a\"\u00e9_VLM.NCD")).find("(VLM SOURCE \"a”?.nc\")"),
            std::string::npos);
}

TEST_F(ConversionTest, EscapeAtLineThousandWritesNothing) {
  ASSERT_TRUE(load());
  std::string big;
  for (int i = 0; i < 2500; ++i) big += "G01X" + std::to_string(i) + "\r\nT" + std::to_string(i % 7) + "\r\n";
  write_file(dir / "BIG.nc", big);
  plat::ScriptedInput input;
  input.escape_after(3);  // the clearing read, line 0, line 1000
  EXPECT_FALSE(convert(dir / "BIG.nc"));
  EXPECT_EQ(view.caption_, "中断しました");
  EXPECT_EQ(view.captions.end()[-2], "読込 : BIG.nc ( 1000 / 5000 ) ESC キーで中断します");
  EXPECT_TRUE(files("out").empty());
  EXPECT_TRUE(files("chk").empty());
  EXPECT_TRUE(check.empty());
}

TEST_F(ConversionTest, StaleToolFileIsRemoved) {
  ASSERT_TRUE(load());
  write_file(dir / "chk" / "N_VLM.nst", "(VLM N1 \"old\" )\r\n");
  write_file(dir / "N.nc", "T9M6\r\n");
  ASSERT_TRUE(convert(dir / "N.nc"));
  EXPECT_EQ(files("chk"), (std::vector<std::string>{"N_VLM.NCD"}));
  EXPECT_TRUE(view.logged(" T0009"));
}

// Where velmor's loader stops, as tabulon sees it.
TEST(TabulonText, AControlByteIsFoundWhereVelmorWouldStop) {
  struct Case {
    std::string bytes;
    std::size_t at;
    int line;
  };
  const std::size_t none = std::string::npos;
  const Case cases[] = {
      {"G01\tX1.\r\nM30\r\n", none, 0},
      {"M30\r\n\x1A", none, 0},           // an end-of-file byte
      {"M30\x1A\x1A\r\n", none, 0},
      {"A\x1A" "B", 1, 1},
      {std::string("A\rB\r\nC\n") + '\0' + "D", 7, 4},  // CR, CR LF and LF end lines
      {"A\x12\r\n", 1, 1},                // the byte itself is lost
      {"\x83\x5C\r\n\x1B", 4, 2},       // a trail byte 0x5C is no control byte
  };
  for (const Case& c : cases) {
    int line = 0;
    EXPECT_EQ(tb_control_byte(c.bytes, line), c.at) << c.bytes;
    if (c.at != none) EXPECT_EQ(line, c.line) << c.bytes;
  }
}

TEST_F(ConversionTest, FailuresWriteNothing) {
  // Files velmor would read only up to a control byte: one in line 3, a file of random bytes,
  // an added file with one; end-of-file bytes and a TAB are no such byte.
  write_file(dir / "CTRL.nc", "%\r\nO1(X)\r\nG01X1.\x12Y2.\r\nT1M6\r\n%\r\n");
  write_file(dir / "0_TB_datas" / "ctrl sub.nc", "M98P1\r\n\x7F\x01\r\n");
  std::string noise;
  std::uint32_t x = 12345;
  for (int i = 0; i < 4096; ++i) {
    x = x * 1103515245u + 12345u;
    noise += static_cast<char>((x >> 16) & 0xFF);
  }
  write_file(dir / "RAND.nc", noise);
  struct Case {
    const char* definition;
    const char* source;
    const char* out_dir;
    std::string error;
  } cases[] = {
      {"#TB test-2 用\r\n%PRE-CONV = s/(a/b/\r\n#TB-END\r\n", "SAMPLE.nc", "out",
       " ERR : 正規表現が不正です : s/(a/b/"},
      {"#TB test-2 用\r\n%CODE-CONV = s/a/b/q\r\n%CODE-CONV = s/[/x/\r\n#TB-END\r\n",
       "SAMPLE.nc", "out", " ERR : 正規表現が不正です : s/[/x/"},
      {"#TB test-2 用\r\n#TB-TOOL-DATA none.txt\r\n#TB-END\r\n", "SAMPLE.nc", "out",
       " ERR : " + root + "./0_TB_datas/none.txt\r\n を読み込めませんでした"},
      {"#TB test-2 用\r\n#TB-ADD-NCD sub.nc\r\n#TB-END\r\n", "SAMPLE.nc", "out",
       " ERR : " + root + "./0_TB_datas/sub.nc\r\n を読み込めませんでした"},
      {kSampleDefinition, "NONE.nc", "out", " ERR : " + root + "NONE.nc\r\n を読み込めませんでした"},
      {kSampleDefinition, "SAMPLE.nc", "gone", " ERR : " + root + "gone\r\n のフォルダがありませんでした"},
      {"#TB other\r\n#TB-END\r\n", "SAMPLE.nc", "out", " ERR : 変換設定 test-2 用 が見つかりませんでした"},
      {kSampleDefinition, "CTRL.nc", "out", "CTRL.nc の 3 行目に制御コード (0x12) があります。"},
      {kSampleDefinition, "RAND.nc", "out", "RAND.nc の "},
      {"#TB test-2 用\r\n#TB-ADD-NCD ctrl sub.nc\r\n#TB-END\r\n", "SAMPLE.nc", "out",
       "ctrl sub.nc の 2 行目に制御コード (0x01) があります。"},
  };
  for (const auto& c : cases) {
    write_definition(c.definition);
    ASSERT_TRUE(load());
    view.log.clear();
    view.fields[TB_field::D_ncd_output_dir] = root + c.out_dir;
    EXPECT_FALSE(convert(dir / c.source)) << c.error;
    const auto errors = view.errors();
    ASSERT_EQ(errors.size(), 1u) << c.error;
    EXPECT_EQ(errors[0].substr(0, c.error.size()), c.error);
    EXPECT_TRUE(errors[0].find("ERR") != std::string::npos ||
                errors[0].find("行目に制御コード (0x") != std::string::npos)
        << errors[0];
    EXPECT_TRUE(files("out").empty());
    EXPECT_TRUE(files("chk").empty());
    EXPECT_EQ(view.caption_, "Tabulon Version 1.01 ");
  }
  EXPECT_TRUE(view.traced(" 警告 : 正規表現のフラグ 'q' は無視します : s/a/b/q"));
  // the tool-data file that cannot be read has its box
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].caption, "Read Error");

  // a copy onto the dropped file itself is refused
  write_definition(kSampleDefinition);
  ASSERT_TRUE(load());
  write_file(dir / "out" / "O1234.NCD", kSource);
  view.log.clear();
  EXPECT_FALSE(convert(dir / "out" / "O1234.NCD"));
  EXPECT_EQ(view.errors().size(), 1u);
  EXPECT_EQ(read_file(dir / "out" / "O1234.NCD"), kSource);
  EXPECT_TRUE(files("chk").empty());
}

}  // namespace
