#include "controls/glyphs.h"

#include <QPainter>

namespace korvant {
namespace {

constexpr int kSpinW = 15;
constexpr int kSpinH = 8;

QImage Strip(int cellW, int cellH, int cells) {
  QImage img(cellW * cells, cellH, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(kGlyphKey));
  return img;
}

// A 5-wide arrow, 3 rows high, centred in the cell at x0.
void Arrow(QImage& img, int x0, int cellW, int cellH, bool up, QRgb colour) {
  const int cx = x0 + cellW / 2;
  const int top = (cellH - 3) / 2;
  for (int row = 0; row < 3; ++row) {
    const int half = up ? row : 2 - row;
    for (int dx = -half; dx <= half; ++dx) img.setPixel(cx + dx, top + row, colour);
  }
}

}  // namespace

QImage SpinGlyph(bool up) {
  QImage img = Strip(kSpinW, kSpinH, 3);
  const QRgb face = qRgb(212, 208, 200), light = qRgb(255, 255, 255), shadow = qRgb(128, 128, 128);
  for (int cell = 0; cell < 3; ++cell) {
    const int x0 = cell * kSpinW;
    const bool pressed = cell == 2;
    for (int y = 0; y < kSpinH; ++y) {
      for (int x = 0; x < kSpinW; ++x) {
        const bool corner = (x == 0 || x == kSpinW - 1) && (y == 0 || y == kSpinH - 1);
        if (corner) continue;
        QRgb c = face;
        if (y == 0 || x == 0) c = pressed ? shadow : light;
        if (y == kSpinH - 1 || x == kSpinW - 1) c = pressed ? light : shadow;
        img.setPixel(x0 + x, y, c);
      }
    }
    Arrow(img, x0, kSpinW, kSpinH, up, cell == 1 ? shadow : qRgb(0, 0, 0));
  }
  return img;
}

QImage PrgSpinGlyph(bool up) {
  QImage img = Strip(9, 5, 3);
  for (int cell = 0; cell < 3; ++cell)
    Arrow(img, cell * 9, 9, 5, up, cell == 1 ? qRgb(128, 128, 128) : qRgb(0, 0, 0));
  return img;
}

QImage EditButtonGlyph() {
  QImage img = Strip(9, 5, 3);
  for (int cell = 0; cell < 3; ++cell) {
    const QRgb c = cell == 1 ? qRgb(128, 128, 128) : qRgb(0, 0, 0);
    for (int dot = 0; dot < 3; ++dot) {
      const int x = cell * 9 + 1 + dot * 3;
      img.setPixel(x, 2, c);
      img.setPixel(x + 1, 2, c);
      img.setPixel(x, 3, c);
      img.setPixel(x + 1, 3, c);
    }
  }
  return img;
}

}  // namespace korvant
