#include "tooling/tool_cond_chk_win_1.h"

#include <QCheckBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qtext.h"

using plat::from_qstring;
using plat::to_qstring;

namespace {

QLabel* text_label(QWidget* parent, const char* text) {
  return new QLabel(to_qstring(text), parent);
}

QLineEdit* edit(QWidget* parent, const char* name, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(QString::fromLatin1(name));
  e->setFixedWidth(width);
  return e;
}

}  // namespace

TTOOL_COND_CHK_win::TTOOL_COND_CHK_win(QWidget* parent) : QDialog(parent) {
  setObjectName(u"TOOL_COND_CHK_win"_qs);
  setWindowTitle(to_qstring("工具チェックデータの出力パラメータ設定"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  ED_0_PRE_M6 = edit(this, "ED_0_PRE_M6", 160);
  ED_1_M6 = edit(this, "ED_1_M6", 80);
  ED_2_INIT = edit(this, "ED_2_INIT", 160);
  ED_3_X = edit(this, "ED_3_X", 80);
  ED_4_Y = edit(this, "ED_4_Y", 80);
  ED_5_Z = edit(this, "ED_5_Z", 80);
  ED_6_F = edit(this, "ED_6_F", 80);
  ED_7_O_NUM = edit(this, "ED_7_O_NUM", 80);
  chk_No_Name = new QCheckBox(to_qstring("工具名出力無し"), this);
  chk_No_Name->setObjectName(u"chk_No_Name"_qs);
  Label19 = new QLabel(this);
  Label19->setObjectName(u"Label19"_qs);
  // Room for a long X, so the dialog does not change its size while X is typed.
  Label19->setMinimumWidth(Label19->fontMetrics().horizontalAdvance(
      to_qstring(tool_check_return_label("-99999.999"))));
  Button1 = new QPushButton(to_qstring("チェックデータを出力する"), this);
  Button1->setObjectName(u"Button1"_qs);
  Button1->setDefault(true);
  Button2 = new QPushButton(to_qstring("キャンセル"), this);
  Button2->setObjectName(u"Button2"_qs);
  Button2->setAutoDefault(false);
  connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button2, &QPushButton::clicked, this, &QDialog::reject);
  connect(ED_3_X, &QLineEdit::textChanged, this, [this] { ED_3_XChange(); });

  auto* g = new QGridLayout;
  g->setHorizontalSpacing(6);
  int row = 0;
  auto step = [&](const char* caption) { g->addWidget(text_label(this, caption), row, 0); };
  auto line = [&](std::initializer_list<QWidget*> ws) {
    auto* h = new QHBoxLayout;
    h->setSpacing(2);
    for (QWidget* w : ws) h->addWidget(w);
    h->addStretch(1);
    g->addLayout(h, row, 1);
    ++row;
  };
  step("① 工具交換直前コード");
  line({ED_0_PRE_M6});
  step("② 工具交換");
  line({text_label(this, "T??"), ED_1_M6});
  step("③ 開始原点に移動");
  Label_origin = text_label(this, "X0Y0Z100.");
  Label_origin->setObjectName(u"Label_origin"_qs);
  line({ED_2_INIT, Label_origin});
  step("④ 左手前位置に移動");
  line({text_label(this, "G90G00 X"), ED_3_X, text_label(this, "Y"), ED_4_Y});
  step("⑤ Z オフセットのチェック");
  line({text_label(this, "G90G00G43 Z"), ED_5_Z, text_label(this, "H??")});
  line({text_label(this, "↑ Z 値は Velmor 工具チェック専\n   用ジグの高さ +0.02mm を目安に\n"
                         "   設定してください。")});
  auto* jig = new QLabel(to_qstring("⑥ ここで専用ジグが入ればOK"), this);
  jig->setFrameShape(QFrame::Panel);
  jig->setFrameShadow(QFrame::Sunken);
  jig->setMargin(4);
  g->addWidget(jig, row++, 0, 1, 2);
  step("⑦ カッター径チェック");
  line({text_label(this, "D コードの無いとき"), text_label(this, "G90G00 X-カッタ半径")});
  line({text_label(this, "D コードのあるとき"),
        text_label(this, "G90G01G41 ④X+カッタ直径 J1 D?? F"), ED_6_F});
  line({text_label(this, "G90G03 I-カッタ直径")});
  line({Label19});
  step("⑧ 原点にバック");
  Label_back_z = text_label(this, "G90G00 Z100.");
  Label_back_z->setObjectName(u"Label_back_z"_qs);
  Label_back_xy = text_label(this, "G90G00 X0Y0");
  Label_back_xy->setObjectName(u"Label_back_xy"_qs);
  line({Label_back_z, Label_back_xy});
  step("出力O番号");
  line({ED_7_O_NUM, chk_No_Name});

  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(g);
  lay->addLayout(buttons);
  lay->setSizeConstraint(QLayout::SetFixedSize);
  set_params(TTOOL_CHECK_PARAMS{});
}

void TTOOL_COND_CHK_win::set_params(const TTOOL_CHECK_PARAMS& p) {
  ED_0_PRE_M6->setText(to_qstring(p.pre_m6));
  ED_1_M6->setText(to_qstring(p.m6));
  ED_2_INIT->setText(to_qstring(p.init));
  ED_3_X->setText(to_qstring(p.x));
  ED_4_Y->setText(to_qstring(p.y));
  ED_5_Z->setText(to_qstring(p.z));
  ED_6_F->setText(to_qstring(p.f));
  ED_7_O_NUM->setText(to_qstring(p.o_num));
  chk_No_Name->setChecked(p.no_name);
  ED_3_XChange();
}

TTOOL_CHECK_PARAMS TTOOL_COND_CHK_win::params() const {
  TTOOL_CHECK_PARAMS p;
  p.pre_m6 = from_qstring(ED_0_PRE_M6->text());
  p.m6 = from_qstring(ED_1_M6->text());
  p.init = from_qstring(ED_2_INIT->text());
  p.x = from_qstring(ED_3_X->text());
  p.y = from_qstring(ED_4_Y->text());
  p.z = from_qstring(ED_5_Z->text());
  p.f = from_qstring(ED_6_F->text());
  p.o_num = from_qstring(ED_7_O_NUM->text());
  p.no_name = chk_No_Name->isChecked();
  return p;
}

void TTOOL_COND_CHK_win::set_origin_texts(const std::string& origin, const std::string& back_z,
                                          const std::string& back_xy) {
  Label_origin->setText(to_qstring(origin));
  Label_back_z->setText(to_qstring(back_z));
  Label_back_xy->setText(to_qstring(back_xy));
}

void TTOOL_COND_CHK_win::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  ED_3_XChange();
}

void TTOOL_COND_CHK_win::ED_3_XChange() {
  Label19->setText(to_qstring(tool_check_return_label(from_qstring(ED_3_X->text()))));
}
