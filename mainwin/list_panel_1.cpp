// The NC data record first: Qt's "slots" keyword would meet its field of that name.
#include "ncdata/ncd_data.h"
#include "ncdata/ncd_run.h"

#include "mainwin/list_panel_1.h"

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QKeySequence>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QValidator>
#include <algorithm>

#include "platform/core/cp932.h"
#include "platform/qt/qtext.h"

namespace {

// The rows' "ＭＳ ゴシック": the fixed-pitch IPAGothic.
QFont row_font(int height) {
  QFont f(QStringLiteral("IPAGothic"));
  f.setStyleHint(QFont::Monospace);
  f.setFixedPitch(true);
  f.setPixelSize(std::abs(height));
  return f;
}

qsizetype common_prefix(const QString& a, const QString& b) {
  const qsizetype n = std::min(a.size(), b.size());
  qsizetype i = 0;
  while (i < n && a[i] == b[i]) ++i;
  return i;
}

qsizetype common_suffix(const QString& a, const QString& b, qsizetype prefix) {
  const qsizetype n = std::min(a.size(), b.size()) - prefix;
  qsizetype i = 0;
  while (i < n && a[a.size() - 1 - i] == b[b.size() - 1 - i]) ++i;
  return i;
}

}  // namespace

// Typing and pasting: the prefix stays, a character that CP932 cannot hold is refused, and
// a row grows no longer than NCD_LIST_TEXT_MAX bytes.
class TNcdRowValidator : public QValidator {
 public:
  explicit TNcdRowValidator(TNcdRow* row) : QValidator(row), row_(row) {}
  State validate(QString& input, int&) const override {
    // The edit is already in the row's text here: compare with the text before it.
    const QString& old = row_->accepted_;
    if (input == old || input == row_->shown_) return Acceptable;
    if (input.left(NCD_LIST_PREFIX) != old.left(NCD_LIST_PREFIX)) return Invalid;
    const qsizetype p = common_prefix(old, input);
    const qsizetype s = common_suffix(old, input, p);
    const QString added = input.mid(p, input.size() - p - s);
    bool lossless = true;
    const std::string added_bytes = plat::from_qstring(added, &lossless);
    if (!lossless) return Invalid;
    const int old_len = static_cast<int>(plat::from_qstring(old).size());
    const QString removed = old.mid(p, old.size() - p - s);
    const int new_len =
        old_len - static_cast<int>(plat::from_qstring(removed).size()) + static_cast<int>(added_bytes.size());
    if (new_len > NCD_LIST_TEXT_MAX && new_len > old_len) return Invalid;
    return Acceptable;
  }

 private:
  TNcdRow* row_;
};

// ---- TNcdRow --------------------------------------------------------------------------------

TNcdRow::TNcdRow(TListPanel* panel, int index, QWidget* parent)
    : TEditEx(parent), panel_(panel), index_(index) {
  setObjectName(QStringLiteral("L") + QString::number(index));
  setProperty("Tag", index);
  setFrame(false);
  setTextMargins(0, 0, 0, 0);
  setFocusPolicy(Qt::ClickFocus);
  setCursor(Qt::ArrowCursor);
  setContextMenuPolicy(Qt::DefaultContextMenu);
  setValidator(new TNcdRowValidator(this));
  QPalette pal = palette();
  pal.setColor(QPalette::Base, Qt::white);
  pal.setColor(QPalette::Text, Qt::black);
  // The selection stays visible without the focus.
  for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
    pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
  setPalette(pal);
  setText(QStringLiteral("L") + QString::number(index));
  connect(this, &QLineEdit::textChanged, this, [this](const QString& t) { accepted_ = t; });
  connect(this, &QLineEdit::cursorPositionChanged, this, [this] { keep_after_prefix(); });
  connect(this, &QLineEdit::selectionChanged, this, [this] { keep_after_prefix(); });
  connect(this, &QLineEdit::textEdited, this, [this] {
    if (NCD_EDIT_LIST* l = panel_->list()) EditList_Change(*l, index_);
  });
}

std::vector<int> TNcdRow::byte_offsets(const QString& s) {
  std::vector<int> off;
  off.reserve(static_cast<size_t>(s.size()) + 1);
  int at = 0;
  for (qsizetype i = 0; i < s.size();) {
    const qsizetype n = s[i].isHighSurrogate() && i + 1 < s.size() ? 2 : 1;
    const int len = static_cast<int>(plat::from_qstring(s.mid(i, n)).size());
    for (qsizetype k = 0; k < n; ++k) off.push_back(at);
    at += len;
    i += n;
  }
  off.push_back(at);
  return off;
}

void TNcdRow::set_bytes(const std::string& text) {
  bytes_ = text;
  shown_.clear();
  offsets_.clear();
  // Character by character, so that each unit knows the bytes it came from.
  for (size_t i = 0; i < text.size();) {
    const size_t n = std::max<size_t>(1, plat::sjis_char_len(text, i));
    const QString c = plat::to_qstring(std::string_view(text).substr(i, n));
    for (qsizetype k = 0; k < c.size(); ++k) offsets_.push_back(static_cast<int>(i));
    shown_ += c;
    i += n;
  }
  offsets_.push_back(static_cast<int>(text.size()));
  setReadOnly(text.empty());
  setText(shown_);
  setModified(false);
}

std::string TNcdRow::bytes() const {
  const QString cur = text();
  if (cur == shown_) return bytes_;
  // The unchanged start and end keep their bytes; only what the user changed is converted.
  qsizetype p = common_prefix(shown_, cur);
  while (p > 0 && offsets_[static_cast<size_t>(p)] == offsets_[static_cast<size_t>(p - 1)]) --p;
  qsizetype s = common_suffix(shown_, cur, p);
  auto start_of = [&](qsizetype unit) { return offsets_[static_cast<size_t>(unit)]; };
  while (s > 0) {
    const qsizetype u = shown_.size() - s;
    if (u == 0 || start_of(u) != start_of(u - 1)) break;
    --s;
  }
  const int head = start_of(p);
  const int tail = start_of(shown_.size() - s);
  return bytes_.substr(0, static_cast<size_t>(head)) +
         plat::from_qstring(cur.mid(p, cur.size() - p - s)) + bytes_.substr(static_cast<size_t>(tail));
}

int TNcdRow::caret_bytes() const {
  const int c = cursorPosition();
  if (text() == shown_) return offsets_[static_cast<size_t>(std::clamp<qsizetype>(c, 0, shown_.size()))];
  const std::vector<int> off = byte_offsets(text());
  return off[static_cast<size_t>(std::clamp<qsizetype>(c, 0, text().size()))];
}

void TNcdRow::set_caret_bytes(int column) {
  const std::vector<int> off = text() == shown_ ? offsets_ : byte_offsets(text());
  qsizetype unit = 0;
  while (unit + 1 < static_cast<qsizetype>(off.size()) && off[static_cast<size_t>(unit)] < column) ++unit;
  setCursorPosition(static_cast<int>(unit));
}

void TNcdRow::keep_after_prefix() {
  if (clamping_ || text().isEmpty()) return;
  const int prefix = NCD_LIST_PREFIX;
  clamping_ = true;
  if (hasSelectedText()) {
    const int start = selectionStart();
    const int end = selectionEnd();
    if (start < prefix) {
      const bool caret_at_start = cursorPosition() == start;
      if (end <= prefix) setCursorPosition(prefix);
      else if (caret_at_start) setSelection(end, prefix - end);
      else setSelection(prefix, end - prefix);
    }
  } else if (cursorPosition() < prefix) {
    setCursorPosition(std::min<int>(prefix, static_cast<int>(text().size())));
  }
  clamping_ = false;
}

bool TNcdRow::event(QEvent* e) {
  // The window's shortcuts win over the row's own keys (Ctrl+Y, Ctrl+Home, Ctrl+End ...).
  if (e->type() == QEvent::ShortcutOverride) {
    auto* ke = static_cast<QKeyEvent*>(e);
    const QKeySequence seq(ke->keyCombination());
    for (QAction* a : window()->findChildren<QAction*>()) {
      if (a->isEnabled() && a->shortcuts().contains(seq)) {
        e->ignore();
        return true;
      }
    }
  }
  return TEditEx::event(e);
}

void TNcdRow::keyPressEvent(QKeyEvent* e) {
  NCD_EDIT_LIST* l = panel_->list();
  if (!l) return TEditEx::keyPressEvent(e);
  const bool ctrl = e->modifiers() & Qt::ControlModifier;
  int down = 0, press = 0;
  switch (e->key()) {
    case Qt::Key_PageUp: down = NCD_KEY_PGUP; break;
    case Qt::Key_PageDown: down = NCD_KEY_PGDN; break;
    case Qt::Key_Left: down = NCD_KEY_LEFT; break;
    case Qt::Key_Up: down = NCD_KEY_UP; break;
    case Qt::Key_Down: down = NCD_KEY_DOWN; break;
    case Qt::Key_Delete: down = NCD_KEY_DELETE; break;
    case Qt::Key_Backspace: press = NCD_KEY_BACK; break;
    case Qt::Key_Return:
    case Qt::Key_Enter: press = NCD_KEY_ENTER; break;
    case Qt::Key_Y:
      if (ctrl) press = NCD_KEY_CTRL_Y;
      break;
    default: break;
  }
  if (down && EditList_KeyDown(*l, index_, down, caret_bytes())) return;
  if (press && EditList_KeyPress(*l, index_, press, caret_bytes())) return;
  // Enter never reaches a dialog from here.
  if (press == NCD_KEY_ENTER) return;
  QLineEdit::keyPressEvent(e);
}

void TNcdRow::mousePressEvent(QMouseEvent* e) {
  TEditEx::mousePressEvent(e);
  if (NCD_EDIT_LIST* l = panel_->list())
    EditList_MouseDown(*l, index_, e->button() == Qt::RightButton, caret_bytes());
}

void TNcdRow::mouseMoveEvent(QMouseEvent* e) {
  // A drag never extends into the line-number column.
  if (e->buttons() & Qt::LeftButton) {
    const int edge = panel_->list() ? panel_->list()->prefix_x : 0;
    const QPointF pos = e->position();
    if (pos.x() < 0) return;
    if (pos.x() <= edge) {
      QMouseEvent moved(e->type(), QPointF(edge, 0), e->scenePosition(), e->globalPosition(),
                        e->button(), e->buttons(), e->modifiers());
      TEditEx::mouseMoveEvent(&moved);
    } else {
      TEditEx::mouseMoveEvent(e);
    }
  } else {
    TEditEx::mouseMoveEvent(e);
  }
  if (NCD_EDIT_LIST* l = panel_->list()) EditList_MouseMove(*l, index_);
}

void TNcdRow::focusInEvent(QFocusEvent* e) {
  TEditEx::focusInEvent(e);
  if (NCD_EDIT_LIST* l = panel_->list()) EditList_Enter(*l, index_);
}

void TNcdRow::focusOutEvent(QFocusEvent* e) {
  TEditEx::focusOutEvent(e);
  if (NCD_EDIT_LIST* l = panel_->list()) EditList_Exit(*l, index_);
}

void TNcdRow::contextMenuEvent(QContextMenuEvent* e) {
  if (panel_->on_popup) panel_->on_popup(index_, e->globalPos());
  e->accept();
}

// No select-all at the first show.
void TNcdRow::showEvent(QShowEvent* e) { QLineEdit::showEvent(e); }

// ---- TListPanel ---------------------------------------------------------------------------

TListPanel::TListPanel(QWidget* parent) : QWidget(parent) {
  setObjectName(QStringLiteral("EditList_pnl"));
  scb1_ = new QWidget(this);
  scb1_->setObjectName(QStringLiteral("SCB1"));
  scb1_->setAutoFillBackground(true);
  QPalette pal = scb1_->palette();
  pal.setColor(QPalette::Window, Qt::white);
  scb1_->setPalette(pal);
  scr_bar_ = new TScrollBarEx(Qt::Vertical, this);
  scr_bar_->setObjectName(QStringLiteral("scr_bar"));
  scr_bar_->SetParams(0, 0, 2, 1);
  for (int i = 0; i < NCD_LIST_ROW_COUNT; ++i) {
    auto* r = new TNcdRow(this, i, scb1_);
    r->setFont(row_font(-12));
    rows_[static_cast<size_t>(i)] = r;
  }
  rows_[NCD_LIST_ROW_COUNT - 1]->hide();
  connect(scr_bar_, &TScrollBarEx::Change, this, [this] { scr_barScroll(); });
  setMinimumWidth(120);
}

void TListPanel::attach(NCD_EDIT_LIST* list) {
  list_ = list;
  if (list_) {
    for (TNcdRow* r : rows_) r->setFont(row_font(list_->font_height));
    EditList_pnlResize();
  }
}

std::string TListPanel::row_text(int i) { return row(i)->bytes(); }
void TListPanel::set_row(int i, const std::string& text) {
  TNcdRow* r = row(i);
  r->set_bytes(text);
  r->deselect();
}
bool TListPanel::row_modified(int i) { return row(i)->isModified(); }
void TListPanel::clear_row_modified(int i) { row(i)->setModified(false); }
void TListPanel::select_after_prefix(int i, bool on) {
  TNcdRow* r = row(i);
  if (on && r->text().size() > NCD_LIST_PREFIX)
    r->setSelection(NCD_LIST_PREFIX, static_cast<int>(r->text().size()) - NCD_LIST_PREFIX);
  else
    r->deselect();
}
bool TListPanel::row_has_selection(int i) { return row(i)->hasSelectedText(); }
int TListPanel::row_caret(int i) { return row(i)->caret_bytes(); }
void TListPanel::set_row_caret(int i, int column) { row(i)->set_caret_bytes(column); }
void TListPanel::focus_row(int i) {
  if (!row(i)->hasFocus()) row(i)->setFocus(Qt::OtherFocusReason);
}
// The window's focus widget, which it keeps while a box of its own (the number box of a
// jump) has the input: the row it gives the focus back to follows the current line.
bool TListPanel::rows_have_focus() {
  QWidget* f = window()->focusWidget();
  return f && f->parentWidget() == scb1_;
}
void TListPanel::enable_rows(bool on) {
  for (TNcdRow* r : rows_) r->setEnabled(on);
}

void TListPanel::layout_rows(int prefix_length, int& row_height, int& prefix_x) {
  const QFontMetrics fm(rows_[0]->font());
  row_height = fm.height() + 3;
  const int width = fm.horizontalAdvance(QString(140, u'A'));
  for (int i = 0; i < NCD_LIST_ROW_COUNT; ++i)
    rows_[static_cast<size_t>(i)]->setGeometry(0, (row_height - 1) * i, width, row_height);
  const QMargins m = rows_[0]->textMargins();
  prefix_x = m.left() + 2 + fm.horizontalAdvance(QString(prefix_length, u'0'));
}

void TListPanel::set_scroll(int position, int maximum) { scr_bar_->SetParams(position, 0, maximum, 1); }
int TListPanel::scroll_position() { return scr_bar_->Position(); }

void TListPanel::EditList_pnlResize() {
  const int sb = scr_bar_->sizeHint().width();
  scr_bar_->setGeometry(width() - sb, 0, sb, height());
  scb1_->setGeometry(0, 0, std::max(0, width() - sb - 4), height());
  if (!list_) return;
  list_->panel_height = scb1_->height();
  Setup_NCD_list(*list_);
  Redraw_NCD_list(*list_);
}

void TListPanel::scr_barScroll() {
  if (list_) ::scr_barScroll(*list_, scr_bar_->Position());
}

void TListPanel::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  EditList_pnlResize();
}

// ---- TVelmorListing -----------------------------------------------------------------------

// What the store asks of the main window: clearing resets the listing's scroll bar and
// selection; the tool table does not exist yet.
class TVelmorListing::StoreHost : public NCD_HOST {
 public:
  explicit StoreHost(TVelmorListing& owner) : owner_(owner) {}
  void ncd_cleared(NCD_DATA&) override {
    if (owner_.list_) Clear_NCD_list(*owner_.list_);
  }

 private:
  TVelmorListing& owner_;
};

TVelmorListing::TVelmorListing(QWidget* parent)
    : data_(std::make_unique<NCD_DATA>()), d_(data_.get()),
      store_host_(std::make_unique<StoreHost>(*this)) {
  data_->set_host(store_host_.get());
  Create_NCD(*data_);
  panel_ = new TListPanel(parent);
  list_ = std::make_unique<NCD_EDIT_LIST>(*data_, *panel_, this);
  list_->font_height = -12;
  panel_->attach(list_.get());
}

TVelmorListing::TVelmorListing(QWidget* parent, NCD_DATA& data, NCD_LIST_HOST& host)
    : d_(&data) {
  panel_ = new TListPanel(parent);
  list_ = std::make_unique<NCD_EDIT_LIST>(data, *panel_, &host);
  list_->font_height = -12;
  panel_->attach(list_.get());
}

TVelmorListing::~TVelmorListing() {
  if (panel_) panel_->attach(nullptr);
  list_.reset();
  if (data_) Free_NCD(*data_);
}

void TVelmorListing::set_NCD_status() {
  if (on_status) on_status();
}

void TVelmorListing::repaint() {
  if (panel_ && panel_->window()) panel_->window()->update();
}

// ---- TVLM_listing_ui ------------------------------------------------------------------------

void TVelmorListing::listing_enable(bool on) { Enable_NCD_list(*list_, on); }

void TVelmorListing::listing_reset() { Clear_NCD_list(*list_); }

void TVelmorListing::listing_refresh() {
  Set_NCD_list_range(*list_);
  Redraw_NCD_list(*list_);
}

void TVelmorListing::commit_listing() { Commit_NCD_list(*list_); }

void TVelmorListing::set_list_font(int height) {
  list_->font_height = height;
  panel_->attach(list_.get());
}
