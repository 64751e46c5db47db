#include "mainwin/core/menu_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

namespace {

using H = VLM_handler;

struct Expected {
  H handler;
  int tag;
  const char* component;
  const char* shortcut;
};

// The components with their Tags and keys, as users and the stored key habits know them.
const Expected kExpected[] = {
    {H::main, 1, "New1", "Ctrl+N"},        {H::main, 1, "spbtn_new", ""},
    {H::main, 2, "Open1", "Ctrl+O"},       {H::main, 2, "spbtn_open", ""},
    {H::main, 3, "spbtn_append", ""},      {H::main, 14, "N4", "Ctrl+I"},
    {H::main, 15, "N5", "Ctrl+E"},         {H::main, 4, "Save1", "Ctrl+W"},
    {H::main, 4, "spbtn_save", ""},        {H::main, 5, "SaveAs1", ""},
    {H::main, 5, "spbtn_save_with_name", ""}, {H::main, 8, "Find2", "Ctrl+F"},
    {H::main, 8, "spbtn_find", ""},        {H::main, 9, "N7", "F3"},
    {H::main, 9, "spbtn_find_next", ""},   {H::main, 10, "N6", "Ctrl+P"},
    {H::main, 10, "spbtn_find_back", ""},  {H::main, 11, "menu_zoom", "Ctrl+S"},
    {H::main, 11, "spbtn_zoom", ""},       {H::main, 12, "PANP1", "Ctrl+M"},
    {H::main, 12, "spbtn_pan", ""},        {H::main, 13, "ROTATER1", "Ctrl+R"},
    {H::main, 13, "spbtn_rotate", ""},     {H::main, 30, "ZOOMOVEV1", "Ctrl+Q"},
    {H::main, 30, "spbtn_zoomove", ""},    {H::main, 31, "spbtn_location", ""},
    {H::main, 16, "FITA1", "Ctrl+A"},      {H::main, 16, "spbtn_fit", ""},
    {H::main, 32, "REDRAWD1", "Ctrl+D"},   {H::main, 32, "spdbtn_redraw", ""},
    {H::main, 34, "spbtn_clip", ""},       {H::main, 41, "TOP1", "Ctrl+1"},
    {H::main, 42, "FRONT1", "Ctrl+2"},     {H::main, 43, "ISO1", "Ctrl+3"},
    {H::main, 44, "RIGHT1", "Ctrl+4"},     {H::main, 18, "menu_tool_set", ""},
    {H::main, 51, "menu_tool_list_1", ""}, {H::main, 28, "M1", ""},
    {H::main, 29, "N11", ""},              {H::main, 19, "menu_path_color_set", ""},
    {H::main, 33, "menu_extra_set", ""},   {H::main, 39, "orBMP1", ""},
    {H::main, 39, "spbtn_print_setup", ""}, {H::main, 20, "N9", "Ctrl+J"},
    {H::main, 20, "spbtn_jump_line", ""},  {H::main, 22, "menu_vis_err_win", ""},
    {H::main, 23, "N8", "Ctrl+Y"},         {H::main, 23, "menu_delete_line", ""},
    {H::main, 24, "menu1_l", ""},          {H::main, 25, "menu1_m", ""},
    {H::main, 26, "menu1_s", ""},          {H::main, 27, "menu_vis_controler", ""},
    {H::main, 35, "N18", ""},              {H::main, 36, "N19", "Ctrl+Home"},
    {H::main, 37, "N20", "Ctrl+End"},      {H::main, 38, "menu_hi_speed_interval", ""},
    {H::main, 45, "N34", ""},              {H::main, 96, "dump1", ""},
    {H::main, 99, "Exit1", ""},            {H::main, 6, "Print1", ""},
    {H::main, 6, "spbtn_print", ""},       {H::main, 17, "menu_work_set", ""},
    {H::list_popup, 1, "spmenu_list_st", ""}, {H::list_popup, 2, "spmenu_list_en", ""},
    {H::list_popup, 3, "spmenu_list_reset", ""}, {H::list_popup, 4, "menu_preset_center", ""},
    {H::list_popup, 5, "menu_ins_dammy_TOOL", ""}, {H::list_popup, 6, "menu_ins_dammy_color", ""},
    {H::list_popup, 8, "menu_ins_clip_text", ""}, {H::list_popup, 10, "spmenu_sel_start", ""},
    {H::list_popup, 19, "spmenu_selend_lock", ""}, {H::list_popup, 11, "spmenu_sel_to_delete", ""},
    {H::list_popup, 12, "spmenu_select_cancel", ""}, {H::list_popup, 13, "N30", ""},
    {H::list_popup, 14, "spmenu_sel_to_clipboard", ""}, {H::list_popup, 20, "MM_20_subpro_out", ""},
    {H::list_popup, 33, "MM_33_G91", ""},  {H::list_popup, 34, "MM_34_G90", ""},
    {H::list_popup, 35, "MM_35_ROTATE", ""}, {H::list_popup, 36, "MM_36_MOVE", ""},
    {H::list_popup, 37, "MM_37_X_MIRROR", ""}, {H::list_popup, 38, "MM_38_Y_MIRROR", ""},
    {H::list_popup, 39, "MM_39_ROTATE_90", ""}, {H::list_popup, 40, "MM_40_ROTATE_180", ""},
    {H::list_popup, 15, "spmenu_sel_to_G91", ""}, {H::list_popup, 16, "spmenu_sel_to_G90", ""},
    {H::list_popup, 17, "spmenu_sel_to_rotate", ""}, {H::list_popup, 18, "spmenu_sel_to_move", ""},
    {H::list_popup, 21, "spmenu_sel_to_joint", ""}, {H::list_popup, 22, "spmenu_sel_to_path_delete", ""},
    {H::display, 1, "menu_vis_tool", ""},  {H::display, 2, "menu_vis_holder", ""},
    {H::display, 5, "menu_chk_cursor_path", ""}, {H::display, 7, "menu_vis_ABC", ""},
    {H::display, 8, "menu_invis_G00", ""}, {H::display, 9, "menu_path_Fsokudo", ""},
    {H::display, 10, "menu_path_Gcode", ""}, {H::display, 11, "menu_path_T_num", ""},
    {H::display, 12, "menu_vis_loc", ""},  {H::display, 13, "menu_TOOL_CHANGE_T", ""},
    {H::display, 14, "menu_vis_boundary", ""}, {H::display, 15, "menu_unit_1", ""},
    {H::display, 16, "menu_unit_2", ""},   {H::display, 17, "menu_unit_3", ""},
    {H::display, 18, "menu_unit_4", ""},   {H::display, 19, "menu_unit_5", ""},
    {H::display, 21, "menu_saving_err_data", ""}, {H::display, 22, "menu_hi_quality", ""},
    {H::display, 23, "menu_normal_quality", ""}, {H::display, 24, "menu_chk_upper", ""},
    {H::display, 25, "menu_chk_left", ""}, {H::display, 26, "menu_TOOL_draw_at_BACKSCREEN", ""},
    {H::display, 27, "menu_saving_opengl_data", ""}, {H::display, 28, "menu_select_24pf", ""},
    {H::display, 29, "menu_select_16pf", ""}, {H::display, 30, "menu_undef_ncd_is_noerr", ""},
    {H::display, 31, "menu_invis_menu_mode", ""}, {H::display, 32, "menu_enabled_G4x", ""},
    {H::display, 33, "menu_chk_seeTh_path", ""}, {H::display, 34, "menu_chk_up_BALL_R", ""},
    {H::simulation, 1, "MMW01_vis_work", ""}, {H::simulation, 2, "MMW02_vis_ZIGU", ""},
    {H::simulation, 3, "MMW03_setup_work", ""}, {H::simulation, 4, "MMW04_CUTTING_SW", ""},
    {H::simulation, 5, "MMW05_HOLDER_CHECK", ""}, {H::simulation, 6, "MMW06_VIS_CUTTING_TOOL", ""},
    {H::simulation, 7, "MMW07_VIS_SOLID_OF_TOOL", ""}, {H::simulation, 8, "MMW08_SeeTh_of_WORK", ""},
    {H::simulation, 9, "MMW09_rotate_tool", ""}, {H::simulation, 10, "MMW10_high_quality", ""},
    {H::simulation, 11, "MMW11_CUTTING_AT_ZIGU", ""}, {H::simulation, 12, "MMW12_SeeTh_OF_TOOL", ""},
    {H::simulation, 13, "MMW13_SAVE_ALL_WORKS", ""}, {H::simulation, 14, "MMW14_DELETE_ALL_WORKS", ""},
    {H::simulation, 15, "MMW15_RESET_ALL_WORKS", ""}, {H::simulation, 16, "MMW16_ZIGU_RECT_CHK", ""},
    {H::simulation, 17, "MMW17_RED_FLASH", ""}, {H::simulation, 18, "MMW18_READ_ALL_WORKS", ""},
    {H::simulation, 19, "MMW19_NG_ERR_STOP", ""}, {H::simulation, 20, "MMex20_AutoSetWork", ""},
    {H::simulation, 21, "MMex21_no_AutoSet", ""}, {H::simulation, 22, "MMex22_AutoSet_JustSize", ""},
    {H::simulation, 23, "MMex23_AutoSet_Add10mm", ""},
    {H::display, 20, "menu_unit", ""},
    {H::help, 4, "MM_Version", ""},        {H::help, 95, "MM95_HELP", ""},
    {H::help, 96, "MM96_HOME_PAGE", ""},   {H::help, 97, "MM97_MAIL", ""},
};

TEST(MenuTable, EveryComponentHasItsTagHandlerAndKey) {
  for (const Expected& e : kExpected) {
    SCOPED_TRACE(e.component);
    const VLM_menu_item* it = find_menu_item(e.component);
    ASSERT_NE(it, nullptr);
    EXPECT_EQ(it->handler, e.handler);
    EXPECT_EQ(it->tag, e.tag);
    EXPECT_STREQ(it->shortcut, e.shortcut);
  }
  EXPECT_EQ(menu_items().size(), std::size(kExpected));
}

TEST(MenuTable, ComponentsAndKeysAreUniqueAndEveryItemIsCaptioned) {
  std::set<std::string> names, keys;
  for (const VLM_menu_item& it : menu_items()) {
    SCOPED_TRACE(it.component);
    EXPECT_TRUE(names.insert(it.component).second);
    if (*it.shortcut) EXPECT_TRUE(keys.insert(it.shortcut).second);
    EXPECT_NE(std::string(it.caption), "");
  }
}

TEST(MenuTable, EveryTagHasACommandOrIsShownDisabled) {
  for (const VLM_menu_item& it : menu_items()) {
    SCOPED_TRACE(it.component);
    if (it.state == VLM_item_state::inert)
      EXPECT_FALSE(tag_has_command(it.handler, it.tag));
    else if (it.state != VLM_item_state::hidden)
      EXPECT_TRUE(tag_has_command(it.handler, it.tag));
    EXPECT_EQ(it.state == VLM_item_state::pending, std::string(it.waits_for) != "");
  }
  // Tags without a command in the main handler do nothing.
  for (int tag : {0, 6, 7, 17, 40, 46, 50, 52, 95, 97, 98})
    EXPECT_FALSE(tag_has_command(VLM_handler::main, tag)) << tag;
  // Tags are per handler: 1 is New here and the redraw start in the pop-up.
  EXPECT_TRUE(tag_has_command(VLM_handler::list_popup, 1));
  EXPECT_FALSE(tag_has_command(VLM_handler::display, 3));
}

TEST(MenuTable, HiddenItemsStayHidden) {
  for (const char* name : {"dump1", "menu_work_set", "menu_saving_opengl_data", "spmenu_sel_to_G91",
                           "spmenu_sel_to_G90", "spmenu_sel_to_rotate", "spmenu_sel_to_move",
                           "spmenu_sel_to_joint", "spmenu_sel_to_path_delete"}) {
    const VLM_menu_item* it = find_menu_item(name);
    ASSERT_NE(it, nullptr) << name;
    EXPECT_EQ(it->state, VLM_item_state::hidden) << name;
  }
}

// The lists the work set-up and the menu-hiding mode act on name only what the window
// builds from the table: a name that is not built would be silently left alone.
TEST(MenuTable, TheSetUpAndTheMenuHidingNameBuiltComponents) {
  for (const auto* list : {&work_setup_disabled_components(), &menu_mode_hidden_components()}) {
    EXPECT_FALSE(list->empty());
    for (const char* name : *list) EXPECT_TRUE(menu_component_built(name)) << name;
  }
  for (const char* gone : {"N1", "N28", "NCD_COPY_OUT", "N22", "insatu1", "VLM_maintenance", "NCdata2"})
    EXPECT_FALSE(menu_component_built(gone)) << gone;
  // The set-up keeps the settings menu (its unit switch re-reads the program) closed; the
  // menu-hiding mode hides every copy-out item of the File menu.
  const auto& setup = work_setup_disabled_components();
  EXPECT_NE(std::find_if(setup.begin(), setup.end(), [](const char* n) { return std::string(n) == "Setting1"; }),
            setup.end());
  const auto& hidden = menu_mode_hidden_components();
  for (const VLM_menu_item& it : menu_items())
    if (it.place == VLM_place::file && it.handler == VLM_handler::list_popup)
      EXPECT_NE(std::find_if(hidden.begin(), hidden.end(),
                             [&](const char* n) { return std::string(n) == it.component; }),
                hidden.end())
          << it.component;
}

}  // namespace
