#include "core/variant/table_var.h"

#include <algorithm>

namespace korvant {

TTableVarItem::TTableVarItem(TRunModel* model, int teacherCount, int lessonsPerDay, int klassCount)
    : model_(model),
      teacherCount_(std::max(teacherCount, 0)),
      L_(std::clamp(lessonsPerDay, 1, kMaxLessonsPerDay)),
      klassCount_(std::max(klassCount, 0)),
      roomCount_(model ? model->Rooms.Count() : 0),
      fair_(static_cast<std::size_t>(klassCount_) * 6 * static_cast<std::size_t>(L_), kEmptyCell),
      draft_(fair_.size(), kEmptyCell),
      rooms_(static_cast<std::size_t>(roomCount_) * 6 * static_cast<std::size_t>(L_), TRoomCell{}) {}

int TTableVarItem::Index(int row, int day, int hour) const {
  if (row < 0 || day < 1 || day > 6 || hour < 1 || hour > L_) return -1;
  return row * 6 * L_ + (day - 1) * L_ + (hour - 1);
}

TTableCell TTableVarItem::GetCell(int klass, int day, int hour) const {
  const int i = klass < klassCount_ ? Index(klass, day, hour) : -1;
  return i < 0 ? kEmptyCell : fair_[static_cast<std::size_t>(i)];
}

TTableCell TTableVarItem::GetDraftCell(int klass, int day, int hour) const {
  const int i = klass < klassCount_ ? Index(klass, day, hour) : -1;
  return i < 0 ? kEmptyCell : draft_[static_cast<std::size_t>(i)];
}

void TTableVarItem::SetDraftCell(int klass, int day, int hour, const TTableCell& cell) {
  const int i = klass < klassCount_ ? Index(klass, day, hour) : -1;
  if (i >= 0) draft_[static_cast<std::size_t>(i)] = cell;
}

TRoomCell TTableVarItem::GetRoomCell(int room, int day, int hour) const {
  const int i = room < roomCount_ ? Index(room, day, hour) : -1;
  return i < 0 ? TRoomCell{} : rooms_[static_cast<std::size_t>(i)];
}

void TTableVarItem::SetRoomCell(int room, int day, int hour, const TRoomCell& cell) {
  const int i = room < roomCount_ ? Index(room, day, hour) : -1;
  if (i >= 0) rooms_[static_cast<std::size_t>(i)] = cell;
}

const TRTILessonItem* TTableVarItem::LessonAt(int klass, int lesson) const {
  return model_ ? model_->KlassLesson(klass, lesson) : nullptr;
}

int TTableVarItem::GroupCountOf(int klass, int lesson) const {
  const TRTILessonItem* l = LessonAt(klass, lesson);
  return l ? std::min(l->SubItemsCount(), kMaxLessonGroups) : 0;
}

void TTableVarItem::SetCell(int klass, int day, int hour, const TTableCell& cell) {
  const int i = klass < klassCount_ ? Index(klass, day, hour) : -1;
  if (i < 0) return;
  fair_[static_cast<std::size_t>(i)] = cell;
  if (!RoomBookkeeping) return;
  // Every room the klass held at this hour is given back first, so a room
  // replaced in this write, or held by a group the new lesson lacks, is
  // never left occupied.
  bool freed = false;
  for (int r = 0; r < roomCount_; ++r) {
    TRoomCell& rc = rooms_[static_cast<std::size_t>(Index(r, day, hour))];
    if (rc.Klass == klass) {
      rc.Klass = -1;
      freed = true;
    }
  }
  const auto take = [&](int k, const TTableCell& c) {
    const int groups = GroupCountOf(k, c.Lesson);
    for (int g = 0; g < groups; ++g) {
      const uint16_t room = c.Rooms[static_cast<std::size_t>(g)];
      if (room == kNoRoom || room >= roomCount_) continue;
      TRoomCell& rc = rooms_[static_cast<std::size_t>(Index(room, day, hour))];
      if (k == klass || rc.Klass < 0) rc = {k, static_cast<uint16_t>(c.Lesson), static_cast<uint16_t>(g)};
    }
  };
  if (cell.Lesson >= 0) take(klass, cell);
  if (!freed) return;
  // The grid keeps one holder per room and hour. A room given back here that
  // another klass's cell at this hour still names (the klasses of a joint
  // lesson share one) goes to that cell, or it would look free while taken.
  for (int k = 0; k < klassCount_; ++k) {
    if (k == klass) continue;
    const TTableCell& other = fair_[static_cast<std::size_t>(Index(k, day, hour))];
    if (other.Lesson >= 0) take(k, other);
  }
}

bool TTableVarItem::Assign(const TTableVarItem& src) {
  if (&src == this) return true;
  if (src.fair_.size() != fair_.size() || src.rooms_.size() != rooms_.size() || src.L_ != L_ ||
      src.klassCount_ != klassCount_)
    return false;
  fair_ = src.fair_;
  draft_ = src.draft_;
  rooms_ = src.rooms_;
  return true;
}

void TTableVarItem::ClearDay(int day) {
  if (day < 1 || day > 6) return;
  for (int k = 0; k < klassCount_; ++k)
    for (int h = 1; h <= L_; ++h) {
      SetCell(k, day, h, kEmptyCell);
      SetDraftCell(k, day, h, kEmptyCell);
    }
}

void TTableVarItem::ClearDayRooms(int day) {
  if (day < 1 || day > 6) return;
  for (int k = 0; k < klassCount_; ++k)
    for (int h = 1; h <= L_; ++h) {
      TTableCell c = GetCell(k, day, h);
      c.Rooms.fill(kNoRoom);
      SetCell(k, day, h, c);
    }
}

void TTableVarItem::RebuildRoomGrid() {
  std::fill(rooms_.begin(), rooms_.end(), TRoomCell{});
  const uint8_t keep = RoomBookkeeping;
  RoomBookkeeping = 1;
  for (int k = 0; k < klassCount_; ++k)
    for (int d = 1; d <= 6; ++d)
      for (int h = 1; h <= L_; ++h) SetCell(k, d, h, GetCell(k, d, h));
  RoomBookkeeping = keep;
}

bool TTableVarItem::DayIsEmpty(int day) const {
  for (int k = 0; k < klassCount_; ++k)
    for (int h = 1; h <= L_; ++h)
      if (GetCell(k, day, h).Lesson >= 0 || GetDraftCell(k, day, h).Lesson >= 0) return false;
  return true;
}

bool TTableVarItem::GroupDayIsEmpty(int day, int row) const {
  if (!model_) return true;
  const TRTITeachersCollection& teachers = model_->Teachers;
  for (int k = 0; k < klassCount_; ++k)
    for (int h = 1; h <= L_; ++h)
      for (const TTableCell& c : {GetCell(k, day, h), GetDraftCell(k, day, h)}) {
        const TRTILessonItem* l = LessonAt(k, c.Lesson);
        if (!l) continue;
        for (int g = 0; g < l->SubItemsCount(); ++g) {
          const int t = l->GetSubItem(g)->TeacherID;
          if (t >= 0 && teachers.InGroupRow(t, row)) return false;
        }
      }
  return true;
}

void TTableVarItem::CloseUpDraft(int klass, int day) {
  if (klass < 0 || klass >= klassCount_ || day < 1 || day > 6) return;
  std::vector<TTableCell> kept;
  for (int h = 1; h <= L_; ++h) {
    const TTableCell c = GetDraftCell(klass, day, h);
    if (c.Lesson >= 0) kept.push_back(c);
  }
  for (int p = 1; p <= L_; ++p) {
    if (p > static_cast<int>(kept.size())) {
      SetDraftCell(klass, day, p, kEmptyCell);
      continue;
    }
    TTableCell c = kept[static_cast<std::size_t>(p - 1)];
    c.Hour = p;
    if (c.PrevHour >= 0)
      c.PrevHour = p > 1 && kept[static_cast<std::size_t>(p - 2)].Lesson == c.Lesson ? p - 1 : -1;
    SetDraftCell(klass, day, p, c);
  }
}

// ---- file body ----

void WriteTableCell(ByteWriter& w, const TTableCell& c) {
  w.i32(c.Hour);
  w.i32(c.PrevHour);
  w.i32(c.Lesson);
  for (uint16_t r : c.Rooms) w.u16(r);
  w.u16(c.SubFlags);
}

TTableCell ReadTableCell(ByteReader& r) {
  TTableCell c;
  c.Hour = r.i32();
  c.PrevHour = r.i32();
  c.Lesson = r.i32();
  for (uint16_t& room : c.Rooms) room = r.u16();
  c.SubFlags = r.u16();
  return c;
}

void TTableVarItem::PrepareForSave(std::vector<TTableCell>& fair, std::vector<TTableCell>& draft) const {
  fair = fair_;
  draft = draft_;
  for (std::vector<TTableCell>* grid : {&fair, &draft}) {
    for (int k = 0; k < klassCount_; ++k) {
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= L_; ++h) {
          TTableCell& c = (*grid)[static_cast<std::size_t>(Index(k, d, h))];
          if (c.Lesson < 0) continue;
          const TRTILessonItem* l = LessonAt(k, c.Lesson);
          if (!l) {
            c = kEmptyCell;
            continue;
          }
          c.Lesson = l->ID();
          for (uint16_t& room : c.Rooms) {
            if (room == kNoRoom) continue;
            const TRoomItem* item = model_->Rooms.GetItem(room);
            // A room whose identifier does not fit would come back as
            // another room; the save refuses before it gets here.
            room = item && FitsVarFile(item->ID()) ? static_cast<uint16_t>(item->ID()) : kNoRoom;
          }
        }
      const TKlassItem* klass = model_ ? model_->Klasses.GetItem(k) : nullptr;
      // A mark cut to 16 bits would name another klass: such a row goes
      // unmarked and is dropped on reading instead.
      const uint32_t mark = klass && FitsVarFile(klass->ID()) ? static_cast<uint32_t>(klass->ID() + 1) : 0;
      TTableCell& first = (*grid)[static_cast<std::size_t>(Index(k, 1, 1))];
      first.Hour = static_cast<int32_t>((static_cast<uint32_t>(first.Hour) & 0xFFFFu) | (mark << 16));
    }
  }
}

void TTableVarItem::SaveToStream(ByteWriter& w) const {
  std::vector<TTableCell> fair, draft;
  PrepareForSave(fair, draft);
  for (const TTableCell& c : fair) WriteTableCell(w, c);
  for (const TTableCell& c : draft) WriteTableCell(w, c);
}

bool TTableVarItem::LoadFromStream(ByteReader& r, int storedKlasses, int storedL) {
  if (storedKlasses < 0 || storedL < 1 || storedL > kMaxLessonsPerDay) return false;
  const uint64_t cells = uint64_t(storedKlasses) * 6 * uint64_t(storedL);
  if (!r.has(cells * 2 * kTableCellBytes)) return false;
  std::vector<TTableCell> fair(static_cast<std::size_t>(cells)), draft(static_cast<std::size_t>(cells));
  for (TTableCell& c : fair) c = ReadTableCell(r);
  for (TTableCell& c : draft) c = ReadTableCell(r);
  if (!r.ok()) return false;
  MapLoadedGrids(fair, draft, storedKlasses, storedL);
  RebuildRoomGrid();
  return true;
}

void TTableVarItem::MapLoadedGrids(const std::vector<TTableCell>& fair, const std::vector<TTableCell>& draft,
                                   int storedKlasses, int storedL) {
  RoomBookkeeping = 0;
  const int n = std::min(L_, storedL);
  const std::size_t rowCells = 6 * static_cast<std::size_t>(storedL);
  const std::size_t stored = std::min({fair.size(), draft.size(), static_cast<std::size_t>(storedKlasses) * rowCells});
  const int rows = static_cast<int>(stored / rowCells);
  for (int g = 0; g < 2; ++g) {
    const std::vector<TTableCell>& src = g == 0 ? fair : draft;
    std::vector<TTableCell>& dst = g == 0 ? fair_ : draft_;
    std::fill(dst.begin(), dst.end(), kEmptyCell);
    for (int k = 0; k < klassCount_; ++k) {
      const TKlassItem* klass = model_ ? model_->Klasses.GetItem(k) : nullptr;
      if (!klass) continue;
      int from = -1;
      for (int j = 0; j < rows && from < 0; ++j) {
        const uint32_t high = static_cast<uint32_t>(src[static_cast<std::size_t>(j) * rowCells].Hour) >> 16;
        if (static_cast<int64_t>(high) - 1 == klass->ID()) from = j;
      }
      if (from >= 0)
        for (int d = 1; d <= 6; ++d)
          for (int h = 1; h <= n; ++h)
            dst[static_cast<std::size_t>(Index(k, d, h))] =
                src[static_cast<std::size_t>(from) * rowCells + static_cast<std::size_t>((d - 1) * storedL + h - 1)];
      // The klass mark goes; the hour comes back with its sign.
      TTableCell& first = dst[static_cast<std::size_t>(Index(k, 1, 1))];
      first.Hour = static_cast<int16_t>(static_cast<uint32_t>(first.Hour) & 0xFFFFu);
      // Identifiers back to indices; vanished lessons and rooms drop out.
      const TRTIKlassItem* rk = model_->Klasses.GetItem(k);
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= L_; ++h) {
          TTableCell& c = dst[static_cast<std::size_t>(Index(k, d, h))];
          if (c.Lesson < 0) {
            c = kEmptyCell;
            continue;
          }
          const int li = rk->Lessons.IndexOfID(c.Lesson);
          if (li < 0) {
            c = kEmptyCell;
            continue;
          }
          c.Lesson = li;
          // Every writer keeps a cell's hour at its own place and the hour
          // before it as the block's link; stored values that say otherwise
          // would not survive the next save in the klass's first cell. A
          // block goes on only from a cell of the same lesson: a cell that
          // says it continues one after another lesson starts its own.
          c.Hour = h;
          if (c.PrevHour >= 0)
            c.PrevHour = h > 1 && dst[static_cast<std::size_t>(Index(k, d, h - 1))].Lesson == li ? h - 1 : -1;
          const int groups = std::min(rk->Lessons[li]->SubItemsCount(), kMaxLessonGroups);
          for (int i = 0; i < kMaxLessonGroups; ++i) {
            uint16_t& room = c.Rooms[static_cast<std::size_t>(i)];
            if (room == kNoRoom) continue;
            const int ri = i < groups ? model_->Rooms.IndexOfID(room) : -1;
            room = ri < 0 ? kNoRoom : static_cast<uint16_t>(ri);
          }
        }
    }
  }
  // Per-quant day marks from the grids; a lesson whose hours on a day match
  // no free block leaves that day.
  for (int k = 0; k < klassCount_ && model_; ++k) {
    TRTIKlassItem* klass = model_->Klasses.GetItem(k);
    if (!klass) continue;
    for (int li = 0; li < klass->Lessons.Count(); ++li) {
      TRTILessonItem* l = klass->Lessons[li];
      l->QuantDays.fill(0);
      for (int d = 1; d <= 6; ++d) {
        const int c = CountLessonInDay(k, li, d);
        if (c == 0) continue;
        bool marked = false;
        for (int q = 1; q <= l->QuantsCount() && !marked; ++q)
          if (l->QuantAt(q) == c && l->QuantDays[static_cast<std::size_t>(q - 1)] == 0) {
            l->QuantDays[static_cast<std::size_t>(q - 1)] = static_cast<uint16_t>(d);
            marked = true;
          }
        if (marked) continue;
        for (int h = L_; h >= 1; --h) {
          if (GetCell(k, d, h).Lesson == li) SetCell(k, d, h, kEmptyCell);
          if (GetDraftCell(k, d, h).Lesson == li) SetDraftCell(k, d, h, kEmptyCell);
        }
        CloseUpDraft(k, d);
      }
    }
  }
  RoomBookkeeping = 1;
}

}  // namespace korvant
