// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/host_adapter.h"
#include "mainwin/core/nc_file.h"
#include "mainwin/core/session.h"
#include "mainwin/core/sim_dump.h"
#include "ncdata/ncd_edit.h"
#include "ncdata/ncd_run.h"

#include "mainwin/sim_panels_1.h"
#include "mainwin/core/view_tool.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QEvent>
#include <QFileDialog>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QToolBar>

#include "mainwin/A_version_1.h"
#include "mainwin/control_view_1.h"
#include "platform/core/input.h"
#include "platform/core/system.h"
#include "platform/qt/app.h"
#include "platform/qt/qtext.h"
#include "tooling/core/tool_drawing.h"
#include "tooling/g2_painter.h"

using plat::to_qstring;

namespace {

// An error line begins with its line number; anything else (the summary) is a note.
MEMO_KIND line_kind(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && text[i] == ' ') ++i;
  return i < text.size() && text[i] >= '0' && text[i] <= '9' ? MEMO_KIND::Error : MEMO_KIND::Note;
}

}  // namespace

Tsim_panels::Tsim_panels(QMainWindow& main, TSession& s, TVLM_ui& ui, NCD_EDIT_LIST& list,
                         TVLM_command_table& commands)
    : QObject(&main), main_(main), s_(s), ui_(ui), list_(list), table_(commands) {
  sim_ = std::make_unique<TVLM_sim_commands>(s, ui, *this);
  register_sim_commands(table_, *sim_);

  panel_ = new Tcontroler(*this, &main, &main);
  Tcontroler& p = *panel_;
  // The displayed tool with its name from the program's tool table: set when its slot
  // holds a tool of a kind.
  p.tool_info = [this] {
    const NCD_DATA& d = s_.nc();
    CONTROLER_TOOL t;
    t.entry = d.run.th.index;
    t.use_index = d.run.st.stat_index;
    if (d.run.th.tool_present && d.run.th.T >= 0) {
      const TTOOL_HOLDER_tmp& mag = view_tool_magazine(s_);
      for (int i = 0; i < mag.used(); ++i) {
        const TTTOOL_HOLDER_tmp& slot = mag.slot[static_cast<std::size_t>(i)];
        if (slot.T_number != d.run.th.T || !slot.tool_set) continue;
        if (slot.tool.T_category == TOOL_KIND_NONE) continue;
        t.set = true;
        t.name = slot.tool.name;
      }
    }
    return t;
  };
  // The dimensioned drawing of the displayed tool's magazine slot, in the main window's
  // drawing settings, on the panel's face colour.
  p.paint_tool = [this, g2 = std::make_shared<TG2>()](QPainter& painter, int w, int h,
                                                     const QColor& back) {
    const TSession& s = s_;
    const int t = s.nc().run.th.T;
    if (!s.th_magazine_valid || t < 0) return false;
    const TTOOL_HOLDER_tmp& mag = *s.th_magazine;
    const TTTOOL_HOLDER_tmp* slot = nullptr;
    for (int i = 0; i < mag.used(); ++i)
      if (mag.slot[static_cast<std::size_t>(i)].T_number == t) slot = &mag.slot[static_cast<std::size_t>(i)];
    if (!slot || slot->tool.T_category == TOOL_KIND_NONE) return false;
    TG2_canvas c;
    const std::uint32_t fill = static_cast<std::uint32_t>(back.red()) |
                               static_cast<std::uint32_t>(back.green()) << 8 |
                               static_cast<std::uint32_t>(back.blue()) << 16;
    draw_TOOL_image(draw_settings_of(s.disp), c, *g2, w - 1, slot->holder, slot->tool,
                    s.disp.BACK_color, 1, h - 1, &fill);
    paint_G2_canvas(painter, c);
    return true;
  };
  p.show_abc = [this] { return s_.disp.VIS_OPT_ABC != 0; };
  p.limit = [this] { return s_.disp.LIMIT_LINES; };
  p.set_limit = [this](int v) { s_.disp.LIMIT_LINES = v; };
  p.rotate = [this](float z, float x, int mode) {
    ui_.view().gl_set_angles(z, x);
    ui_.view().draw_data(mode);
  };
  p.path_extent = [this] { return s_.nc().run_done; };
  p.display_click = [this](int tag) { menu_vis_toolClick(s_, ui_, table_, tag); };
  p.sim_click = [this](int tag) { run_sim(tag); };
  p.seeth_level = [this](int tag, int pos) {
    (tag == 1 ? s_.disp.SIM_SEETH_LV_WORK : s_.disp.SIM_SEETH_LV_TOOL) = pos;
    ui_.view().draw_data(4);
  };
  p.switches = [this] { return switches(); };
  p.clock = [this] { return now(); };
  p.move(s.form.ctrl_left, s.form.ctrl_top);
  p.installEventFilter(this);

  err_win_ = new Tmemo_win(this, &main);
  find_win_ = new Tmemo_win(this, &main);
  find_win_->setObjectName(QStringLiteral("find_win"));

  timer_ = new QTimer(this);
  timer_->setObjectName(QStringLiteral("Timer1"));
  timer_->setInterval(200);
  connect(timer_, &QTimer::timeout, this, [this] { sim_->Timer1Timer(); });
  attach_menus();
}

// The windows go with this object: they call back into it.
Tsim_panels::~Tsim_panels() {
  delete panel_;
  delete err_win_;
  delete find_win_;
}

std::uint32_t Tsim_panels::now() const { return clock ? clock() : plat::tick_ms(); }

CONTROLER_SWITCHES Tsim_panels::switches() const {
  const Tdisp_status& d = s_.disp;
  CONTROLER_SWITCHES w;
  w.vis_tool = d.VIS_TOOL != 0;
  w.vis_holder = d.VIS_HOLDER != 0;
  w.cursor_path = d.cursor_path_flag != 0;
  w.vis_abc = d.VIS_OPT_ABC != 0;
  w.invis_g00 = d.INVIS_G00 != 0;
  w.seeth_path = d.CHK_SEETH_PATH != 0;
  w.up_ball_r = d.CHK_UP_BALL_R != 0;
  w.path_coloring = d.PATH_COLORING;
  w.cutting = d.SIM_CUTTING_MODE != 0;
  w.holder_check = d.SIM_CALC_HOLDER != 0;
  w.rotate_tool = d.SIM_TOOL_ROTATE != 0;
  w.setup_window = const_cast<Tsim_panels*>(this)->work_window() != nullptr;
  w.seeth_work = d.SIM_SEETH_LV_WORK;
  w.seeth_tool = d.SIM_SEETH_LV_TOOL;
  return w;
}

// menu_vis_controler follows the panel however it is shown or hidden.
bool Tsim_panels::eventFilter(QObject* obj, QEvent* ev) {
  if (obj == panel_ && (ev->type() == QEvent::Show || ev->type() == QEvent::Hide)) {
    if (QAction* a = main_.findChild<QAction*>(QStringLiteral("menu_vis_controler"))) {
      const QSignalBlocker block(a);
      a->setChecked(ev->type() == QEvent::Show);
    }
  }
  return QObject::eventFilter(obj, ev);
}

void Tsim_panels::run_sim(int tag) { MM_simulationClick(ui_, table_, tag); }

// ---- menus --------------------------------------------------------------------------------

void Tsim_panels::attach_menus() {
  sim_menu_ = main_.menuBar()->findChild<QMenu*>(QStringLiteral("MM_simulation"));
  sim_actions_.assign(SIM_TAG_COUNT, nullptr);
  if (!sim_menu_) return;
  for (QAction* a : sim_menu_->actions()) {
    const QVariant tag = a->property("Tag");
    if (tag.isValid() && tag.toInt() > 0 && tag.toInt() < SIM_TAG_COUNT)
      sim_actions_[static_cast<size_t>(tag.toInt())] = a;
  }
  sim_menu_->setSeparatorsCollapsible(true);
  auto separator = [this](const char* name, int before_tag) {
    QAction* before = sim_actions_[static_cast<size_t>(before_tag)];
    if (!before) return;
    QAction* sep = sim_menu_->insertSeparator(before);
    sep->setObjectName(QString::fromLatin1(name));
  };
  separator("N29", SIM_SETUP_WORK);       // also the line that says no program is loaded
  separator("N29_setup", SIM_READ_ALL);   // below the work set-up
  separator("N29_works", SIM_CUTTING);
  separator("N29_switches", SIM_VIS_WORK);
  separator("N29_autoset", SIM_AUTOSET);  // the auto-set choices under their caption line
  refresh_simulation_menu();
}

void Tsim_panels::apply_sim_menu(const SIM_MENU_STATE& st) {
  if (sim_menu_) {
    for (int t = 1; t < SIM_TAG_COUNT; ++t) {
      if (t == SIM_AUTOSET) continue;
      QAction* a = sim_actions_[static_cast<size_t>(t)];
      if (!a) continue;
      const QSignalBlocker block(a);
      a->setVisible(st.item[static_cast<size_t>(t)].visible);
      if (a->isCheckable()) a->setChecked(st.item[static_cast<size_t>(t)].checked);
    }
    if (QAction* head = sim_actions_[SIM_AUTOSET]) head->setText(to_qstring(st.autoset_caption));
    if (auto* n29 = sim_menu_->findChild<QAction*>(QStringLiteral("N29"))) {
      using L = SIM_MENU_STATE::Line;
      n29->setVisible(st.n29 != L::hidden);
      n29->setSeparator(st.n29 != L::no_program);
      n29->setText(st.n29 == L::no_program ? to_qstring(SIM_NO_PROGRAM_TEXT) : QString());
      n29->setEnabled(st.n29 != L::no_program);
    }
    if (auto* sep = sim_menu_->findChild<QAction*>(QStringLiteral("N29_setup")))
      sep->setVisible(st.setup_separator);
  }
  panel_->apply_sim_controls(st);
}

void Tsim_panels::refresh_simulation_menu() { sim_->refresh_simulation_menu(); }

// ---- the panel and the windows --------------------------------------------------------------

void Tsim_panels::show_at_start() {
  plat::move_on_screen(panel_, s_.form.ctrl_left, s_.form.ctrl_top);
  set_panel_visible(true);
}

void Tsim_panels::before_close() {
  if (sim_->work_setup_active()) sim_->end_WORK_SET();
  const QPoint p = panel_->pos();
  s_.form.ctrl_left = p.x();
  s_.form.ctrl_top = p.y();
  timer_->stop();
}

void Tsim_panels::panel_refresh() {
  // While a loop plays, the read-outs wait for a frame that is due.
  if (panel_->core().playing() && !pacer_.due(now())) {
    panel_->update_status_texts();
    return;
  }
  panel_->Set_controler_status(false);
  sim_->check_timer();
}

void Tsim_panels::panel_reset() { panel_->Clear_controler_status(); }

bool Tsim_panels::err_window_has_lines() { return err_win_->entry_count() > 0; }

void Tsim_panels::fill_list(Tmemo_win& w, const std::vector<std::string>& lines,
                            const std::string& caption) {
  w.clear_entries();
  std::vector<TMemoModel::Entry> entries;
  entries.reserve(lines.size());
  for (const std::string& l : lines) entries.push_back({l, line_kind(l), 0, false});
  w.add_entries(std::move(entries));
  w.setWindowTitle(to_qstring(caption));
}

void Tsim_panels::show_err_window(const std::vector<std::string>& lines, const std::string& caption) {
  if (!caption.empty()) fill_list(*err_win_, lines, caption);
  err_win_->show();
  err_win_->raise();
}

void Tsim_panels::clear_err_window() { err_win_->clear_entries(); }

void Tsim_panels::err_window_add_pick(const std::string& text, int n) {
  if (!err_win_->isVisible()) err_win_->show();
  err_win_->Add_memo_win_line(text, n);
}

void Tsim_panels::show_find_results(const std::string& caption, const std::vector<std::string>& lines) {
  // Every hit line begins with its line number.
  find_win_->clear_entries();
  std::vector<TMemoModel::Entry> entries;
  entries.reserve(lines.size());
  for (const std::string& l : lines) entries.push_back({l, MEMO_KIND::Error, 0, false});
  find_win_->add_entries(std::move(entries));
  find_win_->setWindowTitle(to_qstring(caption));
  find_win_->show();
  find_win_->raise();
}

void Tsim_panels::show_find_results(const std::string& caption, std::vector<std::string>&& lines) {
  show_find_results(caption, static_cast<const std::vector<std::string>&>(lines));
}

void Tsim_panels::auto_WORK_for_NCD() { sim_->auto_WORK_for_NCD(); }

void Tsim_panels::end_WORK_SET() { sim_->end_WORK_SET(); }

void Tsim_panels::panel_tool_image() { panel_->Draw_controler_TOOL_IMG(); }

void Tsim_panels::panel_view_tracks(int track_z, int track_x) {
  panel_->set_view_tracks(track_z, track_x);
}

void Tsim_panels::panel_zoom(double zoom) { panel_->show_zoom(zoom); }

void Tsim_panels::panel_sync_switches() { panel_->Refresh_switches(); }

void Tsim_panels::work_window_point(const std::string& point) {
  if (work_window_) work_window_->show_point(point);
}

void Tsim_panels::work_window_text(const std::string& text) {
  if (work_window_) work_window_->show_text(text);
}

// ---- CONTROLER_SIM --------------------------------------------------------------------------

NCD_DATA& Tsim_panels::data() { return s_.nc(); }

bool Tsim_panels::action(int code) {
  Tmat& m = *s_.mat;
  bool r = false;
  if (panel_->core().playing()) {
    // The read-outs and the listing follow at the pace of the frames.
    list_.repeating = true;
    r = Central_Control_Action(list_, code, false);
    list_.repeating = false;
    if (frame_due()) {
      panel_->Set_controler_status(false);
      Redraw_NCD_list(list_);
      frame_drawn();
    } else {
      panel_->update_status_texts();
    }
  } else {
    r = Central_Control_Action(list_, code, false);
    sim_->check_timer();
  }
  sim_->note_cut_flags(m.cut_flags_acc);
  return r;
}

int Tsim_panels::draw_data(int mode) {
  if (mode != CD_HISPD_STEP) return ui_.view().draw_data(mode);
  NCD_DATA& d = s_.nc();
  const int before = d.pos.block_count;
  int r = ui_.view().draw_data(mode);
  // Without a view that steps here (none, or one that stepped nothing) the block is stepped
  // as a drawn step, so the run always moves on.
  if (d.pos.block_count == before && d.exec.status < NCD_ST_ERROR)
    r = ui_.view().draw_step(d, NCD_DRAW_STEP) ? 1 : 0;
  sim_->note_cut_flags(s_.mat->cut_flags_acc);
  return r;
}

void Tsim_panels::rerun() {
  NCD_DATA& d = s_.nc();
  const int block = d.pos.block_count;
  Run_all_NCD(d, d.pos.start_line);
  Goto_NCD_step(d, block, true);
}

void Tsim_panels::goto_step(int block) { Goto_NCD_step(s_.nc(), block, true); }
void Tsim_panels::zoom_by_factor(double f) { ui_.view().zoom_by_factor(f); }
void Tsim_panels::fit_scale() { ui_.view().fit_scale(0); }
bool Tsim_panels::debug_window_shown() { return s_.deb.visible(); }
void Tsim_panels::dump_status() { Dump_SIM_status_to_deb(s_.nc(), s_.deb); }
void Tsim_panels::redraw_list() { Redraw_NCD_list(list_); }
int Tsim_panels::tool_first_block() { return s_.nc().run.st.tool_first_block; }

std::uint32_t Tsim_panels::check_bits() {
  const std::uint32_t bits = s_.mat->cut_flags_acc;
  sim_->note_cut_flags(bits);
  return bits;
}

void Tsim_panels::clear_check_bits() { s_.mat->cut_flags_acc = 0; }
int Tsim_panels::abort_flag() { return s_.mat->abort_flag; }
void Tsim_panels::set_abort_flag(int v) { s_.mat->abort_flag = v; }

void Tsim_panels::set_run_stop(bool on) {
  s_.run_ng_stop = on;
  if (on) pacer_.reset();
}

bool Tsim_panels::stop_on_interference() { return s_.disp.NG_ERR_STOP != 0; }

bool Tsim_panels::frame_due() {
  const std::uint32_t t = now();
  if (!pacer_.due(t)) return false;
  frame_start_ = t;
  return true;
}

void Tsim_panels::frame_drawn() {
  const std::uint32_t t = now();
  pacer_.drawn(frame_start_ <= t ? frame_start_ : t, t);
}

int Tsim_panels::redraw_interval() { return s_.disp.INTERVAL_REDRAW_LIST; }

// ---- MEMO_WIN_HOST --------------------------------------------------------------------------

void Tsim_panels::jump_to_line_step(int n) {
  if (plat::busy()) return;
  ::jump_to_line_step(s_, ui_, n, 1);
}

void Tsim_panels::jump_to_line_text(const std::string& text) {
  if (plat::busy()) return;
  ::jump_to_line_text(s_, ui_, 1, text);
}

void Tsim_panels::activate_main() {
  main_.activateWindow();
  main_.raise();
}

// ---- TVLM_sim_ui ----------------------------------------------------------------------------

void Tsim_panels::process_events() { QCoreApplication::processEvents(); }

bool Tsim_panels::choose_work_file(bool save, const std::string& title, const std::string& name,
                                   std::filesystem::path& out) {
  if (work_file_dialog) return work_file_dialog(save, title, out);
  QFileDialog dlg(&main_, to_qstring(title));
  dlg.setOption(QFileDialog::DontUseNativeDialog);
  dlg.setDirectory(QDir::currentPath());
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dlg.setDefaultSuffix(QStringLiteral("wok"));
  dlg.setNameFilter(QStringLiteral("VLM WORK files (*.wok *.WOK)"));
  if (!name.empty()) dlg.selectFile(to_qstring(name));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return false;
  out = plat::qstring_to_path(dlg.selectedFiles().front());
  return true;
}

bool Tsim_panels::panel_visible() { return panel_->isVisible(); }

void Tsim_panels::set_panel_visible(bool on) { panel_->setVisible(on); }

void Tsim_panels::set_panel_settings_enabled(bool on) { panel_->pnl2->setEnabled(on); }

void Tsim_panels::enable_main_controls(bool on) {
  for (const char* name : work_setup_disabled_components()) {
    const QString n = QString::fromLatin1(name);
    if (QMenu* m = main_.menuBar()->findChild<QMenu*>(n)) {
      m->setEnabled(on);
      m->menuAction()->setEnabled(on);
    } else if (QToolBar* t = main_.findChild<QToolBar*>(n)) t->setEnabled(on);
  }
  ui_.listing().listing_enable(on);
}

void Tsim_panels::set_timer_running(bool on) {
  if (on) timer_->start();
  else timer_->stop();
}

void Tsim_panels::set_work_window(SIM_WORK_WINDOW* w) {
  work_window_ = w;
  panel_->Refresh_switches();
  refresh_simulation_menu();
}

bool Tsim_panels::main_or_panel_active() {
  QWidget* a = QApplication::activeWindow();
  return a && (a == &main_ || a == panel_);
}
