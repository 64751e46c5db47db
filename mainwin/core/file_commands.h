// The File menu's commands and the file dialog driver open_FILE, which remembers the last
// file, the line end and the insertion place in the settings. No Qt here.
#pragma once
#include <filesystem>
#include <string>

struct TSession;
class TVLM_ui;
class TVLM_command_table;

// What the file dialog shows and what it gives back.
struct TVLM_file_request {
  int mode = 0;
  std::string caption;           // CP932
  std::filesystem::path folder;  // shown first
  std::string file_name;         // CP932; the chosen name on OK
  std::string filter;            // f_sel_filter
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

// The file dialog driver: modes 2 (open), 3, 14, 15 (insert), 4 (save), 5 (save as). The
// chosen file, or empty when cancelled; other modes are logged and give nothing.
std::filesystem::path open_FILE(TSession& s, TVLM_file_chooser& chooser, int mode);

// Registers the File menu: Tags 2 open, 3, 14, 15 insert, 4 save, 5 save as, 99 exit.
void register_file_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                            TVLM_file_chooser& chooser);
