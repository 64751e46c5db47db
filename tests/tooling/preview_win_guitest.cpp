#include "tooling/preview_win_1.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QFocusEvent>
#include <QImage>
#include <QLineEdit>
#include <QMimeData>
#include <QPrinter>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>

#include "common/ats_func.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "simulation/tool_codes.h"
#include "tests/support/test_support.h"
#include "tooling/core/g2_func.h"
#include "tooling/g2_painter.h"

namespace {

using testing_support::TempDir;

class FakeHost : public Ttooling_host {
 public:
  std::string nc = "/home/u/SAMPLE01.NC";
  bool is_busy = false;
  int renders = 0;
  std::string nc_file_name() const override { return nc; }
  std::string file_line() const override { return "SAMPLE01.NC  1234 bytes"; }
  bool busy() const override { return is_busy; }
  std::shared_ptr<const TG2_picture> render_view(int w, int h) override {
    ++renders;
    auto pic = std::make_shared<TG2_picture>();
    pic->width = w;
    pic->height = h;
    pic->pixels.assign(static_cast<std::size_t>(w) * static_cast<std::size_t>(h), 0xFF336699u);
    return pic;
  }
  std::time_t now() const override { return 0; }
};

// Prints into a PDF file instead of asking.
class PdfChooser : public TPreview_dialogs {
 public:
  QString file;
  int asked = 0;
  bool choose_printer(QPrinter& printer, QWidget*) override {
    ++asked;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    return true;
  }
};

TPreview_tool flat_end_mill() {
  TPreview_tool t;
  set_default_TOOL(t.tool);
  t.tool.T_category = 1;
  t.tool.T_number = 5;
  set_default_HOLDER(t.holder);
  make_TOOL_comment_lines(t.tool, t.holder);
  return t;
}

struct Fixture {
  TempDir desktop;
  FakeHost host;
  TG2 g;
  PdfChooser chooser;
  TPreview_tool tool = flat_end_mill();
  std::unique_ptr<TPREVIEW_win> win;

  explicit Fixture(int mode, TPreview_settings s = {}) {
    plat::set_desktop_folder(desktop.path());
    win = std::make_unique<TPREVIEW_win>(host, g, mode, mode >= 0 ? &tool : nullptr, chooser);
    win->load_settings(s);
    win->show();
    QCoreApplication::processEvents();
  }
  ~Fixture() { plat::set_desktop_folder({}); }
  QLineEdit* edit(const char* name) { return win->findChild<QLineEdit*>(QString::fromLatin1(name)); }
  QAction* action(const char* name) { return win->findChild<QAction*>(QString::fromLatin1(name)); }
  QCheckBox* check(const char* name) { return win->findChild<QCheckBox*>(QString::fromLatin1(name)); }
  std::string file(const std::string& name) {
    return testing_support::read_file(desktop / name);
  }
};

// The first marker of a JPEG stream among SOF0 and SOF2, and its component count.
struct Sof {
  int marker = 0, components = 0;
};
Sof jpeg_sof(const std::string& j) {
  for (std::size_t i = 2; i + 9 < j.size(); ++i) {
    if (static_cast<unsigned char>(j[i]) != 0xFF) continue;
    const auto m = static_cast<unsigned char>(j[i + 1]);
    if (m == 0xC0 || m == 0xC2) return {m, static_cast<unsigned char>(j[i + 9])};
  }
  return {};
}
// True when every quantisation table holds only ones.
bool dqt_all_ones(const std::string& j) {
  bool seen = false;
  for (std::size_t i = 2; i + 4 < j.size(); ++i) {
    if (static_cast<unsigned char>(j[i]) != 0xFF || static_cast<unsigned char>(j[i + 1]) != 0xDB)
      continue;
    const std::size_t len = static_cast<unsigned char>(j[i + 2]) << 8 | static_cast<unsigned char>(j[i + 3]);
    for (std::size_t k = i + 4; k < i + 2 + len;) {
      k += 1;  // precision and table id (8-bit tables here)
      for (int n = 0; n < 64; ++n, ++k)
        if (static_cast<unsigned char>(j[k]) != 1) return false;
    }
    seen = true;
  }
  return seen;
}

}  // namespace

TEST(Preview, SizeEdits) {
  struct Case {
    const char* what;
    const char16_t* typed;
    bool enter;
    int want;
  };
  const Case cases[] = {
      {"Enter 5", u"5", true, 20},
      {"Enter 5000", u"5000", true, 2000},
      {"leave with 0", u"0", false, 20},
      {"leave with -5", u"-5", false, 20},
      {"leave with 5000", u"5000", false, 2000},
      {"leave with abc keeps the value", u"abc", false, 400},
      {"Enter 250", u"250", true, 250},
  };
  for (const Case& k : cases) {
    SCOPED_TRACE(k.what);
    Fixture f(0);
    QLineEdit* x = f.edit("X_size");
    ASSERT_NE(x, nullptr);
    // Focus events sent directly: an offscreen window under load need not be active.
    QFocusEvent in(QEvent::FocusIn);
    QApplication::sendEvent(x, &in);
    x->selectAll();
    QTest::keyClicks(x, QString::fromUtf16(k.typed));
    if (k.enter) {
      QTest::keyClick(x, Qt::Key_Return);
    } else {
      QFocusEvent out(QEvent::FocusOut);
      QApplication::sendEvent(x, &out);
    }
    QCoreApplication::processEvents();
    EXPECT_EQ(x->text().toInt(), k.want);
    EXPECT_EQ(f.win->settings().width, k.want);
    // The picture follows the edits.
    EXPECT_EQ(f.win->shown_picture().width(), k.want);
    EXPECT_EQ(f.win->shown_picture().height(), 300);
  }
}

TEST(Preview, BmpAndJpegFilesOnTheDesktop) {
  TPreview_settings s;
  s.white = false;
  s.jpeg_step = 10;
  Fixture f(0, s);
  f.win->print_btnClick(2);
  EXPECT_EQ(f.win->windowTitle(), plat::to_qstring("SAMPLE01-T5.bmp をデスクトップに出力しました"));
  const std::string bmp = f.file("SAMPLE01-T5.bmp");
  ASSERT_GE(bmp.size(), 54u);
  EXPECT_EQ(bmp.substr(0, 2), "BM");
  EXPECT_EQ(static_cast<unsigned char>(bmp[28]), 24);  // 24 bits per pixel, BI_RGB
  EXPECT_EQ(static_cast<unsigned char>(bmp[30]), 0);
  const QImage img = QImage::fromData(QByteArray(bmp.data(), static_cast<qsizetype>(bmp.size())));
  ASSERT_EQ(img.size(), QSize(400, 300));
  // A corner of the tool's outline has the edge colour exactly.
  const TG2_canvas c = f.win->picture_canvas(400, 300, false);
  TG2_ipoint origin, corner;
  bool found = false;
  for (const TG2_prim& p : c.prims()) {
    if (p.kind == TG2_prim::Kind::translate) origin = p.a;
    if (!found && p.kind == TG2_prim::Kind::pen && p.pen_value.color == color_code_to_TColor(f.tool.tool.edge_color)) {
      found = true;
      continue;
    }
    if (found && p.kind == TG2_prim::Kind::polyline) {
      corner = {p.points[1].x + origin.x, p.points[1].y + origin.y};
      break;
    }
  }
  ASSERT_TRUE(found);
  const std::uint32_t edge = color_code_to_TColor(f.tool.tool.edge_color);
  const QColor want(edge & 0xFF, (edge >> 8) & 0xFF, (edge >> 16) & 0xFF);
  EXPECT_EQ(img.pixelColor(corner.x, corner.y), want);

  f.win->print_btnClick(3);
  const std::string jpg = f.file("SAMPLE01-T5.jpg");
  const QImage j = QImage::fromData(QByteArray(jpg.data(), static_cast<qsizetype>(jpg.size())));
  ASSERT_EQ(j.size(), QSize(400, 300));
  EXPECT_EQ(jpeg_sof(jpg).marker, 0xC0);
  EXPECT_EQ(jpeg_sof(jpg).components, 3);
  EXPECT_TRUE(dqt_all_ones(jpg));
  const QColor bg = img.pixelColor(2, 30), jbg = j.pixelColor(2, 30);
  EXPECT_LE(std::abs(bg.red() - jbg.red()), 8);
  EXPECT_LE(std::abs(bg.green() - jbg.green()), 8);
  EXPECT_LE(std::abs(bg.blue() - jbg.blue()), 8);
  const QColor jo = j.pixelColor(corner.x, corner.y);
  EXPECT_GT(std::abs(jo.red() - jbg.red()) + std::abs(jo.green() - jbg.green()) +
                std::abs(jo.blue() - jbg.blue()), 60);

  // Gray and progressive: one component, SOF2.
  f.action("chk_gray_scale")->trigger();
  f.action("chk_progressive")->trigger();
  f.action("C50")->trigger();
  f.win->print_btnClick(3);
  const std::string gray = f.file("SAMPLE01-T5.jpg");
  EXPECT_EQ(jpeg_sof(gray).marker, 0xC2);
  EXPECT_EQ(jpeg_sof(gray).components, 1);
  EXPECT_FALSE(dqt_all_ones(gray));
}

TEST(Preview, OutputNamesOfBothModes) {
  {
    Fixture f(-1);
    f.win->print_btnClick(2);
    f.win->print_btnClick(3);
    EXPECT_FALSE(f.file("SAMPLE01.BMP").empty());
    EXPECT_FALSE(f.file("SAMPLE01.jpg").empty());
    // No EMF or DXF of the 3D view.
    EXPECT_FALSE(f.action("META_BTN")->isVisible());
    EXPECT_FALSE(f.action("DXF_BTN")->isVisible());
    EXPECT_FALSE(f.action("meta2clip_btn")->isVisible());
    EXPECT_GT(f.host.renders, 0);
  }
  {
    Fixture f(0);
    f.host.nc.clear();
    f.win->print_btnClick(4);
    f.win->print_btnClick(5);
    const std::string emf = f.file("no-name-T5.emf");
    ASSERT_GE(emf.size(), 44u);
    EXPECT_EQ(emf.substr(40, 4), " EMF");
    const std::string dxf = f.file("no-name-T5.dxf");
    EXPECT_EQ(dxf.substr(0, 25), "0\r\nSECTION\r\n2\r\nENTITIES\r\n");
    EXPECT_NE(dxf.find("LINE"), std::string::npos);
    EXPECT_EQ(dxf.substr(dxf.size() - 19), "0\r\nENDSEC\r\n0\r\nEOF\r\n");
    EXPECT_EQ(f.g.dxf_capture, 0);
  }
  {
    // A kind-0 tool: the DXF is the wrapper only.
    Fixture f(0);
    f.tool.tool.T_category = 0;
    TPREVIEW_win w(f.host, f.g, 0, &f.tool, f.chooser);
    w.load_settings({});
    w.print_btnClick(5);
    EXPECT_EQ(f.file("SAMPLE01-T5.dxf"), G2_DXF_file_text(""));
  }
}

TEST(Preview, AFailedWriteGivesTheBoxAndNoSuccessCaption) {
  TempDir d;
  testing_support::write_file(d / "plain", "x");
  Fixture f(0);
  plat::set_desktop_folder(d / "plain");  // a file where the folder should be
  plat::ScriptedMessageBoxes boxes;
  f.win->print_btnClick(2);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_NE(boxes.shown[0].text.find("SAMPLE01-T5.bmp"), std::string::npos);
  EXPECT_EQ(boxes.shown[0].flags & plat::MB_ICONSTOP, plat::MB_ICONSTOP);
  EXPECT_FALSE(f.win->windowTitle().contains(plat::to_qstring("しました")));
}

TEST(Preview, Clipboard) {
  Fixture f(0);
  f.win->print_btnClick(7);
  EXPECT_EQ(QApplication::clipboard()->image().size(), QSize(400, 300));
  EXPECT_EQ(f.win->windowTitle(), plat::to_qstring("クリップボードに出力しました"));
  f.win->print_btnClick(8);
  const QMimeData* m = QApplication::clipboard()->mimeData();
  ASSERT_NE(m, nullptr);
  EXPECT_TRUE(m->hasFormat(QStringLiteral("image/x-emf")));
  EXPECT_TRUE(m->hasFormat(QStringLiteral("image/emf")));
  EXPECT_TRUE(m->hasImage());
  EXPECT_EQ(m->data(QStringLiteral("image/emf")).mid(40, 4), QByteArray(" EMF"));
}

TEST(Preview, OptionTags) {
  Fixture f(0);
  f.action("chk_upper")->trigger();
  EXPECT_FALSE(f.win->settings().left_margin);
  EXPECT_TRUE(f.action("chk_upper")->isChecked());
  f.action("chk_left")->trigger();
  EXPECT_TRUE(f.win->settings().left_margin);
  f.action("C30")->trigger();
  EXPECT_EQ(f.win->settings().jpeg_step, 3);
  f.action("C100")->trigger();
  EXPECT_EQ(f.win->settings().jpeg_step, 10);
  EXPECT_FALSE(f.action("C30")->isChecked());
  f.check("chk_high_quality")->click();
  EXPECT_TRUE(f.win->settings().high_quality);
  // White and data repaint the picture.
  const QImage before = f.win->shown_picture();
  f.check("chk_white")->click();
  EXPECT_NE(f.win->shown_picture(), before);
  // A busy main window leaves the picture as it is.
  f.host.is_busy = true;
  const QImage kept = f.win->shown_picture();
  f.check("chk_print_at_data")->click();
  EXPECT_EQ(f.win->shown_picture(), kept);
  // The quality item named by the step is checked on open.
  TPreview_settings s;
  s.jpeg_step = 9;
  Fixture g(0, s);
  EXPECT_TRUE(g.action("C90")->isChecked());
  EXPECT_FALSE(g.action("Jpeg1")->isVisible());
}

TEST(Preview, SettingsComeBackAfterCancel) {
  TempDir desktop;
  plat::set_desktop_folder(desktop.path());
  FakeHost host;
  TG2 g;
  PdfChooser chooser;
  Tdisp_status d;
  d.PREV_X_SIZE = 300;
  d.PREV_Y_SIZE = 200;
  d.PREV_JPEG_COMPRESS = 9;
  bool left = true;
  QTimer::singleShot(0, [] {
    auto* w = qobject_cast<TPREVIEW_win*>(QApplication::activeModalWidget());
    ASSERT_NE(w, nullptr);
    w->findChild<QCheckBox*>(QStringLiteral("chk_rotate"))->click();
    w->findChild<QAction*>(QStringLiteral("chk_gray_scale"))->trigger();
    w->findChild<QAction*>(QStringLiteral("C40"))->trigger();
    w->findChild<QAction*>(QStringLiteral("chk_upper"))->trigger();
    auto* x = w->findChild<QLineEdit*>(QStringLiteral("X_size"));
    x->setText(QStringLiteral("321"));
    QTest::keyClick(x, Qt::Key_Return);
    w->reject();
  });
  open_PREVIEW_win(host, g, d, left, -1, nullptr, &chooser);
  EXPECT_EQ(d.PREV_ROTATE, 1);
  EXPECT_EQ(d.PREV_GRAY_SCALE, 1);
  EXPECT_EQ(d.PREV_JPEG_COMPRESS, 4);
  EXPECT_EQ(d.PREV_X_SIZE, 321);
  EXPECT_EQ(d.PREV_Y_SIZE, 200);
  EXPECT_FALSE(left);
  plat::set_desktop_folder({});
}

TEST(Preview, PrintsOnePageToPdf) {
  for (bool landscape : {false, true}) {
    SCOPED_TRACE(landscape ? "landscape" : "portrait");
    Fixture f(0);
    TempDir out;
    f.chooser.file = plat::path_to_qstring(out / "p.pdf");
    if (landscape) f.check("chk_rotate")->click();
    f.win->print_btnClick(1);
    EXPECT_EQ(f.chooser.asked, 1);
    const std::string pdf = testing_support::read_file(out / "p.pdf");
    ASSERT_EQ(pdf.substr(0, 5), "%PDF-");
    const QString text = QString::fromLatin1(pdf.data(), static_cast<qsizetype>(pdf.size()));
    EXPECT_EQ(text.count(QRegularExpression(QStringLiteral("/Type\\s*/Page[^s]"))), 1);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("/MediaBox\\s*\\[\\s*0\\s+0\\s+([0-9.]+)\\s+([0-9.]+)"))
            .match(text);
    ASSERT_TRUE(m.hasMatch());
    const double w = m.captured(1).toDouble(), h = m.captured(2).toDouble();
    EXPECT_EQ(w > h, landscape) << w << " x " << h;
  }
}
