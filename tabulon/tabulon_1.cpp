#include "tabulon/tabulon_1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTextEdit>
#include <QUrl>
#include <algorithm>
#include <system_error>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "common/widgets/ctrls_ex.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tabulon/core/ex_func_tabulon.h"
#include "tabulon/core/tb_ini.h"
#include "tabulon/core/tb_text.h"
#include "tabulon/deb_1.h"
#include "tabulon/select_editor_1.h"

namespace fs = std::filesystem;

const char* const TTabulon_main::kCaption = "Tabulon Version 1.01 ";
const char* const TTabulon_main::kSection = "TB_option";

namespace {

const char kTag[] = "Tag";
const char kHint[] = "Hint";

QString q(const std::string& s) { return plat::to_qstring(s); }

void set_tag(QObject* o, int tag) { o->setProperty(kTag, tag); }

int tag_of(QObject* o) { return o ? o->property(kTag).toInt() : 0; }

}  // namespace

TTabulon_main::TTabulon_main(QWidget* parent) : QMainWindow(parent) {
  // FormCreate
  select_editor = new Tselect_editor(this);
  deb = new Tdeb(this);
  setAcceptDrops(true);
  {
    // named after the executable
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    ini_path = plat::data_folder() /
               (!ec && exe.has_filename() ? exe.stem().string() + ".ini" : "tabulon.ini");
  }
  set_caption(kCaption);

  auto* central = new QWidget(this);
  auto* lay = new QGridLayout(central);
  int row = 0;
  auto label = [&](const char* text) { return new QLabel(q(text), central); };
  auto edit = [&](int width = 0) {
    auto* e = new QLineEdit(central);
    if (width) e->setMaximumWidth(width);
    return e;
  };
  auto edit_ex = [&](int width) {
    auto* e = new TEditEx(central);
    e->setMinimumWidth(56);
    e->setMaximumWidth(width);
    return e;
  };

  COMBO_TB = new QComboBox(central);
  COMBO_TB->setEditable(true);
  COMBO_TB->setInsertPolicy(QComboBox::NoInsert);
  set_tag(COMBO_TB, 1001);
  set_combo_text(" CAM-1");
  lay->addWidget(label("変換設定ファイル"), row, 0, 1, 2);
  lay->addWidget(COMBO_TB, row++, 2, 1, 4);

  D_ext = edit_ex(90);
  D_O_num = edit_ex(90);
  lay->addWidget(label("拡張子"), row, 0);
  lay->addWidget(D_ext, row, 1, 1, 2);
  lay->addWidget(label("出力O番号"), row, 3);
  lay->addWidget(D_O_num, row++, 4, 1, 2);

  D_START_X = edit_ex(70);
  D_START_Y = edit_ex(70);
  D_START_Z = edit_ex(70);
  lay->addWidget(label("開始位置 Ｘ "), row, 0);
  lay->addWidget(D_START_X, row, 1);
  lay->addWidget(label("開始位置 Ｙ "), row, 2);
  lay->addWidget(D_START_Y, row, 3);
  lay->addWidget(label("開始位置 Ｚ "), row, 4);
  lay->addWidget(D_START_Z, row++, 5);

  // a switch, its folder label with two buttons, and the folder field
  auto folder_group = [&](const char* check, const char* text, const char* first,
                          const char* second, QCheckBox*& chk, QLabel*& lab, QPushButton*& a,
                          QPushButton*& b, QLineEdit*& field) {
    chk = new QCheckBox(q(check), central);
    lay->addWidget(chk, row++, 0, 1, 6);
    lab = label(text);
    a = new QPushButton(q(first), central);
    b = new QPushButton(q(second), central);
    lay->addWidget(lab, row, 0, 1, 4);
    lay->addWidget(a, row, 4);
    lay->addWidget(b, row++, 5);
    field = edit();
    lay->addWidget(field, row++, 0, 1, 6);
  };
  folder_group("最初のO番号をファイル名にしてNCデータを出力する", "O番号NCデータの出力先フォルダ",
               "フォルダを開く", "フォルダ選択", chk_Onum_NCD_SAVE, Label7, Btn_9002, Btn_9003,
               D_ncd_output_dir);
  folder_group("Drop 後にVLMで表示 ( VLM用のＮＣデータを出力する )",
               "VLMチェックデータの出力先フォルダ", "フォルダ選択", "フォルダを開く", D_chk_vlm_exe,
               Label1, Btn_9004, Btn_9005, D_vlm_chk_dir);

  btn_9001 = new QPushButton(q("画面クリア"), central);
  Btn_9006 = new QPushButton(q("設定の再読込"), central);
  lay->addWidget(btn_9001, row, 0, 1, 3);
  lay->addWidget(Btn_9006, row++, 3, 1, 3);

  RichEdit1 = new QTextEdit(central);
  RichEdit1->setReadOnly(true);
  RichEdit1->setAcceptDrops(false);
  RichEdit1->setMinimumHeight(80);
  lay->addWidget(RichEdit1, row, 0, 1, 6);
  lay->setRowStretch(row, 1);
  lay->setVerticalSpacing(4);
  setCentralWidget(central);
  // The fields pass drops on to the window.
  for (QWidget* w : central->findChildren<QWidget*>()) w->setAcceptDrops(false);

  const std::pair<QPushButton*, int> buttons[] = {{btn_9001, 9001}, {Btn_9002, 9002},
                                                  {Btn_9003, 9003}, {Btn_9004, 9004},
                                                  {Btn_9005, 9005}, {Btn_9006, 9006}};
  for (auto [b, tag] : buttons) {
    set_tag(b, tag);
    connect(b, &QPushButton::clicked, this, [this, b] { MainMenuClick(b); });
  }
  connect(COMBO_TB, &QComboBox::activated, this, [this](int index) {
    if (index >= 0 && index < static_cast<int>(combo_items_.size()))
      combo_text_ = combo_items_[static_cast<std::size_t>(index)];
    MainMenuClick(COMBO_TB);
  });
  connect(COMBO_TB, &QComboBox::editTextChanged, this, [this](const QString& t) {
    if (plat::to_qstring(combo_text_) != t) combo_text_ = plat::from_qstring(t);
  });
  connect(chk_Onum_NCD_SAVE, &QCheckBox::clicked, this, &TTabulon_main::chk_Onum_NCD_SAVEClick);
  connect(D_chk_vlm_exe, &QCheckBox::clicked, this, &TTabulon_main::chk_Onum_NCD_SAVEClick);

  QMenu* file = menuBar()->addMenu(q("ファイル(&F)"));
  N1 = file->addAction(q("エディタの設定(&E)"));
  set_tag(N1, 11);
  connect(N1, &QAction::triggered, this, [this] { MainMenuClick(N1); });
  menu_settei = menuBar()->addMenu(q("設定ファイル関係(&S)"));
  add_settei_menu("0_TB_setup.txt の編集(&0)", "0_TB_setup.txt");
  add_settei_menu("(open the above file's folder)", "", 22);

  select_folder = [this]() -> std::string {
    QString d = QFileDialog::getExistingDirectory(this, QStringLiteral("Select Folder"));
    return d.isEmpty() ? std::string() : path_text(plat::qstring_to_path(d));
  };
  resize(396, 428);
  chk_Onum_NCD_SAVEClick();
}

TTabulon_main::~TTabulon_main() = default;

// ---- the view --------------------------------------------------------------------------------

void TTabulon_main::append_log(const std::string& text, bool emph) {
  QString t = q(text).toHtmlEscaped();
  t.replace(QStringLiteral("\r\n"), QStringLiteral("<br>"));
  t.replace(QStringLiteral(" "), QStringLiteral("&nbsp;"));
  if (emph) t = QStringLiteral("<span style=\"color:#ff0000; font-weight:bold\">") + t +
                QStringLiteral("</span>");
  else t = QStringLiteral("<span style=\"color:#000000\">") + t + QStringLiteral("</span>");
  RichEdit1->append(t);
}

void TTabulon_main::clear_display() {
  RichEdit1->clear();
  deb->clear_trace();
  append_log("★ NCデータをここに DRAG & DROP してください", true);
  append_log("", false);
}

void TTabulon_main::log_line(const std::string& text) { append_log(text, false); }

void TTabulon_main::log_emph(const std::string& text) {
  append_log("", false);
  append_log(text, true);
}

void TTabulon_main::trace_line(const std::string& text) { deb->trace_line(text); }

void TTabulon_main::set_caption(const std::string& text) {
  caption_ = text;
  setWindowTitle(q(text));
}

void TTabulon_main::combo_clear() {
  const std::string kept = combo_text_;
  combo_items_.clear();
  COMBO_TB->clear();
  set_combo_text(kept);
}

void TTabulon_main::combo_add(const std::string& item) {
  combo_items_.push_back(item);
  COMBO_TB->addItem(q(item));
  set_combo_text(combo_text_);
}

void TTabulon_main::set_combo_text(const std::string& text) {
  combo_text_ = text;
  const QSignalBlocker block(COMBO_TB);
  COMBO_TB->setEditText(q(text));
}

QLineEdit* TTabulon_main::edit_of(TB_field f) {
  switch (f) {
    case TB_field::D_ext: return D_ext;
    case TB_field::D_O_num: return D_O_num;
    case TB_field::D_START_X: return D_START_X;
    case TB_field::D_START_Y: return D_START_Y;
    case TB_field::D_START_Z: return D_START_Z;
    case TB_field::D_ncd_output_dir: return D_ncd_output_dir;
    case TB_field::D_vlm_chk_dir: return D_vlm_chk_dir;
  }
  return D_ext;
}

std::string TTabulon_main::field(TB_field f) { return plat::from_qstring(edit_of(f)->text()); }

void TTabulon_main::set_field(TB_field f, const std::string& text) { edit_of(f)->setText(q(text)); }

bool TTabulon_main::checked(TB_check c) {
  return c == TB_check::chk_Onum_NCD_SAVE ? chk_Onum_NCD_SAVE->isChecked()
                                          : D_chk_vlm_exe->isChecked();
}

// ---- the form -----------------------------------------------------------------------------

void TTabulon_main::showEvent(QShowEvent* ev) {
  QMainWindow::showEvent(ev);
  if (shown_) return;
  shown_ = true;
  load_ini();
  clear_display();
  setup_folder = path_text(plat::data_folder());
  if (!tb_ends_in_separator(setup_folder)) setup_folder += '/';
  setup.setup_folder = setup_folder;
  setup.reload_TB_setup(setup_folder + "0_TB_setup.txt");
}

void TTabulon_main::closeEvent(QCloseEvent* ev) {
  save_ini();
  ev->accept();
}

void TTabulon_main::chk_Onum_NCD_SAVEClick() {
  struct Group {
    QCheckBox* chk;
    QLabel* label;
    QPushButton* a;
    QPushButton* b;
    QLineEdit* field;
  };
  const Group groups[] = {{chk_Onum_NCD_SAVE, Label7, Btn_9003, Btn_9002, D_ncd_output_dir},
                          {D_chk_vlm_exe, Label1, Btn_9004, Btn_9005, D_vlm_chk_dir}};
  const QColor silver(192, 192, 192);
  for (const auto& g : groups) {
    const bool on = g.chk->isChecked();
    QPalette cp = g.chk->palette();
    cp.setColor(QPalette::WindowText, on ? palette().color(QPalette::WindowText) : silver);
    g.chk->setPalette(cp);
    for (QWidget* w : std::initializer_list<QWidget*>{g.label, g.a, g.b, g.field}) w->setEnabled(on);
    QPalette fp = g.field->palette();
    fp.setColor(QPalette::Base, on ? palette().color(QPalette::Base) : silver);
    g.field->setPalette(fp);
  }
}

// ---- INI ------------------------------------------------------------------------------------

void TTabulon_main::load_ini() {
  TTB_ini ini;
  ini.load(ini_path);
  auto rd = [&](const char* key, const char* def) { return ini.read(kSection, key, def); };
  auto as_int = [](const std::string& s, int& v) {
    if (!is_integer_text(s, false)) return false;
    v = std::stoi(s);
    return true;
  };
  QPoint p = pos();
  QSize sz = size();
  int v = 0;
  if (as_int(rd("M_TOP", "100"), v)) p.setY(v);
  if (as_int(rd("M_LEFT", "100"), v)) p.setX(v);
  // no larger than the desktop: a damaged value would make a window too large to draw
  const QSize most = screen() ? screen()->availableVirtualGeometry().size() : QSize(32767, 32767);
  if (as_int(rd("M_WIDTH", ""), v) && v > 0) sz.setWidth(std::min(v, most.width()));
  if (as_int(rd("M_HEIGHT", ""), v) && v > 0) sz.setHeight(std::min(v, most.height()));
  move(p);
  resize(sz);
  select_editor->Edit1->setText(q(rd("M_EDIT_TEXT", "")));
  if (as_int(rd("M_EDIT_RADIO", ""), v) && v == 1) {
    select_editor->RB_1->setChecked(true);
    select_editor->RB_1Click();
  } else {
    select_editor->RB_0->setChecked(true);
    select_editor->RB_0Click();
  }
  set_combo_text(rd("D_combo_TB_text", ""));
  set_field(TB_field::D_O_num, rd("D_O_num", ""));
  set_field(TB_field::D_ext, rd("D_ext", ".NCD"));
  for (auto [key, f] : {std::pair{"D_vlm_chk_dir", TB_field::D_vlm_chk_dir},
                        std::pair{"D_ncd_output_dir", TB_field::D_ncd_output_dir}}) {
    const std::string dir = rd(key, "");
    std::error_code ec;
    set_field(f, !dir.empty() && fs::is_directory(native_path(dir), ec) ? dir : "");
  }
  set_field(TB_field::D_START_X, rd("D_start_X", "0"));
  set_field(TB_field::D_START_Y, rd("D_start_Y", "0"));
  set_field(TB_field::D_START_Z, rd("D_start_Z", "100."));
  D_chk_vlm_exe->setChecked(rd("D_chk_vlm_exe", "0") == "1");
  chk_Onum_NCD_SAVE->setChecked(rd("D_chk_Onum_NCD_SAVE", "0") == "1");
  chk_Onum_NCD_SAVEClick();
}

void TTabulon_main::save_ini() {
  TTB_ini ini;
  ini.load(ini_path);
  auto wr = [&](const char* key, const std::string& v) { ini.write(kSection, key, v); };
  wr("M_TOP", std::to_string(y()));
  wr("M_LEFT", std::to_string(x()));
  wr("M_WIDTH", std::to_string(width()));
  wr("M_HEIGHT", std::to_string(height()));
  wr("M_EDIT_RADIO", select_editor->RB_0->isChecked() ? "0" : "1");
  wr("M_EDIT_TEXT", plat::from_qstring(select_editor->Edit1->text()));
  wr("D_combo_TB_text", combo_text_);
  wr("D_O_num", field(TB_field::D_O_num));
  wr("D_ext", field(TB_field::D_ext));
  wr("D_ncd_output_dir", field(TB_field::D_ncd_output_dir));
  wr("D_vlm_chk_dir", field(TB_field::D_vlm_chk_dir));
  wr("D_start_X", field(TB_field::D_START_X));
  wr("D_start_Y", field(TB_field::D_START_Y));
  wr("D_start_Z", field(TB_field::D_START_Z));
  wr("D_chk_vlm_exe", D_chk_vlm_exe->isChecked() ? "1" : "0");
  wr("D_chk_Onum_NCD_SAVE", chk_Onum_NCD_SAVE->isChecked() ? "1" : "0");
  std::string err;
  if (!ini.save(ini_path, &err))
    deb_log("◆◆◆ ERR : TTabulon_main.save_ini; " + path_text(ini_path) + " : " + err);
}

// ---- menus ----------------------------------------------------------------------------------

void TTabulon_main::add_settei_menu(const std::string& caption, const std::string& hint, int tag) {
  QAction* a = menu_settei->addAction(q(caption));
  a->setProperty(kHint, QByteArray::fromStdString(hint));
  if (tag == 22 || !hint.empty()) {
    set_tag(a, tag);
    connect(a, &QAction::triggered, this, [this, a] { MainMenuClick(a); });
  }
}

void TTabulon_main::make_settei_menu() {
  menu_settei->clear();
  for (const TTB_DATA& d : setup.tb_data) {
    add_settei_menu("編集: " + d.name, d.folder + d.file_name);
    for (std::size_t k = 0; k + 1 < d.tool_files.size(); ++k)
      add_settei_menu("【 工具データ → " + d.tool_files[k] + " 】",
                      full_path_base(d.tool_files[k], d.folder));
    for (const auto& f : d.add_ncd)
      add_settei_menu("【 追加ＮＣＤ → " + f + " 】", full_path_base(f, d.folder));
    menu_settei->addSeparator();
  }
  menu_settei->addSeparator();
  add_settei_menu("編集: 0_TB_setup.txt (読込ファイル設定)", "0_TB_setup.txt");
  add_settei_menu("(open the above file's folder)", setup_folder, 22);
  menu_settei->addSeparator();
}

void TTabulon_main::open_with_editor(const std::string& file) {
  const fs::path target = native_path(file);
  if (select_editor->RB_1->isChecked()) {
    const fs::path program = plat::qstring_to_path(select_editor->Edit1->text());
    std::error_code ec;
    if (!program.empty() && fs::is_regular_file(program, ec)) {
      plat::start_program(program, {target.string()});
      return;
    }
  }
  plat::open_with_desktop(target);
}

void TTabulon_main::MainMenuClick(QObject* sender) {
  auto open_folder = [](const std::string& dir) {
    plat::open_with_desktop(dir.empty() ? plat::desktop_folder() : native_path(dir));
  };
  switch (tag_of(sender)) {
    case 11: {
      select_editor->move(QCursor::pos() + QPoint(20, 20));
      const bool rb1 = select_editor->RB_1->isChecked();
      const QString edit = select_editor->Edit1->text();
      if (select_editor->exec() != QDialog::Accepted) {
        (rb1 ? select_editor->RB_1 : select_editor->RB_0)->setChecked(true);
        if (rb1) select_editor->RB_1Click();
        else select_editor->RB_0Click();
        select_editor->Edit1->setText(edit);
      }
      break;
    }
    case 21: {
      const std::string hint = sender->property(kHint).toByteArray().toStdString();
      open_with_editor(full_path_cur(hint, setup_folder));
      break;
    }
    case 22: {
      const std::string hint = sender->property(kHint).toByteArray().toStdString();
      plat::open_with_desktop(native_path(hint.empty() ? setup_folder : hint));
      break;
    }
    case 1001: setup.select_TB_data(combo_text_, true); break;
    case 9001: clear_display(); break;
    case 9002: open_folder(tb_trim(field(TB_field::D_ncd_output_dir))); break;
    case 9003: {
      const std::string d = select_folder ? select_folder() : std::string();
      if (!d.empty()) set_field(TB_field::D_ncd_output_dir, d);
      break;
    }
    case 9004: {
      const std::string d = select_folder ? select_folder() : std::string();
      if (!d.empty()) set_field(TB_field::D_vlm_chk_dir, d);
      break;
    }
    case 9005: open_folder(tb_trim(field(TB_field::D_vlm_chk_dir))); break;
    case 9006: {
      deb->clear_trace();
      const std::string kept = combo_text_;
      clear_display();
      if (setup.reload_TB_setup(setup_folder + "0_TB_setup.txt"))
        log_line("TB 設定データの再読み込みをしました。");
      set_combo_text(" " + tb_trim(kept) + " ");
      break;
    }
    default: break;
  }
}

// ---- drop -----------------------------------------------------------------------------------

void TTabulon_main::dragEnterEvent(QDragEnterEvent* ev) {
  if (ev->mimeData()->hasUrls()) ev->acceptProposedAction();
}

void TTabulon_main::dropEvent(QDropEvent* ev) {
  std::vector<fs::path> files;
  for (const QUrl& u : ev->mimeData()->urls())
    if (u.isLocalFile()) files.push_back(plat::qstring_to_path(u.toLocalFile()));
  ev->acceptProposedAction();
  drop_files(files);
}

void TTabulon_main::drop_files(const std::vector<fs::path>& files) {
  if (files.empty()) return;
  plat::BusyGuard busy;
  if (!busy.acquired()) return;  // a conversion is running
  clear_display();
  log_line("Drop File(s)");
  const fs::path& file = files.front();
  const std::string name = path_text(file);
  log_line(name);
  std::error_code ec;
  if (!fs::is_regular_file(file, ec)) {
    trace_line(" ERR : " + name + " が見つかりませんでした");
    return;
  }
  const std::string ext = field(TB_field::D_ext);
  if (ext.empty()) {
    log_emph("エラー : NCD の拡張子の設定が無効です");
    return;
  }
  auto upper = [](std::string s) {
    for (std::size_t i = 0; i < s.size(); i += plat::sjis_char_len(s, i))
      if (plat::sjis_char_len(s, i) == 1 && s[i] >= 'a' && s[i] <= 'z')
        s[i] = static_cast<char>(s[i] - 32);
    return s;
  };
  const std::string base = path_text(file.filename());
  if (base.size() >= ext.size() && upper(base.substr(base.size() - ext.size())) == upper(ext)) {
    log_emph("ファイル名が無効です！");
    return;
  }
  log_line("");
  if (!conv_NCD_file(setup, file, combo_text_, check_file)) return;
  if (D_chk_vlm_exe->isChecked() && !check_file.empty()) start_velmor();
}

void TTabulon_main::start_velmor() {
  const fs::path folder = plat::data_folder();
  for (const char* name : {"velmor", "velmor_free"}) {
    std::error_code ec;
    const fs::path program = folder / name;
    if (fs::is_regular_file(program, ec)) {
      plat::start_program(program, {check_file.string()});
      return;
    }
  }
  plat::message_box("velmor.exe or velmor_free not found in same dir", "Info",
                    plat::MB_OK | plat::MB_ICONERROR | plat::MB_SYSTEMMODAL);
}
