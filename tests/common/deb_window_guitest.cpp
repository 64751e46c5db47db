#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>

#include "common/debug_log.h"
#include "common/widgets/deb_window.h"
#include "platform/qt/qtext.h"

namespace {

using velmor::Tdeb;
using velmor::TdebWindow;

TEST(TdebWindow, ShowsTheLogAndFollowsIt) {
  Tdeb deb;
  std::vector<std::string> main_list;
  deb.Add_deb_message("early line");
  TdebWindow win(deb);
  EXPECT_EQ(win.windowTitle(), u"deb"_qs);
  EXPECT_EQ(win.pos(), QPoint(0, 22));
  ASSERT_EQ(win.PageControl1->count(), 3);
  EXPECT_EQ(win.PageControl1->tabText(0), u"deb_massage"_qs);
  EXPECT_EQ(win.PageControl1->tabText(1), u"dump_data"_qs);
  EXPECT_EQ(win.PageControl1->tabText(2), u"get_mem"_qs);
  EXPECT_EQ(win.btn1->text(), plat::to_qstring("↑画面クリア"));
  EXPECT_EQ(win.deb_p_memo->toPlainText(), u"early line"_qs);

  deb.install();
  deb.mirror_list = &main_list;
  deb.mirror_on = true;
  deb_log("異常 : glMakeCurrent");
  EXPECT_EQ(win.deb_p_memo->toPlainText(), u"early line\n"_qs + plat::to_qstring("異常 : glMakeCurrent"));
  deb.mirror_on = false;
  deb_log("shutdown line");
  EXPECT_EQ(win.deb_p_memo->document()->blockCount(), 3);
  EXPECT_EQ(main_list, (std::vector<std::string>{"異常 : glMakeCurrent"}));  // mirror off: window only

  deb.add_dump_line("X 1.000");
  deb.add_mem_line("mem 1");
  deb.add_mem_line("mem 2");
  EXPECT_EQ(win.Memo1->toPlainText(), u"X 1.000"_qs);
  EXPECT_EQ(win.lb2->count(), 2);
  win.lb2DblClick();
  EXPECT_EQ(win.lb2->count(), 0);
  EXPECT_TRUE(deb.lb2().empty());

  QClipboard* cb = QGuiApplication::clipboard();
  win.Button1->click();
  EXPECT_EQ(cb->text(), u"early line\r\n"_qs + plat::to_qstring("異常 : glMakeCurrent") +
                            u"\r\nshutdown line\r\n"_qs);
  win.Button2->click();
  EXPECT_EQ(cb->text(), u"X 1.000\r\n"_qs);
  win.btn1->click();
  EXPECT_TRUE(win.deb_p_memo->toPlainText().isEmpty());
  EXPECT_TRUE(deb.deb_p_memo().empty());
  cb->setText(u"stale"_qs);
  win.Button1->click();  // an empty page copies as empty text
  EXPECT_EQ(cb->text(), u""_qs);
}

TEST(TdebWindow, VisibilityAndLifetime) {
  Tdeb deb;
  {
    TdebWindow win(deb);
    EXPECT_FALSE(deb.visible());
    win.show();
    EXPECT_TRUE(deb.visible());
    win.hide();
    EXPECT_FALSE(deb.visible());
    win.show();
  }
  EXPECT_FALSE(deb.visible());
  deb.Add_deb_message("after the window");  // the log works on without it
  EXPECT_EQ(deb.deb_p_memo().size(), 1u);
}

}  // namespace
