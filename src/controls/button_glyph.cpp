#include "controls/button_glyph.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPalette>
#include <algorithm>

namespace korvant {

void TButtonGlyph::SetGlyph(const QImage& glyph) {
  glyph_ = glyph.isNull() ? QImage() : glyph.convertToFormat(
      glyph.hasAlphaChannel() ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  alpha_ = glyph_.hasAlphaChannel();
  transparent_ = glyph_.isNull() ? 0 : (glyph_.pixel(0, glyph_.height() - 1) & 0xFFFFFFu);
  glyphRect_ = QRect();
}

void TButtonGlyph::SetGlyphStrip(const QImage& glyph) {
  SetGlyph(glyph);
  if (!glyph.isNull() && glyph.height() > 0 && glyph.width() % glyph.height() == 0) {
    const int n = glyph.width() / glyph.height();
    SetNumGlyphs(n > 4 ? 1 : n);
  }
}

void TButtonGlyph::SetNumGlyphs(int n) { numGlyphs_ = std::clamp(n, 1, 4); }

QSize TButtonGlyph::CellSize() const {
  if (glyph_.isNull()) return {0, 0};
  return {glyph_.width() / numGlyphs_, glyph_.height()};
}

int TButtonGlyph::CellIndex(TButtonState state) const {
  const int s = static_cast<int>(state);
  return s < numGlyphs_ ? s : 0;
}

bool TButtonGlyph::PixelTransparent(int x, int y) const {
  if (x < 0 || y < 0 || x >= glyph_.width() || y >= glyph_.height()) return true;
  const QRgb px = glyph_.pixel(x, y);
  if (alpha_) return qAlpha(px) < 128;
  return (px & 0xFFFFFFu) == transparent_;
}

bool TButtonGlyph::IsTransparentAt(QPoint p, TButtonState state) const {
  if (glyph_.isNull() || !glyphRect_.isValid() || !glyphRect_.contains(p)) return true;
  const int cellW = CellSize().width();
  return PixelTransparent(p.x() - glyphRect_.x() + CellIndex(state) * cellW,
                          p.y() - glyphRect_.y());
}

QPixmap TButtonGlyph::CellPixmap(TButtonState state) const {
  if (glyph_.isNull()) return {};
  const QSize cs = CellSize();
  if (cs.isEmpty()) return {};
  const int cell = CellIndex(state);
  const bool makeGrey = state == TButtonState::bsDisabled && numGlyphs_ < 2;
  QImage out(cs, QImage::Format_ARGB32);
  for (int y = 0; y < cs.height(); ++y) {
    for (int x = 0; x < cs.width(); ++x) {
      const int sx = x + cell * cs.width();
      if (PixelTransparent(sx, y)) {
        out.setPixel(x, y, 0);
        continue;
      }
      QRgb px = glyph_.pixel(sx, y) | 0xFF000000u;
      if (makeGrey) {
        const int g = 128 + qGray(px) / 2;
        px = qRgb(g, g, g);
      }
      out.setPixel(x, y, px);
    }
  }
  return QPixmap::fromImage(out);
}

void TButtonGlyph::Draw(QPainter& p, const QRect& client, QPoint offset, const QString& caption,
                        TButtonLayout layout, int margin, int spacing, TButtonState state,
                        const QFont& font, const QPalette& pal, bool enabled) {
  const QSize glyphSize = CellSize();
  const QFontMetrics fm(font);
  QString shown = caption;
  shown.remove(QLatin1Char('&'));
  const QSize textSize = caption.isEmpty() ? QSize(0, 0)
                                           : QSize(fm.horizontalAdvance(shown), fm.height());
  const bool horizontal =
      layout == TButtonLayout::blGlyphLeft || layout == TButtonLayout::blGlyphRight;
  const int cw = client.width(), ch = client.height();
  QPoint glyphPos, textPos;
  if (horizontal) {
    glyphPos.setY((ch - glyphSize.height() + 1) / 2);
    textPos.setY((ch - textSize.height() + 1) / 2);
  } else {
    glyphPos.setX((cw - glyphSize.width() + 1) / 2);
    textPos.setX((cw - textSize.width() + 1) / 2);
  }
  if (textSize.width() == 0 || glyphSize.width() == 0) spacing = 0;
  const int clientLen = horizontal ? cw : ch;
  const int glyphLen = horizontal ? glyphSize.width() : glyphSize.height();
  const int textLen = horizontal ? textSize.width() : textSize.height();
  if (margin == -1) {
    if (spacing == -1) {
      spacing = (clientLen - glyphLen - textLen) / 3;
      margin = spacing;
    } else {
      margin = (clientLen - (glyphLen + spacing + textLen)) / 2;
    }
  } else if (spacing == -1) {
    spacing = (clientLen - margin - glyphLen - textLen) / 2;
  }
  switch (layout) {
    case TButtonLayout::blGlyphLeft:
      glyphPos.setX(margin);
      textPos.setX(glyphPos.x() + glyphSize.width() + spacing);
      break;
    case TButtonLayout::blGlyphRight:
      glyphPos.setX(cw - margin - glyphSize.width());
      textPos.setX(glyphPos.x() - spacing - textSize.width());
      break;
    case TButtonLayout::blGlyphTop:
      glyphPos.setY(margin);
      textPos.setY(glyphPos.y() + glyphSize.height() + spacing);
      break;
    case TButtonLayout::blGlyphBottom:
      glyphPos.setY(ch - margin - glyphSize.height());
      textPos.setY(glyphPos.y() - spacing - textSize.height());
      break;
  }
  const QPoint origin = client.topLeft() + offset;
  glyphPos += origin;
  textPos += origin;
  if (!glyph_.isNull()) {
    p.drawPixmap(glyphPos, CellPixmap(state));
    glyphRect_ = QRect(glyphPos, glyphSize);
  } else {
    glyphRect_ = QRect();
  }
  if (!caption.isEmpty()) {
    p.setFont(font);
    const QRect textRect(textPos, textSize);
    if (!enabled) {
      p.setPen(pal.color(QPalette::Light));
      p.drawText(textRect.translated(1, 1), Qt::AlignCenter | Qt::TextShowMnemonic, caption);
      p.setPen(pal.color(QPalette::Disabled, QPalette::ButtonText));
    } else {
      p.setPen(pal.color(QPalette::ButtonText));
    }
    p.drawText(textRect, Qt::AlignCenter | Qt::TextShowMnemonic, caption);
  }
}

}  // namespace korvant
