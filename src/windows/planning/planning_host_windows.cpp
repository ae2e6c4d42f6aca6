#include "windows/planning/planning_host_windows.h"

#include "core/common/shared_state.h"
#include "core/variant/rti_model.h"
#include "platform/window_messages.h"
#include "windows/shell/error_box.h"

namespace korvant {

namespace {

// Hidden at once, freed from the event loop once every handler and pumping
// loop above has returned.
void Retire(QWidget* w) {
  if (!w) return;
  w->hide();
  w->deleteLater();
}

}  // namespace

TPlanningHostWindows::TPlanningHostWindows(QWidget* owner, TOptiInfoForm::KlassNameFn klassName)
    : owner_(owner), hadOwner_(owner != nullptr), klassName_(std::move(klassName)) {}

TPlanningHostWindows::~TPlanningHostWindows() {
  InfoClose();
  ProgressClose();
}

PromptOwner TPlanningHostWindows::Owner() const { return OwnerOf(owner_.data()); }

void TPlanningHostWindows::Pump() { pumpMessagesOnce(); }

void TPlanningHostWindows::WaitWhileSet(const uint8_t& flag) {
  pumpWhile([&flag] { return flag != 0 && Shared().AbortPlanning == 0; });
}

void TPlanningHostWindows::SolutionFound() {
  if (OnSolutionFound) OnSolutionFound();
}

void TPlanningHostWindows::DeeperPartial() {
  if (OnDeeperPartial) OnDeeperPartial();
}

void TPlanningHostWindows::ProgressOpen(int stages) {
  ProgressClose();
  // A window that went during the run gets no orphaned progress windows.
  if (hadOwner_ && !owner_) return;
  progress_ = new TProgressWnd(owner_.data(), stages);
  progress_->show();
}

void TPlanningHostWindows::ProgressStage(int stage, int maximum) {
  if (progress_) progress_->SetStage(stage, maximum);
}

void TPlanningHostWindows::ProgressStep(int position, const std::string& name) {
  if (progress_) progress_->SetProgress(position, name);
}

void TPlanningHostWindows::ProgressClose() {
  Retire(progress_.data());
  progress_ = nullptr;
}

void TPlanningHostWindows::InfoOpen(const TSearchView& view) {
  InfoClose();
  if (hadOwner_ && !owner_) return;
  info_ = new TOptiInfoForm(owner_.data(), view, klassName_);
  // Beside the progress: just below it when it is on screen.
  if (progress_ && progress_->isVisible())
    info_->move(progress_->frameGeometry().left(), progress_->frameGeometry().bottom() + 1);
}

void TPlanningHostWindows::InfoActive(bool on) {
  if (info_) info_->SetActive(on);
}

void TPlanningHostWindows::InfoClose() {
  if (info_) info_->Detach();  // the search's view goes with the search
  Retire(info_.data());
  info_ = nullptr;
}

TOptiInfoForm::KlassNameFn KlassNamesOf(const TRunModel& model) {
  return [&model](int klass) -> std::string {
    if (klass < 0 || klass >= model.Klasses.Count()) return {};
    return model.Klasses[klass]->DisplayName();
  };
}

}  // namespace korvant
