#include "tooling/extra_setup_win_1.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "platform/qt/qtext.h"
#include "tests/support/on_modal.h"
#include "tooling/select_color_1.h"

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
    win = std::make_unique<TEXTRA_SETUP_win>(host, host.own);
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
  // The panel opens the colour picker on its edit's code; a pick shows in the edit and the
  // panel at once; after Cancel the start code stands, after OK the picked code is taken.
  QPushButton* panel = win->findChild<QPushButton*>(QStringLiteral("PNL_A"));
  struct Pick {
    int code;
    bool ok;
    int after;
  };
  for (const Pick c : {Pick{9, false, 2}, Pick{12, true, 12}}) {
    bool picker = false;
    QString live, live_style, ed_col;
    testing_support::on_modal(win.get(), [&](QWidget* d) {
      picker = qobject_cast<Tcolor_selection*>(d) != nullptr;
      auto* grid = d->findChild<QWidget*>(QStringLiteral("pb1"));
      auto* button = d->findChild<QPushButton*>(c.ok ? QStringLiteral("set1") : QStringLiteral("Button1"));
      auto* code = d->findChild<QLineEdit*>(QStringLiteral("ed_col"));
      if (!grid || !button || !code) {
        d->close();
        return;
      }
      // column code % 16, row code / 16 counted from the bottom of the 16 x 4 grid
      QTest::mouseClick(grid, Qt::LeftButton, {},
                        QPoint(c.code % 16 * 8 + 4, (3 - c.code / 16) * 8 + 4));
      ed_col = code->text();
      live = edit("ED_A")->text();
      live_style = panel->styleSheet();
      QTest::mouseClick(button, Qt::LeftButton);
    });
    QTest::mouseClick(panel, Qt::LeftButton);
    EXPECT_TRUE(picker);
    EXPECT_EQ(ed_col, QString::number(c.code));
    EXPECT_EQ(live, QString::number(c.code));
    const QColor want = color_code_qcolor(c.code);
    EXPECT_TRUE(live_style.contains(
        QStringLiteral("rgb(%1,%2,%3)").arg(want.red()).arg(want.green()).arg(want.blue())))
        << live_style.toStdString();
    EXPECT_EQ(edit("ED_A")->text(), QString::number(c.after));
    EXPECT_EQ(win->settings().BACK_color, c.after);
  }
  ASSERT_EQ(host.previews.size(), 3u);
  EXPECT_EQ(host.previews[0], 4);
  EXPECT_EQ(host.previews[1], 5);
  win->findChild<QPushButton*>(QStringLiteral("Button2"))->click();
  EXPECT_EQ(win->result(), QDialog::Rejected);
  ASSERT_EQ(host.previews.size(), 4u);
  EXPECT_EQ(host.previews[3], -1);
}

}  // namespace
