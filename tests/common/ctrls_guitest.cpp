#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QMimeData>
#include <QPainter>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>
#include <QUrl>
#include <QVBoxLayout>
#include <climits>

#include "common/debug_log.h"
#include "common/widgets/ctrls_ex.h"
#include "common/widgets/input_number.h"
#include "common/widgets/new_ctrls.h"
#include "common/widgets/paint_panel.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"

namespace {

using plat::to_qstring;

// ---- TEditEx ------------------------------------------------------------------------------------

TEST(TEditEx, TypingGroupsThousandsAndKeepsTheCaret) {
  TEditEx ed;
  ed.SetThousands(true);
  ed.show();
  QTest::keyClicks(&ed, u"1234"_qs);
  EXPECT_EQ(ed.text(), u"1,234"_qs);
  EXPECT_EQ(ed.cursorPosition(), 5);
  EXPECT_EQ(ed.Text(), "1234");
  QTest::keyClicks(&ed, u"567"_qs);
  EXPECT_EQ(ed.text(), u"1,234,567"_qs);
  EXPECT_EQ(ed.cursorPosition(), 9);
  // Typing in the middle keeps the caret behind the typed digit.
  ed.setCursorPosition(1);  // 1|,234,567
  QTest::keyClick(&ed, Qt::Key_9);
  EXPECT_EQ(ed.text(), u"19,234,567"_qs);
  EXPECT_EQ(ed.cursorPosition(), 2);
  QTest::keyClick(&ed, Qt::Key_Backspace);
  EXPECT_EQ(ed.text(), u"1,234,567"_qs);
  EXPECT_EQ(ed.cursorPosition(), 1);
  // A selection is restored at the same distances from the end.
  ed.setSelection(2, 3);  // "234"
  QTest::keyClick(&ed, Qt::Key_0);
  EXPECT_EQ(ed.text(), u"10,567"_qs);
  EXPECT_EQ(ed.cursorPosition(), 2);
}

TEST(TEditEx, GroupingRulesAndSetters) {
  struct Case {
    const char16_t* in;
    const char16_t* out;
  } cases[] = {
      {u"", u""},
      {u"123", u"123"},
      {u"1234567", u"1,234,567"},
      {u"-1234", u"-1,234"},  // the sign is not counted
      {u"+123456", u"+123,456"},
      {u"-123", u"-123"},
      {u"1234.5678", u"1,234.5678"},  // only the integer digits
      {u"1,2,3,4,5", u"12,345"},      // commas removed first
      {u"abc1234", u"abc1234"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(QString::fromUtf16(c.in).toStdString());
    EXPECT_EQ(TEditEx::group_thousands(QString::fromUtf16(c.in)), QString::fromUtf16(c.out));
  }
  TEditEx ed;
  ed.SetText(std::string_view("9876543"));
  EXPECT_EQ(ed.text(), u"9876543"_qs);
  ed.SetThousands(true);  // switching on regroups at once
  EXPECT_EQ(ed.text(), u"9,876,543"_qs);
  ed.SetText(std::string_view("1,0000"));
  EXPECT_EQ(ed.text(), u"10,000"_qs);
  EXPECT_EQ(ed.Text(), "10000");
  ed.SetThousands(false);
  EXPECT_EQ(ed.Text(), "10,000");  // the commas are then part of the text
  ed.SetText(std::string_view("工具"));
  EXPECT_EQ(ed.Text(), "工具");
  ed.SetAlignment(TEditEx::taRightJustify);
  EXPECT_TRUE(ed.alignment() & Qt::AlignRight);
  ed.SetAlignment(TEditEx::taCenter);
  EXPECT_TRUE(ed.alignment() & Qt::AlignHCenter);
  EXPECT_EQ(ed.Alignment(), TEditEx::taCenter);
}

TEST(TEditEx, EnterEscapeAndTabReachTheDialog) {
  QDialog dlg;
  auto* ed = new TEditEx(&dlg);
  auto* other = new QPushButton(u"other"_qs, &dlg);
  auto* ok = new QPushButton(u"OK"_qs, &dlg);
  ok->setDefault(true);
  auto* lay = new QVBoxLayout(&dlg);
  lay->addWidget(ed);
  lay->addWidget(other);
  lay->addWidget(ok);
  int clicks = 0;
  QObject::connect(ok, &QPushButton::clicked, [&] { ++clicks; });
  dlg.show();
  ed->setFocus();
  ed->SetText(std::string_view("12"));
  EXPECT_EQ(ed->selectedText(), u""_qs);
  QTest::keyClick(ed, Qt::Key_Return);
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(ed->text(), u"12"_qs);  // nothing inserted
  QTest::keyClick(ed, Qt::Key_Enter, Qt::KeypadModifier);
  EXPECT_EQ(clicks, 2);
  QTest::keyClick(ed, Qt::Key_Tab);
  EXPECT_FALSE(ed->hasFocus());
  QSignalSpy rejected(&dlg, &QDialog::rejected);
  ed->setFocus();
  QTest::keyClick(ed, Qt::Key_Escape);
  EXPECT_EQ(rejected.count(), 1);
}

TEST(TEditEx, TextIsSelectedAtFirstShow) {
  TEditEx ed;
  ed.SetText(std::string_view("123"));
  ed.show();
  EXPECT_EQ(ed.selectedText(), u"123"_qs);
}

// ---- TScrollBarEx -------------------------------------------------------------------------------

TEST(TScrollBarEx, PageAndPositionFollowTheRange) {
  TScrollBarEx sb;
  QSignalSpy changes(&sb, &TScrollBarEx::Change);
  EXPECT_EQ(sb.Page(), 0);
  ASSERT_TRUE(sb.SetParams(0, 0, 99));
  sb.SetPage(200);
  EXPECT_EQ(sb.Page(), 100);
  EXPECT_EQ(sb.Position(), 0);
  sb.SetPage(10);
  sb.SetPosition(95);
  EXPECT_EQ(sb.Position(), 90);  // the last position is Max - Page + 1
  EXPECT_EQ(sb.maximum(), 90);
  EXPECT_EQ(sb.value(), 90);
  EXPECT_EQ(sb.pageStep(), 10);
  sb.SetPage(20);  // the position moves back with a bigger page
  EXPECT_EQ(sb.Position(), 80);

  // Min != 0: the position stays within [Min, Max - Page + 1].
  ASSERT_TRUE(sb.SetParams(150, 100, 199, 50));
  EXPECT_EQ(sb.Position(), 150);
  EXPECT_EQ(sb.maximum(), 150);
  EXPECT_EQ(sb.minimum(), 100);
  sb.SetPosition(10);
  EXPECT_EQ(sb.Position(), 100);
  sb.SetPage(100);
  EXPECT_EQ(sb.Position(), 100);
  EXPECT_EQ(sb.maximum(), 100);

  // min > max is refused and changes nothing.
  RecordingDebLog log;
  const int before = static_cast<int>(changes.count());
  EXPECT_FALSE(sb.SetParams(5, 10, 9));
  EXPECT_EQ(sb.Min(), 100);
  EXPECT_EQ(sb.Max(), 199);
  EXPECT_EQ(sb.Position(), 100);
  EXPECT_EQ(changes.count(), before);
  EXPECT_TRUE(log.contains("TScrollBarEx.SetParams"));

  // The same parameters again change nothing; a move by the user is a change.
  EXPECT_TRUE(sb.SetParams(100, 100, 199, 100));
  EXPECT_EQ(changes.count(), before);
  sb.SetParams(0, 0, 99, 10);
  const int n = static_cast<int>(changes.count());
  sb.setValue(42);  // as a drag of the thumb would
  EXPECT_EQ(sb.Position(), 42);
  EXPECT_EQ(changes.count(), n + 1);
}

// ---- TPaintPanel --------------------------------------------------------------------------------

TEST(TPaintPanel, RepaintFlagAndOnPaint) {
  TPaintPanel panel;
  panel.resize(40, 30);
  EXPECT_TRUE(panel.Repaint_flag());
  EXPECT_TRUE(panel.testAttribute(Qt::WA_OpaquePaintEvent));  // nothing is erased
  int paints = 0;
  panel.OnPaint = [&](TPaintPanel& sender, QPainter& p) {
    EXPECT_EQ(&sender, &panel);
    ++paints;
    p.fillRect(0, 0, 10, 10, Qt::red);
  };
  QPalette pal = panel.palette();
  pal.setColor(QPalette::Window, Qt::blue);
  panel.setPalette(pal);
  QImage img = panel.grab().toImage();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(img.pixelColor(5, 5), QColor(Qt::red));
  EXPECT_EQ(img.pixelColor(30, 20), QColor(Qt::blue));  // the panel painted itself
  panel.SetRepaint_flag(false);
  QImage img2(40, 30, QImage::Format_RGB32);
  img2.fill(Qt::green);
  panel.render(&img2);
  EXPECT_EQ(paints, 2);  // OnPaint still runs
  EXPECT_EQ(img2.pixelColor(30, 20), QColor(Qt::green));  // but the panel left its area alone
}

// ---- TFileDrop ----------------------------------------------------------------------------------

QMimeData* file_mime(const QStringList& paths) {
  auto* m = new QMimeData;
  QList<QUrl> urls;
  for (const auto& p : paths) urls << QUrl::fromLocalFile(p);
  m->setUrls(urls);
  return m;
}

// Sends a drag-enter and a drop to `w`; returns whether the drop was accepted.
bool drop_on(QWidget* w, const QStringList& paths, QPoint at) {
  std::unique_ptr<QMimeData> mime(file_mime(paths));
  QDragEnterEvent enter(at, Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &enter);
  if (!enter.isAccepted()) return false;
  QDropEvent drop(QPointF(at), Qt::CopyAction, mime.get(), Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w, &drop);
  return drop.isAccepted();
}

struct DropRecord {
  int calls = 0, num = 0, x = 0, y = 0;
  std::vector<std::string> files;
  TFileDrop::Handler handler() {
    return [this](TFileDrop&, int n, const std::vector<std::string>& f, int px, int py) {
      ++calls;
      num = n;
      files = f;
      x = px;
      y = py;
    };
  }
};

TEST(TFileDrop, ThreeFilesInOrderAndLongPathsWhole) {
  QWidget form;
  form.resize(200, 100);
  TFileDrop drop(&form);
  DropRecord rec;
  drop.OnFileDrop = rec.handler();
  drop.Loaded();
  ASSERT_EQ(drop.hooked(), &form);
  EXPECT_TRUE(form.acceptDrops());

  ASSERT_TRUE(drop_on(&form, {u"/tmp/b.nc"_qs, u"/tmp/a.nc"_qs, u"/tmp/c.nc"_qs}, {12, 34}));
  EXPECT_EQ(rec.num, 3);
  EXPECT_EQ(rec.files, (std::vector<std::string>{"/tmp/b.nc", "/tmp/a.nc", "/tmp/c.nc"}));
  EXPECT_EQ(rec.x, 12);
  EXPECT_EQ(rec.y, 34);

  std::string long_path = "/tmp/" + std::string(290, 'x') + "/工具.nc";
  ASSERT_GT(long_path.size(), 300u);
  ASSERT_TRUE(drop_on(&form, {to_qstring(long_path)}, {1, 1}));
  ASSERT_EQ(rec.files.size(), 1u);
  EXPECT_EQ(rec.files[0], long_path);  // whole, as CP932
}

TEST(TFileDrop, PathOutsideCp932IsReportedAndSkipped) {
  QWidget form;
  TFileDrop drop(&form);
  DropRecord rec;
  drop.OnFileDrop = rec.handler();
  drop.Loaded();
  plat::ScriptedMessageBoxes boxes;
  const QString odd = u"/tmp/\U0001F600.nc"_qs;
  ASSERT_TRUE(drop_on(&form, {u"/tmp/a.nc"_qs, odd}, {0, 0}));
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("/tmp/"), std::string::npos);
  EXPECT_EQ(rec.num, 1);
  EXPECT_EQ(rec.files, (std::vector<std::string>{"/tmp/a.nc"}));
  // Only unholdable names: nothing reaches the handler.
  rec.calls = 0;
  drop_on(&form, {odd}, {0, 0});
  EXPECT_EQ(rec.calls, 0);
  EXPECT_EQ(boxes.shown.size(), 2u);
}

TEST(TFileDrop, AcceptControlAndItsRemoval) {
  QWidget form;
  auto* child = new QWidget(&form);
  TFileDrop drop(&form);
  DropRecord rec;
  drop.OnFileDrop = rec.handler();
  drop.Loaded();
  drop.SetAccept(false);
  EXPECT_FALSE(form.acceptDrops());
  EXPECT_FALSE(drop_on(&form, {u"/tmp/a.nc"_qs}, {0, 0}));
  EXPECT_EQ(rec.calls, 0);
  drop.SetAccept(true);

  drop.SetControl(child);  // the control's window now, the form no longer
  EXPECT_EQ(drop.hooked(), child);
  EXPECT_FALSE(form.acceptDrops());
  EXPECT_TRUE(child->acceptDrops());
  EXPECT_FALSE(drop_on(&form, {u"/tmp/a.nc"_qs}, {0, 0}));
  EXPECT_TRUE(drop_on(child, {u"/tmp/a.nc"_qs}, {0, 0}));
  EXPECT_EQ(rec.calls, 1);

  delete child;  // removal clears Control and Accept
  EXPECT_EQ(drop.Control(), nullptr);
  EXPECT_FALSE(drop.Accept());
  EXPECT_EQ(drop.hooked(), nullptr);

  QObject not_a_form;
  TFileDrop orphan(&not_a_form);
  RecordingDebLog log;
  orphan.Loaded();
  EXPECT_EQ(orphan.hooked(), nullptr);
  EXPECT_TRUE(log.contains("Invalidate Window Handle in FileDrop"));
}

TEST(TFileDrop, DestructionUnhooks) {
  QWidget form;
  {
    TFileDrop drop(&form);
    drop.Loaded();
    EXPECT_TRUE(form.acceptDrops());
  }
  EXPECT_FALSE(form.acceptDrops());
  EXPECT_FALSE(drop_on(&form, {u"/tmp/a.nc"_qs}, {0, 0}));
}

// ---- number input box and window placement ------------------------------------------------------

TEST(PlaceWindow, NextToTheCursorAndOnTheScreen) {
  const QRect screen(0, 0, 1000, 800);
  struct Case {
    QPoint cursor;
    int w, h;
    QPoint at;
  } cases[] = {
      {{500, 400}, 200, 100, {400, 295}},
      {{500, 400}, 201, 100, {400, 295}},  // halving toward zero
      {{50, 50}, 200, 100, {0, 0}},        // off the top-left: 0
      {{990, 400}, 200, 100, {800, 295}},  // far edge past the width
      {{500, 900}, 200, 100, {400, 700}},  // far edge past the height
      {{500, 400}, 1200, 100, {0, 295}},   // wider than the screen: left edge kept
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(testing::Message() << c.cursor.x() << "," << c.cursor.y());
    EXPECT_EQ(place_window_at(c.cursor, screen, c.w, c.h), c.at);
  }
  // A second screen to the right: its own edges count.
  EXPECT_EQ(place_window_at({1010, 20}, QRect(1000, 0, 800, 600), 200, 100), QPoint(1000, 0));
}

// Runs `f` on the modal dialog as soon as it is shown.
void on_modal(std::function<void(QWidget*)> f) {
  auto* t = new QTimer;
  t->setInterval(5);
  // A modal box is shown before it is activated; its focus widget takes the focus only on
  // activation, so wait for that too (ask for it once, as a window manager would give it).
  QObject::connect(t, &QTimer::timeout, [t, f] {
    QWidget* w = QApplication::activeModalWidget();
    if (!w) return;
    if (!w->isActiveWindow()) {
      w->activateWindow();
      if (!QTest::qWaitForWindowActive(w, 2000)) return;
    }
    t->stop();
    t->deleteLater();
    f(w);
  });
  t->start();
}

TEST(InputNumber, TypedNumberCancelAndRefusedText) {
  on_modal([](QWidget* w) {
    auto* box = qobject_cast<Tinput_num_box*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), to_qstring("工具番号"));
    EXPECT_EQ(box->ed_text->text(), u"5"_qs);
    // The focus arrives with the window's activation, which a loaded machine delays.
    for (int i = 0; i < 200 && !box->ed_text->hasFocus(); ++i) QTest::qWait(10);
    EXPECT_TRUE(box->ed_text->hasFocus());
    box->ed_text->selectAll();
    QTest::keyClicks(box->ed_text, u"-1234"_qs);
    QTest::keyClick(box->ed_text, Qt::Key_Return);
  });
  EXPECT_EQ(input_number_at_cursor("工具番号", "5"), -1234);

  on_modal([](QWidget* w) {
    auto* box = qobject_cast<Tinput_num_box*>(w);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(box->windowTitle(), to_qstring("数値を入力"));
    EXPECT_EQ(box->ed_text->text(), u"0"_qs);
    box->BitBtn2->click();
  });
  EXPECT_EQ(input_number_at_cursor("", ""), INT_MAX);

  plat::ScriptedMessageBoxes boxes;
  on_modal([](QWidget* w) {
    auto* box = qobject_cast<Tinput_num_box*>(w);
    ASSERT_NE(box, nullptr);
    box->ed_text->setText(u"12a"_qs);
    box->BitBtn1->click();
  });
  EXPECT_EQ(input_number_at_cursor("", ""), INT_MAX);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "12a は整数ではありません");
}

TEST(BrowseForFolder, ChosenFolderOrEmpty) {
  QTemporaryDir tmp;
  const std::filesystem::path start = plat::qstring_to_path(tmp.path());
  on_modal([](QWidget* w) {
    EXPECT_EQ(w->windowTitle(), to_qstring("ﾌｫﾙﾀﾞを選択して下さい。"));
    static_cast<QDialog*>(w)->accept();
  });
  std::filesystem::path chosen = browse_for_folder(nullptr, start);
  EXPECT_EQ(std::filesystem::weakly_canonical(chosen), std::filesystem::weakly_canonical(start));
  on_modal([](QWidget* w) { static_cast<QDialog*>(w)->reject(); });
  EXPECT_TRUE(browse_for_folder(nullptr, start).empty());
  EXPECT_FALSE(get_desktop_folder().empty());
}

}  // namespace
