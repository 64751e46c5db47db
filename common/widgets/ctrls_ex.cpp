#include "common/widgets/ctrls_ex.h"

#include <QKeyEvent>
#include <QTimer>
#include <algorithm>

#include "common/debug_log.h"
#include "platform/qt/qtext.h"

// ---- TEditEx ------------------------------------------------------------------------------------

TEditEx::TEditEx(QWidget* parent) : QLineEdit(parent) {
  SetAlignment(taLeftJustify);
  // Edits that reach the text without a key press (paste from the menu, a drop) are grouped
  // as soon as control returns to the event loop.
  connect(this, &QLineEdit::textEdited, this, [this] {
    if (thousands_) QTimer::singleShot(0, this, [this] { regroup_keeping_selection(); });
  });
}

void TEditEx::SetAlignment(TAlignment a) {
  alignment_ = a;
  Qt::Alignment h = a == taRightJustify ? Qt::AlignRight
                    : a == taCenter     ? Qt::AlignHCenter
                                        : Qt::AlignLeft;
  setAlignment(h | Qt::AlignVCenter);
}

void TEditEx::SetThousands(bool on) {
  if (on == thousands_) return;
  thousands_ = on;
  if (on) regroup_keeping_selection();
}

QString TEditEx::TextQ() const {
  QString s = text();
  if (thousands_) s.remove(u',');
  return s;
}

std::string TEditEx::Text() const { return plat::from_qstring(TextQ()); }

void TEditEx::SetText(const QString& s) { setText(thousands_ ? group_thousands(s) : s); }

void TEditEx::SetText(std::string_view cp932) { SetText(plat::to_qstring(cp932)); }

void TEditEx::Loaded() { selectAll(); }

QString TEditEx::group_thousands(const QString& in) {
  QString s = in;
  s.remove(u',');
  qsizetype begin = 0;
  if (begin < s.size() && (s[begin] == u'+' || s[begin] == u'-')) ++begin;
  qsizetype end = begin;
  while (end < s.size() && s[end] >= u'0' && s[end] <= u'9') ++end;
  for (qsizetype pos = end - 3; pos > begin; pos -= 3) s.insert(pos, u',');
  return s;
}

void TEditEx::regroup_keeping_selection() {
  if (regrouping_ || !thousands_) return;
  const QString old = text();
  const QString grouped = group_thousands(old);
  if (grouped == old) return;
  regrouping_ = true;
  // The selection is kept at the same distances from the end of the text.
  const qsizetype len = old.size();
  const qsizetype cursor = cursorPosition();
  const bool has_sel = hasSelectedText();
  const qsizetype sel_start = has_sel ? selectionStart() : cursor;
  const qsizetype sel_end = has_sel ? selectionEnd() : cursor;
  const bool backwards = has_sel && cursor == sel_start;
  const qsizetype d_start = len - sel_start, d_end = len - sel_end;
  setText(grouped);
  const qsizetype n = grouped.size();
  const int s = static_cast<int>(std::max<qsizetype>(0, n - d_start));
  const int e = static_cast<int>(std::max<qsizetype>(0, n - d_end));
  if (s == e) setCursorPosition(e);
  else if (backwards) setSelection(e, s - e);
  else setSelection(s, e - s);
  regrouping_ = false;
}

void TEditEx::keyPressEvent(QKeyEvent* e) {
  QLineEdit::keyPressEvent(e);  // Enter is ignored there and goes on to the dialog
  if (thousands_) regroup_keeping_selection();
}

void TEditEx::showEvent(QShowEvent* e) {
  QLineEdit::showEvent(e);
  if (!shown_once_) {
    shown_once_ = true;
    Loaded();
  }
}

// ---- TScrollBarEx -------------------------------------------------------------------------------

TScrollBarEx::TScrollBarEx(Qt::Orientation o, QWidget* parent) : QScrollBar(o, parent) {
  setSingleStep(1);
  apply_to_bar();
  connect(this, &QAbstractSlider::valueChanged, this, [this](int v) {
    if (applying_ || v == position_) return;
    position_ = v;
    emit Change();
  });
}

int TScrollBarEx::last_position() const {
  long long last = static_cast<long long>(max_) - std::max(page_ - 1, 0);
  return static_cast<int>(std::max<long long>(last, min_));
}

void TScrollBarEx::apply_to_bar() {
  applying_ = true;
  setRange(min_, last_position());
  setPageStep(std::max(page_, 1));
  setValue(position_);
  applying_ = false;
}

void TScrollBarEx::change_notice() {
  const long long span = static_cast<long long>(max_) - min_ + 1;
  if (span < page_) page_ = static_cast<int>(span);
  position_ = std::clamp(position_, min_, last_position());
  apply_to_bar();
  emit Change();
}

void TScrollBarEx::SetPage(int page) {
  const long long span = static_cast<long long>(max_) - min_ + 1;
  page = static_cast<int>(std::clamp<long long>(page, 0, span));
  page_ = page;
  change_notice();
}

void TScrollBarEx::SetPosition(int position) {
  position = std::clamp(position, min_, last_position());
  if (position == position_) return;
  position_ = position;
  apply_to_bar();
  emit Change();
}

void TScrollBarEx::SetMin(int min) { SetParams(position_, min, max_); }
void TScrollBarEx::SetMax(int max) { SetParams(position_, min_, max); }

bool TScrollBarEx::SetParams(int position, int min, int max) {
  return SetParams(position, min, max, page_);
}

bool TScrollBarEx::SetParams(int position, int min, int max, int page) {
  if (min > max) {
    deb_logf("TScrollBarEx.SetParams: scroll bar property out of range (min=%d max=%d)", min,
             max);
    return false;
  }
  const long long span = static_cast<long long>(max) - min + 1;
  page = static_cast<int>(std::clamp<long long>(page, 0, span));
  const long long last = std::max<long long>(static_cast<long long>(max) - std::max(page - 1, 0), min);
  position = static_cast<int>(std::clamp<long long>(position, min, last));
  if (position == position_ && min == min_ && max == max_ && page == page_) return true;
  min_ = min;
  max_ = max;
  page_ = page;
  position_ = position;
  change_notice();
  return true;
}
