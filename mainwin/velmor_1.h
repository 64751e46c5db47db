// The main window of velmor.
#pragma once
#include <QMainWindow>
#include <memory>
#include <string>

#include "platform/gl/gl_panel.h"
#include "platform/gl/gl_surface.h"

class TVelmorListing;

class Tvelmor : public QMainWindow {
  Q_OBJECT
 public:
  explicit Tvelmor(QWidget* parent = nullptr);
  ~Tvelmor() override;

  static const char* const kCaption;

  plat::GlPanel* gpnl() const { return gpnl_; }
  // The NC store with its listing.
  TVelmorListing& listing() { return *listing_; }
  plat::GlSurface& view_surface() { return view_; }
  // The NC file named on the command line, opened when the window is first shown.
  void set_start_file(const std::string& path) { start_file_ = path; }

 protected:
  void showEvent(QShowEvent* ev) override;
  void closeEvent(QCloseEvent* ev) override;

 private:
  void open_view();
  void redraw_view();

  plat::GlPanel* gpnl_ = nullptr;
  std::unique_ptr<TVelmorListing> listing_;
  plat::GlSurface view_;
  bool shown_once_ = false;
  std::string start_file_;
};
