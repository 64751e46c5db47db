// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "mainwin/velmor_1.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QMenuBar>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>

#include "mainwin/core/command_table.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/startup.h"
#include "mainwin/core/tooling_host_adapter.h"
#include "mainwin/list_panel_1.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"

const char* const Tvelmor::kCaption = "Velmor_PRO Version 2.14 ";

// The window's answers to the core.
class Tvelmor::WindowUi : public TVLM_ui {
 public:
  explicit WindowUi(Tvelmor& w) : w_(w) {}
  void set_caption(const std::string& t) override { w_.setWindowTitle(plat::to_qstring(t)); }
  void draw_data(int) override { w_.redraw_view(); }
  void repaint() override { w_.update(); }
  void listing_enable(bool on) override {
    if (w_.listing_) Enable_NCD_list(w_.listing_->list(), on);
  }
  void listing_reset() override {
    if (w_.listing_) Clear_NCD_list(w_.listing_->list());
  }
  void listing_refresh() override {
    if (!w_.listing_) return;
    Set_NCD_list_range(w_.listing_->list());
    Redraw_NCD_list(w_.listing_->list());
  }
  void commit_listing() override {
    if (w_.listing_) Commit_NCD_list(w_.listing_->list());
  }
  void close_window() override { w_.close(); }
  void quit() override { QCoreApplication::exit(0); }

 private:
  Tvelmor& w_;
};

// The file dialog until the program's own file chooser exists: a non-native QFileDialog.
// The line end and the insertion place stay those of the settings.
class Tvelmor::FileChooser : public TVLM_file_chooser {
 public:
  explicit FileChooser(QWidget* parent) : parent_(parent) {}
  bool choose(TVLM_file_request& r) override {
    QFileDialog dlg(parent_, plat::to_qstring(r.caption));
    dlg.setOption(QFileDialog::DontUseNativeDialog);
    dlg.setDirectory(plat::path_to_qstring(r.folder));
    const bool save = r.mode == 4 || r.mode == 5;
    dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    dlg.setNameFilters({plat::to_qstring(r.filter), QStringLiteral("*")});
    if (!r.file_name.empty()) dlg.selectFile(plat::to_qstring(r.file_name));
    if (!r.ok_text.empty()) dlg.setLabelText(QFileDialog::Accept, plat::to_qstring(r.ok_text));
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
    r.chosen = plat::qstring_to_path(dlg.selectedFiles().front());
    return true;
  }

 private:
  QWidget* parent_;
};

Tvelmor::Tvelmor(Tgl_func* gl, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<TSession>()),
      ui_(std::make_unique<WindowUi>(*this)),
      host_(std::make_unique<TVLM_host>(*session_, *ui_)),
      tool_host_(std::make_unique<TVLM_tooling_host>(*session_, *ui_)),
      chooser_(std::make_unique<FileChooser>(this)),
      commands_(std::make_unique<TVLM_command_table>()) {
  if (!gl) {
    own_gl_ = std::make_unique<Tgl_func>();
    gl = own_gl_.get();
  }
  gl_ = gl;
  TSession& s = *session_;
  gl_->global_log = &s.debug_list;
  gl_->global_log_on = true;
  init_session(s, plat::data_folder(), plat::desktop_folder());
  s.deb.install();
  setWindowTitle(plat::to_qstring(kCaption));
  write_default_files(s);
  host_->attach();
  Create_NCD(s.nc());
  Create_NCD(*s.spare);
  build_menus();
  // The NC listing left of the 3D view.
  auto* split = new QSplitter(Qt::Horizontal, this);
  listing_ = std::make_unique<TVelmorListing>(split, s.nc(), *host_);
  gpnl_ = new plat::GlPanel(split);
  gpnl_->setObjectName(QStringLiteral("gpnl"));
  split->addWidget(listing_->panel());
  split->addWidget(gpnl_);
  split->setStretchFactor(1, 1);
  split->setSizes({400, 624});
  setCentralWidget(split);
  resize(1024, 720);
  connect(gpnl_->gl_window(), &plat::GlWindow::exposed, this, [this] { redraw_view(); });
  connect(gpnl_->gl_window(), &plat::GlWindow::resized, this, [this](int w, int h) {
    const qreal dpr = gpnl_->gl_window()->devicePixelRatio();
    gl_->set_GL_view_area(0, static_cast<int>(w * dpr), static_cast<int>(h * dpr), 0, 0, 0, 0);
    if (gl_->slot[0].flag_open) redraw_view();
  });
}

Tvelmor::~Tvelmor() {
  if (!closed_) FormCloseQuery();
  if (gl_->slot[0].flag_open) gl_->close(0);
  gl_->global_log = nullptr;
  TSession& s = *session_;
  listing_.reset();
  Free_NCD(s.nc());
  Free_NCD(*s.spare);
  finish_log_list(s);
  s.deb.mirror_on = false;
  s.deb.uninstall();
}

void Tvelmor::build_menus() {
  register_file_commands(*commands_, *session_, *ui_, *chooser_);
  struct Item {
    const char* name;
    const char* text;
    QKeySequence key;
    int tag;
  };
  const Item file_items[] = {
      {"Open1", "開く(&O)...", QKeySequence(Qt::CTRL | Qt::Key_O), 2},
      {"N4", "カーソル行に挿入(&I)...", QKeySequence(Qt::CTRL | Qt::Key_I), 14},
      {"N5", "最終行に追加(&E)...", QKeySequence(Qt::CTRL | Qt::Key_E), 15},
      {nullptr, nullptr, {}, 0},
      {"Save1", "上書き保存(&S)...", QKeySequence(Qt::CTRL | Qt::Key_W), 4},
      {"SaveAs1", "名前を付けて保存(&A)...", {}, 5},
      {nullptr, nullptr, {}, 0},
      {"Exit1", "終了(&X)", {}, 99},
  };
  QMenu* file = menuBar()->addMenu(plat::to_qstring("ファイル(&F)"));
  file->setObjectName(QStringLiteral("File1"));
  for (const Item& it : file_items) {
    if (!it.name) {
      file->addSeparator();
      continue;
    }
    QAction* a = file->addAction(plat::to_qstring(it.text));
    a->setObjectName(QString::fromLatin1(it.name));
    a->setProperty("Tag", it.tag);
    if (!it.key.isEmpty()) a->setShortcut(it.key);
    connect(a, &QAction::triggered, this, [this, a] { open1Click(a); });
  }
}

Ttooling_host& Tvelmor::tooling_host() { return *tool_host_; }

void Tvelmor::set_start_file(const std::filesystem::path& path) {
  std::error_code ec;
  start_file_ = path.empty() ? path : std::filesystem::absolute(path, ec);
}

void Tvelmor::open1Click(QObject* sender) {
  if (!sender) return;
  ::open1Click(*ui_, *commands_, sender->property("Tag").toInt());
}

void Tvelmor::on_app_exception(const std::string& what) {
  if (::on_app_exception(*session_, what)) QCoreApplication::exit(0);
}

void Tvelmor::showEvent(QShowEvent* ev) {
  QMainWindow::showEvent(ev);
  if (shown_once_) return;
  shown_once_ = true;
  FormShow();
}

void Tvelmor::closeEvent(QCloseEvent* ev) {
  if (!closed_) FormCloseQuery();
  ev->accept();
}

void Tvelmor::FormShow() {
  TSession& s = *session_;
  if (QScreen* scr = screen()) {
    s.form.screen_w = scr->availableGeometry().width();
    s.form.screen_h = scr->availableGeometry().height();
  }
  read_environment(s, 1);
  apply_form_bounds();
  open_view();
  Redraw_NCD_list(listing_->list());
  if (!start_file_.empty() && !plat::busy()) {
    std::error_code ec;
    std::filesystem::current_path(start_file_.parent_path(), ec);
    open_NCD(s, *ui_, start_file_);
  }
}

void Tvelmor::apply_form_bounds() {
  const TVLM_form_state& f = session_->form;
  setGeometry(f.left, f.top, std::max(f.width, 100), std::max(f.height, 100));
  if (f.window_state == 2) setWindowState(Qt::WindowMaximized);
  else if (f.window_state == 1) setWindowState(Qt::WindowMinimized);
}

void Tvelmor::FormCloseQuery() {
  closed_ = true;
  TSession& s = *session_;
  const Qt::WindowStates st = windowState();
  const int state = (st & Qt::WindowMinimized) ? 1 : (st & Qt::WindowMaximized) ? 2 : 0;
  s.env.write_env_int("velmor_Form_WindowState", state);
  const QRect g = normalGeometry().isValid() ? normalGeometry() : geometry();
  s.form.left = g.x();
  s.form.top = g.y();
  s.form.width = g.width();
  s.form.height = g.height();
  std::string err;
  if (!write_environment(s, &err))
    plat::message_box("設定ファイルを保存できませんでした。\r\n" + plat::utf8_to_cp932(err),
                      "Velmor.DAT", plat::MB_OK | plat::MB_ICONSTOP);
  gl_->close(0);
  s.deb.mirror_on = false;
}

void Tvelmor::open_view() {
  plat::GlWindow* w = gpnl_->gl_window();
  const qreal dpr = w->devicePixelRatio();
  gl_->set_GL_view_area(0, static_cast<int>(w->width() * dpr), static_cast<int>(w->height() * dpr),
                        0, 0, 0, 0);
  if (!gl_->open(w, 0, true, true)) return;
  gl_->set_GL_default_view(0);
  redraw_view();
}

void Tvelmor::redraw_view() { GL_show_cleared(*gl_, gpnl_->gl_window(), 0); }
