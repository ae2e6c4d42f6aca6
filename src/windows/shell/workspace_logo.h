#pragma once
// The main window's workspace: an MDI area that shows the program's logo
// centred on its empty background.
#include <QBrush>
#include <QMdiArea>
#include <QImage>
#include <QRect>
#include <QSize>

#include <array>
#include <cstdint>

class QPainter;

namespace korvant {

// Bitmap resource of the logo and its size.
constexpr uint16_t kWorkspaceLogoResId = 1000;
constexpr int kWorkspaceLogoWidth = 240;
constexpr int kWorkspaceLogoHeight = 180;

// Extended style bit of the workspace: a sunken client edge.
constexpr uint32_t kClientEdgeStyle = 0x200;

// Where the logo and the background go in a client area.
struct WorkspaceLogoLayout {
  bool hasPicture = false;
  // Target of the picture, copied from the bitmap's top left corner. When
  // the client is narrower (lower) than the bitmap it starts at 0 and is one
  // pixel wider (higher) than the client; the painter clips that pixel.
  QRect picture;
  // Filled with the background: above, left of, right of and below the
  // picture (null rectangles are not filled). Without a picture the first
  // is the whole client.
  std::array<QRect, 4> bands;
};

// client: the workspace's client size (negative counts as 0); logo: the
// bitmap's size, an empty size meaning no bitmap.
WorkspaceLogoLayout layoutWorkspaceLogo(QSize client, QSize logo);

// Paints the background and the logo (null image: background only) on a
// client area of the given size; the logo lies on the background.
void paintWorkspaceLogo(QPainter& p, QSize client, const QImage& logo, const QBrush& background);

// The bitmap with this resource id, or a null image for an unknown id or 0.
QImage workspaceLogoBitmap(uint16_t resId);

// The logo shows whole or not at all: while a window covers part of it,
// the workspace shows its background there, so that no strip of the logo
// beside a window passes for part of the window.
class WorkspaceArea : public QMdiArea {
 public:
  explicit WorkspaceArea(QWidget* parent = nullptr);

  // Whether a shown window lies over some of the logo's place.
  bool logoCovered() const;

  // 0 shows no logo. Setting it repaints the whole workspace.
  void setClientLogoResID(uint16_t id);
  uint16_t clientLogoResID() const { return logoResId_; }

  // Only the client edge bit means something here: it gives the workspace
  // a sunken frame.
  void setClientExtStyle(uint32_t style);
  uint32_t clientExtStyle() const { return extStyle_; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void scrollContentsBy(int dx, int dy) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QRect logoPlace() const;

  uint16_t logoResId_ = 0;
  uint32_t extStyle_ = 0;
};

}  // namespace korvant
