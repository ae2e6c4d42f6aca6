#include "windows/planning/progress_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

#include <algorithm>
#include <cmath>

#include "controls/form_util.h"
#include "core/common/shared_state.h"
#include "platform/help_service.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {

constexpr int kProgressHelp = 24;
constexpr int kInfoHelp = 172;
constexpr int kMsgOf = 10073;
constexpr int kMsgKlassHeader = 10266;
constexpr int kMsgVariantHeader = 10267;

// Design size of the information window and its grid's margins.
constexpr int kInfoClientW = 350;
constexpr int kInfoClientH = 85;
constexpr QRect kInfoGridRect{8, 8, 334, 70};
// The window grows to show this many klasses before its grid scrolls.
constexpr int kInfoMostRows = 12;

}  // namespace

QImage ProgressFrameImage(int frame) {
  const int f = ((frame - 1) % TProgressWnd::kFrames + TProgressWnd::kFrames) % TProgressWnd::kFrames;
  QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
  img.fill(Qt::transparent);
  QPainter p(&img);
  p.setRenderHint(QPainter::Antialiasing);
  const QRectF face(2, 2, 28, 28);
  p.setPen(QPen(QColor(0, 0, 128), 2));
  p.setBrush(QColor(255, 255, 192));
  p.drawEllipse(face);
  // The done part grows by a fifth each frame, so the frames differ
  // everywhere around the dial, not only at the hand.
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(0, 160, 0));
  p.drawPie(face.adjusted(3, 3, -3, -3), 90 * 16, -(f + 1) * 72 * 16);
  const double a = qDegreesToRadians(-90.0 + 72.0 * (f + 1));
  p.setPen(QPen(QColor(192, 0, 0), 2));
  p.drawLine(QPointF(16, 16), QPointF(16 + 12 * std::cos(a), 16 + 12 * std::sin(a)));
  return img;
}

// ---- TProgressWnd -------------------------------------------------------------

TProgressWnd::TProgressWnd(QWidget* owner, int stages)
    : TPrgDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                            Qt::WindowContextHelpButtonHint | Qt::WindowStaysOnTopHint),
      stages_(stages) {
  setWindowTitle(Ru("Пожалуйста, подождите..."));
  setFixedSize(260, 92);
  SetHelpContext(this, kProgressHelp);
  suffix_ = cp1251::fromUtf8("-й этап из ") + std::to_string(stages_);
  for (int i = 0; i < kFrames; ++i) frames_[static_cast<std::size_t>(i)] = ProgressFrameImage(i + 1);

  stepLabel_ = NewLabel(this);
  stepLabel_->setGeometry(66, 8, 180, 17);
  stepLabel_->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);
  stepLabel_->setText(ToQt(std::to_string(stage_) + suffix_));

  bar_ = new QProgressBar(this);
  bar_->setGeometry(66, 30, 180, 20);
  bar_->setOrientation(Qt::Horizontal);
  bar_->setRange(0, 100);
  bar_->setValue(0);
  bar_->setStyleSheet(QStringLiteral("QProgressBar { background: red; border: 1px solid gray; text-align: center; }"
                                     "QProgressBar::chunk { background: green; }"));

  abortBtn_ = new TPrgBitBtn(TBitBtnKind::bkCancel, Ru("Отмена"), this);
  abortBtn_->SetModalResult(mrNone);  // the window stays until its owner frees it
  abortBtn_->setGeometry(100, 61, 75, 25);
  abortBtn_->setToolTip(Ru("Прервать расстановку уроков"));
  connect(abortBtn_, &TPrgBitBtn::Clicked, this, &TProgressWnd::AbortOperation);

  timer_ = new QTimer(this);
  timer_->setInterval(kAnimateMs);
  connect(timer_, &QTimer::timeout, this, &TProgressWnd::Animate);
  timer_->start();
}

TProgressWnd::~TProgressWnd() { timer_->stop(); }

void TProgressWnd::SetStage(int stage, int maximum) {
  stage_ = stage;
  stepLabel_->setText(ToQt(std::to_string(stage_) + suffix_));
  // A stage without steps shows an empty bar, not the busy indicator that
  // an empty range would give.
  maximum_ = std::max(0, maximum);
  bar_->setRange(0, std::max(1, maximum_));
  bar_->setValue(0);
}

void TProgressWnd::SetProgress(int position, const std::string& text) {
  stepLabel_->setText(ToQt(std::to_string(stage_) + suffix_ + " - " + text));
  bar_->setValue(std::clamp(position, bar_->minimum(), bar_->maximum()));
}

void TProgressWnd::AbortOperation() { Shared().AbortPlanning = 1; }

void TProgressWnd::Animate() {
  frame_ = static_cast<uint16_t>(frame_ % kFrames + 1);
  update(QRect(kFramePos, frames_[0].size()));
}

void TProgressWnd::paintEvent(QPaintEvent* e) {
  TPrgDialog::paintEvent(e);
  QPainter p(this);
  p.drawImage(kFramePos, frames_[static_cast<std::size_t>(frame_ - 1)]);
}

void TProgressWnd::closeEvent(QCloseEvent* e) {
  // There is no close box, but the window system may still ask: that is a
  // request to stop, and the window stays for its owner to free.
  e->ignore();
  AbortOperation();
}

void TProgressWnd::showEvent(QShowEvent* e) {
  TPrgDialog::showEvent(e);
  CentreOnScreen(this);
}

// ---- TOptiInfoGrid ---------------------------------------------------------------

void TOptiInfoGrid::DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) {
  if (row != 0) {
    TStringGrid::DrawCell(p, col, row, rect, state);
    return;
  }
  const QPalette& pal = QApplication::palette();
  p.fillRect(rect, pal.color(QPalette::Button));
  p.setFont(font());
  p.setPen(pal.color(QPalette::ButtonText));
  const QFontMetrics fm(font());
  const std::string shown = FitWithEllipsis(Cells(col, row), [&](const std::string& t) {
    return fm.horizontalAdvance(ToQt(t)) <= rect.width();
  });
  p.drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, ToQt(shown));
}

// ---- TOptiInfoForm ---------------------------------------------------------------

TOptiInfoForm::TOptiInfoForm(QWidget* owner, const TSearchView& view, KlassNameFn klassName)
    : QWidget(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowStaysOnTopHint),
      view_(&view), of_(LoadResStr(kMsgOf)) {
  setWindowTitle(Ru("Ход оптимизации"));
  resize(kInfoClientW, kInfoClientH);
  SetHelpContext(this, kInfoHelp);

  grid_ = new TOptiInfoGrid(this);
  grid_->setGeometry(kInfoGridRect);
  grid_->SetColCount(2);
  grid_->SetRowCount(2);
  grid_->SetFixedCols(0);
  grid_->SetFixedRows(1);
  grid_->SetDefaultRowHeight(21);
  grid_->SetColWidths(0, 166);
  grid_->SetColWidths(1, 146);
  grid_->SetCells(0, 0, LoadResStr(kMsgKlassHeader));
  grid_->SetCells(1, 0, LoadResStr(kMsgVariantHeader));
  Fill(klassName);
  // Every klass of the search in sight, up to a screenful; the design
  // height shows the heading and two.
  const int shown = std::clamp(rows_, 2, kInfoMostRows);
  const int gridH = (shown + 1) * (grid_->DefaultRowHeight() + grid_->GridLineWidth()) + 2 * grid_->frameWidth();
  resize(kInfoClientW, kInfoClientH + std::max(0, gridH - kInfoGridRect.height()));

  timer_ = new QTimer(this);
  timer_->setInterval(kRefreshMs);
  connect(timer_, &QTimer::timeout, this, &TOptiInfoForm::Refresh);
  timer_->start();
  show();
}

TOptiInfoForm::~TOptiInfoForm() { timer_->stop(); }

void TOptiInfoForm::Fill(const KlassNameFn& klassName) {
  const auto& order = view_->KlassOrder;
  int levels = 0;
  while (levels < static_cast<int>(order.size()) && order[static_cast<std::size_t>(levels)].Klass != 0xFFFF)
    ++levels;
  // Levels with a single arrangement never change; the last level is kept
  // so that the window is never empty while there is something to search.
  int first = 0;
  while (first < levels - 1 && order[static_cast<std::size_t>(first)].Count <= 1) ++first;
  for (int level = first; level < levels; ++level) {
    const int row = ++rows_;
    if (row >= grid_->RowCount()) grid_->SetRowCount(row + 1);
    const int klass = order[static_cast<std::size_t>(level)].Klass;
    grid_->SetCells(0, row, klassName ? klassName(klass) : std::to_string(klass + 1));
    grid_->SetObjects(0, row, reinterpret_cast<void*>(static_cast<intptr_t>(level) + 1));
    const std::size_t l = static_cast<std::size_t>(level);
    const int live = l < view_->LiveCounts.size() ? view_->LiveCounts[l].Live : 0;
    grid_->SetCells(1, row, "0" + of_ + std::to_string(live));
  }
}

int TOptiInfoForm::RowLevel(int row) const {
  if (row < 1 || row > rows_) return -1;
  return static_cast<int>(reinterpret_cast<intptr_t>(grid_->Objects(0, row))) - 1;
}

std::string TOptiInfoForm::RowText(int level) const {
  const std::size_t l = static_cast<std::size_t>(level);
  if (level < 0 || l >= view_->CurChoice.size() || l >= view_->LiveCounts.size()) return {};
  return std::to_string(view_->Choice(level) + 1) + of_ + std::to_string(view_->LiveCounts[l].Live);
}

void TOptiInfoForm::Refresh() {
  if (!view_) return;
  // Every row, not only the visible ones: the rows are few, and a row
  // scrolled into view then never shows a stale number.
  for (int row = 1; row <= rows_; ++row) {
    const std::string text = RowText(RowLevel(row));
    if (!text.empty() && text != grid_->Cells(1, row)) grid_->SetCells(1, row, text);
  }
}

void TOptiInfoForm::SetActive(bool on) {
  if (on && view_) {
    timer_->start();
  } else {
    timer_->stop();
    Refresh();
  }
}

bool TOptiInfoForm::Active() const { return timer_->isActive(); }

void TOptiInfoForm::Detach() {
  timer_->stop();
  view_ = nullptr;
}

void TOptiInfoForm::resizeEvent(QResizeEvent* e) {
  QWidget::resizeEvent(e);
  // Anchored on all sides: the grid keeps its design margins.
  grid_->setGeometry(kInfoGridRect.x(), kInfoGridRect.y(),
                     std::max(0, width() - (kInfoClientW - kInfoGridRect.width())),
                     std::max(0, height() - (kInfoClientH - kInfoGridRect.height())));
  Refresh();
}

void TOptiInfoForm::closeEvent(QCloseEvent* e) {
  // No border icons: the search that shows the window frees it.
  e->ignore();
}

void TOptiInfoForm::keyPressEvent(QKeyEvent* e) {
  if (e->key() == Qt::Key_F1) {
    QWidget* w = focusWidget();
    ShowHelpFor(w && isAncestorOf(w) ? w : this);
    return;
  }
  // Shown after the progress window, this window has the focus during the
  // search: Esc here asks the search to stop, as it does there.
  if (e->key() == Qt::Key_Escape && e->modifiers() == Qt::NoModifier) {
    Shared().AbortPlanning = 1;
    return;
  }
  QWidget::keyPressEvent(e);
}

}  // namespace korvant
