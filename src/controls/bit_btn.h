#pragma once
// TPrgBitBtn: the push button with a glyph. Its Kind gives caption, glyph,
// modal result and the Default/Cancel roles; a click hands the modal
// result to the enclosing TPrgDialog. Connect to Clicked() (not to
// QPushButton::clicked): a help or close kind that did its own work does
// not fire it.
#include <QPushButton>

#include "controls/button_glyph.h"
#include "controls/shaped_hint.h"

namespace korvant {

enum class TBitBtnKind { bkCustom, bkOK, bkCancel, bkHelp, bkYes, bkNo, bkClose, bkAbort,
                         bkRetry, bkIgnore, bkAll };

// The glyph strip of a kind (two cells: up and disabled), made once.
const QImage& GetBitBtnGlyph(TBitBtnKind kind);

class TPrgBitBtn : public QPushButton,
                   public IShapedHintControl,
                   public TGlyphButtonLook<TPrgBitBtn> {
  Q_OBJECT
 public:
  explicit TPrgBitBtn(QWidget* parent = nullptr);
  // As a form builds it: the caption first, then the kind, which fills the
  // caption only when it is empty.
  TPrgBitBtn(TBitBtnKind kind, const QString& caption, QWidget* parent = nullptr);
  ~TPrgBitBtn() override;

  // Reads bkCustom once the caption, Default, Cancel, the modal result or
  // the glyph were changed after the kind was set.
  TBitBtnKind Kind() const;
  void SetKind(TBitBtnKind kind);

  QString Caption() const { return text(); }
  void SetCaption(const QString& c) { setText(c); }
  bool Default() const { return default_; }
  void SetDefault(bool v);
  bool Cancel() const { return cancel_; }
  void SetCancel(bool v) { cancel_ = v; }
  int ModalResult() const { return modalResult_; }
  void SetModalResult(int r) { modalResult_ = r; }

  // Marks the glyph as changed: the kind reads bkCustom from now on.
  void SetGlyph(const QImage& g);

  bool AcceptShapedHint(IShapedHintWindow* window) override;
  bool ShapedHintPoints(std::array<QPoint, 4>& points) override;
  IShapedHintWindow* HintWindow() const { return hint_.Window(); }

  QSize sizeHint() const override;

 signals:
  void Clicked();

 protected:
  bool event(QEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void leaveEvent(QEvent* e) override;

 private:
  void ApplyKind(TBitBtnKind kind, bool loading);
  void OnClicked();

  TBitBtnKind kind_ = TBitBtnKind::bkCustom;
  QString kindCaption_;
  bool modifiedGlyph_ = false;
  bool default_ = false;
  bool cancel_ = false;
  int modalResult_ = 0;
  ShapedHintLink hint_;
};

}  // namespace korvant
