// A main window for the core of tabulon that only records.
#pragma once
#include <map>
#include <string>
#include <vector>

#include "tabulon/core/tabulon_view.h"

class FakeView : public TTabulon_view {
 public:
  struct Line {
    std::string text;
    bool emph;
  };
  void clear_display() override {
    log.clear();
    trace.clear();
    ++clears;
  }
  void log_line(const std::string& t) override { log.push_back({t, false}); }
  void log_emph(const std::string& t) override {
    log.push_back({"", false});
    log.push_back({t, true});
  }
  void trace_line(const std::string& t) override { trace.push_back(t); }
  std::string caption() override { return caption_; }
  void set_caption(const std::string& t) override {
    caption_ = t;
    captions.push_back(t);
  }
  void combo_clear() override { items.clear(); }
  void combo_add(const std::string& i) override { items.push_back(i); }
  std::string combo_text() override { return combo; }
  void set_combo_text(const std::string& t) override { combo = t; }
  std::string field(TB_field f) override { return fields[f]; }
  void set_field(TB_field f, const std::string& t) override { fields[f] = t; }
  bool checked(TB_check c) override { return checks[c]; }
  void definitions_changed() override { ++menus; }

  // The emphasised lines.
  std::vector<std::string> errors() const {
    std::vector<std::string> out;
    for (const auto& l : log)
      if (l.emph) out.push_back(l.text);
    return out;
  }
  bool logged(const std::string& t) const {
    for (const auto& l : log)
      if (l.text == t) return true;
    return false;
  }
  bool traced(const std::string& t) const {
    for (const auto& l : trace)
      if (l == t) return true;
    return false;
  }

  std::vector<Line> log;
  std::vector<std::string> trace, items, captions;
  std::string caption_ = "Tabulon Version 1.01 ", combo;
  std::map<TB_field, std::string> fields;
  std::map<TB_check, bool> checks;
  int clears = 0, menus = 0;
};
