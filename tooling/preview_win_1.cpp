#include "tooling/preview_win_1.h"

#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>
#include <filesystem>

#include "common/ats_func.h"
#include "common/widgets/paint_panel.h"
#include "platform/core/cp932.h"
#include "platform/core/file_write.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tooling/core/emf_writer.h"
#include "tooling/g2_painter.h"

namespace {

constexpr int kSize_min = 20;
constexpr int kSize_max = 2000;
constexpr double kBinding_margin_mm = 15.0;

QString q(const char* cp932) { return plat::to_qstring(cp932); }

int tag_of(const QObject* o) { return o->property("tag").toInt(); }

}  // namespace

bool TPreview_dialogs::choose_printer(QPrinter& printer, QWidget* parent) {
  QPrintDialog d(&printer, parent);
  return d.exec() == QDialog::Accepted;
}

TPREVIEW_win::TPREVIEW_win(Ttooling_host& host, TG2& g, int mode, const TPreview_tool* tool,
                           TPreview_dialogs& dialogs, QWidget* parent)
    : QDialog(parent), host_(host), g_(g), mode_(mode), dialogs_(dialogs) {
  if (tool) tool_ = std::make_unique<TPreview_tool>(*tool);
  setObjectName(QStringLiteral("PREVIEW_win"));
  caption_ = q("印刷プレビュー");
  setWindowTitle(caption_);
  build();
}

TPREVIEW_win::~TPREVIEW_win() = default;

QAction* TPREVIEW_win::add_action(QMenu* m, const char* name, const char* text, int tag,
                                  bool option) {
  QAction* a = m->addAction(q(text));
  a->setObjectName(QString::fromLatin1(name));
  a->setProperty("tag", tag);
  if (option)
    connect(a, &QAction::triggered, this, [this, tag] { chk_whiteClick(tag); });
  else
    connect(a, &QAction::triggered, this, [this, tag] { print_btnClick(tag); });
  return a;
}

void TPREVIEW_win::build() {
  auto* root = new QVBoxLayout(this);
  root->setContentsMargins(0, 0, 0, 0);
  root->setSpacing(0);
  root->setSizeConstraint(QLayout::SetNoConstraint);

  menu_ = new QMenuBar(this);
  menu_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  root->setMenuBar(menu_);
  QMenu* out = menu_->addMenu(q("画像出力(&B)"));
  add_action(out, "BMP_BTN", "BMP出力", 2, false);
  add_action(out, "Jpeg_btn", "Jpeg出力", 3, false);
  META_BTN = add_action(out, "META_BTN", "メタファイル出力", 4, false);
  DXF_BTN = add_action(out, "DXF_BTN", "DXF出力", 5, false);
  add_action(out, "BMP2CLIP_btn", "BMPをクリップボードにコピー", 7, false);
  meta2clip_btn = add_action(out, "meta2clip_btn", "メタファイルをクリップボードにコピー", 8, false);
  QAction* jpeg1 = out->addAction(q("Jpegをクリップボードにコピー"));
  jpeg1->setObjectName(QStringLiteral("Jpeg1"));
  jpeg1->setProperty("tag", 10);
  jpeg1->setVisible(false);

  QMenu* other = menu_->addMenu(q("その他の設定"));
  auto* margin = new QActionGroup(this);
  chk_upper = add_action(other, "chk_upper", "綴じ代は上側につける", 7, true);
  chk_left = add_action(other, "chk_left", "綴じ代は左側につける", 8, true);
  for (QAction* a : {chk_upper, chk_left}) {
    a->setCheckable(true);
    margin->addAction(a);
  }
  chk_left->setChecked(true);
  QMenu* jpeg = other->addMenu(q("jpeg 設定"));
  chk_gray_scale = add_action(jpeg, "chk_gray_scale", "グレースケール", 5, true);
  chk_progressive = add_action(jpeg, "chk_progressive", "段階的表示設定", 6, true);
  chk_gray_scale->setCheckable(true);
  chk_progressive->setCheckable(true);
  jpeg->addSeparator();
  auto* quality = new QActionGroup(this);
  for (int i = 1; i <= 10; ++i) {
    const std::string name = "C" + std::to_string(i * 10);
    const std::string text = i < 10 ? std::to_string(i * 10) + " %" : "100%";
    QAction* a = add_action(jpeg, name.c_str(), text.c_str(), 10 + i, true);
    a->setCheckable(true);
    quality->addAction(a);
    quality_[static_cast<std::size_t>(i - 1)] = a;
  }
  quality_[8]->setChecked(true);  // "90 %"
  QAction* quit = other->addAction(q("終了(&X)"));
  quit->setObjectName(QStringLiteral("close1"));
  connect(quit, &QAction::triggered, this, &QDialog::reject);

  // The top panel: its controls sit at their natural size and are cut when the window is
  // narrower, so the picture can take any width from 20 pixels up.
  Panel1 = new QWidget(this);
  Panel1->setObjectName(QStringLiteral("Panel1"));
  auto* inner = new QWidget(Panel1);
  auto* rows = new QVBoxLayout(inner);
  rows->setContentsMargins(4, 3, 4, 3);
  rows->setSpacing(2);
  auto* row1 = new QHBoxLayout;
  auto* row2 = new QHBoxLayout;
  rows->addLayout(row1);
  rows->addLayout(row2);
  auto make_edit = [&](const char* name, const char* label, int tag) {
    row1->addWidget(new QLabel(q(label), inner));
    auto* e = new QLineEdit(inner);
    e->setObjectName(QString::fromLatin1(name));
    e->setProperty("tag", tag);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QStringLiteral("000000")) + 12);
    e->installEventFilter(this);
    row1->addWidget(e);
    return e;
  };
  X_size = make_edit("X_size", "横のサイズ", 1);
  Y_size = make_edit("Y_size", "縦のサイズ", 2);
  X_size->setText(QStringLiteral("400"));
  Y_size->setText(QStringLiteral("300"));
  print_btn = new QPushButton(q("印刷"), inner);
  print_btn->setObjectName(QStringLiteral("print_btn"));
  print_btn->setProperty("tag", 1);
  print_btn->setAutoDefault(false);
  connect(print_btn, &QPushButton::clicked, this, [this] { print_btnClick(1); });
  close_btn = new QPushButton(q("閉じる"), inner);
  close_btn->setObjectName(QStringLiteral("close_btn"));
  close_btn->setAutoDefault(false);
  connect(close_btn, &QPushButton::clicked, this, &QDialog::reject);
  row1->addSpacing(8);
  row1->addWidget(print_btn);
  row1->addWidget(close_btn);
  row1->addStretch(1);
  auto make_check = [&](const char* name, const char* text, int tag) {
    auto* c = new QCheckBox(q(text), inner);
    c->setObjectName(QString::fromLatin1(name));
    c->setProperty("tag", tag);
    connect(c, &QCheckBox::clicked, this, [this, tag] { chk_whiteClick(tag); });
    row2->addWidget(c);
    return c;
  };
  chk_white = make_check("chk_white", "背景を白にする", 3);
  chk_rotate = make_check("chk_rotate", "用紙を横にする", 1);
  chk_high_quality = make_check("chk_high_quality", "高品質で印刷する", 4);
  chk_print_at_data = make_check("chk_print_at_data", "付加データ表示あり", 9);
  row2->addStretch(1);
  inner->adjustSize();
  Panel1->setFixedHeight(inner->sizeHint().height());
  Panel1->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
  Panel1->setMinimumWidth(0);
  root->addWidget(Panel1);

  p_pnl = new TPaintPanel(this);
  p_pnl->setObjectName(QStringLiteral("p_pnl"));
  p_pnl->SetRepaint_flag(false);
  p_pnl->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
  p_pnl->setMinimumSize(1, 1);
  p_pnl->installEventFilter(this);
  p_pnl->OnPaint = [this](TPaintPanel&, QPainter& p) {
    if (!picture_.isNull()) p.drawImage(0, 0, picture_);
  };
  root->addWidget(p_pnl, 1);

  if (mode_ == kPreview_mode_view) {
    META_BTN->setVisible(false);
    DXF_BTN->setVisible(false);
    meta2clip_btn->setVisible(false);
  } else {
    DXF_BTN->setVisible(true);
  }
}

void TPREVIEW_win::load_settings(const TPreview_settings& s) {
  ready_ = false;
  jpeg_step_ = std::clamp(s.jpeg_step, 1, 10);
  const QString item = QStringLiteral("C%1").arg(jpeg_step_ * 10);
  for (QAction* a : quality_)
    if (a->objectName() == item) a->setChecked(true);
  chk_gray_scale->setChecked(s.gray_scale);
  chk_progressive->setChecked(s.progressive);
  chk_rotate->setChecked(s.rotate);
  chk_white->setChecked(s.white);
  chk_high_quality->setChecked(s.high_quality);
  chk_print_at_data->setChecked(s.print_at_data);
  high_quality_ = s.high_quality;
  left_margin_ = s.left_margin;
  (s.left_margin ? chk_left : chk_upper)->setChecked(true);
  const int w = std::clamp(s.width, kSize_min, kSize_max);
  const int h = std::clamp(s.height, kSize_min, kSize_max);
  X_size->setText(QString::number(w));
  Y_size->setText(QString::number(h));
  saved_w_ = w;
  saved_h_ = h;
  resize_to_picture(w, h);
  ready_ = true;
  rerender();
}

TPreview_settings TPREVIEW_win::settings() const {
  TPreview_settings s;
  s.gray_scale = chk_gray_scale->isChecked();
  s.progressive = chk_progressive->isChecked();
  s.rotate = chk_rotate->isChecked();
  s.white = chk_white->isChecked();
  s.jpeg_step = jpeg_step_;
  s.width = edit_value(X_size, saved_w_);
  s.height = edit_value(Y_size, saved_h_);
  s.left_margin = left_margin_;
  s.high_quality = high_quality_;
  s.print_at_data = chk_print_at_data->isChecked();
  return s;
}

int TPREVIEW_win::edit_value(QLineEdit* e, int fallback) const {
  const std::string t = plat::from_qstring(e->text());
  if (!is_integer_text(t, false)) return fallback;
  return static_cast<int>(std::stol(t));
}

bool TPREVIEW_win::eventFilter(QObject* o, QEvent* e) {
  if (o == p_pnl && e->type() == QEvent::Resize) {
    p_pnlResize();
  } else if (o == X_size || o == Y_size) {
    auto* edit = static_cast<QLineEdit*>(o);
    if (e->type() == QEvent::FocusIn) {
      X_sizeEnter(edit);
    } else if (e->type() == QEvent::FocusOut) {
      X_sizeExit(true, false);
    } else if (e->type() == QEvent::KeyPress) {
      const int key = static_cast<QKeyEvent*>(e)->key();
      if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        X_sizeExit(true, true);
        return true;
      }
    }
  }
  return QDialog::eventFilter(o, e);
}

void TPREVIEW_win::X_sizeEnter(QLineEdit* e) {
  if (e == X_size) saved_w_ = edit_value(X_size, saved_w_);
  else saved_h_ = edit_value(Y_size, saved_h_);
}

// Leaving an edit and Enter both clamp to 20..2000 (a huge value would size the window and
// its pictures without bound); Enter always resizes.
void TPREVIEW_win::X_sizeExit(bool clamp, bool always) {
  int w = edit_value(X_size, saved_w_);
  int h = edit_value(Y_size, saved_h_);
  if (clamp) {
    w = std::clamp(w, kSize_min, kSize_max);
    h = std::clamp(h, kSize_min, kSize_max);
  }
  X_size->setText(QString::number(w));
  Y_size->setText(QString::number(h));
  saved_w_ = w;
  saved_h_ = h;
  if (always || w != p_pnl->width() || h != p_pnl->height()) resize_to_picture(w, h);
  rerender();
}

void TPREVIEW_win::resize_to_picture(int w, int h) {
  const int top = menu_->sizeHint().height() + Panel1->height();
  setMinimumSize(0, 0);
  resize(w, h + top);
  // Laid out at once, so the panel has the new size before anything reads it.
  if (layout()) layout()->activate();
}

void TPREVIEW_win::p_pnlResize() {
  if (!ready_) return;
  X_size->setText(QString::number(p_pnl->width()));
  Y_size->setText(QString::number(p_pnl->height()));
  rerender();
}

TPreview_picture TPREVIEW_win::picture_source(int width, int height) {
  TPreview_picture pic;
  pic.mode = mode_;
  pic.white = chk_white->isChecked();
  pic.print_at_data = chk_print_at_data->isChecked();
  pic.text_height = text_height_;
  pic.back_color = host_.back_color();
  pic.nc_name = host_.nc_file_name();
  pic.file_line = host_.file_line();
  pic.date_text = tooling_date_text(host_.now());
  if (mode_ >= 0) {
    if (tool_) {
      pic.tool = tool_->tool;
      pic.holder = tool_->holder;
      pic.draw = tool_->draw;
    }
    pic.draw.back_color = pic.back_color;
  } else {
    const int top = preview_picture_top(text_height_);
    pic.view = host_.render_view(width, std::max(height - 2 * top, 1));
  }
  return pic;
}

TG2_canvas TPREVIEW_win::picture_canvas(int width, int height, bool force_white) {
  TG2_canvas c;
  const TPreview_picture pic = picture_source(width, height);
  Draw_preview(g_, c, pic, width, force_white, height);
  return c;
}

// The picture is drawn into a kept image when its size or an option changes; painting only
// copies it. While the main window is busy the last picture stays.
void TPREVIEW_win::rerender() {
  if (!ready_ || host_.busy()) return;
  const int w = p_pnl->width(), h = p_pnl->height();
  if (w <= 0 || h <= 0) return;
  setWindowTitle(q("描画中"));
  picture_ = render_G2_canvas(picture_canvas(w, h, false), w, h);
  setWindowTitle(caption_);
  p_pnl->update();
}

void TPREVIEW_win::chk_whiteClick(int tag) {
  if (!ready_) return;
  switch (tag) {
    case 3: case 9: rerender(); break;
    case 4: high_quality_ = chk_high_quality->isChecked(); break;
    case 5: case 6: break;  // the item keeps its own check mark
    case 7: case 8:
      left_margin_ = tag == 8;
      (tag == 8 ? chk_left : chk_upper)->setChecked(true);
      break;
    default:
      if (tag >= 11 && tag <= 20) {
        jpeg_step_ = tag - 10;
        quality_[static_cast<std::size_t>(tag - 11)]->setChecked(true);
      }
      break;
  }
}

bool TPREVIEW_win::write_output(const std::string& name, const QByteArray& bytes) {
  const std::filesystem::path target =
      plat::desktop_folder() / std::filesystem::path(plat::cp932_to_utf8(name));
  std::string err;
  if (!bytes.isEmpty() &&
      plat::write_file_replacing(target, std::string_view(bytes.constData(),
                                                          static_cast<std::size_t>(bytes.size())),
                                 &err))
    return true;
  if (bytes.isEmpty()) err = "encoder";
  setWindowTitle(caption_);
  plat::message_box(name + " を書き込めませんでした。\r\n" + plat::utf8_to_cp932(err), "velmor",
                    plat::MB_OK | plat::MB_ICONSTOP);
  return false;
}

void TPREVIEW_win::print_btnClick(int tag) {
  const int w = std::clamp(edit_value(X_size, saved_w_), kSize_min, kSize_max);
  const int h = std::clamp(edit_value(Y_size, saved_h_), kSize_min, kSize_max);
  const int tool_no = tool_ ? tool_->tool.T_number : 0;
  const std::string nc = host_.nc_file_name();
  auto name_of = [&](const char* tool_ext, const char* view_ext) {
    return preview_output_name(mode_, nc, tool_no, mode_ >= 0 ? tool_ext : view_ext);
  };
  auto done = [this](const std::string& name) {
    setWindowTitle(plat::to_qstring(name + " をデスクトップに出力しました"));
  };
  switch (tag) {
    case 1:
      print_picture();
      break;
    case 2: {
      const std::string name = name_of(".bmp", ".BMP");
      setWindowTitle(plat::to_qstring(name + " をデスクトップに出力"));
      if (write_output(name, bmp_bytes(render_G2_canvas(picture_canvas(w, h, false), w, h))))
        done(name);
      break;
    }
    case 3: {
      const std::string name = name_of(".jpg", ".jpg");
      setWindowTitle(plat::to_qstring(name + " をデスクトップに出力中"));
      const QImage img = render_G2_canvas(picture_canvas(w, h, false), w, h);
      if (write_output(name, jpeg_bytes(img, 10 * jpeg_step_, chk_gray_scale->isChecked(),
                                        chk_progressive->isChecked())))
        done(name);
      break;
    }
    case 4: {
      if (mode_ < 0) break;
      const std::string name = name_of(".emf", ".emf");
      setWindowTitle(plat::to_qstring(name + " をデスクトップに出力中"));
      const std::string emf = emf_from_canvas(picture_canvas(w, h, false), w, h);
      if (write_output(name, QByteArray(emf.data(), static_cast<qsizetype>(emf.size()))))
        done(name);
      break;
    }
    case 5: {
      if (mode_ < 0) break;
      const std::string name = name_of(".dxf", ".dxf");
      setWindowTitle(plat::to_qstring(name + " をデスクトップに出力中"));
      {
        TG2_capture_scope capture(g_);
        picture_canvas(w, h, chk_white->isChecked());
      }
      const std::string dxf = G2_DXF_file_text(g_.dxf_text);
      if (write_output(name, QByteArray(dxf.data(), static_cast<qsizetype>(dxf.size()))))
        done(name);
      break;
    }
    case 7:
    case 8: {
      if (tag == 8 && mode_ < 0) break;
      setWindowTitle(q("クリップボード出力中"));
      const TG2_canvas c = picture_canvas(w, h, false);
      const QImage img = render_G2_canvas(c, w, h);
      if (tag == 7) {
        QApplication::clipboard()->setImage(img);
      } else {
        // X11 has no metafile format: the EMF bytes go under their MIME types, with the
        // bitmap for programs that take no EMF.
        const std::string emf = emf_from_canvas(c, w, h);
        const QByteArray bytes(emf.data(), static_cast<qsizetype>(emf.size()));
        auto* data = new QMimeData;
        data->setData(QStringLiteral("image/x-emf"), bytes);
        data->setData(QStringLiteral("image/emf"), bytes);
        data->setImageData(img);
        QApplication::clipboard()->setMimeData(data);
      }
      setWindowTitle(q("クリップボードに出力しました"));
      break;
    }
    default:
      break;
  }
}

// One page: the picture as vectors (mode -1: with the rendered view in it), scaled into the
// printable area less the binding margin, its aspect kept.
void TPREVIEW_win::print_picture() {
  QPrinter printer(chk_high_quality->isChecked() ? QPrinter::HighResolution
                                                 : QPrinter::ScreenResolution);
  printer.setPageOrientation(chk_rotate->isChecked() ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait);
  if (!dialogs_.choose_printer(printer, this)) return;
  printer.setPageOrientation(chk_rotate->isChecked() ? QPageLayout::Landscape
                                                     : QPageLayout::Portrait);
  const int w = std::clamp(edit_value(X_size, saved_w_), kSize_min, kSize_max);
  const int h = std::clamp(edit_value(Y_size, saved_h_), kSize_min, kSize_max);
  const TG2_canvas c = picture_canvas(w, h, true);
  QPainter p;
  if (!p.begin(&printer)) {
    plat::message_box("印刷を始められませんでした。", "velmor", plat::MB_OK | plat::MB_ICONSTOP);
    return;
  }
  const double margin = kBinding_margin_mm * printer.resolution() / 25.4;
  const double left = left_margin_ ? margin : 0, top = left_margin_ ? 0 : margin;
  const double avail_w = p.device()->width() - left, avail_h = p.device()->height() - top;
  const double s = std::max(0.0, std::min(avail_w / w, avail_h / h));
  p.translate(left, top);
  p.scale(s, s);
  p.setClipRect(QRect(0, 0, w + 1, h + 1));
  paint_G2_canvas(p, c);
  p.end();
}

void open_PREVIEW_win(Ttooling_host& host, TG2& g, TPreview_settings& settings, int mode,
                      const TPreview_tool* tool, TPreview_dialogs* dialogs, QWidget* parent) {
  TPreview_dialogs standard;
  TPREVIEW_win win(host, g, mode, tool, dialogs ? *dialogs : standard, parent);
  win.load_settings(settings);
  win.exec();
  settings = win.settings();
}

void open_PREVIEW_win(Ttooling_host& host, TG2& g, Tdisp_status& disp, bool& left_margin,
                      int mode, const TPreview_tool* tool, TPreview_dialogs* dialogs,
                      QWidget* parent) {
  TPreview_settings s = preview_settings_of(disp, left_margin);
  open_PREVIEW_win(host, g, s, mode, tool, dialogs, parent);
  store_preview_settings(s, disp);
  left_margin = s.left_margin;
}
