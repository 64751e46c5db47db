// The small number input box and the helpers around it: the desktop folder, the folder
// chooser, placing a window next to the mouse.
#pragma once
#include <QDialog>
#include <QPoint>
#include <QRect>
#include <filesystem>
#include <string>

class TEditEx;
class QPushButton;

// A tool window that stays on top: "数値を入力", the centred edit ed_text (initially "0"),
// OK (BitBtn1, the default button) and Cancel (BitBtn2). Enter in the edit closes it with OK.
class Tinput_num_box : public QDialog {
  Q_OBJECT
 public:
  explicit Tinput_num_box(QWidget* parent = nullptr);

  TEditEx* ed_text = nullptr;
  QPushButton* BitBtn1 = nullptr;
  QPushButton* BitBtn2 = nullptr;

 protected:
  void showEvent(QShowEvent* e) override;  // FormShow: the focus goes to ed_text
};

// The user's desktop folder.
std::filesystem::path get_desktop_folder();

// The folder chooser titled "ﾌｫﾙﾀﾞを選択して下さい。", starting at `initial` (else the
// desktop); the chosen folder, or an empty path when cancelled.
std::filesystem::path browse_for_folder(QWidget* owner, const std::filesystem::path& initial);

// The top-left corner of a w x h window next to the cursor: centred above it with a gap of
// 5, kept on the screen (its left/top edge at least at the screen's, its far edge not past
// the screen's far edge; a window larger than the screen keeps its top-left corner visible).
QPoint place_window_at(QPoint cursor, const QRect& screen, int w, int h);
// The same at the mouse, on the screen under it.
QPoint place_window_at_cursor(int w, int h);

// Shows Tinput_num_box at the mouse (10 pixels right of place_window_at_cursor) with the
// caption and initial text when given; the integer typed, or 2147483647 on Cancel or a text
// that is no integer (after its message).
int input_number_at_cursor(const std::string& caption, const std::string& initial);
