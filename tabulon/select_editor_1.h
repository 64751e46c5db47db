// The dialog that chooses the editor for the set-up and definition files: the program that
// the desktop associates with the file, or a given program.
#pragma once
#include <QDialog>
#include <functional>
#include <string>

class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

class Tselect_editor : public QDialog {
  Q_OBJECT
 public:
  explicit Tselect_editor(QWidget* parent = nullptr);

  void RB_0Click();
  void RB_1Click();
  // Runs the open dialog and puts the chosen file into Edit1.
  void Button1Click();

  // The open dialog "エディタの選択" (its OK button reads "選択"); returns the chosen file
  // or "" when cancelled. Tests replace it.
  std::function<QString()> OpenDialog1;

  QLabel* Panel1 = nullptr;
  QRadioButton* RB_0 = nullptr;
  QRadioButton* RB_1 = nullptr;
  QLineEdit* Edit1 = nullptr;
  QPushButton* Button1 = nullptr;
  QPushButton* OK = nullptr;
  QPushButton* Cancel = nullptr;
};
