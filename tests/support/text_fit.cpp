#include "tests/support/text_fit.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <climits>

namespace testing_support {

namespace {

struct Fit {
  QSize need, room;
};

QString plain(const QString& s) {
  QString t = s;
  t.remove(QLatin1Char('&'));  // a mnemonic's ampersand is not drawn ("&&" is rare enough)
  return t;
}

Fit label_fit(const QLabel& l) {
  QRect room = l.contentsRect().adjusted(l.margin(), l.margin(), -l.margin(), -l.margin());
  int indent = l.indent();
  if (indent < 0 && l.frameWidth() > 0)
    indent = l.fontMetrics().horizontalAdvance(QLatin1Char('x')) / 2;
  if (indent > 0) room.setWidth(room.width() - indent);
  const bool rich = l.textFormat() == Qt::RichText ||
                    (l.textFormat() == Qt::AutoText && Qt::mightBeRichText(l.text()));
  if (rich) {
    QTextDocument doc;
    doc.setDefaultFont(l.font());
    doc.setDocumentMargin(0);
    doc.setHtml(l.text());
    if (l.wordWrap()) doc.setTextWidth(room.width());
    return {QSize(static_cast<int>(doc.idealWidth() + 0.999), static_cast<int>(doc.size().height())),
            room.size()};
  }
  const QString text = l.buddy() ? plain(l.text()) : l.text();
  if (l.wordWrap()) {
    const QRect r = l.fontMetrics().boundingRect(QRect(0, 0, room.width(), INT_MAX),
                                                 Qt::TextWordWrap, text);
    return {QSize(std::min(r.width(), room.width()), r.height()), room.size()};
  }
  return {l.fontMetrics().size(0, text), room.size()};
}

Fit button_fit(const QAbstractButton& b) {
  QStyleOptionButton opt;
  opt.initFrom(&b);
  opt.text = b.text();
  opt.icon = b.icon();
  opt.iconSize = b.iconSize();
  QStyle::SubElement contents = QStyle::SE_PushButtonContents;
  int icon = 0;
  if (qobject_cast<const QCheckBox*>(&b)) contents = QStyle::SE_CheckBoxContents;
  else if (qobject_cast<const QRadioButton*>(&b)) contents = QStyle::SE_RadioButtonContents;
  if (!b.icon().isNull()) icon = b.iconSize().width() + 4;
  const QRect room = b.style()->subElementRect(contents, &opt, &b);
  QSize need = b.fontMetrics().size(Qt::TextShowMnemonic, b.text());
  need.rwidth() += icon;
  return {need, room.size()};
}

std::string describe(const QWidget& w, const QString& text, const Fit& f) {
  return (w.objectName().isEmpty() ? QStringLiteral("(no name)") : w.objectName()).toStdString() +
         " (" + w.metaObject()->className() + ") \"" + text.toStdString() + "\": needs " +
         std::to_string(f.need.width()) + "x" + std::to_string(f.need.height()) + ", has " +
         std::to_string(f.room.width()) + "x" + std::to_string(f.room.height());
}

}  // namespace

std::vector<std::string> clipped_captions(const QWidget& root) {
  std::vector<std::string> out;
  for (const QWidget* w : root.findChildren<QWidget*>()) {
    if (!w->isVisibleTo(&root)) continue;
    Fit f;
    QString text;
    if (const auto* l = qobject_cast<const QLabel*>(w)) {
      text = l->text();
      if (text.isEmpty()) continue;
      f = label_fit(*l);
    } else if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
      text = b->text();
      if (text.isEmpty() || !(qobject_cast<const QPushButton*>(b) || qobject_cast<const QCheckBox*>(b) ||
                              qobject_cast<const QRadioButton*>(b)))
        continue;
      f = button_fit(*b);
    } else {
      continue;
    }
    if (f.need.width() > f.room.width() || f.need.height() > f.room.height())
      out.push_back(describe(*w, text, f));
  }
  return out;
}

}  // namespace testing_support
