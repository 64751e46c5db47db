// The display and print settings of the main window: background, the 16 path-colour rows,
// tool drawing and tool-list options, tool-check texts, preview, external programs and the
// copy-out parameters. The main window keeps one; the settings windows edit copies of it.
// Colour codes are the 6-bit codes of common/ats_func.h; their RGBA bytes and window
// colours are derived by update_disp_colors(). The settings file (mainwin/core) fills it.
// No Qt here.
#pragma once
#include <array>
#include <cstdint>
#include <string>

inline constexpr int DISP_PATH_ROWS = 16;      // path-colour rows 0..15
inline constexpr int DISP_FEED_BAND_ROWS = 8;  // rows 1..8 are the feed bands
inline constexpr int DISP_OTHER_EXEC_COUNT = 10;

// One path-colour row.
struct TPATH_COLOR_ROW {
  float sokudo = 0;            // feed limit (mm/min)
  std::int32_t color = 0;      // colour code
  std::uint8_t rgba[4] = {};   // derived, alpha 255
  std::int32_t style = 0;      // line style
  std::int32_t width = 0;      // line width on screen
  std::int32_t p_width = 0;    // line width in print
};

struct Tdisp_status {
  float AGAP = 0;  // tool drawing margin
  std::int32_t BACK_color = 0;
  std::uint8_t BACK_rgba[4] = {};
  std::uint32_t BACK_tcolor = 0;
  std::array<TPATH_COLOR_ROW, DISP_PATH_ROWS> path{};
  std::int32_t band_count = 0;  // valid feed bands, derived (count_feed_bands)

  // dimensioned tool drawings
  std::int32_t C_DIM_C = 0;
  float C_DIM_H = 0;
  std::int32_t C_DIM_SW = 0;
  float C_DIM_LENG = 0, C_ARROW = 0, C_GAP = 0;
  std::int32_t C_SENHABA = 0;

  // tool-list window
  std::int32_t T_SET_F_SIZE = 0, T_SET_W_SIZE = 0, T_SET_H_SIZE = 0, T_SET_W_MAX = 0;
  std::uint8_t T_SET_DB_CHK = 0, T_SET_INVIS_NOITEM = 0, T_SET_ROTATE = 0, T_SET_LEFT_SPACE = 0,
               T_SET_CHK_USE_TURN = 0, T_SET_CHK_TOOL = 0, T_SET_PRN_PATH = 0,
               T_SET_CHK_PRNDATA = 0, T_SET_TL_PREV_CHK = 0, T_SET_ISO9000_CHK = 0;
  std::int32_t T_SET_LEFT = 0, T_SET_TOP = 0, T_SET_WIDTH = 0, T_SET_HEIGHT = 0;
  // tool-check program texts
  std::string TCOND_O_num, TCOND_PRE_M6_str, TCOND_M6_str, TCOND_INIT_str, TCOND_X_str,
      TCOND_Y_str, TCOND_Z_str, TCOND_F_str;
  std::uint8_t TCOND_NONAME = 0;
  std::int32_t PATH_COLOR_TAB = 0;  // page of the path-colour window

  // marks of the 3D view
  float XYZ_ORG_height = 0;
  std::int32_t XYZ_ORG_width = 0, XYZ_ORG_color = 0;
  std::uint8_t XYZ_ORG_rgba[4] = {};
  std::int32_t BOX_color = 0;
  std::uint8_t BOX_rgba[4] = {};
  float dim_height = 0;
  std::int32_t dim_color = 0;
  std::uint8_t dim_rgba[4] = {};
  std::uint8_t dim_in_area = 0;
  std::int32_t LOC_color = 0;
  std::uint32_t LOC_tcolor = 0;
  std::int32_t LOC_height = 0;
  std::int32_t SEL_ENT_color = 0;
  std::uint8_t SEL_ENT_rgba[4] = {};

  // path and tool display
  std::int32_t LIMIT_LINES = 0;  // path line limit
  std::uint8_t TOOL_DRAW_AT_BG = 0, VIS_TOOL = 0, VIS_HOLDER = 0, VIS_OPT_ABC = 0,
               INVIS_G00 = 0;
  std::int32_t PATH_COLORING = 0;  // 0 by feed, 1 by G code, 2 by tool
  std::uint8_t cursor_path_flag = 0;
  float CLIP_ANGLE = 0, CLIP_GAP = 0;
  std::uint8_t clip_on = 0;  // the clipping switch of the tool bar (not stored)
  std::uint8_t NG_ERR_STOP = 0, VIS_LOC_FLAG = 0;
  float TOOL_DRAW_MINIMAM_L = 0;
  std::int32_t INTERVAL_REDRAW_LIST = 0;
  std::uint8_t VIS_BOUNDARY = 0, CHK_SEETH_PATH = 0, CHK_UP_BALL_R = 0, SIM_VIS_WORK = 0,
               SIM_CALC_HOLDER = 0, SIM_VIS_TOOL = 0, SIM_TOOL_SOLID = 0, SIM_TOOL_ROTATE = 0,
               SIM_HIGH_DETAIL = 0, SIM_CUTTING_MODE = 0;
  std::int32_t SIM_SEETH_LV_WORK = 0, SIM_SEETH_LV_TOOL = 0;

  // work set-up
  std::uint8_t WSW_MANUAL_CUTMODE = 0;
  std::int32_t AUTO_SET_WORK_MODE = 0;
  std::uint8_t WSW_SEETH_MODE = 0, WSW_HighDetail = 0, WSW_MatrixLine = 0;
  std::int32_t WSW_offset_Z = 0, WSW_cut_Z = 0, WSW_MAT_COLNUM = 0, WSW_TOP = 0, WSW_LEFT = 0;

  // general
  std::uint8_t SAVING_ERR_DATA = 0, SAVING_OPENGL_DATA = 0, INVIS_MENU_MODE = 0;

  // preview and printing
  std::uint8_t PREV_GRAY_SCALE = 0, PREV_PROGRESSIVE = 0, PREV_ROTATE = 0, PREV_WHITE = 0;
  std::int32_t PREV_JPEG_COMPRESS = 0, PREV_X_SIZE = 0, PREV_Y_SIZE = 0, PREV_TEXT_SIZE = 12;
  std::uint8_t POUT_HI_QUALITY = 0, POUT_SELECT_24PF = 0, PREV_VIS_DATA = 0;
  std::int32_t CONV_UNIT = 0;

  // external programs
  std::int32_t OTHER_EXEC_R_NUM = 0;
  std::array<std::string, DISP_OTHER_EXEC_COUNT> OTHER_EXEC_NAMES;
  std::int32_t OTHER_EXEC_WIDTH = 0;
  std::string OTHER_EXEC_LAST_DATA;

  // copy-out conversions
  float COPY_IX = 0, COPY_IY = 0, COPY_IZ = 0;
  std::int32_t COPY_TIMES_M = 0;
  float COPY_CX = 0, COPY_CY = 0, COPY_IA = 0;
  std::int32_t COPY_TIMES_R = 0;
  float AP_LENGTH_1 = 0, AP_SOKUDO_1 = 0, AP_LENGTH_2 = 0, AP_SOKUDO_2 = 0, AP_ANGLE_2 = 0,
        JOINT_SOKUDO = 0, JOINT_GAP = 0, POSITIONING_Z = 0;
};

// The RGBA bytes (alpha 255) and window colours that follow from the colour codes:
// background, box, origin mark, dimensions, selection, the 16 path rows and the location mark.
void update_disp_colors(Tdisp_status& d);

// Feed bands in use: row 1 counts, and each of rows 2..8 while its feed limit rises above
// the one before; the first row that does not rise ends the count (rows 1..8 all rising: 8).
int count_feed_bands(const Tdisp_status& d);
