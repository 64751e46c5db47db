// The print preview's picture: a title line, the picture (a dimensioned tool drawing, or the
// main window's 3D view rendered off-screen) and a footer, as one canvas list; and the names
// of the files the preview writes. No Qt.
#pragma once
#include <memory>
#include <string>

#include "simulation/tool_records.h"
#include "tooling/core/g2_canvas.h"
#include "tooling/core/disp_status.h"
#include "tooling/core/g2_func.h"
#include "tooling/core/tool_drawing.h"

constexpr int kPreview_mode_view = -1;  // the 3D view; 0 and above: the tool picture

// The preview settings the main window keeps and exchanges with the window.
struct TPreview_settings {
  bool gray_scale = false;
  bool progressive = false;
  bool rotate = false;        // landscape paper
  bool white = true;          // white background
  int jpeg_step = 9;          // quality 10 x step, 1..10
  int width = 400;
  int height = 300;
  bool left_margin = true;    // binding margin on the left (else on top)
  bool high_quality = false;  // print at the printer's resolution
  bool print_at_data = true;  // title and footer with the additional data
};

// The record's preview keys; the binding margin is the main window's menu item.
TPreview_settings preview_settings_of(const Tdisp_status& d, bool left_margin);
// Back into the record (sizes, JPEG step, the four preview flags, high quality, data).
void store_preview_settings(const TPreview_settings& s, Tdisp_status& d);

struct TPreview_picture {
  int mode = kPreview_mode_view;
  bool white = false;          // chk_white
  bool print_at_data = false;  // chk_print_at_data
  int text_height = 12;        // pixels
  int back_color = 2;          // the main window's background colour code
  std::string nc_name;         // the NC file, CP932 (a path is cut to its name)
  std::string file_line;       // the main window's file line (mode -1 with data)
  std::string date_text;       // "yyyy/MM/dd hh:mm", local time
  // Mode >= 0: the tool and its holder and the drawing settings.
  TTOOL tool;
  THOLDER holder;
  TDraw_settings draw;
  // Mode -1: the 3D view at the size of the picture rectangle.
  std::shared_ptr<const TG2_picture> view;
};

// The picture rectangle's top and the height of the part below it.
inline int preview_picture_top(int text_height) { return text_height + 9; }

// Paints the whole picture of width x height. `force_white` is a print drawing: white
// background, and the tool's dimensions drawn for print.
void Draw_preview(TG2& g, TG2_canvas& c, const TPreview_picture& pic, int width,
                  bool force_white, int height);

// The NC file's name without its folder.
std::string preview_nc_name(const std::string& nc_path);
// "SAMPLE01-T5.bmp" (mode >= 0) or "SAMPLE01.BMP" (mode -1, the extension replaced); "no-name"
// stands for a missing NC name. `ext` includes the dot.
std::string preview_output_name(int mode, const std::string& nc_path, int tool_number,
                                const std::string& ext);
