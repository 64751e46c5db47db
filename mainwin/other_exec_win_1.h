// Tother_exec_win: the dialog that chooses an external program to run on the NC data, with
// its history and the argument (none, the data shown, or the NC file as it was opened). It
// only collects: the opener writes the temporary file and starts the program.
#pragma once
#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QStatusBar;

class Tother_exec_win : public QDialog {
  Q_OBJECT
 public:
  explicit Tother_exec_win(QWidget* parent = nullptr);

  QComboBox* exec_name = nullptr;
  QGroupBox* rg1 = nullptr;
  QButtonGroup* rg1_items = nullptr;  // ids 0..2
  QPushButton* Button1 = nullptr;     // "実行ファイルの選択"
  QPushButton* Button2 = nullptr;     // "実行"
  QPushButton* Button3 = nullptr;     // "キャンセル"
  QStatusBar* StatusBar1 = nullptr;

  // The argument paths (CP932) that the opener sets: the temporary copy of the data shown
  // and the NC file as it was opened.
  std::string tmp_path;
  std::string nc_path;
  // Seam: the open-file dialog titled "実行ファイルの選択"; an empty path when cancelled.
  std::function<std::filesystem::path(QWidget*)> choose_file;

  int item_index() const;
  void set_item_index(int i);
  std::vector<std::string> exec_items() const;
  void set_exec_items(const std::vector<std::string>& items);
  // The command (CP932), the argument for the chosen item (unquoted) and the line shown.
  std::string command() const;
  std::string argument() const;
  std::string command_line() const;

  void Set_other_exec_command();
  void Button1Click();
  void Button2Click();
};
