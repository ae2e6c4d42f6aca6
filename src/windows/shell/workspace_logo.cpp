#include "windows/shell/workspace_logo.h"

#include <QChildEvent>
#include <QColor>
#include <QEvent>
#include <QFont>
#include <QPainter>
#include <QPen>

#include <algorithm>

namespace korvant {

namespace {

// One axis: the picture's start and drawn extent.
void placeAxis(int client, int bitmap, int& start, int& extent) {
  if (client + 1 >= bitmap) {
    start = (client - bitmap) / 2;  // towards zero: -1 / 2 is 0
    extent = bitmap;
  } else {
    start = 0;
    extent = client + 1;
  }
}

// A rectangle from its edges, null when it encloses nothing.
QRect fromEdges(int left, int top, int right, int bottom) {
  if (right <= left || bottom <= top) return QRect();
  return QRect(left, top, right - left, bottom - top);
}

// The picture has no paper and no frame of its own: it lies on the
// workspace's colour.
QImage drawLogo() {
  QImage pm(kWorkspaceLogoWidth, kWorkspaceLogoHeight, QImage::Format_ARGB32_Premultiplied);
  const QColor ink(0x1F, 0x3A, 0x68);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing, false);
  p.setPen(ink);

  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(30);
  font.setBold(true);
  p.setFont(font);
  p.drawText(QRect(0, 14, kWorkspaceLogoWidth, 44), Qt::AlignCenter, QString::fromUtf8("Корвант"));

  // A week's timetable: six days across, five lessons down, a few of them
  // taken in the colours of different subjects.
  constexpr int cols = 6, rows = 5, cw = 28, ch = 16;
  constexpr int left = (kWorkspaceLogoWidth - cols * cw) / 2;
  constexpr int top = 72;
  const QColor subjects[] = {QColor(0xE0, 0x6C, 0x4F), QColor(0x5B, 0x9B, 0x5E), QColor(0xE8, 0xB9, 0x3C),
                             QColor(0x4F, 0x7F, 0xC4)};
  p.fillRect(left, top - ch, cols * cw, ch, ink);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) {
      const int pattern = (r * 7 + c * 3) % 6;
      if (pattern < 4) p.fillRect(left + c * cw, top + r * ch, cw, ch, subjects[pattern]);
    }
  p.setPen(QPen(ink, 1));
  for (int c = 0; c <= cols; ++c) p.drawLine(left + c * cw, top - ch, left + c * cw, top + rows * ch);
  for (int r = -1; r <= rows; ++r) p.drawLine(left, top + r * ch, left + cols * cw, top + r * ch);
  return pm;
}

}  // namespace

WorkspaceLogoLayout layoutWorkspaceLogo(QSize client, QSize logo) {
  const int W = std::max(0, client.width());
  const int H = std::max(0, client.height());
  WorkspaceLogoLayout out;
  if (logo.width() <= 0 || logo.height() <= 0) {
    out.bands[0] = fromEdges(0, 0, W, H);
    return out;
  }
  int x = 0, w = 0, y = 0, h = 0;
  placeAxis(W, logo.width(), x, w);
  placeAxis(H, logo.height(), y, h);
  out.hasPicture = true;
  out.picture = QRect(x, y, w, h);
  out.bands[0] = fromEdges(0, 0, W, y);
  // The side bands stop at the client's bottom, where a picture taller
  // than the client overshoots it by a pixel.
  const int sideBottom = std::min(y + h, H);
  out.bands[1] = fromEdges(0, y, x, sideBottom);
  out.bands[2] = fromEdges(x + w, y, W, sideBottom);
  out.bands[3] = fromEdges(0, y + h, W, H);
  return out;
}

void paintWorkspaceLogo(QPainter& p, QSize client, const QImage& logo, const QBrush& background) {
  const WorkspaceLogoLayout lay = layoutWorkspaceLogo(client, logo.isNull() ? QSize() : logo.size());
  for (const QRect& band : lay.bands)
    if (!band.isNull()) p.fillRect(band, background);
  if (!lay.hasPicture) return;
  p.save();
  p.setClipRect(QRect(QPoint(0, 0), client), Qt::IntersectClip);
  p.fillRect(lay.picture, background);
  // Device pixels of the bitmap, one for one, on the workspace's colour.
  p.drawImage(lay.picture.topLeft(), logo, QRect(QPoint(0, 0), lay.picture.size()));
  p.restore();
}

QImage workspaceLogoBitmap(uint16_t resId) {
  if (resId != kWorkspaceLogoResId) return QImage();
  static const QImage logo = drawLogo();
  return logo;
}

WorkspaceArea::WorkspaceArea(QWidget* parent) : QMdiArea(parent) {
  // The workspace shows the form's own colour around the logo.
  setBackground(palette().brush(QPalette::Window));
  setClientExtStyle(0);
  viewport()->installEventFilter(this);  // to watch the windows as they come
}

QRect WorkspaceArea::logoPlace() const {
  const QImage logo = workspaceLogoBitmap(logoResId_);
  if (logo.isNull()) return QRect();
  return layoutWorkspaceLogo(viewport()->size(), logo.size()).picture;
}

bool WorkspaceArea::logoCovered() const {
  const QRect place = logoPlace();
  if (place.isEmpty()) return false;
  for (const QObject* o : viewport()->children()) {
    const auto* w = qobject_cast<const QWidget*>(o);
    if (w && w->isVisible() && w->geometry().intersects(place)) return true;
  }
  return false;
}

bool WorkspaceArea::eventFilter(QObject* watched, QEvent* event) {
  if (watched == viewport()) {
    if (event->type() == QEvent::ChildAdded)
      if (auto* w = qobject_cast<QWidget*>(static_cast<QChildEvent*>(event)->child())) w->installEventFilter(this);
  } else if (watched->parent() == viewport()) {
    switch (event->type()) {
      case QEvent::Move:
      case QEvent::Resize:
      case QEvent::Show:
      case QEvent::Hide:
        // The logo may have come out from under the window, or gone under it.
        viewport()->update(logoPlace());
        break;
      default: break;
    }
  }
  return QMdiArea::eventFilter(watched, event);
}

void WorkspaceArea::setClientLogoResID(uint16_t id) {
  logoResId_ = id;
  viewport()->update();
}

void WorkspaceArea::setClientExtStyle(uint32_t style) {
  extStyle_ = style;
  if (style & kClientEdgeStyle) {
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setLineWidth(2);
  } else {
    setFrameStyle(QFrame::NoFrame);
  }
}

void WorkspaceArea::paintEvent(QPaintEvent*) {
  QPainter p(viewport());
  paintWorkspaceLogo(p, viewport()->size(), logoCovered() ? QImage() : workspaceLogoBitmap(logoResId_),
                     background());
}

// The logo is centred on the visible client area: a resize or a scroll
// moves it, so the whole workspace is repainted rather than shifted.
void WorkspaceArea::resizeEvent(QResizeEvent* event) {
  QMdiArea::resizeEvent(event);
  viewport()->update();
}

void WorkspaceArea::scrollContentsBy(int dx, int dy) {
  QMdiArea::scrollContentsBy(dx, dy);
  viewport()->update();
}

}  // namespace korvant
