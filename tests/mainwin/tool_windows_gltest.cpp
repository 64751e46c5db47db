// The tool windows on the real main window, on a copy of the sample: the tool set-up changes a
// tool and writes the program's tool file and the companion's tool data file, the tool list
// exports its pages with the path pictures, and tabulon reads the companion's file back
// (under xvfb-run).
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QColor>
#include <QComboBox>
#include <QImage>
#include <QMessageBox>
#include <QWindow>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <functional>
#include <map>
#include <set>

#include "mainwin/velmor_1.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "simulation/tool_codes.h"
#include "tabulon/core/tb_setup.h"
#include "tests/support/test_support.h"
#include "tests/tabulon/fake_view.h"
#include "tooling/core/tool_library.h"
#include "tooling/cutter_set_win_1.h"
#include "tooling/tool_list_win_1.h"
#include "tooling/sub_tdh_pset_win_1.h"
#include "tooling/clip_edit_1.h"
#include "tests/support/on_modal.h"
#include "tests/support/real_boxes.h"

namespace fs = std::filesystem;

namespace {

fs::path samples() {
  return fs::absolute(testing_support::data_file("")).parent_path().parent_path().parent_path() /
         "samples";
}

using testing_support::on_modal;

// The body of a tool comment code "(VLM T1 A2B29...)": what follows its name and number.
std::string code_body(const std::string& line) {
  const std::size_t open = line.find("(VLM ");
  if (open == std::string::npos) return {};
  const std::size_t start = line.find(' ', open + 5);
  const std::size_t close = line.rfind(')');
  if (start == std::string::npos || close == std::string::npos || close <= start) return {};
  return line.substr(start + 1, close - start - 1);
}

struct ToolCodes {
  std::string N, T, H;
  bool operator==(const ToolCodes&) const = default;
};

std::ostream& operator<<(std::ostream& o, const ToolCodes& c) {
  return o << "N[" << c.N << "] T[" << c.T << "] H[" << c.H << "]";
}

// The links and pictures a page names.
std::vector<std::string> references(const QString& html) {
  std::vector<std::string> out;
  static const QRegularExpression re(u"(?:SRC|HREF)=\"(?:\\./)?([^\"]+)\""_qs,
                                     QRegularExpression::CaseInsensitiveOption);
  for (auto it = re.globalMatch(html); it.hasNext();)
    out.push_back(plat::from_qstring(it.next().captured(1)));
  return out;
}

}  // namespace

// A user's round of the tool windows on the sample: the set-up shows the program's tools,
// T1 becomes a ball end mill, the companion's file is written and OK stores the tool file;
// the tool list in the order of use exports its pages with the path pictures; tabulon's
// reader gets the same tools from the companion's file.
TEST(VelmorToolWindows, TheSetUpStoresTheToolsTheListExportsThePathsAndTabulonReadsThem) {
  testing_support::TempDir prog, desk, work;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
  for (const char* name : {"SAMPLE01.NC", "SAMPLE01.nst"})
    fs::copy_file(samples() / name, work / name);
  const std::string nst_before = testing_support::read_file(work / "SAMPLE01.nst");
  plat::ScriptedMessageBoxes boxes;
  {
    Tvelmor w;
    w.set_start_file(work / "SAMPLE01.NC");
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    TSession& s = w.session();
    ASSERT_GT(s.nc().line_count, 0);
    ASSERT_NE(s.disp.SIM_CUTTING_MODE, 0);  // the automatic work: the export asks first
    QAction* setup = w.findChild<QAction*>(QStringLiteral("menu_tool_set"));
    QAction* list = w.findChild<QAction*>(QStringLiteral("menu_tool_list_1"));
    ASSERT_TRUE(setup && list);
    ASSERT_TRUE(setup->isEnabled() && list->isEnabled());

    // The set-up: T0 (before the first change), T1 and T2; T1 becomes a ball end mill, the
    // companion's file is written from the window's menu, OK stores.
    std::map<int, ToolCodes> stored;  // by T number, the kinds that are set
    bool setup_shown = false;
    on_modal(&w, [&](QWidget* d) {
      auto* win = qobject_cast<Tcutter_set_win*>(d);
      auto* numbers = d->findChild<QComboBox*>(QStringLiteral("T_number"));
      auto* kinds = d->findChild<QComboBox*>(QStringLiteral("zu_no_syurui"));
      auto* ok = d->findChild<QPushButton*>(QStringLiteral("OK_button"));
      auto* companion = d->findChild<QAction*>(QStringLiteral("menu_TB_out"));
      if (!win || !numbers || !kinds || !ok || !companion) {
        ADD_FAILURE() << "not the tool set-up: " << d->metaObject()->className();
        d->close();
        return;
      }
      setup_shown = true;
      QStringList items;
      for (int i = 0; i < numbers->count(); ++i) items << numbers->itemText(i).trimmed();
      EXPECT_EQ(items, (QStringList{u"0"_qs, u"1"_qs, u"2"_qs}));
      const TTOOL_HOLDER_tmp& m = win->magazine();
      EXPECT_EQ(m.slot[1].tool.T_category, TOOL_KIND_FLAT_EM);  // as the sample's file has it
      EXPECT_EQ(m.slot[2].tool.T_category, TOOL_KIND_DRILL);
      numbers->setCurrentIndex(1);
      emit numbers->activated(1);
      EXPECT_EQ(win->selected_slot(), 1);
      kinds->setCurrentIndex(TOOL_KIND_BALL_EM);
      emit kinds->activated(TOOL_KIND_BALL_EM);
      EXPECT_EQ(win->tool().T_category, TOOL_KIND_BALL_EM);
      companion->trigger();
      QTest::mouseClick(ok, Qt::LeftButton);
      for (int k = 0; k < m.used(); ++k) {
        TTOOL t = m.slot[k].tool;
        THOLDER h = m.slot[k].holder;
        make_TOOL_comment_lines(t, h);
        if (t.T_category != TOOL_KIND_NONE)
          stored[m.slot[k].T_number] = {code_body(t.name_line), code_body(t.tool_line),
                                        code_body(h.holder_line)};
      }
    });
    setup->trigger();
    ASSERT_TRUE(setup_shown);
    ASSERT_EQ(boxes.shown.size(), 1u);  // the companion's file, confirmed
    EXPECT_NE(boxes.shown[0].text.find("をデスクトップに保存しました"), std::string::npos)
        << boxes.shown[0].text;
    ASSERT_EQ(stored.size(), 2u);
    ASSERT_TRUE(stored.count(1) && stored.count(2));
    EXPECT_EQ(stored[1].T.substr(0, 2), "A2");

    // OK wrote the copy's tool file: T1 is read back as a ball, T2 as before.
    const std::string nst = testing_support::read_file(work / "SAMPLE01.nst");
    EXPECT_NE(nst, nst_before);
    {
      TTool_library lib = load_tool_library(work / "SAMPLE01.nst");
      ASSERT_TRUE(lib.exists && lib.readable);
      std::map<int, int> kinds;
      for (int k = 0; k < lib.m->used(); ++k)
        kinds[lib.m->slot[k].T_number] = lib.m->slot[k].tool.T_category;
      EXPECT_EQ(kinds[1], TOOL_KIND_BALL_EM);
      EXPECT_EQ(kinds[2], TOOL_KIND_DRILL);
    }
    EXPECT_EQ(testing_support::read_file(samples() / "SAMPLE01.nst"), nst_before);
    EXPECT_FALSE(fs::exists(samples() / "SAMPLE01.txt"));

    // The tool list in the order of use, exported with the path pictures. The moves are drawn
    // in one colour of their own (cyan), unlike the work, the background and the page.
    s.disp.PATH_COLORING = 1;  // by G code: rapid, linear, arcs and cycles rows 10 to 14
    for (int row = 10; row <= 14; ++row) s.disp.path[row].color = 15;
    update_disp_colors(s.disp);
    const QColor path(s.disp.path[11].rgba[0], s.disp.path[11].rgba[1], s.disp.path[11].rgba[2]);
    auto distance = [](const QColor& a, const QColor& b) {
      return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
             std::abs(a.blue() - b.blue());
    };
    EXPECT_GT(distance(path, Qt::white), 150);
    ASSERT_TRUE(s.mat->works[0].in_use);
    const TWORK_DATA& wk = s.mat->works[0];
    EXPECT_GT(distance(path, QColor(wk.color[0], wk.color[1], wk.color[2])), 150);
    EXPECT_GT(distance(path, QColor(s.disp.BACK_rgba[0], s.disp.BACK_rgba[1], s.disp.BACK_rgba[2])),
              150);

    boxes.shown.clear();
    boxes.answer(plat::IDOK);  // the works back to their start
    bool list_shown = false;
    std::vector<int> order;
    QSize path_size;
    on_modal(&w, [&](QWidget* d) {
      auto* win = dynamic_cast<TTOOL_LIST_win*>(d);
      auto* use_turn = d->findChild<QCheckBox*>(QStringLiteral("chk_Use_turn"));
      auto* at_path = d->findChild<QCheckBox*>(QStringLiteral("chk_print_at_path"));
      auto* html = d->findChild<QPushButton*>(QStringLiteral("Output_HTML_btn"));
      auto* close = d->findChild<QPushButton*>(QStringLiteral("settei_btn"));
      if (!win || !use_turn || !at_path || !html || !close) {
        ADD_FAILURE() << "not the tool list: " << d->metaObject()->className();
        d->close();
        return;
      }
      list_shown = true;
      EXPECT_TRUE(use_turn->isEnabled());
      EXPECT_TRUE(at_path->isVisible());
      use_turn->setChecked(true);
      at_path->setChecked(true);
      EXPECT_TRUE(win->model().use_order);
      for (const TLIST_ITEMS& it : win->model().items) order.push_back(it.tool.T_number);
      plat::ScriptedInput input;  // no Escape from the real keyboard
      html->click();
      path_size = QSize(win->options().text_w + win->options().pic_w,
                        (win->options().text_w + win->options().pic_w) * 3 / 4);
      close->click();
    });
    // the main window's caption shows each use's run and comes back after the export
    const QString title_before = w.windowTitle();
    QStringList titles;
    const auto watch = QObject::connect(&w, &QWidget::windowTitleChanged,
                                        [&](const QString& t) { titles.push_back(t); });
    list->trigger();
    QObject::disconnect(watch);
    ASSERT_TRUE(list_shown);
    EXPECT_EQ(order, (std::vector<int>{1, 2}));
    const QString running = plat::to_qstring(" 切削中 (ESCキーで中断できます) ");
    int runs = 0;
    for (const QString& t : titles)
      if (t.startsWith(running)) ++runs;
    EXPECT_GE(runs, 2) << titles.join(u"\n"_qs).toStdString();
    EXPECT_EQ(w.windowTitle(), title_before);
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(boxes.shown[0].text, "全てのワークを初期状態に戻していいですか？");
    EXPECT_EQ(boxes.shown[1].text, "HTML 出力は終了しました。");

    // Every page parses, shows the program or its tools and names only files that exist.
    const fs::path dir = desk / "SAMPLE01";
    const std::map<std::string, std::vector<std::string>> pages = {
        {"P_MENU.htm", {"SAMPLE01.NC", "P_TOP", "P_0", "P_1"}},
        {"P_TOP.htm", {}},
        {"P_0.htm", {}},
        {"P_1.htm", {}},
    };
    std::set<std::string> named;
    for (const auto& [page, words] : pages) {
      SCOPED_TRACE(page);
      ASSERT_TRUE(fs::exists(dir / page));
      const QString html = plat::to_qstring(testing_support::read_file(dir / page));
      QTextDocument doc;
      doc.setHtml(html);
      const QString text = doc.toPlainText();
      EXPECT_FALSE(text.trimmed().isEmpty());
      EXPECT_FALSE(text.contains(u"<TR"_qs, Qt::CaseInsensitive)) << text.toStdString();
      for (const std::string& word : words) EXPECT_TRUE(text.contains(plat::to_qstring(word))) << word;
      for (const std::string& f : references(html)) {
        EXPECT_TRUE(fs::exists(dir / f)) << f;
        named.insert(f);
      }
    }
    for (const char* f : {"P_CL_TOP.jpg", "P_CL_0.jpg", "P_CL_1.jpg", "P_TL_0.jpg", "P_TL_1.jpg"})
      EXPECT_TRUE(named.count(f)) << f;
    const QString index = plat::to_qstring(testing_support::read_file(dir / "index.htm"));
    EXPECT_EQ(references(index), (std::vector<std::string>{"P_MENU.htm", "P_TOP.htm"}));

    // The whole program's picture shows the path in its colour.
    QImage top;
    ASSERT_TRUE(top.load(plat::path_to_qstring(dir / "P_CL_TOP.jpg"), "JPEG"));
    EXPECT_EQ(top.size(), path_size);
    if (const char* dump = std::getenv("TOOL_WINDOWS_DUMP")) top.save(QString::fromLocal8Bit(dump));
    // The lines are thin: the picture's compression keeps their hue, not their full colour.
    int near = 0;
    for (int y = 0; y < top.height(); ++y)
      for (int x = 0; x < top.width(); ++x) {
        const QColor px = top.pixelColor(x, y);
        const int dh = std::abs(px.hsvHue() - path.hsvHue());
        if (px.hsvHue() >= 0 && std::min(dh, 360 - dh) <= 20 && px.hsvSaturation() > 100 &&
            px.value() > 80)
          ++near;
      }
    EXPECT_GE(near, 100) << "path " << path.red() << "," << path.green() << "," << path.blue();

    // tabulon's reader takes the same tools from the companion's file.
    FakeView view;
    TVLM_tool_list tools;
    ASSERT_TRUE(tools.get_VLM_tool_data(plat::utf8_to_cp932((desk / "SAMPLE01.txt").string()), view));
    std::map<int, ToolCodes> read;
    for (const TVLM_TOOL& t : tools.tools()) read[t.number] = {t.N, t.T, t.H};
    EXPECT_EQ(read, stored);
    w.close();
  }
  fs::current_path(cwd);
}

// The export's question about the works, during the busy export, is a real box answered
// through its window: Cancel writes nothing, OK writes the pages into the folder named after
// the program, whose name has characters with a "\\" as their second byte.
TEST(VelmorToolWindows, TheExportsQuestionTakesItsAnswerAndThePagesGoIntoTheProgramsFolder) {
  using testing_support::BoxAnswer;
  testing_support::TempDir prog, desk, work;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
  const fs::path nc = work.path() / u8"ソース.NC";
  fs::copy_file(samples() / "SAMPLE01.NC", nc);
  {
    Tvelmor w;
    w.set_start_file(nc);
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    TSession& s = w.session();
    ASSERT_GT(s.nc().line_count, 0);
    ASSERT_NE(s.disp.SIM_CUTTING_MODE, 0);
    // The companion's tool data file from the set-up window: named after the program, in
    // the file system's own spelling, and the box shows the name.
    QAction* setup = w.findChild<QAction*>(QStringLiteral("menu_tool_set"));
    ASSERT_TRUE(setup && setup->isEnabled());
    {
      testing_support::RealBoxes boxes;
      boxes.answer(BoxAnswer::click(QMessageBox::Ok));
      bool setup_shown = false;
      on_modal(&w, [&](QWidget* d) {
        auto* companion = d->findChild<QAction*>(QStringLiteral("menu_TB_out"));
        auto* ok = d->findChild<QPushButton*>(QStringLiteral("OK_button"));
        if (!qobject_cast<Tcutter_set_win*>(d) || !companion || !ok) {
          ADD_FAILURE() << "not the tool set-up: " << d->metaObject()->className();
          d->close();
          return;
        }
        setup_shown = true;
        companion->trigger();
        if (!QTest::qWaitForWindowExposed(d)) return;
        QTest::mouseClick(d->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          ok->mapTo(d, ok->rect().center()));
      });
      setup->trigger();
      ASSERT_TRUE(setup_shown);
      ASSERT_EQ(boxes.shown.size(), 1u);
      EXPECT_TRUE(boxes.all_answered());
      const fs::path txt = desk.path() / u8"ソース.txt";
      EXPECT_TRUE(fs::exists(txt));
      EXPECT_EQ(boxes.shown[0].text, "TABULON 用工具データファイル '" +
                                         plat::utf8_to_cp932(txt.string()) +
                                         "' をデスクトップに保存しました");
      fs::remove(txt);
    }

    QAction* list = w.findChild<QAction*>(QStringLiteral("menu_tool_list_1"));
    ASSERT_TRUE(list && list->isEnabled());
    struct Case {
      const char* what;
      BoxAnswer answer;
      bool written;
    };
    const Case cases[] = {{"Cancel", BoxAnswer::click(QMessageBox::Cancel), false},
                          {"OK", BoxAnswer::click(QMessageBox::Ok), true}};
    for (const Case& c : cases) {
      SCOPED_TRACE(c.what);
      testing_support::RealBoxes boxes;
      boxes.answer(c.answer);
      boxes.answer(BoxAnswer::enter());  // the end of the export
      bool list_shown = false;
      on_modal(&w, [&](QWidget* d) {
        auto* use_turn = d->findChild<QCheckBox*>(QStringLiteral("chk_Use_turn"));
        auto* at_path = d->findChild<QCheckBox*>(QStringLiteral("chk_print_at_path"));
        auto* html = d->findChild<QPushButton*>(QStringLiteral("Output_HTML_btn"));
        auto* close = d->findChild<QPushButton*>(QStringLiteral("settei_btn"));
        if (!dynamic_cast<TTOOL_LIST_win*>(d) || !use_turn || !at_path || !html || !close) {
          ADD_FAILURE() << "not the tool list: " << d->metaObject()->className();
          d->close();
          return;
        }
        list_shown = true;
        use_turn->setChecked(true);
        at_path->setChecked(true);
        if (!QTest::qWaitForWindowExposed(d)) return;
        QWindow* win = d->windowHandle();
        QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, html->mapTo(d, html->rect().center()));
        QTest::mouseClick(win, Qt::LeftButton, Qt::NoModifier, close->mapTo(d, close->rect().center()));
      });
      list->trigger();
      ASSERT_TRUE(list_shown);
      ASSERT_GE(boxes.shown.size(), 1u);
      EXPECT_TRUE(boxes.shown[0].busy);
      EXPECT_TRUE(boxes.all_answered());
      EXPECT_EQ(boxes.shown[0].text, "全てのワークを初期状態に戻していいですか？");
      const fs::path dir = desk.path() / u8"ソース";
      EXPECT_EQ(fs::exists(dir / "index.htm"), c.written);
      if (c.written) {
        ASSERT_EQ(boxes.shown.size(), 2u);
        EXPECT_EQ(boxes.shown[1].text, "HTML 出力は終了しました。");
        EXPECT_TRUE(fs::exists(dir / "P_CL_TOP.jpg"));
      } else {
        EXPECT_EQ(boxes.shown.size(), 1u);
      }
      // Nothing else on the desktop: no folder of a part of the name.
      for (const auto& e : fs::directory_iterator(desk.path()))
        EXPECT_EQ(e.path().filename(), fs::path(u8"ソース")) << e.path();
      EXPECT_FALSE(plat::busy());
    }
    w.close();
  }
  fs::current_path(cwd);
}

namespace {

// Runs `f` on the next modal dialog of class T once it is shown.
template <class T>
void on_modal_of(QObject* owner, std::function<void(T*)> f) {
  auto* t = new QTimer(owner);
  t->setInterval(5);
  QObject::connect(t, &QTimer::timeout, [t, f] {
    auto* w = dynamic_cast<T*>(QApplication::activeModalWidget());
    if (!w || !w->isVisible()) return;
    t->stop();
    t->deleteLater();
    f(w);
  });
  t->start();
}

}  // namespace

// The per-tool cut-out from the tool list's pop-up on the real main window: the code dialog
// previews the new comment line with the use's codes and the tool's name, shows only the
// codes the use has, and the cut-out is written with the typed T.
TEST(VelmorToolWindows, TheCutOutDialogPreviewsTheCommentLineAndShowsOnlyTheUsesCodes) {
  testing_support::TempDir prog, desk, work;
  const fs::path cwd = fs::current_path();
  plat::set_data_folder(prog.path());
  plat::set_desktop_folder(desk.path());
  // T1 without a D code, T2 with D02; their names from the sample's tool file.
  testing_support::write_file(work / "PROG.NC",
                              "%\r\nO1000\r\n(VLM ORIGN X0Y0Z100.)\r\nG90G80G40G49G17\r\n"
                              "T1M06\r\nG90G54G00X0.Y0.S1000M03\r\nG43Z50.H01\r\nG01Z-1.F100\r\n"
                              "X10.\r\nG00Z50.\r\nT2M06\r\nG90G00X0.Y0.S1000M03\r\nG43Z50.H02\r\n"
                              "G01Z-1.F100\r\nG41X10.D02\r\nG40X0.\r\nG00Z50.\r\nM30\r\n%\r\n");
  fs::copy_file(samples() / "SAMPLE01.nst", work / "PROG.nst");
  {
    Tvelmor w;
    w.set_start_file(work / "PROG.NC");
    w.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    QTest::qWait(50);
    QAction* list = w.findChild<QAction*>(QStringLiteral("menu_tool_list_1"));
    ASSERT_TRUE(list && list->isEnabled());
    struct Seen {
      bool dialog = false;
      bool no_name = false;
      QString comment, named;  // as shown, and after "工具名出力無し" is cleared
      std::string name;
      bool d_shown = false, h_shown = false, t_shown = false;
      QString label_d, label_h, edit_t;
    };
    std::vector<Seen> seen;
    bool list_shown = false;
    on_modal(&w, [&](QWidget* d) {
      auto* win = dynamic_cast<TTOOL_LIST_win*>(d);
      auto* use_turn = d->findChild<QCheckBox*>(QStringLiteral("chk_Use_turn"));
      auto* close = d->findChild<QPushButton*>(QStringLiteral("settei_btn"));
      auto* area = d->findChild<QAbstractScrollArea*>(QStringLiteral("ScrollBox1"));
      if (!win || !use_turn || !close || !area) {
        ADD_FAILURE() << "not the tool list";
        d->close();
        return;
      }
      list_shown = true;
      if (!use_turn->isChecked()) QTest::mouseClick(use_turn, Qt::LeftButton);
      if (!win->model().use_order || win->model().items.size() != 2u) {
        ADD_FAILURE() << "not the two tool uses in the order of use";
        QTest::mouseClick(close, Qt::LeftButton);
        return;
      }
      seen.resize(2);
      for (std::size_t i = 0; i < 2; ++i) {
        const TLIST_ITEMS& it = win->model().items[i];
        seen[i].name = it.tool.name;
        on_modal_of<TSUB_TDH_PSET_win>(&w, [&seen, i](TSUB_TDH_PSET_win* dlg) {
          Seen& s = seen[i];
          s.dialog = true;
          s.comment = dlg->Label_COMMENT->text();
          s.no_name = dlg->chk_No_Name->isChecked();
          if (s.no_name) QTest::mouseClick(dlg->chk_No_Name, Qt::LeftButton);
          s.named = dlg->Label_COMMENT->text();
          s.t_shown = dlg->Edit_T->isVisible() && dlg->Label_T->isVisible();
          s.d_shown = dlg->Edit_D->isVisible() || dlg->Label_D->isVisible();
          s.h_shown = dlg->Edit_H->isVisible() && dlg->Label_H->isVisible();
          s.label_d = dlg->Label_D->text();
          s.label_h = dlg->Label_H->text();
          s.edit_t = dlg->Edit_T->text();
          if (const char* dump = std::getenv("TDH_DIALOG_DUMP"); dump && i == 0)
            dlg->grab().save(QString::fromLocal8Bit(dump));
          dlg->Edit_T->setFocus();
          dlg->Edit_T->selectAll();
          QTest::keyClicks(dlg->Edit_T, QStringLiteral("7"));
          QTest::mouseClick(dlg->btn_OK, Qt::LeftButton);
        });
        // The pop-up at the card, its item "加工 Ｇ コード列を出力する" clicked.
        QTimer::singleShot(100, [] {
          auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
          if (!menu) return;
          for (QAction* a : menu->actions())
            if (a->objectName() == QStringLiteral("N3"))
              QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(a).center());
        });
        const int y = (it.top + it.bottom) / 2 - area->verticalScrollBar()->value();
        QTest::mouseClick(area->viewport(), Qt::RightButton, {}, QPoint(20, y));
      }
      QTest::mouseClick(close, Qt::LeftButton);
    });
    list->trigger();
    ASSERT_TRUE(list_shown);
    ASSERT_EQ(seen.size(), 2u);
    const std::string prefix[2] = {"(  1 : T01     H01 ", "(  2 : T02 D02 H02 "};
    for (int i = 0; i < 2; ++i) {
      SCOPED_TRACE(i);
      const Seen& s = seen[static_cast<std::size_t>(i)];
      EXPECT_TRUE(s.dialog);
      EXPECT_FALSE(s.name.empty());
      EXPECT_EQ(s.comment, plat::to_qstring(prefix[i] + (s.no_name ? ")" : ": \"" + s.name + "\")")));
      EXPECT_EQ(s.named, plat::to_qstring(prefix[i] + ": \"" + s.name + "\")"));
      EXPECT_TRUE(s.t_shown);
      EXPECT_TRUE(s.h_shown);
    }
    EXPECT_FALSE(seen[0].d_shown);  // T1 has no D code: its row is hidden
    EXPECT_TRUE(seen[1].d_shown);
    EXPECT_EQ(seen[1].label_d, u"D02"_qs);
    EXPECT_EQ(seen[0].label_h, u"H01"_qs);
    EXPECT_EQ(seen[0].edit_t, u"01"_qs);
    // The last cut-out is in the output window, with the new T.
    TClip_Edit* out = nullptr;
    for (QWidget* tw : QApplication::topLevelWidgets())
      if (auto* c = qobject_cast<TClip_Edit*>(tw)) out = c;
    ASSERT_NE(out, nullptr);
    const std::string text = plat::from_qstring(out->re1->toPlainText());
    EXPECT_NE(text.find("( START ) T07 "), std::string::npos) << text.substr(0, 300);
    EXPECT_NE(text.find("(  2 : T02 D02 H02  → T07"), std::string::npos) << text.substr(0, 300);
    w.close();
  }
  fs::current_path(cwd);
}
