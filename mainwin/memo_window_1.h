// Tmemo_win: the stay-on-top list window of the program's errors and the picked points.
// Each entry is a text with a kind: an error line (it begins with its 1-based line number),
// a pick line (it keeps the block counter of the pick) or a note (a summary; no jump).
// A double click checks the entry and moves the simulation to its line.
#pragma once
#include <QAbstractListModel>
#include <QWidget>
#include <string>
#include <vector>

class QListView;
class QPushButton;
class QLabel;

// What the main window does for the list.
class MEMO_WIN_HOST {
 public:
  virtual ~MEMO_WIN_HOST() = default;
  // The simulation to block n (jump_to_line_step with its flag set).
  virtual void jump_to_line_step(int n) = 0;
  // The simulation to the line whose number the text begins with.
  virtual void jump_to_line_text(const std::string& text) = 0;
  virtual void activate_main() = 0;
};

enum class MEMO_KIND : int { Error = 0, Pick = 1, Note = 2 };

// The entries as a list model of checkable rows; filled in one go for long lists.
class TMemoModel : public QAbstractListModel {
  Q_OBJECT
 public:
  struct Entry {
    std::string text;  // CP932
    MEMO_KIND kind = MEMO_KIND::Note;
    int value = 0;     // the block counter of a pick
    bool checked = false;
  };
  using QAbstractListModel::QAbstractListModel;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;
  bool setData(const QModelIndex& index, const QVariant& value, int role) override;

  void append(std::vector<Entry> entries);
  void clear();
  void set_checked(int row);
  const Entry& entry(int row) const { return entries_[static_cast<size_t>(row)]; }
  int size() const { return static_cast<int>(entries_.size()); }

 private:
  std::vector<Entry> entries_;
};

class Tmemo_win : public QWidget {
  Q_OBJECT
 public:
  explicit Tmemo_win(MEMO_WIN_HOST* host, QWidget* parent = nullptr);

  QListView* memo1 = nullptr;
  QPushButton* Button2 = nullptr;  // "クリップボードにコピー"
  QPushButton* Button3 = nullptr;  // "クリア"
  QPushButton* Button1 = nullptr;  // "閉じる"

  // A pick line (the 3D view's pick) with the block counter n.
  void Add_memo_win_line(const std::string& text, int n);
  // Error lines of the run and its summary note.
  void add_error_line(const std::string& text);
  void add_note(const std::string& text);
  void add_entries(std::vector<TMemoModel::Entry> entries);
  // Removes every entry (also when a program is loaded, inserted or reloaded).
  void clear_entries();
  int entry_count() const { return model_->size(); }
  TMemoModel& model() { return *model_; }

  void Memo1DblClick();
  void Button2Click();  // copy
  void Button3Click() { clear_entries(); }
  void Button1Click() { hide(); }

 private:
  MEMO_WIN_HOST* host_;
  TMemoModel* model_;
};
