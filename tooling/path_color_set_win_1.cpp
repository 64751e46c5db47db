#include "tooling/path_color_set_win_1.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "common/widgets/validated_edit.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tooling/core/color_pick.h"
#include "tooling/color_panel.h"
#include "tooling/select_color_1.h"

using plat::from_qstring;
using plat::to_qstring;

namespace {

const char* const kStyles[] = {" 実線", " 破線1", " 破線2", " 破線3"};

QString row_name(const char* base, int n) {
  return QString::fromLatin1(base) + QString::number(n);
}

QLineEdit* make_edit(QWidget* parent, const QString& name, int width) {
  auto* e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setFixedWidth(width);
  return e;
}

void show_error(const char* text) {
  plat::message_box(text, "", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
}

}  // namespace

Tpath_color_set::Tpath_color_set(Tcolor_chooser& chooser, QWidget* parent)
    : QDialog(parent), chooser_(chooser) {
  setObjectName(QStringLiteral("path_color_set"));
  setWindowTitle(to_qstring("カッターパスのカラー設定"));
  auto* top = new QVBoxLayout(this);
  PageControl = new QTabWidget(this);
  PageControl->setObjectName(QStringLiteral("PageControl"));
  top->addWidget(PageControl);
  Create_path_color_rows();
  auto* buttons = new QHBoxLayout;
  auto* ok = new QPushButton(to_qstring("OK"), this);
  ok->setObjectName(QStringLiteral("OK_btn"));
  auto* cancel = new QPushButton(to_qstring("キャンセル"), this);
  cancel->setObjectName(QStringLiteral("Cancel_btn"));
  ok->setAutoDefault(false);
  cancel->setAutoDefault(false);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  top->addLayout(buttons);
  connect(ok, &QPushButton::clicked, this, &Tpath_color_set::accept);
  connect(cancel, &QPushButton::clicked, this, &Tpath_color_set::reject);
  ready_ = true;
}

QWidget* Tpath_color_set::make_page(int first, int last) {
  auto* page = new QWidget(PageControl);
  auto* g = new QGridLayout(page);
  g->setHorizontalSpacing(4);
  g->setVerticalSpacing(3);
  const bool bands = first == 0;
  // Columns: 0 caption, 1 state, 2 panel, 3 code, 4 up-down, 5 button, 6 width, 7 up-down,
  // 8 style, 9 print width, 10 up-down.
  auto head = [&](int col, const char* text, int span = 1) {
    auto* l = new QLabel(to_qstring(text), page);
    l->setAlignment(Qt::AlignCenter);
    g->addWidget(l, 0, col, 1, span);
  };
  if (!bands) {
    // "&&" of the caption stands for one "&", as in a button caption.
    auto* h = new QLabel(to_qstring("( Gコード別での色分け & 工具別での線種設定 )"), page);
    h->setTextFormat(Qt::PlainText);
    g->addWidget(h, 0, 0, 1, 2);
  }
  head(2, "色設定", 4);
  head(6, "線幅", 2);
  head(8, "線種");
  head(9, "印刷時の\n線幅", 2);
  for (int n = first; n <= last; ++n) {
    Row& r = rows_[static_cast<std::size_t>(n)];
    const int gr = n - first + 1;
    if (bands && n >= 1) {
      auto* p = new QWidget(page);
      p->setObjectName(row_name("P_", n));
      auto* h = new QHBoxLayout(p);
      h->setContentsMargins(0, 0, 0, 0);
      auto* lf = new QLabel(to_qstring("Ｆ"), p);
      lf->setObjectName(row_name("LF_", n));
      r.sokudo = make_edit(p, row_name("ED_SOKUDO_", n), 70);
      r.sokudo->setProperty("Tag", n);
      auto* lm = new QLabel(to_qstring("まで"), p);
      lm->setObjectName(row_name("LM_", n));
      h->addWidget(lf);
      h->addWidget(r.sokudo);
      h->addWidget(lm);
      h->addStretch();
      g->addWidget(p, gr, 0);
    } else {
      QString cap = to_qstring(path_row_caption(n));
      if (n == 0) cap += to_qstring(" ( and F0 )");
      auto* l = new QLabel(cap, page);
      g->addWidget(l, gr, 0);
    }
    if (bands) {
      r.flag = new QLabel(to_qstring("(有効)"), page);
      r.flag->setObjectName(row_name("flag_", n));
      g->addWidget(r.flag, gr, 1);
    }
    r.cp = new QPushButton(page);
    r.cp->setObjectName(row_name("CP_", n));
    r.cp->setFixedSize(36, 22);
    r.cp->setFlat(true);
    r.col = make_edit(page, row_name("ED_COL_", n), 40);
    r.col->setText(QStringLiteral("0"));
    r.ud_col = make_updown(page, row_name("UD_COL_", n), 0, 63);
    r.cb = new QPushButton(to_qstring("設定"), page);
    r.cb->setObjectName(row_name("CB_", n));
    r.cb->setAutoDefault(false);
    r.w = make_edit(page, row_name("ED_W_", n), 36);
    r.ud_w = make_updown(page, row_name("UD_W_", n), 1, 20);
    r.combo = new QComboBox(page);
    r.combo->setObjectName(row_name("COMBO_", n));
    for (const char* s : kStyles) r.combo->addItem(to_qstring(s));
    r.pw = make_edit(page, row_name("ED_PW_", n), 36);
    r.ud_pw = make_updown(page, row_name("UD_PW_", n), 1, 20);
    g->addWidget(r.cp, gr, 2);
    g->addWidget(r.col, gr, 3);
    g->addWidget(r.ud_col, gr, 4);
    g->addWidget(r.cb, gr, 5);
    g->addWidget(r.w, gr, 6);
    g->addWidget(r.ud_w, gr, 7);
    g->addWidget(r.combo, gr, 8);
    g->addWidget(r.pw, gr, 9);
    g->addWidget(r.ud_pw, gr, 10);
    for (QWidget* w : {static_cast<QWidget*>(r.cp), static_cast<QWidget*>(r.col),
                       static_cast<QWidget*>(r.cb), static_cast<QWidget*>(r.w),
                       static_cast<QWidget*>(r.pw), static_cast<QWidget*>(r.combo)})
      w->setProperty("Tag", n);
    for (QLineEdit* e : {r.sokudo, r.col, r.w, r.pw})
      if (e) TValidatedEdit::attach(e, [this](QLineEdit& ed) { return check_edit(&ed, true); });
    connect(r.cp, &QPushButton::clicked, this, [this, n] { work_color_btnClick(n); });
    connect(r.cb, &QPushButton::clicked, this, [this, n] { work_color_btnClick(n); });
    connect(r.ud_col, &QScrollBar::valueChanged, this, [this, n](int v) {
      if (!ready_) return;
      disp.path[static_cast<std::size_t>(n)].color = v;
      set_row_color(n, v);
    });
    auto bind_width = [this](QScrollBar* ud, QLineEdit* e) {
      connect(ud, &QScrollBar::valueChanged, this, [this, e](int v) {
        if (!ready_) return;
        const QSignalBlocker b(e);
        e->setText(QString::number(v));
      });
    };
    bind_width(r.ud_w, r.w);
    bind_width(r.ud_pw, r.pw);
  }
  if (bands) {
    auto* l = new QLabel(to_qstring("(Ｆの最大値)"), page);
    ed_F_max = make_edit(page, QStringLiteral("ed_F_max"), 90);
    ed_F_max->setReadOnly(true);
    g->addWidget(l, last - first + 2, 0, Qt::AlignRight);
    g->addWidget(ed_F_max, last - first + 2, 1, 1, 3);
  }
  g->setRowStretch(last - first + 3, 1);
  return page;
}

void Tpath_color_set::Create_path_color_rows() {
  PageControl->addTab(make_page(0, 9), to_qstring("カッターパスの色設定 (1)"));
  PageControl->widget(0)->setObjectName(QStringLiteral("TABSHEET_1"));
  PageControl->addTab(make_page(10, 15), to_qstring("カッターパスの色設定 (2)"));
  PageControl->widget(1)->setObjectName(QStringLiteral("TABSHEET_2"));
}

void Tpath_color_set::set_row_color(int row, int code) {
  Row& r = rows_[static_cast<std::size_t>(row)];
  const bool was = ready_;
  ready_ = false;
  {
    const QSignalBlocker b(r.col), b2(r.ud_col);
    r.col->setText(QString::number(code));
    r.ud_col->setValue(code);
  }
  paint_color_panel(r.cp, code);
  ready_ = was;
}

void Tpath_color_set::Set_path_color_controls() {
  ready_ = false;
  for (int n = 0; n < DISP_PATH_ROWS; ++n) {
    Row& r = rows_[static_cast<std::size_t>(n)];
    const TPATH_COLOR_ROW& p = disp.path[static_cast<std::size_t>(n)];
    set_row_color(n, std::clamp(p.color, 0, 63));
    const QSignalBlocker b1(r.ud_w), b2(r.ud_pw), b3(r.combo), b4(r.w), b5(r.pw);
    r.w->setText(QString::number(p.width));
    r.ud_w->setValue(p.width);
    r.pw->setText(QString::number(p.p_width));
    r.ud_pw->setValue(p.p_width);
    r.combo->setCurrentIndex(std::clamp(p.style, 0, 3));
    if (r.sokudo) {
      const QSignalBlocker b6(r.sokudo);
      r.sokudo->setText(to_qstring(feed_limit_text(p.sokudo)));
    }
  }
  ready_ = true;
  Check_feed_bands();
}

void Tpath_color_set::set_F_max(float f) { ed_F_max->setText(to_qstring(float_to_str(f, 3))); }

void Tpath_color_set::set_page(int tab) { PageControl->setCurrentIndex(tab == 1 ? 0 : 1); }

void Tpath_color_set::Check_feed_bands() {
  disp.band_count = count_feed_bands(disp);
  for (int n = 1; n <= DISP_FEED_BAND_ROWS; ++n) {
    Row& r = rows_[static_cast<std::size_t>(n)];
    const bool valid = path_row_valid(n, disp.band_count);
    r.flag->setText(to_qstring(valid ? "(有効)" : "(無効)"));
    for (QWidget* w : {static_cast<QWidget*>(r.cp), static_cast<QWidget*>(r.col),
                       static_cast<QWidget*>(r.ud_col), static_cast<QWidget*>(r.cb),
                       static_cast<QWidget*>(r.w), static_cast<QWidget*>(r.ud_w),
                       static_cast<QWidget*>(r.combo), static_cast<QWidget*>(r.pw),
                       static_cast<QWidget*>(r.ud_pw)})
      w->setEnabled(valid);
  }
}

// One edit checked by its Enter rule; a good value is stored into the record.
bool Tpath_color_set::check_edit(QLineEdit* e, bool show) {
  const int n = e->property("Tag").toInt();
  TPATH_COLOR_ROW& p = disp.path[static_cast<std::size_t>(n)];
  Row& r = rows_[static_cast<std::size_t>(n)];
  const std::string text = from_qstring(e->text());
  if (e == r.sokudo) {
    const double v = feed_limit_of_text(text);
    if (v < 0) {
      if (show) show_error(kFeedLimitMessage);
      return false;
    }
    p.sokudo = static_cast<float>(v);
    Check_feed_bands();
    return true;
  }
  if (e == r.col) {
    const int c = color_code_of_text(text);
    if (c < 0) {
      if (show) show_error(kColorCodeMessage);
      return false;
    }
    p.color = c;
    set_row_color(n, c);
    return true;
  }
  const int w = line_width_of_text(text);
  if (w < 0) {
    if (show) show_error(kLineWidthMessage);
    return false;
  }
  (e == r.w ? p.width : p.p_width) = w;
  const QSignalBlocker b(e == r.w ? r.ud_w : r.ud_pw);
  (e == r.w ? r.ud_w : r.ud_pw)->setValue(w);
  return true;
}

void Tpath_color_set::work_color_btnClick(int row) {
  Row& r = rows_[static_cast<std::size_t>(row)];
  int start = color_code_of_text(from_qstring(r.col->text()));
  if (start < 0) start = std::clamp(disp.path[static_cast<std::size_t>(row)].color, 0, 63);
  const auto got = chooser_.choose_color(start, [this, row](int c) { set_row_color(row, c); }, this);
  const int code = got ? *got : start;
  set_row_color(row, code);
  disp.path[static_cast<std::size_t>(row)].color = code;
}

bool Tpath_color_set::read_rows() {
  for (int n = 0; n < DISP_PATH_ROWS; ++n) {
    Row& r = rows_[static_cast<std::size_t>(n)];
    for (QLineEdit* e : {r.sokudo, r.col, r.w, r.pw}) {
      if (!e || (!e->isEnabled() && e != r.sokudo)) continue;
      if (!check_edit(e, true)) {
        PageControl->setCurrentIndex(n < 10 ? 0 : 1);
        QTimer::singleShot(0, e, [e] {
          e->setFocus();
          e->selectAll();
        });
        return false;
      }
    }
    disp.path[static_cast<std::size_t>(n)].style = r.combo->currentIndex();
  }
  disp.PATH_COLOR_TAB = PageControl->currentIndex() == 0 ? 1 : 2;
  disp.band_count = count_feed_bands(disp);
  return true;
}

void Tpath_color_set::accept() {
  if (read_rows()) QDialog::accept();
}

bool Tpath_color_runner::run(Tdisp_status& d, float f_max) {
  Tpath_color_set w(chooser_, parent_);
  w.disp = d;
  w.Set_path_color_controls();
  w.set_F_max(f_max);
  w.set_page(d.PATH_COLOR_TAB);
  if (w.exec() != QDialog::Accepted) return false;
  d = w.disp;
  return true;
}
