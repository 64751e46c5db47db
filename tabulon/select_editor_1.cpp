#include "tabulon/select_editor_1.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "platform/qt/qtext.h"

Tselect_editor::Tselect_editor(QWidget* parent) : QDialog(parent) {
  setWindowTitle(plat::to_qstring("エディタの設定"));
  auto* lay = new QGridLayout(this);
  Panel1 = new QLabel(plat::to_qstring("  設定ファイルを開く際のエディタを指定します。"), this);
  Panel1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  RB_0 = new QRadioButton(plat::to_qstring("関連付けされたアプリケーション"), this);
  RB_1 = new QRadioButton(plat::to_qstring("ファイルを指定"), this);
  Edit1 = new QLineEdit(this);
  Button1 = new QPushButton(QStringLiteral("..."), this);
  Button1->setFixedWidth(32);
  OK = new QPushButton(QStringLiteral("OK"), this);
  Cancel = new QPushButton(QStringLiteral("Cancel"), this);
  OK->setDefault(true);
  lay->addWidget(Panel1, 0, 0, 1, 3);
  lay->addWidget(RB_0, 1, 0, 1, 3);
  lay->addWidget(RB_1, 2, 0, 1, 3);
  lay->addWidget(Edit1, 3, 0, 1, 2);
  lay->addWidget(Button1, 3, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(OK);
  buttons->addWidget(Cancel);
  lay->addLayout(buttons, 4, 0, 1, 3);
  RB_0->setChecked(true);
  RB_0Click();
  connect(RB_0, &QRadioButton::clicked, this, &Tselect_editor::RB_0Click);
  connect(RB_1, &QRadioButton::clicked, this, &Tselect_editor::RB_1Click);
  connect(Button1, &QPushButton::clicked, this, &Tselect_editor::Button1Click);
  connect(OK, &QPushButton::clicked, this, &QDialog::accept);
  connect(Cancel, &QPushButton::clicked, this, &QDialog::reject);
  OpenDialog1 = [this] {
    QFileDialog dlg(this, plat::to_qstring("エディタの選択"));
    dlg.setFileMode(QFileDialog::ExistingFile);
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setLabelText(QFileDialog::Accept, plat::to_qstring("選択"));
    if (!Edit1->text().isEmpty()) dlg.selectFile(Edit1->text());
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return QString();
    return dlg.selectedFiles().front();
  };
}

void Tselect_editor::RB_0Click() {
  Edit1->setEnabled(false);
  Button1->setEnabled(false);
}

void Tselect_editor::RB_1Click() {
  Edit1->setEnabled(true);
  Button1->setEnabled(true);
}

void Tselect_editor::Button1Click() {
  const QString f = OpenDialog1 ? OpenDialog1() : QString();
  if (!f.isEmpty()) Edit1->setText(f);
}
