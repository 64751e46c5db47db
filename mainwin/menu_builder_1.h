// Builds the main window's menus, tool bar and listing pop-up from the item table: each
// action is named after its component and carries its Tag; pending and Tag-less items are
// disabled, hidden items built but not shown.
#pragma once
#include <QString>
#include <functional>

#include "mainwin/core/menu_table.h"

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

struct VLM_built_menus {
  QToolBar* toolbar = nullptr;
  QMenu* popup = nullptr;  // p_menu1
};

// The Tag of an action, -1 when it has none.
int action_tag(const QAction* a);

// Adds the menus and the tool bar to `win` and builds the pop-up. `clicked` runs for every
// triggered action with its table item. Items whose component `skip` accepts are not built
// (the window already has them).
VLM_built_menus build_menus_from_table(
    QMainWindow& win, const std::function<void(const VLM_menu_item&, QAction*)>& clicked,
    const std::function<bool(const char*)>& skip = {});

// The action of a component under `win`, or null.
QAction* find_action(QMainWindow& win, const char* component);

#include "mainwin/core/window_ui.h"

// The menus and the tool bar of `win` by component name: the core's calls of them.
class TVLM_menus : public TVLM_menu_ui {
 public:
  explicit TVLM_menus(QMainWindow& win) : win_(win) {}
  bool item_checked(const char* component) override;
  void set_item_checked(const char* component, bool on) override;
  void set_item_caption(const char* component, const std::string& cp932) override;
  void set_item_visible(const char* component, bool on) override;
  void mouse_mode_changed(int mode) override;
  void set_vis_loc(bool on) override;

 private:
  QMainWindow& win_;
};
