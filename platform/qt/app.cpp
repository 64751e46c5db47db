#include "platform/qt/app.h"

#include <cxxabi.h>

#include <cstdlib>
#include <typeinfo>

#include <QAbstractButton>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QMouseEvent>
#include <QProcess>
#include <QScreen>
#include <QUrl>
#include <QWindow>
#include <clocale>
#include <exception>

#include "platform/core/window_place.h"
#include "platform/qt/qtext.h"

namespace plat {

int QtMessageBoxes::show(const std::string& text, const std::string& caption, unsigned flags) {
  QMessageBox box;
  box.setWindowModality(Qt::ApplicationModal);
  box.setWindowTitle(to_qstring(caption));
  box.setText(to_qstring(text));
  switch (flags & 0xF0) {
    case MB_ICONSTOP: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONEXCLAMATION: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: box.setIcon(QMessageBox::NoIcon); break;
  }
  struct B { QMessageBox::StandardButton b; int id; };
  std::vector<B> buttons;
  switch (flags & 0xF) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
      buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY},
                 {QMessageBox::Ignore, IDIGNORE}};
      break;
    case MB_YESNOCANCEL:
      buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO},
                 {QMessageBox::Cancel, IDCANCEL}};
      break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL:
      buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}};
      break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
  }
  QMessageBox::StandardButtons all;
  for (auto& b : buttons) all |= b.b;
  box.setStandardButtons(all);
  std::size_t def = (flags & 0xF00) == MB_DEFBUTTON2 && buttons.size() > 1 ? 1 : 0;
  box.setDefaultButton(buttons[def].b);
  int r = box.exec();
  for (auto& b : buttons)
    if (r == b.b) return b.id;
  // Closed by Escape or the title bar: Cancel where there is one, else the only button.
  for (auto& b : buttons)
    if (b.id == IDCANCEL || b.id == IDNO) return b.id;
  return buttons.front().id;
}

InputLatches::InputLatches(QObject* parent) : QObject(parent) {}

bool InputLatches::key_down(Key k) {
  std::uint32_t now = tick_ms();
  if (!pumping_ && now - last_pump_ >= kPollIntervalMs) {
    pumping_ = true;
    last_pump_ = now;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    pumping_ = false;
  }
  int i = static_cast<int>(k);
  bool r = down_[i] || latched_[i];
  latched_[i] = false;
  return r;
}

bool InputLatches::press_position(Key k, int& x, int& y) {
  const int i = static_cast<int>(k);
  if (!press_known_[i]) return false;
  x = press_x_[i];
  y = press_y_[i];
  return true;
}

namespace {
int button_index(Qt::MouseButton b) {
  switch (b) {
    case Qt::LeftButton: return static_cast<int>(Key::LButton);
    case Qt::RightButton: return static_cast<int>(Key::RButton);
    case Qt::MiddleButton: return static_cast<int>(Key::MButton);
    default: return -1;
  }
}
bool is_user_input(QEvent::Type t) {
  switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::Drop:
    case QEvent::DragEnter:
    case QEvent::Shortcut:
    case QEvent::ShortcutOverride:
    case QEvent::Close:
      return true;
    default:
      return false;
  }
}
// `w` or one of its parents is `top` (across windows: a pop-up of a box belongs to the box).
bool within(const QWidget* w, const QWidget* top) {
  for (; w; w = w->parentWidget())
    if (w == top) return true;
  return false;
}

// While busy, input reaches only a modal box opened by the work itself and the pop-ups it
// opens. Qt hands a click or key to the box's native window before its widgets, so a native
// window counts as the widget it shows.
bool takes_input_while_busy(QObject* obj) {
  QWidget* modal = QApplication::activeModalWidget();
  QWidget* popup = QApplication::activePopupWidget();
  if (!modal && !popup) return false;
  const QWidget* w = qobject_cast<QWidget*>(obj);
  if (!w) {
    auto* win = qobject_cast<QWindow*>(obj);
    if (!win) return false;
    for (QWidget* top : QApplication::topLevelWidgets())
      if (top->windowHandle() == win) {
        w = top;
        break;
      }
  }
  return w && ((modal && within(w, modal)) || (popup && within(w, popup)));
}
}  // namespace

bool InputLatches::eventFilter(QObject* obj, QEvent* ev) {
  if (busy() && is_user_input(ev->type())) {
    // While busy, only a box or dialog opened by the work itself (and its pop-ups) takes
    // input. What answers it is not an interruption of the work: it is not latched.
    if (!takes_input_while_busy(obj)) {
      latch(ev);
      return true;
    }
    return QObject::eventFilter(obj, ev);
  }
  latch(ev);
  return QObject::eventFilter(obj, ev);
}

void InputLatches::latch(QEvent* ev) {
  switch (ev->type()) {
    case QEvent::KeyPress: {
      auto* ke = static_cast<QKeyEvent*>(ev);
      if (ke->key() == Qt::Key_Escape) {
        int i = static_cast<int>(Key::Escape);
        down_[i] = true;
        latched_[i] = true;
      }
      break;
    }
    case QEvent::KeyRelease: {
      auto* ke = static_cast<QKeyEvent*>(ev);
      if (ke->key() == Qt::Key_Escape && !ke->isAutoRepeat())
        down_[static_cast<int>(Key::Escape)] = false;
      break;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick: {
      auto* me = static_cast<QMouseEvent*>(ev);
      int i = button_index(me->button());
      if (i >= 0) {
        down_[i] = true;
        latched_[i] = true;
        // Kept for a loop that asks where its stopping click was.
        const QPoint g = me->globalPosition().toPoint();
        press_x_[i] = g.x();
        press_y_[i] = g.y();
        press_known_[i] = true;
      }
      break;
    }
    case QEvent::MouseButtonRelease: {
      int i = button_index(static_cast<QMouseEvent*>(ev)->button());
      if (i >= 0) down_[i] = false;
      break;
    }
    default:
      break;
  }
}

namespace {
WinBounds screen_area(int left, int top) {
  QScreen* s = QGuiApplication::screenAt(QPoint(left, top));
  if (!s) s = QGuiApplication::primaryScreen();
  const QRect r = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
  return {r.x(), r.y(), r.width(), r.height()};
}
}  // namespace

void place_on_screen(QWidget* w, int left, int top, int width, int height, int fallback_width,
                     int fallback_height) {
  const QSize least = w->minimumSizeHint().expandedTo(w->minimumSize());
  const WinBounds b = fit_window_bounds({left, top, width, height}, screen_area(left, top),
                                        fallback_width, fallback_height, least.width(),
                                        least.height());
  w->resize(b.width, b.height);
  w->move(b.left, b.top);
}

void move_on_screen(QWidget* w, int left, int top) {
  // A window not sized yet shows at its size hint.
  const QSize sz = w->testAttribute(Qt::WA_Resized) ? w->size() : w->sizeHint();
  const WinBounds b = fit_window_bounds({left, top, sz.width(), sz.height()},
                                        screen_area(left, top), sz.width(), sz.height(), 1, 1);
  w->move(b.left, b.top);
}

bool QtLauncher::start(const std::filesystem::path& program, const std::vector<std::string>& args,
                       const std::filesystem::path& working_dir) {
  QStringList list;
  for (const auto& a : args) list << QString::fromUtf8(a.data(), static_cast<qsizetype>(a.size()));
  return QProcess::startDetached(path_to_qstring(program), list, path_to_qstring(working_dir));
}

bool QtLauncher::open(const std::filesystem::path& target) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path_to_qstring(target)));
}

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
  // Numbers in texts never depend on the locale.
  std::setlocale(LC_NUMERIC, "C");
  latches_ = new InputLatches(this);
  installEventFilter(latches_);
  prev_boxes_ = set_message_box_handler(&boxes_);
  prev_input_ = set_input_source(latches_);
  prev_launcher_ = set_launcher(&launcher_);
}

Application::~Application() {
  set_message_box_handler(prev_boxes_);
  set_input_source(prev_input_);
  set_launcher(prev_launcher_);
  removeEventFilter(latches_);
}

bool Application::notify(QObject* receiver, QEvent* ev) {
  try {
    return QApplication::notify(receiver, ev);
  } catch (const std::exception& e) {
    // The exception's type, then its text.
    int status = 0;
    char* name = abi::__cxa_demangle(typeid(e).name(), nullptr, nullptr, &status);
    const std::string type = status == 0 && name ? name : typeid(e).name();
    std::free(name);
    trap(type + ": " + e.what());
  } catch (...) {
    trap("unknown exception");
  }
  return false;
}

void Application::trap(const std::string& what) {
  if (trap_) {
    trap_(what);
    return;
  }
  message_box(what, "exception", MB_OK | MB_ICONSTOP);
}

}  // namespace plat
