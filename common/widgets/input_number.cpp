#include "common/widgets/input_number.h"

#include <QCursor>
#include <QFileDialog>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>
#include <algorithm>
#include <charconv>
#include <climits>

#include "common/ats_func.h"
#include "common/widgets/ctrls_ex.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"

Tinput_num_box::Tinput_num_box(QWidget* parent) : QDialog(parent) {
  setWindowFlags(Qt::Tool | Qt::WindowStaysOnTopHint);
  setWindowTitle(plat::to_qstring("数値を入力"));
  setObjectName(u"input_num_box"_qs);
  ed_text = new TEditEx(this);
  ed_text->setObjectName(u"ed_text"_qs);
  ed_text->SetAlignment(TEditEx::taCenter);
  ed_text->SetText(std::string_view("0"));
  BitBtn1 = new QPushButton(u"OK"_qs, this);
  BitBtn1->setObjectName(u"BitBtn1"_qs);
  BitBtn1->setDefault(true);
  BitBtn2 = new QPushButton(plat::to_qstring("キャンセル"), this);
  BitBtn2->setObjectName(u"BitBtn2"_qs);
  connect(BitBtn1, &QPushButton::clicked, this, &QDialog::accept);
  connect(BitBtn2, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BitBtn1);
  buttons->addWidget(BitBtn2);
  auto* lay = new QVBoxLayout(this);
  lay->addWidget(ed_text);
  lay->addLayout(buttons);
  // Enter in the edit reaches the default button (OK).
}

void Tinput_num_box::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  ed_text->setFocus(Qt::OtherFocusReason);
}

std::filesystem::path get_desktop_folder() { return plat::desktop_folder(); }

std::filesystem::path browse_for_folder(QWidget* owner, const std::filesystem::path& initial) {
  QFileDialog dlg(owner, plat::to_qstring("ﾌｫﾙﾀﾞを選択して下さい。"));
  dlg.setFileMode(QFileDialog::Directory);
  dlg.setOption(QFileDialog::ShowDirsOnly, true);
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  dlg.setDirectory(plat::path_to_qstring(initial.empty() ? get_desktop_folder() : initial));
  if (dlg.exec() != QDialog::Accepted) return {};
  const QStringList chosen = dlg.selectedFiles();
  if (chosen.isEmpty()) return {};
  return plat::qstring_to_path(chosen.front());
}

QPoint place_window_at(QPoint cursor, const QRect& screen, int w, int h) {
  int x = cursor.x() - w / 2;
  int y = cursor.y() - h - 5;
  if (x + w > screen.left() + screen.width()) x = screen.left() + screen.width() - w;
  if (y + h > screen.top() + screen.height()) y = screen.top() + screen.height() - h;
  x = std::max(x, screen.left());
  y = std::max(y, screen.top());
  return {x, y};
}

QPoint place_window_at_cursor(int w, int h) {
  const QPoint cursor = QCursor::pos();
  QScreen* s = QGuiApplication::screenAt(cursor);
  if (!s) s = QGuiApplication::primaryScreen();
  const QRect screen = s ? s->geometry() : QRect(0, 0, 1024, 768);
  return place_window_at(cursor, screen, w, h);
}

int input_number_at_cursor(const std::string& caption, const std::string& initial) {
  Tinput_num_box box;
  box.adjustSize();
  QPoint at = place_window_at_cursor(box.width(), box.height());
  box.move(at.x() + 10, at.y());
  if (!caption.empty()) box.setWindowTitle(plat::to_qstring(caption));
  if (!initial.empty()) box.ed_text->SetText(std::string_view(initial));
  if (box.exec() != QDialog::Accepted) return INT_MAX;
  const std::string text = box.ed_text->Text();
  if (!is_integer_text(text, true)) return INT_MAX;
  int v = 0;
  const char* b = text.data();
  const char* e = text.data() + text.size();
  if (b != e && *b == '+') ++b;
  std::from_chars(b, e, v);
  return v;
}
