#include "tooling/core/emf_writer.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/core/cp932.h"
#include "simulation/tool_codes.h"
#include "tooling/core/preview_picture.h"

namespace {

std::uint32_t u32(const std::string& b, std::size_t at) {
  std::uint32_t v = 0;
  for (int i = 3; i >= 0; --i) v = (v << 8) | static_cast<unsigned char>(b[at + i]);
  return v;
}
std::int32_t i32(const std::string& b, std::size_t at) {
  return static_cast<std::int32_t>(u32(b, at));
}

struct Record {
  std::uint32_t type;
  std::size_t at, size;
};

// A structural reader: the records in order, with every check a player makes.
struct EmfFile {
  std::vector<Record> records;
  std::vector<std::vector<TG2_ipoint>> polylines;
  std::vector<std::string> texts;  // UTF-8
  std::set<std::uint32_t> live;    // created, not yet deleted
  std::string error;

  explicit EmfFile(const std::string& b) {
    std::size_t at = 0;
    while (at + 8 <= b.size()) {
      const Record r{u32(b, at), at, u32(b, at + 4)};
      if (r.size < 8 || r.size % 4 != 0 || at + r.size > b.size()) {
        error = "bad record size at " + std::to_string(at);
        return;
      }
      records.push_back(r);
      read(b, r);
      at += r.size;
    }
    if (at != b.size()) error = "trailing bytes";
  }

  void read(const std::string& b, const Record& r) {
    switch (r.type) {
      case 38: case 39: case 82: {  // pen, brush, font
        const std::uint32_t ih = u32(b, r.at + 8);
        if (!live.insert(ih).second) error = "handle created twice";
        break;
      }
      case 37: {  // select
        const std::uint32_t ih = u32(b, r.at + 8);
        if (!(ih & 0x80000000u) && !live.count(ih)) error = "selected handle not created";
        break;
      }
      case 40:
        if (!live.erase(u32(b, r.at + 8))) error = "deleted handle not created";
        break;
      case 4: {  // polyline, 32-bit points
        std::vector<TG2_ipoint> pts;
        const std::uint32_t n = u32(b, r.at + 24);
        for (std::uint32_t i = 0; i < n; ++i)
          pts.push_back({i32(b, r.at + 28 + 8 * i), i32(b, r.at + 32 + 8 * i)});
        polylines.push_back(pts);
        break;
      }
      case 84: {  // ExtTextOutW
        const std::uint32_t n = u32(b, r.at + 44), off = u32(b, r.at + 48);
        std::string utf8;
        for (std::uint32_t i = 0; i < n; ++i) {
          const unsigned c = static_cast<unsigned char>(b[r.at + off + 2 * i]) |
                             static_cast<unsigned char>(b[r.at + off + 2 * i + 1]) << 8;
          // Basic plane only, enough for the texts here.
          if (c < 0x80) {
            utf8 += static_cast<char>(c);
          } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | c >> 6);
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
          } else {
            utf8 += static_cast<char>(0xE0 | c >> 12);
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
          }
        }
        texts.push_back(utf8);
        break;
      }
      default: break;
    }
  }
};

TPreview_picture tool_picture() {
  TPreview_picture pic;
  pic.mode = 0;
  pic.nc_name = "/tmp/加工１.NC";
  pic.print_at_data = true;
  pic.date_text = "2026/12/09 07:43";
  set_default_TOOL(pic.tool);
  pic.tool.T_category = 3;
  pic.tool.T_number = 5;
  set_default_HOLDER(pic.holder);
  make_TOOL_comment_lines(pic.tool, pic.holder);
  get_TOOL_kind_text(pic.tool);
  return pic;
}

}  // namespace

TEST(EmfWriter, ThePreviewPictureAsRecords) {
  const TPreview_picture pic = tool_picture();
  TG2 g;
  TG2_canvas c;
  Draw_preview(g, c, pic, 400, false, 300);
  const std::string emf = emf_from_canvas(c, 400, 300);
  ASSERT_FALSE(emf.empty());
  const EmfFile f(emf);
  ASSERT_EQ(f.error, "");
  ASSERT_GE(f.records.size(), 3u);
  // Header: signature, version, sizes and counts.
  EXPECT_EQ(f.records.front().type, 1u);
  EXPECT_EQ(u32(emf, 40), 0x464D4520u);  // " EMF"
  EXPECT_EQ(u32(emf, 44), 0x10000u);
  EXPECT_EQ(u32(emf, 48), emf.size());
  EXPECT_EQ(u32(emf, 52), f.records.size());
  EXPECT_EQ(i32(emf, 16), 399);          // inclusive bounds
  EXPECT_EQ(i32(emf, 20), 299);
  EXPECT_EQ(i32(emf, 72), 400);          // reference device: the picture
  EXPECT_EQ(i32(emf, 76), 300);
  EXPECT_EQ(f.records.back().type, 14u);  // EOF last
  EXPECT_TRUE(f.live.empty()) << f.live.size() << " objects left";
  // The polylines are the list's, moved down by the title.
  std::vector<std::vector<TG2_ipoint>> want;
  TG2_ipoint origin;
  for (const TG2_prim& p : c.prims()) {
    if (p.kind == TG2_prim::Kind::translate) origin = p.a;
    if (p.kind != TG2_prim::Kind::polyline) continue;
    std::vector<TG2_ipoint> q;
    for (TG2_ipoint x : p.points) q.push_back({x.x + origin.x, x.y + origin.y});
    want.push_back(q);
  }
  ASSERT_GT(want.size(), 10u);
  EXPECT_EQ(f.polylines, want);
  // Title and footer, converted from CP932.
  ASSERT_EQ(f.texts.size(), 2u);
  EXPECT_EQ(f.texts[0], plat::cp932_to_utf8("加工１.NC , T= 5 , " + pic.tool.name));
  EXPECT_EQ(f.texts[1], "2026/12/09 07:43 (400x300) print by velmor");
}

TEST(EmfWriter, PenStylesAndFills) {
  TG2_canvas c;
  c.fill_rect({0, 0}, {10, 10}, 0x0000FF);
  const TG2_pen_style styles[] = {TG2_pen_style::solid, TG2_pen_style::dash, TG2_pen_style::dot,
                                  TG2_pen_style::dash_dot, TG2_pen_style::dash_dot_dot};
  for (TG2_pen_style s : styles) {
    c.set_pen({s, 3, 0x00FF00});
    c.polyline({{-5, -5}, {100000, 5}});  // off the canvas: 32-bit points
  }
  c.set_pixel({4, 4}, 0xFF0000);
  const std::string emf = emf_from_canvas(c, 20, 20);
  const EmfFile f(emf);
  ASSERT_EQ(f.error, "");
  std::vector<std::uint32_t> pen_styles, pen_widths;
  int rects = 0, pixels = 0;
  for (const Record& r : f.records) {
    if (r.type == 38) {
      pen_styles.push_back(u32(emf, r.at + 12));
      pen_widths.push_back(u32(emf, r.at + 16));
    }
    rects += r.type == 43;
    pixels += r.type == 15;
  }
  EXPECT_EQ(pen_styles, (std::vector<std::uint32_t>{0, 1, 2, 3, 4}));
  EXPECT_EQ(pen_widths, (std::vector<std::uint32_t>{3, 1, 1, 1, 1}));
  EXPECT_EQ(rects, 1);
  EXPECT_EQ(pixels, 1);
  ASSERT_EQ(f.polylines.size(), 5u);
  EXPECT_EQ(f.polylines[0][1].x, 100000);
  EXPECT_TRUE(f.live.empty());
}

TEST(PreviewPicture, OutputNames) {
  struct Case {
    int mode;
    const char* nc;
    const char* ext;
    const char* want;
  };
  const Case cases[] = {
      {0, "/home/u/SAMPLE01.NC", ".bmp", "SAMPLE01-T5.bmp"},
      {3, "C:\\nc\\A.B.NC", ".dxf", "A.B-T5.dxf"},
      {-1, "/home/u/SAMPLE01.NC", ".BMP", "SAMPLE01.BMP"},
      {-1, "/home/u/PROG", ".jpg", "PROG.jpg"},
      {0, "", ".bmp", "no-name-T5.bmp"},
      {-1, "", ".BMP", "no-name.BMP"},
      // A trail byte 0x5C is no folder separator.
      {-1, "/x/\x83\x5C.NC", ".jpg", "\x83\x5C.jpg"},
  };
  for (const Case& k : cases)
    EXPECT_EQ(preview_output_name(k.mode, k.nc, 5, k.ext), k.want) << k.nc;
}

TEST(PreviewPicture, ColoursTitleAndFrame) {
  struct Case {
    const char* what;
    int back;
    bool white, force;
    int want_back;
    std::uint32_t want_text;
  };
  const Case cases[] = {
      {"dark background: white text", 2, false, false, 2, 0xFFFFFF},
      {"code div 8 odd: black text", 9, false, false, 9, 0x000000},
      {"white choice", 2, true, false, 63, 0x000000},
      {"print drawing", 2, false, true, 63, 0x000000},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    TPreview_picture pic;
    pic.nc_name = "/a/b/PROG.NC";
    pic.back_color = k.back;
    pic.white = k.white;
    TG2 g;
    TG2_canvas c;
    Draw_preview(g, c, pic, 200, k.force, 150);
    ASSERT_EQ(c.prims().front().kind, TG2_prim::Kind::fill_rect);
    EXPECT_EQ(c.prims().front().color, color_code_to_TColor(k.want_back));
    EXPECT_EQ(c.prims().front().b, (TG2_ipoint{201, 151}));
    std::vector<const TG2_prim*> texts;
    for (const TG2_prim& p : c.prims())
      if (p.kind == TG2_prim::Kind::text) texts.push_back(&p);
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0]->text, "PROG.NC");
    EXPECT_EQ(texts[0]->color, k.want_text);
    EXPECT_EQ(texts[1]->text, "(200x150) print by velmor");
    EXPECT_EQ(texts[1]->align, TG2_align::right);
    const TG2_prim& frame = c.prims().back();
    EXPECT_EQ(frame.points, (std::vector<TG2_ipoint>{{0, 21}, {0, 129}, {199, 129}, {199, 21}, {0, 21}}));
  }
}
