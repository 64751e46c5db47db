// The check of an edit's text when the user leaves it and on Enter.
//   TValidatedEdit: attached to a QLineEdit, it runs one check function
//     - on Enter/Return, at once (the key goes no further);
//     - on leaving the edit by Tab, a click or a shortcut (not by switching windows or
//       opening a menu) when the user changed the text since the last check: after the
//       focus change has settled, so that its message box comes up over the settled window;
//       a bad text gets the focus back, all selected.
//   The check reads the edit, shows its own message for a bad text and returns false; for a
//   good text it stores the value (it may rewrite the text) and returns true. The edit's
//   modified flag tells it whether the user changed the text; it is cleared after each
//   check. A text set from code (setText clears the modified flag) is not checked on
//   leaving, neither is an edit that is hidden, disabled or in a hidden window by the time
//   the check would run, nor one that has the focus again by then. While the check runs (its
//   box is up) and when the focus is given back, no second check starts.
#pragma once
#include <QObject>
#include <functional>

class QLineEdit;

class TValidatedEdit : public QObject {
  Q_OBJECT
 public:
  using Check = std::function<bool(QLineEdit& edit)>;

  // Attaches a check to `edit`; the helper is a child of the edit and goes with it.
  static TValidatedEdit* attach(QLineEdit* edit, Check check);

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  TValidatedEdit(QLineEdit* edit, Check check);
  // Enter: the check at once; a bad text gets all selected.
  void entered();
  // The deferred check after leaving.
  void left();
  bool run_check();

  QLineEdit* edit_;
  Check check_;
  bool pending_ = false;   // left after a change, the check not run yet
  bool checking_ = false;  // the check (and its box) is running
};
