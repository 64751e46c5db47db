#include <gtest/gtest.h>

#include <QPushButton>
#include <QTest>

#include "common/widgets/ctrls_ex.h"
#include "mainwin/dialog_place.h"
#include "mainwin/find_dialog_1.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

namespace {

TEST(FindDialog, KeysAndButtonsGiveTheResultCodes) {
  enum Act { kEnter1, kEnter2, kEscape, kB1, kB2, kB3, kB4 };
  struct Case {
    Act act;
    int result;
  };
  const Case cases[] = {{kEnter1, FIND_DLG_OK},  {kEnter2, FIND_DLG_OK},     {kEscape, FIND_DLG_CANCEL},
                        {kB1, FIND_DLG_IGNORE}, {kB2, FIND_DLG_OK},         {kB3, FIND_DLG_ALL},
                        {kB4, FIND_DLG_CANCEL}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.act);
    Tfind_diag dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    switch (c.act) {
      case kEnter1: QTest::keyClick(dlg.Edit1, Qt::Key_Return); break;
      case kEnter2: QTest::keyClick(dlg.Edit2, Qt::Key_Enter); break;
      case kEscape: QTest::keyClick(dlg.Edit2, Qt::Key_Escape); break;
      case kB1: QTest::mouseClick(dlg.Button1, Qt::LeftButton); break;
      case kB2: QTest::mouseClick(dlg.Button2, Qt::LeftButton); break;
      case kB3: QTest::mouseClick(dlg.Button3, Qt::LeftButton); break;
      case kB4: QTest::mouseClick(dlg.Button4, Qt::LeftButton); break;
    }
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), c.result);
  }
}

TEST(FindDialog, OpenedAtTheClampedPlaceAndStoresUpperCase) {
  const QRect desk = available_desktop();
  FIND_SETTINGS s;
  s.left = desk.right() + 500;  // beyond the right edge
  s.top = -40;
  s.search_text = "G01";
  s.not_text = "";
  QPoint shown_at;
  QString shown_text;
  const int r = open_find_dialog(nullptr, s, [&](QDialog& d) {
    auto& f = static_cast<Tfind_diag&>(d);
    f.show();
    shown_at = f.pos();
    shown_text = f.Edit1->text();
    f.Edit1->clear();
    QTest::keyClicks(f.Edit1, u"g0?x"_qs);
    f.Edit2->setText(to_qstring("f工具"));
    QTest::mouseClick(f.Button3, Qt::LeftButton);
    return f.result();
  });
  EXPECT_EQ(r, FIND_DLG_ALL);
  EXPECT_EQ(shown_at, QPoint(desk.x() + desk.width() - 300, desk.y()));
  EXPECT_EQ(shown_text, u"G01"_qs);
  EXPECT_EQ(s.search_text, "G0?X");
  EXPECT_EQ(s.not_text, "F工具");
  EXPECT_EQ(s.left, desk.x() + desk.width() - 300);
  EXPECT_EQ(s.top, desk.y());
}

TEST(FindDialog, PatternShiftJisCannotHoldIsRefused) {
  Tfind_diag dlg;
  dlg.show();
  plat::ScriptedMessageBoxes boxes;
  dlg.Edit2->setText(QString::fromUtf8(u8"\uD55C"));
  QTest::mouseClick(dlg.Button2, Qt::LeftButton);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(dlg.isVisible());
  // Cancel is always possible.
  QTest::mouseClick(dlg.Button4, Qt::LeftButton);
  EXPECT_EQ(dlg.result(), FIND_DLG_CANCEL);
  EXPECT_EQ(boxes.shown.size(), 1u);
}

}  // namespace
