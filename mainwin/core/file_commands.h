// The File menu's commands and the file dialog driver open_FILE, which remembers the last
// file, the line end and the insertion place in the settings. No Qt here.
#pragma once
#include <filesystem>
#include <string>
#include <vector>

#include "mainwin/core/dialog_state.h"

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// What the file dialog shows and what it gives back. The dialog lists the current folder.
struct TVLM_file_request {
  int mode = 0;
  std::string caption;           // CP932; empty keeps the dialog's own
  std::filesystem::path folder;  // the current folder as the dialog opens
  std::string file_name;         // CP932; the name box's text, in and (on OK) out
  std::string filter;            // f_sel_filter
  // The remembered state (bounds, column widths, histories, filter), in and out: the dialog
  // gives back what it shows as it closes, OK or not.
  FILE_SEL_SETTINGS sel;
  bool filter_enabled = true;
  bool explorer_shown = false;   // the button that opens the current folder
  // The choice of two: hidden when both texts are empty; `choice` 1 or 2.
  std::string choice_label, choice_1, choice_2;
  bool choice_1_shown = false, choice_2_shown = false;
  int choice = 1;
  std::string ok_text;  // the OK button's text, empty for the dialog's own
  std::filesystem::path chosen;  // set by the dialog on OK
};

class TVLM_file_chooser {
 public:
  virtual ~TVLM_file_chooser() = default;
  // Shows the dialog; true on OK with the request's name and choice set.
  virtual bool choose(TVLM_file_request& r) = 0;
};

// The file chooser's remembered state from and to the settings (keys f_sel_...).
FILE_SEL_SETTINGS load_file_sel_settings(TSession& s);
void store_file_sel_settings(TSession& s, const FILE_SEL_SETTINGS& f);

// The file dialog driver: modes 2 (open), 3, 14, 15 (insert), 4 (save), 5 (save as) and 28,
// 29, 30 (a tool file of the configuration folder). The chosen file, or empty when
// cancelled; other modes are logged and give nothing.
std::filesystem::path open_FILE(TSession& s, TVLM_file_chooser& chooser, int mode);

// Registers the File menu: Tags 2 open, 3, 14, 15 insert, 4 save, 5 save as, 99 exit.
// Files dropped on the main window (CP932 paths): the first one opens as the NC program,
// its folder made current, unless it is a work-data or tool file (".WOK", ".NST"). Nothing
// while busy or during the work set-up. True when a program was opened.
bool FileDrop1FileDrop(TSession& s, TVLM_ui& ui, const std::vector<std::string>& files);

void register_file_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                            TVLM_file_chooser& chooser);
