// The hidden trace window of tabulon: the readers write their trace lines into it.
#pragma once
#include <QWidget>
#include <string>

class QPlainTextEdit;
class QPushButton;

class Tdeb : public QWidget {
  Q_OBJECT
 public:
  explicit Tdeb(QWidget* parent = nullptr);
  void trace_line(const std::string& text);
  void clear_trace();
  // The lines as CP932 texts (for the tests and the log at close).
  std::string text() const;

  QPlainTextEdit* Memo1 = nullptr;
  QPushButton* Button1 = nullptr;
};
