#include "windows/shell/tool_glyphs.h"

#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace korvant {

namespace {

constexpr int kCell = 20;

const QColor kInk(30, 30, 30);
const QColor kPaper(255, 255, 255);
const QColor kBlue(40, 90, 180);
const QColor kYellow(236, 196, 60);
const QColor kGreen(40, 150, 60);
const QColor kRed(200, 40, 40);
const QColor kGrey(150, 150, 150);

void Page(QPainter& p, QRectF r) {
  QPainterPath path;
  path.moveTo(r.left(), r.top());
  path.lineTo(r.right() - 4, r.top());
  path.lineTo(r.right(), r.top() + 4);
  path.lineTo(r.right(), r.bottom());
  path.lineTo(r.left(), r.bottom());
  path.closeSubpath();
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawPath(path);
  p.drawLine(QPointF(r.right() - 4, r.top()), QPointF(r.right() - 4, r.top() + 4));
  p.drawLine(QPointF(r.right() - 4, r.top() + 4), QPointF(r.right(), r.top() + 4));
}

void Folder(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kYellow);
  QPainterPath back;
  back.moveTo(2.5, 5.5);
  back.lineTo(7.5, 5.5);
  back.lineTo(9.5, 7.5);
  back.lineTo(16.5, 7.5);
  back.lineTo(16.5, 16.5);
  back.lineTo(2.5, 16.5);
  back.closeSubpath();
  p.drawPath(back);
  p.setBrush(kYellow.lighter(120));
  QPolygonF front({{2.5, 16.5}, {5.5, 10.5}, {19.0, 10.5}, {16.5, 16.5}});
  p.drawPolygon(front);
}

void Disk(QPainter& p, QColor body) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(body);
  p.drawRect(QRectF(2.5, 2.5, 15, 15));
  p.setBrush(kPaper);
  p.drawRect(QRectF(5.5, 2.5, 9, 6));
  p.setBrush(kGrey);
  p.drawRect(QRectF(5.5, 12.5, 9, 5));
}

void PrinterShape(QPainter& p) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(QRectF(5.5, 2.5, 9, 6));
  p.setBrush(kGrey.lighter(130));
  p.drawRect(QRectF(2.5, 8.5, 15, 6));
  p.setBrush(kPaper);
  p.drawRect(QRectF(5.5, 12.5, 9, 5));
  p.setPen(kGreen);
  p.drawPoint(QPointF(15, 10.5));
}

void Grid(QPainter& p, QRectF r, int cols, int rows, QColor head) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kPaper);
  p.drawRect(r);
  p.fillRect(QRectF(r.left() + 0.5, r.top() + 0.5, r.width() - 0.5, r.height() / rows - 0.5), head);
  for (int c = 1; c < cols; ++c) {
    const double x = r.left() + r.width() * c / cols;
    p.drawLine(QPointF(x, r.top()), QPointF(x, r.bottom()));
  }
  for (int row = 1; row < rows; ++row) {
    const double y = r.top() + r.height() * row / rows;
    p.drawLine(QPointF(r.left(), y), QPointF(r.right(), y));
  }
}

void Tick(QPainter& p, QPointF at, QColor c) {
  p.setPen(QPen(c, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
  p.setBrush(Qt::NoBrush);
  p.drawPolyline(QPolygonF({at, at + QPointF(3, 3), at + QPointF(9, -5)}));
}

void Star(QPainter& p, QPointF c, double r) {
  p.setPen(QPen(kInk, 1));
  p.setBrush(kYellow);
  QPolygonF star;
  for (int i = 0; i < 8; ++i) {
    const double a = 3.14159265 * i / 4;
    const double rr = i % 2 ? r * 0.45 : r;
    star << QPointF(c.x() + rr * std::sin(a), c.y() - rr * std::cos(a));
  }
  p.drawPolygon(star);
}

void Text(QPainter& p, QRectF r, const QString& t, QColor c, int px, bool bold = true) {
  QFont f(QStringLiteral("DejaVu Sans"));
  f.setPixelSize(px);
  f.setBold(bold);
  p.setFont(f);
  p.setPen(c);
  p.drawText(r, Qt::AlignCenter, t);
}

void Paint(QPainter& p, ToolGlyph g) {
  switch (g) {
    case ToolGlyph::NewDocument:
      Page(p, QRectF(3.5, 1.5, 12, 17));
      Star(p, QPointF(14.5, 5.5), 4.5);
      break;
    case ToolGlyph::OpenFolder:
      Folder(p);
      break;
    case ToolGlyph::SaveDisk:
      Disk(p, kBlue);
      break;
    case ToolGlyph::Printer:
      PrinterShape(p);
      break;
    case ToolGlyph::Parameters:
      p.setPen(QPen(kInk, 1.4));
      for (int i = 0; i < 3; ++i) {
        const double y = 4.5 + i * 5.5;
        p.drawLine(QPointF(2.5, y), QPointF(17.5, y));
        p.setBrush(i == 1 ? kRed : kBlue);
        p.drawRect(QRectF(4.5 + i * 4.5, y - 2, 4, 4));
      }
      break;
    case ToolGlyph::Planning:
      Grid(p, QRectF(1.5, 2.5, 17, 15), 4, 4, kBlue.lighter(150));
      Tick(p, QPointF(8, 12), kGreen);
      break;
    case ToolGlyph::DataCheck:
      Page(p, QRectF(2.5, 1.5, 12, 17));
      p.setPen(QPen(kGrey, 1));
      for (int i = 0; i < 3; ++i) p.drawLine(QPointF(4.5, 6.5 + 3 * i), QPointF(10.5, 6.5 + 3 * i));
      Tick(p, QPointF(8, 13), kGreen);
      break;
    case ToolGlyph::Help:
      p.setPen(QPen(kBlue.darker(130), 1));
      p.setBrush(kBlue);
      p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
      Text(p, QRectF(1, 1, 18, 18), QStringLiteral("?"), kPaper, 14);
      break;
    case ToolGlyph::NewVariant:
      Grid(p, QRectF(1.5, 3.5, 14, 14), 3, 3, kGreen.lighter(160));
      Star(p, QPointF(14.5, 5.5), 4.5);
      break;
    case ToolGlyph::OpenVariant:
      Folder(p);
      Grid(p, QRectF(8.5, 1.5, 8, 6), 2, 2, kGreen.lighter(160));
      break;
    case ToolGlyph::SaveVariant:
      Disk(p, kGreen);
      break;
    case ToolGlyph::Options:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kGrey.lighter(120));
      {
        QPolygonF gear;
        for (int i = 0; i < 16; ++i) {
          const double a = 3.14159265 * i / 8;
          const double r = (i / 2) % 2 ? 6.0 : 8.5;
          gear << QPointF(10 + r * std::sin(a), 10 - r * std::cos(a));
        }
        p.drawPolygon(gear);
      }
      p.setBrush(kPaper);
      p.drawEllipse(QRectF(7, 7, 6, 6));
      break;
    case ToolGlyph::EndPlanning:
      Grid(p, QRectF(1.5, 2.5, 14, 14), 3, 3, kBlue.lighter(150));
      p.setPen(QPen(kRed, 2.4, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(10, 10), QPointF(18, 18));
      p.drawLine(QPointF(18, 10), QPointF(10, 18));
      break;
    case ToolGlyph::AutoRegime:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kGreen.lighter(150));
      p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
      Text(p, QRectF(1, 1, 18, 18), QString::fromUtf8("А"), kInk, 12);
      break;
    case ToolGlyph::ManualRegime:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kYellow.lighter(130));
      p.drawEllipse(QRectF(1.5, 1.5, 17, 17));
      Text(p, QRectF(1, 1, 18, 18), QString::fromUtf8("Р"), kInk, 12);
      break;
    case ToolGlyph::WeekVariants:
      Grid(p, QRectF(1.5, 1.5, 11, 11), 3, 3, kGreen.lighter(160));
      Grid(p, QRectF(7.5, 7.5, 11, 11), 3, 3, kBlue.lighter(150));
      break;
    case ToolGlyph::Optimize:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kBlue.lighter(150));
      p.drawRect(QRectF(2.5, 10.5, 4, 7));
      p.drawRect(QRectF(8.5, 6.5, 4, 11));
      p.drawRect(QRectF(14.5, 2.5, 4, 15));
      p.setPen(QPen(kRed, 1.6, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(2, 8), QPointF(15, 1.5));
      break;
    case ToolGlyph::PlaceLessons:
      // A day's grid with a block of lessons set into it.
      Grid(p, QRectF(1.5, 5.5, 13, 13), 3, 3, kBlue.lighter(150));
      p.setPen(QPen(kInk, 1));
      p.setBrush(kYellow);
      p.drawRect(QRectF(5.8, 9.8, 4.3, 8.7));
      p.setPen(QPen(kGreen, 1.8, Qt::SolidLine, Qt::RoundCap));
      p.drawLine(QPointF(17, 1.5), QPointF(11, 7.5));
      p.drawLine(QPointF(11, 7.5), QPointF(11, 4));
      p.drawLine(QPointF(11, 7.5), QPointF(14.5, 7.5));
      break;
    case ToolGlyph::AssignRooms:
      p.setPen(QPen(kInk, 1));
      p.setBrush(QColor(190, 140, 90));
      p.drawRect(QRectF(5.5, 1.5, 10, 17));
      p.setBrush(kYellow);
      p.drawEllipse(QRectF(12, 9, 2.5, 2.5));
      p.setPen(QPen(kInk, 1.2));
      p.drawLine(QPointF(1.5, 18.5), QPointF(18.5, 18.5));
      break;
    case ToolGlyph::Control:
      Grid(p, QRectF(1.5, 2.5, 13, 13), 3, 3, kBlue.lighter(150));
      p.setPen(QPen(kInk, 1.8));
      p.setBrush(QColor(200, 230, 255, 200));
      p.drawEllipse(QRectF(8.5, 8.5, 7, 7));
      p.drawLine(QPointF(15, 15), QPointF(18.5, 18.5));
      break;
    case ToolGlyph::Statistics:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kRed.lighter(130));
      p.drawRect(QRectF(2.5, 8.5, 4, 9));
      p.setBrush(kGreen.lighter(130));
      p.drawRect(QRectF(8.5, 3.5, 4, 14));
      p.setBrush(kBlue.lighter(140));
      p.drawRect(QRectF(14.5, 11.5, 4, 6));
      break;
    case ToolGlyph::RunContinue:
      p.setPen(QPen(kGreen.darker(140), 1));
      p.setBrush(kGreen);
      p.drawPolygon(QPolygonF({{4.5, 2.5}, {17.5, 10.0}, {4.5, 17.5}}));
      break;
    case ToolGlyph::RunAbort:
      p.setPen(QPen(kRed.darker(140), 1));
      p.setBrush(kRed);
      p.drawRect(QRectF(3.5, 3.5, 13, 13));
      break;
    case ToolGlyph::Journal:
      p.setPen(QPen(kInk, 1));
      p.setBrush(kRed.darker(110));
      p.drawRect(QRectF(3.5, 1.5, 13, 17));
      p.setBrush(kPaper);
      p.drawRect(QRectF(6.5, 4.5, 8, 4));
      p.setPen(QPen(kPaper, 1));
      p.drawLine(QPointF(5, 2), QPointF(5, 18));
      break;
  }
}

}  // namespace

QImage DrawToolGlyph(ToolGlyph g) {
  QImage img(kCell, kCell, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  Paint(p, g);
  return img;
}

QImage DrawProgramIcon(int size) {
  QImage img(size, size, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 20.0, size / 20.0);
  Grid(p, QRectF(1.5, 1.5, 17, 17), 4, 5, kBlue.lighter(140));
  p.setPen(QPen(kRed, 2.0, Qt::SolidLine, Qt::RoundCap));
  p.drawLine(QPointF(6, 9), QPointF(9, 12));
  p.drawLine(QPointF(9, 12), QPointF(16, 5));
  return img;
}

}  // namespace korvant
