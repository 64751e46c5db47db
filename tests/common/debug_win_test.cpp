#include "common/debug_win.h"

#include <gtest/gtest.h>

namespace {

using velmor::Tdeb;

TEST(Tdeb, MirrorSwitch) {
  Tdeb deb;
  std::vector<std::string> main_list;
  deb.Add_deb_message("before the main window");  // no mirror yet
  deb.mirror_list = &main_list;
  deb.mirror_on = true;
  deb.Add_deb_message("Tvelmor.open_FILE(mode=2)");
  deb.mirror_deb_message("mirror only");
  deb.mirror_on = false;  // the main window closes
  deb.Add_deb_message("during shutdown");
  deb.mirror_deb_message("dropped");
  EXPECT_EQ(deb.deb_p_memo(), (std::vector<std::string>{"before the main window",
                                                        "Tvelmor.open_FILE(mode=2)",
                                                        "during shutdown"}));
  EXPECT_EQ(main_list, (std::vector<std::string>{"Tvelmor.open_FILE(mode=2)", "mirror only"}));
  deb.clear_deb_message();
  EXPECT_TRUE(deb.deb_p_memo().empty());
  EXPECT_EQ(main_list.size(), 2u);  // clearing the page leaves the mirror alone
}

TEST(Tdeb, SinkOfDebLogAndPageTexts) {
  std::vector<std::string> main_list;
  {
    Tdeb deb;
    deb.mirror_list = &main_list;
    deb.mirror_on = true;
    deb.install();
    deb_log("ok   : 工具");
    deb.add_dump_line("X 1.000");
    deb.add_dump_line("Y 2.000");
    EXPECT_EQ(deb.page_text(Tdeb::Page::Message), "ok   : 工具\r\n");
    EXPECT_EQ(deb.page_text(Tdeb::Page::Dump), "X 1.000\r\nY 2.000\r\n");
    EXPECT_EQ(deb.page_text(Tdeb::Page::Memory), "");  // an empty page copies as empty text
    {
      RecordingDebLog rec;  // a sink over it takes the lines while it lives
      deb_log("to the recorder");
      EXPECT_EQ(rec.lines.size(), 1u);
    }
    deb_log("back");
    EXPECT_EQ(deb.deb_p_memo().size(), 2u);
  }
  EXPECT_EQ(deb_log_sink(), nullptr);  // destruction uninstalls
  EXPECT_EQ(main_list, (std::vector<std::string>{"ok   : 工具", "back"}));
}

}  // namespace
