#include "windows/editors/rooms_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>

#include "controls/speed_button.h"
#include "windows/editors/sorted_items.h"

namespace korvant {

namespace {
constexpr int kMsgBadSeats = 10037;
constexpr int kMsgBadGroups = 10038;
constexpr int kMsgNoRoom = 10069;
}  // namespace

TSortedComboModel* CreateSpecializationCombo(QComboBox* combo) {
  auto* model = new TSortedComboModel(combo);
  model->Attach(combo);
  for (int n = 0; n <= kSpecializationCount; ++n) model->Add(ResQ(kSpecializationNameBase + n), n);
  return model;
}

void SelectObject(QComboBox* combo, const TSortedComboModel* model, int32_t value) {
  combo->setCurrentIndex(model->FindObject(value));
}

bool FillAttachedRoomCombo(QComboBox* combo, TSortedComboModel* model, const TRoomsCollection& rooms,
                           int32_t& room, bool repair) {
  combo->setCurrentIndex(-1);
  model->Clear();
  for (const auto& r : rooms) model->Add(ToQt(r->DisplayName()), r->ID());
  model->Add(ResQ(kMsgNoRoom), -1);
  combo->setEnabled(true);
  int row = room >= 0 ? model->FindObject(room) : -1;
  if (row >= 0) {
    combo->setCurrentIndex(row);
    return false;
  }
  combo->setCurrentIndex(model->FindObject(-1));
  if (!repair || room == -1) return false;
  room = -1;
  return true;
}

TRoomsManager::TRoomsManager(TRoomsCollection& rooms, TProjParamsRec& params, QWidget* parent)
    : TCollectionEditor(kTagRooms, QStringLiteral("Кабинеты"), 8, QSize(447, 293), 0, rooms, params,
                        parent) {
  CreateNameCombo(QStringLiteral("Название:"), QRect(8, 8, 330, 22), 100, int(kRoomNameSize) - 1);

  AddLabel(QStringLiteral("Специализация:"), QRect(8, 41, 100, 16));
  specCombo_ = new QComboBox(this);
  specCombo_->setGeometry(108, 38, 230, 22);
  specs_ = CreateSpecializationCombo(specCombo_);
  connect(specCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Item()) return;
    Item()->Specialization = static_cast<uint8_t>(i >= 0 ? specs_->Object(i) : 0);
    Changed();
  });

  strict_ = new QCheckBox(QStringLiteral("Строго специализирован:"), this);
  strict_->setLayoutDirection(Qt::RightToLeft);  // the text stands left of the box
  strict_->setGeometry(8, 66, 190, 20);
  connect(strict_, &QCheckBox::toggled, this, [this](bool ticked) {
    if (Updating() || !Item()) return;
    Item()->NotStrict = ticked ? 0 : 1;
    Changed();
  });

  AddLabel(QStringLiteral("Мест:"), QRect(210, 69, 40, 16));
  maxChildren_ = AddNumberField(
      QRect(250, 66, 50, 22), 0, 100, kMsgBadSeats, [this] { return int(Item()->MaxChildren); },
      [this](int v) { Item()->MaxChildren = static_cast<uint16_t>(v); });
  auto* groupsLabel = AddLabel(QStringLiteral("Групп:"), QRect(210, 95, 40, 16));
  maxGroups_ = AddNumberField(
      QRect(250, 92, 50, 22), 0, 10000, kMsgBadGroups, [this] { return int(Item()->MaxGroups); },
      [this](int v) { Item()->MaxGroups = static_cast<uint16_t>(v); });
  groupsLabel->hide();
  maxGroups_->hide();
  maxGroups_->setFocusPolicy(Qt::NoFocus);

  AddLabel(QStringLiteral("Занятость:"), QRect(8, 128, 80, 16));
  AddStateButton(this, QStringLiteral("Занят"), BusyState, QRect(90, 126, 17, 20), QColor(255, 0, 0));
  AddStateButton(this, QStringLiteral("Свободен"), FreeState, QRect(110, 126, 17, 20), QColor(0, 128, 0));
  CreateWeekGrid(this, QPoint(8, 152));
  PressStateButton(FreeState);

  SizeWeekGrid();
  Reload();
}

void TRoomsManager::LoadFields(int index) {
  const TRoomItem* room = list_.GetItem(index);
  specCombo_->setEnabled(room);
  strict_->setEnabled(room);
  if (room) {
    SelectObject(specCombo_, specs_, room->Specialization);
    strict_->setChecked(room->NotStrict == 0);
  } else {
    specCombo_->setCurrentIndex(-1);
    strict_->setChecked(false);
  }
  PressStateButton(FreeState);
}

TMouseState TRoomsManager::SlotState(int slot) const {
  return Item()->GetBusy(slot) != 0 ? BusyState : FreeState;
}

void TRoomsManager::SetSlotState(int slot, TMouseState state) {
  Item()->SetBusy(slot, state == BusyState ? 1 : 0);
}

void TRoomsManager::CheckData(IDataReport* report, const CheckPump& pump) {
  CheckRooms(list_, report, pump);
}

}  // namespace korvant
