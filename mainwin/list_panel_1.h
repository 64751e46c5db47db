// The NC listing panel of the main window: SCB1 with the 51 edit rows L0 .. L50 and the
// scroll bar scr_bar, and TVelmorListing, which holds the NC store with its listing and
// answers what the listing asks of the main window.
#pragma once
#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/widgets/ctrls_ex.h"
#include "mainwin/core/window_ui.h"
#include "ncdata/ncd_edit.h"

// Qt's "slots" keyword would meet a field of the NC data record: files that need the record
// include ncdata/ncd_data.h before any Qt header.
struct NCD_DATA;

class TListPanel;

// One row of the listing. It keeps the bytes it was filled with, so that the parts of a line
// that are not valid CP932 and that the user did not touch come back unchanged.
class TNcdRow : public TEditEx {
  Q_OBJECT
 public:
  TNcdRow(TListPanel* panel, int index, QWidget* parent);

  int index() const { return index_; }
  void set_bytes(const std::string& text);
  std::string bytes() const;
  // The caret as a byte column, and back.
  int caret_bytes() const;
  void set_caret_bytes(int column);

 protected:
  bool event(QEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void focusOutEvent(QFocusEvent* e) override;
  void showEvent(QShowEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;

 private:
  friend class TNcdRowValidator;
  // The byte offset of each UTF-16 unit of `s` (and of its end), as CP932.
  static std::vector<int> byte_offsets(const QString& s);
  void keep_after_prefix();

  TListPanel* panel_;
  int index_;
  std::string bytes_;         // what the row was filled with
  QString shown_;             // its text as shown
  std::vector<int> offsets_;  // byte offset of each unit of shown_ within bytes_
  QString accepted_;          // the text before the edit under way
  bool clamping_ = false;
};

class TListPanel : public QWidget, public NCD_LIST_ROWS {
  Q_OBJECT
 public:
  explicit TListPanel(QWidget* parent = nullptr);

  // The listing that the rows report to; set once it exists.
  void attach(NCD_EDIT_LIST* list);
  NCD_EDIT_LIST* list() const { return list_; }
  TNcdRow* row(int i) const { return rows_[static_cast<size_t>(i)]; }
  TScrollBarEx* scroll_bar() const { return scr_bar_; }
  QWidget* SCB1() const { return scb1_; }

  // ---- NCD_LIST_ROWS ----
  std::string row_text(int i) override;
  void set_row(int i, const std::string& text) override;
  bool row_modified(int i) override;
  void clear_row_modified(int i) override;
  void select_after_prefix(int i, bool on) override;
  bool row_has_selection(int i) override;
  int row_caret(int i) override;
  void set_row_caret(int i, int column) override;
  void focus_row(int i) override;
  bool rows_have_focus() override;
  void enable_rows(bool on) override;
  void layout_rows(int prefix_length, int& row_height, int& prefix_x) override;
  void set_scroll(int position, int maximum) override;
  int scroll_position() override;

  void EditList_pnlResize();
  void scr_barScroll();

  // The listing pop-up, asked for on a row (its index) at a screen point; in place of the
  // rows' own edit menu.
  std::function<void(int row, const QPoint& global)> on_popup;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  NCD_EDIT_LIST* list_ = nullptr;
  QWidget* scb1_ = nullptr;
  TScrollBarEx* scr_bar_ = nullptr;
  std::array<TNcdRow*, NCD_LIST_ROW_COUNT> rows_{};
};

// The NC store and its listing in the main window, with the main window's answers to the
// store and the listing. Until the 3D view and the control panel exist, a drawn step is a
// plain step, the full redraws are not drawn and the control panel calls do nothing.
// It answers the core's calls of the listing (TVLM_listing_ui).
class TVelmorListing : public NCD_LIST_HOST, public TVLM_listing_ui {
 public:
  // With its own NC store.
  explicit TVelmorListing(QWidget* parent);
  // Over the main window's store, with the main window's answers to the listing.
  TVelmorListing(QWidget* parent, NCD_DATA& data, NCD_LIST_HOST& host);
  ~TVelmorListing() override;

  NCD_DATA& data() { return *d_; }
  NCD_EDIT_LIST& list() { return *list_; }
  TListPanel* panel() const { return panel_; }
  // The main window's title and size line after an edit.
  std::function<void()> on_status;

  // ---- NCD_LIST_HOST ----
  bool sim_option() override { return cursor_path_; }
  void Set_controler_status() override {}
  void Draw_controler_TOOL_IMG() override {}
  void Dump_SIM_status_to_deb() override {}
  void set_NCD_status() override;
  bool debug_window_shown() override { return false; }
  void repaint() override;

  // ---- TVLM_listing_ui ----
  void listing_enable(bool on) override;
  void listing_reset() override;
  void listing_refresh() override;
  void commit_listing() override;
  void set_list_font(int height) override;
  NCD_EDIT_LIST* edit_list() override { return list_.get(); }

  // DISP_cursor_path_flag.
  void set_cursor_path(bool on) { cursor_path_ = on; }

 private:
  class StoreHost;
  std::unique_ptr<NCD_DATA> data_;  // the own store, or null
  NCD_DATA* d_ = nullptr;
  std::unique_ptr<StoreHost> store_host_;
  TListPanel* panel_ = nullptr;
  std::unique_ptr<NCD_EDIT_LIST> list_;
  bool cursor_path_ = false;
};
