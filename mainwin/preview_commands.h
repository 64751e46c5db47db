// The print preview of the 3D view (Tag 39 of the File menu and the tool bar): the preview
// window in its 3D-view mode over the view's off-screen picture.
#pragma once

class QWidget;
class TVLM_command_table;
class Ttooling_host;
struct TSession;

// The preview keeps its 2D views between openings; the binding-margin item of the main
// window ("menu_chk_left" under `parent`) gives and takes the left-margin choice.
void register_preview_commands(TVLM_command_table& t, TSession& s, Ttooling_host& host,
                               QWidget* parent);
