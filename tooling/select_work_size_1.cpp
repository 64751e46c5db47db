#include "tooling/select_work_size_1.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/core/system.h"
#include "platform/qt/qtext.h"

namespace {
QPushButton* button(QWidget* parent, const char* name, const char* caption) {
  auto* b = new QPushButton(plat::to_qstring(caption), parent);
  b->setObjectName(QString::fromLatin1(name));
  b->setAutoDefault(false);
  return b;
}
}  // namespace

Tselect_work_size::Tselect_work_size(const std::filesystem::path& file,
                                     const TWork_path_extents& ext, QWidget* parent)
    : QDialog(parent), file_(file), ext_(ext) {
  setObjectName(QStringLiteral("select_work_size"));
  setWindowTitle(plat::to_qstring("ワークの新規作成・追加"));
  ListBox1 = new QListWidget(this);
  ListBox1->setObjectName(QStringLiteral("ListBox1"));
  ListBox1->setMinimumSize(380, 180);
  auto* Button1 = button(this, "Button1", "初期設定リストを編集する");
  auto* Button2 = button(this, "Button2", "↑ 選択OK");
  auto* Button3 = button(this, "Button3", "再読み込み");
  btn_path_max = button(this, "btn_path_max", "最大切削範囲で設定");
  btn_path_max_Add10 = button(this, "btn_path_max_Add10", " 最大＋片側10mmで設定");
  auto* top = new QVBoxLayout(this);
  top->addWidget(ListBox1, 1);
  auto* row1 = new QHBoxLayout;
  row1->addWidget(Button2);
  row1->addWidget(Button3);
  row1->addWidget(Button1);
  top->addLayout(row1);
  auto* row2 = new QHBoxLayout;
  row2->addWidget(btn_path_max);
  row2->addWidget(btn_path_max_Add10);
  top->addLayout(row2);
  connect(ListBox1, &QListWidget::itemDoubleClicked, this, [this] { ListBox1DblClick(); });
  connect(Button2, &QPushButton::clicked, this, [this] { ListBox1DblClick(); });
  connect(Button3, &QPushButton::clicked, this, [this] { Load_def_work_size_list(); });
  connect(Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  connect(btn_path_max, &QPushButton::clicked, this, [this] { btn_path_maxClick(false); });
  connect(btn_path_max_Add10, &QPushButton::clicked, this, [this] { btn_path_maxClick(true); });
  // FormShow
  btn_path_max->setEnabled(ext_.valid);
  btn_path_max_Add10->setEnabled(ext_.valid);
  Load_def_work_size_list();
}

void Tselect_work_size::Load_def_work_size_list() {
  ListBox1->clear();
  ::Load_def_work_size_list(file_, list_);
  for (const TWork_preset& p : list_) ListBox1->addItem(plat::to_qstring(p.name));
}

void Tselect_work_size::ListBox1DblClick() {
  const int row = ListBox1->currentRow();
  if (row < 0 || row >= static_cast<int>(list_.size())) return;
  chosen_ = list_[static_cast<std::size_t>(row)];
  accept();
}

void Tselect_work_size::btn_path_maxClick(bool margin) {
  if (!ext_.valid) return;
  chosen_ = path_extent_preset(ext_.min, ext_.max, margin);
  accept();
}

void Tselect_work_size::Button1Click() { plat::open_with_desktop(file_); }
