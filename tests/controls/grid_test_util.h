#pragma once
// Helpers of the grid tests: a shown, active window, mouse events with real
// global positions, pixel sampling at cell centres.
#include <QApplication>
#include <QFont>
#include <QImage>
#include <QMouseEvent>
#include <QTest>
#include <QWidget>

#include "controls/grid_base.h"
#include "window_test_util.h"

namespace korvant::test {

inline QFont PinnedFont() {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(12);
  return f;
}

inline void SendMouse(TGridBase& g, QEvent::Type type, QPoint local,
                      Qt::MouseButton button = Qt::LeftButton,
                      Qt::KeyboardModifiers mods = Qt::NoModifier) {
  const QPoint global = g.viewport()->mapToGlobal(local);
  const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
  QMouseEvent e(type, QPointF(local), QPointF(global), type == QEvent::MouseMove ? Qt::NoButton : button,
                buttons, mods);
  QApplication::sendEvent(g.viewport(), &e);
}

inline void Press(TGridBase& g, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier) {
  SendMouse(g, QEvent::MouseButtonPress, p, Qt::LeftButton, m);
}
inline void Move(TGridBase& g, QPoint p) { SendMouse(g, QEvent::MouseMove, p); }
inline void Release(TGridBase& g, QPoint p) { SendMouse(g, QEvent::MouseButtonRelease, p); }

inline QImage Shot(TGridBase& g) {
  return g.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline QColor PixelAt(const QImage& img, QPoint p) { return QColor(img.pixel(p)); }

inline QPoint Centre(const TGridBase& g, int col, int row) { return g.CellRect(col, row).center(); }

}  // namespace korvant::test
