// TFILE_SELECTION: the program's own modal file chooser. It lists the plain files of the
// current folder that match a filter (name, size, date), keeps histories of folders and
// filters, and returns the chosen name in ed_file. The file dialog driver of the main window
// creates it per use, sets its fields from the settings, shows it and reads them back.
#pragma once
#include <QAbstractTableModel>
#include <QDialog>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "mainwin/core/dialog_state.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/file_list.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QTreeView;
class TEditEx;

// The rows of the chooser's list: name, size, date.
class FileRowModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  void set_rows(std::vector<FILE_ROW> rows);
  void clear() { set_rows({}); }
  const std::vector<FILE_ROW>& rows() const { return rows_; }
  int rowCount(const QModelIndex& parent = {}) const override;
  int columnCount(const QModelIndex& parent = {}) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;

 private:
  std::vector<FILE_ROW> rows_;
};

class TFILE_SELECTION : public QDialog {
  Q_OBJECT
 public:
  explicit TFILE_SELECTION(QWidget* parent = nullptr);

  // Components (object names as named here); the opener shows, hides and relabels them.
  QTreeView* lv1 = nullptr;
  TEditEx* ed_file = nullptr;
  QPushButton* open_btn = nullptr;
  QPushButton* Button3 = nullptr;
  QComboBox* path_name = nullptr;   // Tag 1
  QComboBox* filter_box = nullptr;  // Tag 2
  QPushButton* change_dir_btn = nullptr;
  QLabel* Label_cr = nullptr;
  QRadioButton* radio_1 = nullptr;
  QRadioButton* radio_2 = nullptr;
  QCheckBox* chk_not_close = nullptr;
  QPushButton* Explorer_btn = nullptr;

  // Column widths of the list: kept while the window object lives, stored when it hides.
  int col_width[3] = {120, 60, 120};
  bool listed_once = false;

  // Seams: the clock of the listing and the folder browser.
  std::function<std::uint32_t()> clock;
  std::function<std::filesystem::path(QWidget*, const std::filesystem::path&)> browse;

  // The histories as CP932 texts, newest first.
  std::vector<std::string> path_items() const;
  std::vector<std::string> filter_items() const;
  void set_path_items(const std::vector<std::string>& items);
  void set_filter_items(const std::vector<std::string>& items);
  // The remembered state: bounds (the corner kept 300 pixels inside the desktop), column
  // widths, both histories and the filter in; the same out, as the window holds them now.
  void set_from(const FILE_SEL_SETTINGS& s);
  void store_to(FILE_SEL_SETTINGS& s) const;

  // ed_file's text (CP932) with "\" as "/"; what the opener takes after OK.
  std::string file_name() const;

  // Lists the files of the current folder for the filter (CP932) into lv1.
  void List_files_in_dir(const std::string& filter);
  // The folder box (Tag 1) or the filter box (Tag 2) was chosen.
  void path_nameClick(int tag);
  void change_dir_btnClick();
  void Explorer_btnClick();

  const FILE_LIST& last_listing() const { return listing_; }
  FileRowModel* model() const { return model_; }

  // OK only with a name CP932 can hold (else the box, and the chooser stays open).
  void accept() override;

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  bool eventFilter(QObject* obj, QEvent* e) override;

 private:
  void first_listing();
  void lv1Click(const QModelIndex& index);
  void lv1DblClick(const QModelIndex& index);
  void select_typed_name();

  FileRowModel* model_ = nullptr;
  FILE_LIST listing_;
};

// The file dialog of the main window's file commands: TFILE_SELECTION prepared from the
// request, shown modally, and read back into it.
class TVLM_file_dialog : public TVLM_file_chooser {
 public:
  using Runner = std::function<int(TFILE_SELECTION&)>;
  // `run` shows the dialog (its exec by default; tests answer it themselves).
  explicit TVLM_file_dialog(QWidget* parent, Runner run = {}) : parent_(parent), run_(std::move(run)) {}
  bool choose(TVLM_file_request& r) override;

 private:
  QWidget* parent_;
  Runner run_;
};
