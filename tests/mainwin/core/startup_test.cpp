#include <gtest/gtest.h>

#include <sys/stat.h>

#include "common/text_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "tabulon/core/tb_setup.h"
#include "tests/support/test_support.h"
#include "tests/tabulon/fake_view.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::TempDir;

namespace {

struct StartFixture {
  TempDir prog, desk;
  TSession s;
  StartFixture() { init_session(s, prog.path(), desk.path()); }
};

}  // namespace

TEST(Startup, AnEmptyFolderGetsTheDefaultFilesOnce) {
  StartFixture f;
  write_default_files(f.s);
  struct Want {
    fs::path rel;
    std::size_t size;
    std::string first_line;
  };
  const Want files[] = {
      {fs::path("confignc") / "Velmor.DAT", 43, "***_environment_data"},
      {fs::path("confignc") / "def_work_size.txt", 568, ";"},
      {fs::path("confignc") / "def_tool.nst", 72, "(VLM N0 \" R3 ボール\" )"},
      {fs::path(u8"0_TB_datas") / u8"test-2 用.txt", 1230, "#TB test-2 用 ; 識別名"},
      {"0_TB_setup.txt", 85, "; TABULON で読み込む定義ファイルのリスト"},
      {"tabulon.ini", 258, "[TB_option]"},
  };
  for (const Want& w : files) {
    const fs::path p = f.prog.path() / w.rel;
    const std::string bytes = read_file(p);
    EXPECT_EQ(bytes.size(), w.size) << w.rel;
    EXPECT_EQ(bytes.substr(0, bytes.find("\r\n")), w.first_line) << w.rel;
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n") << w.rel;
  }
  EXPECT_NE(read_file(f.prog.path() / "tabulon.ini").find("D_combo_TB_text= test-2 用\r\n"),
            std::string::npos);
  EXPECT_NE(read_file(f.prog.path() / "confignc/def_tool.nst")
                .find("(VLM T0 A2B29C6D16E10F40G8H3)\r\n(VLM H0 A49B72)\r\n"),
            std::string::npos);
  struct stat st{};
  ASSERT_EQ(::stat((f.prog.path() / "confignc/Velmor.DAT").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);

  // A second start leaves edited files alone.
  for (const Want& w : files) {
    const fs::path p = f.prog.path() / w.rel;
    fs::permissions(p, fs::perms::owner_write, fs::perm_options::add);
    testing_support::write_file(p, "edited\r\n");
  }
  StartFixture again;
  init_session(again.s, f.prog.path(), f.desk.path());
  write_default_files(again.s);
  for (const Want& w : files) EXPECT_EQ(read_file(f.prog.path() / w.rel), "edited\r\n") << w.rel;
}

TEST(Startup, TheCompanionFindsItsDefinitionInTheFreshFolder) {
  StartFixture f;
  write_default_files(f.s);
  FakeView view;
  plat::ScriptedMessageBoxes boxes;
  TTB_setup setup{view};
  setup.setup_folder = plat::utf8_to_cp932(f.prog.path().string()) + "/";
  ASSERT_TRUE(setup.get_TB_file_list(plat::utf8_to_cp932((f.prog.path() / "0_TB_setup.txt").string())));
  const bool read = setup.get_TB_data();

  ASSERT_TRUE(read);
  ASSERT_EQ(setup.tb_data.size(), 1u);
  EXPECT_EQ(setup.tb_data[0].name, "test-2 用");
  EXPECT_EQ(setup.tb_data[0].ext, ".NCD");
  EXPECT_EQ(setup.tb_data[0].pre_conv.size(), 7u);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(Startup, TheLogHeaderAndTheExceptionTrap) {
  StartFixture f;
  ASSERT_EQ(f.s.log_header_count, 5);
  EXPECT_EQ(f.s.log_list[0], "Velmor_PRO Version 2.14  内部動作情報");
  EXPECT_EQ(f.s.log_list[4].rfind("OS version : Linux", 0), 0u);
  f.s.disp.SAVING_ERR_DATA = 1;
  plat::ScriptedMessageBoxes boxes;
  boxes.answer(plat::IDOK);
  boxes.answer(plat::IDOK);  // go on
  EXPECT_FALSE(on_app_exception(f.s, "std::runtime_error: first\nsecond line"));
  ASSERT_EQ(boxes.shown.size(), 2u);
  EXPECT_EQ(boxes.shown[0].text, "std::runtime_error: first\nsecond line");
  EXPECT_EQ(boxes.shown[1].caption, "VLM 例外エラー発生");
  EXPECT_EQ(boxes.shown[1].text, "OKで続行 , CANSELで強制終了");
  std::string log = read_file(f.s.log_path);
  EXPECT_NE(log.find("【 例外エラー発生時刻 : "), std::string::npos);
  EXPECT_NE(log.find("std::runtime_error: first\r\nsecond line\r\n続行を選択\r\n\r\n"),
            std::string::npos);

  boxes.answer(plat::IDOK);
  boxes.answer(plat::IDCANCEL);  // end the program
  EXPECT_TRUE(on_app_exception(f.s, "second"));
  EXPECT_NE(read_file(f.s.log_path).find("second\r\n強制終了を選択\r\n"), std::string::npos);
  // Later exceptions are logged without a box; the system-error box is no longer shown.
  EXPECT_TRUE(on_app_exception(f.s, "third"));
  EXPECT_FALSE(show_system_err(f.s, "x"));
  EXPECT_EQ(boxes.shown.size(), 4u);
  EXPECT_NE(read_file(f.s.log_path).find("third\r\n"), std::string::npos);

  // A long text is cut at 2000 bytes on a character.
  StartFixture g;
  plat::ScriptedMessageBoxes more;
  std::string big = "x";
  for (int i = 0; i < 1200; ++i) big += "あ";
  on_app_exception(g.s, big);
  EXPECT_EQ(more.shown[0].text.size(), 1999u);
}

TEST(Startup, WithSavingOffNoLogFileIsWritten) {
  StartFixture f;
  plat::ScriptedMessageBoxes boxes;
  f.s.debug_list.push_back("異常 : (close_1 , ID= 0 , ERR )");
  on_app_exception(f.s, "boom");
  finish_log_list(f.s);
  EXPECT_FALSE(fs::exists(f.s.log_path));

  f.s.disp.SAVING_ERR_DATA = 1;
  finish_log_list(f.s);
  const std::string log = read_file(f.s.log_path);
  EXPECT_NE(log.find("\r\n【 debug 情報 】\r\n\r\n異常 : (close_1 , ID= 0 , ERR )\r\n\r\n\r\n【 VLM 終了時刻  : "),
            std::string::npos);
}

TEST(Startup, SystemErrorBoxAbortEndsTheProgram) {
  StartFixture f;
  plat::ScriptedMessageBoxes boxes;
  boxes.answer(plat::IDRETRY);
  boxes.answer(plat::IDABORT);
  EXPECT_FALSE(show_system_err(f.s, "a"));
  EXPECT_TRUE(show_system_err(f.s, "b"));
  EXPECT_EQ(boxes.shown[1].caption, "VLM SYSTEM ERR");
  EXPECT_EQ(boxes.shown[1].flags & 0xF, unsigned(plat::MB_ABORTRETRYIGNORE));
}
