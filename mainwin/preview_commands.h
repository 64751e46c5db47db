// The print preview of the 3D view (Tag 39 of the File menu and the tool bar): the preview
// window in its 3D-view mode over the view's off-screen picture.
#pragma once

class QWidget;
class TVLM_command_table;
class TVLM_ui;
class Ttooling_host;
struct TSession;

// The preview keeps its 2D views between openings. It starts from the display record
// (the binding margin DISP_c_T_SET_LEFT_SPACE, the print quality) and writes its choices
// back into it; the menu marks of margin, quality and 24-bit printing follow.
void register_preview_commands(TVLM_command_table& t, TSession& s, Ttooling_host& host,
                               TVLM_ui& ui, QWidget* parent);
