#include "core/project/data_checks.h"

#include <algorithm>
#include <map>
#include <unordered_map>

#include "core/common/catalogue.h"
#include "core/common/disjoint_sets.h"
#include "core/project/id_limits.h"

namespace korvant {
namespace {

constexpr int kDays = 6;

// Message numbers of the findings.
enum : int {
  kMsgNoFindings = 10224,
  kMsgNoName = 10225,
  kMsgRoomStrictGeneral = 10226,
  kMsgNoSeats = 10227,
  kMsgSubjectStrictGeneral = 10228,
  kMsgNoSanitarKf = 10229,
  kMsgBadWishedRoom = 10230,
  kMsgNoPupils = 10231,
  kMsgNoStartLessons = 10232,
  kMsgBadAttachedRoom = 10233,
  kMsgBadParallel = 10234,
  kMsgNoKlass = 10235,
  kMsgBadKlass = 10236,
  kMsgAllGroupsEmpty = 10238,
  kMsgNoSubject = 10239,
  kMsgBadSubject = 10240,
  kMsgNoTeacher = 10241,
  kMsgBadTeacher = 10242,
  kMsgPupilsSum = 10243,
  kMsgNoLayout = 10244,
  kMsgBadLink = 10245,
  kMsgLinkNotMutual = 10246,
  kMsgLinkTeacher = 10248,
  kMsgLinkSubject = 10249,
  kMsgLinkLayout = 10250,
  kMsgKlassDays = 10251,
  kMsgTeacherDays = 10252,
  kMsgBadSeparated = 10255,
  kMsgHoursBegin = 10262,
  kMsgHoursMiddle = 10263,
  kMsgHoursEnd = 10264,
  kMsgFreeHours = 10265,
  kMsgKlassIDTooLarge = 10403,
  kMsgRoomIDTooLarge = 10404,
  kMsgLessonIDTooLarge = 10412,
  kMsgLinkToItself = 10413,
  kMsgLinkedInOneKlass = 10417,
  kMsgTeacherTwice = 10418,
  kMsgUnknownRoom = 10064,
  kMsgUnknownSubject = 10065,
  kMsgUnknownKlass = 10066,
  kMsgUnknownTeacher = 10067,
  kMsgGroup = 10138,
};

int ClampL(int l) { return std::clamp(l, 1, kMaxLessonsPerDay); }

int Slot(int day, int lesson) { return (day - 1) * kSlotsPerDay + lesson; }

bool Usable(TTeacherHourCell c) { return c.Restricted == 0 || c.Level != 0; }

std::array<int, kDays> UsableHoursPerDay(const TTeacherItem& t, int l) {
  std::array<int, kDays> perDay{};
  for (int d = 1; d <= kDays; ++d)
    for (int h = 1; h <= l; ++h)
      if (Usable(t.GetBusy(Slot(d, h)))) ++perDay[static_cast<std::size_t>(d - 1)];
  return perDay;
}

// Lines of one page; the "no findings" line is added when none came.
class Page {
 public:
  Page(IDataReport& report, int kind, const CheckPump& pump) : report_(report), kind_(kind) {
    report_.ClearPage(kind_);
    if (pump) pump();
  }
  void Add(const std::string& text) {
    report_.AddLine(kind_, text);
    found_ = true;
  }
  void Add(const std::string& who, int msg) { Add(who + ": " + LoadResStr(msg)); }
  void Finish() {
    if (!found_) report_.AddLine(kind_, LoadResStr(kMsgNoFindings));
  }

 private:
  IDataReport& report_;
  int kind_;
  bool found_ = false;
};

// Identifier -> first position holding it, as IndexOfID answers, without
// a linear search per reference.
template <class Coll>
std::unordered_map<int32_t, int> IndexByID(const Coll& c) {
  std::unordered_map<int32_t, int> m;
  m.reserve(static_cast<std::size_t>(c.Count()));
  for (int i = 0; i < c.Count(); ++i) m.emplace(c[i]->ID(), i);
  return m;
}

int Find(const std::unordered_map<int32_t, int>& m, int32_t id) {
  auto it = m.find(id);
  return it == m.end() ? -1 : it->second;
}

bool SameQuants(const TLessonItem& a, const TLessonItem& b) {
  for (int i = 1; i <= kQuantWords; ++i)
    if (a.GetQuant(i) != b.GetQuant(i)) return false;
  return true;
}

// What the links of the lessons together say, beyond each link: a joint
// lesson stands at one hour in every klass it takes in, through every
// group and along every chain of links, so it may take in one lesson of a
// klass; and groups at one hour that no link joins into one group need
// teachers of their own.
struct JointFindings {
  std::vector<uint8_t> oneKlass;                                    // per lesson
  std::vector<std::array<uint8_t, kMaxLessonGroups>> teacherTwice;  // per lesson and group
};

JointFindings FindJointFindings(const TLessonsCollection& lessons,
                                const std::unordered_map<int32_t, int>& lessonIndex,
                                const std::unordered_map<int32_t, int>& klassIndex) {
  const auto n = static_cast<std::size_t>(lessons.Count());
  TDisjointSets sets(n), groups(n * kMaxLessonGroups);
  const auto node = [](std::size_t lesson, int g) { return lesson * kMaxLessonGroups + static_cast<std::size_t>(g); };
  for (std::size_t i = 0; i < n; ++i) {
    const TLessonItem& lesson = *lessons[static_cast<int>(i)];
    for (int g = 0; g < lesson.SubItemsCount(); ++g) {
      const TLessonSubItem& grp = *lesson.GetSubItem(g);
      for (int l = 1, c = grp.LinksCount(); l <= c; ++l) {
        const TLessonLink link = grp.GetLink(l);
        const int j = Find(lessonIndex, link.LessonID);
        if (j < 0 || static_cast<std::size_t>(j) == i || !lessons[j]->GetSubItem(link.GroupIndex)) continue;
        sets.Join(i, static_cast<std::size_t>(j));
        groups.Join(node(i, g), node(static_cast<std::size_t>(j), link.GroupIndex));
      }
    }
  }
  std::vector<std::vector<std::size_t>> members(n);
  for (std::size_t i = 0; i < n; ++i) members[sets.Find(i)].push_back(i);
  JointFindings f;
  f.oneKlass.assign(n, 0);
  f.teacherTwice.assign(n, {});
  for (const std::vector<std::size_t>& set : members) {
    std::vector<int> klasses;
    std::unordered_map<int32_t, std::vector<std::size_t>> taught;  // teacher -> groups joined
    for (std::size_t i : set) {
      const TLessonItem& lesson = *lessons[static_cast<int>(i)];
      if (const int k = Find(klassIndex, lesson.KlassID); k >= 0) klasses.push_back(k);
      for (int g = 0; g < lesson.SubItemsCount(); ++g) {
        const int32_t t = lesson.GetSubItem(g)->TeacherID;
        if (t < 0) continue;
        std::vector<std::size_t>& seen = taught[t];
        const std::size_t here = groups.Find(node(i, g));
        if (std::find(seen.begin(), seen.end(), here) != seen.end()) continue;
        if (!seen.empty()) f.teacherTwice[i][static_cast<std::size_t>(g)] = 1;
        seen.push_back(here);
      }
    }
    std::sort(klasses.begin(), klasses.end());
    if (std::adjacent_find(klasses.begin(), klasses.end()) != klasses.end())
      for (std::size_t i : set) f.oneKlass[i] = 1;
  }
  return f;
}

}  // namespace

// ---- report pages ----

void TDataReportPages::ClearPage(int kind) {
  if (kind < 0 || kind >= kCheckPageCount) return;
  pages_[static_cast<std::size_t>(kind)].clear();
  active_ = kind;
  counter_ = 0;
}

void TDataReportPages::AddLine(int kind, const std::string& text) {
  if (kind < 0 || kind >= kCheckPageCount) return;
  ++counter_;
  pages_[static_cast<std::size_t>(kind)].push_back(std::to_string(counter_) + ". " + text);
}

const std::vector<std::string>& TDataReportPages::Lines(int kind) const {
  static const std::vector<std::string> kNone;
  return kind >= 0 && kind < kCheckPageCount ? pages_[static_cast<std::size_t>(kind)] : kNone;
}

// ---- helpers ----

int TeacherFreeHours(const TTeacherItem& teacher, int l) {
  l = ClampL(l);
  auto perDay = UsableHoursPerDay(teacher, l);
  int total = 0;
  for (int c : perDay) total += c;
  for (int n = WantedFreeDays(teacher); n > 0; --n) {
    std::size_t best = 0;
    for (std::size_t d = 1; d < perDay.size(); ++d)
      if (perDay[d] < perDay[best]) best = d;
    total -= perDay[best];
    perDay[best] = l + 1;
  }
  return total;
}

int TeacherWorkingDays(const TTeacherItem& teacher, int l) {
  l = ClampL(l);
  int days = 0;
  for (int c : UsableHoursPerDay(teacher, l))
    if (c > 0) ++days;
  return std::min(days, MostTeachingDays(teacher));
}

int KlassWorkingDays(const TKlassItem& klass, int l) {
  l = ClampL(l);
  int days = 0;
  for (int d = 1; d <= kDays; ++d)
    for (int h = 1; h <= l; ++h)
      if (klass.GetBusy(Slot(d, h)) == 0) {
        ++days;
        break;
      }
  return days;
}

int LessonDaysNeeded(const TLessonItem& lesson) {
  const int blocks = lesson.QuantsCount();
  const int separated = lesson.SepQuantsCount();
  return std::max(blocks - separated, separated);
}

bool SeparatedBlocksMatch(const TLessonItem& lesson) {
  // Each block may stand for one separated length only.
  std::map<int, int> blocks;
  for (int i = 1, n = lesson.QuantsCount(); i <= n; ++i) ++blocks[lesson.QuantAt(i)];
  for (int i = 0, n = lesson.SepQuantsCount(); i < n; ++i) {
    int& left = blocks[lesson.GetQuant(kQuantWords - i)];
    if (left == 0) return false;
    --left;
  }
  return true;
}

// ---- the checks ----

void CheckRooms(const TRoomsCollection& rooms, IDataReport* report, const CheckPump& pump) {
  if (!report) return;
  Page page(*report, kCheckRooms, pump);
  const std::string unknown = LoadResStr(kMsgUnknownRoom);
  for (const auto& r : rooms) {
    const std::string name = r->DisplayName();
    if (name == unknown) page.Add(name, kMsgNoName);
    if (r->Specialization == 0 && r->NotStrict == 0) page.Add(name, kMsgRoomStrictGeneral);
    if (r->MaxChildren == 0) page.Add(name, kMsgNoSeats);
    if (!FitsVarFile(r->ID())) page.Add(name, kMsgRoomIDTooLarge);
  }
  page.Finish();
}

void CheckSubjects(const TSubjectsCollection& subjects, const TRoomsCollection& rooms,
                   IDataReport* report, const CheckPump& pump) {
  if (!report) return;
  Page page(*report, kCheckSubjects, pump);
  const std::string unknown = LoadResStr(kMsgUnknownSubject);
  const auto roomIndex = IndexByID(rooms);
  for (const auto& s : subjects) {
    const std::string name = s->DisplayName();
    if (name == unknown) page.Add(name, kMsgNoName);
    if (s->Specialization == 0 && s->NotStrict == 0) page.Add(name, kMsgSubjectStrictGeneral);
    if (s->SanitarKf == 0) page.Add(name, kMsgNoSanitarKf);
    for (int i = 0, n = s->WishedRoomCount(); i < n; ++i)
      if (Find(roomIndex, s->GetWishedRoom(i)) < 0) {
        page.Add(name, kMsgBadWishedRoom);
        break;
      }
  }
  page.Finish();
}

void CheckKlasses(const TKlassesCollection& klasses, const TRoomsCollection& rooms,
                  IDataReport* report, const CheckPump& pump) {
  if (!report) return;
  Page page(*report, kCheckKlasses, pump);
  const std::string unknown = LoadResStr(kMsgUnknownKlass);
  const auto roomIndex = IndexByID(rooms);
  const auto klassIndex = IndexByID(klasses);
  for (const auto& k : klasses) {
    const std::string name = k->DisplayName();
    if (name == unknown) page.Add(name, kMsgNoName);
    if (k->ChildrenInKlass == 0) page.Add(name, kMsgNoPupils);
    if (k->GetStartLesson(1) < 0) page.Add(name, kMsgNoStartLessons);
    if (k->KlassRoom != -1 && Find(roomIndex, k->KlassRoom) < 0) page.Add(name, kMsgBadAttachedRoom);
    for (int i = 1; i <= kMaxParallels && k->GetParallel(i) >= 0; ++i)
      if (Find(klassIndex, k->GetParallel(i)) < 0) {
        page.Add(name, kMsgBadParallel);
        break;
      }
    if (!FitsVarFile(k->ID())) page.Add(name, kMsgKlassIDTooLarge);
  }
  page.Finish();
}

void CheckTeachers(const TTeachersCollection& teachers, const TRoomsCollection& rooms, int l,
                   IDataReport* report, const CheckPump& pump) {
  if (!report) return;
  Page page(*report, kCheckTeachers, pump);
  const std::string unknown = LoadResStr(kMsgUnknownTeacher);
  const auto roomIndex = IndexByID(rooms);
  for (const auto& t : teachers) {
    const std::string name = t->DisplayName();
    if (name == unknown) page.Add(name, kMsgNoName);
    if (t->TeacherRoom != -1 && Find(roomIndex, t->TeacherRoom) < 0) page.Add(name, kMsgBadAttachedRoom);
    if (t->PlanLessCnt > TeacherFreeHours(*t, l)) page.Add(name, kMsgFreeHours);
  }
  page.Finish();
}

void CheckLessons(const TLessonsCollection& lessons, const TKlassesCollection& klasses,
                  const TSubjectsCollection& subjects, const TTeachersCollection& teachers,
                  int l, IDataReport* report, const CheckPump& pump) {
  if (!report) return;
  Page page(*report, kCheckLessons, pump);
  l = ClampL(l);
  const auto klassIndex = IndexByID(klasses);
  const auto subjectIndex = IndexByID(subjects);
  const auto teacherIndex = IndexByID(teachers);
  const auto lessonIndex = IndexByID(lessons);
  std::vector<int> hours(static_cast<std::size_t>(teachers.Count()), 0);
  const std::string groupWord = LoadResStr(kMsgGroup);
  const JointFindings joint = FindJointFindings(lessons, lessonIndex, klassIndex);

  for (int li = 0; li < lessons.Count(); ++li) {
    const TLessonItem& lesson = *lessons[li];
    const int groups = lesson.SubItemsCount();
    bool namedOneKlass = false;

    // The label: klass, then the groups' subjects.
    int klassMsg = 0;
    const TKlassItem* klass = nullptr;
    if (lesson.KlassID < 0) {
      klassMsg = kMsgNoKlass;
    } else {
      klass = klasses[Find(klassIndex, lesson.KlassID)];
      if (!klass) klassMsg = kMsgBadKlass;
    }
    std::string label = klass ? klass->DisplayName() : LoadResStr(kMsgUnknownKlass);
    bool allEmpty = true;
    int pupils = 0;
    for (int g = 0; g < groups; ++g) {
      const TLessonSubItem& grp = *lesson.GetSubItem(g);
      label += g == 0 ? ", " : "/";
      const TSubjectItem* subject = grp.SubjectID < 0 ? nullptr : subjects[Find(subjectIndex, grp.SubjectID)];
      label += subject ? subject->DisplayName() : "-----";
      if (!grp.IsEmpty()) allEmpty = false;
      pupils += grp.ChildrenInGroup;
    }

    if (klassMsg) page.Add(label, klassMsg);
    if (lesson.QuantAt(1) == 0) page.Add(label, kMsgNoLayout);
    if (lesson.GetQuant(kQuantWords) != 0 && !SeparatedBlocksMatch(lesson)) page.Add(label, kMsgBadSeparated);
    const int daysNeeded = LessonDaysNeeded(lesson);
    if (klass && KlassWorkingDays(*klass, l) < daysNeeded) page.Add(label, kMsgKlassDays);
    if (allEmpty) page.Add(label, kMsgAllGroupsEmpty);
    if (klass && klass->ChildrenInKlass != pupils) page.Add(label, kMsgPupilsSum);
    if (!LessonFitsVarFile(lesson.ID())) page.Add(label, kMsgLessonIDTooLarge);

    for (int g = 0; g < groups; ++g) {
      const TLessonSubItem& grp = *lesson.GetSubItem(g);
      const std::string who = label + ", " + groupWord + " " + std::to_string(g + 1);
      if (!grp.IsEmpty()) {
        if (grp.SubjectID < 0)
          page.Add(who, kMsgNoSubject);
        else if (Find(subjectIndex, grp.SubjectID) < 0)
          page.Add(who, kMsgBadSubject);
        const int t = grp.TeacherID < 0 ? -1 : Find(teacherIndex, grp.TeacherID);
        if (grp.TeacherID < 0) {
          page.Add(who, kMsgNoTeacher);
        } else if (t < 0) {
          page.Add(who, kMsgBadTeacher);
        } else {
          if (TeacherWorkingDays(*teachers[t], l) < daysNeeded) page.Add(who, kMsgTeacherDays);
          if (joint.teacherTwice[static_cast<std::size_t>(li)][static_cast<std::size_t>(g)])
            page.Add(who, kMsgTeacherTwice);
          // A joint lesson counts once, on its lesson of the smallest
          // identifier; only a real link to the same teacher's group is a
          // joint lesson.
          bool countedElsewhere = false;
          for (int i = 1, n = grp.LinksCount(); i <= n && !countedElsewhere; ++i) {
            const TLessonLink link = grp.GetLink(i);
            if (link.LessonID >= lesson.ID()) continue;
            const TLessonItem* other = lessons[Find(lessonIndex, link.LessonID)];
            const TLessonSubItem* og = other ? other->GetSubItem(link.GroupIndex) : nullptr;
            countedElsewhere = og && og->TeacherID == grp.TeacherID;
          }
          if (!countedElsewhere) hours[static_cast<std::size_t>(t)] += lesson.QuantsSum();
        }
      }
      for (int i = 1, n = grp.LinksCount(); i <= n; ++i) {
        const TLessonLink link = grp.GetLink(i);
        // A link to its own lesson joins nothing and names itself as its
        // own counterpart, so the checks below would pass it.
        if (link.LessonID == lesson.ID()) {
          page.Add(who, kMsgLinkToItself);
          break;
        }
        const TLessonItem* other = lessons[Find(lessonIndex, link.LessonID)];
        if (!other || !other->GetSubItem(link.GroupIndex)) {
          page.Add(who, kMsgBadLink);
          break;
        }
        const TLessonSubItem* back = nullptr;
        for (int og = 0; og < other->SubItemsCount() && !back; ++og) {
          const TLessonSubItem* cand = other->GetSubItem(og);
          for (int j = 1, m = cand->LinksCount(); j <= m; ++j)
            if (cand->GetLink(j) == TLessonLink{lesson.ID(), g}) {
              back = cand;
              break;
            }
        }
        if (!back) {
          page.Add(who, kMsgLinkNotMutual);
          break;
        }
        if (back->TeacherID != grp.TeacherID) {
          page.Add(who, kMsgLinkTeacher);
          break;
        }
        if (back->SubjectID != grp.SubjectID) {
          page.Add(who, kMsgLinkSubject);
          break;
        }
        if (!SameQuants(*other, lesson)) {
          page.Add(who, kMsgLinkLayout);
          break;
        }
        // A joint lesson stands at one hour in every klass it joins, and a
        // klass's hour holds one lesson: two lessons of one klass in it
        // cannot both be planned, and the variant could not be saved.
        bool oneKlass = lesson.KlassID >= 0 && other->KlassID == lesson.KlassID;
        for (int j = 1; j < i && !oneKlass; ++j) {
          const TLessonLink before = grp.GetLink(j);
          const TLessonItem* earlier = lessons[Find(lessonIndex, before.LessonID)];
          oneKlass = earlier && before.LessonID != link.LessonID && other->KlassID >= 0 && earlier->KlassID == other->KlassID;
        }
        if (oneKlass) {
          page.Add(who, kMsgLinkedInOneKlass);
          namedOneKlass = true;
          break;
        }
      }
    }
    if (joint.oneKlass[static_cast<std::size_t>(li)] && !namedOneKlass) page.Add(label, kMsgLinkedInOneKlass);
  }

  for (int t = 0; t < teachers.Count(); ++t) {
    const TTeacherItem& teacher = *teachers[t];
    const int h = hours[static_cast<std::size_t>(t)];
    if (h != teacher.PlanLessCnt)
      page.Add(teacher.DisplayName() + ": " + LoadResStr(kMsgHoursBegin) + std::to_string(h) +
               LoadResStr(kMsgHoursMiddle) + std::to_string(teacher.PlanLessCnt) + LoadResStr(kMsgHoursEnd));
  }
  page.Finish();
}

void CheckProjectData(const TProjectData& data, IDataReport* report, const CheckPump& pump) {
  const int l = data.Params.LessonsPerDay;
  CheckRooms(data.Rooms, report, pump);
  CheckSubjects(data.Subjects, data.Rooms, report, pump);
  CheckKlasses(data.Klasses, data.Rooms, report, pump);
  CheckTeachers(data.Teachers, data.Rooms, l, report, pump);
  CheckLessons(data.Lessons, data.Klasses, data.Subjects, data.Teachers, l, report, pump);
}

}  // namespace korvant
