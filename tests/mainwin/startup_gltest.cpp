// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QTest>

#include "common/text_file.h"
#include "mainwin/velmor_1.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;

namespace {

struct DataFolder {
  testing_support::TempDir prog, desk;
  fs::path cwd = fs::current_path();
  DataFolder() {
    plat::set_data_folder(prog.path());
    plat::set_desktop_folder(desk.path());
  }
  ~DataFolder() { fs::current_path(cwd); }
};

}  // namespace

TEST(VelmorStartup, AFirstStartWritesItsFilesAndTheCloseSavesTheSettings) {
  DataFolder data;
  auto* w = new Tvelmor;
  w->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
  EXPECT_EQ(plat::from_qstring(w->windowTitle()).rfind("Velmor_PRO Version 2.14 ", 0), 0u);
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w->gpnl()->gl_window()));
  QTest::qWait(50);
  EXPECT_TRUE(w->gl_stat().slot[0].flag_open);
  EXPECT_TRUE(fs::exists(data.prog / "0_TB_setup.txt"));
  EXPECT_TRUE(fs::exists(data.prog.path() / "0_TB_datas" / u8"test-2 用.txt"));
  EXPECT_TRUE(w->close());
  EXPECT_FALSE(w->gl_stat().slot[0].flag_open);
  delete w;

  const fs::path dat = data.prog.path() / "confignc" / "Velmor.DAT";
  std::vector<std::string> lines;
  ASSERT_TRUE(read_text_lines(dat, lines));
  ASSERT_EQ(lines.size(), 228u);
  EXPECT_EQ(lines.front(), "***_environment_data");
  EXPECT_EQ(lines.back(), "***_environment_end");
  EXPECT_TRUE(std::is_sorted(lines.begin() + 1, lines.end() - 1,
                             [](const std::string& a, const std::string& b) {
                               return env_line_less(a, b);
                             }));
  struct stat st{};
  ASSERT_EQ(::stat(dat.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
}
