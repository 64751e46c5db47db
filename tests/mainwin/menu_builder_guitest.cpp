#include "mainwin/menu_builder_1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <vector>

namespace {

TEST(MenuBuilder, EveryItemIsAnActionWithItsTagKeyAndState) {
  QMainWindow win;
  VLM_built_menus built = build_menus_from_table(win, {});
  ASSERT_NE(built.toolbar, nullptr);
  ASSERT_NE(built.popup, nullptr);
  EXPECT_EQ(built.popup->objectName(), u"p_menu1"_qs);
  for (const VLM_menu_item& it : menu_items()) {
    SCOPED_TRACE(it.component);
    QAction* a = find_action(win, it.component);
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(action_tag(a), it.tag);
    EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(it.shortcut)));
    EXPECT_EQ(a->isVisible(), it.state != VLM_item_state::hidden);
    if (it.state == VLM_item_state::pending || it.state == VLM_item_state::inert)
      EXPECT_FALSE(a->isEnabled());
    else if (it.state == VLM_item_state::enabled)
      EXPECT_TRUE(a->isEnabled());
    EXPECT_EQ(a->isCheckable(), it.checkable);
  }
  EXPECT_EQ(find_action(win, "spmenu_list_st")->parent(), built.popup);
  EXPECT_TRUE(built.toolbar->actions().contains(find_action(win, "spbtn_open")));
}

TEST(MenuBuilder, TriggerReportsItsItemAndSkippedComponentsAreLeftToTheWindow) {
  QMainWindow win;
  QMenu* own = win.menuBar()->addMenu(u"own"_qs);
  own->setObjectName(u"File1"_qs);
  QAction* mine = own->addAction(u"open"_qs);
  mine->setObjectName(u"Open1"_qs);
  std::vector<int> seen;
  build_menus_from_table(
      win, [&](const VLM_menu_item& it, QAction*) { seen.push_back(it.tag); },
      [](const char* c) { return std::string(c) == "Open1"; });
  // The window's own File menu is extended, not doubled.
  EXPECT_EQ(win.menuBar()->findChildren<QMenu*>(u"File1"_qs).size(), 1);
  EXPECT_EQ(find_action(win, "Open1"), mine);
  find_action(win, "TOP1")->trigger();
  find_action(win, "menu_vis_tool")->trigger();
  // A pending item is disabled: nothing.
  for (const VLM_menu_item& it : menu_items())
    if (it.state == VLM_item_state::pending && it.handler == VLM_handler::main) {
      find_action(win, it.component)->trigger();
      break;
    }
  EXPECT_EQ(seen, (std::vector<int>{41, 1}));
  // Exclusive groups: one unit at a time.
  find_action(win, "menu_unit_2")->trigger();
  find_action(win, "menu_unit_4")->trigger();
  EXPECT_FALSE(find_action(win, "menu_unit_2")->isChecked());
  EXPECT_TRUE(find_action(win, "menu_unit_4")->isChecked());
}

}  // namespace
