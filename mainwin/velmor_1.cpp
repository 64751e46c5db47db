// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "mainwin/view/tool_path_picture.h"
#include "mainwin/view/view_gl.h"
#include "mainwin/velmor_1.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileDialog>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QRadioButton>
#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QToolBar>
#include <QScreen>
#include <QShowEvent>
#include <QSplitter>

#include "mainwin/copy_out_dialogs.h"
#include "mainwin/core/command_table.h"
#include "mainwin/core/copy_outs.h"
#include "mainwin/core/file_commands.h"
#include "mainwin/core/host_adapter.h"
#include "common/widgets/input_number.h"
#include "common/widgets/new_ctrls.h"
#include "mainwin/core/dialog_commands.h"
#include "mainwin/core/display_commands.h"
#include "mainwin/core/main_commands.h"
#include "mainwin/core/menu_commands.h"
#include "mainwin/core/popup_commands.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/startup.h"
#include "mainwin/core/tool_list_commands.h"
#include "mainwin/core/tooling_host_adapter.h"
#include "mainwin/A_version_1.h"
#include "mainwin/G91_G90_setup_win_1.h"
#include "mainwin/file_list_1.h"
#include "mainwin/move_rotate_win_1.h"
#include "mainwin/find_dialog_1.h"
#include "mainwin/tool_setting_commands.h"
#include "mainwin/list_panel_1.h"
#include "mainwin/other_exec_win_1.h"
#include "mainwin/menu_builder_1.h"
#include "mainwin/preview_commands.h"
#include "mainwin/view_panel_1.h"
#include "mainwin/work_setting_windows.h"
#include "mainwin/control_view_1.h"
#include "mainwin/sim_panels_1.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/qtext.h"
#include "tooling/tool_list_win_1.h"
#include "tooling/clip_edit_1.h"

const char* const Tvelmor::kCaption = "Velmor_PRO Version 2.14 ";

// The window's answers to the core.
class Tvelmor::WindowUi : public TVLM_ui {
 public:
  explicit WindowUi(Tvelmor& w) : w_(w) {}
  void set_caption(const std::string& t) override { w_.setWindowTitle(plat::to_qstring(t)); }
  int draw_data(int mode) override { return w_.view_ ? w_.view_->view().draw_data(mode) : 0; }
  bool draw_step(NCD_DATA& d, int mode) override {
    return w_.view_ ? w_.view_->view().draw_step(mode) : TVLM_ui::draw_step(d, mode);
  }
  void fit_scale(int arg) override {
    if (w_.view_) w_.view_->view().fit_scale(arg != 0);
  }
  bool zoom_by_factor(double f) override {
    return w_.view_ && w_.view_->view().zoom_by_factor(f);
  }
  std::shared_ptr<const TG2_picture> render_view(int width, int height) override {
    return w_.view_ ? w_.view_->view().render_view(width, height) : nullptr;
  }
  bool draw_ZU_of_TOOL(int seg, int width, int height,
                       std::shared_ptr<const TG2_picture>& out) override {
    if (w_.view_) return draw_tool_path_picture(w_.session(), w_.view_->view(), seg, width, height,
                                                  out);
    out.reset();
    return true;
  }
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
  std::filesystem::path open_file_dialog(int mode) override;
  void close_window() override { w_.close(); }
  void quit() override { QCoreApplication::exit(0); }
  bool frame_geometry(int& left, int& top, int& width, int& height) override {
    const QRect g = w_.frameGeometry();
    left = g.x();
    top = g.y();
    width = g.width();
    height = g.height();
    return true;
  }
  bool item_checked(const char* c) override {
    QAction* a = find_action(w_, c);
    return a && a->isChecked();
  }
  void set_item_checked(const char* c, bool on) override {
    if (QAction* a = find_action(w_, c)) a->setChecked(on);
  }
  void set_item_caption(const char* c, const std::string& t) override {
    if (QAction* a = find_action(w_, c)) a->setText(plat::to_qstring(t));
  }
  void set_item_visible(const char* c, bool on) override {
    const QString name = QString::fromLatin1(c);
    if (QAction* a = find_action(w_, c)) a->setVisible(on);
    else if (QMenu* m = w_.menuBar()->findChild<QMenu*>(name)) m->menuAction()->setVisible(on);
    else if (QToolBar* t = w_.findChild<QToolBar*>(name)) t->setVisible(on);
  }
  void mouse_mode_changed(int mode) override {
    const int low = mode & 0xF;
    set_item_checked("spbtn_zoom", low == 1);
    set_item_checked("spbtn_pan", low == 2);
    set_item_checked("spbtn_rotate", low == 3);
    set_item_checked("spbtn_zoomove", mode == 19);
    set_item_checked("spbtn_location", ((mode >> 4) & 0xF) == 2);
  }
  TGL_VIEW* gl_view() override { return &w_.gl_->slot[0].view; }
  void set_list_font(int height) override {
    if (!w_.listing_) return;
    w_.listing_->list().font_height = height;
    w_.listing_->panel()->attach(&w_.listing_->list());
  }
  NCD_EDIT_LIST* edit_list() override { return w_.listing_ ? &w_.listing_->list() : nullptr; }
  int input_number(const std::string& caption, const std::string& initial) override {
    return input_number_at_cursor(caption, initial);
  }
  bool clipboard_text(std::string& out, bool& lossless) override {
    const QString t = QGuiApplication::clipboard()->text();
    if (t.isEmpty()) return false;
    lossless = true;
    out = plat::from_qstring(t, &lossless);
    return true;
  }
  void set_clipboard_text(const std::string& t) override {
    QGuiApplication::clipboard()->setText(plat::to_qstring(t));
  }
  void set_menus_hidden(bool on) override { w_.menus_hidden_ = on; }
  void gl_set_color24(bool on) override { w_.gl_->color24 = on; }
  bool g91_g90_dialog(const std::string& label, bool& use_dot) override {
    TG91_G90_cnv_win dlg(&w_);
    dlg.label_1->setText(plat::to_qstring(label));
    (use_dot ? dlg.use_dot : dlg.dont_use_dot)->setChecked(true);
    if (dlg.exec() != QDialog::Accepted) return false;
    use_dot = dlg.use_dot->isChecked();
    return true;
  }
  bool move_rotate_dialog(MOVE_ROTATE_VALUES& v) override {
    Tmove_rotate_win dlg(&w_);
    dlg.values = v;
    if (dlg.exec() != QDialog::Accepted) return false;
    v = dlg.values;
    return true;
  }
  int find_dialog(FIND_SETTINGS& f) override { return open_find_dialog(&w_, f); }
  void show_about() override {
    TA_version dlg(&w_);
    dlg.Version->setText(QStringLiteral("Version 2.14 "));
    dlg.exec();
  }
  bool other_exec_dialog(OTHER_EXEC_SETTINGS& o, const std::string& tmp,
                         const std::string& nc) override {
    Tother_exec_win dlg(&w_);
    dlg.tmp_path = tmp;
    dlg.nc_path = nc;
    dlg.set_exec_items(o.names);
    dlg.exec_name->setEditText(plat::to_qstring(o.last_data));
    dlg.set_item_index(o.r_num);
    if (o.width > dlg.exec_name->width() + 4) dlg.resize(o.width, dlg.height());
    dlg.choose_file = [](QWidget* parent) {
      return plat::qstring_to_path(QFileDialog::getOpenFileName(
          parent, plat::to_qstring("実行ファイルの選択"), QString(), QString(), nullptr,
          QFileDialog::DontUseNativeDialog));
    };
    if (dlg.exec() != QDialog::Accepted) return false;
    o.names = dlg.exec_items();
    if (o.names.size() > kHistoryMax) o.names.resize(kHistoryMax);
    o.r_num = dlg.item_index();
    o.width = dlg.width();
    o.last_data = dlg.command();
    return true;
  }
  void show_output(TText_lines& lines, const std::string& caption) override {
    w_.clip_edit_->set_lines(lines, caption);
    w_.clip_edit_->show_beside(&w_);
  }
  void output_caption(const std::string& caption) override {
    w_.clip_edit_->set_caption(caption);
  }
  bool TDH_dialog(TTOOL_TDH_request& r) override { return show_TDH_dialog(&w_, r); }
  bool tool_check_dialog(const TTOOL_check_request& r, Tdisp_status& p) override {
    return show_tool_check_dialog(&w_, r, p);
  }
  // The control panel, the error list and the simulation menu.
  void work_window_point(const std::string& point) override {
    if (w_.sim_panels_ && w_.sim_panels_->work_window()) w_.sim_panels_->work_window()->show_point(point);
  }
  void work_window_text(const std::string& text) override {
    if (w_.sim_panels_ && w_.sim_panels_->work_window()) w_.sim_panels_->work_window()->show_text(text);
  }
  void panel_tool_image() override {
    if (w_.sim_panels_) w_.sim_panels_->panel().Draw_controler_TOOL_IMG();
  }
  void panel_refresh() override {
    if (w_.sim_panels_) w_.sim_panels_->panel_refresh();
  }
  void panel_reset() override {
    if (w_.sim_panels_) w_.sim_panels_->panel_reset();
  }
  bool err_window_has_lines() override {
    return w_.sim_panels_ && w_.sim_panels_->err_window_has_lines();
  }
  void show_err_window(const std::vector<std::string>& lines, const std::string& caption) override {
    if (w_.sim_panels_) w_.sim_panels_->show_err_window(lines, caption);
  }
  void clear_err_window() override {
    if (w_.sim_panels_) w_.sim_panels_->clear_err_window();
  }
  void err_window_add_pick(const std::string& text, int n) override {
    if (w_.sim_panels_) w_.sim_panels_->err_window_add_pick(text, n);
  }
  void show_find_results(const std::string& caption, std::vector<std::string>&& lines) override {
    if (w_.sim_panels_) w_.sim_panels_->show_find_results(caption, lines);
  }
  void set_controler_visible(bool on) override {
    if (w_.sim_panels_) w_.sim_panels_->set_panel_visible(on);
  }
  bool controler_visible() override { return w_.sim_panels_ && w_.sim_panels_->panel_visible(); }
  void panel_view_tracks(int track_z, int track_x) override {
    if (w_.sim_panels_) w_.sim_panels_->panel().set_view_tracks(track_z, track_x);
  }
  void panel_sync_switches() override {
    if (w_.sim_panels_) w_.sim_panels_->panel().Refresh_switches();
  }
  void auto_WORK_for_NCD() override {
    if (w_.sim_panels_) w_.sim_panels_->auto_WORK_for_NCD();
  }
  void refresh_simulation_menu() override {
    if (w_.sim_panels_) w_.sim_panels_->refresh_simulation_menu();
  }
  void end_WORK_SET() override {
    if (w_.sim_panels_) w_.sim_panels_->sim().end_WORK_SET();
  }

 private:
  Tvelmor& w_;
};

std::filesystem::path Tvelmor::WindowUi::open_file_dialog(int mode) {
  return open_FILE(*w_.session_, *w_.chooser_, mode);
}

Tvelmor::Tvelmor(Tgl_func* gl, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<TSession>()),
      ui_(std::make_unique<WindowUi>(*this)),
      host_(std::make_unique<TVLM_host>(*session_, *ui_)),
      tool_host_(std::make_unique<TVLM_tooling_host>(*session_, *ui_)),
      chooser_(std::make_unique<TVLM_file_dialog>(this)),
      commands_(std::make_unique<TVLM_command_table>()),
      work_settings_(std::make_unique<TVLM_work_setting_windows>(this, *tool_host_)),
      copy_dialogs_(std::make_unique<TVLM_copy_out_dialogs>(this)),
      tool_windows_(std::make_unique<TVLM_tool_setting_windows>(*session_, *tool_host_, this)) {
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
  // The NC listing left of the 3D view.
  auto* split = new QSplitter(Qt::Horizontal, this);
  listing_ = std::make_unique<TVelmorListing>(split, s.nc(), *host_);
  view_ = new Tview_panel(split, s, *gl_, *ui_);
  gpnl_ = view_->gpnl();
  split->addWidget(listing_->panel());
  split->addWidget(gpnl_);
  split->setStretchFactor(1, 1);
  split->setSizes({400, 624});
  setCentralWidget(split);
  clip_edit_ = std::make_unique<TClip_Edit>(*tool_host_);
  build_menus();
  // Files dropped on the window open as the NC program.
  drop_ = new TFileDrop(this);
  drop_->OnFileDrop = [this](TFileDrop&, int, const std::vector<std::string>& files, int, int) {
    FileDrop1FileDrop(*session_, *ui_, files);
  };
  drop_->Loaded();
  // The control panel, the error list and the simulation menu's commands.
  sim_panels_ = new Tsim_panels(*this, s, *ui_, listing_->list(), *commands_);
  sim_panels_->set_work_window(&work_settings_->sim_window());
  resize(1024, 720);
}

Tvelmor::~Tvelmor() {
  if (!closed_) FormCloseQuery();
  if (gl_->slot[0].flag_open) gl_->close(0);
  gl_->global_log = nullptr;
  TSession& s = *session_;
  delete sim_panels_;
  sim_panels_ = nullptr;
  listing_.reset();
  Free_NCD(s.nc());
  Free_NCD(*s.spare);
  finish_log_list(s);
  s.deb.mirror_on = false;
  s.deb.uninstall();
}

void Tvelmor::build_menus() {
  register_file_commands(*commands_, *session_, *ui_, *chooser_);
  auto* tool_lists = new TTOOL_LIST_win_opener(*tool_host_, this);
  register_tool_list_commands(*commands_, *session_, *tool_host_, *tool_lists);
  tool_windows_->set_tool_list_opener(tool_lists);
  register_tool_setting_commands(*commands_, *session_, *ui_, *chooser_, *tool_windows_);
  register_main_commands(*commands_, *session_, *ui_);
  register_popup_commands(*commands_, *session_, *ui_);
  register_display_commands(*commands_, *session_, *ui_);
  register_dialog_commands(*commands_, *session_, *ui_);
  register_preview_commands(*commands_, *session_, *tool_host_, this);
  register_work_setting_commands(*commands_, *session_, *ui_, *work_settings_);
  register_copy_out_commands(*commands_, *session_, *ui_, *copy_dialogs_);
  const VLM_built_menus built = build_menus_from_table(
      *this, [this](const VLM_menu_item& it, QAction* a) { run_item(static_cast<int>(it.handler), a); });
  toolbar_ = built.toolbar;
  p_menu1_ = built.popup;
  // Opening the simulation menu brings it in line first (its Tag 0).
  if (QMenu* sim = menuBar()->findChild<QMenu*>(QStringLiteral("MM_simulation")))
    connect(sim, &QMenu::aboutToShow, this, [this] {
      MM_simulationClick(*ui_, *commands_, 0);
    });
  listing_->panel()->on_popup = [this](int row, const QPoint& at) {
    p_menu1Popup(row);
    p_menu1_->popup(at);
  };
}

void Tvelmor::run_item(int handler, QObject* sender) {
  if (!sender) return;
  // A toggle's command sets its own check mark: Qt's flip on the click is taken back, so a
  // refused command leaves the mark as it was.
  if (auto* a = qobject_cast<QAction*>(sender); a && a->isCheckable() && !a->actionGroup())
    a->setChecked(!a->isChecked());
  run_menu_item(*session_, *ui_, *commands_, static_cast<VLM_handler>(handler),
                sender->property("Tag").toInt());
}

void Tvelmor::spmenu_list_resetClick(QObject* sender) {
  run_item(static_cast<int>(VLM_handler::list_popup), sender);
}

void Tvelmor::menu_vis_toolClick(QObject* sender) {
  run_item(static_cast<int>(VLM_handler::display), sender);
}

void Tvelmor::p_menu1Popup(int row) {
  TSession& s = *session_;
  const std::string text = listing_->panel()->row_text(row);
  s.menu.popup_row_line = row_line_number(text);
  s.menu.popup_row_number = s.menu.popup_row_line > 0 ? std::to_string(s.menu.popup_row_line) : "";
  const NCD_DATA& d = s.nc();
  const NCD_EDIT_LIST& l = listing_->list();
  VLM_popup_input in;
  in.loaded = d.line_count > 0;
  in.range_first = d.pos.mark_first;
  in.range_last = d.pos.mark_last;
  in.cur_line = d.pos.cur_line;
  in.cur_step = d.pos.block_count;
  in.sel.start = l.sel_start;
  in.sel.end = l.sel_end;
  in.sel.anchor = l.sel_fixed;
  in.row_number = s.menu.popup_row_number;
  const VLM_popup_state st = popup_state(in);
  auto set = [this](const char* name, const std::string* caption, bool enabled) {
    QAction* a = find_action(*this, name);
    if (!a) return;
    if (caption) a->setText(plat::to_qstring(*caption));
    a->setEnabled(enabled && find_menu_item(name)->state != VLM_item_state::pending);
  };
  set("spmenu_list_st", &st.list_st, st.program_items);
  set("spmenu_list_en", &st.list_en, st.program_items);
  set("spmenu_list_reset", &st.list_reset, st.program_items);
  for (const char* n : {"menu_preset_center", "menu_ins_dammy_TOOL", "menu_ins_dammy_color",
                        "menu_ins_clip_text", "menu_delete_line"})
    set(n, nullptr, st.program_items);
  set("spmenu_sel_start", &st.sel_start, true);
  set("spmenu_selend_lock", &st.selend_lock, st.selection_items);
  for (const char* n : {"spmenu_sel_to_delete", "spmenu_select_cancel", "spmenu_sel_to_clipboard",
                        "spmenu_sel_to_G91", "spmenu_sel_to_G90", "spmenu_sel_to_rotate",
                        "spmenu_sel_to_move", "spmenu_sel_to_joint", "spmenu_sel_to_path_delete"})
    set(n, nullptr, st.selection_items);
}

Ttooling_host& Tvelmor::tooling_host() { return *tool_host_; }

void Tvelmor::set_start_file(const std::filesystem::path& path) {
  std::error_code ec;
  start_file_ = path.empty() ? path : std::filesystem::absolute(path, ec);
}

void Tvelmor::open1Click(QObject* sender) {
  run_item(static_cast<int>(VLM_handler::main), sender);
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
  // While the menus are hidden the window manager's close is refused; Exit still closes.
  if (menus_hidden_ && ev->spontaneous()) {
    ev->ignore();
    return;
  }
  if (!closed_) FormCloseQuery();
  if (clip_edit_) clip_edit_->close();
  ev->accept();
}

void Tvelmor::FormShow() {
  TSession& s = *session_;
  if (QScreen* scr = screen()) {
    s.form.screen_w = scr->availableGeometry().width();
    s.form.screen_h = scr->availableGeometry().height();
  }
  read_environment(s, 1);
  ui_->set_list_font(s.form.list_font_height);
  ui_->mouse_mode_changed(s.form.zoom_pan_rotate);
  ui_->set_item_caption("menu_hi_speed_interval", hi_speed_interval_caption(s.disp.INTERVAL_REDRAW_LIST));
  sync_display_items(s, *ui_);
  apply_form_bounds();
  open_view();
  Redraw_NCD_list(listing_->list());
  if (!start_file_.empty() && !plat::busy()) {
    std::error_code ec;
    std::filesystem::current_path(start_file_.parent_path(), ec);
    open_NCD(s, *ui_, start_file_);
  }
  sim_panels_->show_at_start();
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
  if (sim_panels_) sim_panels_->before_close();
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

void Tvelmor::open_view() { view_->open(); }
