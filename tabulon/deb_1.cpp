#include "tabulon/deb_1.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "platform/qt/qtext.h"

Tdeb::Tdeb(QWidget* parent) : QWidget(parent, Qt::Window) {
  setWindowTitle(QStringLiteral("deb"));
  auto* lay = new QVBoxLayout(this);
  Memo1 = new QPlainTextEdit(this);
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Button1 = new QPushButton(plat::to_qstring("クリア"), this);
  lay->addWidget(Memo1);
  lay->addWidget(Button1);
  connect(Button1, &QPushButton::clicked, this, &Tdeb::clear_trace);
  resize(480, 360);
  clear_trace();
}

void Tdeb::trace_line(const std::string& text) {
  QString t = plat::to_qstring(text);
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  Memo1->appendPlainText(t);
}

void Tdeb::clear_trace() { Memo1->clear(); }

std::string Tdeb::text() const { return plat::from_qstring(Memo1->toPlainText()); }
