// The modal colour picker: the 64 colour codes as a 16 x 4 grid (code 0 at the lower left),
// column and row sliders, the code edit with its up-down, a sample panel, "設定" and
// "取り消し". While the user picks, the caller's live target (its edit and panel) follows;
// Cancel puts the start code back into it. Callers open it through a Tcolor_chooser, which
// tests replace.
#pragma once
#include <QColor>
#include <QScrollBar>
#include <QString>
#include <QDialog>
#include <functional>
#include <optional>

class QLineEdit;
class QPushButton;
class QScrollBar;
class QSlider;
class TPaintPanel;

// The window colour of a colour code.
QColor color_code_qcolor(int code);
// An up-down beside an edit: a short vertical scroll bar over lo..hi whose up arrow counts up.
QScrollBar* make_updown(QWidget* parent, const QString& name, int lo, int hi);

class Tcolor_selection : public QDialog {
  Q_OBJECT
 public:
  explicit Tcolor_selection(QWidget* parent = nullptr);

  int color_in = 0;   // the start code
  int color_out = 0;  // the chosen code (the start code after Cancel)
  // The caller's live target: called with each picked code, and with the start code on
  // Cancel. Empty: no live update.
  std::function<void(int code)> live;

  void Set_color_selection(int x, int y);
  // The code's column and row selected (as at the first show).
  void select_code(int code);
  int code() const { return code_; }

  // Grid presses and moves in the grid's own coordinates.
  void pb1MouseDown(int x, int y);
  void pb1MouseMove(int x, int y);

 protected:
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;
  void reject() override;

 private:
  // The typed code, checked on Enter and on leaving the edit.
  bool ed_colEnter();
  void set1Click();

  int code_ = 0;
  bool placed_ = false;
  bool ready_ = false;
  TPaintPanel* pb1 = nullptr;
  QSlider* tr_x1 = nullptr;
  QSlider* tr_y1 = nullptr;
  QLineEdit* ed_col = nullptr;
  QScrollBar* UpDown1 = nullptr;
  QWidget* Panel1 = nullptr;
  QPushButton* set1 = nullptr;
  QPushButton* Button1 = nullptr;
};

// How windows ask for a colour: the chosen code, or nothing after Cancel (the live target has
// then been given the start code back).
class Tcolor_chooser {
 public:
  virtual ~Tcolor_chooser() = default;
  virtual std::optional<int> choose_color(int start, std::function<void(int)> live,
                                          QWidget* parent);
};
Tcolor_chooser& default_color_chooser();
