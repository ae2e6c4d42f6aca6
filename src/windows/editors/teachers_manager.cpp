#include "windows/editors/teachers_manager.h"

#include <QComboBox>
#include <QLabel>

#include "controls/speed_button.h"
#include "windows/editors/rooms_manager.h"
#include "windows/editors/sorted_items.h"

namespace korvant {

namespace {
constexpr int kMsgBadMetodicalDays = 10042;
constexpr int kMsgBadPlanLessons = 10047;
}  // namespace

TMouseState TeacherCellState(TTeacherHourCell cell) {
  if (cell.Restricted == 0) return FreeState;
  switch (cell.Level) {
    case 0: return BusyState;
    case 1: return N3State;
    case 2: return N2State;
    default: return N1State;  // 3, and levels no editor writes
  }
}

TTeacherHourCell TeacherCellFromState(TMouseState state) {
  switch (state) {
    case N1State: return {1, 3};
    case N2State: return {1, 2};
    case N3State: return {1, 1};
    case BusyState: return {1, 0};
    default: return {0, 0};
  }
}

TTeachersManager::TTeachersManager(TTeachersCollection& teachers, const TRoomsCollection& rooms,
                                   TProjParamsRec& params, QWidget* parent)
    : TCollectionEditor(kTagTeachers, QStringLiteral("Учителя"), 11, QSize(447, 289), 60, teachers,
                        params, parent),
      rooms_(rooms) {
  CreateNameCombo(QStringLiteral("Имя:"), QRect(8, 8, 320, 22), 40, int(kTeacherNameSize) - 1);

  AddLabel(QStringLiteral("Свободных дней:"), QRect(8, 41, 110, 16));
  metodical_ = AddNumberField(
      QRect(120, 38, 40, 22), 0, 7, kMsgBadMetodicalDays, [this] { return int(Item()->MetodicalDays); },
      [this](int v) { Item()->MetodicalDays = v; });
  AddLabel(QStringLiteral("Часов по уч. плану: "), QRect(170, 41, 120, 16));
  lessCnt_ = AddNumberField(
      QRect(290, 38, 40, 22), 0, 144, kMsgBadPlanLessons, [this] { return int(Item()->PlanLessCnt); },
      [this](int v) { Item()->PlanLessCnt = v; });

  AddLabel(QStringLiteral("Прикрепленный кабинет:"), QRect(8, 71, 150, 16));
  roomCombo_ = new QComboBox(this);
  roomCombo_->setGeometry(160, 68, 170, 22);
  roomModel_ = new TSortedComboModel(roomCombo_);
  roomModel_->Attach(roomCombo_);
  connect(roomCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Item()) return;
    Item()->TeacherRoom = i >= 0 ? roomModel_->Object(i) : -1;
    Changed();
  });

  const QColor yellow(255, 255, 0);
  AddStateButton(this, QStringLiteral("Занят"), BusyState, QRect(8, 100, 17, 20), QColor(255, 0, 0));
  AddStateButton(this, QStringLiteral("Высокий приоритет"), N3State, QRect(28, 100, 17, 20), yellow);
  AddStateButton(this, QStringLiteral("Средний приоритет"), N2State, QRect(48, 100, 17, 20), yellow);
  AddStateButton(this, QStringLiteral("Низкий приоритет"), N1State, QRect(68, 100, 17, 20), yellow);
  AddStateButton(this, QStringLiteral("Свободен"), FreeState, QRect(88, 100, 17, 20), QColor(0, 128, 0));
  CreateWeekGrid(this, QPoint(8, 124));
  PressStateButton(FreeState);

  SizeWeekGrid();
  Reload();
}

void TTeachersManager::LoadFields(int index) {
  if (!list_.GetItem(index)) {
    roomCombo_->setCurrentIndex(-1);
    roomModel_->Clear();
    roomCombo_->setEnabled(false);
    return;
  }
  FillRoomList();
}

void TTeachersManager::RepairReferences() {
  if (Item()) FillRoomList();
}

void TTeachersManager::FillRoomList() {
  if (FillAttachedRoomCombo(roomCombo_, roomModel_, rooms_, Item()->TeacherRoom, RepairsAllowed()))
    Changed();
}

TMouseState TTeachersManager::SlotState(int slot) const { return TeacherCellState(Item()->GetBusy(slot)); }

void TTeachersManager::SetSlotState(int slot, TMouseState state) {
  Item()->SetBusy(slot, TeacherCellFromState(state));
}

void TTeachersManager::CheckData(IDataReport* report, const CheckPump& pump) {
  CheckTeachers(list_, rooms_, Params().LessonsPerDay, report, pump);
}

}  // namespace korvant
