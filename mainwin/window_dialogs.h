// The dialogs and boxes the core opens over the main window, the clipboard, and the output
// text window (a window of its own, so its pop-up's component names N1, N5, ... do not meet
// the main window's).
#pragma once
#include <memory>

#include "mainwin/core/window_ui.h"

class QWidget;
class TClip_Edit;
class TVLM_file_chooser;
class Ttooling_host;
struct TSession;

class TVLM_window_dialogs : public TVLM_dialog_ui {
 public:
  TVLM_window_dialogs(QWidget* parent, TSession& s, TVLM_file_chooser& chooser,
                      Ttooling_host& tool_host);
  ~TVLM_window_dialogs() override;
  // The output window closes with the main window.
  void close_output();

  std::filesystem::path open_file_dialog(int mode) override;
  int input_number(const std::string& caption, const std::string& initial) override;
  bool clipboard_text(std::string& out, bool& lossless) override;
  void set_clipboard_text(const std::string& cp932) override;
  int find_dialog(FIND_SETTINGS& s) override;
  void show_about() override;
  bool g91_g90_dialog(const std::string& label, bool& use_dot) override;
  bool move_rotate_dialog(MOVE_ROTATE_VALUES& v) override;
  bool other_exec_dialog(OTHER_EXEC_SETTINGS& s, const std::string& tmp_path,
                         const std::string& nc_path) override;
  bool TDH_dialog(TTOOL_TDH_request& r) override;
  bool tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& params) override;
  void show_output(TText_lines& lines, const std::string& caption) override;
  void output_caption(const std::string& caption) override;

 private:
  QWidget* parent_;
  TSession& s_;
  TVLM_file_chooser& chooser_;
  std::unique_ptr<TClip_Edit> clip_edit_;
};
