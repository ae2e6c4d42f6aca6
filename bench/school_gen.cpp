#include "school_gen.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/cp1251.h"

namespace korvant {
namespace {

// A portable random source: the standard distributions and std::shuffle
// differ between libraries, so a school would differ between machines.
class Rng {
 public:
  explicit Rng(uint32_t seed) : g_(seed) {}
  int Range(int lo, int hi) { return lo + static_cast<int>(g_() % static_cast<uint32_t>(hi - lo + 1)); }
  bool Chance(int percent) { return Range(0, 99) < percent; }
  template <class T> void Shuffle(std::vector<T>& v) {
    for (std::size_t i = v.size(); i > 1; --i) std::swap(v[i - 1], v[static_cast<std::size_t>(Range(0, static_cast<int>(i) - 1))]);
  }

 private:
  std::mt19937 g_;
};

std::string T(const char* utf8) { return cp1251::fromUtf8(utf8); }

enum Subj { Rus, Lit, Math, Alg, Geom, Eng, Hist, Soc, Geo, Bio, Phys, Chem, Inf, Pe, Tech, Music, Art, SubjCount };

struct SubjectDef {
  const char* name;
  uint16_t kf;
  uint8_t specialization;
  bool strict;
  std::array<int, 7> hours;  // grades 5..11
};

const std::array<SubjectDef, SubjCount> kSubjects{{
    {"Русский язык", 11, 4, false, {5, 5, 4, 3, 3, 2, 2}},
    {"Литература", 7, 4, false, {3, 3, 2, 2, 3, 3, 3}},
    {"Математика", 10, 1, false, {5, 5, 0, 0, 0, 0, 0}},
    {"Алгебра", 10, 1, false, {0, 0, 3, 3, 3, 3, 3}},
    {"Геометрия", 11, 1, false, {0, 0, 2, 2, 2, 2, 2}},
    {"Английский язык", 10, 7, false, {3, 3, 3, 3, 3, 3, 3}},
    {"История", 8, 5, false, {2, 2, 2, 2, 2, 2, 2}},
    {"Обществознание", 6, 5, false, {0, 0, 0, 1, 1, 2, 2}},
    {"География", 6, 6, false, {1, 1, 2, 2, 2, 1, 1}},
    {"Биология", 7, 6, false, {1, 1, 2, 2, 2, 1, 1}},
    {"Физика", 12, 2, true, {0, 0, 2, 2, 3, 2, 2}},
    {"Химия", 11, 3, true, {0, 0, 0, 2, 2, 2, 2}},
    {"Информатика", 7, 9, true, {0, 0, 1, 1, 1, 1, 1}},
    {"Физкультура", 3, 10, true, {3, 3, 3, 3, 3, 3, 3}},
    {"Технология", 4, 11, false, {2, 2, 2, 1, 0, 0, 0}},
    {"Музыка", 3, 0, false, {1, 1, 1, 1, 0, 0, 0}},
    {"ИЗО", 3, 0, false, {1, 1, 1, 0, 0, 0, 0}},
}};

// Subjects a teacher of each profile teaches; the first names the room kind.
struct ProfileDef {
  std::vector<Subj> subjects;
  const char* roomName;  // teachers' own rooms; null: laboratories
};

// A function-local table: the generator may run from static initialisers
// of the benchmark programs, before this file's own globals are built.
const std::array<ProfileDef, 8>& Profiles() {
  static const std::array<ProfileDef, 8> profiles{{
      {{Rus, Lit}, "русский язык"},
      {{Math, Alg, Geom, Inf}, "математика"},
      {{Eng}, "английский язык"},
      {{Hist, Soc}, "история"},
      {{Geo, Bio}, "биология"},
      {{Phys, Chem}, nullptr},
      {{Pe}, nullptr},
      {{Tech, Music, Art}, "технология"},
  }};
  return profiles;
}

int ProfileOf(Subj s) {
  for (std::size_t p = 0; p < Profiles().size(); ++p)
    for (Subj x : Profiles()[p].subjects)
      if (x == s) return static_cast<int>(p);
  return 0;
}

const char* const kSurnames[] = {
    "Иванов",   "Смирнов", "Кузнецов", "Попов",   "Васильев", "Петров",  "Соколов", "Михайлов",
    "Новиков",  "Фёдоров", "Морозов",  "Волков",  "Алексеев", "Лебедев", "Семёнов", "Егоров",
    "Павлов",   "Козлов",  "Степанов", "Николаев", "Орлов",   "Андреев", "Макаров", "Никитин",
    "Захаров",  "Зайцев",  "Соловьёв", "Борисов", "Яковлев",  "Григорьев"};
const char* const kInitials[] = {"А", "В", "Г", "Д", "Е", "И", "Л", "М", "Н", "О", "П", "С", "Т"};
const char* const kLetters[] = {"А", "Б", "В", "Г", "Д", "Е", "Ж", "З", "И", "К", "Л", "М", "Н", "О", "П"};

// One teaching job: the hours of one group, of one lesson or of two
// linked lessons (counted once).
struct Demand {
  int profile = 0;
  Subj subject = Rus;
  int hours = 0;
  std::vector<std::pair<TLessonItem*, int>> groups;  // lesson, group
  Demand* partner = nullptr;  // the other group of a split lesson: another teacher
  int teacher = -1;           // within the profile
};

// Blocks of a weekly hour count: one double lesson for long courses.
std::vector<int> Blocks(Subj s, int hours, int grade) {
  if (s == Tech && hours == 2) return {2};
  if (s == Phys && grade >= 10) return {2};
  std::vector<int> b;
  if (hours >= 5) {
    b.assign(static_cast<std::size_t>(hours - 2), 1);
    b.push_back(2);
  } else {
    b.assign(static_cast<std::size_t>(hours), 1);
  }
  return b;
}

// Spreads demands (largest first) over n teachers, each to the least
// loaded one that the demand allows; answers the loads.
std::vector<int> Spread(const std::vector<Demand*>& ds, int n) {
  std::vector<int> load(static_cast<std::size_t>(n), 0);
  for (Demand* d : ds) d->teacher = -1;
  for (Demand* d : ds) {
    int best = -1;
    for (int t = 0; t < n; ++t) {
      if (n > 1 && d->partner && d->partner->teacher == t) continue;
      if (best < 0 || load[static_cast<std::size_t>(t)] < load[static_cast<std::size_t>(best)]) best = t;
    }
    d->teacher = best;
    load[static_cast<std::size_t>(best)] += d->hours;
  }
  return load;
}

// Teachers for one profile: a count whose loads all lie in 12..26 when
// there is one near a random choice.
int StaffProfile(std::vector<Demand*>& ds, Rng& rng) {
  int total = 0;
  for (Demand* d : ds) total += d->hours;
  std::stable_sort(ds.begin(), ds.end(), [](const Demand* a, const Demand* b) { return a->hours > b->hours; });
  // Some subjects have a few busy teachers, others more with lighter loads.
  const int fewest = std::max(1, (total + 23) / 24);
  const int n0 = rng.Range(fewest, std::max(fewest, total / 16));
  for (int n : {n0, n0 + 1, n0 - 1, n0 + 2}) {
    if (n < 1) continue;
    const std::vector<int> load = Spread(ds, n);
    const auto [lo, hi] = std::minmax_element(load.begin(), load.end());
    if (*lo >= 12 && *hi <= 26) return n;
  }
  Spread(ds, n0);
  return n0;
}

TRoomItem* NewRoom(TProjectData& d, const std::string& name, uint16_t seats, uint8_t specialization, bool strict) {
  TRoomItem* r = d.Rooms.Add();
  r->SetName(name);
  r->MaxChildren = seats;
  r->MaxGroups = 1;
  r->Specialization = specialization;
  r->NotStrict = strict ? 0 : 1;
  return r;
}

int Slot(int day, int hour) { return (day - 1) * kSlotsPerDay + hour; }

}  // namespace

std::unique_ptr<TProjectData> GenerateSchool(int klasses, int lessonsPerDay, uint32_t seed) {
  klasses = std::max(klasses, 1);
  const int L = std::clamp(lessonsPerDay, 6, kMaxLessonsPerDay);
  Rng rng(seed);
  auto d = std::make_unique<TProjectData>();
  d->Params.Description = T("Сгенерированная школа: ") + std::to_string(klasses) + T(" классов");
  d->Params.LessonsPerDay = static_cast<uint16_t>(L);

  // Subjects.
  std::array<TSubjectItem*, SubjCount> subject{};
  for (int s = 0; s < SubjCount; ++s) {
    const SubjectDef& def = kSubjects[static_cast<std::size_t>(s)];
    TSubjectItem* item = d->Subjects.Add();
    item->SetName(T(def.name));
    item->SanitarKf = def.kf;
    item->Specialization = def.specialization;
    item->NotStrict = def.strict ? 0 : 1;
    subject[static_cast<std::size_t>(s)] = item;
  }

  // Klasses: grade 5 + i mod 7, letters in order within a grade.
  struct KlassInfo {
    TKlassItem* item;
    int grade;
    int letter;
  };
  std::vector<KlassInfo> ks;
  for (int i = 0; i < klasses; ++i) ks.push_back({nullptr, 5 + i % 7, i / 7});
  std::stable_sort(ks.begin(), ks.end(), [](const KlassInfo& a, const KlassInfo& b) {
    return a.grade != b.grade ? a.grade < b.grade : a.letter < b.letter;
  });
  for (KlassInfo& k : ks) {
    k.item = d->Klasses.Add();
    k.item->SetName(std::to_string(k.grade) + T(kLetters[k.letter % 15]));
    k.item->ChildrenInKlass = static_cast<uint16_t>(rng.Range(22, 30));
    k.item->ChangeStartLesson(1, 1);
    if (k.grade >= 10) k.item->ChangeStartLesson(1, 2);
    // Short Saturdays for the young.
    if (k.grade <= 6)
      for (int h = 6; h <= L; ++h) k.item->SetBusy(Slot(6, h), 1);
  }
  for (KlassInfo& a : ks)
    for (KlassInfo& b : ks)
      if (&a != &b && a.grade == b.grade) a.item->ChangeParallel(1, b.item->ID());

  // Lessons and the teaching jobs behind them.
  std::vector<std::unique_ptr<Demand>> demands;
  auto lesson = [&](TKlassItem* k, Subj s, const std::vector<int>& blocks, int groups) {
    TLessonItem* l = d->Lessons.Add();
    l->KlassID = k->ID();
    l->SetSubItemsCount(groups);
    for (int g = 0; g < groups; ++g) {
      TLessonSubItem* grp = l->GetSubItem(g);
      grp->SubjectID = subject[static_cast<std::size_t>(s)]->ID();
      grp->ChildrenInGroup = static_cast<uint16_t>(groups == 1 ? k->ChildrenInKlass
                                                  : g == 0 ? k->ChildrenInKlass / 2
                                                           : k->ChildrenInKlass - k->ChildrenInKlass / 2);
    }
    for (int b : blocks) l->ChangeQuant(1, b);
    return l;
  };
  auto demand = [&](Subj s, int hours) {
    demands.push_back(std::make_unique<Demand>());
    Demand* dm = demands.back().get();
    dm->profile = ProfileOf(s);
    dm->subject = s;
    dm->hours = hours;
    return dm;
  };
  for (std::size_t i = 0; i < ks.size(); ++i) {
    const KlassInfo& k = ks[i];
    // The first two klasses of a grade have one PE hour together.
    const bool jointFirst = k.letter == 0 && i + 1 < ks.size() && ks[i + 1].grade == k.grade;
    const bool jointSecond = k.letter == 1;
    for (int s = 0; s < SubjCount; ++s) {
      const Subj subj = static_cast<Subj>(s);
      int hours = kSubjects[static_cast<std::size_t>(s)].hours[static_cast<std::size_t>(k.grade - 5)];
      if (hours == 0) continue;
      if (subj == Eng) {
        TLessonItem* l = lesson(k.item, subj, Blocks(subj, hours, k.grade), 2);
        Demand* a = demand(subj, hours);
        Demand* b = demand(subj, hours);
        a->groups.push_back({l, 0});
        b->groups.push_back({l, 1});
        a->partner = b;
        b->partner = a;
        continue;
      }
      if (subj == Pe && (jointFirst || jointSecond)) --hours;
      TLessonItem* l = lesson(k.item, subj, Blocks(subj, hours, k.grade), 1);
      demand(subj, hours)->groups.push_back({l, 0});
    }
    if (jointSecond) {
      // The joint lesson: one hour, one teacher, one gym, linked both ways.
      TLessonItem* a = lesson(ks[i - 1].item, Pe, {1}, 1);
      TLessonItem* b = lesson(k.item, Pe, {1}, 1);
      a->GetSubItem(0)->ChangeLink(1, {b->ID(), 0});
      b->GetSubItem(0)->ChangeLink(1, {a->ID(), 0});
      Demand* dm = demand(Pe, 1);
      dm->groups.push_back({a, 0});
      dm->groups.push_back({b, 0});
    }
  }

  // Teachers per profile.
  int roomNo = 0;
  auto roomName = [&](int floor, const char* what) {
    std::string name = T("Каб. ") + std::to_string(floor * 100 + (++roomNo % 100));
    if (what) name += T(" (") + T(what) + T(")");
    return name;
  };
  // Young klasses' own rooms.
  for (KlassInfo& k : ks)
    if (k.grade <= 6) k.item->KlassRoom = NewRoom(*d, roomName(1, nullptr), 30, 0, false)->ID();

  // Laboratories and gyms by their weekly hours.
  std::array<int, SubjCount> subjectHours{};
  for (const auto& dm : demands) subjectHours[dm->subject] += dm->hours;
  auto labs = [&](Subj s, int perRoom, const char* what, uint16_t seats) {
    std::vector<TRoomItem*> rooms;
    const int n = std::max(1, (subjectHours[s] + perRoom - 1) / perRoom);
    for (int i = 0; i < n; ++i) {
      std::string name = s == Pe ? T("Спортивный зал ") + std::to_string(i + 1) : roomName(3, what);
      rooms.push_back(NewRoom(*d, name, seats, kSubjects[s].specialization, true));
    }
    return rooms;
  };
  std::vector<TRoomItem*> physLabs = labs(Phys, 20, "физика", 30);
  std::vector<TRoomItem*> chemLabs = labs(Chem, 20, "химия", 30);
  labs(Inf, 20, "информатика", 30);
  std::vector<TRoomItem*> gyms = labs(Pe, 24, nullptr, 60);
  for (int s = 0; s < SubjCount; ++s)
    if (kSubjects[static_cast<std::size_t>(s)].specialization != 0)
      for (const auto& r : d->Rooms)
        if (r->Specialization == kSubjects[static_cast<std::size_t>(s)].specialization &&
            subject[static_cast<std::size_t>(s)]->WishedRoomCount() < 3)
          subject[static_cast<std::size_t>(s)]->ChangeWishedRoom(kMaxWishedRooms, r->ID());

  int teacherNo = 0;
  for (std::size_t p = 0; p < Profiles().size(); ++p) {
    std::vector<Demand*> ds;
    for (const auto& dm : demands)
      if (dm->profile == static_cast<int>(p)) ds.push_back(dm.get());
    if (ds.empty()) continue;
    const int n = StaffProfile(ds, rng);
    std::vector<TTeacherItem*> staff;
    std::size_t physUsed = 0, chemUsed = 0;
    for (int t = 0; t < n; ++t) {
      TTeacherItem* teacher = d->Teachers.Add();
      const int i = teacherNo++;
      const int sn = static_cast<int>(std::size(kSurnames));
      const int in = static_cast<int>(std::size(kInitials));
      teacher->SetName(T(kSurnames[i % sn]) + " " + T(kInitials[(i / sn + i) % in]) + ". " +
                       T(kInitials[(i * 7 + 3) % in]) + ".");
      if (Profiles()[p].roomName) {
        teacher->TeacherRoom = NewRoom(*d, roomName(2, Profiles()[p].roomName), 30,
                                       kSubjects[Profiles()[p].subjects.front()].specialization, false)->ID();
      } else if (Profiles()[p].subjects.front() == Pe) {
        if (static_cast<std::size_t>(t) < gyms.size()) teacher->TeacherRoom = gyms[static_cast<std::size_t>(t)]->ID();
      } else if (physUsed < physLabs.size()) {
        teacher->TeacherRoom = physLabs[physUsed++]->ID();
      } else if (chemUsed < chemLabs.size()) {
        teacher->TeacherRoom = chemLabs[chemUsed++]->ID();
      }
      staff.push_back(teacher);
    }
    for (Demand* dm : ds) {
      TTeacherItem* teacher = staff[static_cast<std::size_t>(dm->teacher)];
      for (auto [l, g] : dm->groups) l->GetSubItem(g)->TeacherID = teacher->ID();
      teacher->PlanLessCnt += dm->hours;
    }
  }

  // Spare ordinary rooms: every klass and every split group can sit at once.
  int ordinary = 0;
  for (const auto& r : d->Rooms)
    if (r->NotStrict) ++ordinary;
  for (int need = klasses + (klasses + 3) / 4 + 2; ordinary < need; ++ordinary)
    NewRoom(*d, roomName(1, nullptr), 30, 0, false);

  // Wishes: a few closed or unwanted hours, and methodical days for the
  // lighter loads.
  for (const auto& t : d->Teachers) {
    if (rng.Chance(30)) {
      const int day = rng.Range(1, 6);
      const int from = rng.Chance(50) ? 1 : L - 1;
      for (int h = from; h <= from + 1; ++h) t->SetBusy(Slot(day, h), {1, 0});
    }
    if (rng.Chance(30)) {
      const int day = rng.Range(1, 6);
      t->SetBusy(Slot(day, L), {1, static_cast<uint8_t>(rng.Range(2, 3))});
    }
    if (t->PlanLessCnt <= 22 && rng.Chance(30)) t->MetodicalDays = 1;
  }
  d->RefreshHeaders();
  return d;
}

std::unique_ptr<TProjectData> GenerateLargeSchool(int klasses, int lessonsPerDay, uint32_t seed) {
  const int L = std::clamp(lessonsPerDay, 8, 11);
  auto d = GenerateSchool(klasses, L, seed);
  Rng rng(seed * 7919u + 17u);
  std::map<int, std::vector<TKlassItem*>> grades;  // by the first digits of the name
  std::map<int32_t, int> hours;
  for (const auto& l : d->Lessons) hours[l->KlassID] += l->QuantsSum();
  for (const auto& k : d->Klasses) grades[std::atoi(k->Name().c_str())].push_back(k.get());
  const int target = 6 * L * 3 / 5;
  const int32_t subject = d->Subjects[static_cast<int>(Music)]->ID();
  // One teacher after another for each group of the blocks, so that the
  // two groups of a block never share one.
  std::array<TTeacherItem*, 2> teacher{};
  std::array<int, 2> teacherLoad{};
  int teacherNo = 0;
  auto nextTeacher = [&](int g, int add) {
    TTeacherItem*& t = teacher[static_cast<std::size_t>(g)];
    int& load = teacherLoad[static_cast<std::size_t>(g)];
    if (!t || load + add > 22) {
      t = d->Teachers.Add();
      t->SetName(T("Преподаватель курса ") + std::to_string(++teacherNo));
      load = 0;
    }
    load += add;
    t->PlanLessCnt = load;
    return t->ID();
  };
  for (auto& [grade, ks] : grades) {
    for (std::size_t from = 0; from < ks.size();) {
      // Two or three klasses of the grade share option blocks.
      const std::size_t n = std::min<std::size_t>(ks.size() - from, ks.size() - from == 4 ? 2 : 3);
      std::vector<TKlassItem*> set(ks.begin() + static_cast<long>(from), ks.begin() + static_cast<long>(from + n));
      from += n;
      while (hours[set[0]->ID()] < target) {
        const int h = rng.Range(1, 3);
        std::vector<int> blocks = h == 3 ? std::vector<int>{2, 1} : std::vector<int>(static_cast<std::size_t>(h), 1);
        std::vector<TLessonItem*> ls;
        for (TKlassItem* k : set) {
          TLessonItem* l = d->Lessons.Add();
          l->KlassID = k->ID();
          l->SetSubItemsCount(2);
          for (int g = 0; g < 2; ++g) {
            l->GetSubItem(g)->SubjectID = subject;
            const int half = k->ChildrenInKlass / 2;
            l->GetSubItem(g)->ChildrenInGroup = static_cast<uint16_t>(g == 0 ? half : k->ChildrenInKlass - half);
          }
          for (int b : blocks) l->ChangeQuant(1, b);
          hours[k->ID()] += h;
          ls.push_back(l);
        }
        for (int g = 0; g < 2; ++g) {
          const int32_t t = nextTeacher(g, h);
          for (TLessonItem* a : ls) {
            a->GetSubItem(g)->TeacherID = t;
            for (TLessonItem* b : ls)
              if (a != b) a->GetSubItem(g)->ChangeLink(1, {b->ID(), g});
          }
        }
      }
    }
  }
  for (int i = 1; i < d->Klasses.Count(); i += 3) {
    d->Klasses[i]->ChangeStartLesson(-1, 1);
    d->Klasses[i]->ChangeStartLesson(1, 2);
  }
  for (const auto& t : d->Teachers) {
    t->MetodicalDays = rng.Chance(20) && t->PlanLessCnt <= 24 ? 1 : 0;
    if (rng.Chance(25)) {
      const int day = rng.Range(1, 6);
      for (int h = 1; h <= 2; ++h) t->SetBusy(Slot(day, h), {1, 0});
    }
  }
  // Rooms for the option groups.
  for (int i = 0; i < klasses; ++i) NewRoom(*d, T("Каб. курса ") + std::to_string(i + 1), 30, 0, false);
  d->RefreshHeaders();
  return d;
}

namespace {

// One thing to place: a klass lesson with every lesson linked to it.
struct Unit {
  int klass = 0;
  int lesson = 0;
  std::vector<int> klasses;
  std::vector<std::pair<int, int>> lessons;  // klass, lesson
  std::vector<int> teachers;
  std::vector<int> kinds;  // room kind per room needed: strict specialization, or 0
  std::vector<int> blocks;
  int difficulty = 0;
};

// Room kinds: a strict room serves its specialization only, every other
// room any group that is not of a strict subject.
int RoomKind(const TRoomItem& r) { return r.NotStrict == 0 ? r.Specialization : 0; }
int GroupKind(const TSubjectItem& s) { return s.NotStrict == 0 ? s.Specialization : 0; }

constexpr int kKinds = 21;

class WeekPlanner {
 public:
  WeekPlanner(TTableVarItem& var) : var_(var), m_(*var.Model()), L_(var.LessonsPerDay()) {
    BuildUnits();
    const int slots = 6 * L_;
    cap_.assign(static_cast<std::size_t>(kKinds * slots), 0);
    for (const auto& r : m_.Rooms)
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= L_; ++h)
          if (r->GetBusy(Slot(d, h)) == 0) ++cap_[Idx(RoomKind(*r), d, h)];
    for (int k = 0; k < m_.Klasses.Count(); ++k) {
      int week = 0;
      for (const Unit& u : units_)
        if (std::find(u.klasses.begin(), u.klasses.end(), k) != u.klasses.end())
          for (int b : u.blocks) week += b;
      dayCap_.push_back(std::max(1, (week + 5) / 6 + 1));
    }
  }

  int Run(uint32_t seed, int attempts) {
    Rng rng(seed);
    int best = -1;
    std::vector<TTableCell> bestFair;
    for (int a = 0; a < std::max(attempts, 1); ++a) {
      const int left = Attempt(rng);
      if (best < 0 || left < best) {
        best = left;
        bestFair = Snapshot();
      }
      if (left == 0) return 0;
    }
    Restore(bestFair);
    return best;
  }

 private:
  std::size_t Idx(int kind, int day, int hour) const {
    return static_cast<std::size_t>((kind * 6 + day - 1) * L_ + hour - 1);
  }

  void BuildUnits() {
    for (int k = 0; k < m_.Klasses.Count(); ++k) {
      const TRTIKlassItem& klass = *m_.Klasses[k];
      for (int li = 0; li < klass.Lessons.Count(); ++li) {
        const TRTILessonItem& l = *klass.Lessons[li];
        bool lower = false;
        for (int g = 0; g < std::min(l.SubItemsCount(), kMaxLessonGroups); ++g) {
          const TRTIGroup& rt = l.RT[static_cast<std::size_t>(g)];
          for (int i = 0; i < rt.LinksCount(); ++i)
            if (rt.Links[static_cast<std::size_t>(i)].Klass < k) lower = true;
        }
        if (lower || l.QuantAt(1) == 0) continue;
        TLinkedLists lists;
        if (!m_.Klasses.CollectLinkedLessons(k, li, lists)) continue;
        Unit u;
        u.klass = k;
        u.lesson = li;
        for (int i = 0; i < lists.LessonCount(); ++i) {
          const TLinkEntry e = lists.Lessons[static_cast<std::size_t>(i)];
          u.lessons.push_back({e.A, e.B});
          if (std::find(u.klasses.begin(), u.klasses.end(), e.A) == u.klasses.end()) u.klasses.push_back(e.A);
        }
        for (int i = 0; i < lists.TeacherCount(); ++i) u.teachers.push_back(lists.Teachers[static_cast<std::size_t>(i)].A);
        for (int g = 0; g < l.SubItemsCount(); ++g) {
          const TLessonSubItem& grp = *l.GetSubItem(g);
          if (grp.SubjectID < 0 || grp.TeacherID < 0 || !grp.GetFictionName().empty()) continue;
          u.kinds.push_back(GroupKind(*m_.Subjects[grp.SubjectID]));
        }
        for (int i = 1; l.QuantAt(i) != 0; ++i) u.blocks.push_back(l.QuantAt(i));
        std::sort(u.blocks.rbegin(), u.blocks.rend());
        u.difficulty = static_cast<int>(u.klasses.size()) * 100 + u.blocks.front() * 20 +
                       static_cast<int>(u.blocks.size()) * 5;
        for (int kind : u.kinds)
          if (kind != 0) u.difficulty += 30;
        units_.push_back(std::move(u));
      }
    }
    const int T = m_.Teachers.Count();
    // Closed teacher hours, and one free day for a teacher who wants one:
    // the day its wishes already spoil most.
    teacherClosed_.assign(static_cast<std::size_t>(T * 6 * L_), 0);
    for (int t = 0; t < T; ++t) {
      const TRTITeacherItem& teacher = *m_.Teachers[t];
      int worst = 0, worstDay = 6;
      for (int d = 6; d >= 1; --d) {
        int closed = 0;
        for (int h = 1; h <= L_; ++h)
          if (TeacherHourClosed(teacher.GetBusy(Slot(d, h)), m_.TeachersWills)) {
            ++closed;
            teacherClosed_[TIdx(t, d, h)] = 1;
          }
        if (closed > worst) {
          worst = closed;
          worstDay = d;
        }
      }
      if (teacher.MetodicalDays > 0)
        for (int h = 1; h <= L_; ++h) teacherClosed_[TIdx(t, worstDay, h)] = 1;
    }
  }

  std::size_t TIdx(int t, int day, int hour) const { return static_cast<std::size_t>((t * 6 + day - 1) * L_ + hour - 1); }
  std::size_t KIdx(int k, int day, int hour) const { return static_cast<std::size_t>((k * 6 + day - 1) * L_ + hour - 1); }

  bool Fits(const Unit& u, int day, int start, int len) const {
    if (start < 1 || start + len - 1 > L_) return false;
    for (int k : u.klasses)
      if (dayHours_[static_cast<std::size_t>(k * 6 + day - 1)] + len > dayCap_[static_cast<std::size_t>(k)]) return false;
    std::array<int, kKinds> need{};
    for (int kind : u.kinds) ++need[static_cast<std::size_t>(kind)];
    for (int h = start; h < start + len; ++h) {
      for (auto [k, li] : u.lessons) {
        if (klassBusy_[KIdx(k, day, h)]) return false;
        if (m_.Klasses[k]->GetBusy(Slot(day, h)) != 0) return false;
        if (m_.KlassLesson(k, li)->GetBusy(Slot(day, h)) != 0) return false;
      }
      for (int t : u.teachers)
        if (teacherBusy_[TIdx(t, day, h)] || teacherClosed_[TIdx(t, day, h)]) return false;
      for (int kind = 0; kind < kKinds; ++kind)
        if (need[static_cast<std::size_t>(kind)] &&
            used_[Idx(kind, day, h)] + need[static_cast<std::size_t>(kind)] > cap_[Idx(kind, day, h)])
          return false;
    }
    return true;
  }

  // Gaps the klasses would have on day with hours start..start+len-1 added.
  int Gaps(const Unit& u, int day, int start, int len) const {
    int gaps = 0;
    for (int k : u.klasses) {
      int last = 0, count = 0;
      for (int h = 1; h <= L_; ++h)
        if (klassBusy_[KIdx(k, day, h)] || (h >= start && h < start + len)) {
          last = h;
          ++count;
        }
      gaps += last - count;
    }
    return gaps;
  }

  void Book(const Unit& u, int day, int start, int len) {
    for (int h = start; h < start + len; ++h) {
      for (auto [k, li] : u.lessons) klassBusy_[KIdx(k, day, h)] = 1;
      for (int t : u.teachers) teacherBusy_[TIdx(t, day, h)] = 1;
      for (int kind : u.kinds) ++used_[Idx(kind, day, h)];
    }
    for (int k : u.klasses) dayHours_[static_cast<std::size_t>(k * 6 + day - 1)] += len;
    var_.PlaceLinkedLesson(u.klass, u.lesson, false, day, start, len);
  }

  int Attempt(Rng& rng) {
    for (int d = 1; d <= 6; ++d) var_.ClearDay(d);
    const std::size_t K = static_cast<std::size_t>(m_.Klasses.Count());
    klassBusy_.assign(K * 6 * static_cast<std::size_t>(L_), 0);
    teacherBusy_.assign(teacherClosed_.size(), 0);
    used_.assign(cap_.size(), 0);
    dayHours_.assign(K * 6, 0);
    std::vector<Unit*> order;
    for (Unit& u : units_) order.push_back(&u);
    rng.Shuffle(order);
    std::stable_sort(order.begin(), order.end(), [](const Unit* a, const Unit* b) { return a->difficulty > b->difficulty; });
    int left = 0;
    for (Unit* u : order) {
      std::array<bool, 7> usedDay{};
      for (int len : u->blocks) {
        int bestCost = -1, bestDay = 0, bestStart = 0;
        for (int day = 1; day <= 6; ++day) {
          if (usedDay[static_cast<std::size_t>(day)]) continue;
          int load = 0;
          for (int k : u->klasses) load += dayHours_[static_cast<std::size_t>(k * 6 + day - 1)];
          for (int start = 1; start + len - 1 <= L_; ++start) {
            if (!Fits(*u, day, start, len)) continue;
            const int cost = Gaps(*u, day, start, len) * 50 + load * 30 + start + rng.Range(0, 3);
            if (bestCost < 0 || cost < bestCost) {
              bestCost = cost;
              bestDay = day;
              bestStart = start;
            }
          }
        }
        if (bestCost < 0) {
          ++left;
          continue;
        }
        usedDay[static_cast<std::size_t>(bestDay)] = true;
        Book(*u, bestDay, bestStart, len);
      }
    }
    return left;
  }

  std::vector<TTableCell> Snapshot() const {
    std::vector<TTableCell> cells;
    for (int k = 0; k < var_.KlassCount(); ++k)
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= L_; ++h) cells.push_back(var_.GetCell(k, d, h));
    return cells;
  }
  void Restore(const std::vector<TTableCell>& cells) {
    std::size_t i = 0;
    for (int k = 0; k < var_.KlassCount(); ++k)
      for (int d = 1; d <= 6; ++d)
        for (int h = 1; h <= L_; ++h) var_.SetCell(k, d, h, cells[i++]);
  }

  TTableVarItem& var_;
  const TRunModel& m_;
  int L_;
  std::vector<Unit> units_;
  std::vector<int> cap_, used_, dayCap_, dayHours_;
  std::vector<uint8_t> klassBusy_, teacherBusy_, teacherClosed_;
};

}  // namespace

int PlaceWeekGreedy(TTableVarItem& var, uint32_t seed, int attempts) {
  if (!var.Model()) return 0;
  WeekPlanner planner(var);
  return planner.Run(seed, attempts);
}

}  // namespace korvant
