#include "tooling/extra_setup_win_1.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/qt/qtext.h"

namespace {

class PreviewHost : public Ttooling_host {
 public:
  Tdisp_status own;
  std::vector<float> previews;  // the clip gap of each preview; -1 for the own settings
  void preview_display(const Tdisp_status* copy) override {
    previews.push_back(copy ? copy->CLIP_GAP : -1.0f);
  }
};

struct Fixture : ::testing::Test {
  PreviewHost host;
  std::unique_ptr<TEXTRA_SETUP_win> win;
  void SetUp() override {
    host.own.CLIP_GAP = 30;
    host.own.XYZ_ORG_width = 0;
    host.own.BACK_color = 2;
    win = std::make_unique<TEXTRA_SETUP_win>(host, host.own, nullptr,
                                             [](int, const std::function<void(int)>& live) {
                                               live(9);
                                               return 12;
                                             });
    win->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(win.get()));
  }
  QLineEdit* edit(const char* name) { return win->findChild<QLineEdit*>(QString::fromLatin1(name)); }
  void type_into(const char* name, const char* text) {
    QLineEdit* e = edit(name);
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, plat::to_qstring(text));
    QTest::keyClick(e, Qt::Key_Return);
  }
};

TEST_F(Fixture, WithoutDirectNothingReachesTheViewBeforeOk) {
  EXPECT_EQ(edit("ED_G")->text(), QStringLiteral("1"));  // width 0 shown as 1
  type_into("ED_L", "-2");
  EXPECT_EQ(edit("ED_L")->text(), QStringLiteral("2"));
  EXPECT_TRUE(host.previews.empty());
  // OK takes the focused edit's text first.
  QLineEdit* k = edit("ED_K");
  k->setFocus();
  k->selectAll();
  QTest::keyClicks(k, QStringLiteral("370"));
  win->findChild<QPushButton*>(QStringLiteral("set_and_exit_btn"))->click();
  EXPECT_EQ(win->result(), QDialog::Accepted);
  EXPECT_FLOAT_EQ(win->settings().CLIP_ANGLE, 10);
  EXPECT_FLOAT_EQ(win->settings().CLIP_GAP, 2);
  EXPECT_EQ(win->settings().XYZ_ORG_width, 1);
  EXPECT_TRUE(host.previews.empty());
  EXPECT_EQ(host.own.CLIP_GAP, 30);
}

TEST_F(Fixture, DirectPreviewsEachCommitAndCancelRestores) {
  win->findChild<QCheckBox*>(QStringLiteral("chk_direct"))->setChecked(true);
  type_into("ED_L", "4");
  type_into("ED_L", "5");
  // A colour from the picker ends with its code out.
  win->findChild<QPushButton*>(QStringLiteral("PNL_A"))->click();
  EXPECT_EQ(edit("ED_A")->text(), QStringLiteral("12"));
  EXPECT_EQ(win->settings().BACK_color, 12);
  ASSERT_EQ(host.previews.size(), 3u);
  EXPECT_EQ(host.previews[0], 4);
  EXPECT_EQ(host.previews[1], 5);
  win->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
  EXPECT_EQ(win->result(), QDialog::Rejected);
  ASSERT_EQ(host.previews.size(), 4u);
  EXPECT_EQ(host.previews[3], -1);
}

}  // namespace
