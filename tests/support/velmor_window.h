// For tests that drive the real main window: a started Tvelmor over temporary program,
// desktop and work folders, and input sent through the window system (QTest's QWindow
// overloads) to the 3D view, to widgets of any window and to menus.
#pragma once
// The core records first: Qt's keyword macros (slots) would break their declarations.
#include "mainwin/core/session.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <cmath>
#include <filesystem>
#include <functional>
#include <string>

#include "mainwin/menu_builder_1.h"
#include "mainwin/velmor_1.h"
#include "platform/core/system.h"
#include "simulation/gl/gl_stat.h"
#include "simulation/gl_view.h"
#include "tests/support/test_support.h"

namespace testing_support {

// The sample program (its place taken once, before a test changes the current folder).
inline std::filesystem::path sample_program() {
  static const std::filesystem::path p =
      std::filesystem::absolute(data_file("")).parent_path().parent_path().parent_path() /
      "samples" / "SAMPLE01.NC";
  return p;
}

// A press, moves and a release of `b` from `from` to `to` on a window.
inline void drag(QWindow* w, Qt::MouseButton b, Qt::KeyboardModifiers m, QPoint from, QPoint to,
                 int steps = 6) {
  QTest::mouseMove(w, from, 5);
  QTest::mousePress(w, b, m, from, 5);
  for (int i = 1; i <= steps; ++i)
    QTest::mouseMove(w, from + (to - from) * i / steps, 5);
  QTest::mouseRelease(w, b, m, to);
}

// A click on a widget of any window, sent to its top-level window.
inline void click_widget(QWidget* target, Qt::MouseButton b = Qt::LeftButton,
                         Qt::KeyboardModifiers m = {}, QPoint at = QPoint(-1, -1)) {
  QWidget* top = target->window();
  if (at.x() < 0) at = target->rect().center();
  QTest::mouseClick(top->windowHandle(), b, m, target->mapTo(top, at));
}

// A key to the focused widget of a window.
inline void key_to(QWidget* window, Qt::Key k, Qt::KeyboardModifiers m = {}) {
  QWidget* top = window->window();
  if (QApplication::activeWindow() != top) {
    top->activateWindow();
    top->windowHandle()->requestActivate();
    EXPECT_TRUE(QTest::qWaitForWindowActive(top));
  }
  QTest::keyClick(top->windowHandle(), k, m);
}

// Opens `menu` from its title in `bar` and clicks `item` in it.
inline bool click_menu_item(QMenuBar* bar, QMenu* menu, QAction* item) {
  QWidget* top = bar->window();
  const QRect title = bar->actionGeometry(menu->menuAction());
  QTest::mouseClick(top->windowHandle(), Qt::LeftButton, {}, bar->mapTo(top, title.center()));
  if (!QTest::qWaitFor([menu] { return menu->isVisible() && menu->windowHandle(); }, 1000))
    return false;
  QTest::qWait(20);
  QTest::mouseClick(menu->windowHandle(), Qt::LeftButton, {}, menu->actionGeometry(item).center());
  return true;
}

class VelmorWindow {
 public:
  // The window started on `program` (none: empty); `before_start` runs after the folders are
  // set (it may write the settings file of the program folder).
  explicit VelmorWindow(const std::filesystem::path& program = {},
                        const std::function<void(const std::filesystem::path&)>& before_start = {}) {
    sample_program();
    plat::set_data_folder(prog.path());
    plat::set_desktop_folder(desk.path());
    if (before_start) before_start(prog.path());
    std::filesystem::current_path(work.path());
    start(program);
  }
  ~VelmorWindow() {
    stop();
    std::filesystem::current_path(cwd);
  }
  void start(const std::filesystem::path& program) {
    w = new Tvelmor;
    if (!program.empty()) w->set_start_file(program);
    w->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(w));
    w->resize(1100, 760);  // room for the whole tool bar
    QTest::qWait(80);
  }
  void stop() {
    if (!w) return;
    w->close();
    delete w;
    w = nullptr;
  }
  // Closes the window (its settings are written) and starts a new one on `program`.
  void restart(const std::filesystem::path& program) {
    stop();
    start(program);
  }
  TSession& s() { return w->session(); }
  QAction* action(const char* name) { return find_action(*w, name); }
  QMenu* menu(const char* name) { return w->menuBar()->findChild<QMenu*>(QString::fromLatin1(name)); }
  QWindow* view() { return w->gpnl()->gl_window(); }
  TGL_VIEW& gl_view() { return w->gl_stat().slot[0].view; }
  QPoint view_centre() { return QPoint(view()->width() / 2, view()->height() / 2); }
  // A world point as the view shows it (window pixels, origin top left).
  QPoint project(double x, double y, double z) {
    const float p[3] = {static_cast<float>(x), static_cast<float>(y), static_cast<float>(z)};
    std::int32_t s[2] = {0, 0};
    project_3Dpos(gl_view(), p, s);
    const qreal dpr = view()->devicePixelRatio();
    return QPoint(static_cast<int>(s[0] / dpr), static_cast<int>(s[1] / dpr));
  }
  // A key to the main window (its shortcuts).
  void key(Qt::Key k, Qt::KeyboardModifiers m = {}) {
    activate(w);
    QTest::keyClick(w->windowHandle(), k, m);
  }
  // The top view (Ctrl+1), fitted (Ctrl+A).
  void top_view_fitted() {
    key(Qt::Key_1, Qt::ControlModifier);
    key(Qt::Key_A, Qt::ControlModifier);
    QTest::qWait(20);
  }
  // The window takes the keys (window shortcuts need it active).
  static void activate(QWidget* top) {
    top = top->window();
    if (QApplication::activeWindow() == top) return;
    top->activateWindow();
    top->windowHandle()->requestActivate();
    EXPECT_TRUE(QTest::qWaitForWindowActive(top));
  }
  // Clicks an item of a main-window menu through the menu bar.
  bool menu_item(const char* menu_name, const char* item) {
    return click_menu_item(w->menuBar(), menu(menu_name), action(item));
  }

  TempDir prog, desk, work;
  std::filesystem::path cwd = std::filesystem::current_path();
  Tvelmor* w = nullptr;
};

}  // namespace testing_support
