#include "tooling/cutter_set_win_1.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include "common/text_file.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"
#include "tooling/core/tool_library.h"
#include "tooling/select_color_1.h"
#include "tooling/tool_list_win_1.h"
#include "tests/support/on_modal.h"
#include <QImage>

namespace fs = std::filesystem;
using testing_support::data_file;
using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;

namespace {

template <class T>
T* child(QWidget& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  EXPECT_NE(c, nullptr) << name;
  return c;
}

struct Host : Ttooling_host {
  fs::path config;
  fs::path chosen;
  std::filesystem::path config_folder() const override { return config; }
  std::filesystem::path open_tool_file(int mode) override {
    modes.push_back(mode);
    return chosen;
  }
  std::vector<int> modes;
};

// The tool list: records the call and picks a slot, optionally resetting one first.
struct Lists : TTOOL_LIST_opener {
  int show_tool_list(TTOOL_LIST_model& c, TTOOL_LIST_options&, Tdisp_status&) override {
    calls.push_back(c);
    shown_count = c.magazine->count;
    if (reset >= 0) {
      TTTOOL_HOLDER_tmp& s = c.magazine->slot[reset];
      const int number = s.tool.T_number;
      set_default_TOOL(s.tool);
      s.tool.T_number = number;
      s.tool.T_category = 0;
      s.tool.name = "未設定";
    }
    c.picked = pick;
    return answer;
  }
  std::vector<TTOOL_LIST_model> calls;
  int pick = -1, reset = -1, answer = plat::IDOK, shown_count = 0;
};

TTOOL_HOLDER_tmp three_tools() {
  TTOOL_HOLDER_tmp m;
  m.count = 3;
  for (int k = 0; k < 3; ++k) {
    TTTOOL_HOLDER_tmp& s = m.slot[k];
    s.T_number = k;
    set_default_TOOL(s.tool);
    s.tool.T_number = k;
    s.tool.T_category = k == 0 ? 0 : TOOL_KIND_FLAT_EM;
    set_default_HOLDER(s.holder);
    s.holder.H_number = k;
    s.tool_set = s.holder_set = 1;
  }
  Preset_TOOL_HOLDER_list(m);
  return m;
}

}  // namespace

TEST(CutterSetWin, StartsWithOneSlotAndKindZeroHidesTheSizes) {
  Host host;
  Lists lists;
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.show();
  EXPECT_EQ(child<QComboBox>(w, "T_number")->count(), 1);
  EXPECT_EQ(child<QScrollBar>(w, "T_updown")->value(), 0);
  EXPECT_EQ(child<QScrollBar>(w, "T_updown")->maximum(), 0);
  EXPECT_FALSE(child<QWidget>(w, "pnl2")->isVisible());
  // "リストから選択" with kind 0 does nothing.
  QTest::mouseClick(child<QPushButton>(w, "select_btn"), Qt::LeftButton);
  EXPECT_TRUE(lists.calls.empty());
}

TEST(CutterSetWin, KindsKeysAndColours) {
  Host host;
  Lists lists;
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.load(three_tools(), "cap", "PROG.NC", true, 0);
  w.show();
  auto* number = child<QComboBox>(w, "T_number");
  EXPECT_EQ(number->itemText(2), QStringLiteral("  2"));
  EXPECT_EQ(child<QScrollBar>(w, "T_updown")->value(), 2);  // counted from the last item
  child<QScrollBar>(w, "T_updown")->setValue(0);
  EXPECT_EQ(number->currentIndex(), 2);
  EXPECT_EQ(w.tool().T_number, 2);
  // Kind 5 hides the diameter; kind 13 relabels the radius.
  auto* kind = child<QComboBox>(w, "zu_no_syurui");
  kind->setCurrentIndex(5);
  emit kind->activated(5);
  EXPECT_FALSE(child<QLineEdit>(w, "ed_diam")->isVisible());
  EXPECT_TRUE(child<QLineEdit>(w, "ed_kakudo")->isVisible());
  EXPECT_EQ(w.tool().T_category, 5);
  kind->setCurrentIndex(13);
  emit kind->activated(13);
  EXPECT_TRUE(child<QLineEdit>(w, "ed_diam")->isVisible());
  EXPECT_FALSE(child<QLineEdit>(w, "ed_kakudo")->isVisible());
  // Ctrl+Up on an edge colour of 63 gives 0, Ctrl+Down on 0 gives 63.
  auto* name = child<QLineEdit>(w, "ed_tool_name");
  auto* edge = child<QLineEdit>(w, "ED_COL_BL");
  edge->setText(QStringLiteral("63"));
  QTest::keyClick(edge, Qt::Key_Return);
  EXPECT_EQ(w.tool().edge_color, 63);
  name->setFocus();
  QTest::keyClick(name, Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ(w.tool().edge_color, 0);
  EXPECT_EQ(edge->text(), QStringLiteral("0"));
  QTest::keyClick(name, Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ(w.tool().edge_color, 63);
  {
    plat::ScriptedMessageBoxes boxes;
    edge->setText(QStringLiteral("64"));
    QTest::keyClick(edge, Qt::Key_Return);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(boxes.shown[0].text, "カラー番号は 0～63 で指定してください");
    EXPECT_EQ(w.tool().edge_color, 63);
  }
  // The drawing line width is rounded and limited.
  auto* zu = child<QLineEdit>(w, "ED_ZU_SW");
  zu->setText(QStringLiteral("2.6"));
  zu->setModified(true);
  QTest::keyClick(zu, Qt::Key_Return);
  EXPECT_EQ(w.settings().C_SENHABA, 3);
  zu->setText(QStringLiteral("25"));
  zu->setModified(true);
  QTest::keyClick(zu, Qt::Key_Return);
  EXPECT_EQ(w.settings().C_SENHABA, 20);
  EXPECT_EQ(zu->text(), QStringLiteral("20"));
  // A size typed and entered goes into the tool and its comment line.
  auto* diam = child<QLineEdit>(w, "ed_diam");
  diam->setText(QStringLiteral("12.5"));
  diam->setModified(true);
  QTest::keyClick(diam, Qt::Key_Return);
  EXPECT_FLOAT_EQ(w.tool().dia, 12.5f);
  EXPECT_TRUE(child<QPlainTextEdit>(w, "Memo1")->toPlainText().contains(QStringLiteral("C12.5")));
  // A name CP932 cannot hold is refused; the old name stays.
  name->setText(QStringLiteral("R3"));
  QTest::keyClick(name, Qt::Key_Return);
  EXPECT_EQ(w.tool().name, "R3");
  {
    plat::ScriptedMessageBoxes boxes;
    name->setText(QString::fromUtf8("\xF0\x9F\x94\xA7"));
    QTest::keyClick(name, Qt::Key_Return);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_EQ(w.tool().name, "R3");
    EXPECT_EQ(name->text(), QStringLiteral("R3"));
  }
}

TEST(CutterSetWin, PickingFromALibraryKeepsTheNumberAndBrowsingWritesNothing) {
  TempDir dir;
  Host host;
  host.config = dir.path();
  plat::ScriptedMessageBoxes boxes;
  const std::string lib =
      "; flats\r\n(VLM N0 \"F20\" )\r\n(VLM T0 A1C20)\r\n(VLM H0 A49B80)\r\n"
      "(VLM N1 \"F6\" )\r\n(VLM T1 A1C6)\r\n(VLM H1 A49)\r\n";
  write_file(dir / "TOOL_FLAT_EM.nts", lib);
  Lists lists;
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.load(three_tools(), "cap", "PROG.NC", false, 0);
  w.show();
  child<QComboBox>(w, "T_number")->setCurrentIndex(2);
  emit child<QComboBox>(w, "T_number")->activated(2);
  // Cancel, then a pick: the file stays as it was.
  lists.answer = plat::IDCANCEL;
  lists.pick = 0;
  QTest::mouseClick(child<QPushButton>(w, "select_btn"), Qt::LeftButton);
  ASSERT_EQ(lists.calls.size(), 1u);
  EXPECT_TRUE(lists.calls[0].library);
  EXPECT_TRUE(lists.calls[0].editable);
  EXPECT_EQ(lists.shown_count, 2);
  EXPECT_FLOAT_EQ(w.tool().dia, 8);
  lists.answer = plat::IDOK;
  QTest::mouseClick(child<QPushButton>(w, "select_btn"), Qt::LeftButton);
  EXPECT_FLOAT_EQ(w.tool().dia, 20);
  EXPECT_EQ(w.tool().T_number, 2);
  EXPECT_EQ(w.holder().H_number, 2);
  EXPECT_EQ(w.magazine().slot[2].tool.name, "F20");
  EXPECT_EQ(read_file(dir / "TOOL_FLAT_EM.nts"), lib);
  // A reset in the list rewrites the file with that slot unset and keeps the comment.
  lists.reset = 1;
  lists.answer = plat::IDCANCEL;
  QTest::mouseClick(child<QPushButton>(w, "select_btn"), Qt::LeftButton);
  const std::vector<std::string> lines = split_text_lines(read_file(dir / "TOOL_FLAT_EM.nts"));
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[3], "(VLM N1 \"未設定\" )");
  EXPECT_EQ(lines[6], "; flats");
  EXPECT_TRUE(boxes.shown.empty());
  // Storing the current tool takes the library's first unset slot.
  QTest::mouseClick(child<QPushButton>(w, "save_to_TOOL_LIST_btn"), Qt::LeftButton);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("に工具番号 1 で"), std::string::npos);
}

// A library numbered from 1 (the sample's magazine file used as the flat end mills'
// library, with two unset tools after it): the stored tool takes a number no other slot has,
// and reading the file back gives every slot as it was and the new one where it was put.
TEST(CutterSetWin, AStoredToolGetsANumberOfItsOwn) {
  TempDir dir;
  Host host;
  host.config = dir.path();
  plat::ScriptedMessageBoxes boxes;
  const fs::path sample = data_file("").parent_path().parent_path().parent_path() / "samples";
  const std::string unset =
      "(VLM N3 \"未設定\" )\r\n(VLM T3 A0)\r\n(VLM H3 A49)\r\n"
      "(VLM N5 \"未設定\" )\r\n(VLM T5 A0)\r\n(VLM H5 A49)\r\n";
  const struct {
    std::string tools;  // the set tools, numbered from 1
    int first_unset;
  } libs[] = {{read_file(sample / "SAMPLE01.nst"), 2},
              {"(VLM N1 \"F6\" )\r\n(VLM T1 A1C6)\r\n(VLM H1 A49)\r\n", 1}};
  for (const auto& lib : libs) {
    write_file(dir / "TOOL_FLAT_EM.nts", lib.tools + unset);
    const TTool_library before = load_tool_library(dir / "TOOL_FLAT_EM.nts");
    ASSERT_EQ(before.m->used(), lib.first_unset + 2);
    boxes.shown.clear();
    Lists lists;
    Tcutter_set_win w(host, default_color_chooser(), lists);
    w.load(three_tools(), "cap", "PROG.NC", false, 0);
    w.show();
    child<QComboBox>(w, "T_number")->setCurrentIndex(2);
    emit child<QComboBox>(w, "T_number")->activated(2);
    auto* name = child<QLineEdit>(w, "ed_tool_name");
    name->setText(QStringLiteral("STORED"));
    QTest::keyClick(name, Qt::Key_Return);
    // The click goes to the window, as the user's does, and finds the button there.
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto* store = child<QPushButton>(w, "save_to_TOOL_LIST_btn");
    QTest::mouseClick(w.windowHandle(), Qt::LeftButton, {},
                      store->mapTo(&w, store->rect().center()));

    const TTool_library after = load_tool_library(dir / "TOOL_FLAT_EM.nts");
    EXPECT_TRUE(after.kept.empty()) << "lines left loose in the file";
    ASSERT_EQ(after.m->used(), before.m->used());
    int stored = -1;
    for (int k = 0; k < after.m->used(); ++k) {
      const TTTOOL_HOLDER_tmp& a = after.m->slot[k];
      const TTTOOL_HOLDER_tmp& b = before.m->slot[k];
      for (int o = 0; o < after.m->used(); ++o)
        if (o != k) EXPECT_NE(a.T_number, after.m->slot[o].T_number) << "two tools numbered " << a.T_number;
      if (a.tool.name == "STORED") {
        stored = k;
        EXPECT_EQ(b.tool.T_category, TOOL_KIND_NONE);
        EXPECT_EQ(a.tool.T_category, TOOL_KIND_FLAT_EM);
        EXPECT_EQ(a.tool.T_number, a.T_number);
        EXPECT_EQ(a.holder.H_number, a.T_number);
      } else {
        EXPECT_EQ(a.T_number, b.T_number) << k;
        EXPECT_EQ(a.tool.name_line, b.tool.name_line) << k;
        EXPECT_EQ(a.tool.tool_line, b.tool.tool_line) << k;
        EXPECT_EQ(a.holder.holder_line, b.holder.holder_line) << k;
      }
    }
    // The first unset slot, and the box names the number it has.
    ASSERT_EQ(stored, lib.first_unset);
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_NE(boxes.shown[0].text.find("に工具番号 " + std::to_string(after.m->slot[stored].T_number) + " で"),
              std::string::npos)
        << boxes.shown[0].text;
  }
}

TEST(CutterSetWin, AnotherMagazineComesThroughTheHostsDialog) {
  TempDir dir;
  Host host;
  host.config = dir.path();
  Lists lists;
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.load(three_tools(), "cap", "PROG.NC", false, 0);
  w.show();
  // Cancelled, then a name without ".nst" found in another case.
  QTest::mouseClick(child<QPushButton>(w, "select_from_magazin_btn"), Qt::LeftButton);
  EXPECT_EQ(host.modes, std::vector<int>{30});
  EXPECT_TRUE(lists.calls.empty());
  write_file(dir / "Mag.NST", "(VLM N0 \"B\" )\r\n(VLM T0 A2H3)\r\n");
  host.chosen = dir / "mag";
  lists.pick = 0;
  QTest::mouseClick(child<QPushButton>(w, "select_from_magazin_btn"), Qt::LeftButton);
  ASSERT_EQ(lists.calls.size(), 1u);
  EXPECT_FALSE(lists.calls[0].editable);
  EXPECT_EQ(lists.calls[0].mode, 4);
  EXPECT_EQ(w.tool().T_category, TOOL_KIND_BALL_EM);
  EXPECT_EQ(w.tool().T_number, 0);
}

TEST(CutterSetWin, LeavingAChangedEditChecksItOnce) {
  Host host;
  Lists lists;
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.load(three_tools(), "cap", "PROG.NC", true, 0);
  w.select_tool(2);  // a flat end mill: the sizes are shown
  w.show();
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  auto settle = [] {
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
  };
  auto retype = [&](QLineEdit* e, const char* text) {
    e->setFocus();
    e->selectAll();
    QTest::keyClicks(e, QString::fromLatin1(text));
    QTest::keyClick(e, Qt::Key_Tab);
    settle();
  };
  auto* diam = child<QLineEdit>(w, "ed_diam");
  auto* edge = child<QLineEdit>(w, "ED_COL_BL");
  const float dia = w.tool().dia;
  const int edge_color = w.tool().edge_color;
  for (QLineEdit* e : {diam, edge}) {
    plat::ScriptedMessageBoxes boxes;
    retype(e, e == edge ? "64" : "1x");
    ASSERT_EQ(boxes.shown.size(), 1u) << e->objectName().toStdString();
    if (e == edge) EXPECT_EQ(boxes.shown[0].text, "カラー番号は 0～63 で指定してください");
    EXPECT_TRUE(e->hasFocus());
    // Leaving again without a change: no second box.
    QTest::keyClick(e, Qt::Key_Tab);
    settle();
    EXPECT_EQ(boxes.shown.size(), 1u);
    EXPECT_FALSE(e->hasFocus());
  }
  EXPECT_FLOAT_EQ(w.tool().dia, dia);
  EXPECT_EQ(w.tool().edge_color, edge_color);
  plat::ScriptedMessageBoxes boxes;
  retype(diam, "9.5");
  retype(edge, "12");
  EXPECT_TRUE(boxes.shown.empty());
  EXPECT_FLOAT_EQ(w.tool().dia, 9.5f);
  EXPECT_EQ(w.tool().edge_color, 12);
  // A typed name is taken on leaving, and no longer follows the kind; one that CP932 cannot
  // hold gets its box after the focus change and the old name back.
  auto* name = child<QLineEdit>(w, "ed_tool_name");
  auto* automatic = child<QCheckBox>(w, "chk_auto_name");
  automatic->setChecked(true);
  name->setFocus();
  name->selectAll();
  QTest::keyClicks(name, u"E8"_qs);
  QTest::keyClick(name, Qt::Key_Tab);
  settle();
  EXPECT_EQ(w.tool().name, "E8");
  EXPECT_FALSE(automatic->isChecked());
  name->setFocus();
  name->setText(u"E8\uD55C"_qs);  // as typed: the key simulation has no such character
  name->setModified(true);
  QTest::keyClick(name, Qt::Key_Tab);
  EXPECT_TRUE(boxes.shown.empty());
  settle();
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(w.tool().name, "E8");
  EXPECT_EQ(name->text(), u"E8"_qs);
}

// The tool list window the settings window opens names what it lists: the kind's library
// file, the other magazine and the tool it is picked for, or the settings window's own
// caption for the magazine's list.
TEST(CutterSetWin, TheToolListItOpensCarriesItsCaption) {
  TempDir dir;
  Host host;
  host.config = dir.path();
  write_file(dir / "TOOL_FLAT_EM.nts", "(VLM N0 \"F20\" )\r\n(VLM T0 A1C20)\r\n(VLM H0 A49B80)\r\n");
  write_file(dir / "Mag.NST", "(VLM N0 \"B\" )\r\n(VLM T0 A2H3)\r\n");
  host.chosen = dir / "mag";
  TTOOL_LIST_win_opener lists(host, nullptr);
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.load(three_tools(), "工具設定 : PROG.NC", "PROG.NC", false, 0);
  w.show();
  child<QComboBox>(w, "T_number")->setCurrentIndex(2);
  emit child<QComboBox>(w, "T_number")->activated(2);
  const std::string magazine = path_text(dir / "Mag.NST");
  const struct {
    const char* button;
    std::string caption;
  } cases[] = {
      {"select_btn", "TOOL_FLAT_EM.nts"},
      {"select_from_magazin_btn", magazine + " : T  2 に設定する工具を選択してください"},
      {"LIST_btn", "工具設定 : PROG.NC"},
  };
  for (const auto& c : cases) {
    std::string shown;
    bool list = false;
    testing_support::on_modal(&w, [&](QWidget* d) {
      list = dynamic_cast<TTOOL_LIST_win*>(d) != nullptr;
      shown = plat::from_qstring(d->windowTitle());
      if (auto* close = d->findChild<QPushButton*>(QStringLiteral("settei_btn")))
        QTest::mouseClick(close, Qt::LeftButton);
      else
        d->close();
    });
    QTest::mouseClick(child<QPushButton>(w, c.button), Qt::LeftButton);
    EXPECT_TRUE(list) << c.button;
    EXPECT_EQ(shown, c.caption) << c.button;
  }
}

// The dimensioned drawing fills the panel: fitted with 3 dots to spare on the side that
// limits it (the drawing's own margin set to 0).
TEST(CutterSetWin, TheDrawingIsFittedIntoThePanelWithThreeDotsToSpare) {
  Host host;
  Lists lists;
  Tcutter_set_win w(host, default_color_chooser(), lists);
  w.load(three_tools(), "cap", "PROG.NC", true, 0);
  w.select_tool(2);
  w.show();
  QLineEdit* margin = child<QLineEdit>(w, "ED_AGAP");
  margin->setFocus();
  margin->selectAll();
  QTest::keyClicks(margin, QStringLiteral("0"));
  QTest::keyClick(margin, Qt::Key_Return);
  ASSERT_FLOAT_EQ(w.settings().AGAP, 0);
  QWidget* cpnl = child<QWidget>(w, "cpnl");
  const QImage img = cpnl->grab().toImage();
  const QColor back = color_code_qcolor(w.settings().BACK_color);
  int x0 = img.width(), y0 = img.height(), x1 = -1, y1 = -1;
  // The drawing, not the panel's own edge.
  for (int y = 1; y < img.height() - 1; ++y)
    for (int x = 1; x < img.width() - 1; ++x)
      if (img.pixelColor(x, y) != back) {
        x0 = std::min(x0, x), x1 = std::max(x1, x);
        y0 = std::min(y0, y), y1 = std::max(y1, y);
      }
  ASSERT_GE(x1, 0) << "nothing drawn";
  EXPECT_EQ(img.pixelColor(0, 0), back);  // the panel's background is the drawing's
  const int gap_x = std::max(x0, img.width() - 1 - x1);
  const int gap_y = std::max(y0, img.height() - 1 - y1);
  EXPECT_LE(std::min(gap_x, gap_y), 5) << x0 << "," << y0 << " " << x1 << "," << y1 << " of "
                                       << img.width() << "x" << img.height();
}
