#include "tooling/clip_edit_1.h"

#include <QAbstractListModel>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFont>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScreen>
#include <QStackedLayout>
#include <QTextBlock>
#include <QTextDocument>
#include <QWindow>

#include "platform/core/cp932.h"
#include "platform/core/msgbox.h"
#include "platform/qt/qtext.h"
#include "tooling/core/tooling_host.h"

using plat::to_qstring;

// The lines of a long text for the read-only view: only the rows on screen are converted.
class TClip_lines_model : public QAbstractListModel {
 public:
  explicit TClip_lines_model(QObject* parent) : QAbstractListModel(parent) {}
  void reset_to(const TText_lines* lines) {
    beginResetModel();
    lines_ = lines;
    endResetModel();
  }
  int rowCount(const QModelIndex& parent) const override {
    return parent.isValid() || !lines_ ? 0 : static_cast<int>(lines_->size());
  }
  QVariant data(const QModelIndex& index, int role) const override {
    if (role != Qt::DisplayRole || !lines_ || index.row() < 0 ||
        static_cast<std::size_t>(index.row()) >= lines_->size())
      return {};
    return to_qstring(lines_->line(static_cast<std::size_t>(index.row())));
  }

 private:
  const TText_lines* lines_ = nullptr;
};

namespace {

// CP932 lines with CR LF as one text with "\n" line ends.
QString text_of(std::string_view bytes) {
  QString s = to_qstring(bytes);
  s.remove(QLatin1Char('\r'));
  if (s.endsWith(QLatin1Char('\n'))) s.chop(1);
  return s;
}

}  // namespace

TClip_Edit::TClip_Edit(Ttooling_host& host, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::WindowStaysOnTopHint), host_(host) {
  setObjectName(u"Clip_Edit"_qs);
  resize(560, 420);
  QFont mono(u"monospace"_qs);
  mono.setStyleHint(QFont::TypeWriter);

  re1 = new QPlainTextEdit(this);
  re1->setObjectName(u"re1"_qs);
  re1->setFont(mono);
  re1->setLineWrapMode(QPlainTextEdit::NoWrap);
  re1->setUndoRedoEnabled(false);
  re1->setContextMenuPolicy(Qt::CustomContextMenu);
  model_ = new TClip_lines_model(this);
  list_view = new QListView(this);
  list_view->setObjectName(u"re1_view"_qs);
  list_view->setFont(mono);
  list_view->setUniformItemSizes(true);
  list_view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_view->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_view->setModel(model_);
  list_view->setContextMenuPolicy(Qt::CustomContextMenu);
  stack_ = new QStackedLayout(this);
  stack_->setContentsMargins(0, 0, 0, 0);
  stack_->addWidget(re1);
  stack_->addWidget(list_view);

  popup = new QMenu(this);
  popup->setObjectName(u"PopupMenu1"_qs);
  auto item = [this](QAction*& a, const char* name, const char* text, QKeySequence key,
                     auto slot) {
    a = new QAction(to_qstring(text), this);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
      a->setShortcut(key);
      a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
      addAction(a);
    }
    connect(a, &QAction::triggered, this, slot);
    popup->addAction(a);
  };
  item(N1, "N1", "全選択(&A)", QKeySequence(Qt::CTRL | Qt::Key_A), [this] { select_all(); });
  item(Cut1, "Cut1", "切り取り(&T)", QKeySequence(Qt::CTRL | Qt::Key_X), [this] {
    if (!big_) re1->cut();
  });
  item(Copy1, "Copy1", "ｺﾋﾟｰ(&C)", QKeySequence(Qt::CTRL | Qt::Key_C), [this] { copy(); });
  item(Paste1, "Paste1", "貼り付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_V), [this] {
    if (!big_) re1->paste();
  });
  popup->addSeparator();
  item(N3, "N3", "全消去", {}, [this] { clear_text(); });
  popup->addSeparator();
  item(N5, "N5", "デスクトップに内容を保存する", {},
       [this] { save(CLIP_SAVE_PLACE::desktop, false); });
  item(N6, "N6", "↑で保存後に Velmor で表示する", {},
       [this] { save(CLIP_SAVE_PLACE::desktop, true); });
  popup->addSeparator();
  item(N8, "N8", "元のファイルと同じフォルダに保存する", {},
       [this] { save(CLIP_SAVE_PLACE::beside_source, false); });
  item(N9, "N9", "↑で保存後に Velmor で表示する", {},
       [this] { save(CLIP_SAVE_PLACE::beside_source, true); });
  connect(re1, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { popup->exec(re1->viewport()->mapToGlobal(p)); });
  connect(list_view, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& p) { popup->exec(list_view->viewport()->mapToGlobal(p)); });
  clear_text();
}

TClip_Edit::~TClip_Edit() = default;

void TClip_Edit::set_lines(TText_lines& lines, const std::string& caption) {
  lines_.clear();
  lines_.swap(lines);
  if (!caption.empty()) caption_ = caption;
  show_record();
}

void TClip_Edit::show_beside(const QWidget* owner) {
  // A window that holds the input (the tool list, shown modally) is the output's parent
  // while it is open: the output then takes input beside it.
  QWidget* modal = QApplication::activeModalWidget();
  if (modal == this || (modal && !modal->isVisible())) modal = nullptr;
  if (modal) owner = modal;
  if (owner && owner != owner_) {
    owner_ = owner;
    const QRect o = owner->frameGeometry();
    const QSize whole = frameGeometry().size();
    const QRect a =
        owner->screen() ? owner->screen()->availableGeometry() : QRect(o.topLeft(), whole);
    // Right of the owner, else left, else below or above it (slid left to stay on the
    // screen): the first that lies on the screen; else right, kept on the screen.
    auto slid = [&](QRect t) {
      if (t.right() > a.right()) t.moveRight(a.right());
      return t;
    };
    const QRect tries[] = {QRect(QPoint(o.right() + 5, o.top()), whole),
                           QRect(QPoint(o.left() - 5 - whole.width(), o.top()), whole),
                           slid(QRect(QPoint(o.left(), o.bottom() + 5), whole)),
                           slid(QRect(QPoint(o.left(), o.top() - 5 - whole.height()), whole))};
    QRect r = tries[0];
    bool fits = false;
    for (const QRect& t : tries)
      if (!fits && a.contains(t)) {
        r = t;
        fits = true;
      }
    if (!fits) {
      if (r.right() > a.right()) r.moveRight(a.right());
      if (r.bottom() > a.bottom()) r.moveBottom(a.bottom());
      if (r.left() < a.left()) r.moveLeft(a.left());
      if (r.top() < a.top()) r.moveTop(a.top());
    }
    move(r.topLeft());
  }
  if (!windowHandle()) create();
  windowHandle()->setTransientParent(modal ? modal->windowHandle() : nullptr);
  show();
  raise();
}

void TClip_Edit::set_caption(const std::string& caption) {
  caption_ = caption;
  update_caption();
}

void TClip_Edit::update_caption() {
  std::string c = caption_;
  if (big_) c += "  (行数が多いため読み取り専用: 切り取りと貼り付けはできません)";
  setWindowTitle(to_qstring(c));
}

void TClip_Edit::show_record() {
  big_ = lines_.size() > kEditableMax;
  Cut1->setEnabled(!big_);
  Paste1->setEnabled(!big_);
  if (big_) {
    re1->clear();
    model_->reset_to(&lines_);
    stack_->setCurrentWidget(list_view);
  } else {
    model_->reset_to(nullptr);
    re1->setPlainText(text_of(lines_.bytes()));
    re1->document()->setModified(false);
    stack_->setCurrentWidget(re1);
  }
  update_caption();
}

void TClip_Edit::select_all() {
  if (big_)
    list_view->selectAll();
  else
    re1->selectAll();
}

void TClip_Edit::copy() {
  if (!big_) {
    re1->copy();
    return;
  }
  // The selected rows, range by range, in order.
  std::string bytes;
  const QItemSelection sel = list_view->selectionModel()->selection();
  std::vector<std::pair<int, int>> ranges;
  for (const QItemSelectionRange& r : sel) ranges.emplace_back(r.top(), r.bottom());
  std::sort(ranges.begin(), ranges.end());
  if (ranges.size() == 1 && ranges[0].first == 0 &&
      static_cast<std::size_t>(ranges[0].second) + 1 == lines_.size()) {
    bytes = lines_.bytes();
  } else {
    for (const auto& [top, bottom] : ranges)
      for (int i = top; i <= bottom; ++i) {
        bytes += lines_.line(static_cast<std::size_t>(i));
        bytes += "\r\n";
      }
  }
  if (bytes.empty()) return;
  QApplication::clipboard()->setText(text_of(bytes));
}

void TClip_Edit::clear_text() {
  lines_.clear();
  show_record();
}

bool TClip_Edit::current_lines(TText_lines& out) const {
  out.clear();
  if (big_ || !re1->document()->isModified()) {
    out = lines_;
    return true;
  }
  const QTextDocument* doc = re1->document();
  const bool empty = doc->isEmpty();
  int n = 0;
  for (QTextBlock b = doc->begin(); !empty && b.isValid(); b = b.next()) {
    ++n;
    bool lossless = true;
    const std::string line = plat::from_qstring(b.text(), &lossless);
    if (!lossless) {
      plat::message_box(std::to_string(n) +
                            " 行目に Shift-JIS で保存できない文字があります。保存しませんでした。",
                        "エラー", plat::MB_OK | plat::MB_ICONSTOP);
      out.clear();
      return false;
    }
    out.add(line);
  }
  return true;
}

void TClip_Edit::save(CLIP_SAVE_PLACE place, bool open) {
  TText_lines text;
  if (!current_lines(text)) return;
  const CLIP_SAVE_RESULT r = save_clip_output(host_, text, place, open);
  if (r.ok) {
    caption_ = r.caption;
    update_caption();
  }
}
