#pragma once
// The glyph painter of the program's buttons: a strip of up to four
// same-size cells (up, disabled, down, exclusive) drawn with a transparent
// key colour, and the caption laid out beside it.
#include <QImage>
#include <QPixmap>
#include <QPoint>
#include <QRect>
#include <QString>

class QPainter;
class QFont;
class QPalette;

namespace korvant {

enum class TButtonState { bsUp = 0, bsDisabled = 1, bsDown = 2, bsExclusive = 3 };
enum class TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TButtonGlyph {
 public:
  // An image without alpha takes its bottom-left pixel as the transparent
  // colour (compared on the low 24 bits); an image with alpha is
  // transparent where alpha is below one half.
  void SetGlyph(const QImage& glyph);
  const QImage& Glyph() const { return glyph_; }
  bool IsEmpty() const { return glyph_.isNull(); }

  void SetNumGlyphs(int n);  // 1..4
  int NumGlyphs() const { return numGlyphs_; }

  QRgb TransparentColor() const { return transparent_; }
  QSize CellSize() const;

  // Glyph rectangle of the last paint, in the button's client coordinates.
  QRect GlyphRect() const { return glyphRect_; }
  void SetGlyphRect(const QRect& r) { glyphRect_ = r; }

  // True when p (client coordinates) falls outside the last painted glyph
  // or on one of its transparent pixels.
  bool IsTransparentAt(QPoint p, TButtonState state) const;

  // The cell drawn for a state, with transparent pixels cleared; a missing
  // disabled cell is made from cell 0 in grey.
  QPixmap CellPixmap(TButtonState state) const;

  // Lays out glyph and caption in client (moved by offset when pressed),
  // draws them and records the glyph rectangle.
  void Draw(QPainter& p, const QRect& client, QPoint offset, const QString& caption,
            TButtonLayout layout, int margin, int spacing, TButtonState state,
            const QFont& font, const QPalette& pal, bool enabled);

 private:
  int CellIndex(TButtonState state) const;
  bool PixelTransparent(int x, int y) const;

  QImage glyph_;
  int numGlyphs_ = 1;
  QRgb transparent_ = 0;
  bool alpha_ = false;
  QRect glyphRect_;
};

}  // namespace korvant
