#include "controls/pick_util.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include "platform/qt/help_service.h"

namespace korvant {

void CentrePickDialog(QWidget* w) {
  QScreen* screen = w->parentWidget() ? w->parentWidget()->screen() : w->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize frame = w->frameGeometry().size();
  w->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

TPrgBitBtn* MakePickHelpButton(QWidget* parent, const QString& caption, int context, int ownContext) {
  auto* b = new TPrgBitBtn(TBitBtnKind::bkCustom, caption, parent);
  b->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  b->SetNumGlyphs(2);
  SetHelpContext(b, ownContext);
  QObject::connect(b, &TPrgBitBtn::Clicked, b, [context] { ShowHelpContext(context); });
  return b;
}

}  // namespace korvant
