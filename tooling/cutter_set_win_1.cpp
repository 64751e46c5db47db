#include "tooling/cutter_set_win_1.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>
#include <QVBoxLayout>

#include "common/ats_func.h"
#include "common/debug_log.h"
#include "common/text_file.h"
#include "common/widgets/paint_panel.h"
#include "common/widgets/validated_edit.h"
#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "simulation/tool_codes.h"
#include "simulation/tool_data_file.h"
#include "tooling/core/color_pick.h"
#include "tooling/core/cutter_form.h"
#include "tooling/core/tool_drawing.h"
#include "tooling/core/tool_library.h"
#include "tooling/g2_painter.h"
#include "tooling/preview_win_1.h"
#include "tooling/color_panel.h"
#include "tooling/select_color_1.h"

using plat::from_qstring;
using plat::to_qstring;

namespace {

const char* const kColorSuffix[7] = {"", "H", "H2", "L", "BL", "BACK", "DIM"};

QString name_of(const char* base, const char* suffix = "") {
  return QString::fromLatin1(base) + QString::fromLatin1(suffix);
}

void set_text(QLineEdit* e, const std::string& t) {
  const QSignalBlocker b(e);
  e->setText(to_qstring(t));
  e->setModified(false);
}

std::string size_text(float v) { return float_to_str(v, 3); }

float edit_real(QLineEdit* e, float fallback) {
  double v = 0;
  return real_of_text(from_qstring(e->text()), v) ? static_cast<float>(v) : fallback;
}

int edit_code(QLineEdit* e, int fallback) {
  const int c = color_code_of_text(from_qstring(e->text()));
  return c < 0 ? fallback : c;
}

// The swap of the main window's display settings with the window's copy, undone on every path.
class DispSwap {
 public:
  DispSwap(Tdisp_status* main, Tdisp_status& mine) : main_(main), mine_(mine) {
    if (main_) std::swap(*main_, mine_);
  }
  ~DispSwap() {
    if (main_) std::swap(*main_, mine_);
  }
  DispSwap(const DispSwap&) = delete;
  DispSwap& operator=(const DispSwap&) = delete;

 private:
  Tdisp_status* main_;
  Tdisp_status& mine_;
};

}  // namespace

Tcutter_set_win::Tcutter_set_win(Ttooling_host& host, Tcolor_chooser& colors,
                                 TTOOL_LIST_opener& lists, QWidget* parent)
    : QDialog(parent), host_(host), colors_(colors), lists_(lists),
      mag_(std::make_unique<TTOOL_HOLDER_tmp>()) {
  setObjectName(QStringLiteral("cutter_set_win"));
  setWindowTitle(to_qstring("工具設定"));
  Preset_SinCos_table();
  // The drawing settings until the caller hands its own.
  disp_.BACK_color = 2;
  disp_.C_DIM_C = 63;
  disp_.C_DIM_H = 6;
  disp_.C_DIM_SW = 1;
  disp_.C_DIM_LENG = 15;
  disp_.C_ARROW = 3;
  disp_.C_GAP = 1.5f;
  disp_.C_SENHABA = 1;
  disp_.AGAP = 5;
  build();
  // One slot with the default tool and holder.
  mag_->count = 1;
  TTTOOL_HOLDER_tmp& s = mag_->slot[0];
  set_default_TOOL(s.tool);
  set_default_HOLDER(s.holder);
  s.tool_set = s.holder_set = 1;
  Preset_TOOL_HOLDER_list(*mag_);
  T_number->addItem(QStringLiteral("  0"));
  T_number->setCurrentIndex(0);
  zu_no_syurui->setCurrentIndex(0);
  tool_ = s.tool;
  holder_ = s.holder;
  set_status();
  ready_ = true;
  get_TOOL_from_slot();
}

Tcutter_set_win::~Tcutter_set_win() = default;

QLineEdit* Tcutter_set_win::size_edit(const char* name) {
  auto* e = new QLineEdit(this);
  e->setObjectName(QString::fromLatin1(name));
  e->setFixedWidth(80);
  e->setAlignment(Qt::AlignRight);
  e->installEventFilter(this);
  TValidatedEdit::attach(e, [this](QLineEdit& ed) { return check_size_edit(&ed); });
  return e;
}

Tcutter_set_win::ColorSet Tcutter_set_win::color_set(int tag, const char* suffix,
                                                     bool with_updown) {
  ColorSet c;
  c.ed = new QLineEdit(this);
  c.ed->setObjectName(name_of("ED_COL_", suffix));
  c.ed->setFixedWidth(36);
  c.ed->setProperty("Tag", tag);
  c.ed->installEventFilter(this);
  TValidatedEdit::attach(c.ed, [this](QLineEdit& ed) { return check_color_edit(&ed); });
  c.cp = new QPushButton(this);
  c.cp->setObjectName(name_of("CP_", suffix));
  c.cp->setFixedSize(32, 22);
  c.cp->setFlat(true);
  c.cp->setProperty("Tag", tag);
  connect(c.cp, &QPushButton::clicked, this, [this, tag] {
    int* f = color_field(tag);
    const int start = edit_code(colors_set_[static_cast<std::size_t>(tag)].ed, f ? *f : 0);
    ColorSet& cs = colors_set_[static_cast<std::size_t>(tag)];
    const auto got = colors_.choose_color(start, [&cs](int code) {
      set_text(cs.ed, std::to_string(code));
      paint_color_panel(cs.cp, code);
    }, this);
    color_committed(tag, got ? *got : start);
  });
  if (with_updown) {
    c.ud = make_updown(this, name_of("UD_COL_", suffix), 0, 63);
    connect(c.ud, &QScrollBar::valueChanged, this, [this, tag](int v) {
      if (ready_) color_committed(tag, v);
    });
    c.cb = new QPushButton(to_qstring("設定"), this);
    c.cb->setObjectName(name_of("CB_", suffix));
    c.cb->setAutoDefault(false);
    connect(c.cb, &QPushButton::clicked, c.cp, &QPushButton::click);
  }
  return c;
}

void Tcutter_set_win::build() {
  auto* top = new QVBoxLayout(this);
  top->setContentsMargins(6, 2, 6, 6);
  menu_ = new QMenuBar(this);
  top->setMenuBar(menu_);
  QMenu* m = menu_->addMenu(to_qstring("メニュー"));
  auto add = [this, m](const char* name, const char* text, auto fn) {
    QAction* a = m->addAction(to_qstring(text));
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, fn);
    return a;
  };
  add("N3", "一覧表示 && 工具リスト印刷", [this] { show_TOOL_LIST(1); });
  add("N2", "複写", [this] { show_TOOL_LIST(2); });
  add("N4", "他のマガジンから工具を選択", [this] {
    set_check(chk_auto_name, false);
    DISPLAY_TOOL_LIST(0, 4);
  });
  m->addSeparator();
  add("menu_print_out", "現在の工具を印刷 or BMP出力", [this] { menu_print_outClick(); });
  add("menu_TB_out", "デスクトップに TABULON 用工具データとして出力", [this] { write_TB_tool_data(); });

  auto* body = new QHBoxLayout;
  top->addLayout(body);
  auto* left = new QVBoxLayout;
  body->addLayout(left);

  // Tool number and kind.
  auto* head = new QGridLayout;
  left->addLayout(head);
  head->addWidget(new QLabel(to_qstring("工具番号"), this), 0, 0);
  T_number = new QComboBox(this);
  T_number->setObjectName(QStringLiteral("T_number"));
  T_number->setMaxVisibleItems(20);
  T_number->installEventFilter(this);
  T_updown = make_updown(this, QStringLiteral("T_updown"), 0, 0);
  head->addWidget(T_number, 0, 1);
  head->addWidget(T_updown, 0, 2);
  head->addWidget(new QLabel(to_qstring("種別"), this), 0, 3);
  zu_no_syurui = new QComboBox(this);
  zu_no_syurui->setObjectName(QStringLiteral("zu_no_syurui"));
  for (const char* k : TOOL_KIND_NAMES) zu_no_syurui->addItem(to_qstring(k));
  zu_no_syurui->installEventFilter(this);
  head->addWidget(zu_no_syurui, 0, 4);
  chk_auto_name = new QCheckBox(to_qstring("(↓自動設定)"), this);
  chk_auto_name->setObjectName(QStringLiteral("chk_auto_name"));
  head->addWidget(chk_auto_name, 1, 0, 1, 2);
  ed_tool_name = new QLineEdit(this);
  ed_tool_name->setObjectName(QStringLiteral("ed_tool_name"));
  ed_tool_name->installEventFilter(this);
  // Enter, or leaving after a change, takes the name into the tool; a typed name no longer
  // follows the kind.
  TValidatedEdit::attach(ed_tool_name, [this](QLineEdit& e) {
    if (e.isModified()) set_check(chk_auto_name, false);
    get_status();
    set_status();
    return true;
  });
  head->addWidget(ed_tool_name, 1, 2, 1, 3);

  // Sizes of the tool.
  pnl2 = new QGroupBox(to_qstring("カッター"), this);
  pnl2->setObjectName(QStringLiteral("pnl2"));
  auto* g = new QGridLayout(pnl2);
  g->setVerticalSpacing(2);
  int row = 0;
  auto line = [&](QLabel*& lab, QLineEdit*& ed, const char* name, const char* text) {
    lab = new QLabel(to_qstring(text), pnl2);
    ed = size_edit(name);
    ed->setParent(pnl2);
    g->addWidget(lab, row, 0);
    g->addWidget(ed, row, 1);
    ++row;
  };
  QLabel* dummy = nullptr;
  line(lb_diam, ed_diam, "ed_diam", "カッターの直径");
  line(lb_cornerR, ed_cornerR, "ed_cornerR", "Ball-Ｒ");
  line(lb_kakudo, ed_kakudo, "ed_kakudo", "片角");
  line(lb_chk_area, ed_chk_area, "ed_chk_area", "無刃領域(直径)");
  line(lb_blade, ed_blade, "ed_blade", "カッターの刃(有効)長");
  line(dummy, ed_yuukou, "ed_yuukou", "カッターの突出長");
  line(dummy, ed_shank, "ed_shank", "カッターのシャンク径(参考値)");
  left->addWidget(pnl2);

  auto* hbox = new QGroupBox(to_qstring("ホルダー"), this);
  auto* hg = new QGridLayout(hbox);
  hg->setVerticalSpacing(2);
  row = 0;
  auto hline = [&](QLabel*& lab, QLineEdit*& ed, const char* name, const char* text) {
    lab = new QLabel(to_qstring(text), hbox);
    ed = size_edit(name);
    ed->setParent(hbox);
    hg->addWidget(lab, row, 0);
    hg->addWidget(ed, row, 1);
    ++row;
  };
  hline(dummy, ed_holder, "ed_holder", "ホルダーの直径");
  auto* h2 = new QHBoxLayout;
  h2->addWidget(new QLabel(to_qstring("第２ホルダー"), hbox));
  chk_H2 = new QCheckBox(to_qstring("使用する"), hbox);
  chk_H2->setObjectName(QStringLiteral("chk_H2"));
  h2->addWidget(chk_H2);
  chk_H2_A = new QCheckBox(to_qstring("テーパ有"), hbox);
  chk_H2_A->setObjectName(QStringLiteral("chk_H2_A"));
  h2->addWidget(chk_H2_A);
  h2->addStretch();
  hg->addLayout(h2, row++, 0, 1, 2);
  hline(lb_holder2, ed_holder2, "ed_holder2", "第２ホルダーの先端直径");
  hline(lb_holder2_L, ed_holder2_L, "ed_holder2_L", "第２ホルダーの長さ");
  hline(lb_holder2_Dmax, ed_holder2_Dmax, "ed_holder2_Dmax", "第２ホルダーの最大直径");
  hline(lb_holder2_A, ed_holder2_A, "ed_holder2_A", "第２ホルダーのテーパ片角");
  left->addWidget(hbox);

  // Colours.
  auto* cbox = new QGroupBox(to_qstring("色"), this);
  auto* cg = new QGridLayout(cbox);
  cg->setVerticalSpacing(2);
  const char* const ctext[7] = {"", "ホルダー", "第２ホルダー", "シャンク", "刃", "背景色",
                                "寸法線の色"};
  for (int tag = 1; tag <= 6; ++tag) {
    ColorSet c = color_set(tag, kColorSuffix[tag], tag <= 4);
    colors_set_[static_cast<std::size_t>(tag)] = c;
    auto* lab = new QLabel(to_qstring(ctext[tag]), cbox);
    if (tag == 2) lb_H2_col = lab;
    const int r = (tag - 1) % 3, col = (tag - 1) / 3 * 5;
    cg->addWidget(lab, r, col);
    cg->addWidget(c.cp, r, col + 1);
    cg->addWidget(c.ed, r, col + 2);
    if (c.ud) cg->addWidget(c.ud, r, col + 3);
    if (c.cb) cg->addWidget(c.cb, r, col + 4);
  }
  left->addWidget(cbox);
  left->addStretch();

  // The drawing and its settings.
  auto* right = new QVBoxLayout;
  body->addLayout(right, 1);
  auto* pics = new QHBoxLayout;
  right->addLayout(pics, 1);
  cpnl = new TPaintPanel(this);
  cpnl->setObjectName(QStringLiteral("cpnl"));
  cpnl->setMinimumSize(300, 340);
  cpnl->OnPaint = [this](TPaintPanel& p, QPainter& painter) {
    paint_cpnl(painter, p.width(), p.height());
  };
  tool_img = new TPaintPanel(this);
  tool_img->setObjectName(QStringLiteral("tool_img"));
  tool_img->setFixedSize(90, 60);
  tool_img->OnPaint = [this](TPaintPanel& p, QPainter& painter) {
    paint_tool_img(painter, p.width(), p.height());
  };
  pics->addWidget(cpnl, 1);
  auto* pic_side = new QVBoxLayout;
  pic_side->addWidget(tool_img);
  pic_side->addStretch();
  pics->addLayout(pic_side);

  auto* dg = new QGridLayout;
  right->addLayout(dg);
  auto dline = [&](QLineEdit*& ed, const char* name, const char* text, int r, int c) {
    dg->addWidget(new QLabel(to_qstring(text), this), r, c);
    ed = size_edit(name);
    ed->setFixedWidth(54);
    dg->addWidget(ed, r, c + 1);
  };
  dline(ED_DIM_H, "ED_DIM_H", "文字高さ", 0, 0);
  dline(ED_AGAP, "ED_AGAP", "余白", 0, 2);
  dline(ED_DIM_LENG, "ED_DIM_LENG", "寸法線高さ", 0, 4);
  dline(ED_ARROW_LENG, "ED_ARROW_LENG", "矢印長さ", 1, 0);
  dline(ED_GAP, "ED_GAP", "ギャップ", 1, 2);
  dline(ED_ZU_SW, "ED_ZU_SW", "図の線幅", 1, 4);
  dg->addWidget(new QLabel(to_qstring("ｄｏｔ"), this), 1, 6);

  Memo1 = new QPlainTextEdit(this);
  Memo1->setObjectName(QStringLiteral("Memo1"));
  Memo1->setReadOnly(true);
  Memo1->setLineWrapMode(QPlainTextEdit::NoWrap);
  Memo1->setFixedHeight(66);
  right->addWidget(Memo1);
  Memo2 = new QPlainTextEdit(this);
  Memo2->setObjectName(QStringLiteral("Memo2"));
  Memo2->setReadOnly(true);
  Memo2->setPlainText(to_qstring("F2 : 工具番号   F3 : 工具種別   ctrl + ↑↓ : 色変更"));
  Memo2->setFixedHeight(30);
  Memo2->setFocusPolicy(Qt::NoFocus);
  right->addWidget(Memo2);

  // Buttons.
  auto* b1 = new QHBoxLayout;
  auto* b2 = new QHBoxLayout;
  top->addLayout(b1);
  top->addLayout(b2);
  auto button = [this](QHBoxLayout* l, QPushButton*& b, const char* name, const char* text) {
    b = new QPushButton(to_qstring(text), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    l->addWidget(b);
  };
  button(b1, select_btn, "select_btn", "リストから選択");
  button(b1, select_from_magazin_btn, "select_from_magazin_btn", "他のマガジンから工具を選択");
  button(b1, save_to_TOOL_LIST_btn, "save_to_TOOL_LIST_btn", "↓を工具リストに保存");
  button(b2, LIST_btn, "LIST_btn", "一覧表示 && 工具リスト印刷");
  button(b2, copy_from_nowlist_btn, "copy_from_nowlist_btn", "複写");
  b2->addStretch();
  button(b2, OK_button, "OK_button", "保存して終了");
  button(b2, Button1, "Button1", "設定中止");

  connect(select_btn, &QPushButton::clicked, this, [this] { select_btnClick(); });
  connect(select_from_magazin_btn, &QPushButton::clicked, this, [this] {
    set_check(chk_auto_name, false);
    DISPLAY_TOOL_LIST(0, 4);
  });
  connect(save_to_TOOL_LIST_btn, &QPushButton::clicked, this, [this] { save_to_TOOL_LIST_btnClick(); });
  connect(LIST_btn, &QPushButton::clicked, this, [this] { show_TOOL_LIST(1); });
  connect(copy_from_nowlist_btn, &QPushButton::clicked, this, [this] { show_TOOL_LIST(2); });
  connect(OK_button, &QPushButton::clicked, this, [this] {
    get_status();
    accept();
  });
  connect(Button1, &QPushButton::clicked, this, [this] {
    if (plat::message_box("保存せずにクローズします", "保存せずに閉じる",
                          plat::MB_OKCANCEL | plat::MB_ICONQUESTION | plat::MB_SYSTEMMODAL) ==
        plat::IDOK)
      reject();
  });
  connect(T_number, &QComboBox::activated, this, [this] { T_numberChange(); });
  connect(T_updown, &QScrollBar::valueChanged, this, [this] {
    if (ready_) T_updownChange();
  });
  auto reread = [this] {
    if (!ready_) return;
    get_status();
    set_status();
  };
  connect(zu_no_syurui, &QComboBox::activated, this, reread);
  connect(chk_H2, &QCheckBox::clicked, this, reread);
  connect(chk_H2_A, &QCheckBox::clicked, this, reread);
  connect(chk_auto_name, &QCheckBox::clicked, this, reread);
}

void Tcutter_set_win::set_check(QCheckBox* c, bool on) {
  const QSignalBlocker b(c);
  c->setChecked(on);
}

int Tcutter_set_win::selected_slot() const {
  return valid_slot_index(mag_->used(), T_number->currentIndex());
}

int* Tcutter_set_win::color_field(int tag) {
  switch (tag) {
    case 1: return &holder_.color;
    case 2: return &holder_.h2_color;
    case 3: return &tool_.shank_color;
    case 4: return &tool_.edge_color;
    case 5: return &disp_.BACK_color;
    case 6: return &disp_.C_DIM_C;
    default: return nullptr;
  }
}

void Tcutter_set_win::load(const TTOOL_HOLDER_tmp& m, const std::string& caption,
                           const std::string& nc_name, bool magazine_file, int mode) {
  *mag_ = m;
  if (mag_->used() == 0) {
    mag_->count = 1;
    TTTOOL_HOLDER_tmp& s = mag_->slot[0];
    s = TTTOOL_HOLDER_tmp{};
    Preset_TOOL_HOLDER_list(*mag_);
  }
  nc_name_ = nc_name;
  magazine_file_ = magazine_file;
  mode_ = mode;
  setWindowTitle(to_qstring(caption.empty() ? std::string("工具設定") : caption));
  const bool was = ready_;
  ready_ = false;
  {
    const QSignalBlocker b(T_number);
    T_number->clear();
    for (const std::string& item : tool_number_items(*mag_)) T_number->addItem(to_qstring(item));
    T_number->setCurrentIndex(0);
  }
  {
    const QSignalBlocker b(T_updown);
    T_updown->setRange(0, std::max(0, mag_->used() - 1));
    T_updown->setValue(updown_position(mag_->used(), 0));
  }
  ready_ = was;
  get_TOOL_from_slot();
  set_status();
}

void Tcutter_set_win::select_tool(int t) {
  for (int k = 0; k < mag_->used(); ++k) {
    if (mag_->slot[k].T_number != t) continue;
    const QSignalBlocker b(T_number), b2(T_updown);
    T_number->setCurrentIndex(k);
    T_updown->setValue(updown_position(mag_->used(), k));
    get_TOOL_from_slot();
    set_status();
    return;
  }
}

bool Tcutter_set_win::run() { return exec() == QDialog::Accepted; }

void Tcutter_set_win::showEvent(QShowEvent* e) {
  QDialog::showEvent(e);
  get_TOOL_from_slot();
  set_status();
}

void Tcutter_set_win::get_TOOL_from_slot() {
  const int k = selected_slot();
  if (T_number->currentIndex() != k) {
    const QSignalBlocker b(T_number);
    T_number->setCurrentIndex(k);
  }
  TTTOOL_HOLDER_tmp& s = mag_->slot[k];
  tool_ = s.tool;
  holder_ = s.holder;
  make_TOOL_comment_lines(tool_, holder_);
  s.tool = tool_;
  s.holder = holder_;
}

void Tcutter_set_win::set_status() {
  const int kind = tool_.T_category;
  if (kind < 0 || kind >= kToolKinds) {
    deb_logf("◆◆◆ ERR : Tcutter_set_win.set_status; TOOL.T_category = %d", kind);
    return;
  }
  const bool was = ready_;
  ready_ = false;
  {
    const QSignalBlocker b(zu_no_syurui);
    zu_no_syurui->setCurrentIndex(kind);
  }
  set_text(ed_tool_name, tool_.name);
  set_text(ed_diam, size_text(tool_.dia));
  set_text(ed_cornerR, size_text(tool_.radius));
  set_text(ed_kakudo, size_text(tool_.half_angle));
  set_text(ed_chk_area, size_text(tool_.noedge_dia));
  set_text(ed_blade, size_text(tool_.edge_len));
  set_text(ed_yuukou, size_text(tool_.protrusion));
  set_text(ed_shank, size_text(tool_.shank_dia));
  set_text(ed_holder, size_text(holder_.dia));
  set_text(ed_holder2, size_text(holder_.h2_tip_dia));
  set_text(ed_holder2_L, size_text(holder_.h2_len));
  set_text(ed_holder2_Dmax, size_text(holder_.h2_max_dia));
  set_text(ed_holder2_A, size_text(holder_.h2_half_angle));
  set_check(chk_H2, holder_.h2_used != 0);
  set_check(chk_H2_A, holder_.h2_tapered != 0);
  for (int tag = 1; tag <= 6; ++tag) {
    ColorSet& c = colors_set_[static_cast<std::size_t>(tag)];
    const int code = std::clamp(*color_field(tag), 0, 63);
    set_text(c.ed, std::to_string(code));
    paint_color_panel(c.cp, code);
    if (c.ud) {
      const QSignalBlocker b(c.ud);
      c.ud->setValue(code);
    }
  }
  set_text(ED_DIM_H, float_to_str(disp_.C_DIM_H, 1));
  set_text(ED_AGAP, float_to_str(disp_.AGAP, 1));
  set_text(ED_DIM_LENG, float_to_str(disp_.C_DIM_LENG, 1));
  set_text(ED_ARROW_LENG, float_to_str(disp_.C_ARROW, 1));
  set_text(ED_GAP, float_to_str(disp_.C_GAP, 1));
  set_text(ED_ZU_SW, std::to_string(disp_.C_SENHABA));

  const TKind_fields f = kind_fields(kind);
  pnl2->setVisible(f.panel);
  auto show = [](QLabel* l, QLineEdit* e, bool on) {
    l->setVisible(on);
    l->setEnabled(on);
    e->setVisible(on);
  };
  show(lb_diam, ed_diam, f.diam);
  show(lb_cornerR, ed_cornerR, f.cornerR);
  show(lb_kakudo, ed_kakudo, f.kakudo);
  show(lb_chk_area, ed_chk_area, f.chk_area);
  lb_cornerR->setText(to_qstring(f.radius_label));
  lb_blade->setText(to_qstring(f.edge_label));
  const bool h2 = holder_.h2_used != 0;
  const bool taper = h2 && holder_.h2_tapered != 0;
  show(lb_holder2, ed_holder2, h2);
  show(lb_holder2_L, ed_holder2_L, h2);
  show(lb_holder2_Dmax, ed_holder2_Dmax, taper);
  show(lb_holder2_A, ed_holder2_A, taper);
  chk_H2_A->setVisible(h2);
  ColorSet& c2 = colors_set_[2];
  for (QWidget* w : {static_cast<QWidget*>(c2.ed), static_cast<QWidget*>(c2.cp),
                     static_cast<QWidget*>(c2.ud), static_cast<QWidget*>(c2.cb),
                     static_cast<QWidget*>(lb_H2_col)})
    w->setVisible(h2);

  QStringList memo;
  for (const std::string& l :
       cutter_memo_lines(mag_->slot[selected_slot()], tool_, holder_, magazine_file_))
    memo << to_qstring(l);
  Memo1->setPlainText(memo.join(QChar(u'\n')));
  cpnl->update();
  tool_img->update();
  ready_ = was;
}

void Tcutter_set_win::get_status() {
  const int k = selected_slot();
  TTTOOL_HOLDER_tmp& s = mag_->slot[k];
  tool_ = s.tool;
  holder_ = s.holder;
  tool_.T_category = std::clamp(zu_no_syurui->currentIndex(), 0, kToolKinds - 1);
  tool_.dia = edit_real(ed_diam, tool_.dia);
  tool_.radius = edit_real(ed_cornerR, tool_.radius);
  tool_.half_angle = edit_real(ed_kakudo, tool_.half_angle);
  tool_.noedge_dia = edit_real(ed_chk_area, tool_.noedge_dia);
  tool_.edge_len = edit_real(ed_blade, tool_.edge_len);
  tool_.protrusion = edit_real(ed_yuukou, tool_.protrusion);
  tool_.shank_dia = edit_real(ed_shank, tool_.shank_dia);
  holder_.dia = edit_real(ed_holder, holder_.dia);
  holder_.h2_used = chk_H2->isChecked() ? 1 : 0;
  holder_.h2_tapered = chk_H2_A->isChecked() ? 1 : 0;
  holder_.h2_tip_dia = edit_real(ed_holder2, holder_.h2_tip_dia);
  holder_.h2_len = edit_real(ed_holder2_L, holder_.h2_len);
  holder_.h2_max_dia = edit_real(ed_holder2_Dmax, holder_.h2_max_dia);
  holder_.h2_half_angle = edit_real(ed_holder2_A, holder_.h2_half_angle);
  for (int tag = 1; tag <= 6; ++tag) {
    int* f = color_field(tag);
    *f = edit_code(colors_set_[static_cast<std::size_t>(tag)].ed, *f);
  }
  disp_.C_DIM_H = edit_real(ED_DIM_H, disp_.C_DIM_H);
  disp_.AGAP = edit_real(ED_AGAP, disp_.AGAP);
  disp_.C_DIM_LENG = edit_real(ED_DIM_LENG, disp_.C_DIM_LENG);
  disp_.C_ARROW = edit_real(ED_ARROW_LENG, disp_.C_ARROW);
  disp_.C_GAP = edit_real(ED_GAP, disp_.C_GAP);
  double zw = disp_.C_SENHABA;
  real_of_text(from_qstring(ED_ZU_SW->text()), zw);
  disp_.C_SENHABA = zu_line_width(zw);
  update_disp_colors(disp_);
  if (chk_auto_name->isChecked()) {
    make_TOOL_comment_lines(tool_, holder_);  // the automatic name tells the normalised size
    get_TOOL_kind_text(tool_);
    set_text(ed_tool_name, tool_.name);
  }
  bool lossless = true;
  const std::string typed = from_qstring(ed_tool_name->text(), &lossless);
  if (lossless) {
    tool_.name = typed;
  } else {
    // A character Shift-JIS cannot hold would be stored as "?": the name stays as it was.
    plat::message_box("工具名に Shift-JIS で表せない文字があるため、工具名を変更しませんでした。",
                      "", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    set_text(ed_tool_name, tool_.name);
  }
  s.tool_name = tool_.name;
  make_TOOL_comment_lines(tool_, holder_);
  s.tool = tool_;
  s.holder = holder_;
}

void Tcutter_set_win::color_committed(int tag, int code) {
  ColorSet& c = colors_set_[static_cast<std::size_t>(tag)];
  set_text(c.ed, std::to_string(code));
  paint_color_panel(c.cp, code);
  get_status();
  get_TOOL_from_slot();
  set_status();
}

bool Tcutter_set_win::check_size_edit(QLineEdit* e) {
  if (!is_real_text(from_qstring(e->text()), true)) return false;
  get_status();
  set_status();
  return true;
}

bool Tcutter_set_win::check_color_edit(QLineEdit* e) {
  const std::string text = from_qstring(e->text());
  if (!is_integer_text(text, true)) return false;
  const int code = color_code_of_text(text);
  if (code < 0) {
    plat::message_box(kColorCodeMessage, "", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return false;
  }
  color_committed(e->property("Tag").toInt(), code);
  return true;
}

void Tcutter_set_win::T_numberChange() {
  set_check(chk_auto_name, false);
  get_TOOL_from_slot();
  set_status();
  const QSignalBlocker b(T_updown);
  T_updown->setValue(updown_position(mag_->used(), T_number->currentIndex()));
}

void Tcutter_set_win::T_updownChange() {
  get_status();
  set_check(chk_auto_name, false);
  {
    const QSignalBlocker b(T_number);
    T_number->setCurrentIndex(updown_index(mag_->used(), T_updown->value()));
  }
  get_TOOL_from_slot();
  set_status();
}

bool Tcutter_set_win::eventFilter(QObject* o, QEvent* e) {
  auto* edit = qobject_cast<QLineEdit*>(o);
  const bool color_edit = edit && edit->objectName().startsWith(QStringLiteral("ED_COL_"));
  const bool size_edit = edit && edit != ed_tool_name && !color_edit;
  if (e->type() == QEvent::FocusIn) {
    if (o == T_number && ready_) get_status();
    if (edit && edit != ed_tool_name)
      QTimer::singleShot(0, edit, [edit] { edit->selectAll(); });
  }
  // The edits are checked by their TValidatedEdit; leaving the unchanged name still reads
  // the window back.
  if (e->type() == QEvent::FocusOut && ready_ && edit == ed_tool_name && isVisible() &&
      !edit->isModified()) {
    get_status();
    set_status();
  }
  if (e->type() != QEvent::KeyPress) return QDialog::eventFilter(o, e);
  const auto* k = static_cast<QKeyEvent*>(e);
  const bool ctrl = k->modifiers() & Qt::ControlModifier;
  const int key = k->key();
  if (o == T_number || o == zu_no_syurui) {
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (o == T_number) {
        zu_no_syurui->setFocus();
        zu_no_syurui->showPopup();
      } else {
        ed_tool_name->setFocus();
      }
      return true;
    }
    if (key == Qt::Key_F3) {
      zu_no_syurui->setFocus();
      zu_no_syurui->showPopup();
      return true;
    }
    return QDialog::eventFilter(o, e);
  }
  if (!edit) return QDialog::eventFilter(o, e);
  if (color_edit) return QDialog::eventFilter(o, e);
  switch (key) {
    case Qt::Key_F2:
      T_number->setFocus();
      T_number->showPopup();
      return true;
    case Qt::Key_F3:
      zu_no_syurui->setFocus();
      zu_no_syurui->showPopup();
      return true;
    case Qt::Key_F5:
      chk_auto_name->setChecked(!chk_auto_name->isChecked());
      get_status();
      set_status();
      return true;
    case Qt::Key_Up:
    case Qt::Key_Down:
      if (ctrl) {
        get_status();
        color_committed(4, step_color_code(tool_.edge_color, key == Qt::Key_Up ? 1 : -1));
        return true;
      }
      if (key == Qt::Key_Down) focusNextChild();
      else if (size_edit) focusPreviousChild();
      else return QDialog::eventFilter(o, e);
      return true;
    default:
      return QDialog::eventFilter(o, e);
  }
}

void Tcutter_set_win::paint_cpnl(QPainter& p, int w, int h) {
  // Only a tool of a kind is drawn: the panel then shows the background and the fitted
  // drawing, with 3 dots of margin, through the panel's own view slot.
  if (tool_.T_category == TOOL_KIND_NONE) return;
  const TDraw_settings ds = draw_settings_of(disp_);
  TG2_canvas c;
  c.fill_rect({0, 0}, {w, h}, color_code_to_TColor(ds.back_color));
  G2_set_canvas(g2_, kG2_slot_panel, 0, w, h, 3);
  draw_TOOL_fit(ds, c, g2_, kG2_slot_panel, holder_, tool_);
  paint_G2_canvas(p, c);
}

void Tcutter_set_win::paint_tool_img(QPainter& p, int w, int h) {
  TG2_canvas c;
  draw_TOOL_image(draw_settings_of(disp_), c, g2_, w - 1, holder_, tool_, disp_.BACK_color, 3,
                  h - 1);
  paint_G2_canvas(p, c);
}

void Tcutter_set_win::select_btnClick() {
  if (tool_.T_category == TOOL_KIND_NONE) return;
  get_status();
  set_check(chk_auto_name, false);
  DISPLAY_TOOL_LIST(tool_.T_category, 2);
}

void Tcutter_set_win::DISPLAY_TOOL_LIST(int x_category, int x_ACTION) {
  std::filesystem::path file;
  if (x_ACTION == 2) {
    if (x_category <= 0 || x_category >= kToolKinds) return;
    file = tool_library_path(host_.config_folder(), x_category);
  } else if (x_ACTION == 4) {
    const std::filesystem::path chosen = host_.open_tool_file(30);
    if (chosen.empty()) return;
    file = magazine_file_path(chosen);
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return;
  } else {
    deb_logf("◆◆◆ ERR : (2) Tcutter_set_win.DISPLAY_TOOL_LIST(x_category=%d,x_ACTION=%d)",
             x_category, x_ACTION);
    return;
  }
  TTool_library lib = load_tool_library(file);
  if (!lib.readable) {
    plat::message_box("工具データファイル '" + path_text(file) + "' を読み込めませんでした。",
                      "工具データファイル", plat::MB_ICONSTOP | plat::MB_SYSTEMMODAL);
    return;
  }
  report_malformed_library(lib);
  for (int k = 0; k < lib.m->used(); ++k) lib.m->slot[k].tool_set = lib.m->slot[k].holder_set = 0;
  if (lib.m->used() > 0) {
    TTOOL_HOLDER_tmp shown = *lib.m;
    int picked = -1;
    bool reset = false;
    // The list's caption: the kind's library file, or which tool the pick is for.
    const std::string caption =
        x_ACTION == 2 ? std::string(TOOL_KIND_FILES[x_category])
                      : path_text(file) + " : T" + from_qstring(T_number->currentText()) +
                            " に設定する工具を選択してください";
    const int answer = run_list(shown, x_ACTION, true, x_ACTION == 2 && lib.malformed == 0, -1,
                                path_text(file), caption, picked, &reset);
    if (answer == 1 && picked >= 0 && picked < shown.used() &&
        take_picked_tool(shown.slot[picked], tool_, holder_)) {
      TTTOOL_HOLDER_tmp& s = mag_->slot[selected_slot()];
      s.tool = tool_;
      s.holder = holder_;
    }
    // A reset in the list goes into the file whether the list was confirmed or not.
    if (x_ACTION == 2 && reset) {
      *lib.m = shown;
      rewrite_tool_library(lib);
    }
  }
  get_TOOL_from_slot();
  set_status();
}

bool Tcutter_set_win::show_TOOL_LIST(int mode) {
  set_check(chk_auto_name, false);
  get_status();
  for (int k = 0; k < mag_->used(); ++k) mag_->slot[k].tool_set = mag_->slot[k].holder_set = 0;
  TTOOL_HOLDER_tmp shown = *mag_;
  int got = -1;
  const int answer = run_list(shown, mode, magazine_file_, mode == 1, selected_slot(), nc_name_,
                              from_qstring(windowTitle()), got, nullptr);
  const bool yes = mode == 51 ? answer == plat::IDYES : answer == plat::IDOK;
  const int picked = valid_slot_index(mag_->used(), got);
  if (mode == 1 && yes) {
    *mag_ = shown;
    for (int k = 0; k < mag_->used(); ++k) mag_->slot[k].tool_set = mag_->slot[k].holder_set = 0;
    const QSignalBlocker b(T_number);
    T_number->setCurrentIndex(picked);
    get_TOOL_from_slot();
    set_status();
  } else if (mode == 2 && yes) {
    if (got >= 0 && got < shown.used() && take_picked_tool(shown.slot[got], tool_, holder_)) {
      TTTOOL_HOLDER_tmp& s = mag_->slot[selected_slot()];
      s.tool = tool_;
      s.holder = holder_;
    }
    get_TOOL_from_slot();
    set_status();
  } else if (mode == 51 && got >= 0) {
    const QSignalBlocker b(T_number);
    T_number->setCurrentIndex(picked);
    get_TOOL_from_slot();
    set_status();
  }
  return yes;
}

int Tcutter_set_win::run_list(TTOOL_HOLDER_tmp& shown, int mode, bool library, bool editable,
                              int preset, const std::string& file_name,
                              const std::string& caption, int& picked, bool* reset) {
  std::vector<int> kinds;
  for (int k = 0; k < shown.used(); ++k) kinds.push_back(shown.slot[k].tool.T_category);
  TTOOL_LIST_model m;
  m.mode = mode;
  m.library = library;
  m.editable = editable;
  m.magazine = &shown;
  m.file_name = file_name;
  m.caption = caption;
  m.picked = preset;
  TTOOL_LIST_options o = set_TOOL_LIST_options(disp_);
  const int answer = lists_.show_tool_list(m, o, disp_);
  get_TOOL_LIST_options(o, disp_);
  picked = m.picked;
  if (reset) {
    *reset = false;
    for (int k = 0; k < shown.used() && k < static_cast<int>(kinds.size()); ++k)
      if (kinds[static_cast<std::size_t>(k)] != TOOL_KIND_NONE &&
          shown.slot[k].tool.T_category == TOOL_KIND_NONE)
        *reset = true;
  }
  return answer;
}

void Tcutter_set_win::save_to_TOOL_LIST_btnClick() {
  if (tool_.T_category == TOOL_KIND_NONE) return;
  get_status();
  save_to_TOOL_LIST(host_.config_folder(), tool_, holder_);
}

void Tcutter_set_win::menu_print_outClick() {
  if (tool_.T_category == TOOL_KIND_NONE) return;
  get_status();
  TPreview_tool pt;
  pt.tool = tool_;
  pt.holder = holder_;
  pt.draw = draw_settings_of(disp_);
  Tdisp_status* main = &host_.disp_status();
  // The preview works on the main window's record: this window's settings stand in for it
  // while the preview is open, and the main window gets its own back on every path.
  {
    DispSwap swap(main, disp_);
    Tdisp_status& d = main ? *main : disp_;
    open_PREVIEW_win(host_, g2_, d, left_margin_, selected_slot(), &pt, preview_dialogs_, this);
  }
}

void Tcutter_set_win::write_TB_tool_data() {
  get_status();
  // The name is CP932; the file system takes it as UTF-8.
  ::write_TB_tool_data(*mag_, std::filesystem::path(plat::cp932_to_utf8(nc_name_)));
}
