#include "windows/planning/planning_host_windows.h"

#include <QScreen>
#include <QStyle>

#include <algorithm>


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
  // Beside the progress: to its right, else its left, below or above,
  // whichever the screen holds; the gap leaves room for the frames the
  // window system may still add, so neither hides the other.
  if (!progress_ || !progress_->isVisible()) return;
  const int gap = 8 + info_->style()->pixelMetric(QStyle::PM_TitleBarHeight);
  const QRect p = progress_->frameGeometry();
  const QRect screen = progress_->screen()->availableGeometry();
  const QSize s = info_->frameGeometry().size();
  const QPoint places[] = {{p.right() + 1 + gap, p.top()},
                           {p.left() - gap - s.width(), p.top()},
                           {p.left(), p.bottom() + 1 + gap},
                           {p.left(), p.top() - gap - s.height()}};
  for (const QPoint& at : places)
    if (screen.contains(QRect(at, s))) {
      info_->move(at);
      return;
    }
  info_->move(places[0]);
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
