// korvant-plan-week plans a real school and writes the week with --out; the
// variant file is read back here byte by byte from its layout (signature,
// options, fair grid, draft grid; identifiers in the cells) and its hard
// rules are checked against the project's lists. Nothing of the planner is
// used: only the project reader, for the lists.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <tuple>
#include <string>
#include <vector>

#include "core/common/file_io.h"
#include "core/project/project_data.h"

namespace korvant {
namespace {

namespace fs = std::filesystem;

int32_t I32(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<int32_t>(uint32_t{b[at]} | uint32_t{b[at + 1]} << 8 | uint32_t{b[at + 2]} << 16 |
                              uint32_t{b[at + 3]} << 24);
}
uint16_t U16(const std::vector<unsigned char>& b, std::size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

struct Cell {
  int32_t Hour, Prev, Lesson;
  uint16_t Rooms[5];
};

// The variant file as its layout gives it.
struct VarFile {
  int K = 0, L = 0, Wills = 0;
  std::vector<Cell> Fair, Draft;  // [row][day][hour]
  std::vector<int> RowKlassID;    // from the high half of each row's first Hour
  const Cell& At(const std::vector<Cell>& g, int row, int day, int hour) const {
    return g[static_cast<std::size_t>((row * 6 + day - 1) * L + hour - 1)];
  }
};

bool ReadVar(const std::vector<unsigned char>& b, VarFile& v) {
  if (b.size() < 1024) return false;
  const char magic[] = "VARI-TABLE";
  if (b[0] != 10 || std::memcmp(&b[1], magic, 10) != 0 || I32(b, 12) != 1 || I32(b, 16) != 0) return false;
  v.Wills = U16(b, 20 + 88);
  v.K = I32(b, 20 + 104);
  v.L = I32(b, 20 + 108);
  if (v.K < 0 || v.K > 1000 || v.L < 1 || v.L > 24) return false;
  const std::size_t cells = static_cast<std::size_t>(v.K) * 6 * static_cast<std::size_t>(v.L);
  if (b.size() != 1024 + 2 * cells * 24) return false;
  for (int g = 0; g < 2; ++g) {
    std::vector<Cell>& grid = g == 0 ? v.Fair : v.Draft;
    for (std::size_t i = 0; i < cells; ++i) {
      const std::size_t at = 1024 + (static_cast<std::size_t>(g) * cells + i) * 24;
      Cell c{I32(b, at), I32(b, at + 4), I32(b, at + 8), {}};
      for (int r = 0; r < 5; ++r) c.Rooms[r] = U16(b, at + 12 + 2 * static_cast<std::size_t>(r));
      grid.push_back(c);
    }
  }
  for (int k = 0; k < v.K; ++k) {
    const uint32_t hour = static_cast<uint32_t>(v.At(v.Fair, k, 1, 1).Hour);
    v.RowKlassID.push_back(static_cast<int>(hour >> 16) - 1);
  }
  return true;
}

// A teacher's hour is closed when restricted at level 0, at level 1 under
// wills below 4, at 2 below 3, at 3 below 2.
bool TeacherClosed(const TTeacherItem& t, int slot, int wills) {
  const TTeacherHourCell c = t.GetBusy(slot);
  if (!c.Restricted) return false;
  return c.Level == 0 || (c.Level == 1 && wills < 4) || (c.Level == 2 && wills < 3) || (c.Level == 3 && wills < 2);
}

TEST(PlanWeekFile, PlannedSchoolKeepsEveryHardRule) {
  const fs::path school = fs::path(KORVANT_SCHOOLS_DIR) / "argentina-isj.tbl";
  if (!fs::exists(school)) GTEST_SKIP() << "no shared schools at " << KORVANT_SCHOOLS_DIR;
  const fs::path out = fs::temp_directory_path() / ("korvant_plan_week_" + std::to_string(::getpid()) + ".rsp");
  const std::string cmd = std::string("\"") + KORVANT_PLAN_WEEK + "\" \"" + school.string() +
                          "\" --seconds 4 --out \"" + out.string() + "\" > \"" + out.string() + ".txt\"";
  const int status = std::system(cmd.c_str());
  ASSERT_TRUE(WIFEXITED(status));
  const int rc = WEXITSTATUS(status);
  ASSERT_TRUE(rc == 0 || rc == 1) << "exit status " << rc;
  std::ifstream txt(out.string() + ".txt");
  const std::string printed((std::istreambuf_iterator<char>(txt)), std::istreambuf_iterator<char>());

  TProjectData p;
  std::vector<unsigned char> image;
  ASSERT_EQ(ReadWholeFile(school, image), FileReadStatus::Ok);
  ASSERT_TRUE(ReadProjectImage(image, p));
  std::ifstream in(out, std::ios::binary);
  const std::vector<unsigned char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  VarFile v;
  ASSERT_TRUE(ReadVar(bytes, v)) << bytes.size() << " bytes";
  fs::remove(out);
  fs::remove(out.string() + ".txt");
  ASSERT_EQ(v.K, p.Klasses.Count());
  ASSERT_EQ(v.L, p.Params.LessonsPerDay);

  std::map<int, const TKlassItem*> klasses;
  for (int i = 0; i < p.Klasses.Count(); ++i) klasses[p.Klasses[i]->ID()] = p.Klasses[i];
  std::map<int, const TTeacherItem*> teachers;
  for (int i = 0; i < p.Teachers.Count(); ++i) teachers[p.Teachers[i]->ID()] = p.Teachers[i];
  std::set<int> rooms;
  for (int i = 0; i < p.Rooms.Count(); ++i) rooms.insert(p.Rooms[i]->ID());
  std::map<int, const TLessonItem*> lessons;
  for (int i = 0; i < p.Lessons.Count(); ++i) lessons[p.Lessons[i]->ID()] = p.Lessons[i];
  // Blocks of a lesson (a separated part: its parent's separated list).
  auto blocksOf = [&](int id) {
    std::vector<int> q;
    const bool sep = id >= 1000000;
    const TLessonItem* l = lessons.at(sep ? id - 1000000 : id);
    if (!sep) {
      for (int i = 1; i <= 21 && l->GetQuant(i) != 0; ++i) q.push_back(l->GetQuant(i));
    } else {
      for (int i = 21; i >= 1 && l->GetQuant(i) != 0; --i) q.push_back(l->GetQuant(i));
    }
    return q;
  };
  // Two groups at one hour may share a teacher or a room only when one is
  // linked to the other (a joint lesson).
  auto linked = [&](int lessonA, int groupA, int lessonB, int groupB) {
    for (auto [a, ga, b, gb] : {std::tuple{lessonA, groupA, lessonB, groupB}, std::tuple{lessonB, groupB, lessonA, groupA}}) {
      const TLessonSubItem* g = lessons.at(a % 1000000)->GetSubItem(ga);
      for (int i = 1; g && i <= 5; ++i)
        if (g->GetLink(i).LessonID == b % 1000000 && g->GetLink(i).GroupIndex == gb) return true;
    }
    return false;
  };

  int fairHours = 0;
  std::map<std::pair<int, int>, std::vector<int>> dayBlocks;  // (klass row, lesson id) -> lengths by day
  for (int k = 0; k < v.K; ++k) {
    ASSERT_TRUE(klasses.count(v.RowKlassID[static_cast<std::size_t>(k)])) << "row " << k;
    const TKlassItem& klass = *klasses.at(v.RowKlassID[static_cast<std::size_t>(k)]);
    for (int d = 1; d <= 6; ++d) {
      for (int h = 1; h <= v.L; ++h) EXPECT_LT(v.At(v.Draft, k, d, h).Lesson, 0) << "a draft left, row " << k;
      std::map<int, int> hours;
      for (int h = 1; h <= v.L; ++h) {
        const Cell& c = v.At(v.Fair, k, d, h);
        if (c.Lesson < 0) continue;
        SCOPED_TRACE("row " + std::to_string(k) + " day " + std::to_string(d) + " hour " + std::to_string(h));
        ++fairHours;
        ASSERT_TRUE(lessons.count(c.Lesson % 1000000));
        const TLessonItem& l = *lessons.at(c.Lesson % 1000000);
        EXPECT_EQ(l.KlassID, klass.ID());
        const int slot = (d - 1) * 24 + h;
        EXPECT_EQ(klass.GetBusy(slot), 0) << "closed klass hour used";
        EXPECT_EQ(l.GetBusy(slot), 0) << "closed lesson hour used";
        for (int g = 0; g < l.SubItemsCount(); ++g) {
          const int t = l.GetSubItem(g)->TeacherID;
          if (teachers.count(t)) {
            EXPECT_FALSE(TeacherClosed(*teachers.at(t), slot, v.Wills)) << "closed teacher hour";
          }
          if (c.Rooms[g] != 0xFFFF) {
            EXPECT_TRUE(rooms.count(c.Rooms[g])) << "unknown room";
          }
        }
        // Blocks whole: one run of consecutive hours a day, chained.
        const bool starts = h == 1 || v.At(v.Fair, k, d, h - 1).Lesson != c.Lesson;
        EXPECT_EQ(c.Prev, starts ? -1 : h - 1);
        if (starts) {
          EXPECT_EQ(hours.count(c.Lesson), 0u) << "a lesson twice on a day";
        }
        ++hours[c.Lesson];
      }
      for (auto [id, n] : hours) dayBlocks[{k, id}].push_back(n);
    }
  }
  // Teachers and rooms once an hour, but for linked groups.
  for (int d = 1; d <= 6; ++d)
    for (int h = 1; h <= v.L; ++h) {
      std::map<int, std::pair<int, int>> teacherAt, roomAt;
      for (int k = 0; k < v.K; ++k) {
        const Cell& c = v.At(v.Fair, k, d, h);
        if (c.Lesson < 0) continue;
        const TLessonItem& l = *lessons.at(c.Lesson % 1000000);
        for (int g = 0; g < l.SubItemsCount(); ++g) {
          for (auto [key, at] : {std::pair{l.GetSubItem(g)->TeacherID, &teacherAt}, std::pair{int{c.Rooms[g]}, &roomAt}}) {
            if (key < 0 || key == 0xFFFF) continue;
            auto it = at->find(key);
            if (it == at->end()) {
              (*at)[key] = {c.Lesson, g};
            } else {
              EXPECT_TRUE(linked(it->second.first, it->second.second, c.Lesson, g))
                  << "teacher or room " << key << " twice at day " << d << " hour " << h;
            }
          }
        }
      }
    }
  // Each day of a lesson holds one of its blocks, no block twice; a
  // complete week holds every block.
  int placedLessons = 0;
  for (auto& [key, lens] : dayBlocks) {
    std::vector<int> left = blocksOf(key.second);
    for (int n : lens) {
      auto it = std::find(left.begin(), left.end(), n);
      ASSERT_NE(it, left.end()) << "lesson " << key.second << ": " << n << " hours are no block of it";
      left.erase(it);
    }
    if (rc == 0) {
      EXPECT_TRUE(left.empty()) << "lesson " << key.second << " lacks blocks";
    }
    ++placedLessons;
  }
  EXPECT_GT(placedLessons, 0);
  if (rc == 0) {
    int due = 0;
    for (const auto& [id, l] : lessons) {
      for (int n : blocksOf(id)) due += n;
      if (l->GetQuant(21) != 0)
        for (int n : blocksOf(id + 1000000)) due += n;
    }
    EXPECT_EQ(fairHours, due) << "a complete week holds every hour";
  }
  // The total the tool printed is what the file holds.
  const std::size_t total = printed.find("total:");
  ASSERT_NE(total, std::string::npos) << printed;
  EXPECT_NE(printed.find(", placed " + std::to_string(fairHours) + "/", total), std::string::npos) << printed;
}

}  // namespace
}  // namespace korvant
