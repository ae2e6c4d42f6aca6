#pragma once
// TPlanningHostWindows: the window side of a day search's progress. It
// shows TProgressWnd and TOptiInfoForm over the owner (the variant window)
// as the search asks, pumps the event queue, and waits while a solution is
// shown. What a solution or a deeper partial arrangement means to the
// window is its owner's business: set OnSolutionFound / OnDeeperPartial, or
// derive and override.
//
// Windows are never freed while one of their own handlers or a pumping loop
// could still be on the stack: closing hides a window, detaches it from the
// search and frees it from the event loop later.
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

#include "core/planning/day_planner.h"
#include "windows/planning/progress_wnd.h"

namespace korvant {

class TRunModel;

class TPlanningHostWindows : public IPlanningHost {
 public:
  // owner may be null (the windows are then top-level on their own);
  // klassName gives the rows of the information window their names.
  explicit TPlanningHostWindows(QWidget* owner, TOptiInfoForm::KlassNameFn klassName = {});
  ~TPlanningHostWindows() override;
  TPlanningHostWindows(const TPlanningHostWindows&) = delete;
  TPlanningHostWindows& operator=(const TPlanningHostWindows&) = delete;

  PromptOwner Owner() const override;
  // Handles the pending events once.
  void Pump() override;
  // Waits in the event loop while flag is set; an abort asked for in the
  // meantime (the progress window's "Отмена") ends the wait too.
  void WaitWhileSet(const uint8_t& flag) override;
  void SolutionFound() override;
  void DeeperPartial() override;

  void ProgressOpen(int stages) override;
  void ProgressStage(int stage, int maximum) override;
  void ProgressStep(int position, const std::string& name) override;
  void ProgressClose() override;
  void InfoOpen(const TSearchView& view) override;
  void InfoActive(bool on) override;
  void InfoClose() override;

  std::function<void()> OnSolutionFound;
  std::function<void()> OnDeeperPartial;

  // The windows open now (null when closed, or gone with their owner).
  TProgressWnd* ProgressWindow() const { return progress_.data(); }
  TOptiInfoForm* InfoWindow() const { return info_.data(); }

 private:
  QPointer<QWidget> owner_;
  bool hadOwner_;
  TOptiInfoForm::KlassNameFn klassName_;
  QPointer<TProgressWnd> progress_;
  QPointer<TOptiInfoForm> info_;
};

// Klass display names of a run-time model, for the information window.
TOptiInfoForm::KlassNameFn KlassNamesOf(const TRunModel& model);

}  // namespace korvant
