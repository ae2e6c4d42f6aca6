#pragma once
// The subjects editor ("Предметы").
#include "core/project/rooms.h"
#include "core/project/subjects.h"
#include "windows/editors/list_editor.h"

class QCheckBox;
class QListWidget;

namespace korvant {

class TSubjectsManager : public TCollectionEditor<TSubjectsCollection> {
  Q_OBJECT
 public:
  // rooms: the project's rooms, for the recommended rooms (borrowed).
  TSubjectsManager(TSubjectsCollection& subjects, const TRoomsCollection& rooms, TProjParamsRec& params,
                   QWidget* parent = nullptr);

  TSubjectsCollection& GetSubjects() const { return list_; }
  TListHeader GetListHeader() const { return list_.GetHeader(); }
  void CheckData(IDataReport* report, const CheckPump& pump = {}) override;

  QComboBox* SubjectNameComboBox() const { return NameComboBox(); }
  TFieldEdit* SanitarKfEdit() const { return sanitarKf_; }
  QComboBox* SpecializationComboBox() const { return specCombo_; }
  QCheckBox* StrongSpecializationCheckBox() const { return strict_; }
  QListWidget* WishedRoomsListBox() const { return wished_; }
  QListWidget* AllRoomsListBox() const { return allRooms_; }
  TPrgSpeedButton* UpRoomBtn() const { return upBtn_; }
  TPrgSpeedButton* AddRoomBtn() const { return addRoomBtn_; }
  TPrgSpeedButton* RemoveRoomBtn() const { return removeRoomBtn_; }
  TPrgSpeedButton* DownRoomBtn() const { return downBtn_; }

  void AddRoomClick();
  void RemoveRoomClick();
  void UpRoomClick();
  void DownRoomClick();

 protected:
  void LoadFields(int index) override;
  void RepairReferences() override;

 private:
  void FillRoomLists();
  void UpdateRoomButtons();
  // Position of room id in the subject's list, -1 when absent.
  int WishedPosition(int32_t id) const;
  void MoveWished(int from, int to);

  const TRoomsCollection& rooms_;
  QComboBox* specCombo_ = nullptr;
  TSortedComboModel* specs_ = nullptr;
  QCheckBox* strict_ = nullptr;
  TFieldEdit* sanitarKf_ = nullptr;
  QListWidget* wished_ = nullptr;
  QListWidget* allRooms_ = nullptr;
  TPrgSpeedButton* upBtn_ = nullptr;
  TPrgSpeedButton* addRoomBtn_ = nullptr;
  TPrgSpeedButton* removeRoomBtn_ = nullptr;
  TPrgSpeedButton* downBtn_ = nullptr;
};

}  // namespace korvant
