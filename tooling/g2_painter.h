// The canvas list on Qt paint devices: a panel, a QImage, a QPrinter page. Cosmetic pens of
// the list's widths, no antialiasing, so the picture is the pixels the list names.
#pragma once
#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QPainter>

#include "tooling/core/g2_canvas.h"

// The font that stands for the system's monospaced Japanese font, at a pixel height.
QFont tooling_text_font(int pixel_height);

void paint_G2_canvas(QPainter& p, const TG2_canvas& c);
// The list on a fresh RGB32 image of the given size.
QImage render_G2_canvas(const TG2_canvas& c, int width, int height);

// A 32-bit picture as a QImage (shares nothing with it).
QImage image_of_picture(const TG2_picture& pic);

// File bytes: a 24-bit BMP, and a JPEG of quality 1..100, gray or colour, progressive or
// baseline. Empty when the encoder refused.
QByteArray bmp_bytes(const QImage& img);
QByteArray jpeg_bytes(const QImage& img, int quality, bool gray, bool progressive);
