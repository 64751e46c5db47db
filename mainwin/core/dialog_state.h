// What the chooser, the find dialog and the external-program dialog remember between uses,
// the history rule of their combo boxes and the placing of a remembered dialog position.
// The session fills these records from the settings file and writes them back. No Qt here.
#pragma once
#include <array>
#include <string>
#include <vector>

// Histories keep at most this many entries, the newest first.
inline constexpr int kHistoryMax = 10;

// Puts `text` first in `items`: an entry equal to it (ASCII letter case ignored when
// `ignore_case`) is removed, else the tenth entry drops out; the new spelling is kept. An
// empty text changes nothing. Returns false when nothing was added.
bool update_history(std::vector<std::string>& items, const std::string& text, bool ignore_case);

// How histories compare: filters ignore ASCII letter case (masks match ignoring it);
// folders and programs compare exactly, since two spellings are two folders here.
inline constexpr bool kFilterHistoryIgnoresCase = true;
inline constexpr bool kFolderHistoryIgnoresCase = false;
inline constexpr bool kProgramHistoryIgnoresCase = false;

// A remembered window corner on a desktop whose available area starts at (ox, oy) and is
// w x h: each coordinate at most the area's far edge - 300 and at least its near edge.
struct DLG_POS {
  int x = 0, y = 0;
};
DLG_POS clamp_dialog_pos(DLG_POS p, int ox, int oy, int w, int h);
// The corner of a w x h dialog centred on a screen area at (ox, oy) of sw x sh: half the
// difference of the sizes, rounded toward zero.
DLG_POS centre_dialog_pos(int ox, int oy, int sw, int sh, int w, int h);

// The file chooser's remembered state (keys f_sel_...).
struct FILE_SEL_SETTINGS {
  int left = 98, top = 127, width = 274, height = 405;
  int name_width = 86, size_width = 66, date_width = 120;
  std::vector<std::string> paths;    // f_sel_path_0..9
  std::vector<std::string> filters;  // f_sel_filter_0..9
  std::string filter = "*.NCD";
  std::string last_file;
  int crlf = 1;     // 1 CR+LF, 2 LF
  int inseart = 1;  // 1 at the cursor line, 2 at the last line
  std::string nst_last_file;
};

// The find command's remembered state (keys Find_diag_...); the texts are upper case.
struct FIND_SETTINGS {
  std::string search_text;
  std::string not_text;
  int left = 0, top = 0;
};

// The external-program dialog's remembered state (keys OTHER_EXEC_...).
struct OTHER_EXEC_SETTINGS {
  std::vector<std::string> names;  // OTHER_EXEC_NAMES_0..9
  int r_num = 0;                   // the argument choice 0..2
  int width = 0;                   // the dialog's width, 0 when never stored
  std::string last_data;           // the program box's text
};
