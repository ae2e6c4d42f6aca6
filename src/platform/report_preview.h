#pragma once
// TReportPreview: the preview control. It shows one page of a paginated
// report at a zoom (whole width, whole page or a percentage), scrolled
// inside itself, drawn by the same RenderPage that prints.
#include <QScrollArea>

#include <vector>

#include "platform/report_engine.h"

namespace korvant {

class TReportPreview : public QScrollArea {
  Q_OBJECT
 public:
  enum class ZoomMode { Percent, PageWidth, WholePage };

  explicit TReportPreview(QWidget* parent = nullptr);

  void SetPages(std::vector<TReportPage> pages, const TReportSetup& setup);
  const std::vector<TReportPage>& Pages() const { return pages_; }
  const TReportSetup& Setup() const { return setup_; }
  int PageCount() const { return static_cast<int>(pages_.size()); }

  // 1-based; clamped to the pages there are.
  int PageNumber() const { return page_; }
  void SetPageNumber(int n);

  ZoomMode Mode() const { return mode_; }
  int Zoom() const { return zoom_; }  // percent, for ZoomMode::Percent
  void SetZoom(int percent);
  void ZoomToWidth();
  void ZoomToFit();
  // Screen pixels per point at the current zoom and size.
  double Scale() const;

 signals:
  void MouseMoved();
  void PageChanged(int page);

 protected:
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  void Relayout();

  std::vector<TReportPage> pages_;
  TReportSetup setup_;
  int page_ = 1;
  int zoom_ = 100;
  ZoomMode mode_ = ZoomMode::Percent;
  QWidget* sheet_;
};

}  // namespace korvant
