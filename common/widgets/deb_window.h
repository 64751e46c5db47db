// velmor's debug window "deb" over the headless log (common/debug_win.h): the message page
// with its clear and copy buttons, the dump page and the memory list.
#pragma once
#include <QWidget>

#include "common/debug_win.h"

class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;

namespace velmor {

class TdebWindow : public QWidget, public Tdeb::View {
  Q_OBJECT
 public:
  // Shows the lines of `log` (which must outlive the window) and follows its changes.
  explicit TdebWindow(Tdeb& log, QWidget* parent = nullptr);
  ~TdebWindow() override;

  Tdeb& log() { return log_; }

  QTabWidget* PageControl1 = nullptr;
  QWidget* deb_massage = nullptr;
  QWidget* dump_data = nullptr;
  QWidget* get_mem = nullptr;
  QPlainTextEdit* deb_p_memo = nullptr;
  QPlainTextEdit* Memo1 = nullptr;
  QListWidget* lb2 = nullptr;
  QPushButton* btn1 = nullptr;     // "↑画面クリア"
  QPushButton* Button1 = nullptr;  // copies the message page
  QPushButton* Button2 = nullptr;  // copies the dump page

  void btn1Click();
  void Button1Click();
  void Button2Click();
  void lb2DblClick();

  void line_added(Tdeb::Page page, const std::string& line) override;
  void page_cleared(Tdeb::Page page) override;

 protected:
  void showEvent(QShowEvent* e) override;
  void hideEvent(QHideEvent* e) override;

 private:
  void fill_from_log();
  Tdeb& log_;
};

}  // namespace velmor
