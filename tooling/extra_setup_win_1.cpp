#include "tooling/extra_setup_win_1.h"

#include <QCheckBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "platform/qt/qtext.h"
#include "tooling/color_panel.h"
#include "tooling/select_color_1.h"
#include "tooling/core/extra_setup_rules.h"

namespace {

QString q(const char* cp932) { return plat::to_qstring(cp932); }


}  // namespace

TEXTRA_SETUP_win::TEXTRA_SETUP_win(Ttooling_host& host, const Tdisp_status& settings,
                                   QWidget* parent)
    : QDialog(parent), host_(host), copy_(settings) {
  setObjectName(QStringLiteral("EXTRA_SETUP_win"));
  setWindowTitle(q("その他の表示設定"));
  fix_extra_fields(copy_);
  auto* top = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  const auto& fields = extra_setup_fields();
  for (int i = 0; i < static_cast<int>(fields.size()); ++i) {
    const TExtra_field& f = fields[static_cast<std::size_t>(i)];
    grid->addWidget(new QLabel(q(f.caption), this), i, 0);
    auto* e = new QLineEdit(this);
    e->setObjectName(QString::fromLatin1(f.edit));
    e->setFixedWidth(80);
    e->installEventFilter(this);
    connect(e, &QLineEdit::editingFinished, this, [this, i] {
      if (!closing_) commit_field(i);
    });
    grid->addWidget(e, i, 1);
    ed_.push_back(e);
    QPushButton* p = nullptr;
    if (*f.panel) {
      p = new QPushButton(this);
      p->setObjectName(QString::fromLatin1(f.panel));
      p->setFixedSize(40, 20);
      connect(p, &QPushButton::clicked, this, [this, i] { PNL_AClick(i); });
      grid->addWidget(p, i, 2);
    } else {
      std::string unit = f.unit;
      if (std::string(f.edit) == "ED_M") unit += " (↑高速表示時のみ)";
      grid->addWidget(new QLabel(q(unit.c_str()), this), i, 2);
    }
    pnl_.push_back(p);
  }
  top->addLayout(grid);
  chk_direct = new QCheckBox(q("設定変更を画面に反映する"), this);
  chk_direct->setObjectName(QStringLiteral("chk_direct"));
  top->addWidget(chk_direct);
  auto* row = new QHBoxLayout;
  row->addStretch(1);
  auto* ok = new QPushButton(q("OK"), this);
  ok->setObjectName(QStringLiteral("set_and_exit_btn"));
  ok->setAutoDefault(false);
  auto* cancel = new QPushButton(q("キャンセル"), this);
  cancel->setObjectName(QStringLiteral("Button2"));
  cancel->setAutoDefault(false);
  row->addWidget(ok);
  row->addWidget(cancel);
  top->addLayout(row);
  connect(ok, &QPushButton::clicked, this, [this] { set_and_exit_btnClick(); });
  connect(cancel, &QPushButton::clicked, this, [this] { reject(); });
  Set_EXTRA_SETUP_controls();
}

void TEXTRA_SETUP_win::Set_EXTRA_SETUP_controls() {
  fix_extra_fields(copy_);
  update_disp_colors(copy_);
  const auto& fields = extra_setup_fields();
  for (std::size_t i = 0; i < fields.size(); ++i) {
    ed_[i]->setText(plat::to_qstring(extra_field_text(copy_, static_cast<int>(i))));
    if (pnl_[i]) paint_color_panel(pnl_[i], ed_[i]->text().toInt());
  }
}

void TEXTRA_SETUP_win::Get_EXTRA_SETUP_controls() {
  fix_extra_fields(copy_);
  Set_EXTRA_SETUP_controls();
  if (chk_direct->isChecked() && !closing_) {
    host_.preview_display(&copy_);
    previewed_ = true;
  }
}

bool TEXTRA_SETUP_win::commit_field(int i) {
  if (committing_) return false;
  QLineEdit* e = ed_[static_cast<std::size_t>(i)];
  const std::string text = plat::from_qstring(e->text());
  if (text == extra_field_text(copy_, i)) return true;
  committing_ = true;
  const bool ok = commit_extra_field(copy_, i, text);
  committing_ = false;
  if (!ok) {
    if (extra_setup_fields()[static_cast<std::size_t>(i)].kind == TExtra_kind::color)
      e->setText(plat::to_qstring(extra_field_text(copy_, i)));
    else
      QTimer::singleShot(0, e, [e] { e->setFocus(); });
    return false;
  }
  Get_EXTRA_SETUP_controls();
  return true;
}

void TEXTRA_SETUP_win::PNL_AClick(int i) {
  QLineEdit* e = ed_[static_cast<std::size_t>(i)];
  QPushButton* p = pnl_[static_cast<std::size_t>(i)];
  // The picker updates the edit and its panel while the user picks; its code out (the start
  // code after Cancel) is then taken.
  const int start = e->text().toInt();
  const std::optional<int> code = default_color_chooser().choose_color(
      start,
      [e, p](int c) {
        e->setText(QString::number(c));
        if (p) paint_color_panel(p, c);
      },
      this);
  e->setText(QString::number(code.value_or(start)));
  commit_field(i);
}

void TEXTRA_SETUP_win::set_and_exit_btnClick() {
  // The focused edit first: its text may not have been taken yet.
  for (std::size_t i = 0; i < ed_.size(); ++i)
    if (ed_[i]->hasFocus() && !commit_field(static_cast<int>(i))) return;
  closing_ = true;
  accept();
}

void TEXTRA_SETUP_win::reject() {
  closing_ = true;
  // The view showed the copy: it goes back to the main window's own settings.
  if (previewed_) host_.preview_display(nullptr);
  QDialog::reject();
}

bool TEXTRA_SETUP_win::eventFilter(QObject* o, QEvent* ev) {
  if (ev->type() == QEvent::KeyPress) {
    const auto* k = static_cast<QKeyEvent*>(ev);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      for (std::size_t i = 0; i < ed_.size(); ++i)
        if (ed_[i] == o) commit_field(static_cast<int>(i));
      return true;
    }
  }
  return QDialog::eventFilter(o, ev);
}
