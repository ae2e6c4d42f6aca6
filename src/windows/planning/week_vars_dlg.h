#pragma once
// TWeekVarsDlg, "Расстановка уроков": runs the week-variant search of the
// model's current teacher group over the open variant, one teacher per
// message 1280 that the dialog posts itself, and shows per teacher the
// variants viewed, the improvements, the weekly hours and the hours placed.
// The search pumps the event queue between its steps so that "Дальше"
// (this pass is enough) and "Прервать" (modal result 2) stay live; each
// teacher's best is in the variant as soon as its search ends.
#include <memory>
#include <string>

#include "controls/prg_dialog.h"
#include "controls/string_grid.h"
#include "core/planning/week_vars.h"
#include "platform/window_messages.h"

namespace korvant {

class TPrgBitBtn;

// Header row and column 0 on the button face, centred, cut with "…".
class TWeekVarsGrid : public TStringGrid {
  Q_OBJECT
 public:
  explicit TWeekVarsGrid(QWidget* parent = nullptr) : TStringGrid(parent) {}

 protected:
  void DrawCell(QPainter& p, int col, int row, const QRect& rect, TPrgGridDrawState state) override;
};

class TWeekVarsDlg : public TPrgDialog, public MessageTarget, private IWeekVarsObserver {
  Q_OBJECT
 public:
  // The search is built from the model, the variant and the shared option
  // bytes now; the first teacher starts from the event loop.
  TWeekVarsDlg(QWidget* owner, TRunModel& model, TTableVarItem& var);
  ~TWeekVarsDlg() override;

  TWeekVarsGrid* TchCrpGrid() const { return grid_; }
  TPrgBitBtn* OKButton() const { return ok_; }
  TPrgBitBtn* EnoughBtn() const { return enough_; }
  TPrgBitBtn* AbortBtn() const { return abort_; }
  TPrgBitBtn* HelpBtn() const { return help_; }
  const TWeekVarsSearch& Search() const { return *search_; }
  // Every teacher of the group was searched.
  bool Finished() const { return finished_; }
  // Search steps per pump of the event queue.
  int StepBudget = 64;

  void EnoughBtnClick();
  MsgResult handleMessage(uint32_t msg, MsgParam w, MsgParam l) override;

 private:
  void WMPlaceTeacher(int position);
  void EnsureRow(int row);
  void TeacherStarted(int row, const std::string& caption, int pass, int viewed, int improvements,
                      int weeklyHours, int placed) override;
  void VariantsViewed(int row, int viewed) override;
  void Improved(int row, int improvements, int parallels, int placed) override;
  void HoursPlaced(int row, int placed) override;

  std::unique_ptr<TWeekVarsSearch> search_;
  bool finished_ = false;
  bool running_ = false;
  TWeekVarsGrid* grid_;
  TPrgBitBtn* ok_;
  TPrgBitBtn* enough_;
  TPrgBitBtn* abort_;
  TPrgBitBtn* help_;
};

}  // namespace korvant
