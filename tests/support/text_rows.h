// Listing rows without a window, for tests and benchmarks: they keep their texts and the
// scroll bar's position; a row is 16 pixels high and its text starts at 84.
#pragma once
#include <array>
#include <string>

#include "ncdata/ncd_edit.h"

namespace testing_support {

struct TextRows : NCD_LIST_ROWS {
  std::array<std::string, NCD_LIST_ROW_COUNT> text;
  int pos = 0, max = 2;
  std::string row_text(int i) override { return text[static_cast<std::size_t>(i)]; }
  void set_row(int i, const std::string& t) override { text[static_cast<std::size_t>(i)] = t; }
  bool row_modified(int) override { return false; }
  void clear_row_modified(int) override {}
  void select_after_prefix(int, bool) override {}
  bool row_has_selection(int) override { return false; }
  int row_caret(int) override { return 0; }
  void set_row_caret(int, int) override {}
  void focus_row(int) override {}
  bool rows_have_focus() override { return false; }
  void enable_rows(bool) override {}
  void layout_rows(int, int& h, int& x) override {
    h = 16;
    x = 84;
  }
  void set_scroll(int p, int m) override {
    pos = p;
    max = m;
  }
  int scroll_position() override { return pos; }
};

}  // namespace testing_support
