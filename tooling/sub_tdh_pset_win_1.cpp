#include "tooling/sub_tdh_pset_win_1.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qtext.h"
#include "tooling/core/nc_output.h"
#include "tooling/core/tool_list.h"

using plat::to_qstring;

TSUB_TDH_PSET_win::TSUB_TDH_PSET_win(QWidget* parent) : QDialog(parent) {
  setObjectName(u"SUB_TDH_PSET_win"_qs);
  setWindowTitle(to_qstring("切り出しパラメータ設定"));
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  auto* heading = new QLabel(to_qstring("工具別ＮＣデータ切り出し時のパラメータ設定"), this);
  QFont hf = heading->font();
  hf.setBold(true);
  heading->setFont(hf);
  Label_COMMENT = new QLabel(this);
  Label_COMMENT->setObjectName(u"Label_COMMENT"_qs);
  Label_COMMENT->setMinimumWidth(320);
  auto code = [this](QLabel*& label, QLineEdit*& ed, const char* lname, const char* ename) {
    label = new QLabel(this);
    label->setObjectName(QString::fromLatin1(lname));
    label->setMinimumWidth(40);
    ed = new QLineEdit(this);
    ed->setObjectName(QString::fromLatin1(ename));
    ed->setMaximumWidth(60);
  };
  code(Label_T, Edit_T, "Label_T", "Edit_T");
  code(Label_D, Edit_D, "Label_D", "Edit_D");
  code(Label_H, Edit_H, "Label_H", "Edit_H");
  chk_No_Name = new QCheckBox(to_qstring("工具名出力無し"), this);
  chk_No_Name->setObjectName(u"chk_No_Name"_qs);
  btn_OK = new QPushButton(to_qstring("実行"), this);
  btn_OK->setObjectName(u"btn_OK"_qs);
  btn_OK->setDefault(true);
  Button1 = new QPushButton(to_qstring("キャンセル"), this);
  Button1->setObjectName(u"Button1"_qs);
  Button1->setAutoDefault(false);
  connect(btn_OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(Button1, &QPushButton::clicked, this, &QDialog::reject);
  connect(chk_No_Name, &QCheckBox::toggled, this, [this] { update_TDH_comment(); });

  auto* codes = new QGridLayout;
  const struct {
    QLabel* label;
    const char* arrow;
    const char* arrow_name;
    QLabel** arrow_label;
    QLineEdit* edit;
  } rows[] = {{Label_T, "→ T", "Arrow_T", &Arrow_T, Edit_T},
              {Label_D, "→ D", "Arrow_D", &Arrow_D, Edit_D},
              {Label_H, "→ H", "Arrow_H", &Arrow_H, Edit_H}};
  for (int i = 0; i < 3; ++i) {
    *rows[i].arrow_label = new QLabel(to_qstring(rows[i].arrow), this);
    (*rows[i].arrow_label)->setObjectName(QString::fromLatin1(rows[i].arrow_name));
    codes->addWidget(rows[i].label, i, 0);
    codes->addWidget(*rows[i].arrow_label, i, 1);
    codes->addWidget(rows[i].edit, i, 2);
  }
  codes->addWidget(new QLabel(to_qstring("←切り出し後のコードの\n   変更も行えます。"), this), 0, 3, 3,
                   1);
  codes->setColumnStretch(4, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(chk_No_Name);
  buttons->addStretch(1);
  buttons->addWidget(btn_OK);
  buttons->addWidget(Button1);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(heading);
  lay->addWidget(Label_COMMENT);
  lay->addLayout(codes);
  lay->addLayout(buttons);
  lay->setSizeConstraint(QLayout::SetFixedSize);
}

void TSUB_TDH_PSET_win::update_TDH_comment() {
  Label_COMMENT->setText(
      to_qstring(::update_TDH_comment(comment_prefix, tool_name, chk_No_Name->isChecked())));
}

void TSUB_TDH_PSET_win::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  update_TDH_comment();
}

namespace {

// The number of a code text: what follows its letter ("T05" -> "05").
std::string code_digits(const std::string& code) {
  return !code.empty() && code[0] >= 'A' && code[0] <= 'Z' ? code.substr(1) : code;
}

}  // namespace

void TSUB_TDH_PSET_win::set_request(const TTOOL_TDH_request& r) {
  comment_prefix = r.prefix;
  tool_name = r.name;
  const struct {
    QLabel* label;
    QLabel* arrow;
    QLineEdit* edit;
    const std::string& code;
    bool present;
  } rows[] = {{Label_T, Arrow_T, Edit_T, r.T, true},
              {Label_D, Arrow_D, Edit_D, r.D, r.has_D},
              {Label_H, Arrow_H, Edit_H, r.H, r.has_H}};
  for (const auto& row : rows) {
    row.label->setText(to_qstring(row.code));
    row.edit->setText(to_qstring(code_digits(row.code)));
    row.label->setVisible(row.present);
    row.arrow->setVisible(row.present);
    row.edit->setVisible(row.present);
  }
  chk_No_Name->setChecked(r.no_name);
  update_TDH_comment();
}

void TSUB_TDH_PSET_win::get_request(TTOOL_TDH_request& r) const {
  r.T = plat::from_qstring(Edit_T->text());
  if (r.has_D) r.D = plat::from_qstring(Edit_D->text());
  if (r.has_H) r.H = plat::from_qstring(Edit_H->text());
  r.no_name = chk_No_Name->isChecked();
}
