#include "mainwin/move_rotate_win_1.h"

#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "common/widgets/ctrls_ex.h"
#include "mainwin/dialog_place.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

Tmove_rotate_win::Tmove_rotate_win(QWidget* parent) : QDialog(parent) {
  setObjectName(u"move_rotate_win"_qs);
  setWindowTitle(to_qstring("移動＆コピー"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  for (int i = 0; i < 12; ++i) {
    auto* ed = new TEditEx(this);
    ed->setObjectName(u"EditEx"_qs + QString::number(i + 1));
    ed->setProperty("Tag", i + 1);
    ed->SetAlignment(TEditEx::taCenter);
    ed->SetText(std::string_view("0"));
    ed->installEventFilter(this);
    EditEx[static_cast<std::size_t>(i)] = ed;
  }
  auto* rows = new QGridLayout;
  for (int i = 0; i < 4; ++i) {
    Label[static_cast<std::size_t>(i)] = new QLabel(this);
    Label[static_cast<std::size_t>(i)]->setObjectName(u"Label"_qs + QString::number(i + 1));
    Label[static_cast<std::size_t>(i)]->setMinimumWidth(60);
    rows->addWidget(Label[static_cast<std::size_t>(i)], i, 0);
    rows->addWidget(EditEx[static_cast<std::size_t>(i)], i, 1);
  }
  use_dot = new QRadioButton(to_qstring("小数点あり"), this);
  use_dot->setObjectName(u"use_dot"_qs);
  use_dot->setChecked(true);
  dont_use_dot = new QRadioButton(to_qstring("小数点無し"), this);
  dont_use_dot->setObjectName(u"dont_use_dot"_qs);
  btn_ok = new QPushButton(u"OK"_qs, this);
  btn_ok->setObjectName(u"btn_ok"_qs);
  btn_ok->setDefault(true);
  btn_cancel = new QPushButton(to_qstring("キャンセル"), this);
  btn_cancel->setObjectName(u"btn_cancel"_qs);
  btn_cancel->setAutoDefault(false);
  connect(btn_ok, &QPushButton::clicked, this, &Tmove_rotate_win::accept);
  connect(btn_cancel, &QPushButton::clicked, this, &QDialog::reject);

  // The further values lie below the cancel button, out of the client area.
  auto* unused = new QWidget(this);
  unused->setObjectName(u"unused_area"_qs);
  auto* unused_lay = new QGridLayout(unused);
  unused_lay->addWidget(new QLabel(to_qstring("ここから下は未使用"), unused), 0, 0, 1, 2);
  for (int i = 4; i < 12; ++i) unused_lay->addWidget(EditEx[static_cast<std::size_t>(i)], 1 + (i - 4) / 2, (i - 4) % 2);
  unused->hide();

  auto* radios = new QHBoxLayout;
  radios->addWidget(use_dot);
  radios->addWidget(dont_use_dot);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(btn_ok);
  buttons->addWidget(btn_cancel);
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(rows);
  lay->addLayout(radios);
  lay->addLayout(buttons);
  lay->setContentsMargins(9, 9, 9, 3);
  lay->setSizeConstraint(QLayout::SetFixedSize);
  btn_ok->setFocus(Qt::OtherFocusReason);
  centre_on_screen(this);
}

void Tmove_rotate_win::showEvent(QShowEvent* e) {
  Set_move_rotate_controls();
  QDialog::showEvent(e);
  btn_ok->setFocus(Qt::OtherFocusReason);
}

void Tmove_rotate_win::Set_move_rotate_controls() {
  (values.dot_mode == 1 ? use_dot : dont_use_dot)->setChecked(true);
  for (int i = 0; i < 8; ++i)
    EditEx[static_cast<std::size_t>(4 + i)]->SetText(float_to_str3(values.extra[static_cast<std::size_t>(i)]));
  const MOVE_ROTATE_ROWS r = move_rotate_rows(values);
  if (!mr_is_rotate(values.mode) && !mr_is_move(values.mode) && values.mode != MR_NO_ROWS) return;
  for (std::size_t i = 0; i < 4; ++i) {
    Label[i]->setText(to_qstring(r.caption[i]));
    Label[i]->setVisible(r.visible[i]);
    EditEx[i]->setVisible(r.visible[i]);
    EditEx[i]->SetText(r.text[i]);
  }
  adjustSize();
}

void Tmove_rotate_win::Get_move_rotate_values() {
  values.dot_mode = use_dot->isChecked() ? 1 : 2;
  for (std::size_t i = 0; i < 8; ++i) values.extra[i] = real_field_value(EditEx[4 + i]->Text());
  std::array<std::string, 4> text;
  for (std::size_t i = 0; i < 4; ++i) text[i] = EditEx[i]->Text();
  read_move_rotate_rows(values, text);
}

bool Tmove_rotate_win::EditEx1Exit(TEditEx* ed) {
  // The message box takes the focus from the edit: that must not check it again.
  if (checking_) return true;
  checking_ = true;
  const std::string text = ed->Text();
  const std::string fixed = is_integer_row(ed) ? fix_integer_field(text, true) : fix_real_field(text, true);
  const bool kept = fixed == text;
  if (!kept) ed->SetText(fixed);
  Get_move_rotate_values();
  checking_ = false;
  return kept;
}

void Tmove_rotate_win::accept() {
  // Every shown edit is checked; a replaced text is shown before the dialog closes.
  bool all_kept = true;
  for (TEditEx* ed : EditEx)
    if (!ed->isHidden()) all_kept = EditEx1Exit(ed) && all_kept;
  if (!all_kept) return;
  Get_move_rotate_values();
  QDialog::accept();
}

bool Tmove_rotate_win::eventFilter(QObject* obj, QEvent* e) {
  if (e->type() == QEvent::FocusOut || e->type() == QEvent::FocusIn) {
    // Another window taking the focus is no leaving of the edit.
    const Qt::FocusReason why = static_cast<QFocusEvent*>(e)->reason();
    if (why == Qt::ActiveWindowFocusReason || why == Qt::PopupFocusReason)
      return QDialog::eventFilter(obj, e);
    for (TEditEx* ed : EditEx)
      if (obj == ed) EditEx1Exit(ed);
  }
  return QDialog::eventFilter(obj, e);
}
