#include "mainwin/G91_G90_setup_win_1.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "mainwin/dialog_place.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

TG91_G90_cnv_win::TG91_G90_cnv_win(QWidget* parent) : QDialog(parent) {
  setObjectName(u"G91_G90_cnv_win"_qs);
  setWindowTitle(to_qstring("変換パラメータ設定"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);
  label_1 = new QLabel(to_qstring("G91 に座標変換する"), this);
  label_1->setObjectName(u"label_1"_qs);
  use_dot = new QRadioButton(to_qstring("小数点あり"), this);
  use_dot->setObjectName(u"use_dot"_qs);
  use_dot->setChecked(true);
  dont_use_dot = new QRadioButton(to_qstring("小数点無し"), this);
  dont_use_dot->setObjectName(u"dont_use_dot"_qs);
  btn_OK = new QPushButton(u"OK"_qs, this);
  btn_OK->setObjectName(u"btn_OK"_qs);
  btn_OK->setDefault(true);
  btn_Cancel = new QPushButton(to_qstring("キャンセル"), this);
  btn_Cancel->setObjectName(u"btn_Cancel"_qs);
  btn_Cancel->setAutoDefault(false);
  connect(btn_OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(btn_Cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* radios = new QHBoxLayout;
  radios->addWidget(use_dot);
  radios->addWidget(dont_use_dot);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(btn_OK);
  buttons->addWidget(btn_Cancel);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(label_1);
  lay->addLayout(radios);
  lay->addLayout(buttons);
  lay->setSizeConstraint(QLayout::SetFixedSize);
  btn_OK->setFocus(Qt::OtherFocusReason);
  centre_on_screen(this);
}
