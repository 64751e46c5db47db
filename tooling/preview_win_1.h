// The print preview: one picture (the tool settings window's tool with its dimensions, or
// the main window's 3D view) with a title and a footer, written to BMP, JPEG, EMF and DXF
// files on the desktop, to the clipboard, or printed.
#pragma once
#include <QDialog>
#include <QImage>
#include <array>
#include <memory>
#include <string>

#include "simulation/tool_records.h"
#include "tooling/core/g2_func.h"
#include "tooling/core/preview_picture.h"
#include "tooling/core/tool_drawing.h"
#include "tooling/core/tooling_host.h"

class QAction;
class QActionGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QMenuBar;
class QPrinter;
class QPushButton;
class TPaintPanel;

// The tool picture of mode >= 0.
struct TPreview_tool {
  TTOOL tool;
  THOLDER holder;
  TDraw_settings draw;
};

// The printer dialog; tests give one that picks a PDF file.
class TPreview_dialogs {
 public:
  virtual ~TPreview_dialogs() = default;
  // True when the user chose a printer (set up in `printer`).
  virtual bool choose_printer(QPrinter& printer, QWidget* parent);
};

class TPREVIEW_win : public QDialog {
  Q_OBJECT
 public:
  TPREVIEW_win(Ttooling_host& host, TG2& g, int mode, const TPreview_tool* tool,
               TPreview_dialogs& dialogs, QWidget* parent = nullptr);
  ~TPREVIEW_win() override;

  // Fills the controls from the settings and sizes the picture; reads them back.
  void load_settings(const TPreview_settings& s);
  TPreview_settings settings() const;

  // Outputs by the Tag of the item (2 BMP, 3 JPEG, 4 EMF, 5 DXF, 7 bitmap and 8 metafile to
  // the clipboard, 1 print).
  void print_btnClick(int tag);
  // Option changes by Tag; they act only once the window is ready.
  void chk_whiteClick(int tag);

  // The picture of width x height as the files get it (force-white for print drawings).
  TG2_canvas picture_canvas(int width, int height, bool force_white);
  const QImage& shown_picture() const { return picture_; }
  int mode() const { return mode_; }

 protected:
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void build();
  QAction* add_action(QMenu* m, const char* name, const char* text, int tag, bool option);
  void X_sizeEnter(QLineEdit* e);
  void X_sizeExit(bool clamp, bool always);
  void p_pnlResize();
  void resize_to_picture(int w, int h);
  void rerender();
  int edit_value(QLineEdit* e, int fallback) const;
  TPreview_picture picture_source(int width, int height);
  bool write_output(const std::string& name, const QByteArray& bytes);
  void print_picture();

  Ttooling_host& host_;
  TG2& g_;
  int mode_;
  std::unique_ptr<TPreview_tool> tool_;
  TPreview_dialogs& dialogs_;
  int text_height_ = 12;
  int jpeg_step_ = 10;
  bool ready_ = false;
  int saved_w_ = 400, saved_h_ = 300;
  bool high_quality_ = false;
  bool left_margin_ = true;
  QImage picture_;
  QString caption_;

  QMenuBar* menu_ = nullptr;
  QWidget* Panel1 = nullptr;
  QLineEdit* X_size = nullptr;
  QLineEdit* Y_size = nullptr;
  QPushButton* print_btn = nullptr;
  QPushButton* close_btn = nullptr;
  QCheckBox* chk_white = nullptr;
  QCheckBox* chk_rotate = nullptr;
  QCheckBox* chk_high_quality = nullptr;
  QCheckBox* chk_print_at_data = nullptr;
  TPaintPanel* p_pnl = nullptr;
  QAction* META_BTN = nullptr;
  QAction* DXF_BTN = nullptr;
  QAction* meta2clip_btn = nullptr;
  QAction* chk_upper = nullptr;
  QAction* chk_left = nullptr;
  QAction* chk_gray_scale = nullptr;
  QAction* chk_progressive = nullptr;
  std::array<QAction*, 10> quality_{};
};

// The main window's preview command: runs the window modally with the settings, which come
// back changed whatever the result. Mode -1 previews the 3D view; other modes the given tool.
void open_PREVIEW_win(Ttooling_host& host, TG2& g, TPreview_settings& settings, int mode,
                      const TPreview_tool* tool = nullptr, TPreview_dialogs* dialogs = nullptr,
                      QWidget* parent = nullptr);
// The same over the display record and the main window's binding-margin item.
void open_PREVIEW_win(Ttooling_host& host, TG2& g, Tdisp_status& disp, bool& left_margin,
                      int mode, const TPreview_tool* tool = nullptr,
                      TPreview_dialogs* dialogs = nullptr, QWidget* parent = nullptr);
