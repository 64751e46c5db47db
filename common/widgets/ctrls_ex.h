// Edit box and scroll bar of both programs' forms.
//   TEditEx: a one-line edit with a choosable alignment and optional thousands grouping; Tab,
//            Enter and Escape reach the dialog (Enter inserts nothing and presses the
//            default button).
//   TScrollBarEx: a scroll bar with a page size over the range Min..Max, where the last
//            position is Max - Page + 1.
#pragma once
#include <QLineEdit>
#include <QScrollBar>
#include <string>
#include <string_view>

class TEditEx : public QLineEdit {
  Q_OBJECT
 public:
  enum TAlignment { taLeftJustify, taRightJustify, taCenter };

  explicit TEditEx(QWidget* parent = nullptr);

  TAlignment Alignment() const { return alignment_; }
  void SetAlignment(TAlignment a);
  bool Thousands() const { return thousands_; }
  // Switching grouping on regroups the text at once.
  void SetThousands(bool on);

  // The text (CP932) without the grouping commas when Thousands is on.
  std::string Text() const;
  QString TextQ() const;
  // Sets the text, grouped when Thousands is on (commas already in it are removed first).
  void SetText(std::string_view cp932);
  void SetText(const QString& s);

  // Selects the whole text, as after the form is built (also done at the first show).
  void Loaded();

  // The integer digits after an optional sign grouped by three with ","; every "," is
  // removed first; the rest of the text is kept.
  static QString group_thousands(const QString& s);

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void regroup_keeping_selection();

  TAlignment alignment_ = taLeftJustify;
  bool thousands_ = false;
  bool shown_once_ = false;
  bool regrouping_ = false;
};

class TScrollBarEx : public QScrollBar {
  Q_OBJECT
 public:
  explicit TScrollBarEx(Qt::Orientation o = Qt::Horizontal, QWidget* parent = nullptr);

  int Min() const { return min_; }
  int Max() const { return max_; }
  int Page() const { return page_; }
  int Position() const { return position_; }
  // The largest position: Max - Page + 1 (Max with a page of 0 or 1), never below Min.
  int last_position() const;

  // The page is cut to Max - Min + 1.
  void SetPage(int page);
  void SetPosition(int position);
  void SetMin(int min);
  void SetMax(int max);
  // Sets everything at once; min > max is refused (false, logged) and changes nothing.
  bool SetParams(int position, int min, int max);
  bool SetParams(int position, int min, int max, int page);

 signals:
  // The change event: after every change of the parameters and every move by the user.
  void Change();

 private:
  void change_notice();
  void apply_to_bar();

  int min_ = 0, max_ = 100, page_ = 0, position_ = 0;
  bool applying_ = false;
};
