// The NC text search of the main window: the next or previous line that contains one pattern
// and not the other, or a list of every such line. No Qt here.
#pragma once
#include <string>
#include <vector>

#include "mainwin/core/dialog_state.h"

struct NCD_DATA;

// Result codes of the find dialog.
enum : int { FIND_DLG_OK = 1, FIND_DLG_CANCEL = 2, FIND_DLG_IGNORE = 5, FIND_DLG_ALL = 8 };

// What the search asks of the windows. The default does nothing (the dialog answers Cancel).
class FIND_HOST {
 public:
  virtual ~FIND_HOST() = default;
  // Shows the find dialog on `s` (position and both patterns in and out); returns its result.
  virtual int open_find_dialog(FIND_SETTINGS& s);
  // The simulation went to `line`: redraw from step 0, refresh the control panel and listing.
  virtual void line_found(int line);
  // The search-result window is cleared and shows `lines` under `caption`.
  virtual void list_hits(const std::string& caption, std::vector<std::string>&& lines);
};
FIND_HOST& null_find_host();

// Modes of find_in_NCD.
enum : int { FIND_DIALOG = 1, FIND_BACKWARD = 2, FIND_FORWARD = 3, FIND_LIST_ALL = 4 };

// A line matches when it does not contain the exclude pattern (or that is empty) and does
// contain the include pattern (or that is empty); "*" and "?" are wildcards.
bool find_line_matches(std::string_view line, const FIND_SETTINGS& s);

// The first matching line after (forward) or before (backward) `from`, or -1. Escape is
// polled every 65,536 lines; *aborted tells that it stopped the search.
int find_NCD_line(const NCD_DATA& d, int from, bool forward, const FIND_SETTINGS& s,
                  bool* aborted = nullptr);
// Every matching line as "%7d : %s" (1-based number, text), until Escape.
std::vector<std::string> find_all_NCD_lines(const NCD_DATA& d, const FIND_SETTINGS& s,
                                            bool* aborted = nullptr);

// The find command: mode 1 shows the dialog and runs what it answers; 2 backward and 3
// forward from the current line go to the line found (a miss says so); 4 lists every hit.
// Returns the line found, or -1. Nothing is searched while both patterns are empty.
int find_in_NCD(NCD_DATA& d, FIND_SETTINGS& s, int mode, FIND_HOST& host = null_find_host());
