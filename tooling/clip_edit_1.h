// TClip_Edit: the output text window of the NC outputs (copy-outs, per-tool cut-outs, the
// tool-check program). It keeps the producer's line list as its text of record. Up to
// kEditableMax lines the text is shown in an editable plain-text edit `re1`; a longer text
// is shown read-only, painting only the visible lines. From the pop-up the text is copied,
// cleared, saved on the desktop or beside the NC file (with its tool file) and opened in a
// new velmor.
#pragma once
#include <QPointer>
#include <QWidget>
#include <cstddef>
#include <string>

#include "tooling/core/nc_output.h"

class QAction;
class QListView;
class QMenu;
class QPlainTextEdit;
class QStackedLayout;
class Ttooling_host;
class TClip_lines_model;

class TClip_Edit : public QWidget {
  Q_OBJECT
 public:
  static constexpr std::size_t kEditableMax = 100000;

  explicit TClip_Edit(Ttooling_host& host, QWidget* parent = nullptr);
  ~TClip_Edit() override;

  // Takes over the lines as the text of record (`lines` is left empty) and shows them under
  // the caption (CP932; empty keeps the caption).
  void set_lines(TText_lines& lines, const std::string& caption);
  // Shows the window beside `owner` (beside the modal window that holds the input, when
  // one is open, which then lets the output take input too) when it was last placed beside
  // another window, within the owner's screen.
  void show_beside(const QWidget* owner);
  // The caption alone (the progress of an output being written).
  void set_caption(const std::string& caption);
  const TText_lines& lines() const { return lines_; }
  bool read_only_view() const { return big_; }
  // The text as it would be saved: the record's lines while unedited, else the edit's text
  // in CP932. False, with a box naming the line, when a character cannot be held.
  bool current_lines(TText_lines& out) const;
  // The pop-up's save items: on the desktop or beside the NC file, then optionally opened.
  void save(CLIP_SAVE_PLACE place, bool open);

  QPlainTextEdit* re1 = nullptr;
  QListView* list_view = nullptr;  // the read-only view of a long text
  QMenu* popup = nullptr;
  QAction* N1 = nullptr;      // select all
  QAction* Cut1 = nullptr;
  QAction* Copy1 = nullptr;
  QAction* Paste1 = nullptr;
  QAction* N3 = nullptr;      // clear
  QAction* N5 = nullptr;      // save on the desktop
  QAction* N6 = nullptr;      // ... and open
  QAction* N8 = nullptr;      // save beside the NC file
  QAction* N9 = nullptr;      // ... and open

 private:
  void show_record();
  void select_all();
  void copy();
  void clear_text();
  void update_caption();

  Ttooling_host& host_;
  TText_lines lines_;
  TClip_lines_model* model_ = nullptr;
  QStackedLayout* stack_ = nullptr;
  bool big_ = false;
  QPointer<const QWidget> owner_;  // the window it was last placed beside
  std::string caption_;
};
