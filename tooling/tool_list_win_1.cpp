// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "simulation/tool_codes.h"
#include "tooling/core/tool_drawing.h"
#include "tooling/core/tool_list_html.h"
#include "tooling/tool_list_win_1.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QCheckBox>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QVBoxLayout>
#include <algorithm>

#include "common/debug_log.h"
#include "common/widgets/validated_edit.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tooling/g2_painter.h"

namespace {

QColor window_color(std::uint32_t c) {  // red in the low byte
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

std::vector<std::string> lines_in(const std::string& s) {
  std::vector<std::string> out;
  if (s.empty()) return out;
  std::size_t b = 0;
  for (;;) {
    std::size_t e = s.find('\n', b);
    std::string l = s.substr(b, e == std::string::npos ? std::string::npos : e - b);
    if (!l.empty() && l.back() == '\r') l.pop_back();
    out.push_back(std::move(l));
    if (e == std::string::npos || e + 1 >= s.size()) break;
    b = e + 1;
  }
  return out;
}

// The toggle of "トグル": one for the whole run, off at the start.
bool& run_toggle() {
  static bool on = false;
  return on;
}

}  // namespace

// The list: only the cards in view are painted, from the model.
class TTOOL_LIST_win::CardView : public QAbstractScrollArea {
 public:
  explicit CardView(TTOOL_LIST_win& w) : QAbstractScrollArea(&w), w_(w) {
    setObjectName(QStringLiteral("ScrollBox1"));
    viewport()->setObjectName(QStringLiteral("Image1"));
    viewport()->setAutoFillBackground(false);
  }
  void update_ranges() {
    const QSize vs = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, w_.m_.total_w - vs.width()));
    horizontalScrollBar()->setPageStep(vs.width());
    verticalScrollBar()->setRange(0, std::max(0, w_.m_.image_h - vs.height()));
    verticalScrollBar()->setPageStep(vs.height());
    verticalScrollBar()->setSingleStep(20);
    viewport()->update();
  }
  int image_y(int y) const { return y + verticalScrollBar()->value(); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(viewport());
    p.fillRect(viewport()->rect(), Qt::white);
    const int dy = verticalScrollBar()->value();
    p.translate(-horizontalScrollBar()->value(), -dy);
    w_.paint_list(p, dy, dy + viewport()->height());
  }
  void resizeEvent(QResizeEvent* e) override {
    QAbstractScrollArea::resizeEvent(e);
    update_ranges();
  }
  void mousePressEvent(QMouseEvent* e) override {
    w_.Image1MouseDown(image_y(static_cast<int>(e->position().y())),
                       e->button() == Qt::RightButton, e->globalPosition().toPoint());
  }
  void mouseDoubleClickEvent(QMouseEvent* e) override {
    w_.Image1DblClick(image_y(static_cast<int>(e->position().y())));
  }

 private:
  TTOOL_LIST_win& w_;
};

// The export's pictures: tool cards drawn like the list's, path pictures from the host.
class TTOOL_LIST_win::HtmlPictures : public Ttool_list_html_host {
 public:
  explicit HtmlPictures(TTOOL_LIST_win& w) : w_(w) {}
  std::string tool_picture(const TLIST_ITEMS& it, int wd, int ht, bool draw) override {
    QImage img(wd, ht, QImage::Format_RGB32);
    const int back = w_.card_back_color();
    img.fill(window_color(color_code_to_TColor(back)));
    if (draw) {
      TG2_canvas c;
      TTOOL t = it.tool;
      THOLDER h = it.holder;
      make_TOOL_comment_lines(t, h);
      TDraw_settings ds = draw_settings_of(w_.settings_);
      ds.back_color = back;
      draw_TOOL_card(ds, c, w_.g2_, wd - 1, !w_.o_.print_at_data, h, t, false, w_.o_.white,
                     static_cast<int>(ds.m), ht - 1);
      QPainter p(&img);
      paint_G2_canvas(p, c);
    }
    return bytes(img);
  }
  bool path_picture(int seg, int wd, int ht, const std::string& stamp,
                    std::string& jpeg) override {
    std::shared_ptr<const TG2_picture> pic;
    if (!w_.host_.draw_ZU_of_TOOL(seg, wd, ht, w_.o_.white, pic)) return false;
    QImage img(wd, ht, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    if (pic) p.drawImage(QRect(0, 0, wd, ht), image_of_picture(*pic));
    const int band = w_.o_.font_h + 12;
    p.fillRect(QRect(0, ht - band, wd, band), Qt::white);
    p.setPen(Qt::black);
    p.setFont(tooling_text_font(w_.o_.font_h));
    p.drawText(QRect(0, ht - band, wd - 4, band), Qt::AlignRight | Qt::AlignVCenter,
               plat::to_qstring(stamp));
    p.end();
    jpeg = bytes(img);
    return !plat::escape_pressed();
  }
  bool cutting_on() override { return w_.host_.cutting_on(); }
  void reset_works() override { w_.host_.reset_works(); }
  void before_path_pictures() override {
    int l, t, wd, ht;
    if (w_.host_.frame_geometry(l, t, wd, ht) && t + ht + 1 > w_.y()) w_.move(w_.x(), t + ht + 1);
    w_.repaint();
  }
  void set_caption(const std::string& text) override {
    w_.setWindowTitle(plat::to_qstring(text));
  }

 private:
  static std::string bytes(const QImage& img) {
    const QByteArray b = jpeg_bytes(img, 75, false, false);
    return std::string(b.constData(), static_cast<std::size_t>(b.size()));
  }
  TTOOL_LIST_win& w_;
};

TTOOL_LIST_win::TTOOL_LIST_win(Ttooling_host& host, QWidget* parent)
    : QDialog(parent), host_(host) {
  setObjectName(QStringLiteral("TOOL_LIST_win"));
  setWindowTitle(plat::to_qstring("工具リスト"));
  if (const Tdisp_status* d = host_.disp()) settings_ = *d;
  auto edit = [this](const char* name, const char* text) {
    auto* e = new QLineEdit(plat::to_qstring(text), this);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaximumWidth(60);
    // Enter, or leaving after a change: a good value rebuilds the list, a non-number gets its
    // message (after the focus change when leaving) and keeps the focus.
    TValidatedEdit::attach(e, [this](QLineEdit& ed) {
      int v = 0;
      if (!read_field(&ed, &ed == ed_font_h_, v, true)) return false;
      rebuild();
      return true;
    });
    return e;
  };
  ed_h_ = edit("ed_h", "58");
  ed_w_ = edit("ed_w", "120");
  ed_font_h_ = edit("ed_font_h", "12");
  ed_max_ = edit("ed_max", "200");
  auto check = [this](const char* name, const char* text, bool rebuilds) {
    auto* c = new QCheckBox(plat::to_qstring(text), this);
    c->setObjectName(QString::fromLatin1(name));
    if (rebuilds)
      connect(c, &QCheckBox::toggled, this, [this] {
        if (m_.built && !building_) rebuild();
      });
    return c;
  };
  chk_Use_turn_ = check("chk_Use_turn", "工具の使用順にリストする", true);
  chk_print_at_data_ = check("chk_print_at_data", "加工条件あり(社内専用)", true);
  chk_invis_noitem_ = check("chk_invis_noitem", "未設定工具は表示しない", true);
  chk_invis_noitem_->setChecked(true);
  chk_white_ = check("chk_white", "背景を白にする", true);
  chk_print_at_tool_ = check("chk_print_at_tool", "工具画像有り", true);
  chk_ISO9000_ = check("chk_ISO9000", "指示書（ISO9000）", true);
  chk_rotate_ = check("chk_rotate", "用紙を横にして印刷する", false);
  chk_double_ = check("chk_double", "２列で印刷", false);
  chk_upper_ = check("chk_upper", "綴じ代を上につける", false);
  chk_left_ = check("chk_left", "綴じ代を左側につける", false);
  chk_left_->setChecked(true);
  chk_TL_prev_ = check("chk_TL_prev", "(印刷プレビュー有)", false);
  chk_print_at_path_ = check("chk_print_at_path", "カッターパス・ワーク印刷有り", false);
  auto button = [this](const char* name, const char* text) {
    auto* b = new QPushButton(plat::to_qstring(text), this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
  };
  toggle_btn_ = button("toggle_btn", "トグル");
  Output_HTML_btn_ = button("Output_HTML_btn", "HTML出力");
  settei_btn_ = button("settei_btn", "閉じる");
  connect(toggle_btn_, &QPushButton::clicked, this, [this] { toggle_btnClick(); });
  connect(Output_HTML_btn_, &QPushButton::clicked, this, [this] { Output_HTML_btnClick(); });
  connect(settei_btn_, &QPushButton::clicked, this, [this] { done(QDialog::Accepted); });

  auto* sizes = new QGridLayout;
  auto label = [this](const char* text) { return new QLabel(plat::to_qstring(text), this); };
  sizes->addWidget(label("縦"), 0, 0);
  sizes->addWidget(ed_h_, 0, 1);
  sizes->addWidget(label("横"), 0, 2);
  sizes->addWidget(ed_w_, 0, 3);
  sizes->addWidget(label("フォント"), 0, 4);
  sizes->addWidget(ed_font_h_, 0, 5);
  sizes->addWidget(label("横幅"), 0, 6);
  sizes->addWidget(ed_max_, 0, 7);
  sizes->addWidget(label("( 印刷時の横幅の比率を設定します )"), 0, 8, 1, 3);
  sizes->setColumnStretch(11, 1);
  auto* checks = new QGridLayout;
  QCheckBox* const order[] = {chk_Use_turn_,  chk_print_at_data_, chk_invis_noitem_,
                              chk_white_,     chk_print_at_tool_, chk_ISO9000_,
                              chk_print_at_path_, chk_rotate_,    chk_double_,
                              chk_upper_,     chk_left_,          chk_TL_prev_};
  for (int i = 0; i < 12; ++i) checks->addWidget(order[i], i / 4, i % 4);
  auto* buttons = new QHBoxLayout;
  auto* hint = label("↓マウス右クリックで 操作メニュー");
  buttons->addWidget(hint);
  buttons->addStretch(1);
  buttons->addWidget(toggle_btn_);
  buttons->addWidget(Output_HTML_btn_);
  buttons->addWidget(settei_btn_);
  view_ = new CardView(*this);
  auto* top = new QVBoxLayout(this);
  top->addLayout(sizes);
  top->addLayout(checks);
  top->addLayout(buttons);
  top->addWidget(view_, 1);

  popup_ = new QMenu(this);
  popup_->setObjectName(QStringLiteral("PopupMenu1"));
  auto item = [this](const char* name, const char* text, void (TTOOL_LIST_win::*fn)()) {
    QAction* a = popup_->addAction(plat::to_qstring(text));
    a->setObjectName(QString::fromLatin1(name));
    connect(a, &QAction::triggered, this, [this, fn] { (this->*fn)(); });
    return a;
  };
  N2_ = item("N2", "印刷から除外する", &TTOOL_LIST_win::N2Click);
  N1_ = item("N1", "未設定に戻す", &TTOOL_LIST_win::N1Click);
  N3_ = item("N3", "加工 Ｇ コード列を出力する", &TTOOL_LIST_win::N3Click);
  N4_ = item("N4", "工具チェック用NCデータを出力する", &TTOOL_LIST_win::N4Click);
  resize(760, 600);
}

TTOOL_LIST_win::~TTOOL_LIST_win() = default;

TTOOL_LIST_metrics TTOOL_LIST_win::metrics() const {
  TTOOL_LIST_metrics met;
  const QFontMetrics fm(tooling_text_font(o_.font_h));
  met.width = [fm](const std::string& s) { return fm.horizontalAdvance(plat::to_qstring(s)); };
  met.line_height = fm.height();
  return met;
}

bool TTOOL_LIST_win::read_field(QLineEdit* e, bool font, int& v, bool show) {
  const std::string text = plat::from_qstring(e->text());
  if (!tool_list_size_value(text, font, v, show)) return false;
  const QSignalBlocker block(e);
  e->setText(QString::number(v));
  return true;
}

void TTOOL_LIST_win::read_fields_to_options() {
  int v = 0;
  if (read_field(ed_w_, false, v, false)) o_.pic_w = v;
  if (read_field(ed_max_, false, v, false)) o_.text_w = v;
  if (read_field(ed_h_, false, v, false)) o_.pic_h = v;
  if (read_field(ed_font_h_, true, v, false)) o_.font_h = v;
  o_.use_turn = chk_Use_turn_->isChecked();
  o_.print_at_data = chk_print_at_data_->isChecked();
  o_.invis_noitem = chk_invis_noitem_->isChecked();
  o_.white = chk_white_->isChecked();
  o_.print_at_tool = chk_print_at_tool_->isChecked();
  o_.iso9000 = chk_ISO9000_->isChecked();
  o_.print_at_path = chk_print_at_path_->isChecked();
  settings_.T_SET_DB_CHK = chk_double_->isChecked();
  settings_.T_SET_ROTATE = chk_rotate_->isChecked();
  settings_.T_SET_LEFT_SPACE = chk_left_->isChecked();
  settings_.T_SET_TL_PREV_CHK = chk_TL_prev_->isChecked();
}

void TTOOL_LIST_win::options_to_controls() {
  building_ = true;
  clamp_tool_list_options(o_);
  const QSignalBlocker b1(ed_w_), b2(ed_max_), b3(ed_h_), b4(ed_font_h_);
  ed_w_->setText(QString::number(o_.pic_w));
  ed_max_->setText(QString::number(o_.text_w));
  ed_h_->setText(QString::number(o_.pic_h));
  ed_font_h_->setText(QString::number(o_.font_h));
  chk_Use_turn_->setChecked(o_.use_turn);
  chk_print_at_data_->setChecked(o_.print_at_data);
  chk_invis_noitem_->setChecked(o_.invis_noitem);
  chk_white_->setChecked(o_.white);
  chk_print_at_tool_->setChecked(o_.print_at_tool);
  chk_ISO9000_->setChecked(o_.iso9000);
  chk_print_at_path_->setChecked(o_.print_at_path);
  chk_left_->setChecked(settings_.T_SET_LEFT_SPACE != 0);
  chk_TL_prev_->setChecked(settings_.T_SET_TL_PREV_CHK != 0);
  building_ = false;
}

void TTOOL_LIST_win::place_window() {
  const Tdisp_status& d = settings_;
  if (d.T_SET_WIDTH <= 0 || d.T_SET_HEIGHT <= 0) return;
  QScreen* scr = screen() ? screen() : QGuiApplication::primaryScreen();
  if (!scr) return;
  const QRect a = scr->availableGeometry();
  const int w = std::clamp(d.T_SET_WIDTH, 200, a.width());
  const int h = std::clamp(d.T_SET_HEIGHT, 200, a.height());
  const int l = std::clamp(d.T_SET_LEFT, a.left(), a.right() - w + 1);
  const int t = std::clamp(d.T_SET_TOP, a.top(), a.bottom() - h + 1);
  setGeometry(l, t, w, h);
}

void TTOOL_LIST_win::FormShow() {
  const std::string err = tool_list_mode_error(m_.mode);
  if (!err.empty()) {
    deb_log("");
    deb_log(err);
  }
  if (!m_.caption.empty()) setWindowTitle(plat::to_qstring(m_.caption));
  if (const NCD_DATA* d = host_.program()) program_ = tool_list_program_of(*d);
  tool_list_show_options(m_, o_);
  settings_.T_SET_DB_CHK = 0;
  settings_.T_SET_ROTATE = 0;
  options_to_controls();
  building_ = true;
  chk_double_->setEnabled(false);
  chk_double_->setChecked(false);
  chk_rotate_->setEnabled(false);
  chk_rotate_->setChecked(false);
  chk_Use_turn_->setEnabled(!m_.library);
  chk_invis_noitem_->setVisible(m_.library);
  chk_print_at_path_->setVisible(!m_.library);
  chk_ISO9000_->setEnabled(!m_.library);
  building_ = false;
  place_window();
  m_.selected = -1;
  rebuild();
  const int pre = tool_list_preselect(m_);
  if (pre >= 0) {
    m_.selected = pre;
    view_->verticalScrollBar()->setValue(std::max(0, m_.items[pre].top - 50));
  }
}

int TTOOL_LIST_win::exec_list() {
  FormShow();
  const int r = exec();
  read_fields_to_options();
  const QRect g = geometry();
  settings_.T_SET_LEFT = g.x();
  settings_.T_SET_TOP = g.y();
  settings_.T_SET_WIDTH = g.width();
  settings_.T_SET_HEIGHT = g.height();
  return r;
}

void TTOOL_LIST_win::rebuild() {
  read_fields_to_options();
  make_TOOL_LIST_items(m_, o_, program_, metrics());
  building_ = true;
  chk_Use_turn_->setEnabled(m_.use_turn_enabled);
  building_ = false;
  view_->update_ranges();
}

// The instruction sheet above the cards: grey cell frames, black texts in the list's font.
void TTOOL_LIST_win::draw_ISO9000_sheet(QPainter& p) {
  const TTOOL_LIST_metrics met = metrics();
  int sw = 0, sh = 0;
  const auto cells = iso9000_sheet_cells(met, sw, sh);
  QFont bold = p.font();
  bold.setBold(true);
  const QFont plain = p.font();
  for (const TISO9000_cell& c : cells) {
    const QRect r(4 + c.r.left, m_.sheet_top + c.r.top, c.r.right - c.r.left,
                  c.r.bottom - c.r.top);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(r);
    p.setPen(Qt::black);
    p.setFont(c.bold ? bold : plain);
    p.drawText(r.adjusted(2, 2, -2, -2), Qt::AlignLeft | Qt::AlignTop,
               plat::to_qstring(c.text));
  }
  p.setFont(plain);
}

void TTOOL_LIST_win::paint_list(QPainter& p, int top, int bottom) {
  const TTOOL_LIST_metrics met = metrics();
  p.setFont(tooling_text_font(o_.font_h));
  p.setPen(Qt::black);
  // Header: classification right-aligned, then the header lines.
  if (top < m_.header_h) {
    int y = 4;
    for (const std::string& l : lines_in(m_.classification)) {
      p.drawText(QRect(4, y, m_.total_w - 8, met.line_height), Qt::AlignRight | Qt::AlignVCenter,
                 plat::to_qstring(l));
      y += met.line_height;
    }
    for (const std::string& l : lines_in(m_.header)) {
      p.drawText(QPoint(4, y + QFontMetrics(p.font()).ascent()), plat::to_qstring(l));
      y += met.line_height;
    }
    if (m_.sheet_h > 0) draw_ISO9000_sheet(p);
  }
  for (std::size_t i = 0; i < m_.items.size(); ++i) {
    const TLIST_ITEMS& it = m_.items[i];
    if (it.bottom < top || it.top > bottom) continue;
    paint_TOOL_LIST_image(p, it, static_cast<int>(i) == m_.selected);
  }
}

void TTOOL_LIST_win::paint_TOOL_LIST_image(QPainter& p, const TLIST_ITEMS& it, bool selected) {
  const int h = it.bottom - it.top;
  const QRect pic(0, it.top, m_.pic_w, h);
  const QRect text(m_.pic_w, it.top, m_.text_w, h);
  // Picture column.
  const int back = card_back_color();
  p.fillRect(pic, window_color(color_code_to_TColor(back)));
  if (o_.print_at_tool && it.set > 0) {
    TG2_canvas c;
    TTOOL t = it.tool;
    THOLDER hd = it.holder;
    make_TOOL_comment_lines(t, hd);
    TDraw_settings ds = draw_settings_of(settings_);
    ds.back_color = back;
    draw_TOOL_card(ds, c, g2_, m_.pic_w - 1, !o_.print_at_data, hd, t, false, o_.white,
                   static_cast<int>(ds.m), h - 1);
    p.save();
    p.translate(0, it.top);
    p.setClipRect(QRect(0, 0, m_.pic_w, h));
    paint_G2_canvas(p, c);
    p.restore();
  }
  // Text column.
  p.fillRect(text, Qt::white);
  if (!o_.white) {
    p.setPen(QColor(128, 128, 128));
    p.drawLine(text.topLeft(), text.topRight());
    p.drawLine(text.topLeft(), text.bottomLeft());
    p.setPen(Qt::white);
    p.drawLine(text.left() + 1, text.top() + 1, text.right(), text.top() + 1);
  }
  p.setPen(Qt::black);
  p.setFont(tooling_text_font(o_.font_h));
  const QFontMetrics fm(p.font());
  int y = it.top + 4;
  for (const std::string* s : {&it.title, &it.name, &it.text})
    for (const std::string& l : lines_in(*s)) {
      p.drawText(QPoint(text.left() + 4, y + fm.ascent()), plat::to_qstring(l));
      y += fm.height();
    }
  const QRect card(0, it.top, m_.total_w - 1, h - 1);
  if (it.excluded) {
    p.setPen(QPen(Qt::red, 2));
    p.drawLine(card.topLeft(), card.bottomRight());
    p.drawLine(card.bottomLeft(), card.topRight());
    p.drawRect(card);
  }
  if (selected) {
    const QColor c = m_.library ? QColor(0, 0, 128) : m_.use_order ? QColor(0, 128, 0)
                                                                   : QColor(0, 0, 255);
    p.setPen(QPen(c, 2));
    p.drawRect(card.adjusted(1, 1, -1, -1));
  }
}

int TTOOL_LIST_win::card_back_color() const {
  return o_.white ? 63 : settings_.BACK_color;
}

void TTOOL_LIST_win::toggle_btnClick() {
  bool& on = run_toggle();
  on = !on;
  for (TLIST_ITEMS& it : m_.items) it.excluded = on;
  rebuild();
}

void TTOOL_LIST_win::prepare_popup() {
  const TTOOL_LIST_popup pp = tool_list_popup(m_, m_.under_mouse);
  N1_->setVisible(pp.n1);
  N2_->setVisible(pp.n2);
  N2_->setText(plat::to_qstring(pp.n2_caption.empty() ? "印刷から除外する" : pp.n2_caption));
  N3_->setVisible(pp.n3);
  N4_->setVisible(pp.n4);
}

void TTOOL_LIST_win::Image1MouseDown(int y, bool right, QPoint global) {
  m_.under_mouse = tool_list_item_at(m_, y);
  if (m_.under_mouse >= 0) m_.selected = m_.under_mouse;
  view_->viewport()->update();
  if (right && m_.under_mouse >= 0) {
    prepare_popup();
    popup_->exec(global);
  }
}

void TTOOL_LIST_win::Image1DblClick(int y) {
  const int r = tool_list_double_click(m_, tool_list_item_at(m_, y));
  if (r == plat::IDOK) done(QDialog::Accepted);
  else if (r == plat::IDYES) done(plat::IDYES);
}

void TTOOL_LIST_win::N1Click() {
  if (tool_list_reset_item(m_, o_, m_.under_mouse)) view_->viewport()->update();
}

void TTOOL_LIST_win::N2Click() {
  if (m_.under_mouse < 0 || m_.under_mouse >= static_cast<int>(m_.items.size())) return;
  m_.items[m_.under_mouse].excluded = !m_.items[m_.under_mouse].excluded;
  view_->viewport()->update();
}

void TTOOL_LIST_win::N3Click() {
  if (m_.under_mouse < 0 || m_.under_mouse >= static_cast<int>(m_.items.size())) return;
  const TLIST_ITEMS& it = m_.items[m_.under_mouse];
  TTOOL_TDH_request shown = tool_list_TDH_request(it, program_);
  shown.no_name = settings_.TCOND_NONAME != 0;
  TTOOL_TDH_request typed = shown;
  if (!host_.TDH_dialog(typed)) return;
  TTOOL_TDH_codes codes;
  if (!tool_list_TDH_codes(shown, typed, codes)) return;
  std::vector<std::string> lines;
  if (host_.list_TOOL_segments(it.use, codes, typed.no_name, lines)) host_.show_output_text(lines);
  view_->viewport()->update();
}

void TTOOL_LIST_win::N4Click() {
  TTOOL_check_request r;
  if (!tool_list_check_request(program_, r)) return;
  const bool ok = host_.tool_check_dialog(r, settings_);
  if (!ok) return;
  std::vector<std::string> lines;
  if (host_.make_TOOL_check_NCD(settings_, lines)) host_.show_output_text(lines);
}

void TTOOL_LIST_win::Output_HTML_btnClick() {
  // The export polls the event loop between pictures: no second export from within it.
  if (exporting_ || plat::busy()) return;
  exporting_ = true;
  plat::BusyGuard busy;
  read_fields_to_options();
  HtmlPictures pics(*this);
  const std::string stamp = "by velmor print " + tooling_date_text(host_.now());
  output_TOOL_LIST_HTML(m_, o_, program_, plat::desktop_folder(), stamp, pics);
  exporting_ = false;
}

int TTOOL_LIST_win_opener::show_tool_list(TTOOL_LIST_model& m, TTOOL_LIST_options& o,
                                          Tdisp_status& settings) {
  TTOOL_LIST_win w(host_, parent_);
  w.model() = m;
  w.options() = o;
  w.settings() = settings;
  const int r = w.exec_list();
  m.picked = w.model().picked;
  o = w.options();
  settings = w.settings();
  return r;
}
