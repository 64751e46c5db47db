#include <gtest/gtest.h>

#include <deque>

#include "tests/support/fake_ui.h"
#include "common/debug_log.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::read_file;
using testing_support::write_file;

namespace {

struct RecordingUi : TVLM_fake_ui {
  void commit_listing() override { calls.push_back("commit"); }
  void close_window() override { calls.push_back("close"); }
  std::vector<std::string> calls;
};

// Answers each dialog from a queue: the file (empty: Cancel) and the choice (0: as shown).
struct ScriptedChooser : TVLM_file_chooser {
  struct Answer {
    fs::path file;
    int choice = 0;
  };
  bool choose(TVLM_file_request& r) override {
    shown.push_back(r);
    if (answers.empty()) return false;
    Answer a = answers.front();
    answers.pop_front();
    if (a.choice) r.choice = a.choice;
    r.chosen = a.file;
    r.file_name = a.file.filename().string();
    r.sel.left = 2000;  // moved by the user
    return !a.file.empty();
  }
  std::deque<Answer> answers;
  std::vector<TVLM_file_request> shown;
};

struct CommandFixture {
  CommandFixture() : host(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
    register_file_commands(table, s, ui, chooser);
  }
  testing_support::TempDir dir;
  TSession s;
  RecordingUi ui;
  TVLM_host host;
  ScriptedChooser chooser;
  TVLM_command_table table;
  plat::ScriptedMessageBoxes boxes;
};

}  // namespace

TEST(Commands, TheClickHandlerCommitsTheListingAndRefusesWhileBusy) {
  CommandFixture f;
  for (int tag : {2, 3, 4, 5, 14, 15, 99}) EXPECT_TRUE(f.table.has(tag)) << tag;
  EXPECT_FALSE(open1Click(f.ui, f.table, 6));  // a Tag without a command
  EXPECT_EQ(f.ui.calls, std::vector<std::string>{"commit"});
  {
    plat::BusyGuard busy;
    EXPECT_FALSE(open1Click(f.ui, f.table, 99));
  }
  EXPECT_EQ(f.ui.calls.size(), 1u);
  EXPECT_TRUE(open1Click(f.ui, f.table, 99));
  EXPECT_EQ(f.ui.calls, (std::vector<std::string>{"commit", "commit", "close"}));
}

TEST(Commands, OpenInsertAndSaveRememberTheirChoices) {
  CommandFixture f;
  write_file(f.dir / "A.NC", "O1\r\nG0X1\r\nM30\r\n");
  write_file(f.dir / "S.NC", "G0X9\r\n");
  f.chooser.answers = {{f.dir / "A.NC"}};
  ASSERT_TRUE(open1Click(f.ui, f.table, 2));
  EXPECT_EQ(f.chooser.shown.back().caption, "NC data のオープン");
  EXPECT_EQ(f.s.nc().line_count, 3);
  EXPECT_EQ(f.s.env.read_env_str("f_sel_LAST_FILE", ""), "A.NC");
  EXPECT_EQ(f.s.env.read_env_int("f_sel_Form_left", 0), 2000);

  // Insert at the cursor is remembered, but Tag 15 always appends.
  f.chooser.answers = {{f.dir / "S.NC", 1}};
  ASSERT_TRUE(open1Click(f.ui, f.table, 3));
  EXPECT_EQ(f.s.env.read_env_int("f_sel_INSEART", 0), 1);
  const int lines = f.s.nc().line_count;
  f.chooser.answers = {{f.dir / "S.NC"}};
  ASSERT_TRUE(open1Click(f.ui, f.table, 15));
  const TVLM_file_request& r15 = f.chooser.shown.back();
  EXPECT_EQ(r15.choice, 2);
  EXPECT_FALSE(r15.choice_1_shown);
  EXPECT_EQ(std::string(get_NCD_line_view(f.s.nc(), f.s.nc().line_count - 1)), "(VLM I EN S.NC)");
  EXPECT_EQ(f.s.nc().line_count, lines + 3);
  EXPECT_EQ(f.s.env.read_env_int("f_sel_INSEART", 0), 2);

  // Save with LF: stored, and the next save dialog shows LF; Save as offers a free name.
  f.chooser.answers = {{f.dir / "A.NC", 2}};
  ASSERT_TRUE(open1Click(f.ui, f.table, 4));
  EXPECT_EQ(f.chooser.shown.back().file_name, "A.NC");
  EXPECT_EQ(f.chooser.shown.back().ok_text, "保存");
  EXPECT_EQ(f.s.env.read_env_int("f_sel_CRLF", 0), 2);
  EXPECT_EQ(read_file(f.dir / "A.NC").substr(0, 19), "(VLM I ST S.NC)\nG0X");  // inserted before O1
  f.chooser.answers = {{}};  // cancelled
  ASSERT_TRUE(open1Click(f.ui, f.table, 5));
  EXPECT_EQ(f.chooser.shown.back().choice, 2);
  EXPECT_EQ(f.chooser.shown.back().file_name, "A-01.NC");
  EXPECT_FALSE(fs::exists(f.dir / "A-01.NC"));

  RecordingDebLog log;
  EXPECT_TRUE(open_FILE(f.s, f.chooser, 7).empty());
  EXPECT_TRUE(log.contains("open_FILE で mode=7 が指定されました。"));
}

TEST(Commands, ToolFileModesRestoreTheFolderAndKeepTheirOwnState) {
  CommandFixture f;
  const fs::path here = f.dir / "work";
  fs::create_directory(here);
  fs::current_path(here);
  f.s.env.read_env_str("f_sel_filter", "");
  f.s.env.write_env_str("f_sel_filter", "*.NC");
  for (int mode : {28, 29, 30}) {
    SCOPED_TRACE(mode);
    f.s.env.read_env_int("f_sel_Form_width", 0);
    f.chooser.answers = {{mode == 30 ? fs::path() : fs::path("MAG.nst")}};
    const fs::path p = open_FILE(f.s, f.chooser, mode);
    const TVLM_file_request& r = f.chooser.shown.back();
    EXPECT_EQ(r.folder, f.s.config_folder);
    EXPECT_EQ(r.filter, "*.nst");
    EXPECT_FALSE(r.filter_enabled);
    EXPECT_EQ(fs::current_path(), here);
    // The tool-file modes keep only the window's corner; the filter stays the NC files'.
    EXPECT_EQ(f.s.env.read_env_str("f_sel_filter", ""), "*.NC");
    EXPECT_EQ(f.s.env.read_env_int("f_sel_Form_left", 0), 2000);
    if (mode != 30) {
      EXPECT_EQ(p, f.s.config_folder / "MAG.nst");
      EXPECT_EQ(f.s.env.read_env_str("f_sel_NST_LAST_FILE", ""), "MAG.nst");
    }
  }
  EXPECT_EQ(f.chooser.shown[1].file_name, "MAG.nst");  // mode 29 offers the last tool file
  EXPECT_EQ(f.chooser.shown[2].file_name, "");          // mode 30 none
  fs::current_path(fs::temp_directory_path());
}

TEST(Commands, SaveGoesToTheProgramsFolderAndAMissingFolderKeepsTheOldFile) {
  CommandFixture f;
  const fs::path other = f.dir / "other";
  fs::create_directory(other);
  write_file(f.dir / "A.NC", "O1\r\nG0X1\r\nM30\r\n");
  f.chooser.answers = {{f.dir / "A.NC"}};
  ASSERT_TRUE(open1Click(f.ui, f.table, 2));
  fs::current_path(other);  // as an insert from another folder would leave it
  f.chooser.answers = {{fs::path()}};
  open1Click(f.ui, f.table, 4);
  EXPECT_EQ(f.chooser.shown.back().folder, f.dir.path());
  // Save as a new name: bytes, line end and the tool file beside it.
  f.s.tool_defs = {"(VLM N1 X)", "(VLM T1 Y)", "(VLM H1 Z)"};
  f.chooser.answers = {{f.dir / "B.NC", 2}};
  ASSERT_TRUE(open1Click(f.ui, f.table, 5));
  EXPECT_EQ(read_file(f.dir / "B.NC"), "O1\nG0X1\nM30\n");
  EXPECT_TRUE(fs::exists(f.dir / "B.nst"));
  EXPECT_EQ(f.s.file.path, f.dir / "B.NC");
  EXPECT_EQ(f.s.nc().file_name, "B.NC");
  // The next save offers LF.
  f.chooser.answers = {{f.dir / "missing" / "C.NC"}};
  plat::ScriptedMessageBoxes quiet;
  open1Click(f.ui, f.table, 4);
  EXPECT_EQ(f.chooser.shown.back().choice, 2);
  EXPECT_FALSE(fs::exists(f.dir / "missing"));
  EXPECT_EQ(f.s.file.path, f.dir / "B.NC");
  EXPECT_EQ(quiet.shown.size(), 1u);
  fs::current_path(fs::temp_directory_path());
}
