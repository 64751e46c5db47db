// A widget that holds a native GL window (GlWindow) through createWindowContainer.
#pragma once
#include <QWidget>

#include "platform/gl/gl_surface.h"

namespace plat {

class GlPanel : public QWidget {
  Q_OBJECT
 public:
  explicit GlPanel(QWidget* parent = nullptr);
  GlWindow* gl_window() const { return window_; }
  QWidget* container() const { return container_; }

 private:
  GlWindow* window_;
  QWidget* container_;
};

}  // namespace plat
