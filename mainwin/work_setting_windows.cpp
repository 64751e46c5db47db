#include "mainwin/work_setting_windows.h"

#include "mainwin/dialog_place.h"
#include "tooling/Work_set_win_2.h"
#include "tooling/extra_setup_win_1.h"

// What the work set-up hands the window before showing it, and where it stood after.
class TVLM_work_setting_windows::SimWindow final : public SIM_WORK_WINDOW {
 public:
  explicit SimWindow(TWorkSetWin& w) : w_(w) {}
  void set_program(bool present, const VEC3& lo, const VEC3& hi, float top) override {
    TWork_path_extents ext;
    ext.valid = present;
    if (present) {
      ext.min = lo;
      ext.max = VEC3{hi.x, hi.y, top};
    }
    w_.set_path_extents(ext);
    w_.set_program_present(present);
  }
  void set_file_name(const std::string& name) override { w_.set_work_file_name(name); }
  void place(int left, int top) override { place_at_remembered(&w_, left, top); }
  void position(int& left, int& top) override {
    left = w_.x();
    top = w_.y();
  }
  void show() override {
    w_.show();
    w_.raise();
    w_.activateWindow();
  }
  void show_point(const std::string& point) override { w_.show_measured_point(point); }
  void show_text(const std::string& text) override { w_.show_note(text); }

 private:
  TWorkSetWin& w_;
};

TVLM_work_setting_windows::TVLM_work_setting_windows(QWidget* owner, Ttooling_host& host)
    : owner_(owner),
      host_(host),
      work_win_(new TWorkSetWin(host, nullptr, owner)),
      sim_window_(std::make_unique<SimWindow>(*work_win_)) {
  work_win_->hide();
}

TVLM_work_setting_windows::~TVLM_work_setting_windows() = default;

SIM_WORK_WINDOW& TVLM_work_setting_windows::sim_window() { return *sim_window_; }

bool TVLM_work_setting_windows::run(Tdisp_status& copy) {
  TEXTRA_SETUP_win dlg(host_, copy, owner_);
  if (dlg.exec() != QDialog::Accepted) return false;
  copy = dlg.settings();
  return true;
}
