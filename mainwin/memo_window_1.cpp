#include "mainwin/memo_window_1.h"

#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/qt/qtext.h"

int TMemoModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : size();
}

QVariant TMemoModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= size()) return {};
  const Entry& e = entry(index.row());
  if (role == Qt::DisplayRole) return plat::to_qstring(e.text);
  if (role == Qt::CheckStateRole) return e.checked ? Qt::Checked : Qt::Unchecked;
  return {};
}

Qt::ItemFlags TMemoModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable;
}

bool TMemoModel::setData(const QModelIndex& index, const QVariant& value, int role) {
  if (!index.isValid() || role != Qt::CheckStateRole || index.row() >= size()) return false;
  entries_[static_cast<size_t>(index.row())].checked = value.toInt() == Qt::Checked;
  emit dataChanged(index, index, {Qt::CheckStateRole});
  return true;
}

void TMemoModel::append(std::vector<Entry> entries) {
  if (entries.empty()) return;
  const int first = size();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(entries.size()) - 1);
  entries_.insert(entries_.end(), std::make_move_iterator(entries.begin()),
                  std::make_move_iterator(entries.end()));
  endInsertRows();
}

void TMemoModel::clear() {
  beginResetModel();
  entries_.clear();
  endResetModel();
}

void TMemoModel::set_checked(int row) { setData(index(row), Qt::Checked, Qt::CheckStateRole); }

Tmemo_win::Tmemo_win(MEMO_WIN_HOST* host, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(host), model_(new TMemoModel(this)) {
  setWindowTitle(plat::to_qstring("エラー表示ウィンドウ"));
  setObjectName(QStringLiteral("memo_win"));
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->setSpacing(2);
  auto* bar = new QHBoxLayout;
  bar->setContentsMargins(4, 2, 4, 0);
  auto* label = new QLabel(plat::to_qstring("↓ ダブルクリックで指定行にジャンプ"), this);
  Button2 = new QPushButton(plat::to_qstring("クリップボードにコピー"), this);
  Button3 = new QPushButton(plat::to_qstring("クリア"), this);
  Button1 = new QPushButton(plat::to_qstring("閉じる"), this);
  bar->addWidget(label);
  bar->addStretch(1);
  bar->addWidget(Button2);
  bar->addWidget(Button3);
  bar->addWidget(Button1);
  top->addLayout(bar);
  memo1 = new QListView(this);
  memo1->setObjectName(QStringLiteral("memo1"));
  memo1->setModel(model_);
  memo1->setUniformItemSizes(true);
  memo1->setSelectionMode(QAbstractItemView::SingleSelection);
  memo1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  QFont f(QStringLiteral("Monospace"));
  f.setStyleHint(QFont::TypeWriter);
  memo1->setFont(f);
  top->addWidget(memo1, 1);
  connect(memo1, &QListView::doubleClicked, this, [this] { Memo1DblClick(); });
  connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  resize(std::max(520, sizeHint().width()), 300);
  if (QScreen* s = QGuiApplication::primaryScreen()) {
    const QRect a = s->availableGeometry();
    move(a.center() - QPoint(width() / 2, height() / 2));
  }
}

void Tmemo_win::Add_memo_win_line(const std::string& text, int n) {
  add_entries({TMemoModel::Entry{text, MEMO_KIND::Pick, n, false}});
}

void Tmemo_win::add_error_line(const std::string& text) {
  add_entries({TMemoModel::Entry{text, MEMO_KIND::Error, 0, false}});
}

void Tmemo_win::add_note(const std::string& text) {
  add_entries({TMemoModel::Entry{text, MEMO_KIND::Note, 0, false}});
}

void Tmemo_win::add_entries(std::vector<TMemoModel::Entry> entries) {
  model_->append(std::move(entries));
}

void Tmemo_win::clear_entries() { model_->clear(); }

void Tmemo_win::Memo1DblClick() {
  const QModelIndex i = memo1->currentIndex();
  if (!i.isValid() || !memo1->selectionModel()->isSelected(i)) return;
  model_->set_checked(i.row());
  const TMemoModel::Entry e = model_->entry(i.row());
  if (!host_) return;
  switch (e.kind) {
    case MEMO_KIND::Pick: host_->jump_to_line_step(e.value); break;
    case MEMO_KIND::Error: host_->jump_to_line_text(e.text); break;
    case MEMO_KIND::Note: return;
  }
  host_->activate_main();
}

void Tmemo_win::Button2Click() {
  std::string all;
  for (int i = 0; i < model_->size(); ++i) {
    all += model_->entry(i).text;
    all += '\n';
  }
  QApplication::clipboard()->setText(plat::to_qstring(all));
}
