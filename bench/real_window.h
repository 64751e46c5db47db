// For the benchmarks that drive the real main window: a program opened in it, with the data
// and desktop folders in a fresh temporary folder.
#pragma once
#include <QCoreApplication>
#include <QRect>
#include <QWindow>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "mainwin/core/session.h"
#include "mainwin/velmor_1.h"
#include "platform/core/system.h"

namespace bench_support {

// Lets the event loop run for `ms` milliseconds.
inline void pump(int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until)
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Writes `text` as `name` into `dir` (made afresh, with "data" and "desk" folders the program
// takes as its own), starts the main window on it (over `gl` when given), shows it at
// `geometry` once exposed and waits until the program is open and run. On failure `error`
// says why and the window (if any) is returned as it is.
inline std::unique_ptr<Tvelmor> open_real_window(const std::filesystem::path& dir,
                                                 const std::string& name, const std::string& text,
                                                 const QRect& geometry, Tgl_func* gl,
                                                 std::string& error) {
  namespace fs = std::filesystem;
  fs::remove_all(dir);
  fs::create_directories(dir / "data");
  fs::create_directories(dir / "desk");
  plat::set_data_folder(dir / "data");
  plat::set_desktop_folder(dir / "desk");
  const fs::path prog = dir / name;
  std::ofstream(prog, std::ios::binary) << text;
  auto w = gl ? std::make_unique<Tvelmor>(gl) : std::make_unique<Tvelmor>();
  w->set_start_file(prog);
  w->show();
  for (int i = 0; i < 400 && !(w->windowHandle() && w->windowHandle()->isExposed()); ++i) pump(25);
  w->setGeometry(geometry);
  pump(300);
  const NCD_DATA& d = w->session().nc();
  if (d.line_count <= 0 || !d.run_done) error = "the program did not open";
  return w;
}

}  // namespace bench_support
