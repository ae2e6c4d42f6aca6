#pragma once
// TPrgSpeedButton: the windowless-looking speed button of the tool bars and
// editors. A flat one is shaped by its glyph: presses on transparent glyph
// pixels are ignored. Buttons of one parent with the same GroupIndex form
// a group in which at most one is Down.
#include <QWidget>

#include "controls/button_glyph.h"
#include "controls/shaped_hint.h"

namespace korvant {

class TPrgSpeedButton : public QWidget,
                        public IShapedHintControl,
                        public TGlyphButtonLook<TPrgSpeedButton> {
  Q_OBJECT
 public:
  explicit TPrgSpeedButton(QWidget* parent = nullptr);
  ~TPrgSpeedButton() override;

  bool AllowAllUp() const { return allowAllUp_; }
  void SetAllowAllUp(bool v);
  int GroupIndex() const { return groupIndex_; }
  void SetGroupIndex(int v);
  bool Down() const { return down_; }
  void SetDown(bool v);
  QString Caption() const { return caption_; }
  void SetCaption(const QString& c);
  bool Flat() const { return flat_; }
  void SetFlat(bool v);

  TButtonState State() const { return state_; }
  bool MouseInControl() const { return mouseInControl_; }
  const TButtonGlyph& GlyphPainter() const { return glyph_; }

  // Fires the click (OnClick).
  void Click();

  bool AcceptShapedHint(IShapedHintWindow* window) override;
  bool ShapedHintPoints(std::array<QPoint, 4>& points) override;
  IShapedHintWindow* HintWindow() const { return hint_.Window(); }

  // Paints the button onto a painter of the caller's (the paint message
  // with its own device context).
  void PaintTo(QPainter& p);

 signals:
  void Clicked();
  void DblClicked();
  void MouseDown(QMouseEvent* e);
  void MouseMove(QMouseEvent* e);
  void MouseUp(QMouseEvent* e);

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mousePressEvent(QMouseEvent* e) override;
  void mouseDoubleClickEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void enterEvent(QEnterEvent* e) override;
  void leaveEvent(QEvent* e) override;
  void changeEvent(QEvent* e) override;

  bool Dragging() const { return dragging_; }
  bool IsInside(QPoint p) const;
  bool IsSolidAt(QPoint p) const;

 private:
  void UpdateExclusive();
  void ButtonPressed(TPrgSpeedButton* sender);
  void UpdateTracking();

  int groupIndex_ = 0;
  bool down_ = false;
  bool allowAllUp_ = false;
  bool flat_ = false;
  QString caption_;
  TButtonState state_ = TButtonState::bsUp;
  bool dragging_ = false;
  bool mouseInControl_ = false;
  ShapedHintLink hint_;
};

}  // namespace korvant
