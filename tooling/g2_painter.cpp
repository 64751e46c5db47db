#include "tooling/g2_painter.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPen>
#include <QPolygon>
#include <QStringList>

#include "platform/qt/qtext.h"

namespace {

QColor qcolor_of(std::uint32_t c) {
  return QColor(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

QPen qpen_of(const TG2_pen& p) {
  QPen pen(qcolor_of(p.color));
  pen.setCosmetic(true);
  pen.setWidth(p.width < 1 ? 1 : p.width);
  switch (p.style) {
    case TG2_pen_style::solid: pen.setStyle(Qt::SolidLine); break;
    case TG2_pen_style::dash: pen.setStyle(Qt::DashLine); pen.setWidth(1); break;
    case TG2_pen_style::dot: pen.setStyle(Qt::DotLine); pen.setWidth(1); break;
    case TG2_pen_style::dash_dot: pen.setStyle(Qt::DashDotLine); pen.setWidth(1); break;
    case TG2_pen_style::dash_dot_dot: pen.setStyle(Qt::DashDotDotLine); pen.setWidth(1); break;
  }
  pen.setCapStyle(Qt::SquareCap);
  pen.setJoinStyle(Qt::MiterJoin);
  return pen;
}

QPolygon qpolygon_of(const std::vector<TG2_ipoint>& pts) {
  QPolygon poly(static_cast<int>(pts.size()));
  for (int i = 0; i < poly.size(); ++i) poly.setPoint(i, pts[i].x, pts[i].y);
  return poly;
}

}  // namespace

QFont tooling_text_font(int pixel_height) {
  QFont f;
  f.setFamilies({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("IPAGothic"),
                 QStringLiteral("IPAゴシック")});
  f.setStyleHint(QFont::Monospace);
  f.setPixelSize(pixel_height < 1 ? 1 : pixel_height);
  return f;
}

QImage image_of_picture(const TG2_picture& pic) {
  if (pic.width <= 0 || pic.height <= 0 ||
      pic.pixels.size() < static_cast<std::size_t>(pic.width) * static_cast<std::size_t>(pic.height))
    return {};
  QImage img(reinterpret_cast<const uchar*>(pic.pixels.data()), pic.width, pic.height,
             pic.width * 4, QImage::Format_RGB32);
  return img.copy();
}

void paint_G2_canvas(QPainter& p, const TG2_canvas& c) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setCompositionMode(QPainter::CompositionMode_SourceOver);
  p.setBrush(Qt::NoBrush);
  const QTransform base = p.transform();
  QPen pen = qpen_of(TG2_pen{});
  QBrush brush(Qt::NoBrush);
  p.setPen(pen);
  for (const TG2_prim& q : c.prims()) {
    switch (q.kind) {
      case TG2_prim::Kind::pen:
        pen = qpen_of(q.pen_value);
        p.setPen(pen);
        break;
      case TG2_prim::Kind::brush:
        brush = q.brush_clear ? QBrush(Qt::NoBrush) : QBrush(qcolor_of(q.color));
        break;
      case TG2_prim::Kind::translate:
        p.setTransform(QTransform::fromTranslate(q.a.x, q.a.y) * base);
        break;
      case TG2_prim::Kind::polyline:
        p.drawPolyline(qpolygon_of(q.points));
        break;
      case TG2_prim::Kind::polygon:
        p.setBrush(brush);
        p.drawPolygon(qpolygon_of(q.points));
        p.setBrush(Qt::NoBrush);
        break;
      case TG2_prim::Kind::pixel: {
        QPen dot(qcolor_of(q.color));
        dot.setCosmetic(true);
        dot.setWidth(1);
        p.setPen(dot);
        p.drawPoint(q.a.x, q.a.y);
        p.setPen(pen);
        break;
      }
      case TG2_prim::Kind::fill_rect:
        if (q.b.x > q.a.x && q.b.y > q.a.y)
          p.fillRect(QRect(q.a.x, q.a.y, q.b.x - q.a.x, q.b.y - q.a.y), qcolor_of(q.color));
        break;
      case TG2_prim::Kind::text: {
        p.setFont(tooling_text_font(q.height));
        p.setPen(qcolor_of(q.color));
        const int flags = Qt::TextSingleLine | Qt::AlignVCenter |
                          (q.align == TG2_align::right ? Qt::AlignRight : Qt::AlignLeft);
        p.drawText(QRect(q.a.x, q.a.y, q.b.x - q.a.x, q.b.y - q.a.y), flags,
                   plat::to_qstring(q.text));
        p.setPen(pen);
        break;
      }
      case TG2_prim::Kind::picture:
        if (q.picture) {
          const QImage img = image_of_picture(*q.picture);
          if (!img.isNull())
            p.drawImage(QRect(q.a.x, q.a.y, q.b.x - q.a.x, q.b.y - q.a.y), img);
        }
        break;
      case TG2_prim::Kind::note:
        break;
    }
  }
  p.restore();
}

QImage render_G2_canvas(const TG2_canvas& c, int width, int height) {
  QImage img(width < 1 ? 1 : width, height < 1 ? 1 : height, QImage::Format_RGB32);
  img.fill(Qt::black);
  QPainter p(&img);
  paint_G2_canvas(p, c);
  p.end();
  return img;
}

QByteArray bmp_bytes(const QImage& img) {
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  if (!img.convertToFormat(QImage::Format_RGB32).save(&buf, "BMP")) return {};
  return out;
}

QByteArray jpeg_bytes(const QImage& img, int quality, bool gray, bool progressive) {
  QByteArray out;
  QBuffer buf(&out);
  buf.open(QIODevice::WriteOnly);
  QImageWriter w(&buf, "jpeg");
  w.setQuality(quality < 1 ? 1 : (quality > 100 ? 100 : quality));
  w.setProgressiveScanWrite(progressive);
  const QImage src = gray ? img.convertToFormat(QImage::Format_Grayscale8)
                          : img.convertToFormat(QImage::Format_RGB32);
  if (!w.write(src)) return {};
  return out;
}
