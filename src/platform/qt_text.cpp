#include "platform/qt_text.h"

#include <QLabel>
#include <QTextDocument>

namespace korvant {

QLabel* NewLabel(const QString& text, QWidget* parent) {
  auto* l = new QLabel(parent);
  // The format first: a text set before it would already have been read.
  l->setTextFormat(Qt::PlainText);
  l->setText(text);
  return l;
}

QString PlainToolTip(const QString& text) {
  return Qt::mightBeRichText(text) ? Qt::convertFromPlainText(text, Qt::WhiteSpaceNoWrap) : text;
}

}  // namespace korvant
