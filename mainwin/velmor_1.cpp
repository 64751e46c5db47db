// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"
#include "mainwin/core/work_setting_commands.h"
#include "simulation/tool_records.h"
#include "simulation/work_store.h"
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
#include "mainwin/main_frame.h"
#include "mainwin/menu_builder_1.h"
#include "mainwin/window_dialogs.h"
#include "mainwin/preview_commands.h"
#include "mainwin/view_panel_1.h"
#include "mainwin/work_setting_windows.h"
#include "mainwin/control_view_1.h"
#include "mainwin/sim_panels_1.h"
#include "platform/core/cp932.h"
#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"
#include "tooling/tool_list_win_1.h"
#include "tooling/clip_edit_1.h"

const char* const Tvelmor::kCaption = "Velmor_PRO Version 2.14 ";

Tvelmor::Tvelmor(Tgl_func* gl, QWidget* parent)
    : QMainWindow(parent),
      session_(std::make_unique<TSession>()),
      frame_(std::make_unique<TVLM_main_frame>(*this)),
      menus_(std::make_unique<TVLM_menus>(*this)),
      host_(std::make_unique<TVLM_host>(*session_, ui_)),
      tool_host_(std::make_unique<TVLM_tooling_host>(*session_, ui_)),
      chooser_(std::make_unique<TVLM_file_dialog>(this)),
      dialogs_(std::make_unique<TVLM_window_dialogs>(this, *session_, *chooser_, *tool_host_)),
      commands_(std::make_unique<TVLM_command_table>()),
      work_settings_(std::make_unique<TVLM_work_setting_windows>(this, *tool_host_)),
      copy_dialogs_(std::make_unique<TVLM_copy_out_dialogs>(this)),
      tool_windows_(std::make_unique<TVLM_tool_setting_windows>(*session_, *tool_host_, this)) {
  if (!gl) {
    own_gl_ = std::make_unique<Tgl_func>();
    gl = own_gl_.get();
  }
  gl_ = gl;
  ui_.set_frame(*frame_);
  ui_.set_menus(*menus_);
  ui_.set_dialogs(*dialogs_);
  TSession& s = *session_;
  gl_->global_log = &s.debug_list;
  gl_->global_log_on = true;
  init_session(s, plat::data_folder(), plat::desktop_folder());
  gl_->desktop = plat::utf8_to_cp932(plat::desktop_folder().string());
  s.deb.install();
  setWindowTitle(plat::to_qstring(kCaption));
  write_default_files(s);
  // The stores are made empty before the window's parts exist; then the adapter answers
  // for the one in use.
  Create_NCD(s.nc());
  Create_NCD(*s.spare);
  host_->attach();
  // The NC listing left of the 3D view.
  auto* split = new QSplitter(Qt::Horizontal, this);
  listing_ = std::make_unique<TVelmorListing>(split, s.nc(), *host_);
  ui_.set_listing(*listing_);
  view_ = new Tview_panel(split, s, *gl_, ui_);
  ui_.set_view(*view_);
  gpnl_ = view_->gpnl();
  split->addWidget(listing_->panel());
  split->addWidget(gpnl_);
  split->setStretchFactor(1, 1);
  split->setSizes({400, 624});
  setCentralWidget(split);
  build_menus();
  // Files dropped on the window open as the NC program.
  drop_ = new TFileDrop(this);
  drop_->OnFileDrop = [this](TFileDrop&, int, const std::vector<std::string>& files, int, int) {
    FileDrop1FileDrop(*session_, ui_, files);
  };
  drop_->Loaded();
  // The control panel, the error list and the simulation menu's commands.
  sim_panels_ = new Tsim_panels(*this, s, ui_, listing_->list(), *commands_);
  ui_.set_panel(*sim_panels_);
  ui_.set_lists(*sim_panels_);
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
  register_file_commands(*commands_, *session_, ui_, *chooser_);
  auto* tool_lists = new TTOOL_LIST_win_opener(*tool_host_, this);
  tool_windows_->set_tool_list_opener(tool_lists);
  register_tool_setting_commands(*commands_, *session_, ui_, *chooser_, *tool_windows_);
  register_main_commands(*commands_, *session_, ui_);
  register_popup_commands(*commands_, *session_, ui_);
  register_display_commands(*commands_, *session_, ui_);
  register_dialog_commands(*commands_, *session_, ui_);
  register_preview_commands(*commands_, *session_, *tool_host_, ui_, this);
  register_work_setting_commands(*commands_, *session_, ui_, *work_settings_);
  register_copy_out_commands(*commands_, *session_, ui_, *copy_dialogs_);
  const VLM_built_menus built = build_menus_from_table(
      *this, [this](const VLM_menu_item& it, QAction* a) { run_item(static_cast<int>(it.handler), a); });
  toolbar_ = built.toolbar;
  p_menu1_ = built.popup;
  // Opening the simulation menu brings it in line first (its Tag 0).
  if (QMenu* sim = menuBar()->findChild<QMenu*>(QStringLiteral("MM_simulation")))
    connect(sim, &QMenu::aboutToShow, this, [this] {
      MM_simulationClick(ui_, *commands_, 0);
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
  run_menu_item(*session_, ui_, *commands_, static_cast<VLM_handler>(handler),
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
  if (frame_->menus_hidden() && ev->spontaneous()) {
    ev->ignore();
    return;
  }
  if (!closed_) FormCloseQuery();
  dialogs_->close_output();
  ev->accept();
}

void Tvelmor::FormShow() {
  TSession& s = *session_;
  if (QScreen* scr = screen()) {
    s.form.screen_w = scr->availableGeometry().width();
    s.form.screen_h = scr->availableGeometry().height();
  }
  read_environment(s, 1);
  ui_.listing().set_list_font(s.form.list_font_height);
  ui_.menus().mouse_mode_changed(s.form.zoom_pan_rotate);
  ui_.view().set_mouse_mode(s.form.zoom_pan_rotate);
  ui_.menus().set_item_caption("menu_hi_speed_interval", hi_speed_interval_caption(s.disp.INTERVAL_REDRAW_LIST));
  sync_display_items(s, ui_);
  apply_form_bounds();
  open_view();
  ui_.view().gl_set_verbose(s.disp.SAVING_OPENGL_DATA != 0);
  // The caption ends in the version marks of the work store, the tool records, the NC
  // store and the GL table.
  std::string marks, gl_mark;
  Get_mat_Version(marks);
  marks += Get_WORK_TOOL_HOLDER_Version();
  get_NCD_unit_mark(marks);
  Get_Gl_func_Version(gl_mark);
  ui_.frame().set_caption(std::string(kCaption) + " " + marks + gl_mark);
  // The start view, with the control panel's track bars at its angles, in the saved
  // background colour.
  ui_.view().gl_reset_view();
  apply_EXTRA_SETUP(s, ui_);
  Redraw_NCD_list(listing_->list());
  if (!start_file_.empty() && !plat::busy()) {
    std::error_code ec;
    std::filesystem::current_path(start_file_.parent_path(), ec);
    open_NCD(s, ui_, start_file_);
  }
  sim_panels_->show_at_start();
}

void Tvelmor::apply_form_bounds() {
  const TVLM_form_state& f = session_->form;
  // The stored bounds are kept on the screen; a size that is no size takes the default's.
  const TVLM_form_state defaults;
  plat::place_on_screen(this, f.left, f.top, f.width, f.height, defaults.width, defaults.height);
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
