#include "controls/form_util.h"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QSlider>
#include <QWidget>

#include "base/cp1251.h"
#include "core/common/catalogue.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"

namespace korvant {



void CentreOnScreen(QWidget* w) {
  QScreen* screen = w->parentWidget() ? w->parentWidget()->screen() : w->screen();
  if (!screen) screen = QGuiApplication::primaryScreen();
  if (!screen) return;
  const QRect area = screen->availableGeometry();
  const QSize frame = w->frameGeometry().size();
  w->move(area.center() - QPoint(frame.width() / 2, frame.height() / 2));
}

TPrgBitBtn* MakeHelpButton(QWidget* parent, const QString& caption, int context, int ownContext) {
  auto* b = new TPrgBitBtn(TBitBtnKind::bkCustom, caption, parent);
  b->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  b->SetNumGlyphs(2);
  SetHelpContext(b, ownContext);
  QObject::connect(b, &TPrgBitBtn::Clicked, b, [context] { ShowHelpContext(context); });
  return b;
}

TOrientationSwitch MakeOrientationSwitch(QWidget* parent) {
  TOrientationSwitch sw{};
  sw.Panel = new QWidget(parent);
  sw.Panel->setGeometry(500, 1, 35, 35);
  SetHelpContext(sw.Panel, 175);
  sw.Slider = new QSlider(Qt::Vertical, sw.Panel);
  sw.Slider->setRange(0, 1);
  sw.Slider->setInvertedAppearance(true);  // position 0 ("Верт.") at the top
  sw.Slider->setPageStep(1);
  sw.Slider->setTickPosition(QSlider::TicksRight);
  sw.Slider->setGeometry(4, 0, 27, 35);
  SetHelpContext(sw.Slider, 175);
  sw.Vert = NewLabel(Ru("Верт."), parent);
  sw.Horz = NewLabel(Ru("Горз."), parent);
  return sw;
}

}  // namespace korvant
