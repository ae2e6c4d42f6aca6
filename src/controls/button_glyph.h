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
  // As SetGlyph; a strip of square cells also says how many it holds
  // (more than four count as one).
  void SetGlyphStrip(const QImage& glyph);
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

// The glyph and its layout as both of the program's buttons publish them,
// and their painting. Owner is the button widget: a change repaints it.
template <class Owner>
class TGlyphButtonLook {
 public:
  const QImage& Glyph() const { return glyph_.Glyph(); }
  void SetGlyph(const QImage& g) {
    glyph_.SetGlyphStrip(g);
    Repaint();
  }
  int NumGlyphs() const { return glyph_.NumGlyphs(); }
  void SetNumGlyphs(int n) {
    glyph_.SetNumGlyphs(n);
    Repaint();
  }
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout l) {
    layout_ = l;
    Repaint();
  }
  int Margin() const { return margin_; }  // -1: centred
  void SetMargin(int m) {
    margin_ = m < -1 ? -1 : m;
    Repaint();
  }
  int Spacing() const { return spacing_; }
  void SetSpacing(int s) {
    spacing_ = s;
    Repaint();
  }

 protected:
  // Glyph and caption laid out in client, one pixel down and right when
  // pushed; the glyph rectangle is recorded.
  void DrawGlyphAndCaption(QPainter& p, const QRect& client, bool pushed, const QString& caption,
                           TButtonState state) {
    const Owner& o = static_cast<const Owner&>(*this);
    glyph_.Draw(p, client, pushed ? QPoint(1, 1) : QPoint(0, 0), caption, layout_, margin_,
                spacing_, state, o.font(), o.palette(), o.isEnabled());
  }

  TButtonGlyph glyph_;
  TButtonLayout layout_ = TButtonLayout::blGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;

 private:
  void Repaint() { static_cast<Owner&>(*this).update(); }
};

}  // namespace korvant
