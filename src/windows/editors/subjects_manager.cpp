#include "windows/editors/subjects_manager.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>

#include "controls/speed_button.h"
#include "platform/help_service.h"
#include "windows/editors/rooms_manager.h"
#include "windows/editors/sorted_items.h"

namespace korvant {

namespace {
constexpr int kMsgBadSanitarKf = 10039;
constexpr int kWishedRoomsHelp = 245;

// A small arrow, plus or minus sign on the key colour (up, disabled, down).
QImage RoomButtonGlyph(char what) {
  constexpr int cell = 16;
  QImage img(cell * 3, cell, QImage::Format_RGB32);
  img.fill(QColor::fromRgb(0xFF00FF));
  for (int i = 0; i < 3; ++i) {
    const QRgb c = i == 1 ? qRgb(128, 128, 128) : qRgb(0, 0, 0);
    const int x0 = i * cell;
    for (int y = 3; y < 13; ++y)
      for (int x = 3; x < 13; ++x) {
        bool on = false;
        const int dx = x - 8, dy = y - 8;
        if (what == '+') on = (dy == 0 || dy == -1) || (dx == 0 || dx == -1);
        if (what == '-') on = dy == 0 || dy == -1;
        if (what == 'u') on = y >= 4 && y <= 10 && std::abs(dx) <= y - 4;
        if (what == 'd') on = y >= 5 && y <= 11 && std::abs(dx) <= 11 - y;
        if (on) img.setPixel(x0 + x, y, c);
      }
  }
  return img;
}
}  // namespace

TSubjectsManager::TSubjectsManager(TSubjectsCollection& subjects, const TRoomsCollection& rooms,
                                   TProjParamsRec& params, QWidget* parent)
    : TCollectionEditor(kTagSubjects, QStringLiteral("Предметы"), 9, QSize(447, 298), 20, subjects,
                        params, parent),
      rooms_(rooms) {
  CreateNameCombo(QStringLiteral("Название:"), QRect(8, 8, 324, 22), 70, int(kSubjectNameSize) - 1);

  AddLabel(QStringLiteral("Коэффициент сложности:"), QRect(8, 41, 160, 16));
  sanitarKf_ = AddNumberField(
      QRect(170, 38, 40, 22), 0, 20, kMsgBadSanitarKf, [this] { return int(Item()->SanitarKf); },
      [this](int v) { Item()->SanitarKf = static_cast<uint16_t>(v); });

  AddLabel(QStringLiteral("Специализация:"), QRect(8, 71, 100, 16));
  specCombo_ = new QComboBox(this);
  specCombo_->setGeometry(108, 68, 224, 22);
  specs_ = CreateSpecializationCombo(specCombo_);
  connect(specCombo_, &QComboBox::currentIndexChanged, this, [this](int i) {
    if (Updating() || !Item()) return;
    Item()->Specialization = static_cast<uint8_t>(i >= 0 ? specs_->Object(i) : 0);
    Changed();
  });
  strict_ = new QCheckBox(QStringLiteral("Строго специализирован:"), this);
  strict_->setLayoutDirection(Qt::RightToLeft);
  strict_->setGeometry(8, 96, 190, 20);
  connect(strict_, &QCheckBox::toggled, this, [this](bool ticked) {
    if (Updating() || !Item()) return;
    Item()->NotStrict = ticked ? 0 : 1;
    Changed();
  });

  AddLabel(QStringLiteral("Рекомендуемые кабинеты:"), QRect(8, 124, 178, 16));
  wished_ = new QListWidget(this);
  wished_->setGeometry(8, 142, 150, 148);
  AddLabel(QStringLiteral("Кабинеты (общий список):"), QRect(190, 124, 178, 16));
  allRooms_ = new QListWidget(this);
  allRooms_->setGeometry(190, 142, 150, 148);
  SetHelpContext(wished_, kWishedRoomsHelp);
  SetHelpContext(allRooms_, kWishedRoomsHelp);

  auto roomButton = [&](const QString& hint, char glyph, int y) {
    auto* b = new TPrgSpeedButton(this);
    b->setGeometry(162, y, 23, 23);
    b->SetGlyph(RoomButtonGlyph(glyph));
    b->SetNumGlyphs(3);
    b->setToolTip(hint);
    b->setEnabled(false);
    return b;
  };
  upBtn_ = roomButton(QStringLiteral("Поднять"), 'u', 150);
  addRoomBtn_ = roomButton(QStringLiteral("Добавить"), '+', 180);
  removeRoomBtn_ = roomButton(QStringLiteral("Удалить"), '-', 210);
  downBtn_ = roomButton(QStringLiteral("Опустить"), 'd', 240);
  connect(upBtn_, &TPrgSpeedButton::Clicked, this, &TSubjectsManager::UpRoomClick);
  connect(addRoomBtn_, &TPrgSpeedButton::Clicked, this, &TSubjectsManager::AddRoomClick);
  connect(removeRoomBtn_, &TPrgSpeedButton::Clicked, this, &TSubjectsManager::RemoveRoomClick);
  connect(downBtn_, &TPrgSpeedButton::Clicked, this, &TSubjectsManager::DownRoomClick);
  connect(allRooms_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!Updating()) UpdateRoomButtons();
  });
  connect(wished_, &QListWidget::itemSelectionChanged, this, [this] {
    if (!Updating()) UpdateRoomButtons();
  });

  Reload();
}

void TSubjectsManager::LoadFields(int index) {
  const TSubjectItem* subject = list_.GetItem(index);
  specCombo_->setEnabled(subject);
  strict_->setEnabled(subject);
  wished_->setEnabled(subject);
  allRooms_->setEnabled(subject);
  if (subject) {
    SelectObject(specCombo_, specs_, subject->Specialization);
    strict_->setChecked(subject->NotStrict == 0);
    FillRoomLists();
  } else {
    specCombo_->setCurrentIndex(-1);
    strict_->setChecked(false);
    wished_->clear();
    allRooms_->clear();
    UpdateRoomButtons();
  }
}

void TSubjectsManager::RepairReferences() {
  if (Item()) FillRoomLists();
}

void TSubjectsManager::FillRoomLists() {
  TSubjectItem* subject = Item();
  wished_->clear();
  allRooms_->clear();
  for (const auto& r : rooms_) AddSortedItem(allRooms_, ToQt(r->DisplayName()), r->ID());
  for (int pos = 0; pos < kMaxWishedRooms;) {
    const int32_t id = subject->GetWishedRoom(pos);
    if (id < 0) break;
    if (const TRoomItem* room = rooms_.FindItemID(id)) {
      AppendItem(wished_, ToQt(room->DisplayName()), id);
      ++pos;
    } else if (RepairsAllowed()) {
      subject->ChangeWishedRoom(-1, id);  // the same position is read again
      Changed();
    } else {
      ++pos;  // shown as missing until the window is activated
    }
  }
  allRooms_->setCurrentRow(-1);
  allRooms_->clearSelection();
  wished_->setCurrentRow(-1);
  wished_->clearSelection();
  UpdateRoomButtons();
}

void TSubjectsManager::UpdateRoomButtons() {
  const bool has = Item() != nullptr;
  addRoomBtn_->setEnabled(has && !allRooms_->selectedItems().isEmpty());
  const int i = wished_->selectedItems().isEmpty() ? -1 : wished_->currentRow();
  removeRoomBtn_->setEnabled(has && i >= 0);
  upBtn_->setEnabled(has && i >= 1);
  downBtn_->setEnabled(has && i >= 0 && i < wished_->count() - 1);
}

int TSubjectsManager::WishedPosition(int32_t id) const {
  for (int pos = 0; pos <= kMaxWishedRooms; ++pos) {
    const int32_t w = Item()->GetWishedRoom(pos);
    if (w < 0) break;
    if (w == id) return pos;
  }
  return -1;
}

void TSubjectsManager::AddRoomClick() {
  TSubjectItem* subject = Item();
  QListWidgetItem* picked = allRooms_->currentItem();
  if (!subject || !picked || !picked->isSelected()) return;
  const int32_t id = ItemObject(picked);
  // Appended after the last; the record refuses a room already listed and
  // an eleventh one.
  const bool listed = WishedPosition(id) >= 0;
  subject->ChangeWishedRoom(subject->WishedRoomCount(), id);
  if (!listed && WishedPosition(id) >= 0) {
    UpdatingScope u(*this);
    AppendItem(wished_, picked->text(), id);
  }
  UpdateRoomButtons();
  Changed();
}

void TSubjectsManager::RemoveRoomClick() {
  TSubjectItem* subject = Item();
  const int i = wished_->currentRow();
  if (!subject || i < 0 || wished_->selectedItems().isEmpty()) return;
  {
    UpdatingScope u(*this);
    subject->ChangeWishedRoom(-1, ItemObject(wished_->item(i)));
    delete wished_->takeItem(i);
    wished_->setCurrentRow(-1);
    wished_->clearSelection();
  }
  removeRoomBtn_->setEnabled(false);
  upBtn_->setEnabled(false);
  downBtn_->setEnabled(false);
  Changed();
}

// Moves list entry from to the place of its neighbour to, in the list box
// and in the record (where rooms not shown may stand between them).
void TSubjectsManager::MoveWished(int from, int to) {
  TSubjectItem* subject = Item();
  const int32_t id = ItemObject(wished_->item(from));
  const int32_t neighbour = ItemObject(wished_->item(to));
  subject->ChangeWishedRoom(-1, id);
  const int at = WishedPosition(neighbour) + (to > from ? 1 : 0);
  subject->ChangeWishedRoom(at, id);
  {
    UpdatingScope u(*this);
    QListWidgetItem* item = wished_->takeItem(from);
    wished_->insertItem(to, item);
    wished_->setCurrentRow(to);
  }
  UpdateRoomButtons();
  Changed();
}

void TSubjectsManager::UpRoomClick() {
  const int i = wished_->currentRow();
  if (!Item() || wished_->selectedItems().isEmpty() || i <= 0) return;
  MoveWished(i, i - 1);
}

void TSubjectsManager::DownRoomClick() {
  const int i = wished_->currentRow();
  if (!Item() || wished_->selectedItems().isEmpty() || i < 0 || i >= wished_->count() - 1) return;
  MoveWished(i, i + 1);
}

void TSubjectsManager::CheckData(IDataReport* report, const CheckPump& pump) {
  CheckSubjects(list_, rooms_, report, pump);
}

}  // namespace korvant
