#include "platform/report_preview.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace korvant {

namespace {

// The page sheet inside the scroll area; its owner paints it.
class TPreviewSheet : public QWidget {
 public:
  explicit TPreviewSheet(TReportPreview* owner) : QWidget(nullptr), owner_(owner) { setMouseTracking(true); }

 protected:
  void paintEvent(QPaintEvent*) override {
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    if (owner_->PageCount() == 0) return;
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    const double k = owner_->Scale();
    p.scale(k, k);
    RenderPage(p, owner_->Pages()[static_cast<std::size_t>(owner_->PageNumber() - 1)], owner_->Setup());
  }

 private:
  TReportPreview* owner_;
};

}  // namespace

TReportPreview::TReportPreview(QWidget* parent) : QScrollArea(parent), sheet_(new TPreviewSheet(this)) {
  setBackgroundRole(QPalette::Dark);
  setAlignment(Qt::AlignHCenter | Qt::AlignTop);
  setWidget(sheet_);
  setWidgetResizable(false);
  sheet_->installEventFilter(this);
  viewport()->installEventFilter(this);
  viewport()->setMouseTracking(true);
}

void TReportPreview::SetPages(std::vector<TReportPage> pages, const TReportSetup& setup) {
  pages_ = std::move(pages);
  setup_ = setup;
  page_ = 1;
  Relayout();
}

void TReportPreview::SetPageNumber(int n) {
  n = std::clamp(n, 1, std::max(1, PageCount()));
  if (n == page_) return;
  page_ = n;
  sheet_->update();
  verticalScrollBar()->setValue(0);
  emit PageChanged(page_);
}

void TReportPreview::SetZoom(int percent) {
  mode_ = ZoomMode::Percent;
  zoom_ = std::clamp(percent, 10, 400);
  Relayout();
}

void TReportPreview::ZoomToWidth() {
  mode_ = ZoomMode::PageWidth;
  Relayout();
}

void TReportPreview::ZoomToFit() {
  mode_ = ZoomMode::WholePage;
  Relayout();
}

double TReportPreview::Scale() const {
  const double w = setup_.PaperWidth(), h = setup_.PaperHeight();
  const int frame = 2 * frameWidth() + 8;
  // The scroll bar's room is kept free so that fitting does not make one appear.
  const double availW = std::max(20, width() - frame - verticalScrollBar()->sizeHint().width());
  const double availH = std::max(20, height() - frame);
  switch (mode_) {
    case ZoomMode::PageWidth: return availW / w;
    case ZoomMode::WholePage: return std::min(availW / w, availH / h);
    case ZoomMode::Percent: break;
  }
  return zoom_ / 100.0 * logicalDpiX() / 72.0;
}

void TReportPreview::Relayout() {
  const double k = Scale();
  sheet_->resize(static_cast<int>(setup_.PaperWidth() * k), static_cast<int>(setup_.PaperHeight() * k));
  sheet_->update();
}

void TReportPreview::resizeEvent(QResizeEvent* e) {
  QScrollArea::resizeEvent(e);
  if (mode_ != ZoomMode::Percent) Relayout();
}

bool TReportPreview::eventFilter(QObject* o, QEvent* e) {
  if (e->type() == QEvent::MouseMove) emit MouseMoved();
  return QScrollArea::eventFilter(o, e);
}

}  // namespace korvant
