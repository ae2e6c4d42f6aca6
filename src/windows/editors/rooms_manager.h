#pragma once
// The rooms editor ("Кабинеты").
#include "core/project/rooms.h"
#include "windows/editors/list_editor.h"

class QCheckBox;

namespace korvant {

class TRoomsManager : public TCollectionEditor<TRoomsCollection> {
  Q_OBJECT
 public:
  TRoomsManager(TRoomsCollection& rooms, TProjParamsRec& params, QWidget* parent = nullptr);

  TRoomsCollection& GetRooms() const { return list_; }
  TListHeader GetListHeader() const { return list_.GetHeader(); }
  void CheckData(IDataReport* report, const CheckPump& pump = {}) override;

  QComboBox* RoomNameComboBox() const { return NameComboBox(); }
  QComboBox* SpecializationComboBox() const { return specCombo_; }
  QCheckBox* StrongSpecializationCheckBox() const { return strict_; }
  TFieldEdit* MaxChildrenEdit() const { return maxChildren_; }
  TFieldEdit* MaxGroupsEdit() const { return maxGroups_; }
  TPrgSpeedButton* BusyButton() const { return StateButtons()[0]; }
  TPrgSpeedButton* FreeButton() const { return StateButtons()[1]; }
  TWeeking* RoomBusyTable() const { return WeekGrid(); }

 protected:
  void LoadFields(int index) override;
  TMouseState SlotState(int slot) const override;
  void SetSlotState(int slot, TMouseState state) override;

 private:
  QComboBox* specCombo_ = nullptr;
  TSortedComboModel* specs_ = nullptr;
  QCheckBox* strict_ = nullptr;
  TFieldEdit* maxChildren_ = nullptr;
  TFieldEdit* maxGroups_ = nullptr;
};

// The specialization box of rooms and subjects: the 21 names, sorted, each
// carrying its number.
TSortedComboModel* CreateSpecializationCombo(QComboBox* combo);
// Selects the entry carrying value (none when absent).
void SelectObject(QComboBox* combo, const TSortedComboModel* model, int32_t value);
// The attached-room box of klasses and teachers: every room and
// "Отсутствует" (-1), the entry of room selected. A room that no longer
// exists selects "Отсутствует"; with repair the reference becomes -1 and
// the answer is true (the record changed).
bool FillAttachedRoomCombo(QComboBox* combo, TSortedComboModel* model, const TRoomsCollection& rooms,
                           int32_t& room, bool repair);

}  // namespace korvant
