#include "common/widgets/deb_window.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "platform/qt/qtext.h"

namespace velmor {

namespace {
QPlainTextEdit* make_memo(QWidget* parent, const QString& name) {
  auto* m = new QPlainTextEdit(parent);
  m->setObjectName(name);
  m->setReadOnly(true);
  m->setLineWrapMode(QPlainTextEdit::NoWrap);
  return m;
}
}  // namespace

TdebWindow::TdebWindow(Tdeb& log, QWidget* parent) : QWidget(parent, Qt::Window), log_(log) {
  setObjectName(u"deb"_qs);
  setWindowTitle(u"deb"_qs);
  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName(u"PageControl1"_qs);

  deb_massage = new QWidget;
  deb_massage->setObjectName(u"deb_massage"_qs);
  deb_p_memo = make_memo(deb_massage, u"deb_p_memo"_qs);
  auto* panel1 = new QWidget(deb_massage);
  panel1->setObjectName(u"Panel1"_qs);
  btn1 = new QPushButton(plat::to_qstring("↑画面クリア"), panel1);
  btn1->setObjectName(u"btn1"_qs);
  Button1 = new QPushButton(plat::to_qstring("クリップボードに内容をコピー"), panel1);
  Button1->setObjectName(u"Button1"_qs);
  auto* p1 = new QHBoxLayout(panel1);
  p1->setContentsMargins(0, 0, 0, 0);
  p1->addWidget(btn1);
  p1->addWidget(Button1);
  p1->addStretch();
  auto* l1 = new QVBoxLayout(deb_massage);
  l1->addWidget(deb_p_memo);
  l1->addWidget(panel1);
  PageControl1->addTab(deb_massage, u"deb_massage"_qs);

  dump_data = new QWidget;
  dump_data->setObjectName(u"dump_data"_qs);
  Memo1 = make_memo(dump_data, u"Memo1"_qs);
  auto* panel2 = new QWidget(dump_data);
  panel2->setObjectName(u"Panel2"_qs);
  Button2 = new QPushButton(plat::to_qstring("クリップボードに内容をコピー"), panel2);
  Button2->setObjectName(u"Button2"_qs);
  auto* p2 = new QHBoxLayout(panel2);
  p2->setContentsMargins(0, 0, 0, 0);
  p2->addWidget(Button2);
  p2->addStretch();
  auto* l2 = new QVBoxLayout(dump_data);
  l2->addWidget(Memo1);  // fills the page
  l2->addWidget(panel2);
  PageControl1->addTab(dump_data, u"dump_data"_qs);

  get_mem = new QWidget;
  get_mem->setObjectName(u"get_mem"_qs);
  lb2 = new QListWidget(get_mem);
  lb2->setObjectName(u"lb2"_qs);
  auto* l3 = new QVBoxLayout(get_mem);
  l3->addWidget(lb2);
  PageControl1->addTab(get_mem, u"get_mem"_qs);

  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->addWidget(PageControl1);

  connect(btn1, &QPushButton::clicked, this, &TdebWindow::btn1Click);
  connect(Button1, &QPushButton::clicked, this, &TdebWindow::Button1Click);
  connect(Button2, &QPushButton::clicked, this, &TdebWindow::Button2Click);
  connect(lb2, &QListWidget::itemDoubleClicked, this, [this] { lb2DblClick(); });

  // FormCreate: top 22, left 0; the pages show what the log already holds.
  move(0, 22);
  resize(480, 360);
  fill_from_log();
  log_.set_view(this);
}

TdebWindow::~TdebWindow() {
  log_.set_view(nullptr);
  log_.set_visible(false);
}

void TdebWindow::fill_from_log() {
  deb_p_memo->clear();
  Memo1->clear();
  lb2->clear();
  for (const auto& l : log_.deb_p_memo()) deb_p_memo->appendPlainText(plat::to_qstring(l));
  for (const auto& l : log_.Memo1()) Memo1->appendPlainText(plat::to_qstring(l));
  for (const auto& l : log_.lb2()) lb2->addItem(plat::to_qstring(l));
}

void TdebWindow::line_added(Tdeb::Page page, const std::string& line) {
  switch (page) {
    case Tdeb::Page::Message: deb_p_memo->appendPlainText(plat::to_qstring(line)); break;
    case Tdeb::Page::Dump: Memo1->appendPlainText(plat::to_qstring(line)); break;
    case Tdeb::Page::Memory: lb2->addItem(plat::to_qstring(line)); break;
  }
}

void TdebWindow::page_cleared(Tdeb::Page page) {
  switch (page) {
    case Tdeb::Page::Message: deb_p_memo->clear(); break;
    case Tdeb::Page::Dump: Memo1->clear(); break;
    case Tdeb::Page::Memory: lb2->clear(); break;
  }
}

void TdebWindow::btn1Click() { log_.clear_deb_message(); }

void TdebWindow::Button1Click() {
  QGuiApplication::clipboard()->setText(plat::to_qstring(log_.page_text(Tdeb::Page::Message)));
}

void TdebWindow::Button2Click() {
  QGuiApplication::clipboard()->setText(plat::to_qstring(log_.page_text(Tdeb::Page::Dump)));
}

void TdebWindow::lb2DblClick() { log_.clear_mem(); }

void TdebWindow::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  log_.set_visible(true);
}

void TdebWindow::hideEvent(QHideEvent* e) {
  QWidget::hideEvent(e);
  log_.set_visible(false);
}

}  // namespace velmor
