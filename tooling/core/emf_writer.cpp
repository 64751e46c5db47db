#include "tooling/core/emf_writer.h"

#include <uemf.h>
#include <uemf_utf.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "platform/core/cp932.h"

const char* const kEMF_font_face = "ＭＳ ゴシック";

namespace {

U_COLORREF colorref_of(std::uint32_t c) {
  return colorref3_set(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

// UTF-16LE of a CP932 text, as libUEMF's records take it (caller frees).
uint16_t* utf16_of(const std::string& cp932, size_t* len) {
  const std::string utf8 = plat::cp932_to_utf8(cp932);
  return U_Utf8ToUtf16le(utf8.c_str(), 0, len);
}

// Builds the records into libUEMF's buffer; the file handle libUEMF writes at the end is a
// memory stream, so the bytes can go through the program's safe file writer.
class EmfBuilder {
 public:
  EmfBuilder(int width, int height) : w_(std::max(width, 1)), h_(std::max(height, 1)) {}
  ~EmfBuilder() {
    if (et_) emf_free(&et_);  // closes the memory stream
    if (eht_) emf_htable_free(&eht_);
    std::free(mem_);
  }
  EmfBuilder(const EmfBuilder&) = delete;
  EmfBuilder& operator=(const EmfBuilder&) = delete;

  std::string build(const TG2_canvas& c);

 private:
  bool add(char* rec) {
    if (!rec) {
      ok_ = false;
      return false;
    }
    if (emf_append(reinterpret_cast<PU_ENHMETARECORD>(rec), et_, 1) != 0) ok_ = false;
    return ok_;
  }
  U_POINTL pt(TG2_ipoint p) const { return point32_set(p.x + origin_.x, p.y + origin_.y); }
  U_RECTL bounds_of(const std::vector<U_POINTL>& pts, int pen_width) const;
  void select_pen(const TG2_pen& p);
  void select_brush(std::uint32_t color, bool clear);
  void fill_rect(const TG2_prim& p);
  void text(const TG2_prim& p);
  void delete_object(uint32_t& handle) {
    if (handle) {
      add(deleteobject_set(&handle, eht_));
      handle = 0;
    }
  }

  int w_, h_;
  EMFTRACK* et_ = nullptr;
  EMFHANDLES* eht_ = nullptr;
  char* mem_ = nullptr;
  size_t mem_len_ = 0;
  bool ok_ = true;
  TG2_ipoint origin_;
  uint32_t pen_ = 0, brush_ = 0, font_ = 0;  // our own selected objects, 0 for stock
  int font_height_ = 0;
  TG2_pen cur_pen_;
  std::uint32_t brush_color_ = 0;
  bool brush_clear_ = true;
  bool text_mode_set_ = false;
  std::uint32_t text_color_ = 0xFFFFFFFFu;
  uint32_t text_align_ = 0xFFFFFFFFu;
};

U_RECTL EmfBuilder::bounds_of(const std::vector<U_POINTL>& pts, int pen_width) const {
  int x0 = pts.front().x, y0 = pts.front().y, x1 = x0, y1 = y0;
  for (const U_POINTL& q : pts) {
    x0 = std::min<int>(x0, q.x);
    y0 = std::min<int>(y0, q.y);
    x1 = std::max<int>(x1, q.x);
    y1 = std::max<int>(y1, q.y);
  }
  const int half = std::max(pen_width, 1) / 2;
  return rectl_set(point32_set(x0 - half, y0 - half), point32_set(x1 + half, y1 + half));
}

void EmfBuilder::select_pen(const TG2_pen& p) {
  cur_pen_ = p;
  uint32_t style = U_PS_SOLID;
  int width = std::max(p.width, 1);
  switch (p.style) {
    case TG2_pen_style::solid: break;
    case TG2_pen_style::dash: style = U_PS_DASH; width = 1; break;
    case TG2_pen_style::dot: style = U_PS_DOT; width = 1; break;
    case TG2_pen_style::dash_dot: style = U_PS_DASHDOT; width = 1; break;
    case TG2_pen_style::dash_dot_dot: style = U_PS_DASHDOTDOT; width = 1; break;
  }
  uint32_t created = 0;
  if (!add(createpen_set(&created, eht_, logpen_set(style, point_set(width, width),
                                                     colorref_of(p.color)))))
    return;
  add(selectobject_set(created, eht_));
  delete_object(pen_);
  pen_ = created;
}

void EmfBuilder::select_brush(std::uint32_t color, bool clear) {
  brush_color_ = color;
  brush_clear_ = clear;
  if (clear) {
    add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
    delete_object(brush_);
    return;
  }
  uint32_t created = 0;
  if (!add(createbrushindirect_set(&created, eht_,
                                   logbrush_set(U_BS_SOLID, colorref_of(color), 0))))
    return;
  add(selectobject_set(created, eht_));
  delete_object(brush_);
  brush_ = created;
}

// A fill is a rectangle in its own brush under the null pen, which paints up to the right and
// bottom edges, not on them; the current pen and brush come back afterwards.
void EmfBuilder::fill_rect(const TG2_prim& p) {
  uint32_t fill = 0;
  if (!add(createbrushindirect_set(&fill, eht_,
                                   logbrush_set(U_BS_SOLID, colorref_of(p.color), 0))))
    return;
  add(selectobject_set(fill, eht_));
  add(U_EMRSELECTOBJECT_set(U_NULL_PEN));
  add(U_EMRRECTANGLE_set(rectl_set(pt(p.a), pt({p.b.x + 1, p.b.y + 1}))));
  if (pen_) add(selectobject_set(pen_, eht_));
  else add(U_EMRSELECTOBJECT_set(U_BLACK_PEN));
  if (brush_) add(selectobject_set(brush_, eht_));
  else add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
  add(deleteobject_set(&fill, eht_));
}

void EmfBuilder::text(const TG2_prim& p) {
  if (p.text.empty()) return;
  const int th = std::max(p.height, 1);
  if (!text_mode_set_) {
    add(U_EMRSETBKMODE_set(U_TRANSPARENT));
    text_mode_set_ = true;
  }
  if (p.color != text_color_) {
    add(U_EMRSETTEXTCOLOR_set(colorref_of(p.color)));
    text_color_ = p.color;
  }
  const uint32_t align = p.align == TG2_align::right ? (U_TA_RIGHT | U_TA_TOP) : (U_TA_LEFT | U_TA_TOP);
  if (align != text_align_) {
    add(U_EMRSETTEXTALIGN_set(align));
    text_align_ = align;
  }
  if (!font_ || font_height_ != th) {
    size_t face_len = 0;
    uint16_t* face = utf16_of(kEMF_font_face, &face_len);
    const U_LOGFONT lf = logfont_set(-th, 0, 0, 0, U_FW_NORMAL, 0, 0, 0, U_SHIFTJIS_CHARSET,
                                     U_OUT_DEFAULT_PRECIS, U_CLIP_DEFAULT_PRECIS,
                                     U_DEFAULT_QUALITY, U_FIXED_PITCH | U_FF_MODERN, face);
    std::free(face);
    uint32_t created = 0;
    if (!add(extcreatefontindirectw_set(&created, eht_, nullptr,
                                        reinterpret_cast<const char*>(&lf))))
      return;
    add(selectobject_set(created, eht_));
    delete_object(font_);
    font_ = created;
    font_height_ = th;
  }
  // One cell per character: half the height for a single-byte one, the height for a pair.
  std::vector<uint32_t> dx;
  for (std::size_t i = 0; i < p.text.size();) {
    const std::size_t n = plat::sjis_char_len(p.text, i);
    dx.push_back(n > 1 ? static_cast<uint32_t>(th) : static_cast<uint32_t>(th / 2));
    i += n;
  }
  size_t len = 0;
  uint16_t* utf16 = utf16_of(p.text, &len);
  if (!utf16) return;
  // Characters outside the basic plane take two units; they get a cell and an empty one.
  dx.resize(len, 0);
  const int top = p.a.y + (p.b.y - p.a.y - th) / 2;
  const TG2_ipoint ref = p.align == TG2_align::right ? TG2_ipoint{p.b.x, top} : TG2_ipoint{p.a.x, top};
  const U_RECTL clip = rectl_set(pt(p.a), pt(p.b));
  char* etext = emrtext_set(pt(ref), static_cast<U_NUM_STR>(len), 2, utf16, U_ETO_NONE, clip,
                            dx.data());
  std::free(utf16);
  if (!etext) {
    ok_ = false;
    return;
  }
  add(U_EMREXTTEXTOUTW_set(clip, U_GM_COMPATIBLE, 1.0f, 1.0f,
                           reinterpret_cast<PU_EMRTEXT>(etext)));
  std::free(etext);
}

std::string EmfBuilder::build(const TG2_canvas& c) {
  if (emf_start("/dev/null", 65536, 65536, &et_) != 0 || !et_) return {};
  // Replace libUEMF's file with a memory stream.
  std::fclose(et_->fp);
  et_->fp = open_memstream(&mem_, &mem_len_);
  if (!et_->fp || emf_htable_create(128, 128, &eht_) != 0) return {};

  const U_RECTL bounds = rectl_set(point32_set(0, 0), point32_set(w_ - 1, h_ - 1));
  // The frame in 0.01 mm at 96 pixels per inch.
  const int fw = static_cast<int>((static_cast<long long>(w_) * 2540 + 48) / 96);
  const int fh = static_cast<int>((static_cast<long long>(h_) * 2540 + 48) / 96);
  const U_RECTL frame = rectl_set(point32_set(0, 0), point32_set(fw - 1, fh - 1));
  add(U_EMRHEADER_set(bounds, frame, nullptr, 0, nullptr, sizel_set(w_, h_),
                      sizel_set((fw + 50) / 100, (fh + 50) / 100), 0));
  add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));

  for (const TG2_prim& p : c.prims()) {
    if (!ok_) break;
    switch (p.kind) {
      case TG2_prim::Kind::pen: select_pen(p.pen_value); break;
      case TG2_prim::Kind::brush: select_brush(p.color, p.brush_clear); break;
      case TG2_prim::Kind::translate: origin_ = p.a; break;
      case TG2_prim::Kind::polyline:
      case TG2_prim::Kind::polygon: {
        if (p.points.empty()) break;
        std::vector<U_POINTL> pts;
        pts.reserve(p.points.size());
        for (TG2_ipoint q : p.points) pts.push_back(pt(q));
        const U_RECTL b = bounds_of(pts, cur_pen_.width);
        const auto n = static_cast<uint32_t>(pts.size());
        add(p.kind == TG2_prim::Kind::polyline ? U_EMRPOLYLINE_set(b, n, pts.data())
                                               : U_EMRPOLYGON_set(b, n, pts.data()));
        break;
      }
      case TG2_prim::Kind::pixel: add(U_EMRSETPIXELV_set(pt(p.a), colorref_of(p.color))); break;
      case TG2_prim::Kind::fill_rect: fill_rect(p); break;
      case TG2_prim::Kind::text: text(p); break;
      case TG2_prim::Kind::picture:
      case TG2_prim::Kind::note: break;
    }
  }
  // Stock objects back in, then every object of ours goes.
  add(U_EMRSELECTOBJECT_set(U_BLACK_PEN));
  add(U_EMRSELECTOBJECT_set(U_NULL_BRUSH));
  add(U_EMRSELECTOBJECT_set(U_SYSTEM_FONT));
  delete_object(pen_);
  delete_object(brush_);
  delete_object(font_);
  add(U_EMREOF_set(0, nullptr, et_));
  if (!ok_ || emf_finish(et_, eht_) != 0) return {};
  std::fflush(et_->fp);
  return std::string(mem_, mem_len_);
}

}  // namespace

std::string emf_from_canvas(const TG2_canvas& c, int width, int height) {
  EmfBuilder b(width, height);
  return b.build(c);
}
