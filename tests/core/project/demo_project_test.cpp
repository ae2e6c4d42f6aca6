#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "base/cp1251.h"
#include "core/project/data_checks.h"
#include "core/project/demo_project.h"
#include "core/project/demo_source.h"
#include "core/project/project_data.h"

namespace korvant {
namespace {

std::string W(const char* utf8) { return cp1251::fromUtf8(utf8); }

// The source lives in tools/demo, beside the tests folder that holds the
// (possibly absent) test data folder.
std::string ReadSource() {
  std::string path = KORVANT_TEST_DATA_DIR;
  path.erase(path.find_last_of('/'));
  path += "/../tools/demo/demo_school.txt";
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<unsigned char> Embedded() {
  auto s = DemoProjectImage();
  return {s.begin(), s.end()};
}

// ---- the source text ----

TEST(DemoSource, BuildsRecordsWithForwardReferencesAndBothWayLinks) {
  const char* text =
      "# comment\n"
      "project description=\"Проба\" lessons=6 shifts=1,4\n"
      "\n"
      "klass a name=\"5А\" pupils=20 start=1,2 parallels=b room=r closed=6:5-6\n"
      "klass b name=\"5Б\" pupils=18 start=1 parallels=a\n"
      "room r name=\"Каб. 1\" seats=25 specialization=2 strict\n"
      "subject s name=\"Физика\" kf=12 specialization=2 strict rooms=r\n"
      "teacher t name=\"Петров П. П.\" room=r metodical=1 plan=6 wish=1:1-2:0 wish=2:3-3:2\n"
      "lesson x klass=a blocks=2,1,1 sep=1 group=s:t\n"
      "lesson y klass=b blocks=1,1,2 group=s:t:10 group=s:t:8\n"
      "link x:1 y:2\n";
  TProjectData d;
  std::string error;
  ASSERT_TRUE(BuildProjectFromSource(text, d, error)) << error;
  EXPECT_EQ(d.Params.Description, W("Проба"));
  EXPECT_EQ(d.Params.LessonsPerDay, 6);
  EXPECT_EQ(d.Params.ShiftStarts[1], 4);
  EXPECT_EQ(d.Params.ShiftStarts[2], 0);

  ASSERT_EQ(d.Klasses.Count(), 2);
  const TKlassItem* a = d.Klasses[0];
  EXPECT_EQ(a->ID(), 0);
  EXPECT_EQ(a->Name(), W("5А"));
  EXPECT_EQ(a->GetParallel(1), 1);
  EXPECT_EQ(d.Klasses[1]->GetParallel(1), 0);
  EXPECT_EQ(a->KlassRoom, 0);
  EXPECT_EQ(a->GetStartLesson(2), 2);
  EXPECT_EQ(a->GetBusy(5 * 24 + 5), 1);
  EXPECT_EQ(a->GetBusy(5 * 24 + 4), 0);

  const TRoomItem* r = d.Rooms[0];
  EXPECT_EQ(r->MaxChildren, 25);
  EXPECT_EQ(r->NotStrict, 0);
  EXPECT_EQ(d.Subjects[0]->GetWishedRoom(0), 0);

  const TTeacherItem* t = d.Teachers[0];
  EXPECT_EQ(t->MetodicalDays, 1);
  EXPECT_EQ(t->PlanLessCnt, 6);
  EXPECT_EQ(t->GetBusy(2), (TTeacherHourCell{1, 0}));
  EXPECT_EQ(t->GetBusy(24 + 3), (TTeacherHourCell{1, 2}));
  EXPECT_EQ(t->GetBusy(24 + 4), (TTeacherHourCell{0, 0}));

  const TLessonItem* x = d.Lessons[0];
  EXPECT_EQ(x->QuantsCount(), 3);
  EXPECT_EQ(x->QuantAt(3), 2);
  EXPECT_EQ(x->GetQuant(kQuantWords), 1);
  EXPECT_EQ(x->GetSubItem(0)->ChildrenInGroup, 20);  // the klass's size
  EXPECT_EQ(x->GetSubItem(0)->GetLink(1), (TLessonLink{1, 1}));
  const TLessonItem* y = d.Lessons[1];
  EXPECT_EQ(y->GetSubItem(1)->GetLink(1), (TLessonLink{0, 0}));
  EXPECT_EQ(y->GetSubItem(0)->LinksCount(), 0);
  EXPECT_EQ(d.Params.Lessons.Count, 2);  // headers refreshed
}

TEST(DemoSource, FaultsNameTheirLineAndLeaveNothing) {
  struct Case {
    const char* text;
    const char* line;
  } cases[] = {
      {"room r name=x\nroom r name=y\n", "line 2:"},
      {"room r name=x\nsubject s rooms=q\n", "line 2:"},
      {"\n\nroom r seats=7x\n", "line 3:"},
      {"room r seats=70000\n", "line 1:"},
      {"room r colour=red\n", "line 1:"},
      {"room r name=\"open\n", "line 1:"},
      {"school r\n", "line 1:"},
      {"room name=x\n", "line 1:"},
      {"klass k name=a start=9\n", "line 1:"},  // past the default 8 lessons
      {"klass k parallels=k\n", "line 1:"},
      {"lesson l klass=k\n", "line 1:"},
      {"klass k\nlesson l klass=k group=s\n", "line 2:"},
      {"klass k\nlesson l klass=k\nlink l:1 l:1\n", "line 3:"},
      {"teacher t wish=7:1-2:0\n", "line 1:"},
      {"teacher t wish=1:3-2:0\n", "line 1:"},
      {"teacher t wish=1:1-2:4\n", "line 1:"},
      {"room r name=\"\xE4\xB8\xAD\"\n", "line 1:"},  // a character the code page lacks
  };
  for (const auto& c : cases) {
    TProjectData d;
    std::string error;
    EXPECT_FALSE(BuildProjectFromSource(c.text, d, error)) << c.text;
    EXPECT_EQ(error.rfind(c.line, 0), 0u) << c.text << " -> " << error;
    EXPECT_EQ(d.Rooms.Count() + d.Klasses.Count() + d.Lessons.Count() + d.Teachers.Count(), 0);
  }
}

// ---- the embedded project ----

TEST(DemoProject, EmbeddedImageIsTheGeneratorsOutput) {
  const std::string text = ReadSource();
  ASSERT_FALSE(text.empty());
  TProjectData d;
  std::string error;
  ASSERT_TRUE(BuildProjectFromSource(text, d, error)) << error;
  // On a mismatch: cmake --build <dir> --target regenerate_demo.
  EXPECT_EQ(WriteProjectImage(d), Embedded());
}

TEST(DemoProject, ReadsBackAndRewritesToTheSameBytes) {
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), d));
  EXPECT_EQ(WriteProjectImage(d), Embedded());
}

TEST(DemoProject, DataChecksFindNothing) {
  TProjectData d;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), d));
  TDataReportPages p;
  CheckProjectData(d, &p);
  for (int k = 0; k < kCheckPageCount; ++k)
    EXPECT_EQ(p.Lines(k), std::vector<std::string>{W("1. Ошибок не обнаружено.")}) << "page " << k;
}

class DemoContent : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), d)); }

  const TKlassItem* Klass(const char* name) const {
    for (const auto& k : d.Klasses)
      if (k->Name() == W(name)) return k.get();
    return nullptr;
  }
  const TRoomItem* Room(int32_t id) const { return d.Rooms.FindItemID(id); }

  TProjectData d;
};

TEST_F(DemoContent, ListsAndParameters) {
  EXPECT_EQ(d.Params.LessonsPerDay, 8);
  EXPECT_EQ(d.Klasses.Count(), 8);
  for (const char* n : {"5А", "5Б", "6А", "7А", "8А", "9А", "10А", "11А"}) EXPECT_TRUE(Klass(n)) << n;
  EXPECT_EQ(d.Teachers.Count(), 16);
  EXPECT_EQ(d.Subjects.Count(), 14);
  EXPECT_GE(d.Rooms.Count(), 13);
  EXPECT_LE(d.Rooms.Count(), 16);
  // Records are numbered as they were added; counters stand after them.
  EXPECT_EQ(d.Lessons.NextID(), d.Lessons.Count());
  for (int i = 0; i < d.Lessons.Count(); ++i) EXPECT_EQ(d.Lessons[i]->ID(), i);
}

TEST_F(DemoContent, ParallelFifthKlassesBothWays) {
  const TKlassItem* a = Klass("5А");
  const TKlassItem* b = Klass("5Б");
  ASSERT_TRUE(a && b);
  EXPECT_EQ(a->GetParallel(1), b->ID());
  EXPECT_EQ(a->GetParallel(2), -1);
  EXPECT_EQ(b->GetParallel(1), a->ID());
  EXPECT_EQ(b->GetParallel(2), -1);
}

TEST_F(DemoContent, KlassWeeksArePlannable) {
  for (const auto& k : d.Klasses) {
    int hours = 0;
    for (const auto& l : d.Lessons) {
      if (l->KlassID != k->ID()) continue;
      hours += l->QuantsSum();
      for (int i = 1; i <= l->QuantsCount(); ++i) EXPECT_TRUE(l->QuantAt(i) == 1 || l->QuantAt(i) == 2);
    }
    EXPECT_GE(hours, 24) << k->Name();
    EXPECT_LE(hours, 32) << k->Name();
    EXPECT_EQ(k->GetStartLesson(1), 1);
    EXPECT_EQ(KlassWorkingDays(*k, 8), 6);  // 4 to 6 hours a day
    if (k->KlassRoom >= 0) {
      ASSERT_TRUE(Room(k->KlassRoom));
      EXPECT_GE(Room(k->KlassRoom)->MaxChildren, k->ChildrenInKlass);
    }
  }
  // The younger klasses have rooms of their own.
  for (const char* n : {"5А", "5Б", "6А", "7А"}) EXPECT_GE(Klass(n)->KlassRoom, 0) << n;
}

TEST_F(DemoContent, RoomsLabsAndGym) {
  // Physics, chemistry and informatics are strict labs with strict subjects
  // that recommend them; physical education has its gym.
  for (int specialization : {2, 3, 9, 10}) {
    const TRoomItem* lab = nullptr;
    for (const auto& r : d.Rooms)
      if (r->Specialization == specialization) lab = r.get();
    ASSERT_TRUE(lab) << specialization;
    EXPECT_EQ(lab->NotStrict, 0) << specialization;
    const TSubjectItem* subject = nullptr;
    for (const auto& s : d.Subjects)
      if (s->Specialization == specialization) subject = s.get();
    ASSERT_TRUE(subject) << specialization;
    EXPECT_EQ(subject->NotStrict, 0);
    EXPECT_EQ(subject->GetWishedRoom(0), lab->ID());
  }
  // Every recommended room seats every group of its subject.
  for (const auto& l : d.Lessons)
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      const TLessonSubItem& grp = *l->GetSubItem(g);
      const TSubjectItem* s = d.Subjects.FindItemID(grp.SubjectID);
      ASSERT_TRUE(s);
      for (int i = 0; i < s->WishedRoomCount(); ++i)
        EXPECT_GE(Room(s->GetWishedRoom(i))->MaxChildren, grp.ChildrenInGroup) << s->Name();
    }
}

TEST_F(DemoContent, SplitJointAndSeparatedLessons) {
  int split = 0, linked = 0, separated = 0;
  for (const auto& l : d.Lessons) {
    if (l->SubItemsCount() == 2) {
      ++split;
      const TLessonSubItem* g0 = l->GetSubItem(0);
      const TLessonSubItem* g1 = l->GetSubItem(1);
      EXPECT_EQ(g0->ChildrenInGroup + g1->ChildrenInGroup, d.Klasses.FindItemID(l->KlassID)->ChildrenInKlass);
      EXPECT_NE(g0->TeacherID, g1->TeacherID);
    }
    if (l->GetQuant(kQuantWords) != 0) {
      ++separated;
      EXPECT_TRUE(SeparatedBlocksMatch(*l));
    }
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      const TLessonSubItem& grp = *l->GetSubItem(g);
      for (int i = 1; i <= grp.LinksCount(); ++i) {
        ++linked;
        const TLessonLink link = grp.GetLink(i);
        const TLessonItem* o = d.Lessons.FindItemID(link.LessonID);
        ASSERT_TRUE(o);
        const TLessonSubItem* og = o->GetSubItem(link.GroupIndex);
        ASSERT_TRUE(og);
        EXPECT_EQ(og->GetLink(1), (TLessonLink{l->ID(), g}));  // symmetric
        EXPECT_EQ(og->TeacherID, grp.TeacherID);
        EXPECT_EQ(og->SubjectID, grp.SubjectID);
        for (int w = 1; w <= kQuantWords; ++w) EXPECT_EQ(o->GetQuant(w), l->GetQuant(w));
        EXPECT_NE(o->KlassID, l->KlassID);
      }
    }
  }
  EXPECT_GE(split, 1);
  EXPECT_EQ(linked, 2);  // one joint lesson, seen from both sides
  EXPECT_GE(separated, 1);
}

TEST_F(DemoContent, TeachersWishesMethodicalDaysSharedRoomAndPlannedHours) {
  std::set<int> levels;
  int methodical = 0;
  std::map<int32_t, int> roomUsers;
  for (const auto& t : d.Teachers) {
    for (int s = 1; s <= kWeekSlots; ++s)
      if (t->GetBusy(s).Restricted) levels.insert(t->GetBusy(s).Level);
    if (t->MetodicalDays > 0) ++methodical;
    if (t->TeacherRoom >= 0) ++roomUsers[t->TeacherRoom];
  }
  EXPECT_EQ(levels, (std::set<int>{0, 1, 2, 3}));
  EXPECT_GE(methodical, 1);
  bool shared = false;
  for (auto [room, users] : roomUsers) shared = shared || users == 2;
  EXPECT_TRUE(shared);

  // The plan is each teacher's real week: a joint lesson counts once.
  std::map<int32_t, int> hours;
  for (const auto& l : d.Lessons)
    for (int g = 0; g < l->SubItemsCount(); ++g) {
      const TLessonSubItem& grp = *l->GetSubItem(g);
      bool jointWithEarlier = false;
      for (int i = 1; i <= grp.LinksCount(); ++i) jointWithEarlier |= grp.GetLink(i).LessonID < l->ID();
      if (!jointWithEarlier) hours[grp.TeacherID] += l->QuantsSum();
    }
  for (const auto& t : d.Teachers) {
    EXPECT_EQ(t->PlanLessCnt, hours[t->ID()]) << t->Name();
    // Well under what the teacher can give.
    EXPECT_LE(3 * t->PlanLessCnt, 2 * TeacherFreeHours(*t, 8)) << t->Name();
  }
}

}  // namespace
}  // namespace korvant
