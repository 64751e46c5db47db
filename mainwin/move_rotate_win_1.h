// Tmove_rotate_win: the parameters of the move-and-copy and rotate-and-copy conversions.
// Four rows whose captions depend on the mode, the decimal-point choice, and eight further
// values kept in hidden edits. Every edit is checked when it is left; OK checks them all, so
// what is shown is what is returned.
#pragma once
#include <QDialog>
#include <array>

#include "mainwin/core/small_dialogs.h"

class QLabel;
class QPushButton;
class QRadioButton;
class TEditEx;

class Tmove_rotate_win : public QDialog {
  Q_OBJECT
 public:
  explicit Tmove_rotate_win(QWidget* parent = nullptr);

  std::array<QLabel*, 4> Label{};      // Label1..Label4
  std::array<TEditEx*, 12> EditEx{};   // EditEx1..EditEx12 (Tags 1..12)
  QRadioButton* use_dot = nullptr;
  QRadioButton* dont_use_dot = nullptr;
  QPushButton* btn_ok = nullptr;
  QPushButton* btn_cancel = nullptr;

  // Set by the opener before showing, read back after OK.
  MOVE_ROTATE_VALUES values;

  void Set_move_rotate_controls();
  void Get_move_rotate_values();
  // The check of one edit on entering or leaving it; false when its text was replaced.
  bool EditEx1Exit(TEditEx* ed);

  void accept() override;

 protected:
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  bool is_integer_row(const TEditEx* ed) const { return ed == EditEx[3]; }
  bool checking_ = false;
};
