// The Qt side of the platform layer: message boxes, input latches, launcher and the
// application object with its exception trap.
#pragma once
#include <QApplication>
#include <QObject>
#include <functional>
#include <string>

#include "platform/core/input.h"
#include "platform/core/msgbox.h"
#include "platform/core/system.h"

namespace plat {

// Application-modal QMessageBox for message_box().
class QtMessageBoxes : public MessageBoxHandler {
 public:
  int show(const std::string& text, const std::string& caption, unsigned flags) override;
};

// Application event filter that feeds the Escape and mouse latches, and a poll that runs the
// event loop at most every ~30 ms. While the program is busy, user input other than the
// latched keys and buttons is swallowed so that no command re-enters.
class InputLatches : public QObject, public InputSource {
  Q_OBJECT
 public:
  explicit InputLatches(QObject* parent = nullptr);
  bool key_down(Key k) override;
  bool press_position(Key k, int& x, int& y) override;
  // Minimum time between two event-loop turns of a poll.
  static constexpr std::uint32_t kPollIntervalMs = 30;

 protected:
  bool eventFilter(QObject* obj, QEvent* ev) override;

 private:
  // Feeds the Escape and mouse latches from a key or mouse event.
  void latch(QEvent* ev);
  bool down_[kKeyCount] = {};
  bool latched_[kKeyCount] = {};
  int press_x_[kKeyCount] = {}, press_y_[kKeyCount] = {};
  bool press_known_[kKeyCount] = {};
  std::uint32_t last_pump_ = 0;
  bool pumping_ = false;
};

// Sets a window's stored bounds kept on the screen they name (else the primary screen): see
// fit_window_bounds; the least size is the window's own minimum.
void place_on_screen(QWidget* w, int left, int top, int width, int height, int fallback_width,
                     int fallback_height);
// The same for a stored place at the window's present size.
void move_on_screen(QWidget* w, int left, int top);

class QtLauncher : public Launcher {
 public:
  bool start(const std::filesystem::path& program, const std::vector<std::string>& args,
             const std::filesystem::path& working_dir) override;
  bool open(const std::filesystem::path& target) override;
};

// QApplication with the exception trap: whatever escapes an event handler is handed to the
// trap handler (the program's own box); without one a plain box is shown. LC_NUMERIC is
// reset to "C" once the object exists, and the Qt platform services are installed.
class Application : public QApplication {
  Q_OBJECT
 public:
  Application(int& argc, char** argv);
  ~Application() override;
  bool notify(QObject* receiver, QEvent* ev) override;

  // Called with the exception's text (CP932); the handler may quit the application.
  using TrapHandler = std::function<void(const std::string& what)>;
  void set_trap_handler(TrapHandler h) { trap_ = std::move(h); }
  InputLatches* latches() { return latches_; }

 private:
  void trap(const std::string& what);
  TrapHandler trap_;
  InputLatches* latches_ = nullptr;
  QtMessageBoxes boxes_;
  QtLauncher launcher_;
  MessageBoxHandler* prev_boxes_ = nullptr;
  InputSource* prev_input_ = nullptr;
  Launcher* prev_launcher_ = nullptr;
};

}  // namespace plat
