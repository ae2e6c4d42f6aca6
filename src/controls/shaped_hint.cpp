#include "controls/shaped_hint.h"

#include <QBitmap>
#include <QHelpEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QRegion>
#include <QScreen>
#include <QToolTip>

#include "platform/qt_text.h"

namespace korvant {
namespace {

const std::array<CalloutShape, 13> kShapes = {{
    {0, 0, QRect(), ""},
    {82, 60, QRect(QPoint(17, 16), QPoint(65, 45)), "SmlDnRgh"},
    {101, 75, QRect(QPoint(24, 20), QPoint(81, 60)), "MedDnRgh"},
    {124, 93, QRect(QPoint(28, 26), QPoint(104, 74)), "LrgDnRgh"},
    {82, 60, QRect(QPoint(15, 16), QPoint(63, 45)), "SmlDnLft"},
    {101, 75, QRect(QPoint(17, 20), QPoint(74, 60)), "MedDnLft"},
    {124, 93, QRect(QPoint(18, 26), QPoint(94, 74)), "LrgDnLft"},
    {82, 60, QRect(QPoint(17, 15), QPoint(65, 44)), "SmlUpRgh"},
    {101, 75, QRect(QPoint(23, 16), QPoint(80, 56)), "MedUpRgh"},
    {124, 93, QRect(QPoint(28, 19), QPoint(104, 67)), "LrgUpRgh"},
    {82, 60, QRect(QPoint(13, 15), QPoint(61, 44)), "SmlUpLft"},
    {101, 75, QRect(QPoint(17, 15), QPoint(74, 55)), "MedUpLft"},
    {124, 93, QRect(QPoint(19, 19), QPoint(95, 67)), "LrgUpLft"},
}};

// The text rectangles are given as (left, top, right, bottom) with the
// right and bottom edges outside the rectangle.
QRect TextRectOf(const CalloutShape& s) {
  return QRect(s.textRect.left(), s.textRect.top(), s.textRect.right() - s.textRect.left(),
               s.textRect.bottom() - s.textRect.top());
}

constexpr int kTextFlags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;

// A balloon around the text rectangle with a tail to the anchor corner.
QImage DrawCallout(int index) {
  const CalloutShape& s = kShapes[index];
  const int dir = (index - 1) / 3;  // 0 down-right, 1 down-left, 2 up-right, 3 up-left
  const bool tailLeft = dir == 0 || dir == 2;
  const bool tailTop = dir == 0 || dir == 1;
  const QRect text = TextRectOf(s);
  const QRectF body = QRectF(text).adjusted(-text.left() * 0.6, -text.top() * 0.5,
                                            (s.width - text.right()) * 0.6 - 1,
                                            (s.height - text.bottom()) * 0.5 - 1);
  QPainterPath path;
  path.addEllipse(body);
  const QPointF tip(tailLeft ? 0.5 : s.width - 1.5, tailTop ? 0.5 : s.height - 1.5);
  const QPointF c = body.center();
  const QPointF base1(c.x() + (tip.x() - c.x()) * 0.35, c.y());
  const QPointF base2(c.x(), c.y() + (tip.y() - c.y()) * 0.35);
  QPainterPath tail;
  tail.moveTo(base1);
  tail.lineTo(tip);
  tail.lineTo(base2);
  tail.closeSubpath();
  path = path.united(tail).simplified();

  QImage img(s.width * 2, s.height, QImage::Format_RGB32);
  img.fill(Qt::white);
  QPainter p(&img);
  p.fillRect(s.width, 0, s.width, s.height, Qt::black);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.fillPath(path, Qt::black);
  p.translate(s.width, 0);
  p.setPen(QPen(Qt::black, 1));
  p.setBrush(QColor(255, 255, 225));
  p.drawPath(path);
  return img;
}

CalloutPictureSource& Source() {
  static CalloutPictureSource src;
  return src;
}

}  // namespace

const CalloutShape& CalloutShapeAt(int index) {
  return kShapes[(index >= 1 && index <= 12) ? index : 0];
}

int ChooseCalloutSize(const QString& text, const QFont& font) {
  const QFontMetrics fm(font);
  for (int size = 1; size <= 3; ++size) {
    const QRect r = TextRectOf(kShapes[size]);
    const QRect need = fm.boundingRect(QRect(0, 0, r.width(), 100000), kTextFlags, text);
    if (need.width() <= r.width() && need.height() <= r.height()) return size;
  }
  return 0;
}

CalloutPlacement PlaceCallout(const std::array<QPoint, 4>& pts, int size, QSize screen) {
  CalloutPlacement out;
  out.index = size;
  const int w = kShapes[size].width, h = kShapes[size].height;
  int x = pts[3].x(), y = pts[3].y();
  if (x + w > screen.width()) {
    if (pts[2].x() - w >= 0) {
      x = pts[2].x() - w;
      y = pts[2].y();
      out.index += kCalloutDownLeft;
      if (y + h > screen.height() && pts[0].y() - h >= 0) {
        x = pts[0].x() - w;
        y = pts[0].y() - h;
        out.index += kCalloutUp;
      }
    }
  } else if (y + h > screen.height() && pts[1].y() - h >= 0) {
    x = pts[1].x();
    y = pts[1].y() - h;
    out.index += kCalloutUp;
  }
  out.topLeft = QPoint(x, y);
  out.hintRect = QRect(x, y, w + 2, h + 2);
  return out;
}

QImage CalloutPicture(int index) {
  if (index < 1 || index > 12) return {};
  if (Source()) return Source()(index);
  static std::array<QImage, 13> cache;
  if (cache[index].isNull()) cache[index] = DrawCallout(index);
  return cache[index];
}

CalloutPictureSource InstallCalloutPictureSource(CalloutPictureSource src) {
  CalloutPictureSource old = std::move(Source());
  Source() = std::move(src);
  return old;
}

ShapedHintWindow* ShapedHintWindow::Instance() {
  static QPointer<ShapedHintWindow> window;
  if (!window) window = new ShapedHintWindow();
  return window;
}

ShapedHintWindow::ShapedHintWindow()
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setFont(QToolTip::font());
}

void ShapedHintWindow::ShowPlain(QWidget* control, const QString& text, QPoint cursorGlobal) {
  shaped_ = false;
  index_ = 0;
  hide();
  QToolTip::showText(cursorGlobal, PlainToolTip(text), control);
}

void ShapedHintWindow::ActivateHint(QWidget* control, const QString& text, QPoint cursorGlobal) {
  if (control_ && control_ != control) {
    if (auto* old = dynamic_cast<IShapedHintControl*>(control_.data())) old->AcceptShapedHint(nullptr);
  }
  control_ = control;
  text_ = text;
  auto* client = dynamic_cast<IShapedHintControl*>(control);
  shaped_ = client && client->AcceptShapedHint(this);
  index_ = 0;
  if (shaped_) {
    visibleAllowed_ = true;
    cursorOnSolid_ = client->ShapedHintPoints(points_);
    const int size = ChooseCalloutSize(text, font());
    QScreen* scr = control->screen() ? control->screen() : QGuiApplication::primaryScreen();
    const QSize screen = scr ? scr->geometry().size() : QSize(640, 480);
    if (size != 0) {
      const CalloutPlacement pl = PlaceCallout(points_, size, screen);
      picture_ = CalloutPicture(pl.index);
      const CalloutShape& s = kShapes[pl.index];
      if (!picture_.isNull() && picture_.width() >= 2 * s.width && picture_.height() >= s.height) {
        index_ = pl.index;
        hintRect_ = pl.hintRect;
      }
    }
    if (index_ == 0) {
      // No callout for this text (or no picture): the plain hint serves.
      client->AcceptShapedHint(nullptr);
      shaped_ = false;
    }
  }
  if (!shaped_) {
    ShowPlain(control, text, cursorGlobal);
    return;
  }
  QToolTip::hideText();
  const CalloutShape& s = kShapes[index_];
  setGeometry(hintRect_.x(), hintRect_.y(), s.width, s.height);
  const QImage mask = picture_.copy(0, 0, s.width, s.height);
  setMask(QRegion(QBitmap::fromImage(mask.createMaskFromColor(qRgb(0, 0, 0), Qt::MaskOutColor)
                                         .convertToFormat(QImage::Format_Mono))));
  UpdateVisibility();
  update();
}

bool ShapedHintWindow::HintCursorMoved(bool onSolidPart, bool fromControl) {
  if (!fromControl) {
    if (!onSolidPart) {
      visibleAllowed_ = false;
      if (!shaped_) QToolTip::hideText();
    }
  } else {
    cursorOnSolid_ = onSolidPart;
  }
  UpdateVisibility();
  return true;
}

void ShapedHintWindow::UpdateVisibility() {
  if (shaped_ && visibleAllowed_ && cursorOnSolid_) {
    if (!isVisible()) show();
    raise();
  } else {
    hide();
  }
}

void ShapedHintWindow::paintEvent(QPaintEvent*) {
  if (!shaped_ || index_ == 0 || picture_.isNull()) return;
  const CalloutShape& s = kShapes[index_];
  QPainter p(this);
  p.drawImage(QPoint(0, 0), picture_, QRect(s.width, 0, s.width, s.height));
  QRect r = TextRectOf(s);
  const QRect need = p.fontMetrics().boundingRect(QRect(0, 0, r.width(), 100000), kTextFlags, text_);
  if (need.height() < r.height()) r.setTop(r.top() + (r.height() - need.height()) / 2);
  p.setPen(Qt::black);
  p.drawText(r, kTextFlags, text_);
}

void ShapedHintLink::Drop() {
  if (!window_) return;
  IShapedHintWindow* w = window_;
  window_ = nullptr;
  w->HintCursorMoved(false, false);
}

void ShapedHintLink::Release(const QWidget* control) {
  if (!window_) return;
  auto* w = ShapedHintWindow::Instance();
  if (w->Control() == control) w->CancelHint();
}

bool ShowShapedHintFor(QWidget* control, QEvent* e) {
  if (e->type() != QEvent::ToolTip) return false;
  if (control->toolTip().isEmpty()) {
    QToolTip::hideText();
  } else {
    ShapedHintWindow::Instance()->ActivateHint(control, control->toolTip(),
                                               static_cast<QHelpEvent*>(e)->globalPos());
  }
  return true;
}

}  // namespace korvant
