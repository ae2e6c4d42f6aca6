// The week checker on a small week made by hand: sound (separated blocks,
// a joint lesson, a lesson without a teacher, a teacher wanting five free
// days), then broken by one change per rule, each caught.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "core/project/demo_source.h"
#include "week_check.h"

namespace korvant {
namespace {

using weekcheck::CheckWeek;
using weekcheck::Report;
using weekcheck::VarFile;

// Klasses A (days from hour 1) and B (from hour 1 or 2), open on days 1
// and 2 only; T1 would rather not teach on day 2 at hour 3 (level 3);
// T2 teaches on one day at most. a1 has one of its two blocks separated.
constexpr const char* kSchool = R"(project lessons=5 shifts=1
room r0 name=R0
room r1 name=R1
subject s name=S rooms=r0,r1
klass a name=A start=1 closed=3:1-5 closed=4:1-5 closed=5:1-5 closed=6:1-5
klass b name=B start=1,2 closed=3:1-5 closed=4:1-5 closed=5:1-5 closed=6:1-5
teacher t0 name=T0
teacher t1 name=T1 wish=2:3-3:3
teacher t2 name=T2 metodical=5
lesson a0 klass=a blocks=2 group=s:t0
lesson a1 klass=a blocks=1,1 sep=1 group=s:t1
lesson a2 klass=a blocks=1 group=s:t0
lesson a3 klass=a blocks=1 group=s:t2
lesson b3 klass=b blocks=1 group=s:t2
lesson b0 klass=b blocks=2 group=s:t0
lesson b1 klass=b blocks=1,1 group=s:t1
lesson b2 klass=b blocks=1 group=s:t0
link a3:1 b3:1
)";
enum : int { a0, a1, a2, a3, b3, b0, b1, b2, a1sep = a1 + 1000000 };
constexpr uint16_t R0 = 0, R1 = 1;

void Put(VarFile& v, int row, int d, int h, int lesson, int len = 1, uint16_t room = R0) {
  for (int i = 0; i < len; ++i) {
    weekcheck::Cell& c = v.At(v.Fair, row, d, h + i);
    c.Lesson = lesson;
    c.Prev = i == 0 ? -1 : h + i - 1;
    c.Rooms[0] = room;
  }
}

TEST(WeekCheck, EachRuleABrokenWeekBreaksIsCaught) {
  TProjectData p;
  std::string error;
  ASSERT_TRUE(BuildProjectFromSource(kSchool, p, error)) << error;
  p.Lessons.FindItemID(a2)->GetSubItem(0)->TeacherID = -1;
  p.Rooms.FindItemID(R1)->SetBusy(1, 1);  // day 1, hour 1
  for (int h = 1; h <= 5; ++h) p.Lessons.FindItemID(a0)->SetBusy(kSlotsPerDay + h, 1);  // not on day 2
  VarFile sound;
  sound.K = 2;
  sound.L = 5;
  sound.Fair.assign(2 * 6 * 5, {});
  sound.Draft = sound.Fair;
  sound.RowKlassID = {0, 1};
  Put(sound, 0, 1, 1, a0, 2), Put(sound, 0, 1, 3, a1), Put(sound, 0, 1, 4, a2);
  Put(sound, 1, 1, 2, b1, 1, R1), Put(sound, 1, 1, 3, b0, 2, R1);
  Put(sound, 0, 2, 1, a3), Put(sound, 0, 2, 2, a1sep);
  Put(sound, 1, 2, 1, b3, 1, R1), Put(sound, 1, 2, 2, b2, 1, R1), Put(sound, 1, 2, 3, b1, 1, R1);

  const Report r = CheckWeek(p, sound, 2);
  EXPECT_TRUE(r.Faults.empty()) << r.Faults.front();
  EXPECT_EQ(r.Placed, 12);
  EXPECT_EQ(r.Due, 12);
  EXPECT_TRUE(r.Complete);

  const struct {
    const char* fault;  // empty: no fault, the week incomplete
    int wills;
    std::function<void(VarFile&)> change;
  } cases[] = {
      {"a draft left", 2, [](VarFile& v) { v.At(v.Draft, 0, 1, 1).Lesson = a0; }},
      {"unknown lesson", 2, [](VarFile& v) { v.At(v.Fair, 0, 1, 4).Lesson = 999; }},
      {"a lesson of another klass", 2, [](VarFile& v) { Put(v, 0, 1, 5, b2); }},
      {"closed klass hour used", 2, [](VarFile& v) { Put(v, 0, 3, 1, a2); }},
      {"closed lesson hour used", 2, [](VarFile& v) { Put(v, 0, 2, 3, a0); }},
      {"closed teacher hour used", 1, [](VarFile&) {}},
      {"unknown room", 2, [](VarFile& v) { v.At(v.Fair, 0, 1, 3).Rooms[0] = 77; }},
      {"closed room hour used", 2, [](VarFile& v) { v.At(v.Fair, 0, 1, 1).Rooms[0] = R1; }},
      {"not chained", 2, [](VarFile& v) { v.At(v.Fair, 0, 1, 2).Prev = -1; }},
      {"a lesson twice on a day", 2, [](VarFile& v) { Put(v, 0, 1, 5, a1); }},
      {"begins at an hour it may not", 2, [](VarFile& v) { v.At(v.Fair, 0, 2, 1).Lesson = -1; }},
      {"an open hour inside", 2, [](VarFile& v) { v.At(v.Fair, 0, 1, 3).Lesson = -1; }},
      {"room 0 twice", 2, [](VarFile& v) { v.At(v.Fair, 1, 1, 4).Rooms[0] = R0; }},
      {"room 0 twice", 2, [](VarFile& v) { Put(v, 1, 1, 1, b2, 1, 0xFFFF); }},  // teacher T0 in A and B
      {"are no block of it", 2, [](VarFile& v) { Put(v, 0, 1, 4, a2, 2); }},
      {"separated block right beside", 2, [](VarFile& v) { Put(v, 0, 1, 4, a1sep); }},
      {"without a teacher inside", 2, [](VarFile& v) { Put(v, 0, 1, 3, a2), Put(v, 0, 1, 4, a1); }},
      {"teaches on 2 days and wants 5 free", 2, [](VarFile& v) { Put(v, 1, 1, 5, b3, 1, R1); }},
      {"", 2, [](VarFile& v) { v.At(v.Fair, 1, 2, 3).Lesson = -1; }},
      {"unknown klass", 2, [](VarFile& v) { v.RowKlassID[1] = 99; }},
      {"differ from the project's", 2, [](VarFile& v) { v.L = 6; }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.fault);
    VarFile v = sound;
    c.change(v);
    const Report b = CheckWeek(p, v, c.wills);
    if (*c.fault == '\0') {
      EXPECT_TRUE(b.Faults.empty());
      EXPECT_FALSE(b.Complete);
      continue;
    }
    bool caught = false;
    for (const std::string& f : b.Faults) caught = caught || f.find(c.fault) != std::string::npos;
    EXPECT_TRUE(caught) << b.Broken() << " faults";
  }
}

}  // namespace
}  // namespace korvant
