#include "tooling/tool_list_win_1.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QPushButton>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QTest>
#include <QTextDocument>
#include <QTimer>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "platform/core/system.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"
#include "tooling/select_color_1.h"

namespace {

class FakeHost : public Ttooling_host {
 public:
  bool TDH_dialog(TTOOL_TDH_request& r) override {
    ++dialogs;
    r.T = typed_T;
    return true;
  }
  bool list_TOOL_segments(int, const TTOOL_TDH_codes& c, bool,
                          std::vector<std::string>& out) override {
    ++segments;
    out.push_back("T" + std::to_string(c.T));
    return true;
  }
  void show_output_text(const std::vector<std::string>& lines) override { output = lines; }
  std::string typed_T = "T05";
  int dialogs = 0, segments = 0;
  std::vector<std::string> output;
};

struct Fixture {
  FakeHost host;
  TTOOL_HOLDER_tmp mag;
  std::unique_ptr<TTOOL_LIST_win> w;
  explicit Fixture(bool library, bool use_turn, int mode = 1) {
    mag.count = 3;
    for (int k = 0; k < 3; ++k) {
      TTTOOL_HOLDER_tmp& s = mag.slot[k];
      set_default_TOOL(s.tool);
      set_default_HOLDER(s.holder);
      s.tool.T_number = k;
      s.tool.T_category = k == 1 ? 0 : 1;
      s.tool.dia = 6;
      s.tool.name = k == 1 ? "未設定" : "φ6 フラット";
      make_TOOL_comment_lines(s.tool, s.holder);
      s.list_head = "(" + std::to_string(k) + ") T0" + std::to_string(k) + " :";
      s.tool_name = s.tool.name;
    }
    w = std::make_unique<TTOOL_LIST_win>(host);
    w->model().magazine = &mag;
    w->model().library = library;
    w->model().editable = library;
    w->model().mode = mode;
    w->options().use_turn = use_turn;
    w->options().invis_noitem = false;
    TTOOL_LIST_program& p = w->program();
    p.nc_file_name = "SAMPLE01.NC";
    p.has_path = true;
    for (int t : {0, 2}) {
      TTOOL_LIST_use u;
      u.tool = t;
      p.uses.push_back(u);
    }
    w->resize(700, 500);
    w->FormShow();
    w->show();
    QApplication::processEvents();
  }
  QWidget* viewport() { return w->findChild<QAbstractScrollArea*>(u"ScrollBox1"_qs)->viewport(); }
  // A point inside card i, in viewport coordinates.
  QPoint in_card(int i) {
    const TLIST_ITEMS& it = w->model().items.at(static_cast<std::size_t>(i));
    return QPoint(10, (it.top + it.bottom) / 2);
  }
  std::vector<bool> shown_items() {
    std::vector<bool> v;
    for (const char* n : {"N1", "N2", "N3", "N4"})
      v.push_back(w->popup()->findChild<QAction*>(QString::fromLatin1(n))->isVisible());
    return v;
  }
};

}  // namespace

TEST(ToolListWin, RightClickOpensThePopupWithTheItemsOfEachList) {
  struct Case {
    bool library, use_turn;
    int card;
    std::vector<bool> items;  // N1, N2, N3, N4
  };
  const Case cases[] = {
      {true, false, 0, {true, true, false, false}},    // a set library slot
      {false, false, 0, {false, true, false, false}},  // the program's list in T order
      {false, true, 1, {false, true, true, true}},     // in the order of use
  };
  for (const Case& c : cases) {
    Fixture f(c.library, c.use_turn);
    bool opened = false;
    QTimer::singleShot(50, [&] {
      if (QWidget* p = QApplication::activePopupWidget()) {
        opened = p == f.w->popup();
        p->close();
      }
    });
    QTest::mouseClick(f.viewport(), Qt::RightButton, {}, f.in_card(c.card));
    EXPECT_TRUE(opened);
    EXPECT_EQ(f.shown_items(), c.items) << c.library << c.use_turn << c.card;
  }
}

TEST(ToolListWin, DoubleClickClosesWithThePickedSlot) {
  struct Case {
    int mode;
    int result;
  };
  for (const Case c : {Case{1, QDialog::Accepted}, Case{2, QDialog::Accepted},
                       Case{4, QDialog::Accepted}, Case{51, plat::IDYES}}) {
    Fixture f(c.mode == 2 || c.mode == 4, false, c.mode);
    const int last = static_cast<int>(f.w->model().items.size()) - 1;
    QTest::mouseDClick(f.viewport(), Qt::LeftButton, {}, f.in_card(last));
    EXPECT_FALSE(f.w->isVisible()) << c.mode;
    EXPECT_EQ(f.w->result(), c.result) << c.mode;
    EXPECT_EQ(f.w->model().picked, 2) << c.mode;
  }
}

TEST(ToolListWin, CopyOutChecksTheTypedCodes) {
  Fixture f(false, true);
  f.w->Image1MouseDown(f.in_card(1).y(), false, {});
  {
    plat::ScriptedMessageBoxes boxes;
    f.host.typed_T = "Tx";
    f.w->N3Click();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "T コードの指定でエラーがありました");
  }
  EXPECT_EQ(f.host.segments, 0);
  EXPECT_TRUE(f.host.output.empty());
  f.host.typed_T = "T07";
  f.w->N3Click();
  EXPECT_EQ(f.host.output, (std::vector<std::string>{"T7"}));

  plat::ScriptedMessageBoxes boxes;
  f.w->N4Click();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("開始位置の指定がありません"), std::string::npos);
}

TEST(ToolListWin, SizeFieldsAreHeldInRangeAndABadTextKeepsTheFocus) {
  Fixture f(true, false);
  auto* ed_h = f.w->findChild<QLineEdit*>(u"ed_h"_qs);
  auto* ed_w = f.w->findChild<QLineEdit*>(u"ed_w"_qs);
  ed_h->setFocus();
  ed_h->selectAll();
  QTest::keyClicks(ed_h, u"5000"_qs);
  QTest::keyClick(ed_h, Qt::Key_Return);
  EXPECT_EQ(ed_h->text(), u"2000"_qs);
  EXPECT_EQ(f.w->model().pic_h, 2000);
  const int image_h = f.w->model().image_h;
  EXPECT_GT(image_h, static_cast<int>(f.w->model().items.size()) * 2000);

  plat::ScriptedMessageBoxes boxes;
  ed_h->selectAll();
  QTest::keyClicks(ed_h, u"abc"_qs);
  ed_w->setFocus();
  QApplication::processEvents();
  QApplication::processEvents();
  EXPECT_EQ(boxes.shown.size(), 1u);
  EXPECT_TRUE(ed_h->hasFocus());
  EXPECT_EQ(f.w->model().image_h, image_h);
}

TEST(ToolListWin, CardsAreDrawnWithTheirToolsAndTheSelection) {
  Fixture f(false, false);
  QTest::mouseClick(f.viewport(), Qt::LeftButton, {}, f.in_card(0));
  EXPECT_EQ(f.w->model().selected, 0);
  const QImage img = f.viewport()->grab().toImage();
  const TLIST_ITEMS& it = f.w->model().items[0];
  // The selection frame (blue in T order) and something drawn in the picture column.
  EXPECT_EQ(img.pixelColor(1, (it.top + it.bottom) / 2), QColor(0, 0, 255));
  const QColor back = img.pixelColor(5, it.top + 5);
  int other = 0;
  for (int x = 5; x < f.w->model().pic_w - 5; ++x)
    for (int y = it.top + 5; y < it.bottom - 5; ++y)
      if (img.pixelColor(x, y) != back) ++other;
  EXPECT_GT(other, 20);
}

TEST(ToolListWin, HtmlExportWritesPicturesOfTheirSizeAndPagesAParserReads) {
  testing_support::TempDir desk;
  const std::filesystem::path old_desk = plat::desktop_folder();
  plat::set_desktop_folder(desk.path());
  Fixture f(false, false);
  f.mag.slot[0].tool_name = "<R&D>-->";
  f.w->options().print_at_data = false;
  f.w->FormShow();
  {
    plat::ScriptedMessageBoxes boxes;
    f.w->Output_HTML_btnClick();
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "HTML 出力は終了しました。");
  }
  plat::set_desktop_folder(old_desk);
  const std::filesystem::path dir = desk / "SAMPLE01";
  for (const char* name : {"P_TL_0.jpg", "P_TL_2.jpg"}) {
    QImage img;
    ASSERT_TRUE(img.load(plat::path_to_qstring(dir / name), "JPEG")) << name;
    EXPECT_EQ(img.size(), QSize(f.w->options().pic_w, f.w->options().pic_h)) << name;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "P_TL_1.jpg"));  // the unset slot
  QTextDocument doc;
  doc.setHtml(plat::to_qstring(testing_support::read_file(dir / "index.htm")));
  const QString text = doc.toPlainText();
  EXPECT_TRUE(text.contains(u"<R&D>-->"_qs)) << text.toStdString();
  EXPECT_TRUE(text.contains(plat::to_qstring("φ6 フラット")));
  EXPECT_FALSE(text.contains(u"VLM_HTML"_qs));
}

TEST(ToolListWin, PathExportAsksFirstMovesBelowTheMainWindowAndStopsOnEscape) {
  class PathHost : public FakeHost {
   public:
    bool cutting_on() const override { return true; }
    void reset_works() override { ++resets; }
    bool frame_geometry(int& l, int& t, int& w, int& h) const override {
      l = 0, t = 10, w = 400, h = 300;
      return true;
    }
    bool draw_ZU_of_TOOL(int seg, int w, int h, bool, std::shared_ptr<const TG2_picture>& out) override {
      segs.push_back(seg);
      auto pic = std::make_shared<TG2_picture>();
      pic->width = w;
      pic->height = h;
      pic->pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFF0000FFu);
      out = pic;
      return true;
    }
    int resets = 0;
    std::vector<int> segs;
  };
  struct Case {
    int answer;
    int escape_at;  // the Escape read that answers true, -1 never
    std::vector<int> segs;
    bool top_picture;
  };
  const Case cases[] = {{plat::IDCANCEL, -1, {}, false},
                        {plat::IDOK, 2, {-1, 0}, true},
                        {plat::IDOK, -1, {-1, 0, 1}, true}};
  for (const Case& c : cases) {
    testing_support::TempDir desk;
    const std::filesystem::path old_desk = plat::desktop_folder();
    plat::set_desktop_folder(desk.path());
    PathHost host;
    TTOOL_HOLDER_tmp mag;
    {
      Fixture f(false, true);
      mag = f.mag;
    }
    TTOOL_LIST_win w(host);
    w.model().magazine = &mag;
    w.options().use_turn = true;
    w.options().print_at_path = true;
    w.program().nc_file_name = "SAMPLE01.NC";
    w.program().has_path = true;
    for (int t : {0, 2}) {
      TTOOL_LIST_use u;
      u.tool = t;
      w.program().uses.push_back(u);
    }
    w.FormShow();
    w.move(0, 0);
    w.show();
    plat::ScriptedInput input;
    input.escape_after(c.escape_at);
    plat::ScriptedMessageBoxes boxes;
    boxes.answer(c.answer);
    w.Output_HTML_btnClick();
    plat::set_desktop_folder(old_desk);
    EXPECT_EQ(boxes.shown.front().text, "全てのワークを初期状態に戻していいですか？");
    EXPECT_EQ(host.segs, c.segs);
    const std::filesystem::path dir = desk / "SAMPLE01";
    EXPECT_EQ(std::filesystem::exists(dir), c.answer == plat::IDOK);
    EXPECT_EQ(std::filesystem::exists(dir / "P_CL_TOP.jpg"), c.top_picture);
    EXPECT_EQ(std::filesystem::exists(dir / "index.htm"), c.escape_at < 0 && c.answer == plat::IDOK);
    if (c.answer == plat::IDOK) {
      EXPECT_EQ(w.y(), 311);  // just below the main window
      QImage img;
      ASSERT_TRUE(img.load(plat::path_to_qstring(dir / "P_CL_TOP.jpg"), "JPEG"));
      EXPECT_EQ(img.size(), QSize(320, 240));
      const QColor px = img.pixelColor(20, 20);  // the path picture's own blue
      EXPECT_GT(px.blue(), 200);
      EXPECT_LT(px.red(), 60);
    }
  }
}

// "トグル" marks every card excluded from print, or every card included again: one toggle for
// the whole run, so a later list goes on from where the last one left it. A rebuild (a size
// field, a check box) keeps the marks.
TEST(ToolListWin, TheToggleLastsTheRunAndRebuildsKeepTheMarks) {
  auto excluded = [](TTOOL_LIST_win& w) {
    std::vector<bool> v;
    for (const TLIST_ITEMS& it : w.model().items) v.push_back(it.excluded);
    return v;
  };
  bool first = false;
  {
    Fixture f(false, false);
    QTest::mouseClick(f.w->findChild<QPushButton*>(u"toggle_btn"_qs), Qt::LeftButton);
    const std::vector<bool> marks = excluded(*f.w);
    ASSERT_EQ(marks.size(), 3u);
    first = marks[0];
    EXPECT_EQ(marks, std::vector<bool>(3, first));
    auto* ed_h = f.w->findChild<QLineEdit*>(u"ed_h"_qs);
    ed_h->setFocus();
    ed_h->selectAll();
    QTest::keyClicks(ed_h, u"70"_qs);
    QTest::keyClick(ed_h, Qt::Key_Return);
    ASSERT_EQ(f.w->model().pic_h, 70);
    EXPECT_EQ(excluded(*f.w), marks);
    // One card marked otherwise by its popup item, then the list rebuilt by a check box.
    f.w->Image1MouseDown(f.in_card(1).y(), false, {});
    f.w->popup()->findChild<QAction*>(u"N2"_qs)->trigger();
    QTest::mouseClick(f.w->findChild<QCheckBox*>(u"chk_print_at_data"_qs), Qt::LeftButton);
    EXPECT_EQ(excluded(*f.w), (std::vector<bool>{first, !first, first}));
  }
  Fixture g(false, false);
  EXPECT_EQ(excluded(*g.w), std::vector<bool>(3, false));
  QTest::mouseClick(g.w->findChild<QPushButton*>(u"toggle_btn"_qs), Qt::LeftButton);
  EXPECT_EQ(excluded(*g.w), std::vector<bool>(3, !first));
}

// The picture column takes the background of the tool settings window's drawing settings
// (the list's settings copy), not the main window's.
TEST(ToolListWin, CardsTakeTheToolSettingsBackground) {
  Fixture f(false, false);
  f.w->settings().BACK_color = 12;  // the host's own is 2
  f.viewport()->repaint();
  const QImage img = f.viewport()->grab().toImage();
  const TLIST_ITEMS& it = f.w->model().items[0];
  EXPECT_EQ(img.pixelColor(3, it.top + 3), color_code_qcolor(12));
  EXPECT_NE(color_code_qcolor(12), color_code_qcolor(2));
}

// The caller's slot is preselected and scrolled to only when it is above 1.
TEST(ToolListWin, OnlyASlotAboveOneIsPreselected) {
  for (const int slot : {0, 1, 2}) {
    Fixture f(false, false);
    f.w->model().picked = slot;
    f.w->FormShow();
    const int want = slot > 1 ? 2 : -1;  // the cards stand in slot order
    EXPECT_EQ(f.w->model().selected, want) << slot;
  }
}
