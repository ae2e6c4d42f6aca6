#include "controls/speed_button.h"

#include <QMouseEvent>
#include <QPainter>
#include <qdrawutil.h>
#include <QStyle>
#include <QStyleOption>

namespace korvant {

TPrgSpeedButton::TPrgSpeedButton(QWidget* parent) : QWidget(parent) {
  resize(25, 25);
  setMouseTracking(true);  // moves report to the hint window
  setFocusPolicy(Qt::NoFocus);
}

TPrgSpeedButton::~TPrgSpeedButton() { hint_.Release(this); }

void TPrgSpeedButton::SetAllowAllUp(bool v) {
  if (allowAllUp_ == v) return;
  allowAllUp_ = v;
  UpdateExclusive();
}

void TPrgSpeedButton::SetGroupIndex(int v) {
  if (groupIndex_ == v) return;
  groupIndex_ = v;
  UpdateExclusive();
}

void TPrgSpeedButton::SetDown(bool v) {
  if (groupIndex_ == 0) v = false;
  if (v == down_) return;
  if (down_ && !allowAllUp_) return;
  down_ = v;
  if (v) {
    state_ = TButtonState::bsExclusive;
    update();
    UpdateExclusive();
  } else {
    state_ = TButtonState::bsUp;
    update();
  }
}

// Tells the other buttons of the group (same parent, same GroupIndex)
// that this one went down or changed AllowAllUp.
void TPrgSpeedButton::UpdateExclusive() {
  if (groupIndex_ == 0 || !parentWidget()) return;
  for (QObject* o : parentWidget()->children()) {
    auto* b = qobject_cast<TPrgSpeedButton*>(o);
    if (b && b != this) b->ButtonPressed(this);
  }
}

void TPrgSpeedButton::ButtonPressed(TPrgSpeedButton* sender) {
  if (sender->groupIndex_ != groupIndex_) return;
  if (sender->down_ && down_) {
    down_ = false;
    state_ = TButtonState::bsUp;
    update();
  }
  allowAllUp_ = sender->allowAllUp_;
}

void TPrgSpeedButton::SetCaption(const QString& c) {
  if (caption_ == c) return;
  caption_ = c;
  update();
}

void TPrgSpeedButton::SetFlat(bool v) {
  if (flat_ == v) return;
  flat_ = v;
  update();
}

void TPrgSpeedButton::Click() { emit Clicked(); }

bool TPrgSpeedButton::IsInside(QPoint p) const {
  if (flat_ && !glyph_.IsEmpty()) return !glyph_.IsTransparentAt(p, state_);
  return p.x() >= 0 && p.x() < width() && p.y() >= 0 && p.y() <= height();
}

// Only a glyph's own key-colour pixels are transparent: a flat button that
// shows no glyph (a caption alone) is solid over its whole face.
bool TPrgSpeedButton::IsSolidAt(QPoint p) const {
  if (flat_ && !glyph_.IsEmpty()) return !glyph_.IsTransparentAt(p, state_);
  return rect().contains(p);
}

void TPrgSpeedButton::mousePressEvent(QMouseEvent* e) {
  emit MouseDown(e);
  if (hint_.Window()) ShapedHintWindow::Instance()->CancelHint();
  const QPoint pos = e->position().toPoint();
  if (flat_ && !IsSolidAt(pos)) return;
  if (e->button() == Qt::LeftButton && isEnabled()) {
    if (!down_) {
      state_ = TButtonState::bsDown;
      update();
    }
    dragging_ = true;
  }
}

void TPrgSpeedButton::mouseDoubleClickEvent(QMouseEvent* e) {
  emit DblClicked();
  mousePressEvent(e);
}

void TPrgSpeedButton::mouseMoveEvent(QMouseEvent* e) {
  emit MouseMove(e);
  const bool inside = IsInside(e->position().toPoint());
  if (dragging_) {
    TButtonState ns = down_ ? TButtonState::bsExclusive
                            : (inside ? TButtonState::bsDown : TButtonState::bsUp);
    if (ns != state_) {
      state_ = ns;
      update();
    }
  }
  hint_.CursorMoved(inside);
}

void TPrgSpeedButton::mouseReleaseEvent(QMouseEvent* e) {
  emit MouseUp(e);
  if (!dragging_) return;
  dragging_ = false;
  const bool doClick = IsInside(e->position().toPoint());
  if (groupIndex_ == 0) {
    state_ = TButtonState::bsUp;
    mouseInControl_ = false;
    update();
  } else if (doClick) {
    SetDown(!down_);
    if (down_) state_ = TButtonState::bsExclusive;
    update();
  } else {
    if (down_) state_ = TButtonState::bsExclusive;
    update();
  }
  if (doClick) Click();
  UpdateTracking();
}

void TPrgSpeedButton::UpdateTracking() {
  if (flat_ && isEnabled()) mouseInControl_ = underMouse();
}

void TPrgSpeedButton::enterEvent(QEnterEvent* e) {
  QWidget::enterEvent(e);
  if (flat_ && isEnabled()) mouseInControl_ = true;
}

void TPrgSpeedButton::leaveEvent(QEvent* e) {
  QWidget::leaveEvent(e);
  if (flat_ && isEnabled() && !dragging_) mouseInControl_ = false;
  hint_.Drop();
}

void TPrgSpeedButton::changeEvent(QEvent* e) {
  QWidget::changeEvent(e);
  if (e->type() == QEvent::EnabledChange) update();
}

bool TPrgSpeedButton::event(QEvent* e) {
  if (ShowShapedHintFor(this, e)) return true;
  return QWidget::event(e);
}

bool TPrgSpeedButton::AcceptShapedHint(IShapedHintWindow* window) {
  hint_.Set(flat_ ? window : nullptr);
  return hint_.Window() != nullptr;
}

bool TPrgSpeedButton::ShapedHintPoints(std::array<QPoint, 4>& pts) {
  const QPoint tl = mapToGlobal(QPoint(0, 0));
  const int l = tl.x(), t = tl.y(), w = width(), h = height();
  const int cx = l + w / 2;
  pts = {QPoint(cx - 6, t + 6), QPoint(cx + 6, t + 6), QPoint(cx - 6, t + h - 6),
         QPoint(cx + 6, t + h - 6)};
  return IsSolidAt(mapFromGlobal(QCursor::pos()));
}

void TPrgSpeedButton::PaintTo(QPainter& p) {
  if (!isEnabled()) {
    state_ = TButtonState::bsDisabled;
    dragging_ = false;
  } else if (state_ == TButtonState::bsDisabled) {
    state_ = (down_ && groupIndex_ != 0) ? TButtonState::bsExclusive : TButtonState::bsUp;
  }
  const bool pushed = state_ == TButtonState::bsDown || state_ == TButtonState::bsExclusive;
  if (!flat_) {
    QStyleOptionButton opt;
    opt.initFrom(this);
    opt.state |= pushed ? QStyle::State_Sunken : QStyle::State_Raised;
    if (state_ == TButtonState::bsExclusive) opt.state |= QStyle::State_On;
    style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
  } else if (pushed) {
    // A flat button has no bevel of its own, so its pressed and latched
    // states would look like the released one: sink it, and dot the face
    // of a latched one.
    if (state_ == TButtonState::bsExclusive)
      p.fillRect(rect().adjusted(1, 1, -1, -1), QBrush(palette().color(QPalette::Light), Qt::Dense4Pattern));
    qDrawShadePanel(&p, rect(), palette(), true, 1);
  }
  DrawGlyphAndCaption(p, rect(), pushed, caption_, state_);
}

void TPrgSpeedButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintTo(p);
}

}  // namespace korvant
