// What the core of tabulon needs from its main window: the log pane, the hidden trace
// window, the caption, the definition combo box and the fields of a conversion. The window
// implements it; tests fake it. Texts are CP932 byte strings; a text may hold "\r\n" line
// breaks.
#pragma once
#include <string>

enum class TB_field {
  D_ext,
  D_O_num,
  D_START_X,
  D_START_Y,
  D_START_Z,
  D_ncd_output_dir,
  D_vlm_chk_dir,
};

enum class TB_check {
  chk_Onum_NCD_SAVE,  // copy the dropped file under its first O-number
  D_chk_vlm_exe,      // write the check files for velmor
};

class TTabulon_view {
 public:
  virtual ~TTabulon_view() = default;

  // Log pane: empties it (and the trace) and writes the drop prompt.
  virtual void clear_display() = 0;
  // A black line.
  virtual void log_line(const std::string& text) = 0;
  // An empty line, then the text in red bold.
  virtual void log_emph(const std::string& text) = 0;

  // Trace window.
  virtual void trace_line(const std::string& text) = 0;

  virtual std::string caption() = 0;
  virtual void set_caption(const std::string& text) = 0;

  // COMBO_TB: its items (the text stays when they are cleared) and its text.
  virtual void combo_clear() = 0;
  virtual void combo_add(const std::string& item) = 0;
  virtual std::string combo_text() = 0;
  virtual void set_combo_text(const std::string& text) = 0;

  virtual std::string field(TB_field f) = 0;
  virtual void set_field(TB_field f, const std::string& text) = 0;
  virtual bool checked(TB_check c) = 0;

  // The definitions were read anew (the settings menu follows them).
  virtual void definitions_changed() {}
};
