#pragma once
// The teachers editor ("Учителя").
#include "core/project/rooms.h"
#include "core/project/teachers.h"
#include "windows/editors/list_editor.h"

namespace korvant {

// A teacher's hour as the week grid shows it, and back.
TMouseState TeacherCellState(TTeacherHourCell cell);
TTeacherHourCell TeacherCellFromState(TMouseState state);

class TTeachersManager : public TCollectionEditor<TTeachersCollection> {
  Q_OBJECT
 public:
  // rooms: the project's rooms, for the attached room (borrowed).
  TTeachersManager(TTeachersCollection& teachers, const TRoomsCollection& rooms, TProjParamsRec& params,
                   QWidget* parent = nullptr);

  TTeachersCollection& GetTeachers() const { return list_; }
  TListHeader GetListHeader() const { return list_.GetHeader(); }
  void CheckData(IDataReport* report, const CheckPump& pump = {}) override;

  QComboBox* TeacherNameComboBox() const { return NameComboBox(); }
  TFieldEdit* MetodicalDaysEdit() const { return metodical_; }
  TFieldEdit* LessCntEdit() const { return lessCnt_; }
  QComboBox* TeacherRoomComboBox() const { return roomCombo_; }
  // "Занят", "Высокий приоритет", "Средний приоритет", "Низкий приоритет", "Свободен".
  TPrgSpeedButton* BusyButton() const { return StateButtons()[0]; }
  TPrgSpeedButton* N3StateBtn() const { return StateButtons()[1]; }
  TPrgSpeedButton* N2StateBtn() const { return StateButtons()[2]; }
  TPrgSpeedButton* N1StateBtn() const { return StateButtons()[3]; }
  TPrgSpeedButton* FreeButton() const { return StateButtons()[4]; }
  TWeeking* TeacherBusyTable() const { return WeekGrid(); }

 protected:
  void LoadFields(int index) override;
  void RepairReferences() override;
  TMouseState SlotState(int slot) const override;
  void SetSlotState(int slot, TMouseState state) override;

 private:
  void FillRoomList();

  const TRoomsCollection& rooms_;
  TFieldEdit* metodical_ = nullptr;
  TFieldEdit* lessCnt_ = nullptr;
  QComboBox* roomCombo_ = nullptr;
  TSortedComboModel* roomModel_ = nullptr;
};

}  // namespace korvant
