// The display settings command of the main window and what follows a change of the display
// record: derived colours, the view's background, a full redraw. No Qt.
#pragma once

struct TSession;
struct Tdisp_status;
class TVLM_ui;
class TVLM_command_table;

// The display settings dialog on a copy of the record; true on OK with the copy edited.
class TVLM_extra_setup_dialog {
 public:
  virtual ~TVLM_extra_setup_dialog() = default;
  virtual bool run(Tdisp_status& copy) = 0;
};

// Recomputes the derived colours of the session's display record, gives the view its
// background and redraws it completely.
void apply_EXTRA_SETUP(TSession& s, TVLM_ui& ui);
// Edits a copy of the display record; on OK the copy becomes the record and is applied.
bool open_EXTRA_SETUP(TSession& s, TVLM_ui& ui, TVLM_extra_setup_dialog& dlg);

void register_work_setting_commands(TVLM_command_table& t, TSession& s, TVLM_ui& ui,
                                    TVLM_extra_setup_dialog& dlg);
