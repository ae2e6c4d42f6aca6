#include "windows/editors/klasses_manager.h"

#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QTabWidget>

#include "controls/speed_button.h"
#include "windows/editors/editor_fields.h"
#include "windows/editors/rooms_manager.h"
#include "windows/editors/sorted_items.h"

namespace korvant {

namespace {
constexpr int kMsgBadChildren = 10040;
constexpr int kMsgBadStartLessons = 10041;
}  // namespace

std::string StartLessonsText(const TKlassItem& klass) {
  std::string text;
  for (int i = 1; i <= kMaxStartLessons; ++i) {
    const int l = klass.GetStartLesson(i);
    if (l <= 0) break;
    if (!text.empty()) text += ',';
    text += std::to_string(l);
  }
  return text;
}

TKlassesManager::TKlassesManager(TKlassesCollection& klasses, const TRoomsCollection& rooms,
                                 TProjParamsRec& params, QWidget* parent)
    : TCollectionEditor(kTagKlasses, QStringLiteral("Классы"), 10, QSize(457, 332), 40, klasses, params,
                        parent),
      rooms_(rooms) {
  CreateNameCombo(QStringLiteral("Название:"), QRect(8, 8, 181, 22), 70, int(kKlassNameSize) - 1);

  AddLabel(QStringLiteral("Ступень:"), QRect(200, 11, 60, 16));
  section_ = new QComboBox(this);
  section_->setGeometry(260, 8, 90, 22);
  section_->addItems({QStringLiteral("Младшая"), QStringLiteral("Средняя"), QStringLiteral("Старшая")});
  connect(section_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Item()) return;
    Item()->Section = i >= 0 ? i : 1;
    Changed();
  });

  AddLabel(QStringLiteral("Учеников:"), QRect(8, 41, 70, 16));
  children_ = AddNumberField(
      QRect(80, 38, 40, 22), 0, 100, kMsgBadChildren, [this] { return int(Item()->ChildrenInKlass); },
      [this](int v) { Item()->ChildrenInKlass = static_cast<uint16_t>(v); });

  AddLabel(QStringLiteral("Начинать с уроков:"), QRect(130, 41, 120, 16));
  startLessons_ = AddTextField(
      QRect(250, 38, 100, 22), kMsgBadStartLessons,
      [](const std::string& t) { return t.empty() || ParseStartLessons(t).has_value(); },
      [this](const std::string& t) {
        if (t.empty()) return false;  // an emptied field keeps the list
        const std::vector<int> lessons = ParseStartLessons(t).value();
        TKlassItem* k = Item();
        for (int l = k->GetStartLesson(1); l > 0; l = k->GetStartLesson(1)) k->ChangeStartLesson(-1, l);
        for (int l : lessons) k->ChangeStartLesson(1, l);
        return true;
      },
      [this] { return StartLessonsText(*Item()); });

  AddLabel(QStringLiteral("Прикрепленный кабинет:"), QRect(8, 71, 150, 16));
  roomCombo_ = new QComboBox(this);
  roomCombo_->setGeometry(160, 68, 190, 22);
  roomModel_ = new TSortedComboModel(roomCombo_);
  roomModel_->Attach(roomCombo_);
  connect(roomCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Item()) return;
    Item()->KlassRoom = i >= 0 ? roomModel_->Object(i) : -1;
    Changed();
  });

  pages_ = new QTabWidget(this);
  pages_->setGeometry(8, 98, 324, 193);
  specs_ = new QListWidget();
  pages_->addTab(specs_, QStringLiteral("Специализация"));
  for (int n = 1; n <= kSpecializationCount; ++n) {
    QListWidgetItem* item = AddSortedItem(specs_, ResQ(kSpecializationNameBase + n), n);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  connect(specs_, &QListWidget::itemChanged, this, [this] { SpecializationClicked(); });

  busyPage_ = new QWidget();
  pages_->addTab(busyPage_, QStringLiteral("Занятость"));
  AddStateButton(busyPage_, QStringLiteral("Занят"), BusyState, QRect(8, 6, 17, 20), QColor(255, 0, 0));
  AddStateButton(busyPage_, QStringLiteral("Свободен"), FreeState, QRect(28, 6, 17, 20),
                 QColor(0, 128, 0));
  CreateWeekGrid(busyPage_, QPoint(8, 30));
  PressStateButton(FreeState);

  parallels_ = new QListWidget();
  pages_->addTab(parallels_, QStringLiteral("Параллели"));
  connect(parallels_, &QListWidget::itemChanged, this, [this] { ParallelsClicked(); });

  SizeWeekGrid();
  Reload();
}

void TKlassesManager::LoadFields(int index) {
  const TKlassItem* klass = list_.GetItem(index);
  section_->setEnabled(klass);
  specs_->setEnabled(klass);
  parallels_->setEnabled(klass);
  if (!klass) {
    section_->setCurrentIndex(-1);
    roomCombo_->setCurrentIndex(-1);
    roomModel_->Clear();
    roomCombo_->setEnabled(false);
    for (int i = 0; i < specs_->count(); ++i) specs_->item(i)->setCheckState(Qt::Unchecked);
    parallels_->clear();
    pages_->setCurrentWidget(busyPage_);
    return;
  }
  section_->setCurrentIndex(klass->Section >= 0 && klass->Section <= 2 ? klass->Section : -1);
  for (int i = 0; i < specs_->count(); ++i) {
    QListWidgetItem* item = specs_->item(i);
    item->setCheckState(klass->GetSpecialization(ItemObject(item)) ? Qt::Checked : Qt::Unchecked);
  }
  FillRoomList();
  FillParallels();
}

void TKlassesManager::AfterAdd() {
  // A new klass starts its day with lesson 1; the field stores it as typed.
  startLessons_->setText(QStringLiteral("1"));
}

void TKlassesManager::RepairReferences() {
  if (Item()) FillRoomList();
}

void TKlassesManager::FillRoomList() {
  if (FillAttachedRoomCombo(roomCombo_, roomModel_, rooms_, Item()->KlassRoom, RepairsAllowed()))
    Changed();
}

void TKlassesManager::FillParallels() {
  const TKlassItem* klass = Item();
  parallels_->clear();
  for (const auto& other : list_) {
    if (other.get() == klass) continue;
    QListWidgetItem* item = AddSortedItem(parallels_, ToQt(other->DisplayName()), other->ID());
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    bool held = false;
    for (int i = 1; i <= kMaxParallels && !held; ++i) held = klass->GetParallel(i) == other->ID();
    item->setCheckState(held ? Qt::Checked : Qt::Unchecked);
  }
}

void TKlassesManager::SpecializationClicked() {
  if (Updating() || !Item()) return;
  for (int i = 0; i < specs_->count(); ++i) {
    const QListWidgetItem* item = specs_->item(i);
    Item()->SetSpecialization(ItemObject(item), item->checkState() == Qt::Checked ? 1 : 0);
  }
  Changed();
}

void TKlassesManager::ParallelsClicked() {
  TKlassItem* klass = Item();
  if (Updating() || !klass) return;
  for (int32_t id = klass->GetParallel(1); id >= 0; id = klass->GetParallel(1)) klass->ChangeParallel(-1, id);
  for (int i = 0; i < parallels_->count(); ++i) {
    const QListWidgetItem* item = parallels_->item(i);
    if (item->checkState() == Qt::Checked) klass->ChangeParallel(1, ItemObject(item));
  }
  Changed();
}

TMouseState TKlassesManager::SlotState(int slot) const {
  return Item()->GetBusy(slot) != 0 ? BusyState : FreeState;
}

void TKlassesManager::SetSlotState(int slot, TMouseState state) {
  Item()->SetBusy(slot, state == BusyState ? 1 : 0);
}

void TKlassesManager::CheckData(IDataReport* report, const CheckPump& pump) {
  CheckKlasses(list_, rooms_, report, pump);
}

}  // namespace korvant
