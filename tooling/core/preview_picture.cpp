#include "tooling/core/preview_picture.h"

#include <cstdio>

#include "platform/core/cp932.h"

namespace {

constexpr std::uint32_t kFrame_color = 0xC0C0C0;

std::string size_text(int w, int h) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "(%dx%d)", w, h);
  return buf;
}

}  // namespace

std::string preview_nc_name(const std::string& nc_path) {
  // A "\" here may be the trail byte of a double-byte character: walk the characters.
  return std::string(plat::sjis_file_name(nc_path));
}

std::string preview_output_name(int mode, const std::string& nc_path, int tool_number,
                                const std::string& ext) {
  std::string name = preview_nc_name(nc_path);
  if (name.empty()) name = "no-name";
  // The extension starts at the last "." of the name (none in a name without one).
  std::size_t dot = std::string::npos;
  for (std::size_t i = 0; i < name.size();) {
    const auto c = static_cast<unsigned char>(name[i]);
    if (is_SJIS_lead_byte(c) && i + 1 < name.size()) {
      i += 2;
      continue;
    }
    if (c == '.') dot = i;
    ++i;
  }
  const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
  if (mode >= 0) return base + "-T" + std::to_string(tool_number) + ext;
  return base + ext;
}

void Draw_preview(TG2& g, TG2_canvas& c, const TPreview_picture& pic, int width,
                  bool force_white, int height) {
  const int th = pic.text_height;
  const bool white = force_white || pic.white;
  const int back = white ? 63 : pic.back_color;
  const std::uint32_t text_color =
      white || (back / 8) % 2 == 1 ? 0x000000u : 0xFFFFFFu;
  c.fill_rect({0, 0}, {width + 1, height + 1}, color_code_to_TColor(back));

  const int top = preview_picture_top(th);
  std::string title;
  const std::string name = preview_nc_name(pic.nc_name);
  if (pic.mode >= 0) {
    TG2_canvas tool_pic;
    draw_TOOL_to_canvas(pic.draw, tool_pic, g, width, !pic.print_at_data, pic.holder, pic.tool,
                        force_white, white, 3, height - 2 * top);
    c.append_translated(tool_pic, 0, top);
    title = name + " , T= " + std::to_string(pic.tool.T_number);
    if (pic.print_at_data) title += " , " + pic.tool.name;
  } else {
    if (pic.view) c.picture({0, top}, {width, height - top}, pic.view);
    title = pic.print_at_data ? pic.file_line : name;
  }
  c.text({6, 3}, {width - 3, th + 6}, title, th, TG2_align::left, text_color);

  std::string footer = size_text(width, height) + " print " + "by velmor";
  if (pic.print_at_data)
    footer = pic.date_text + " " + size_text(width, height) + " print " + "by velmor";
  c.text({3, height - th - 6}, {width - 6, height}, footer, th, TG2_align::right, text_color);

  // A one-pixel frame around the picture rectangle.
  const int left = 0, right = width, ftop = top, bottom = height - th - 8;
  TG2_pen frame;
  frame.color = kFrame_color;
  c.set_pen(frame);
  c.polyline({{left, ftop}, {left, bottom - 1}, {right - 1, bottom - 1}, {right - 1, ftop},
              {left, ftop}});
}

TPreview_settings preview_settings_of(const Tdisp_status& d, bool left_margin) {
  TPreview_settings s;
  s.gray_scale = d.PREV_GRAY_SCALE != 0;
  s.progressive = d.PREV_PROGRESSIVE != 0;
  s.rotate = d.PREV_ROTATE != 0;
  s.white = d.PREV_WHITE != 0;
  s.jpeg_step = d.PREV_JPEG_COMPRESS;
  s.width = d.PREV_X_SIZE;
  s.height = d.PREV_Y_SIZE;
  s.left_margin = left_margin;
  s.high_quality = d.POUT_HI_QUALITY != 0;
  s.print_at_data = d.PREV_VIS_DATA != 0;
  return s;
}

void store_preview_settings(const TPreview_settings& s, Tdisp_status& d) {
  d.PREV_GRAY_SCALE = s.gray_scale;
  d.PREV_PROGRESSIVE = s.progressive;
  d.PREV_ROTATE = s.rotate;
  d.PREV_WHITE = s.white;
  d.PREV_JPEG_COMPRESS = s.jpeg_step;
  d.PREV_X_SIZE = s.width;
  d.PREV_Y_SIZE = s.height;
  d.POUT_HI_QUALITY = s.high_quality;
  d.PREV_VIS_DATA = s.print_at_data;
}
