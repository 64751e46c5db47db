#include "mainwin/file_list_1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>
#include <system_error>

#include "common/widgets/ctrls_ex.h"
#include "common/widgets/input_number.h"
#include "mainwin/core/dialog_state.h"
#include "mainwin/dialog_place.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/core/cp932.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"

namespace fs = std::filesystem;
using plat::to_qstring;

// ---- FileRowModel -------------------------------------------------------------------------------

void FileRowModel::set_rows(std::vector<FILE_ROW> rows) {
  beginResetModel();
  rows_ = std::move(rows);
  endResetModel();
}

int FileRowModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FileRowModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant FileRowModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= static_cast<int>(rows_.size())) return {};
  const FILE_ROW& r = rows_[static_cast<std::size_t>(index.row())];
  if (role == Qt::DisplayRole) {
    switch (index.column()) {
      case 0: return QString::fromUtf8(r.native.data(), static_cast<qsizetype>(r.native.size()));
      case 1: return to_qstring(file_size_text(r.size));
      case 2: return to_qstring(file_date_text(r.mtime));
    }
  } else if (role == Qt::TextAlignmentRole && index.column() == 1) {
    return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
  }
  return {};
}

QVariant FileRowModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o != Qt::Horizontal || role != Qt::DisplayRole) return {};
  switch (section) {
    case 0: return to_qstring("ファイル名");
    case 1: return to_qstring("サイズ");
    case 2: return to_qstring("日付");
  }
  return {};
}

// ---- TFILE_SELECTION ----------------------------------------------------------------------------

namespace {

QString current_folder_text() {
  std::error_code ec;
  return plat::path_to_qstring(fs::current_path(ec));
}

std::vector<std::string> combo_items(const QComboBox* box) {
  std::vector<std::string> v;
  for (int i = 0; i < box->count(); ++i) v.push_back(plat::from_qstring(box->itemText(i)));
  return v;
}

void set_combo_items(QComboBox* box, const std::vector<std::string>& items) {
  const QString text = box->currentText();
  box->clear();
  for (const auto& s : items)
    if (!s.empty()) box->addItem(to_qstring(s));
  box->setEditText(text);
}

// The history rule on the box's items; the box then shows the text.
void update_combo_history(QComboBox* box, const QString& text, bool ignore_case) {
  std::vector<std::string> items = combo_items(box);
  update_history(items, plat::from_qstring(text), ignore_case);
  box->clear();
  for (const auto& s : items) box->addItem(to_qstring(s));
  box->setCurrentIndex(box->findText(text) >= 0 ? box->findText(text) : -1);
  box->setEditText(text);
}

QComboBox* history_box(QWidget* parent, const char16_t* name, int tag) {
  auto* box = new QComboBox(parent);
  box->setObjectName(QString::fromUtf16(name));
  box->setProperty("Tag", tag);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMaxVisibleItems(10);
  box->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  box->setMinimumContentsLength(12);
  return box;
}

}  // namespace

TFILE_SELECTION::TFILE_SELECTION(QWidget* parent) : QDialog(parent) {
  setObjectName(u"FILE_SELECTION"_qs);
  clock = plat::tick_ms;
  browse = browse_for_folder;

  path_name = history_box(this, u"path_name", 1);
  filter_box = history_box(this, u"filter_box", 2);
  change_dir_btn = new QPushButton(to_qstring("フォルダの変更"), this);
  change_dir_btn->setObjectName(u"change_dir_btn"_qs);
  change_dir_btn->setProperty("Tag", 1);
  change_dir_btn->setAutoDefault(false);
  Explorer_btn = new QPushButton(to_qstring("現在のフォルダを開く"), this);
  Explorer_btn->setObjectName(u"Explorer_btn"_qs);
  Explorer_btn->setProperty("Tag", 1);
  Explorer_btn->setAutoDefault(false);
  Explorer_btn->hide();
  auto* filter_label = new QLabel(u"FILTER"_qs, this);
  filter_label->setObjectName(u"Label_filter"_qs);

  model_ = new FileRowModel(this);
  lv1 = new QTreeView(this);
  lv1->setObjectName(u"lv1"_qs);
  lv1->setModel(model_);
  lv1->setRootIsDecorated(false);
  lv1->setItemsExpandable(false);
  lv1->setUniformRowHeights(true);
  lv1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lv1->setSelectionMode(QAbstractItemView::SingleSelection);
  lv1->setSelectionBehavior(QAbstractItemView::SelectRows);
  lv1->setAllColumnsShowFocus(true);
  lv1->header()->setStretchLastSection(false);
  lv1->header()->setSectionsClickable(false);

  ed_file = new TEditEx(this);
  ed_file->setObjectName(u"ed_file"_qs);
  ed_file->SetAlignment(TEditEx::taCenter);

  Label_cr = new QLabel(to_qstring("改行コード"), this);
  Label_cr->setObjectName(u"Label_cr"_qs);
  radio_1 = new QRadioButton(u"CR+LF (DOS)"_qs, this);
  radio_1->setObjectName(u"radio_1"_qs);
  radio_1->setChecked(true);
  radio_2 = new QRadioButton(u"LF ( UNIX )"_qs, this);
  radio_2->setObjectName(u"radio_2"_qs);
  chk_not_close = new QCheckBox(to_qstring("( この window をクローズしない)"), this);
  chk_not_close->setObjectName(u"chk_not_close"_qs);
  chk_not_close->hide();

  open_btn = new QPushButton(to_qstring("開く"), this);
  open_btn->setObjectName(u"open_btn"_qs);
  open_btn->setDefault(true);
  Button3 = new QPushButton(to_qstring("キャンセル"), this);
  Button3->setObjectName(u"Button3"_qs);
  Button3->setAutoDefault(false);

  auto* folder_row = new QHBoxLayout;
  folder_row->addWidget(change_dir_btn);
  folder_row->addWidget(Explorer_btn);
  folder_row->addStretch(1);
  auto* filter_row = new QHBoxLayout;
  filter_row->addWidget(filter_label);
  filter_row->addWidget(filter_box, 1);
  auto* cr_row = new QHBoxLayout;
  cr_row->addWidget(Label_cr);
  cr_row->addWidget(radio_1);
  cr_row->addWidget(radio_2);
  cr_row->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(open_btn);
  buttons->addWidget(Button3);
  auto* lay = new QVBoxLayout(this);
  lay->setContentsMargins(2, 2, 2, 4);
  lay->addWidget(path_name);  // takes the client width
  lay->addLayout(folder_row);
  lay->addLayout(filter_row);
  lay->addWidget(lv1, 1);
  lay->addWidget(ed_file);
  lay->addLayout(cr_row);
  lay->addWidget(chk_not_close);
  lay->addLayout(buttons);

  connect(open_btn, &QPushButton::clicked, this, &TFILE_SELECTION::accept);
  connect(Button3, &QPushButton::clicked, this, &TFILE_SELECTION::reject);
  connect(lv1, &QTreeView::clicked, this, &TFILE_SELECTION::lv1Click);
  connect(lv1, &QTreeView::doubleClicked, this, &TFILE_SELECTION::lv1DblClick);
  connect(path_name, &QComboBox::activated, this, [this] { path_nameClick(1); });
  connect(filter_box, &QComboBox::activated, this, [this] { path_nameClick(2); });
  connect(change_dir_btn, &QPushButton::clicked, this, &TFILE_SELECTION::change_dir_btnClick);
  connect(Explorer_btn, &QPushButton::clicked, this, &TFILE_SELECTION::Explorer_btnClick);
  // Enter in a history box does what choosing an item does, and never closes the chooser.
  for (QComboBox* box : {path_name, filter_box}) {
    box->installEventFilter(this);
    box->lineEdit()->installEventFilter(this);
  }
  ed_file->setFocus(Qt::OtherFocusReason);
}

std::vector<std::string> TFILE_SELECTION::path_items() const { return combo_items(path_name); }
std::vector<std::string> TFILE_SELECTION::filter_items() const { return combo_items(filter_box); }
void TFILE_SELECTION::set_path_items(const std::vector<std::string>& items) {
  set_combo_items(path_name, items);
}
void TFILE_SELECTION::set_filter_items(const std::vector<std::string>& items) {
  set_combo_items(filter_box, items);
}

void TFILE_SELECTION::set_from(const FILE_SEL_SETTINGS& s) {
  // Kept on the screen: the file may name any bounds.
  const FILE_SEL_SETTINGS defaults;
  plat::place_on_screen(this, s.left, s.top, s.width, s.height, defaults.width, defaults.height);
  place_at_remembered(this, s.left, s.top);
  col_width[0] = s.name_width;
  col_width[1] = s.size_width;
  col_width[2] = s.date_width;
  set_path_items(s.paths);
  set_filter_items(s.filters);
  filter_box->setEditText(to_qstring(s.filter));
}

void TFILE_SELECTION::store_to(FILE_SEL_SETTINGS& s) const {
  s.left = x();
  s.top = y();
  s.width = width();
  s.height = height();
  const bool live = isVisible();
  s.name_width = live ? lv1->columnWidth(0) : col_width[0];
  s.size_width = live ? lv1->columnWidth(1) : col_width[1];
  s.date_width = live ? lv1->columnWidth(2) : col_width[2];
  s.paths = path_items();
  s.filters = filter_items();
  s.filter = plat::from_qstring(filter_box->currentText());
}

std::string TFILE_SELECTION::file_name() const { return backslash_to_slash(ed_file->Text()); }

void TFILE_SELECTION::accept() {
  bool lossless = true;
  const std::string cp = plat::from_qstring(ed_file->text(), &lossless);
  if (!lossless) {
    plat::message_box(cp + "\r\nファイル名に Shift-JIS で表せない文字があるため読み込めません。", "",
                      plat::MB_OK | plat::MB_ICONSTOP);
    return;
  }
  QDialog::accept();
}

void TFILE_SELECTION::showEvent(QShowEvent* e) {
  // FormShow: an empty list with the kept column widths; the folder box shows the folder.
  model_->clear();
  for (int i = 0; i < 3; ++i) lv1->setColumnWidth(i, col_width[i]);
  path_name->setEditText(current_folder_text());
  QDialog::showEvent(e);
  ed_file->setFocus(Qt::OtherFocusReason);
  // The first listing runs once the window has been painted.
  if (!listed_once) QTimer::singleShot(0, this, &TFILE_SELECTION::first_listing);
}

void TFILE_SELECTION::first_listing() {
  if (listed_once || !isVisible()) return;
  QCoreApplication::processEvents();
  listed_once = true;
  List_files_in_dir(plat::from_qstring(filter_box->currentText()));
}

void TFILE_SELECTION::hideEvent(QHideEvent* e) {
  for (int i = 0; i < 3; ++i) col_width[i] = lv1->columnWidth(i);
  QDialog::hideEvent(e);
}

bool TFILE_SELECTION::eventFilter(QObject* obj, QEvent* e) {
  if (e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      QComboBox* box = (obj == path_name || obj == path_name->lineEdit()) ? path_name : filter_box;
      path_nameClick(box->property("Tag").toInt());
      return true;
    }
  }
  return QDialog::eventFilter(obj, e);
}

void TFILE_SELECTION::List_files_in_dir(const std::string& filter) {
  lv1->hide();
  model_->clear();
  std::error_code ec;
  const fs::path folder = fs::current_path(ec);
  listing_ = ::List_files_in_dir(folder, filter, clock, [this](const std::string& caption) {
    setWindowTitle(to_qstring(caption));
  });
  model_->set_rows(listing_.rows);
  lv1->show();
  setWindowTitle(to_qstring(listing_.caption));
  select_typed_name();
}

void TFILE_SELECTION::select_typed_name() {
  if (ed_file->text().isEmpty()) return;
  const QByteArray typed = ed_file->text().replace(u'\\', u'/').toUtf8();
  const int row = find_typed_name(model_->rows(), std::string_view(typed.constData(), typed.size()));
  if (row < 0) return;
  const QModelIndex index = model_->index(row, 0);
  lv1->setFocus(Qt::OtherFocusReason);
  lv1->setCurrentIndex(index);
  lv1->scrollTo(index, QAbstractItemView::PositionAtCenter);
}

void TFILE_SELECTION::lv1Click(const QModelIndex& index) {
  if (!index.isValid()) return;
  ed_file->setText(model_->data(model_->index(index.row(), 0), Qt::DisplayRole).toString());
}

void TFILE_SELECTION::lv1DblClick(const QModelIndex& index) {
  if (!index.isValid()) return;
  lv1Click(index);
  accept();
}

void TFILE_SELECTION::path_nameClick(int tag) {
  if (tag == 1) {
    QString text = path_name->currentText();
    const fs::path p = plat::qstring_to_path(QString(text).replace(u'\\', u'/'));
    std::error_code ec;
    if (text.isEmpty() || (fs::current_path(p, ec), ec)) {
      plat::message_box(plat::from_qstring(text) + " が見つかりません", "",
                        plat::MB_OK | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL);
      return;
    }
    update_combo_history(path_name, text, kFolderHistoryIgnoresCase);
    List_files_in_dir(plat::from_qstring(filter_box->currentText()));
  } else if (tag == 2) {
    const QString text = filter_box->currentText();
    update_combo_history(filter_box, text, kFilterHistoryIgnoresCase);
    List_files_in_dir(plat::from_qstring(text));
  }
}

void TFILE_SELECTION::change_dir_btnClick() {
  std::error_code ec;
  const fs::path chosen = browse(this, fs::current_path(ec));
  if (chosen.empty()) return;
  path_name->setEditText(plat::path_to_qstring(chosen));
  path_nameClick(1);
}

void TFILE_SELECTION::Explorer_btnClick() {
  std::error_code ec;
  plat::open_with_desktop(fs::current_path(ec));
}

bool TVLM_file_dialog::choose(TVLM_file_request& r) {
  TFILE_SELECTION dlg(parent_);
  dlg.set_from(r.sel);
  if (!r.caption.empty()) dlg.setWindowTitle(to_qstring(r.caption));
  const bool choice = r.choice_1_shown || r.choice_2_shown;
  dlg.Label_cr->setVisible(choice);
  if (!r.choice_label.empty()) dlg.Label_cr->setText(to_qstring(r.choice_label));
  if (!r.choice_1.empty()) dlg.radio_1->setText(to_qstring(r.choice_1));
  if (!r.choice_2.empty()) dlg.radio_2->setText(to_qstring(r.choice_2));
  dlg.radio_1->setVisible(r.choice_1_shown);
  dlg.radio_2->setVisible(r.choice_2_shown);
  (r.choice == 2 ? dlg.radio_2 : dlg.radio_1)->setChecked(true);
  if (!r.ok_text.empty()) dlg.open_btn->setText(to_qstring(r.ok_text));
  dlg.filter_box->setEnabled(r.filter_enabled);
  dlg.Explorer_btn->setVisible(r.explorer_shown);
  dlg.ed_file->setText(to_qstring(r.file_name));
  const int result = run_ ? run_(dlg) : dlg.exec();
  dlg.store_to(r.sel);
  if (result != QDialog::Accepted) return false;
  r.file_name = dlg.file_name();
  r.choice = dlg.radio_1->isChecked() ? 1 : 2;
  if (r.file_name.empty()) return false;
  std::error_code ec;
  r.chosen = fs::current_path(ec) / plat::cp932_to_utf8(r.file_name);
  return true;
}
