// The new-work dialog: the presets of the work-size file, or the tool path's extents with
// or without 10 mm all round.
#pragma once
#include <QDialog>
#include <filesystem>
#include <vector>

#include "tooling/core/work_presets.h"
#include "tooling/core/work_set_rules.h"

class QListWidget;
class QPushButton;

class Tselect_work_size : public QDialog {
  Q_OBJECT
 public:
  Tselect_work_size(const std::filesystem::path& file, const TWork_path_extents& ext,
                    QWidget* parent = nullptr);

  // The choice after OK.
  const TWork_preset& chosen() const { return chosen_; }
  const std::vector<TWork_preset>& presets() const { return list_; }

  void Load_def_work_size_list();
  void ListBox1DblClick();
  void btn_path_maxClick(bool margin);
  void Button1Click();

 private:
  std::filesystem::path file_;
  TWork_path_extents ext_;
  std::vector<TWork_preset> list_;
  TWork_preset chosen_;
  QListWidget* ListBox1 = nullptr;
  QPushButton* btn_path_max = nullptr;
  QPushButton* btn_path_max_Add10 = nullptr;
};
