#pragma once
// The windows a day search keeps on screen while it runs.
//
// TProgressWnd ("Пожалуйста, подождите..."): the stage label, a bar, an
// animated picture and "Отмена", which asks the search to stop through
// Shared().AbortPlanning. The window never closes itself: its owner (the
// search's host) hides and frees it.
//
// TOptiInfoForm ("Ход оптимизации"): one row per search level (klass), with
// the number of the arrangement being tried out of the live ones, read from
// the search's TSearchView once a second. The view is only borrowed: Detach
// before the search's storage goes.
#include <QImage>
#include <QLabel>
#include <QProgressBar>
#include <QTimer>
#include <QWidget>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "controls/bit_btn.h"
#include "controls/prg_dialog.h"
#include "controls/string_grid.h"
#include "core/planning/day_planner.h"

namespace korvant {

// Frame 1..5 of the waiting animation (32 x 32, with alpha).
QImage ProgressFrameImage(int frame);

class TProgressWnd : public TPrgDialog {
  Q_OBJECT
 public:
  static constexpr int kAnimateMs = 500;
  static constexpr int kFrames = 5;
  static constexpr QPoint kFramePos{16, 16};

  // Stage 1 of stages, frame 1, the animation running.
  TProgressWnd(QWidget* owner, int stages);
  ~TProgressWnd() override;

  void SetStage(int stage, int maximum);
  // text is program text (CP1251), e.g. a klass name.
  void SetProgress(int position, const std::string& text);
  // "Отмена" and Esc: the search stops at its next poll.
  void AbortOperation();

  int Stages() const { return stages_; }
  int Stage() const { return stage_; }
  int Frame() const { return frame_; }
  // The step maximum of the stage (the bar never shows an empty range).
  int Maximum() const { return maximum_; }
  QLabel* StepLabel() const { return stepLabel_; }
  QProgressBar* ProgressBar() const { return bar_; }
  TPrgBitBtn* AbortBtn() const { return abortBtn_; }
  QTimer* AnimationTimer() const { return timer_; }

 protected:
  void paintEvent(QPaintEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void showEvent(QShowEvent* e) override;

 private:
  void Animate();

  int stages_;
  int stage_ = 1;
  int maximum_ = 0;
  uint16_t frame_ = 1;
  std::string suffix_;  // "-й этап из " and the stage count
  std::array<QImage, kFrames> frames_;
  QLabel* stepLabel_;
  QProgressBar* bar_;
  TPrgBitBtn* abortBtn_;
  QTimer* timer_;
};

// The search-information grid: the heading row drawn as buttons with the
// text centred and shortened to the cell.
class TOptiInfoGrid : public TStringGrid {
  Q_OBJECT
 public:
  explicit TOptiInfoGrid(QWidget* parent = nullptr) : TStringGrid(parent) {}

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
};

class TOptiInfoForm : public QWidget {
  Q_OBJECT
 public:
  static constexpr int kRefreshMs = 1000;
  // Display name (CP1251) of a klass by its index.
  using KlassNameFn = std::function<std::string(int klass)>;

  // Fills the rows from view, starts the refresh timer and shows itself.
  TOptiInfoForm(QWidget* owner, const TSearchView& view, KlassNameFn klassName);
  ~TOptiInfoForm() override;

  // On: the refresh timer runs. Off: the rows are refreshed once more and
  // stay as they are.
  void SetActive(bool on);
  bool Active() const;
  // Forgets the view: the timer stops and nothing is read any more.
  void Detach();
  bool Attached() const { return view_ != nullptr; }
  // Column 1 of every row from the view's current state.
  void Refresh();

  TOptiInfoGrid* InfoGrid() const { return grid_; }
  QTimer* RefreshTimer() const { return timer_; }
  // The search level shown in data row `row` (from 1), -1 for none.
  int RowLevel(int row) const;

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void keyPressEvent(QKeyEvent* e) override;

 private:
  void Fill(const KlassNameFn& klassName);
  std::string RowText(int level) const;

  const TSearchView* view_;
  std::string of_;  // " из "
  int rows_ = 0;    // data rows filled
  TOptiInfoGrid* grid_;
  QTimer* timer_;
};

}  // namespace korvant
