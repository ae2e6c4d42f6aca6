#include "controls/bit_btn.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>
#include <array>

#include "controls/prg_dialog.h"
#include "platform/help_service.h"

namespace korvant {
namespace {

struct KindInfo {
  const char* caption;
  int modalResult;
  QStyle::StandardPixmap icon;
  bool isDefault;
  bool isCancel;
};

const std::array<KindInfo, 11> kKinds = {{
    {"", 0, QStyle::SP_CustomBase, false, false},
    {"OK", mrOk, QStyle::SP_DialogOkButton, true, false},
    {"Cancel", mrCancel, QStyle::SP_DialogCancelButton, false, true},
    {"&Help", 0, QStyle::SP_DialogHelpButton, false, false},
    {"&Yes", mrYes, QStyle::SP_DialogYesButton, true, false},
    {"&No", mrNo, QStyle::SP_DialogNoButton, false, true},
    {"&Close", 0, QStyle::SP_DialogCloseButton, false, false},
    {"Abort", mrAbort, QStyle::SP_DialogAbortButton, false, false},
    {"&Retry", mrRetry, QStyle::SP_DialogRetryButton, false, false},
    {"&Ignore", mrIgnore, QStyle::SP_DialogIgnoreButton, false, false},
    {"&All", mrAll, QStyle::SP_DialogYesToAllButton, false, false},
}};

const KindInfo& Info(TBitBtnKind k) { return kKinds[static_cast<std::size_t>(k)]; }

// A kind without a style icon still gets a glyph: a coloured disc.
QImage FallbackGlyph(TBitBtnKind k) {
  QImage img(16, 16, QImage::Format_ARGB32);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QColor c = Info(k).isCancel ? QColor(200, 40, 40) : QColor(40, 140, 40);
  p.setBrush(c);
  p.setPen(c.darker());
  p.drawEllipse(QRectF(2.5, 2.5, 11, 11));
  return img;
}

}  // namespace

const QImage& GetBitBtnGlyph(TBitBtnKind kind) {
  static std::array<QImage, 11> cache;
  QImage& g = cache[static_cast<std::size_t>(kind)];
  if (g.isNull() && kind != TBitBtnKind::bkCustom) {
    QImage up;
    const QIcon icon = QApplication::style()->standardIcon(Info(kind).icon);
    if (!icon.isNull()) up = icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
    if (up.isNull() || up.size() != QSize(16, 16)) up = FallbackGlyph(kind);
    g = QImage(32, 16, QImage::Format_ARGB32);
    g.fill(Qt::transparent);
    QPainter p(&g);
    p.drawImage(0, 0, up);
    const QIcon disabled = icon.isNull() ? QIcon() : icon;
    QImage dis = disabled.isNull() ? up : disabled.pixmap(16, 16, QIcon::Disabled).toImage();
    if (dis.size() != QSize(16, 16)) dis = up;
    p.drawImage(16, 0, dis);
  }
  return g;
}

TPrgBitBtn::TPrgBitBtn(QWidget* parent) : QPushButton(parent) {
  setAutoDefault(false);
  setMouseTracking(true);
  resize(75, 25);
  connect(this, &QPushButton::clicked, this, &TPrgBitBtn::OnClicked);
}

TPrgBitBtn::TPrgBitBtn(TBitBtnKind kind, const QString& caption, QWidget* parent)
    : TPrgBitBtn(parent) {
  setText(caption);
  ApplyKind(kind, true);
}

TPrgBitBtn::~TPrgBitBtn() { hint_.Release(this); }

void TPrgBitBtn::SetKind(TBitBtnKind kind) { ApplyKind(kind, false); }

void TPrgBitBtn::ApplyKind(TBitBtnKind kind, bool loading) {
  kind_ = kind;
  if (kind == TBitBtnKind::bkCustom) return;
  const KindInfo& k = Info(kind);
  SetDefault(k.isDefault);
  cancel_ = k.isCancel;
  if (!loading || text().isEmpty()) setText(QString::fromLatin1(k.caption));
  kindCaption_ = text();
  modalResult_ = k.modalResult;
  glyph_.SetGlyph(GetBitBtnGlyph(kind));
  glyph_.SetNumGlyphs(2);
  modifiedGlyph_ = false;
  update();
}

TBitBtnKind TPrgBitBtn::Kind() const {
  if (kind_ == TBitBtnKind::bkCustom) return kind_;
  const KindInfo& k = Info(kind_);
  if (default_ != k.isDefault || cancel_ != k.isCancel || modalResult_ != k.modalResult ||
      modifiedGlyph_ || text() != kindCaption_) {
    return TBitBtnKind::bkCustom;
  }
  return kind_;
}

void TPrgBitBtn::SetDefault(bool v) {
  default_ = v;
  setDefault(v);
}

void TPrgBitBtn::SetGlyph(const QImage& g) {
  TGlyphButtonLook::SetGlyph(g);
  modifiedGlyph_ = true;
}

void TPrgBitBtn::OnClicked() {
  if (kind_ == TBitBtnKind::bkClose) {
    if (QWidget* form = window(); form && form != this) {
      form->close();
      return;
    }
  } else if (kind_ == TBitBtnKind::bkHelp) {
    if (int ctx = FindHelpContext(this)) {
      ShowHelpContext(ctx);
      return;
    }
  }
  if (modalResult_ != 0) {
    if (auto* dlg = qobject_cast<TPrgDialog*>(window())) dlg->SetModalResult(modalResult_);
  }
  emit Clicked();
}

QSize TPrgBitBtn::sizeHint() const { return {75, 25}; }

void TPrgBitBtn::paintEvent(QPaintEvent*) {
  QPainter p(this);
  QStyleOptionButton opt;
  initStyleOption(&opt);
  opt.text.clear();
  opt.icon = QIcon();
  style()->drawControl(QStyle::CE_PushButtonBevel, &opt, &p, this);
  const bool pushed = isDown();
  const TButtonState st = !isEnabled() ? TButtonState::bsDisabled
                                       : (pushed ? TButtonState::bsDown : TButtonState::bsUp);
  DrawGlyphAndCaption(p, rect().adjusted(3, 3, -3, -3), pushed, text(), st);
  if (hasFocus()) {
    QStyleOptionFocusRect fr;
    fr.initFrom(this);
    fr.rect = rect().adjusted(4, 4, -4, -4);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &fr, &p, this);
  }
}

bool TPrgBitBtn::event(QEvent* e) {
  if (ShowShapedHintFor(this, e)) return true;
  return QPushButton::event(e);
}

void TPrgBitBtn::mouseMoveEvent(QMouseEvent* e) {
  QPushButton::mouseMoveEvent(e);
  hint_.CursorMoved(true);
}

void TPrgBitBtn::leaveEvent(QEvent* e) {
  QPushButton::leaveEvent(e);
  hint_.Drop();
}

bool TPrgBitBtn::AcceptShapedHint(IShapedHintWindow* window) {
  hint_.Set(window);
  return window != nullptr;
}

bool TPrgBitBtn::ShapedHintPoints(std::array<QPoint, 4>& pts) {
  const QPoint tl = mapToGlobal(QPoint(0, 0));
  const int l = tl.x(), t = tl.y(), w = width(), h = height();
  pts = {QPoint(l + 6, t + 6), QPoint(l + w - 6, t + 6), QPoint(l + 6, t + h - 6),
         QPoint(l + w - 6, t + h - 6)};
  return true;
}

}  // namespace korvant
