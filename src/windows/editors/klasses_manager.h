#pragma once
// The klasses editor ("Классы").
#include "core/project/klasses.h"
#include "core/project/rooms.h"
#include "windows/editors/list_editor.h"

class QListWidget;
class QTabWidget;

namespace korvant {

class TKlassesManager : public TCollectionEditor<TKlassesCollection> {
  Q_OBJECT
 public:
  // rooms: the project's rooms, for the attached room (borrowed).
  TKlassesManager(TKlassesCollection& klasses, const TRoomsCollection& rooms, TProjParamsRec& params,
                  QWidget* parent = nullptr);

  TKlassesCollection& GetKlasses() const { return list_; }
  TListHeader GetListHeader() const { return list_.GetHeader(); }
  void CheckData(IDataReport* report, const CheckPump& pump = {}) override;

  QComboBox* KlassNameComboBox() const { return NameComboBox(); }
  QComboBox* SectionComboBox() const { return section_; }
  TFieldEdit* ChildrenInKlassEdit() const { return children_; }
  TFieldEdit* LessonsForStartEdit() const { return startLessons_; }
  QComboBox* KlassRoomComboBox() const { return roomCombo_; }
  QTabWidget* KlassesInfoPages() const { return pages_; }
  QListWidget* SpecializationListBox() const { return specs_; }
  QListWidget* ParallelsListBox() const { return parallels_; }
  TPrgSpeedButton* BusyButton() const { return StateButtons()[0]; }
  TPrgSpeedButton* FreeButton() const { return StateButtons()[1]; }
  TWeeking* KlassBusyTable() const { return WeekGrid(); }

 protected:
  void LoadFields(int index) override;
  void AfterAdd() override;
  void RepairReferences() override;
  TMouseState SlotState(int slot) const override;
  void SetSlotState(int slot, TMouseState state) override;

 private:
  void FillRoomList();
  void FillParallels();
  void SpecializationClicked();
  void ParallelsClicked();

  const TRoomsCollection& rooms_;
  QComboBox* section_ = nullptr;
  TFieldEdit* children_ = nullptr;
  TFieldEdit* startLessons_ = nullptr;
  QComboBox* roomCombo_ = nullptr;
  TSortedComboModel* roomModel_ = nullptr;
  QTabWidget* pages_ = nullptr;
  QWidget* busyPage_ = nullptr;
  QListWidget* specs_ = nullptr;
  QListWidget* parallels_ = nullptr;
};

// The start lessons of a klass as the field shows them: "1,3,5".
std::string StartLessonsText(const TKlassItem& klass);

}  // namespace korvant
