// What the tool windows ask of the main window. The main window gives an adapter over its
// session; without one the null host answers (no NC file, not busy, no 3D view), and tests
// fake it. No Qt.
#pragma once
#include <ctime>
#include <memory>
#include <string>

#include "tooling/core/g2_canvas.h"

class Ttooling_host {
 public:
  virtual ~Ttooling_host() = default;
  // The loaded NC file's path (CP932), empty without one.
  virtual std::string nc_file_name() const { return {}; }
  // The main window's file line: name, bytes and tape length (CP932).
  virtual std::string file_line() const { return {}; }
  // The background colour code of the settings.
  virtual int back_color() const { return 2; }
  // True while a long command runs: windows then leave their pictures as they are.
  virtual bool busy() const { return false; }
  // The 3D view rendered off-screen at this size, or null when there is none.
  virtual std::shared_ptr<const TG2_picture> render_view(int width, int height) {
    (void)width;
    (void)height;
    return nullptr;
  }
  // The clock of the footers.
  virtual std::time_t now() const { return std::time(nullptr); }
};

// The host of windows that were given none.
Ttooling_host& null_tooling_host();

// "yyyy/MM/dd hh:mm" in local time.
std::string tooling_date_text(std::time_t t);
