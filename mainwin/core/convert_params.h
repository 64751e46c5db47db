// The parameters of the NC conversions of a selection or a copy-out: the G91/G90 unit and
// the move/rotate values, asked in their dialogs and kept in the display record. No Qt here.
#pragma once
#include "mainwin/core/small_dialogs.h"
#include "tooling/core/disp_status.h"

struct TSession;
class TVLM_ui;

// The move/rotate dialog's values from the display record for a mode, and back.
MOVE_ROTATE_VALUES move_rotate_values_of(const Tdisp_status& d, int mode);
void take_move_rotate_values(Tdisp_status& d, const MOVE_ROTATE_VALUES& v);

// Asks the parameters of conversion `mode`: 3 to G91, 4 to G90 (the unit of CONV_UNIT),
// others the move/rotate dialog. Refused (false, with its box) for a program with two or
// more program-number lines; the listing's selection is put in order first. True on OK.
bool ask_convert_params(TSession& s, TVLM_ui& ui, int mode);
