#include "common/widgets/validated_edit.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

TValidatedEdit* TValidatedEdit::attach(QLineEdit* edit, Check check) {
  return new TValidatedEdit(edit, std::move(check));
}

TValidatedEdit::TValidatedEdit(QLineEdit* edit, Check check)
    : QObject(edit), edit_(edit), check_(std::move(check)) {
  edit_->installEventFilter(this);
}

bool TValidatedEdit::run_check() {
  checking_ = true;
  const bool ok = check_(*edit_);
  // The text is taken as checked whatever the outcome: only a new change checks again.
  edit_->setModified(false);
  checking_ = false;
  return ok;
}

void TValidatedEdit::entered() {
  if (checking_) return;
  pending_ = false;
  if (!run_check()) edit_->selectAll();
}

void TValidatedEdit::left() {
  pending_ = false;
  if (checking_ || !edit_->isModified() || edit_->hasFocus()) return;
  if (!edit_->isVisible() || !edit_->isEnabled() || !edit_->window()->isVisible()) return;
  if (run_check()) return;
  edit_->setFocus(Qt::OtherFocusReason);
  edit_->selectAll();
}

bool TValidatedEdit::eventFilter(QObject* o, QEvent* e) {
  if (o != edit_) return QObject::eventFilter(o, e);
  if (e->type() == QEvent::KeyPress) {
    const int k = static_cast<QKeyEvent*>(e)->key();
    if (k == Qt::Key_Return || k == Qt::Key_Enter) {
      entered();
      return true;
    }
  } else if (e->type() == QEvent::FocusOut) {
    // Switching to another window or opening a menu does not leave the edit.
    const Qt::FocusReason r = static_cast<QFocusEvent*>(e)->reason();
    if (r != Qt::ActiveWindowFocusReason && r != Qt::PopupFocusReason &&
        r != Qt::MenuBarFocusReason && !checking_ && !pending_ && edit_->isModified()) {
      pending_ = true;
      QTimer::singleShot(0, this, [this] { left(); });
    }
  }
  return QObject::eventFilter(o, e);
}
