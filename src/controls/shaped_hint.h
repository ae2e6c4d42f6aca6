#pragma once
// The shaped hint: the hint of a flat speed button or a bitmap button is
// drawn as a callout picture placed at one of four anchor points that the
// button gives. Hint window and buttons talk through the two interfaces
// below; any other control gets the plain hint (QToolTip).
#include <QImage>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <QSize>
#include <QString>
#include <QWidget>
#include <array>
#include <functional>

class QFont;

namespace korvant {

class IShapedHintWindow {
 public:
  virtual ~IShapedHintWindow() = default;
  // fromControl: a linked control reports a mouse move, onSolidPart tells
  // whether the cursor is on its solid part. Otherwise the application
  // speaks: onSolidPart false cancels the hint, true says its display
  // time ran out (a shaped hint then stays). Returns true when handled.
  virtual bool HintCursorMoved(bool onSolidPart, bool fromControl) = 0;
};

class IShapedHintControl {
 public:
  virtual ~IShapedHintControl() = default;
  // The hint window asks whether the control takes part; a control that
  // accepts remembers the window. A null window clears the link.
  virtual bool AcceptShapedHint(IShapedHintWindow* window) = 0;
  // Fills the four anchor points in screen coordinates: top-left,
  // top-right, bottom-left, bottom-right. True when the cursor is on the
  // control's solid part.
  virtual bool ShapedHintPoints(std::array<QPoint, 4>& points) = 0;
};

// A button's side of the shaped hint: the hint window that accepted it.
class ShapedHintLink {
 public:
  IShapedHintWindow* Window() const { return window_; }
  void Set(IShapedHintWindow* window) { window_ = window; }
  // A mouse move over the control, on its solid part or not.
  void CursorMoved(bool onSolidPart) const {
    if (window_) window_->HintCursorMoved(onSolidPart, true);
  }
  // The cursor left the control: the window hears it and the link goes.
  void Drop();
  // The control goes away: a hint still shown for it is cancelled.
  void Release(const QWidget* control);

 private:
  IShapedHintWindow* window_ = nullptr;
};

// The tool-tip event of a control taking part in shaped hints: its hint
// goes through the shaped hint window, an empty one hides any tool tip.
// False for any other event.
bool ShowShapedHintFor(QWidget* control, QEvent* e);

// Callout shapes 1..12: size 1..3 plus 0 down-right, 3 down-left, 6 up-right,
// 9 up-left.
struct CalloutShape {
  int width;
  int height;
  QRect textRect;
  const char* name;
};
inline constexpr int kCalloutDownLeft = 3;
inline constexpr int kCalloutUp = 6;
const CalloutShape& CalloutShapeAt(int index);

// The smallest size (1..3) whose text rectangle holds text, word-wrapped
// and centred; 0 when none does (the plain hint is used).
int ChooseCalloutSize(const QString& text, const QFont& font);

struct CalloutPlacement {
  int index = 0;   // 1..12
  QPoint topLeft;  // screen coordinates of the callout
  QRect hintRect;  // (x, y, x + W + 2, y + H + 2) as a rectangle
};
// Places a callout of size 1..3 at the anchor points on a screen of the
// given size: down-right first, down-left near the right edge, above near
// the bottom.
CalloutPlacement PlaceCallout(const std::array<QPoint, 4>& points, int size, QSize screen);

// The callout picture of shape index: two images side by side, the mask
// (black where the callout is) and the picture. Null when unavailable.
QImage CalloutPicture(int index);
using CalloutPictureSource = std::function<QImage(int index)>;
// Replaces where pictures come from (tests); null restores the built-in ones.
CalloutPictureSource InstallCalloutPictureSource(CalloutPictureSource src);

class ShapedHintWindow : public QWidget, public IShapedHintWindow {
  Q_OBJECT
 public:
  static ShapedHintWindow* Instance();

  // Shows the hint of control for the cursor at cursorGlobal: shaped when
  // the control takes part, its text fits a callout and the picture
  // exists, else as a plain hint.
  void ActivateHint(QWidget* control, const QString& text, QPoint cursorGlobal);
  void CancelHint() { HintCursorMoved(false, false); }
  void HintTimeout() { HintCursorMoved(true, false); }
  bool HintCursorMoved(bool onSolidPart, bool fromControl) override;

  bool Shaped() const { return shaped_; }
  bool VisibleAllowed() const { return visibleAllowed_; }
  bool CursorOnSolidPart() const { return cursorOnSolid_; }
  int ShapeIndex() const { return index_; }
  QRect HintRect() const { return hintRect_; }
  QString Text() const { return text_; }
  QWidget* Control() const { return control_.data(); }

 protected:
  void paintEvent(QPaintEvent* e) override;

 private:
  ShapedHintWindow();
  void UpdateVisibility();
  void ShowPlain(QWidget* control, const QString& text, QPoint cursorGlobal);

  bool shaped_ = false;
  bool visibleAllowed_ = false;
  bool cursorOnSolid_ = false;
  int index_ = 0;
  QRect hintRect_;
  QString text_;
  QImage picture_;
  QPointer<QWidget> control_;
  std::array<QPoint, 4> points_{};
};

}  // namespace korvant
