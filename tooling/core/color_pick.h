// The colour picker's grid and the path-colour rows' entry rules. The picker shows the 64
// colour codes as 16 columns by 4 rows of 8 x 8 dots, code 0 at the lower left, code 63 at
// the upper right. No Qt.
#pragma once
#include <string>
#include <string_view>

inline constexpr int COLOR_GRID_COLS = 16;
inline constexpr int COLOR_GRID_ROWS = 4;
inline constexpr int COLOR_CELL = 8;  // dots per cell side

// The code under the point (x, y) of the 128 x 32 grid, columns and rows clamped to the grid.
int color_code_at(int x, int y);
// Column and row (0 at the bottom) of a code; codes outside 0..63 are clamped.
int color_code_column(int code);
int color_code_row(int code);

// Texts of a colour code and a line width: the value when the text is an integer in range,
// else -1 (show the message). The feed limit: a real of at least 0, else a negative value.
int color_code_of_text(std::string_view text);
// A real number typed into an edit (blanks around it allowed, "1." and ".5" too); false for
// any other text.
bool real_of_text(std::string_view text, double& v);
int line_width_of_text(std::string_view text);
double feed_limit_of_text(std::string_view text);

inline constexpr const char* kColorCodeMessage = "カラー番号は 0～63 で指定してください";
inline constexpr const char* kLineWidthMessage = "線幅は 1 ～ 20 で指定してください";
inline constexpr const char* kFeedLimitMessage = "切削速度は 0 以上の値を指定してください";

// The caption texts of the rows of the path-colour window (rows 10..15; rows 0..9 are built
// from the feed limits).
const char* path_row_caption(int row);
// "(有効)" or "(無効)" for a band row 1..9 with `bands` valid feed bands: row 0 and rows up
// to `bands` are valid, row 9 beyond the bands too (it takes every higher feed).
bool path_row_valid(int row, int bands);
// A feed limit as the window shows it ("0.###").
std::string feed_limit_text(float v);
