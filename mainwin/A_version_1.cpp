#include "mainwin/A_version_1.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

#include "mainwin/core/small_dialogs.h"
#include "mainwin/dialog_place.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

TA_version::TA_version(QWidget* parent, const MemoryReader& read) : QDialog(parent) {
  setObjectName(u"A_version"_qs);
  setWindowTitle(to_qstring("ﾊﾞｰｼﾞｮﾝ情報"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                 Qt::WindowCloseButtonHint);

  auto* panel = new QFrame(this);
  panel->setObjectName(u"Panel1"_qs);
  panel->setFrameShape(QFrame::StyledPanel);
  auto* icon = new QLabel(panel);
  icon->setObjectName(u"ProgramIcon"_qs);
  const QIcon app_icon = QApplication::windowIcon().isNull()
                             ? style()->standardIcon(QStyle::SP_ComputerIcon)
                             : QApplication::windowIcon();
  icon->setPixmap(app_icon.pixmap(32, 32));
  ProductName = new QLabel(u"velmor"_qs, panel);
  ProductName->setObjectName(u"ProductName"_qs);
  QFont big = ProductName->font();
  big.setPointSizeF(big.pointSizeF() * 1.5);
  big.setBold(true);
  ProductName->setFont(big);
  Version = new QLabel(panel);
  Version->setObjectName(u"Version"_qs);

  auto* mem = new QGridLayout;
  auto add_row = [&](int row, const char* caption, const char16_t* name) {
    mem->addWidget(new QLabel(to_qstring(caption), panel), row, 0);
    auto* value = new QLabel(to_qstring("??? Kb"), panel);
    value->setObjectName(QString::fromUtf16(name));
    value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    mem->addWidget(value, row, 1);
    return value;
  };
  total_mem = add_row(0, "全物理メモリ : ", u"total_mem");
  free_mem = add_row(1, "空物理メモリ : ", u"free_mem");
  v_free_mem = add_row(2, "空仮想メモリ ：", u"v_free_mem");

  auto* head = new QHBoxLayout;
  head->addWidget(icon, 0, Qt::AlignTop);
  auto* names = new QVBoxLayout;
  names->addWidget(ProductName);
  names->addWidget(Version);
  head->addLayout(names, 1);
  auto* panel_lay = new QVBoxLayout(panel);
  panel_lay->addLayout(head);
  panel_lay->addLayout(mem);

  OKButton = new QPushButton(u"OK"_qs, this);
  OKButton->setObjectName(u"OKButton"_qs);
  OKButton->setDefault(true);
  connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(panel);
  lay->addWidget(OKButton, 0, Qt::AlignHCenter);
  lay->setSizeConstraint(QLayout::SetFixedSize);

  plat::MemoryStatus m;
  const bool ok = read ? read(m) : plat::memory_status(m);
  const ABOUT_MEMORY_TEXTS t = about_memory_texts(ok, m);
  total_mem->setText(to_qstring(t.total));
  free_mem->setText(to_qstring(t.free));
  v_free_mem->setText(to_qstring(t.v_free));
  centre_on_screen(this);
}
