#include "tests/support/fake_ui.h"
#include "mainwin/core/sim_dump.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/startup.h"
#include "ncdata/ncd_run.h"
#include "platform/core/msgbox.h"
#include "tests/support/test_support.h"

namespace fs = std::filesystem;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

struct Fixture {
  Fixture() : host(s, ui) {
    init_session(s, dir.path(), dir.path());
    fs::create_directory(s.config_folder);
    host.attach();
    Create_NCD(s.nc());
    Create_NCD(*s.spare);
  }
  ~Fixture() {
    Free_NCD(s.nc());
    Free_NCD(*s.spare);
  }
  TempDir dir;
  TSession s;
  TVLM_fake_ui ui;
  TVLM_host host;
  plat::ScriptedMessageBoxes boxes;
};

bool has(const std::vector<std::string>& lines, const std::string& l) {
  return std::find(lines.begin(), lines.end(), l) != lines.end();
}

TEST(SimDump, TheDumpPageShowsTheBlockThePositionsTheCycleAndTheTotals) {
  Fixture f;
  write_file(f.dir / "D.NC",
             "%\nO0001\nG90G54G00X0.Y0.Z10.\nG01X-12.3456Y0.0004Z5.F100\n"
             "G81X20.Y30.Z-7.5R2.F80\nX25.\nG80\nM30\n%\n");
  ASSERT_TRUE(open_NCD(f.s, f.ui, f.dir / "D.NC"));
  NCD_DATA& d = f.s.nc();
  // Stand on the second hole of the cycle (line 5).
  Goto_NCD_line(d, 5);
  ASSERT_EQ(d.pos.cur_line, 5);
  velmor::Tdeb& deb = f.s.deb;
  deb.add_dump_line("old");
  Dump_SIM_status_to_deb(d, deb);
  const std::vector<std::string>& lines = deb.Memo1();
  ASSERT_FALSE(lines.empty());
  EXPECT_FALSE(has(lines, "old"));  // the page is written anew
  EXPECT_EQ(lines[0], "nedit.nc_word.number = 5 ( +1 =6 )");
  // The hole at X25 is drilled and the tool back at the initial level Z5.
  EXPECT_TRUE(has(lines, "     now X , Y , Z      : ( 25.000 , 30.000 , 5.000 )"));
  EXPECT_TRUE(has(lines, "  pre_FX X , Y , Z      : ( 25.000 , 30.000 , 5.000 )"));
  EXPECT_TRUE(has(lines, "fxZ : -7.500")) << deb.page_text(velmor::Tdeb::Page::Dump);
  EXPECT_TRUE(has(lines, "fxR : 2.000"));
  EXPECT_TRUE(std::any_of(lines.begin(), lines.end(),
                          [](const std::string& l) { return l.rfind("fx_counter    : ", 0) == 0; }));
  // The groups stand apart by blank lines, and none of the lines is empty otherwise.
  EXPECT_GE(std::count(lines.begin(), lines.end(), std::string()), 6);
  // No minus zero: the earlier Y of 0.0004 is 0.000 at three places.
  Goto_NCD_line(d, 3);
  Dump_SIM_status_to_deb(d, deb);
  EXPECT_TRUE(has(deb.Memo1(), "     now X , Y , Z      : ( -12.346 , 0.000 , 5.000 )"))
      << deb.page_text(velmor::Tdeb::Page::Dump);
}

}  // namespace
