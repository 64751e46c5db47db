// Tfind_diag: the small modal dialog of the NC text search. It takes a pattern that a line
// must contain and one that it must not, and answers with the search wanted: backwards
// (Ignore), forwards (OK), list all (All) or nothing (Cancel).
#pragma once
#include <QDialog>
#include <functional>
#include <string>

#include "mainwin/core/find_ncd.h"

class QLabel;
class QPushButton;
class TEditEx;

class Tfind_diag : public QDialog {
  Q_OBJECT
 public:
  explicit Tfind_diag(QWidget* parent = nullptr);

  TEditEx* Edit1 = nullptr;  // lines containing
  TEditEx* Edit2 = nullptr;  // lines not containing
  QPushButton* Button1 = nullptr;  // "↑前検索": FIND_DLG_IGNORE
  QPushButton* Button2 = nullptr;  // "↓次検索": FIND_DLG_OK
  QPushButton* Button3 = nullptr;  // "一覧表示": FIND_DLG_ALL
  QPushButton* Button4 = nullptr;  // "キャンセル": FIND_DLG_CANCEL

  // The patterns (CP932); they outlive the edits.
  std::string include_text;
  std::string exclude_text;

  // Ends with a result code; a search with a pattern CP932 cannot hold is refused.
  void done(int r) override;
  void reject() override { done(FIND_DLG_CANCEL); }

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
};

// The find command's dialog: placed at the remembered position (kept on the available
// desktop), filled from `s`, run by `exec` (the modal loop; tests pass their own), then
// its position and both patterns, upper-cased, go back into `s`. Returns its result.
using DialogRunner = std::function<int(QDialog&)>;
int open_find_dialog(QWidget* parent, FIND_SETTINGS& s, const DialogRunner& exec = {});
