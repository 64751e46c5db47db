// The main window of tabulon: an NC file dropped on it is converted with the selected
// definition, its check files are written and velmor is started on them. Its widgets are
// private; each carries its component name as object name (tests find them by it), the
// buttons, menu items and the definition box their Tag.
#pragma once
#include <QMainWindow>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "tabulon/core/tabulon_view.h"
#include "tabulon/core/tb_setup.h"

class QAction;
class QBoxLayout;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTextEdit;
class TEditEx;
class Tdeb;
class Tselect_editor;

class TTabulon_main : public QMainWindow, public TTabulon_view {
  Q_OBJECT
 public:
  explicit TTabulon_main(QWidget* parent = nullptr);
  ~TTabulon_main() override;
  static const char* const kCaption;
  static const char* const kSection;  // of the INI file
  // The designed size of the window.
  static constexpr int kDesignedWidth = 396, kDesignedHeight = 428;

  // ---- TTabulon_view
  void clear_display() override;
  void log_line(const std::string& text) override;
  void log_emph(const std::string& text) override;
  void trace_line(const std::string& text) override;
  std::string caption() override { return caption_; }
  void set_caption(const std::string& text) override;
  void combo_clear() override;
  void combo_add(const std::string& item) override;
  std::string combo_text() override { return combo_text_; }
  void set_combo_text(const std::string& text) override;
  std::string field(TB_field f) override;
  void set_field(TB_field f, const std::string& text) override;
  bool checked(TB_check c) override;
  void definitions_changed() override { make_settei_menu(); }

  // ---- handlers
  // Every button, COMBO_TB's change and the menu items, by the sender's Tag.
  void MainMenuClick(QObject* sender);
  // True when MainMenuClick has a command for the Tag.
  static bool has_command(int tag);
  void chk_Onum_NCD_SAVEClick();
  // The files of a drop, in the order they came.
  void drop_files(const std::vector<std::filesystem::path>& files);

  void load_ini();
  void save_ini();
  void make_settei_menu();
  void open_with_editor(const std::string& file);

  // The INI file (the executable's name with ".ini", in the data folder).
  std::filesystem::path ini_path;
  // The folder of the set-up list (data folder + "/"), fixed at the first show.
  std::string setup_folder;
  // Folder chooser of Tags 9003 and 9004: the chosen folder, "" when cancelled.
  std::function<std::string()> select_folder;
  // The check NC file of the last conversion.
  std::filesystem::path check_file;
  // Where velmor is looked for: beside tabulon's own executable (in an installation that is
  // not the data folder).
  std::filesystem::path program_folder;

  TTB_setup setup{*this};

 protected:
  void showEvent(QShowEvent* ev) override;
  void closeEvent(QCloseEvent* ev) override;
  void dragEnterEvent(QDragEnterEvent* ev) override;
  void dropEvent(QDropEvent* ev) override;

 private:
  // A command of MainMenuClick: the handler of one Tag.
  using Command = void (TTabulon_main::*)(QObject* sender);
  struct CommandRow {
    int tag;
    Command run;
  };
  static const CommandRow kCommands[];

  // The form, top to bottom: each builder adds its rows to the window's column.
  void build_definition_row(QBoxLayout* column);
  void build_number_rows(QBoxLayout* column);
  void build_folder_groups(QBoxLayout* column);
  void build_buttons(QBoxLayout* column);
  void build_log(QBoxLayout* column);
  void build_menus();
  void connect_controls();

  // The commands, by Tag.
  void edit_editor_choice(QObject*);    // 11
  void open_settei_file(QObject* item);  // 21
  void open_settei_folder(QObject* item);  // 22
  void select_definition(QObject*);     // 1001
  void clear_log(QObject*);             // 9001
  void open_output_folder(QObject*);    // 9002
  void choose_output_folder(QObject*);  // 9003
  void choose_check_folder(QObject*);   // 9004
  void open_check_folder(QObject*);     // 9005
  void reload_setup(QObject*);          // 9006

  void add_settei_menu(const std::string& caption, const std::string& hint, int tag = 21);
  void append_log(const std::string& text, bool emph);
  QLineEdit* edit_of(TB_field f);
  void start_velmor();

  Tselect_editor* select_editor = nullptr;
  Tdeb* deb = nullptr;

  QComboBox* COMBO_TB = nullptr;
  TEditEx* D_ext = nullptr;
  TEditEx* D_O_num = nullptr;
  TEditEx* D_START_X = nullptr;
  TEditEx* D_START_Y = nullptr;
  TEditEx* D_START_Z = nullptr;
  QCheckBox* chk_Onum_NCD_SAVE = nullptr;
  QLineEdit* D_ncd_output_dir = nullptr;
  QCheckBox* D_chk_vlm_exe = nullptr;
  QLineEdit* D_vlm_chk_dir = nullptr;
  QLabel* Label1 = nullptr;
  QLabel* Label7 = nullptr;
  QPushButton* btn_9001 = nullptr;
  QPushButton* Btn_9002 = nullptr;
  QPushButton* Btn_9003 = nullptr;
  QPushButton* Btn_9004 = nullptr;
  QPushButton* Btn_9005 = nullptr;
  QPushButton* Btn_9006 = nullptr;
  QTextEdit* RichEdit1 = nullptr;
  QAction* N1 = nullptr;
  QMenu* menu_settei = nullptr;

  bool shown_ = false;
  std::string caption_;
  std::string combo_text_;
  std::vector<std::string> combo_items_;
};
