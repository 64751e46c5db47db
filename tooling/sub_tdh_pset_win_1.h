// TSUB_TDH_PSET_win: the new T, D and H codes of one tool's cut-out, with the preview of
// the cut-out's comment line. Built in code; made per use by its opener, which checks the
// numbers it returns.
#pragma once
#include <QDialog>
#include <string>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

struct TTOOL_TDH_request;

class TSUB_TDH_PSET_win : public QDialog {
  Q_OBJECT
 public:
  explicit TSUB_TDH_PSET_win(QWidget* parent = nullptr);

  // Set by the opener: "( %2d : T%s %s" with the use's number, T and D/H texts, and the
  // tool's name (CP932).
  std::string comment_prefix;
  std::string tool_name;
  // The preview line from the prefix, the name and chk_No_Name.
  void update_TDH_comment();

  // The dialog filled from a tool use's request: its codes beside the labels, their numbers
  // in the edits, the preview's prefix and name; a code the use lacks has its row hidden.
  void set_request(const TTOOL_TDH_request& r);
  // The typed numbers and chk_No_Name back into the request (the hidden rows untouched).
  void get_request(TTOOL_TDH_request& r) const;

  QLabel* Label_COMMENT = nullptr;
  QLabel* Label_T = nullptr;  // the use's present codes
  QLabel* Label_D = nullptr;
  QLabel* Label_H = nullptr;
  QLineEdit* Edit_T = nullptr;
  QLineEdit* Edit_D = nullptr;
  QLineEdit* Edit_H = nullptr;
  QLabel* Arrow_T = nullptr;  // "→ T", "→ D", "→ H"
  QLabel* Arrow_D = nullptr;
  QLabel* Arrow_H = nullptr;
  QCheckBox* chk_No_Name = nullptr;
  QPushButton* btn_OK = nullptr;
  QPushButton* Button1 = nullptr;  // Cancel

 protected:
  void showEvent(QShowEvent* e) override;
};
