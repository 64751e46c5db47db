// A panel that never erases its background (the OpenGL view and the preview paint all of
// it). With Repaint_flag set it fills itself with its background first; OnPaint is called on
// every paint with the panel and a painter over it.
#pragma once
#include <QWidget>
#include <functional>

class QPainter;

class TPaintPanel : public QWidget {
  Q_OBJECT
 public:
  explicit TPaintPanel(QWidget* parent = nullptr);

  bool Repaint_flag() const { return repaint_flag_; }
  void SetRepaint_flag(bool on) { repaint_flag_ = on; }

  std::function<void(TPaintPanel& sender, QPainter& painter)> OnPaint;

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  bool repaint_flag_ = true;
};
