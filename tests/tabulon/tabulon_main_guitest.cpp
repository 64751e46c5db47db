#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QUrl>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tabulon/core/tb_text.h"
#include "tabulon/deb_1.h"
#include "tabulon/select_editor_1.h"
#include "tabulon/tabulon_1.h"
#include "tests/support/real_boxes.h"
#include "tests/support/test_support.h"
#include "tests/support/text_fit.h"

using testing_support::read_file;
using testing_support::TempDir;
using testing_support::write_file;
namespace fs = std::filesystem;

namespace {

const char* const kDefinition =
    "#TB test-2 用 ; 識別名\r\n"
    "#EXT .NCD\r\n"
    "#TB-TOOL-DATA tools.txt\r\n"
    "%PRE-CONV = s/M30/M99/\r\n"
    "#TB-END\r\n"
    "#TB other\r\n"
    "#EXT .TAP\r\n"
    "#TB-END\r\n";

// A control of the window, found by its component name.
template <class T>
T* child(const QObject& w, const char* name) {
  T* c = w.findChild<T*>(QString::fromLatin1(name));
  if (!c) ADD_FAILURE() << "no " << name;
  return c;
}

class TabulonMain : public ::testing::Test {
 protected:
  void SetUp() override {
    plat::set_data_folder(dir.path());
    plat::set_desktop_folder(dir / "desk");
    fs::create_directories(dir / "desk");
    fs::create_directories(dir / "chk");
    fs::create_directories(dir / "0_TB_datas");
    write_file(dir / "0_TB_setup.txt", "#TB_FILES\r\n.\\0_TB_datas\\def.txt\r\n");
    write_file(dir / "0_TB_datas" / "def.txt", kDefinition);
    write_file(dir / "0_TB_datas" / "tools.txt",
               "%TB T=03 (VLM N3 \"R3\" ) (VLM T3 A2H3C6) (VLM H3 A49B72)\r\n");
    write_file(dir / "P1.nc", "O0001\r\nT3M6\r\nG0X1.(A)\r\nM30\r\n");
  }
  void TearDown() override {
    plat::set_data_folder(fs::path());
    plat::set_desktop_folder(fs::path());
  }
  void write_ini(const std::string& body) { write_file(dir / "t.ini", "[TB_option]\r\n" + body); }
  // A window on the temporary data folder, shown.
  std::unique_ptr<TTabulon_main> show() {
    auto w = std::make_unique<TTabulon_main>();
    w->ini_path = dir / "t.ini";
    w->show();
    return w;
  }
  std::string log(TTabulon_main& w) {
    return plat::from_qstring(child<QTextEdit>(w, "RichEdit1")->toPlainText());
  }
  bool logged(TTabulon_main& w, const std::string& part) {
    return log(w).find(part) != std::string::npos;
  }
  void drop(TTabulon_main& w, const std::vector<fs::path>& files) {
    auto* mime = new QMimeData;
    QList<QUrl> urls;
    for (const auto& f : files) urls << QUrl::fromLocalFile(plat::path_to_qstring(f));
    mime->setUrls(urls);
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent ev(QPointF(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &ev);
    delete mime;
  }

  TempDir dir;
  plat::RecordingLauncher launcher;
};

TEST_F(TabulonMain, StartsWithTheDefinitionsAndTheIniSettings) {
  write_ini("M_TOP=94\r\nM_LEFT=394\r\nM_WIDTH=396\r\nM_HEIGHT=428\r\nM_EDIT_RADIO=0\r\n"
            "D_combo_TB_text= other\r\nD_ext=.NCD\r\nD_start_Z=0\r\nD_chk_vlm_exe=1\r\n");
  auto w = show();
  EXPECT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  EXPECT_EQ(plat::from_qstring(w->windowTitle()), "Tabulon Version 1.01 ");
  ASSERT_EQ(child<QComboBox>(*w, "COMBO_TB")->count(), 2);
  EXPECT_EQ(plat::from_qstring(child<QComboBox>(*w, "COMBO_TB")->itemText(0)), " test-2 用 ");
  EXPECT_EQ(w->combo_text(), " other ");  // the INI's definition is selected
  EXPECT_EQ(w->field(TB_field::D_ext), ".TAP");
  EXPECT_EQ(w->field(TB_field::D_START_Z), "0");
  EXPECT_TRUE(child<QCheckBox>(*w, "D_chk_vlm_exe")->isChecked());
  EXPECT_TRUE(child<QLineEdit>(*w, "D_vlm_chk_dir")->isEnabled());
  EXPECT_FALSE(child<QCheckBox>(*w, "chk_Onum_NCD_SAVE")->isChecked());
  EXPECT_FALSE(child<QLineEdit>(*w, "D_ncd_output_dir")->isEnabled());
  EXPECT_TRUE(logged(*w, "★ NCデータをここに DRAG & DROP してください"));
  EXPECT_NE(child<Tdeb>(*w, "deb")->text().find(" ok! : TB : other ( 1 )"), std::string::npos);
  // the settings menu follows the definitions
  QStringList items;
  std::vector<QAction*> acts;
  for (QAction* a : child<QMenu>(*w, "menu_settei")->actions())
    if (!a->isSeparator()) items << a->text(), acts.push_back(a);
  EXPECT_EQ(items, (QStringList{plat::to_qstring("編集: test-2 用"),
                                plat::to_qstring("【 工具データ → tools.txt 】"),
                                plat::to_qstring("編集: other"),
                                plat::to_qstring("編集: 0_TB_setup.txt (読込ファイル設定)"),
                                QStringLiteral("(open the above file's folder)")}));
  // Tag 21 opens the file with the desktop, Tag 22 the folder
  acts[1]->trigger();
  acts[3]->trigger();
  acts[4]->trigger();
  ASSERT_EQ(launcher.calls.size(), 3u);
  EXPECT_EQ(launcher.calls[0].program, dir / "0_TB_datas" / "tools.txt");
  EXPECT_EQ(launcher.calls[1].program, dir / "0_TB_setup.txt");
  EXPECT_EQ(fs::path(launcher.calls[2].program.string() + "x"), fs::path(dir.path().string() + "/x"));
  EXPECT_TRUE(w->close());
}

TEST_F(TabulonMain, IniDefaultsBoundsFoldersAndEditorChoice) {
  {
    auto w = show();  // no INI file: the defaults
    auto* editor = child<Tselect_editor>(*w, "select_editor");
    EXPECT_EQ(w->field(TB_field::D_ext), ".NCD");
    EXPECT_EQ(w->field(TB_field::D_START_X), "0");
    EXPECT_EQ(w->field(TB_field::D_START_Z), "100.");
    EXPECT_EQ(w->pos(), QPoint(100, 100));
    EXPECT_TRUE(editor->RB_0->isChecked());
    EXPECT_FALSE(editor->Edit1->isEnabled());
    EXPECT_FALSE(child<QCheckBox>(*w, "D_chk_vlm_exe")->isChecked());
  }
  struct Case {
    const char* radio;
    bool rb1;
  } radios[] = {{"1", true}, {"2", false}, {"x", false}};
  for (const auto& r : radios) {
    write_ini("; kept comment\r\nM_TOP=1.5\r\nM_LEFT=x\r\nM_WIDTH=500\r\nM_HEIGHT=\r\n"
              "mine=kept\r\nM_EDIT_RADIO=" + std::string(r.radio) +
              "\r\nM_EDIT_TEXT=/usr/bin/ed\r\nD_vlm_chk_dir=" + path_text(dir / "chk") +
              "\r\nD_ncd_output_dir=" + path_text(dir / "gone") + "\r\n[other]\r\nx=1\r\n");
    auto w = show();
    auto* editor = child<Tselect_editor>(*w, "select_editor");
    EXPECT_EQ(w->pos(), QPoint(0, 0)) << r.radio;  // non-integers keep the designed bounds
    EXPECT_EQ(w->width(), 500);
    EXPECT_EQ(editor->RB_1->isChecked(), r.rb1);
    EXPECT_EQ(editor->Edit1->isEnabled(), r.rb1);
    EXPECT_EQ(plat::from_qstring(editor->Edit1->text()), "/usr/bin/ed");
    EXPECT_EQ(w->field(TB_field::D_vlm_chk_dir), path_text(dir / "chk"));
    EXPECT_EQ(w->field(TB_field::D_ncd_output_dir), "");  // the folder is gone
    w->set_field(TB_field::D_O_num, "O12");
    w->close();
    const std::string ini = read_file(dir / "t.ini");
    EXPECT_EQ(ini.rfind("[TB_option]\r\n; kept comment\r\nM_TOP=0\r\nM_LEFT=0\r\n", 0), 0u) << ini;
    EXPECT_NE(ini.find("mine=kept\r\nM_EDIT_RADIO=" + std::string(r.rb1 ? "1" : "0") + "\r\n"),
              std::string::npos);
    // keys in place, missing keys appended in order
    EXPECT_NE(ini.find("M_EDIT_TEXT=/usr/bin/ed\r\nD_vlm_chk_dir=" + path_text(dir / "chk") +
                       "\r\nD_ncd_output_dir=\r\nD_combo_TB_text= test-2 用 \r\nD_O_num=O12\r\n"
                       "D_ext=.NCD\r\nD_start_X=0\r\n"),
              std::string::npos)
        << ini;
    EXPECT_NE(ini.find("D_chk_Onum_NCD_SAVE=0\r\n[other]\r\nx=1\r\n"), std::string::npos) << ini;
  }
}

TEST_F(TabulonMain, IniSizeBeyondTheDesktopIsBounded) {
  // a damaged INI file must not make a window too large to draw
  write_ini("M_WIDTH=100000\r\nM_HEIGHT=450\r\n");
  auto w = show();
  const QSize most = w->screen()->availableVirtualGeometry().size();
  EXPECT_LE(w->width(), most.width());
  EXPECT_EQ(w->height(), 450);
  w->close();
}

TEST_F(TabulonMain, DropConvertsTheFirstFileAndStartsVelmor) {
  write_ini("D_chk_vlm_exe=1\r\nD_vlm_chk_dir=" + path_text(dir / "chk") + "\r\n");
  write_file(dir / "P2.nc", "T5\r\n");
  fs::create_directories(dir / "bin");
  write_file(dir / "bin" / "velmor_free", "");
  write_file(dir / "velmor", "");  // the data folder is not where velmor is looked for
  auto w = show();
  EXPECT_EQ(w->program_folder, plat::executable_folder());
  w->program_folder = dir / "bin";
  drop(*w, {dir / "P1.nc", dir / "P2.nc"});  // a real drop event; only the first counts
  EXPECT_TRUE(logged(*w, "処理は終了しました。")) << log(*w);
  EXPECT_TRUE(fs::exists(dir / "chk" / "P1_VLM.NCD"));
  EXPECT_EQ(read_file(dir / "chk" / "P1_VLM.nst"),
            "(VLM N3 \"R3\" )\r\n(VLM T3 A2H3C6)\r\n(VLM H3 A49B72)\r\n");
  EXPECT_FALSE(fs::exists(dir / "chk" / "P2_VLM.NCD"));
  EXPECT_EQ(w->field(TB_field::D_O_num), "O0001");
  ASSERT_EQ(launcher.calls.size(), 1u);  // velmor is missing: velmor_free
  EXPECT_EQ(launcher.calls[0].program, dir / "bin" / "velmor_free");
  EXPECT_EQ(launcher.calls[0].args, (std::vector<std::string>{(dir / "chk" / "P1_VLM.NCD").string()}));

  write_file(dir / "bin" / "velmor", "");
  w->drop_files({dir / "P2.nc"});
  ASSERT_EQ(launcher.calls.size(), 2u);
  EXPECT_EQ(launcher.calls[1].program, dir / "bin" / "velmor");

  // neither program: the box comes after a successful conversion
  fs::remove(dir / "bin" / "velmor");
  fs::remove(dir / "bin" / "velmor_free");
  plat::ScriptedMessageBoxes boxes;
  w->drop_files({dir / "P1.nc"});
  EXPECT_TRUE(logged(*w, "処理は終了しました。"));
  ASSERT_EQ(boxes.shown.size(), 1u);
  // named as the programs are on this system
  EXPECT_EQ(boxes.shown[0].text, "velmor or velmor_free not found in same dir");
  EXPECT_EQ(boxes.shown[0].caption, "Info");
  EXPECT_EQ(launcher.calls.size(), 2u);
  w->close();
}

// The boxes of a drop come while the drop is busy; each takes its answer through its window:
// a definition whose tool-data file is missing, and the end of a conversion with no velmor
// beside tabulon.
TEST_F(TabulonMain, TheBoxesOfADropTakeTheirAnswers) {
  using testing_support::BoxAnswer;
  write_file(dir / "0_TB_datas" / "def.txt",
             std::string(kDefinition) + "#TB lost\r\n#EXT .NCD\r\n#TB-TOOL-DATA none.txt\r\n#TB-END\r\n");
  write_ini("D_chk_vlm_exe=1\r\nD_vlm_chk_dir=" + path_text(dir / "chk") + "\r\n");
  auto w = show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
  w->program_folder = dir / "bin";  // no velmor there
  {
    testing_support::RealBoxes boxes;
    boxes.answer(BoxAnswer::click(QMessageBox::Ok));
    w->set_combo_text(" lost ");
    drop(*w, {dir / "P1.nc"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].busy);
    EXPECT_TRUE(boxes.all_answered());
    EXPECT_EQ(boxes.shown[0].caption, "Read Error");
    EXPECT_NE(boxes.shown[0].text.find("none.txt"), std::string::npos);
    EXPECT_TRUE(logged(*w, " を読み込めませんでした")) << log(*w);
    EXPECT_TRUE(fs::is_empty(dir / "chk"));
  }
  for (BoxAnswer a : {BoxAnswer::close(), BoxAnswer::enter(), BoxAnswer::click(QMessageBox::Ok)}) {
    testing_support::RealBoxes boxes;
    boxes.answer(a);
    w->set_combo_text(" test-2 用 ");
    drop(*w, {dir / "P1.nc"});
    ASSERT_EQ(boxes.shown.size(), 1u);
    EXPECT_TRUE(boxes.shown[0].busy);
    EXPECT_TRUE(boxes.all_answered());
    EXPECT_EQ(boxes.shown[0].text, "velmor or velmor_free not found in same dir");
    EXPECT_TRUE(logged(*w, "処理は終了しました。"));
    EXPECT_FALSE(plat::busy());
  }
  EXPECT_TRUE(launcher.calls.empty());
  w->close();
}

// A saved definition name that is gone selects the first definition, which the list shows;
// the drop then converts with it.
TEST_F(TabulonMain, AnUnknownDefinitionNameFallsBackToTheFirst) {
  write_ini("D_combo_TB_text= gone \r\nD_ext=.XYZ\r\nD_chk_vlm_exe=1\r\nD_vlm_chk_dir=" +
            path_text(dir / "chk") + "\r\n");
  auto w = show();
  EXPECT_EQ(w->combo_text(), " test-2 用 ");
  EXPECT_EQ(plat::from_qstring(child<QComboBox>(*w, "COMBO_TB")->currentText()), " test-2 用 ");
  EXPECT_EQ(w->field(TB_field::D_ext), ".NCD");
  w->program_folder = dir.path();
  write_file(dir / "velmor", "");
  drop(*w, {dir / "P1.nc"});
  EXPECT_TRUE(logged(*w, "処理は終了しました。")) << log(*w);
  EXPECT_TRUE(fs::exists(dir / "chk" / "P1_VLM.NCD"));
  w->close();
}

// Escape ends a conversion with "中断しました"; the next drop's conversion sets the caption
// again.
TEST_F(TabulonMain, ANewConversionSetsTheCaptionAgainAfterAnEscape) {
  write_ini("D_chk_vlm_exe=0\r\n");
  auto w = show();
  {
    plat::ScriptedInput input;
    input.escape_after(2);  // the first poll of the lines (the first read clears the key)
    drop(*w, {dir / "P1.nc"});
  }
  EXPECT_EQ(plat::from_qstring(w->windowTitle()), "中断しました");
  EXPECT_FALSE(logged(*w, "処理は終了しました。"));
  drop(*w, {dir / "P1.nc"});
  EXPECT_TRUE(logged(*w, "処理は終了しました。"));
  EXPECT_EQ(plat::from_qstring(w->windowTitle()), "Tabulon Version 1.01 ");
  w->close();
}

// What cannot be converted says so in the log and writes nothing: a folder, a missing file,
// a file with a control byte (velmor's message, with its line) and a file of random bytes.
TEST_F(TabulonMain, ADropThatCannotBeConvertedSaysWhyAndWritesNothing) {
  write_ini("D_chk_vlm_exe=1\r\nD_vlm_chk_dir=" + path_text(dir / "chk") + "\r\n");
  write_file(dir / "C.nc", "O1\r\nT3M6\r\nG0X1.\x12\r\nM30\r\n");
  std::string noise;
  std::uint32_t x = 777;
  for (int i = 0; i < 2000; ++i) {
    x = x * 1664525u + 1013904223u;
    noise += static_cast<char>(x >> 24);
  }
  write_file(dir / "R.nc", noise);
  fs::create_directories(dir / "folder.nc");
  auto w = show();
  w->program_folder = dir.path();
  write_file(dir / "velmor", "");
  struct Case {
    fs::path file;
    std::string says;
  };
  const Case cases[] = {
      {dir / "folder.nc", " ERR : " + path_text(dir / "folder.nc") + " はファイルではありません"},
      {dir / "none.nc", " ERR : " + path_text(dir / "none.nc") + " が見つかりませんでした"},
      {dir / "C.nc", "C.nc の 3 行目に制御コード (0x12) があります。"},
      {dir / "R.nc", "R.nc の "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file.string());
    drop(*w, {c.file});
    EXPECT_TRUE(logged(*w, c.says)) << log(*w);
    EXPECT_FALSE(logged(*w, "処理は終了しました。"));
    EXPECT_TRUE(fs::is_empty(dir / "chk"));
  }
  EXPECT_TRUE(logged(*w, "行目に制御コード (0x"));
  EXPECT_TRUE(launcher.calls.empty());
  w->close();
}

// The stored bounds are kept on the screen, whatever the INI file holds.
TEST_F(TabulonMain, TheStoredBoundsAreKeptOnTheScreen) {
  struct Case {
    const char* ini;
  };
  const Case cases[] = {
      {"M_LEFT=3000\r\nM_TOP=2000\r\n"},
      {"M_LEFT=-500\r\nM_TOP=-300\r\n"},
      {"M_WIDTH=-5\r\nM_HEIGHT=0\r\n"},
      {"M_WIDTH=100000\r\nM_HEIGHT=100000\r\nM_LEFT=10\r\n"},
      {"M_WIDTH=3\r\nM_HEIGHT=2\r\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ini);
    write_ini(c.ini);
    auto w = show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.get()));
    const QRect area = w->screen()->availableGeometry();
    EXPECT_TRUE(area.contains(w->frameGeometry().topLeft())) << w->x() << "," << w->y();
    EXPECT_LE(w->width(), area.width());
    EXPECT_LE(w->height(), area.height());
    EXPECT_GE(w->width(), w->minimumSizeHint().width());
    EXPECT_GE(w->height(), w->minimumSizeHint().height());
    EXPECT_LE(w->x() + w->width(), area.right() + 1);
    EXPECT_LE(w->y() + w->height(), area.bottom() + 1);
    w->close();
  }
  // a size that is no size: the designed one
  write_ini("M_WIDTH=-5\r\nM_HEIGHT=0\r\n");
  auto w = show();
  EXPECT_EQ(w->size(), QSize(TTabulon_main::kDesignedWidth, TTabulon_main::kDesignedHeight)
                           .expandedTo(w->minimumSizeHint()));
  w->close();
}

TEST_F(TabulonMain, DropRefusesOwnOutputsAndAnEmptyExtension) {
  write_ini("D_chk_vlm_exe=1\r\nD_vlm_chk_dir=" + path_text(dir / "chk") + "\r\n");
  write_file(dir / "X.NCD", "T1\r\n");
  auto w = show();
  w->set_field(TB_field::D_ext, ".ncd");
  w->drop_files({dir / "X.NCD"});
  EXPECT_TRUE(logged(*w, "ファイル名が無効です！"));
  w->set_field(TB_field::D_ext, "");
  w->drop_files({dir / "P1.nc"});
  EXPECT_TRUE(logged(*w, "エラー : NCD の拡張子の設定が無効です"));
  w->set_field(TB_field::D_ext, ".NCD");
  w->drop_files({dir / "none.nc"});
  EXPECT_NE(child<Tdeb>(*w, "deb")->text().find("none.nc"), std::string::npos);
  EXPECT_TRUE(fs::is_empty(dir / "chk"));
  EXPECT_TRUE(launcher.calls.empty());
  w->close();
}

TEST_F(TabulonMain, ButtonsAndDialogs) {
  auto w = show();
  // 9002 and 9005 open the folder, or the desktop when the field is empty
  child<QPushButton>(*w, "Btn_9002")->setEnabled(true);
  QTest::mouseClick(child<QPushButton>(*w, "Btn_9002"), Qt::LeftButton);
  w->set_field(TB_field::D_vlm_chk_dir, path_text(dir / "chk"));
  w->MainMenuClick(child<QPushButton>(*w, "Btn_9005"));
  ASSERT_EQ(launcher.calls.size(), 2u);
  EXPECT_TRUE(launcher.calls[0].open);
  EXPECT_EQ(launcher.calls[0].program, dir / "desk");
  EXPECT_EQ(launcher.calls[1].program, dir / "chk");
  // 9003 and 9004 take the chosen folder; a cancelled choice changes nothing
  std::string chosen = "/somewhere";
  w->select_folder = [&] { return chosen; };
  w->MainMenuClick(child<QPushButton>(*w, "Btn_9003"));
  EXPECT_EQ(w->field(TB_field::D_ncd_output_dir), "/somewhere");
  chosen = "";
  w->MainMenuClick(child<QPushButton>(*w, "Btn_9004"));
  EXPECT_EQ(w->field(TB_field::D_vlm_chk_dir), path_text(dir / "chk"));
  // the check boxes switch their groups
  child<QCheckBox>(*w, "chk_Onum_NCD_SAVE")->click();
  EXPECT_TRUE(child<QLineEdit>(*w, "D_ncd_output_dir")->isEnabled());
  EXPECT_TRUE(child<QLabel>(*w, "Label7")->isEnabled());
  child<QCheckBox>(*w, "chk_Onum_NCD_SAVE")->click();
  EXPECT_FALSE(child<QPushButton>(*w, "Btn_9003")->isEnabled());
  // 9006 reads the set-up again
  w->set_combo_text("other");
  QTest::mouseClick(child<QPushButton>(*w, "Btn_9006"), Qt::LeftButton);
  EXPECT_TRUE(logged(*w, "TB 設定データの再読み込みをしました。"));
  EXPECT_EQ(w->combo_text(), " other ");
  // choosing a definition in the combo box
  child<QComboBox>(*w, "COMBO_TB")->activated(0);
  EXPECT_EQ(w->setup.selected, 0);
  EXPECT_EQ(w->field(TB_field::D_ext), ".NCD");
  // 9001 clears the log
  w->log_line("x");
  w->MainMenuClick(child<QPushButton>(*w, "btn_9001"));
  EXPECT_FALSE(logged(*w, "x\n"));
  // the editor dialog: Cancel restores its states, OK keeps them
  auto* editor = child<Tselect_editor>(*w, "select_editor");
  for (bool ok : {false, true}) {
    QTimer::singleShot(0, [&] {
      editor->RB_1->click();
      editor->Edit1->setText(QStringLiteral("/bin/true"));
      (ok ? editor->OK : editor->Cancel)->click();
    });
    child<QAction>(*w, "N1")->trigger();
    EXPECT_EQ(editor->RB_1->isChecked(), ok);
    EXPECT_EQ(editor->Edit1->isEnabled(), ok);
    EXPECT_EQ(editor->Edit1->text().isEmpty(), !ok);
  }
  EXPECT_EQ(plat::from_qstring(w->windowTitle()), "Tabulon Version 1.01 ");
  // a given editor opens the files
  launcher.calls.clear();
  w->open_with_editor(path_text(dir / "P1.nc"));
  ASSERT_EQ(launcher.calls.size(), 1u);
  EXPECT_EQ(launcher.calls[0].program, fs::path("/bin/true"));
  EXPECT_EQ(launcher.calls[0].args, (std::vector<std::string>{(dir / "P1.nc").string()}));
  w->close();
}

TEST_F(TabulonMain, EveryTaggedControlHasItsCommand) {
  auto w = show();
  std::vector<int> tags;
  for (QObject* o : w->findChildren<QObject*>())
    if (const int tag = o->property("Tag").toInt()) tags.push_back(tag);
  std::sort(tags.begin(), tags.end());
  tags.erase(std::unique(tags.begin(), tags.end()), tags.end());
  // the buttons, the definition box, the editor item and both kinds of settings items
  EXPECT_EQ(tags, (std::vector<int>{11, 21, 22, 1001, 9001, 9002, 9003, 9004, 9005, 9006}));
  for (int tag : tags) EXPECT_TRUE(TTabulon_main::has_command(tag)) << tag;
  EXPECT_FALSE(TTabulon_main::has_command(0));
  w->close();
}

TEST(TextFit, ReportsEveryCutCaptionAndNothingElse) {
  QWidget form;
  auto add = [&](QWidget* w, const char* name, int width) {
    w->setParent(&form);
    w->setObjectName(QString::fromLatin1(name));
    if (width) w->setFixedWidth(width);
    else w->adjustSize();
    return w;
  };
  add(new QLabel(plat::to_qstring("開始位置 Ｘ ")), "cut_label", 40);
  add(new QPushButton(plat::to_qstring("フォルダを開く")), "cut_button", 50);
  add(new QCheckBox(plat::to_qstring("最初のO番号をファイル名にして")), "cut_check", 60);
  add(new QLabel(plat::to_qstring("拡張子")), "whole_label", 0);
  add(new QPushButton(plat::to_qstring("&画面クリア")), "whole_button", 0);
  add(new QCheckBox(plat::to_qstring("Drop 後にVLMで表示")), "whole_check", 0);
  add(new QLabel(plat::to_qstring("隠れた長いラベルの文字")), "hidden", 10)->hide();
  add(new QLabel(QString()), "empty", 1);
  form.show();
  std::vector<std::string> names;
  for (const std::string& line : testing_support::clipped_captions(form))
    names.push_back(line.substr(0, line.find(' ')));
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"cut_button", "cut_check", "cut_label"}));
}

TEST_F(TabulonMain, EveryCaptionShowsWholeAtTheSmallestSize) {
  // the program's font, the Japanese gothic, and both larger; the INI asks for a tiny window
  write_ini("M_WIDTH=120\r\nM_HEIGHT=90\r\nD_chk_vlm_exe=1\r\nD_chk_Onum_NCD_SAVE=1\r\n");
  struct Case {
    const char* family;  // nullptr: the program's own
    int points;
  } fonts[] = {{nullptr, 0}, {"IPAGothic", 9}, {nullptr, 14}, {"IPAGothic", 14}};
  for (const auto& f : fonts) {
    SCOPED_TRACE(std::string(f.family ? f.family : "default") + " " + std::to_string(f.points));
    auto w = show();
    if (f.family || f.points) {
      QFont font = w->font();
      if (f.family) font.setFamily(QString::fromLatin1(f.family));
      if (f.points) font.setPointSize(f.points);
      w->setFont(font);
    }
    for (const QSize asked : {w->size(), QSize(1, 1)}) {
      w->resize(asked);
      QApplication::processEvents();
      w->layout()->activate();
      w->resize(asked);  // the window's floor is the room of its texts
      EXPECT_EQ(testing_support::clipped_captions(*w), std::vector<std::string>{})
          << w->width() << "x" << w->height();
    }
    // the smallest size is a floor, not a fixed size
    EXPECT_GT(w->width(), 120);
    EXPECT_EQ(w->minimumSize(), w->size());
    w->close();
  }
}

}  // namespace
