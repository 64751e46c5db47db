// The NC data record first: Qt's "slots" keyword would meet its field of that name.
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"

#include "mainwin/control_view_1.h"

#include <cstdio>

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "mainwin/core/sim_commands.h"
#include "ncdata/ncd_data.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"

using plat::to_qstring;

namespace {
QLabel* label(const char* text, QWidget* parent) { return new QLabel(to_qstring(text), parent); }

QLineEdit* readout(const char* text, QWidget* parent, int chars) {
  auto* e = new QLineEdit(to_qstring(text), parent);
  e->setReadOnly(true);
  e->setAlignment(Qt::AlignRight);
  e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * chars + 12);
  return e;
}
}  // namespace

QPushButton* Tcontroler::make_button(int tag, const char* caption, const char* name) {
  auto* b = new QPushButton(to_qstring(caption), Panel1);
  b->setObjectName(QString::fromLatin1(name));
  b->setFocusPolicy(Qt::NoFocus);
  b->installEventFilter(this);
  // As wide as the caption needs: the style's minimum would make the panel twice as wide.
  b->setFixedWidth(std::max(44, b->fontMetrics().horizontalAdvance(b->text()) + 18));
  by_tag_[tag] = b;
  return b;
}

Tcontroler::Tcontroler(CONTROLER_SIM& sim, QWidget* main, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint),
      sim_(sim),
      main_(main),
      core_(std::make_unique<CONTROLER_CORE>(sim, *this)) {
  setObjectName(QStringLiteral("controler"));
  setWindowTitle(QStringLiteral("controler"));
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(0, 0, 0, 0);
  top->setSpacing(0);
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  Panel1->setAutoFillBackground(true);
  top->addWidget(Panel1);

  auto* p1 = new QVBoxLayout(Panel1);
  p1->setContentsMargins(4, 4, 4, 4);
  p1->setSpacing(3);

  // The playback buttons in two rows.
  auto* row1 = new QHBoxLayout;
  row1->setSpacing(2);
  Btn08_Top = make_button(8, "TOP", "Btn08_Top");
  Btn14_PreO = make_button(14, "←O", "Btn14_PreO");
  Btn04_PreT = make_button(4, "←T", "Btn04_PreT");
  Btn06_Bstep = make_button(6, "＜", "Btn06_Bstep");
  Btn05_step = make_button(5, "＞", "Btn05_step");
  Btn16_step2 = make_button(16, "＞＞", "Btn16_step2");
  Btn03_NextT = make_button(3, "T→", "Btn03_NextT");
  Btn15_NextO = make_button(15, "O→", "Btn15_NextO");
  Btn07_end = make_button(7, "END", "Btn07_end");
  for (QPushButton* b : {Btn08_Top, Btn14_PreO, Btn04_PreT, Btn06_Bstep, Btn05_step,
                         Btn16_step2, Btn03_NextT, Btn15_NextO, Btn07_end})
    row1->addWidget(b);
  p1->addLayout(row1);

  auto* row2 = new QHBoxLayout;
  row2->setSpacing(2);
  Btn01_play = make_button(1, "PLAY", "Btn01_play");
  Btn18_Hispd = make_button(18, "HI-SPEED", "Btn18_Hispd");
  Btn18_Hispd->setToolTip(to_qstring("左ボタンで通常・右ボタンで最速"));
  Btn02_Clear = make_button(2, "CLEAR", "Btn02_Clear");
  row2->addWidget(Btn01_play);
  row2->addWidget(Btn18_Hispd);
  row2->addWidget(Btn02_Clear);
  row2->addStretch(1);
  row2->addWidget(label("倍率", Panel1));
  ed_zoom = readout("1.00", Panel1, 6);
  ed_zoom->setObjectName(QStringLiteral("ed_zoom"));
  row2->addWidget(ed_zoom);
  p1->addLayout(row2);

  auto* zoom = new QGridLayout;
  zoom->setHorizontalSpacing(4);
  zoom->setVerticalSpacing(2);
  Btn09_ZmUP = make_button(9, "＋", "Btn09_ZmUP");
  Btn10_Fit = make_button(10, "□", "Btn10_Fit");
  Btn11_ZmDN = make_button(11, "－", "Btn11_ZmDN");
  zoom->addWidget(Btn09_ZmUP, 0, 0);
  zoom->addWidget(label("←拡大", Panel1), 0, 1);
  zoom->addWidget(Btn10_Fit, 1, 0);
  zoom->addWidget(label("←標準", Panel1), 1, 1);
  zoom->addWidget(Btn11_ZmDN, 2, 0);
  zoom->addWidget(label("←縮小", Panel1), 2, 1);

  // The rotation bars.
  track_Z = new QSlider(Qt::Horizontal, Panel1);
  track_Z->setObjectName(QStringLiteral("track_Z"));
  track_Z->setRange(-180, 180);
  track_X = new QSlider(Qt::Horizontal, Panel1);
  track_X->setObjectName(QStringLiteral("track_X"));
  track_X->setRange(0, 90);
  ed_Z_shaft = readout("0", Panel1, 5);
  ed_X_shaft = readout("0", Panel1, 5);
  zoom->addWidget(label("左右回転", Panel1), 0, 2);
  zoom->addWidget(track_Z, 0, 3);
  zoom->addWidget(ed_Z_shaft, 0, 4);
  zoom->addWidget(label("上下回転", Panel1), 1, 2);
  zoom->addWidget(track_X, 1, 3);
  zoom->addWidget(ed_X_shaft, 1, 4);
  zoom->setColumnStretch(3, 1);
  p1->addLayout(zoom);
  connect(track_Z, &QSlider::valueChanged, this, [this] { track_ZChange(track_Z); });
  connect(track_X, &QSlider::valueChanged, this, [this] { track_ZChange(track_X); });

  // The status labels beside the tool picture.
  auto* st = new QHBoxLayout;
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(6);
  grid->setVerticalSpacing(1);
  QFont mono(QStringLiteral("Monospace"));
  mono.setStyleHint(QFont::TypeWriter);
  const int lw = QFontMetrics(mono).horizontalAdvance(QStringLiteral("G98 G90 G17 G54 G00 ")) + 4;
  for (int i = 0; i < CONTROLER_STAT_COUNT; ++i) {
    stat[static_cast<size_t>(i)] = new QLabel(Panel1);
    QLabel* l = stat[static_cast<size_t>(i)];
    l->setObjectName(QString::fromLatin1(i < 12 ? "stat_%1" : "STAT_%1").arg(i + 1));
    l->setFont(mono);
    l->setMinimumWidth(i < 2 ? lw : lw / 2 + 8);
  }
  grid->addWidget(stat[0], 0, 0, 1, 2);
  grid->addWidget(stat[1], 1, 0, 1, 2);
  for (int i = 2; i < 8; ++i) grid->addWidget(stat[static_cast<size_t>(i)], 2 + (i - 2) / 2, (i - 2) % 2);
  for (int i = 8; i < 12; ++i) grid->addWidget(stat[static_cast<size_t>(i)], 5 + (i - 8) / 2, (i - 8) % 2);
  for (int i = 12; i < 15; ++i) grid->addWidget(stat[static_cast<size_t>(i)], 7 + (i - 12) / 2, (i - 12) % 2);
  st->addLayout(grid, 1);
  TOOL_IMG = new QLabel(Panel1);
  TOOL_IMG->setObjectName(QStringLiteral("TOOL_IMG"));
  TOOL_IMG->setFixedSize(96, 128);
  st->addWidget(TOOL_IMG, 0, Qt::AlignTop);
  p1->addLayout(st);

  Btn_ExView = new QPushButton(to_qstring("↓ 表示設定"), Panel1);
  Btn_ExView->setObjectName(QStringLiteral("Btn_ExView"));
  connect(Btn_ExView, &QPushButton::clicked, this, [this] { Btn_ExViewClick(); });
  p1->addWidget(Btn_ExView);

  // The settings part (collapsed at start).
  build_settings();
  top->addWidget(pnl2);
  pnl2->hide();

  disable_order_ = {Btn08_Top,  Btn02_Clear, Btn01_play,  Btn18_Hispd, Btn07_end,  Btn15_NextO,
                    Btn04_PreT, Btn06_Bstep, Btn05_step,  Btn16_step2, Btn03_NextT, Btn14_PreO,
                    ed_zoom,    Btn09_ZmUP,  Btn10_Fit,   Btn11_ZmDN,  track_X,    track_Z,
                    Btn_ExView, pnl2};

  repeat_timer_ = new QTimer(this);
  repeat_timer_->setSingleShot(true);
  connect(repeat_timer_, &QTimer::timeout, this, [this] { repeat_turn(); });

  collapsed_h_ = Panel1->sizeHint().height();
  expanded_h_ = collapsed_h_ + pnl2->sizeHint().height();
  setFixedWidth(std::max(Panel1->sizeHint().width(), pnl2->sizeHint().width()));
  setFixedHeight(collapsed_h_);
  Clear_controler_status();
  core_->set_last_event(tick_ms());
}

Tcontroler::~Tcontroler() = default;

void Tcontroler::build_settings() {
  pnl2 = new QWidget(this);
  pnl2->setObjectName(QStringLiteral("pnl2"));
  auto* g = new QGridLayout(pnl2);
  g->setContentsMargins(6, 4, 6, 6);
  g->setHorizontalSpacing(10);
  g->setVerticalSpacing(3);
  auto check = [this](const char* name, const char* caption, int tag, bool display) {
    auto* c = new QCheckBox(to_qstring(caption), pnl2);
    c->setObjectName(QString::fromLatin1(name));
    c->setProperty("Tag", tag);
    c->setFocusPolicy(Qt::NoFocus);
    connect(c, &QCheckBox::clicked, this, [this, tag, display] {
      if (display) {
        if (display_click) display_click(tag);
      } else if (sim_click) {
        sim_click(tag);
      }
      Refresh_switches();
    });
    return c;
  };
  ctrl_vis_tool = check("ctrl_vis_tool", "工具の表示", 1, true);
  ctrl_vis_holder = check("ctrl_vis_holder", "ホルダーの表示", 2, true);
  ctrl_vis_ABC = check("ctrl_vis_ABC", "(付加軸表示)", 7, true);
  ctrl_invis_G00 = check("ctrl_invis_G00", "G00表示無", 8, true);
  ctrl_chk_cursor_path = check("ctrl_chk_cursor_path", "カーソルキー移動でパスを表示する", 5, true);
  v33_chk_seeTH_path = check("v33_chk_seeTH_path", "パスを半透明にする", 33, true);
  v34_chk_up_BALL_R = check("v34_chk_up_BALL_R", "ボールＲ分パスを上げる", 34, true);
  MMW05_HOLDER_CHECK_bak = check("MMW05_HOLDER_CHECK_bak", "切削シミュレーションを行う", SIM_CUTTING, false);
  CheckBox2 = check("CheckBox2", "ホルダの干渉チェックを行う", SIM_HOLDER_CHECK, false);
  CheckBox1 = check("CheckBox1", "工具を回転させる", SIM_ROTATE_TOOL, false);
  c08_SeeThWORK = check("c08_SeeThWORK", "ワーク", SIM_SEETH_WORK, false);
  c12_SeeThTOOL = check("c12_SeeThTOOL", "工具", SIM_SEETH_TOOL, false);
  c19_NG_stop = check("c19_NG_stop", "干渉エラー時に停止", SIM_NG_STOP, false);

  auto radio = [this](const char* name, const char* caption, int tag) {
    auto* r = new QRadioButton(to_qstring(caption), pnl2);
    r->setObjectName(QString::fromLatin1(name));
    r->setProperty("Tag", tag);
    r->setFocusPolicy(Qt::NoFocus);
    connect(r, &QRadioButton::clicked, this, [this, tag] {
      if (display_click) display_click(tag);
      Refresh_switches();
    });
    return r;
  };
  ctrl_path_Fsokudo = radio("ctrl_path_Fsokudo", "送り速度別", 9);
  ctrl_path_Gcode = radio("ctrl_path_Gcode", "Ｇコード別", 10);
  ctrl_path_T_num = radio("ctrl_path_T_num", "工具別", 11);
  ctrl_path_Fsokudo->setChecked(true);

  Button3 = new QPushButton(to_qstring("ワークの設定"), pnl2);
  Button3->setObjectName(QStringLiteral("Button3"));
  Button3->setFocusPolicy(Qt::NoFocus);
  connect(Button3, &QPushButton::clicked, this, [this] {
    if (sim_click) sim_click(SIM_SETUP_WORK);
  });
  Button3->hide();
  BTN_HiDetail = new QPushButton(to_qstring("高精細表示"), pnl2);
  BTN_HiDetail->setObjectName(QStringLiteral("BTN_HiDetail"));
  BTN_HiDetail->setFocusPolicy(Qt::NoFocus);
  connect(BTN_HiDetail, &QPushButton::clicked, this, [this] {
    if (sim_click) sim_click(SIM_HIGH_DETAIL);
    Refresh_switches();
  });

  auto bar = [this](const char* name, int tag) {
    auto* b = new QSlider(Qt::Horizontal, pnl2);
    b->setObjectName(QString::fromLatin1(name));
    b->setProperty("Tag", tag);
    b->setRange(0, 75);
    b->setMinimumWidth(70);
    connect(b, &QSlider::valueChanged, this, [this, b] { Track_SeeTH_LV_TOOLChange(b); });
    return b;
  };
  Track_SeeTH_LV_WORK = bar("Track_SeeTH_LV_WORK", 1);
  Track_SeeTH_LV_TOOL = bar("Track_SeeTH_LV_TOOL", 2);
  Label_seeThLV = label("透明度", pnl2);
  Label_seeThLV->setObjectName(QStringLiteral("Label_seeThLV"));

  int r = 0;
  g->addWidget(ctrl_vis_tool, r, 0);
  g->addWidget(ctrl_vis_holder, r++, 1);
  g->addWidget(ctrl_vis_ABC, r, 0);
  g->addWidget(ctrl_invis_G00, r++, 1);
  g->addWidget(ctrl_chk_cursor_path, r++, 0, 1, 2);
  g->addWidget(v33_chk_seeTH_path, r, 0);
  g->addWidget(v34_chk_up_BALL_R, r++, 1);
  auto* colours = new QHBoxLayout;
  colours->setSpacing(8);
  colours->addWidget(label("パスの配色は", pnl2));
  colours->addWidget(ctrl_path_Fsokudo);
  colours->addWidget(ctrl_path_Gcode);
  colours->addWidget(ctrl_path_T_num);
  colours->addStretch(1);
  g->addLayout(colours, r++, 0, 1, 2);
  g->addWidget(MMW05_HOLDER_CHECK_bak, r, 0);
  g->addWidget(CheckBox2, r++, 1);
  g->addWidget(CheckBox1, r, 0);
  g->addWidget(c19_NG_stop, r++, 1);
  auto* see = new QHBoxLayout;
  see->setSpacing(6);
  see->addWidget(Label_seeThLV);
  see->addWidget(c08_SeeThWORK);
  see->addWidget(Track_SeeTH_LV_WORK, 1);
  see->addWidget(c12_SeeThTOOL);
  see->addWidget(Track_SeeTH_LV_TOOL, 1);
  g->addLayout(see, r++, 0, 1, 2);
  auto* limit_row = new QHBoxLayout;
  limit_row->setSpacing(4);
  limit_row->addWidget(label("パスの略式表示は", pnl2));
  ed_limitter = new QLineEdit(QStringLiteral("10000"), pnl2);
  ed_limitter->setObjectName(QStringLiteral("ed_limitter"));
  ed_limitter->setFixedWidth(ed_limitter->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 12);
  ed_limitter->installEventFilter(this);
  connect(ed_limitter, &QLineEdit::editingFinished, this, [this] { ed_limitterExit(); });
  limit_row->addWidget(ed_limitter);
  limit_row->addWidget(label("行以上の時", pnl2));
  limit_row->addStretch(1);
  g->addLayout(limit_row, r++, 0, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(BTN_HiDetail);
  buttons->addWidget(Button3);
  buttons->addStretch(1);
  g->addLayout(buttons, r++, 0, 1, 2);
  for (QWidget* w : {static_cast<QWidget*>(Label_seeThLV), static_cast<QWidget*>(c08_SeeThWORK),
                     static_cast<QWidget*>(c12_SeeThTOOL), static_cast<QWidget*>(c19_NG_stop),
                     static_cast<QWidget*>(Track_SeeTH_LV_WORK),
                     static_cast<QWidget*>(Track_SeeTH_LV_TOOL), static_cast<QWidget*>(BTN_HiDetail)})
    w->setEnabled(false);
}

void Tcontroler::Refresh_switches() {
  if (!switches) return;
  const CONTROLER_SWITCHES sw = switches();
  auto set = [](QAbstractButton* b, bool on) {
    const QSignalBlocker block(b);
    b->setChecked(on);
  };
  set(ctrl_vis_tool, sw.vis_tool);
  set(ctrl_vis_holder, sw.vis_holder);
  set(ctrl_chk_cursor_path, sw.cursor_path);
  set(ctrl_vis_ABC, sw.vis_abc);
  set(ctrl_invis_G00, sw.invis_g00);
  set(v33_chk_seeTH_path, sw.seeth_path);
  set(v34_chk_up_BALL_R, sw.up_ball_r);
  set(ctrl_path_Fsokudo, sw.path_coloring == 0);
  set(ctrl_path_Gcode, sw.path_coloring == 1);
  set(ctrl_path_T_num, sw.path_coloring == 2);
  set(MMW05_HOLDER_CHECK_bak, sw.cutting);
  set(CheckBox2, sw.holder_check);
  set(CheckBox1, sw.rotate_tool);
  Button3->setVisible(sw.setup_window);
  for (auto [bar, v] : {std::pair{Track_SeeTH_LV_WORK, sw.seeth_work}, std::pair{Track_SeeTH_LV_TOOL, sw.seeth_tool}}) {
    const QSignalBlocker block(bar);
    bar->setValue(v);
  }
}

void Tcontroler::apply_sim_controls(const SIM_MENU_STATE& st) {
  const bool on = st.panel_controls;
  for (QWidget* w : {static_cast<QWidget*>(c19_NG_stop), static_cast<QWidget*>(Label_seeThLV),
                     static_cast<QWidget*>(c08_SeeThWORK), static_cast<QWidget*>(c12_SeeThTOOL)})
    w->setEnabled(on);
  BTN_HiDetail->setEnabled(on && st.hi_detail_button);
  Track_SeeTH_LV_WORK->setEnabled(false);
  Track_SeeTH_LV_TOOL->setEnabled(false);
  auto set = [](QAbstractButton* b, bool v) {
    const QSignalBlocker block(b);
    b->setChecked(v);
  };
  if (on) {
    set(c19_NG_stop, st.ng_stop);
    set(c08_SeeThWORK, st.seeth_work);
    set(c12_SeeThTOOL, st.seeth_tool);
  }
  if (st.bars_reset) {
    for (QSlider* b : {Track_SeeTH_LV_WORK, Track_SeeTH_LV_TOOL}) {
      const QSignalBlocker block(b);
      b->setValue(SIM_SEETH_LEVEL);
    }
  }
  Refresh_switches();
}

void Tcontroler::Track_SeeTH_LV_TOOLChange(QSlider* sender) {
  const int tag = sender->property("Tag").toInt();
  if (seeth_level) seeth_level(tag == 1 ? 1 : 2, sender->value());
}

QPushButton* Tcontroler::button(int tag) const {
  auto it = by_tag_.find(tag);
  return it == by_tag_.end() ? nullptr : it->second;
}

std::uint32_t Tcontroler::tick_ms() { return clock ? clock() : plat::tick_ms(); }

void Tcontroler::showEvent(QShowEvent* e) {
  QWidget::showEvent(e);
  if (limit) ed_limitter->setText(QString::number(limit()));
  Refresh_switches();
}

void Tcontroler::Btn_ExViewClick() {
  expanded_ = !expanded_;
  pnl2->setVisible(expanded_);
  collapsed_h_ = Panel1->sizeHint().height();
  expanded_h_ = collapsed_h_ + pnl2->sizeHint().height();
  setFixedHeight(expanded_ ? expanded_h_ : collapsed_h_);
  Btn_ExView->setText(to_qstring(expanded_ ? "↑ 表示設定" : "↓ 表示設定"));
}

bool Tcontroler::ed_limitterExit() {
  const std::string text = plat::from_qstring(ed_limitter->text());
  if (!is_integer_text(text, true)) {
    if (limit) ed_limitter->setText(QString::number(limit()));
    ed_limitter->setFocus();
    return false;
  }
  const int v = std::max(100, std::stoi(text));
  if (set_limit) set_limit(v);
  ed_limitter->setText(QString::number(v));
  return true;
}

void Tcontroler::track_ZChange(QSlider* sender) {
  if (path_extent && !path_extent()) return;
  const int pos = sender->value();
  const bool held = plat::key_down(plat::Key::LButton) && sender->isSliderDown();
  int& last = sender == track_Z ? last_z_ : last_x_;
  if (sender == track_Z) ed_Z_shaft->setText(QString::number(pos));
  else ed_X_shaft->setText(QString::number(90 - pos));
  const float z = static_cast<float>(track_Z->value());
  const float x = static_cast<float>(track_X->value() + 270);
  if (held) {
    if (rotate) rotate(z, x, CD_QUICK);
    last = -1000;
  } else if (pos != last) {
    if (rotate) rotate(z, x, CD_FULL);
    last = pos;
  }
}

void Tcontroler::show_zoom(double zoom) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%5.3f", zoom);
  ed_zoom->setText(QString::fromLatin1(buf));
}

void Tcontroler::set_view_tracks(int track_z, int track_x) {
  const QSignalBlocker bz(track_Z), bx(track_X);
  track_Z->setValue(track_z);
  track_X->setValue(track_x);
  ed_Z_shaft->setText(QString::number(track_Z->value()));
  ed_X_shaft->setText(QString::number(90 - track_X->value()));
}

void Tcontroler::Clear_controler_status() {
  clear_controler_texts(texts_, show_abc && show_abc());
  has_unshown_ = false;
  shown_tool_ = -1;
  Set_controler_status(false);  // shows the cleared texts below
  Draw_controler_TOOL_IMG();
}

void Tcontroler::update_status_texts() {
  const NCD_DATA& d = sim_.data();
  if (d.line_count <= 0) return;
  // Of an unshown block only the labels that the program end keeps matter: its state is
  // kept and formatted when the panel shows its texts.
  if (d.exec.status < NCD_ST_ERROR) {
    unshown_ = d.exec;
    has_unshown_ = true;
  }
}

void Tcontroler::Set_controler_status(bool force) {
  const NCD_DATA& d = sim_.data();
  const CONTROLER_TOOL tool = tool_info ? tool_info() : CONTROLER_TOOL{};
  if (tool.entry != shown_tool_ || force) Draw_controler_TOOL_IMG();
  // The program end keeps the labels of the last block before it, shown or not.
  if (has_unshown_ && d.exec.status == NCD_ST_ERROR) controler_block_texts(unshown_, texts_);
  has_unshown_ = false;
  if (d.line_count > 0) controler_status_texts(d, tool, show_abc && show_abc(), texts_);
  setWindowTitle(to_qstring(texts_.caption));
  for (int i = 0; i < CONTROLER_STAT_COUNT; ++i)
    stat[static_cast<size_t>(i)]->setText(to_qstring(texts_.stat[static_cast<size_t>(i)]));
  for (int i = 12; i < 15; ++i) stat[static_cast<size_t>(i)]->setVisible(texts_.abc_visible);
  Panel1->repaint();
}

void Tcontroler::Draw_controler_TOOL_IMG() {
  const CONTROLER_TOOL tool = tool_info ? tool_info() : CONTROLER_TOOL{};
  shown_tool_ = tool.entry;
  QPixmap pm(TOOL_IMG->size());
  const QColor back = Panel1->palette().color(QPalette::Window);
  pm.fill(back);
  bool drawn = false;
  if (shown_tool_ != -1 && tool.set && paint_tool) {
    QPainter p(&pm);
    drawn = paint_tool(p, pm.width(), pm.height(), back);
  }
  if (!drawn) {
    pm.fill(back);
    QPainter p(&pm);
    p.setPen(Panel1->palette().color(QPalette::WindowText));
    p.drawText(pm.rect(), Qt::AlignCenter | Qt::TextSingleLine, QStringLiteral("NO ITEM"));
  }
  TOOL_IMG->setPixmap(pm);
  TOOL_IMG->repaint();
}

bool Tcontroler::alarm_box(const std::string& text, bool ok_only) {
  const unsigned flags = ok_only ? (plat::MB_OK | plat::MB_ICONINFORMATION)
                                 : (plat::MB_OKCANCEL | plat::MB_ICONINFORMATION | plat::MB_DEFBUTTON2);
  setEnabled(false);
  const int r = plat::message_box(text, "干渉チェック", flags);
  setEnabled(true);
  return r == plat::IDOK;
}

void Tcontroler::disable_buttons(int keep_tag) {
  for (QWidget* w : disable_order_) w->setEnabled(false);
  if (main_) main_->setEnabled(false);
  if (QPushButton* b = button(keep_tag)) b->setEnabled(true);
}

void Tcontroler::enable_buttons() {
  QCoreApplication::processEvents();
  for (QWidget* w : disable_order_) w->setEnabled(true);
  if (main_) main_->setEnabled(true);
}

bool Tcontroler::press_inside(int tag) {
  QPushButton* b = button(tag);
  if (!b) return false;
  int x = 0, y = 0;
  if (!plat::press_position(plat::Key::LButton, x, y) && !plat::press_position(plat::Key::RButton, x, y))
    return false;
  const QPoint p = b->mapFromGlobal(QPoint(x, y));
  return p.x() >= 0 && p.x() <= b->width() && p.y() >= 0 && p.y() <= b->height();
}

void Tcontroler::press(int tag, Qt::MouseButton b, Qt::KeyboardModifiers m) {
  CONTROLER_BUTTON cb = CONTROLER_BUTTON::Left;
  if (b == Qt::RightButton) cb = CONTROLER_BUTTON::Right;
  else if (b == Qt::MiddleButton) cb = CONTROLER_BUTTON::Middle;
  else if (b != Qt::LeftButton) return;
  stop_repeat();
  if (core_->press(tag, cb, (m & Qt::ControlModifier) != 0, tick_ms())) {
    repeat_tag_ = tag;
    repeat_timer_->start(static_cast<int>(CONTROLER_REPEAT_DELAY_MS));
  }
}

void Tcontroler::repeat_turn() {
  if (repeat_tag_ == 0) return;
  // The release may have come while a step ran: ask the latch.
  if (!plat::key_down(plat::Key::LButton) || !core_->repeat(repeat_tag_)) {
    stop_repeat();
    core_->release(tick_ms());
    return;
  }
  repeat_timer_->start(0);
}

void Tcontroler::stop_repeat() {
  repeat_tag_ = 0;
  repeat_timer_->stop();
}

bool Tcontroler::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == ed_limitter && ev->type() == QEvent::KeyPress) {
    auto* ke = static_cast<QKeyEvent*>(ev);
    if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
      ed_limitterExit();
      return true;
    }
    return false;
  }
  auto* b = qobject_cast<QPushButton*>(obj);
  if (!b) return false;
  int tag = 0;
  for (const auto& [t, w] : by_tag_)
    if (w == b) tag = t;
  if (tag == 0) return false;
  switch (ev->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(ev);
      if (b->isEnabled()) press(tag, me->button(), me->modifiers());
      return true;  // the panel acts on the press, not on the click
    }
    case QEvent::MouseButtonRelease:
      if (repeat_tag_ != 0 || tag == 1) {
        stop_repeat();
        core_->release(tick_ms());
      }
      return true;
    default:
      return false;
  }
}
