#pragma once
// The state that the open timetable variant publishes to the rest of the
// program, and the planning options. One process-wide instance, used on
// the user-interface thread only, so nothing here is locked.
#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

namespace korvant {

class TRoomsCollection;
class TSubjectsCollection;
class TRTIKlassesCollection;
class TRTITeachersCollection;

// The open variant window as the core sees it. The window implements it and
// refreshes its caption (by posting itself message 45280) when told.
class IVarsWindow {
 public:
  virtual ~IVarsWindow() = default;
  virtual void VarModifiedChanged() = 0;
};

// Relative difficulty of each day, Monday first (index day - 1).
inline constexpr std::array<double, 6> DayWeights{0.15, 0.20, 0.15, 0.20, 0.15, 0.15};

class SharedState {
 public:
  // Planning options (1 = on), set by the planning dialogs.
  uint8_t PlaceToFair = 1;
  uint8_t UseAttachedRooms = 1;
  uint8_t UseSepQuants = 1;
  uint8_t UseParallels = 1;
  uint8_t OptimizeQueue = 1;
  uint8_t VerticalView = 1;
  uint8_t DetailsVertical = 0;

  // The open variant window: set by it when built, cleared when it goes.
  IVarsWindow* CurVarsWindow = nullptr;
  // The project parameter record and the variant options record in use.
  const void* ProjParams = nullptr;
  void* VarOptions = nullptr;
  // The project's rooms and subjects as the open variant sees them, and the
  // run-time klasses and teachers built for it.
  TRoomsCollection* CurRooms = nullptr;
  TSubjectsCollection* CurSubjects = nullptr;
  TRTIKlassesCollection* CurKlasses = nullptr;
  TRTITeachersCollection* CurTeachers = nullptr;

  uint8_t CurDay = 0;          // 1..6, Monday..Saturday
  uint8_t PlanningRegime = 0;  // 0 manual, 2 automatic
  uint8_t VarIsNew = 0;
  uint8_t PlanningRunning = 0;
  uint8_t AbortPlanning = 0;
  uint8_t WaitUser = 0;
  uint8_t AutoSaving = 0;
  uint8_t FindBest = 0;
  uint32_t SolutionsFound = 0;
  int32_t BestDepth = 0;  // -1 while nothing has been shown
  std::filesystem::path LastAutoSavedFile;
  uint32_t CurGroup = 0;
  uint32_t GroupSize = 0;
  uint8_t ReplanGroupLessons = 0;
  uint8_t WorkDays = 0;

  // Work arrays of the day search.
  int32_t* KlassOrder = nullptr;
  int32_t* VariantOffsets = nullptr;
  int32_t* CurChoice = nullptr;
  int32_t* LiveCounts = nullptr;
  uint32_t TeacherPairBytes = 0;
  uint32_t TeacherBitsBytes = 0;
  uint32_t KlassBitsBytes = 0;
  uint32_t CompatRowBytes = 0;

  int32_t ExclusionCount = 0;
  int32_t ExclusionBytes = 0;

  bool GetVarModified() const { return VarModified != 0; }
  // Tells the open variant window only when the value really changes.
  void SetVarModified(bool value);

 private:
  uint8_t VarModified = 0;
};

SharedState& Shared();

inline bool GetVarModified() { return Shared().GetVarModified(); }
inline void SetVarModified(bool value) { Shared().SetVarModified(value); }

}  // namespace korvant
