#include "tooling/select_color_1.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "common/widgets/input_number.h"
#include "common/widgets/paint_panel.h"
#include "common/widgets/validated_edit.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tooling/color_panel.h"
#include "tooling/core/color_pick.h"

using plat::from_qstring;
using plat::to_qstring;

QColor color_code_qcolor(int code) {
  const std::uint32_t c = color_code_to_TColor(code);
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

QScrollBar* make_updown(QWidget* parent, const QString& name, int lo, int hi) {
  auto* u = new QScrollBar(Qt::Vertical, parent);
  u->setObjectName(name);
  u->setRange(lo, hi);
  u->setInvertedControls(true);
  u->setInvertedAppearance(true);
  u->setFixedSize(16, 22);
  return u;
}

Tcolor_selection::Tcolor_selection(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("color_selection"));
  setWindowTitle(to_qstring("カラーの選択"));
  auto* top = new QVBoxLayout(this);

  auto* grid_row = new QGridLayout;
  pb1 = new TPaintPanel(this);
  pb1->setObjectName(QStringLiteral("pb1"));
  pb1->setFixedSize(COLOR_GRID_COLS * COLOR_CELL, COLOR_GRID_ROWS * COLOR_CELL);
  pb1->OnPaint = [](TPaintPanel&, QPainter& p) {
    for (int r = 0; r < COLOR_GRID_ROWS; ++r)
      for (int c = 0; c < COLOR_GRID_COLS; ++c)
        p.fillRect(c * COLOR_CELL, (COLOR_GRID_ROWS - 1 - r) * COLOR_CELL, COLOR_CELL, COLOR_CELL,
                   color_code_qcolor(r * COLOR_GRID_COLS + c));
  };
  pb1->installEventFilter(this);
  tr_x1 = new QSlider(Qt::Horizontal, this);
  tr_x1->setObjectName(QStringLiteral("tr_x1"));
  tr_x1->setRange(0, COLOR_GRID_COLS - 1);
  tr_x1->setFixedWidth(pb1->width() + 8);
  tr_y1 = new QSlider(Qt::Vertical, this);
  tr_y1->setObjectName(QStringLiteral("tr_y1"));
  tr_y1->setRange(0, COLOR_GRID_ROWS - 1);
  tr_y1->setInvertedAppearance(true);  // top = 0
  tr_y1->setFixedHeight(pb1->height() + 8);
  grid_row->addWidget(pb1, 0, 0, Qt::AlignCenter);
  grid_row->addWidget(tr_y1, 0, 1);
  grid_row->addWidget(tr_x1, 1, 0);
  top->addLayout(grid_row);

  auto* edit_row = new QHBoxLayout;
  auto* lab = new QLabel(to_qstring("カラー番号"), this);
  ed_col = new QLineEdit(this);
  ed_col->setObjectName(QStringLiteral("ed_col"));
  ed_col->setFixedWidth(48);
  UpDown1 = make_updown(this, QStringLiteral("UpDown1"), 0, 63);
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setFixedSize(40, 24);
  edit_row->addWidget(lab);
  edit_row->addWidget(ed_col);
  edit_row->addWidget(UpDown1);
  edit_row->addWidget(Panel1);
  edit_row->addStretch();
  top->addLayout(edit_row);

  auto* buttons = new QHBoxLayout;
  set1 = new QPushButton(to_qstring("設定"), this);
  set1->setObjectName(QStringLiteral("set1"));
  Button1 = new QPushButton(to_qstring("取り消し"), this);
  Button1->setObjectName(QStringLiteral("Button1"));
  set1->setAutoDefault(false);
  Button1->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(set1);
  buttons->addWidget(Button1);
  top->addLayout(buttons);

  auto track = [this] {
    if (ready_) Set_color_selection(tr_x1->value(), 3 - tr_y1->value());
  };
  connect(tr_x1, &QSlider::valueChanged, this, track);
  connect(tr_y1, &QSlider::valueChanged, this, track);
  connect(UpDown1, &QScrollBar::valueChanged, this, [this](int v) {
    if (ready_) Set_color_selection(v % 16, v / 16);
  });
  TValidatedEdit::attach(ed_col, [this](QLineEdit&) { return ed_colEnter(); });
  connect(set1, &QPushButton::clicked, this, [this] { set1Click(); });
  connect(Button1, &QPushButton::clicked, this, [this] { reject(); });
  select_code(0);
  ready_ = true;
}

void Tcolor_selection::Set_color_selection(int x, int y) {
  x = std::clamp(x, 0, 15);
  y = std::clamp(y, 0, 3);
  code_ = y * 16 + x;
  const bool was = ready_;
  ready_ = false;
  {
    const QSignalBlocker b1(tr_x1), b2(tr_y1), b3(UpDown1);
    tr_x1->setValue(x);
    tr_y1->setValue(3 - y);
    UpDown1->setValue(code_);
  }
  {
    const QSignalBlocker b(ed_col);
    ed_col->setText(QString::number(code_));
  }
  paint_color_panel(Panel1, code_);
  ready_ = was;
  if (live) live(code_);
}

void Tcolor_selection::select_code(int code) {
  Set_color_selection(color_code_column(code), color_code_row(code));
}

void Tcolor_selection::pb1MouseDown(int x, int y) {
  const int c = color_code_at(x, y);
  Set_color_selection(c % 16, c / 16);
}
void Tcolor_selection::pb1MouseMove(int x, int y) { pb1MouseDown(x, y); }

void Tcolor_selection::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  if (!placed_) {
    placed_ = true;
    adjustSize();
    move(place_window_at_cursor(frameGeometry().width(), frameGeometry().height()));
  }
  color_out = color_in;
  select_code(color_in);
}

bool Tcolor_selection::eventFilter(QObject* o, QEvent* e) {
  if (o == pb1) {
    if (e->type() == QEvent::MouseButtonPress) {
      const auto* m = static_cast<QMouseEvent*>(e);
      pb1MouseDown(m->position().toPoint().x(), m->position().toPoint().y());
      return true;
    }
    if (e->type() == QEvent::MouseMove) {
      const auto* m = static_cast<QMouseEvent*>(e);
      if (m->buttons() & Qt::LeftButton)
        pb1MouseMove(m->position().toPoint().x(), m->position().toPoint().y());
      return true;
    }
  }
  return QDialog::eventFilter(o, e);
}

bool Tcolor_selection::ed_colEnter() {
  const int c = color_code_of_text(from_qstring(ed_col->text()));
  if (c < 0) {
    plat::message_box(kColorCodeMessage, "", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return false;
  }
  select_code(c);
  return true;
}

void Tcolor_selection::set1Click() {
  color_out = code_;
  accept();
}

void Tcolor_selection::reject() {
  color_out = color_in;
  if (live) live(color_in);
  QDialog::reject();
}

std::optional<int> Tcolor_chooser::choose_color(int start, std::function<void(int)> live,
                                                QWidget* parent) {
  Tcolor_selection w(parent);
  w.color_in = start;
  w.live = std::move(live);
  if (w.exec() != QDialog::Accepted) return std::nullopt;
  return w.color_out;
}

Tcolor_chooser& default_color_chooser() {
  static Tcolor_chooser chooser;
  return chooser;
}
