// TA_version: the about box with the program's name, version and memory read-outs.
#pragma once
#include <QDialog>
#include <functional>

#include "platform/core/system.h"

class QLabel;
class QPushButton;

class TA_version : public QDialog {
  Q_OBJECT
 public:
  using MemoryReader = std::function<bool(plat::MemoryStatus&)>;
  // FormCreate reads the memory status through `read` (the system's by default).
  explicit TA_version(QWidget* parent = nullptr, const MemoryReader& read = {});

  QLabel* ProductName = nullptr;
  QLabel* Version = nullptr;  // the opener fills it
  QPushButton* OKButton = nullptr;
  QLabel* total_mem = nullptr;
  QLabel* free_mem = nullptr;
  QLabel* v_free_mem = nullptr;
};
