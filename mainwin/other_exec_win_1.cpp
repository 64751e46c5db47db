#include "mainwin/other_exec_win_1.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QVBoxLayout>

#include "mainwin/core/dialog_state.h"
#include "mainwin/core/small_dialogs.h"
#include "mainwin/dialog_place.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

namespace {
std::filesystem::path choose_program(QWidget* owner) {
  QFileDialog dlg(owner, to_qstring("実行ファイルの選択"));
  dlg.setFileMode(QFileDialog::ExistingFile);
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return {};
  return plat::qstring_to_path(dlg.selectedFiles().front());
}
}  // namespace

Tother_exec_win::Tother_exec_win(QWidget* parent) : QDialog(parent) {
  setObjectName(u"other_exec_win"_qs);
  setWindowTitle(to_qstring("外部プログラムの実行"));
  choose_file = choose_program;

  exec_name = new QComboBox(this);
  exec_name->setObjectName(u"exec_name"_qs);
  exec_name->setEditable(true);
  exec_name->setInsertPolicy(QComboBox::NoInsert);
  exec_name->setMaxVisibleItems(10);

  rg1 = new QGroupBox(this);
  rg1->setObjectName(u"rg1"_qs);
  rg1_items = new QButtonGroup(this);
  auto* rg_lay = new QVBoxLayout(rg1);
  const char* items[] = {"付加データなし", "VLMで表示しているデータ", "元のファイルを指定"};
  for (int i = 0; i < 3; ++i) {
    auto* r = new QRadioButton(to_qstring(items[i]), rg1);
    r->setObjectName(u"rg1_"_qs + QString::number(i));
    rg1_items->addButton(r, i);
    rg_lay->addWidget(r);
  }
  rg1_items->button(0)->setChecked(true);

  Button1 = new QPushButton(to_qstring("実行ファイルの選択"), this);
  Button1->setObjectName(u"Button1"_qs);
  Button1->setAutoDefault(false);
  Button2 = new QPushButton(to_qstring("実行"), this);
  Button2->setObjectName(u"Button2"_qs);
  Button2->setAutoDefault(false);
  Button3 = new QPushButton(to_qstring("キャンセル"), this);
  Button3->setObjectName(u"Button3"_qs);
  Button3->setAutoDefault(false);
  auto* caption = new QLabel(to_qstring("( ↓ 実行するコマンド列 )"), this);
  StatusBar1 = new QStatusBar(this);
  StatusBar1->setObjectName(u"StatusBar1"_qs);
  StatusBar1->setSizeGripEnabled(false);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(Button1);
  buttons->addStretch(1);
  buttons->addWidget(Button2);
  buttons->addWidget(Button3);
  auto* middle = new QHBoxLayout;
  middle->addWidget(rg1, 1);
  middle->addLayout(buttons);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(2, 2, 2, 0);
  lay->addWidget(exec_name);  // left 2, client width - 4
  lay->addLayout(middle);
  lay->addWidget(caption);
  lay->addWidget(StatusBar1);

  connect(Button1, &QPushButton::clicked, this, &Tother_exec_win::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &Tother_exec_win::Button2Click);
  connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
  connect(rg1_items, &QButtonGroup::idClicked, this, [this] { Set_other_exec_command(); });
  connect(exec_name, &QComboBox::editTextChanged, this, [this] { Set_other_exec_command(); });
  resize(sizeHint().expandedTo(QSize(440, 0)));
  centre_on_screen(this);
}

int Tother_exec_win::item_index() const { return std::max(0, rg1_items->checkedId()); }

void Tother_exec_win::set_item_index(int i) {
  if (i < 0 || i > 2) i = 0;
  rg1_items->button(i)->setChecked(true);
  Set_other_exec_command();
}

std::vector<std::string> Tother_exec_win::exec_items() const {
  std::vector<std::string> v;
  for (int i = 0; i < exec_name->count(); ++i) v.push_back(plat::from_qstring(exec_name->itemText(i)));
  return v;
}

void Tother_exec_win::set_exec_items(const std::vector<std::string>& items) {
  const QString text = exec_name->currentText();
  exec_name->clear();
  for (const auto& s : items)
    if (!s.empty()) exec_name->addItem(to_qstring(s));
  exec_name->setEditText(text);
}

std::string Tother_exec_win::command() const { return plat::from_qstring(exec_name->currentText()); }

std::string Tother_exec_win::argument() const {
  return other_exec_argument(item_index(), tmp_path, nc_path);
}

std::string Tother_exec_win::command_line() const {
  return other_exec_command_line(command(), argument());
}

void Tother_exec_win::Set_other_exec_command() {
  StatusBar1->showMessage(to_qstring(command_line()));
}

void Tother_exec_win::Button1Click() {
  const std::filesystem::path chosen = choose_file ? choose_file(this) : std::filesystem::path();
  if (chosen.empty()) return;
  // A path with blanks is quoted: the command is split like a command line.
  QString text = plat::path_to_qstring(chosen);
  if (text.contains(u' ')) text = u'"' + text + u'"';
  exec_name->setEditText(text);
}

void Tother_exec_win::Button2Click() {
  const QString text = exec_name->currentText();
  bool lossless = true;
  const std::string cp = plat::from_qstring(text, &lossless);
  if (!lossless) {
    plat::message_box(cp + "\r\n実行ファイル名に Shift-JIS で表せない文字があります。", "",
                      plat::MB_OK | plat::MB_ICONSTOP);
    return;
  }
  std::vector<std::string> items = exec_items();
  update_history(items, cp, kProgramHistoryIgnoresCase);
  exec_name->blockSignals(true);
  exec_name->clear();
  for (const auto& s : items) exec_name->addItem(to_qstring(s));
  exec_name->setCurrentIndex(text.isEmpty() ? -1 : 0);
  exec_name->setEditText(text);
  exec_name->blockSignals(false);
  Set_other_exec_command();
  accept();
}
