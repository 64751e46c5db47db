#include "mainwin/find_dialog_1.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "common/widgets/ctrls_ex.h"
#include "mainwin/dialog_place.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

namespace {
QPushButton* result_button(QWidget* parent, const char* text, const char16_t* name) {
  auto* b = new QPushButton(to_qstring(text), parent);
  b->setObjectName(QString::fromUtf16(name));
  b->setAutoDefault(false);
  return b;
}
}  // namespace

Tfind_diag::Tfind_diag(QWidget* parent) : QDialog(parent) {
  setObjectName(u"find_diag"_qs);
  setWindowTitle(to_qstring("文字列検索"));
  setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowStaysOnTopHint |
                 Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  Edit1 = new TEditEx(this);
  Edit1->setObjectName(u"Edit1"_qs);
  Edit2 = new TEditEx(this);
  Edit2->setObjectName(u"Edit2"_qs);
  Edit1->setMinimumWidth(220);
  Button1 = result_button(this, "↑前検索", u"Button1");
  Button2 = result_button(this, "↓次検索", u"Button2");
  Button3 = result_button(this, "一覧表示", u"Button3");
  Button4 = result_button(this, "キャンセル", u"Button4");
  // Enter in either edit is "↓次検索".
  Button2->setDefault(true);

  auto* grid = new QGridLayout;
  grid->addWidget(Edit1, 0, 0);
  grid->addWidget(new QLabel(to_qstring("を含む行"), this), 0, 1);
  grid->addWidget(Edit2, 1, 0);
  grid->addWidget(new QLabel(to_qstring("を含まない行"), this), 1, 1);
  auto* hint = new QHBoxLayout;
  hint->addWidget(new QLabel(to_qstring("↑ワイルドカードとして"), this));
  hint->addWidget(new QLabel(to_qstring("？と＊が使えます"), this));
  hint->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(Button1);
  buttons->addWidget(Button2);
  buttons->addWidget(Button3);
  buttons->addWidget(Button4);
  auto* lay = new QVBoxLayout(this);
  lay->addLayout(grid);
  lay->addLayout(hint);
  lay->addLayout(buttons);
  lay->setSizeConstraint(QLayout::SetFixedSize);

  connect(Button1, &QPushButton::clicked, this, [this] { done(FIND_DLG_IGNORE); });
  connect(Button2, &QPushButton::clicked, this, [this] { done(FIND_DLG_OK); });
  connect(Button3, &QPushButton::clicked, this, [this] { done(FIND_DLG_ALL); });
  connect(Button4, &QPushButton::clicked, this, [this] { done(FIND_DLG_CANCEL); });
}

void Tfind_diag::done(int r) {
  if (r == FIND_DLG_OK || r == FIND_DLG_IGNORE || r == FIND_DLG_ALL) {
    for (TEditEx* ed : {Edit1, Edit2}) {
      bool lossless = true;
      plat::from_qstring(ed->text(), &lossless);
      if (lossless) continue;
      // Its "?" stand-ins would be wildcards and match every line.
      plat::message_box("検索する文字列に Shift-JIS で表せない文字があります。", "",
                        plat::MB_OK | plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
      ed->setFocus(Qt::OtherFocusReason);
      return;
    }
  }
  QDialog::done(r);
}

void Tfind_diag::showEvent(QShowEvent* e) {
  Edit1->SetText(std::string_view(include_text));
  Edit2->SetText(std::string_view(exclude_text));
  QDialog::showEvent(e);
  Edit1->setFocus(Qt::OtherFocusReason);
}

void Tfind_diag::hideEvent(QHideEvent* e) {
  include_text = Edit1->Text();
  exclude_text = Edit2->Text();
  QDialog::hideEvent(e);
}

int open_find_dialog(QWidget* parent, FIND_SETTINGS& s, const DialogRunner& exec) {
  Tfind_diag dlg(parent);
  place_at_remembered(&dlg, s.left, s.top);
  dlg.include_text = s.search_text;
  dlg.exclude_text = s.not_text;
  const int r = exec ? exec(dlg) : dlg.exec();
  if (dlg.isVisible()) dlg.hide();
  s.left = dlg.x();
  s.top = dlg.y();
  s.search_text = upper_sjis(dlg.include_text);
  s.not_text = upper_sjis(dlg.exclude_text);
  return r;
}
