#include "tabulon/tabulon_1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTextEdit>
#include <QUrl>
#include <algorithm>
#include <tuple>
#include <system_error>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "common/widgets/ctrls_ex.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/app.h"
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

// The object with its component name.
template <class T>
T* named(T* o, const char* name) {
  o->setObjectName(QString::fromLatin1(name));
  return o;
}

}  // namespace

TTabulon_main::TTabulon_main(QWidget* parent) : QMainWindow(parent) {
  // FormCreate
  setObjectName(QStringLiteral("Tabulon_main"));
  select_editor = named(new Tselect_editor(this), "select_editor");
  deb = named(new Tdeb(this), "deb");
  setAcceptDrops(true);
  {
    // named after the executable
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    ini_path = plat::data_folder() /
               (!ec && exe.has_filename() ? exe.stem().string() + ".ini" : "tabulon.ini");
  }
  set_caption(kCaption);
  program_folder = plat::executable_folder();

  auto* central = new QWidget(this);
  auto* column = new QVBoxLayout(central);
  column->setSpacing(4);
  build_definition_row(column);
  build_number_rows(column);
  build_folder_groups(column);
  build_buttons(column);
  build_log(column);
  setCentralWidget(central);
  // The fields pass drops on to the window.
  for (QWidget* w : central->findChildren<QWidget*>()) w->setAcceptDrops(false);
  build_menus();
  connect_controls();

  select_folder = [this]() -> std::string {
    QString d = QFileDialog::getExistingDirectory(this, QStringLiteral("Select Folder"));
    return d.isEmpty() ? std::string() : path_text(plat::qstring_to_path(d));
  };
  // The designed size is a wish: the layout's minimum, where every text shows whole, is the
  // floor of this and of every later size.
  layout()->activate();
  resize(kDesignedWidth, kDesignedHeight);
  chk_Onum_NCD_SAVEClick();
}

// ---- the builders --------------------------------------------------------------------------

namespace {

QLabel* label(const char* name, const char* text) {
  return named(new QLabel(q(text)), name);
}

// An edit for a number: its room is that of a long number in its own font.
TEditEx* number_edit(const char* name) {
  auto* e = named(new TEditEx, name);
  const QMargins m = e->textMargins();
  e->setMinimumWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("-00000.000")) +
                     m.left() + m.right() + 2 * e->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) + 4);
  return e;
}

}  // namespace

void TTabulon_main::build_definition_row(QBoxLayout* column) {
  COMBO_TB = named(new QComboBox, "COMBO_TB");
  COMBO_TB->setEditable(true);
  COMBO_TB->setInsertPolicy(QComboBox::NoInsert);
  set_tag(COMBO_TB, 1001);
  set_combo_text(" CAM-1");
  auto* row = new QHBoxLayout;
  row->addWidget(label("Label2", "変換設定ファイル"));
  row->addWidget(COMBO_TB, 1);
  column->addLayout(row);
}

void TTabulon_main::build_number_rows(QBoxLayout* column) {
  D_ext = number_edit("D_ext");
  D_O_num = number_edit("D_O_num");
  auto* names = new QHBoxLayout;
  names->addWidget(label("Label4", "拡張子"));
  names->addWidget(D_ext, 1);
  names->addSpacing(8);
  names->addWidget(label("Label3", "出力O番号"));
  names->addWidget(D_O_num, 1);
  column->addLayout(names);

  D_START_X = number_edit("D_START_X");
  D_START_Y = number_edit("D_START_Y");
  D_START_Z = number_edit("D_START_Z");
  auto* start = new QHBoxLayout;
  const std::tuple<const char*, const char*, TEditEx*> axes[] = {
      {"Label11", "開始位置 Ｘ ", D_START_X},
      {"Label10", "開始位置 Ｙ ", D_START_Y},
      {"Label12", "開始位置 Ｚ ", D_START_Z}};
  for (const auto& [name, text, edit] : axes) {
    start->addWidget(label(name, text));
    start->addWidget(edit, 1);
  }
  column->addLayout(start);
}

void TTabulon_main::build_folder_groups(QBoxLayout* column) {
  // a switch, its folder label with two buttons, and the folder field
  auto group = [&](const char* check_name, const char* check, const char* label_name,
                   const char* text, std::pair<const char*, const char*> first,
                   std::pair<const char*, const char*> second, QCheckBox*& chk, QLabel*& lab,
                   QPushButton*& a, QPushButton*& b, QLineEdit*& field, const char* field_name) {
    chk = named(new QCheckBox(q(check)), check_name);
    column->addWidget(chk);
    lab = label(label_name, text);
    a = named(new QPushButton(q(first.second)), first.first);
    b = named(new QPushButton(q(second.second)), second.first);
    auto* row = new QHBoxLayout;
    row->addWidget(lab);
    row->addStretch(1);
    row->addWidget(a);
    row->addWidget(b);
    column->addLayout(row);
    field = named(new QLineEdit, field_name);
    column->addWidget(field);
  };
  group("chk_Onum_NCD_SAVE", "最初のO番号をファイル名にしてNCデータを出力する", "Label7",
        "O番号NCデータの出力先フォルダ", {"Btn_9002", "フォルダを開く"},
        {"Btn_9003", "フォルダ選択"}, chk_Onum_NCD_SAVE, Label7, Btn_9002, Btn_9003,
        D_ncd_output_dir, "D_ncd_output_dir");
  group("D_chk_vlm_exe", "Drop 後にVLMで表示 ( VLM用のＮＣデータを出力する )", "Label1",
        "VLMチェックデータの出力先フォルダ", {"Btn_9004", "フォルダ選択"},
        {"Btn_9005", "フォルダを開く"}, D_chk_vlm_exe, Label1, Btn_9004, Btn_9005, D_vlm_chk_dir,
        "D_vlm_chk_dir");
}

void TTabulon_main::build_buttons(QBoxLayout* column) {
  btn_9001 = named(new QPushButton(q("画面クリア")), "btn_9001");
  Btn_9006 = named(new QPushButton(q("設定の再読込")), "Btn_9006");
  auto* row = new QHBoxLayout;
  row->addWidget(btn_9001, 1);
  row->addWidget(Btn_9006, 1);
  column->addLayout(row);
}

void TTabulon_main::build_log(QBoxLayout* column) {
  RichEdit1 = named(new QTextEdit, "RichEdit1");
  RichEdit1->setReadOnly(true);
  RichEdit1->setAcceptDrops(false);
  RichEdit1->setMinimumHeight(80);
  column->addWidget(RichEdit1, 1);
}

void TTabulon_main::build_menus() {
  QMenu* file = menuBar()->addMenu(q("ファイル(&F)"));
  N1 = named(file->addAction(q("エディタの設定(&E)")), "N1");
  set_tag(N1, 11);
  connect(N1, &QAction::triggered, this, [this] { MainMenuClick(N1); });
  menu_settei = named(menuBar()->addMenu(q("設定ファイル関係(&S)")), "menu_settei");
  add_settei_menu("0_TB_setup.txt の編集(&0)", "0_TB_setup.txt");
  add_settei_menu("(open the above file's folder)", "", 22);
}

void TTabulon_main::connect_controls() {
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
  if (as_int(rd("M_WIDTH", ""), v)) sz.setWidth(v);
  if (as_int(rd("M_HEIGHT", ""), v)) sz.setHeight(v);
  // A damaged or foreign value must not put the window off the screen, nor make it too
  // large or too small to use: the designed size stands in for a size that is no size.
  plat::place_on_screen(this, p.x(), p.y(), sz.width(), sz.height(), kDesignedWidth,
                        kDesignedHeight);
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

const TTabulon_main::CommandRow TTabulon_main::kCommands[] = {
    {11, &TTabulon_main::edit_editor_choice},    {21, &TTabulon_main::open_settei_file},
    {22, &TTabulon_main::open_settei_folder},    {1001, &TTabulon_main::select_definition},
    {9001, &TTabulon_main::clear_log},           {9002, &TTabulon_main::open_output_folder},
    {9003, &TTabulon_main::choose_output_folder}, {9004, &TTabulon_main::choose_check_folder},
    {9005, &TTabulon_main::open_check_folder},   {9006, &TTabulon_main::reload_setup},
};

bool TTabulon_main::has_command(int tag) {
  return std::any_of(std::begin(kCommands), std::end(kCommands),
                     [tag](const CommandRow& row) { return row.tag == tag; });
}

void TTabulon_main::MainMenuClick(QObject* sender) {
  const int tag = tag_of(sender);
  for (const CommandRow& row : kCommands)
    if (row.tag == tag) return (this->*row.run)(sender);
}

namespace {

// The folder of a field, or the desktop when the field is empty.
void open_folder(const std::string& dir) {
  plat::open_with_desktop(dir.empty() ? plat::desktop_folder() : native_path(dir));
}

std::string hint_of(QObject* item) { return item->property(kHint).toByteArray().toStdString(); }

}  // namespace

void TTabulon_main::edit_editor_choice(QObject*) {
  select_editor->move(QCursor::pos() + QPoint(20, 20));
  const bool rb1 = select_editor->RB_1->isChecked();
  const QString edit = select_editor->Edit1->text();
  if (select_editor->exec() == QDialog::Accepted) return;
  (rb1 ? select_editor->RB_1 : select_editor->RB_0)->setChecked(true);
  if (rb1) select_editor->RB_1Click();
  else select_editor->RB_0Click();
  select_editor->Edit1->setText(edit);
}

void TTabulon_main::open_settei_file(QObject* item) {
  open_with_editor(full_path_cur(hint_of(item), setup_folder));
}

void TTabulon_main::open_settei_folder(QObject* item) {
  const std::string hint = hint_of(item);
  plat::open_with_desktop(native_path(hint.empty() ? setup_folder : hint));
}

void TTabulon_main::select_definition(QObject*) {
  setup.select_TB_data_or_first(combo_text_, true);
}

void TTabulon_main::clear_log(QObject*) { clear_display(); }

void TTabulon_main::open_output_folder(QObject*) {
  open_folder(tb_trim(field(TB_field::D_ncd_output_dir)));
}

void TTabulon_main::choose_output_folder(QObject*) {
  const std::string d = select_folder ? select_folder() : std::string();
  if (!d.empty()) set_field(TB_field::D_ncd_output_dir, d);
}

void TTabulon_main::choose_check_folder(QObject*) {
  const std::string d = select_folder ? select_folder() : std::string();
  if (!d.empty()) set_field(TB_field::D_vlm_chk_dir, d);
}

void TTabulon_main::open_check_folder(QObject*) {
  open_folder(tb_trim(field(TB_field::D_vlm_chk_dir)));
}

void TTabulon_main::reload_setup(QObject*) {
  deb->clear_trace();
  const std::string kept = combo_text_;
  clear_display();
  if (setup.reload_TB_setup(setup_folder + "0_TB_setup.txt"))
    log_line("TB 設定データの再読み込みをしました。");
  set_combo_text(" " + tb_trim(kept) + " ");
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
  // A new drop: the caption of an earlier, interrupted conversion goes.
  set_caption(kCaption);
  log_line("Drop File(s)");
  const fs::path& file = files.front();
  const std::string name = path_text(file);
  log_line(name);
  std::error_code ec;
  const fs::file_status st = fs::status(file, ec);
  if (!fs::is_regular_file(st)) {
    const std::string msg = fs::exists(st) ? " ERR : " + name + " はファイルではありません"
                                           : " ERR : " + name + " が見つかりませんでした";
    trace_line(msg);
    log_emph(msg);
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
  for (const char* name : {"velmor", "velmor_free"}) {
    std::error_code ec;
    const fs::path program = program_folder / name;
    if (fs::is_regular_file(program, ec)) {
      plat::start_program(program, {check_file.string()});
      return;
    }
  }
  plat::message_box("velmor or velmor_free not found in same dir", "Info",
                    plat::MB_OK | plat::MB_ICONERROR | plat::MB_SYSTEMMODAL);
}
