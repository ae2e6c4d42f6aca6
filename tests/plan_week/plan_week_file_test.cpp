// korvant-plan-week plans a real school and writes the week with --out; the
// variant file is read back by the test's own reader (week_check.h) and
// every rule a week must keep is checked against the project's lists. A
// week its file cannot hold is not written.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/common/file_io.h"
#include "core/project/demo_source.h"
#include "core/variant/var_file.h"
#include "week_check.h"

namespace korvant {
namespace {

namespace fs = std::filesystem;
using weekcheck::CheckWeek;
using weekcheck::ReadVar;
using weekcheck::Report;
using weekcheck::VarFile;

std::vector<unsigned char> Bytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {(std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>()};
}

TEST(PlanWeekFile, PlannedSchoolKeepsEveryRule) {
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
  const std::vector<unsigned char> bytes = Bytes(out);
  VarFile v;
  ASSERT_TRUE(ReadVar(bytes, v)) << bytes.size() << " bytes";
  fs::remove(out);
  fs::remove(out.string() + ".txt");

  const Report r = CheckWeek(p, v, TVarOptions{}.TeachersWills);
  for (const std::string& f : r.Faults) ADD_FAILURE() << f;
  EXPECT_EQ(r.FreeDaysShort, 0);
  EXPECT_GT(r.Placed, 0);
  EXPECT_EQ(r.Complete, rc == 0);
  if (rc == 0) {
    EXPECT_EQ(r.Placed, r.Due) << "a complete week holds every hour";
  }
  // The total the tool printed is what the file holds.
  const std::size_t total = printed.find("total:");
  ASSERT_NE(total, std::string::npos) << printed;
  EXPECT_NE(printed.find(", placed " + std::to_string(r.Placed) + "/" + std::to_string(r.Due), total),
            std::string::npos)
      << printed;
}

// A lesson numbered 1000000 would read back as the separated blocks of
// lesson 0: the tool's save refuses the week as the program's does, says
// why and writes nothing.
TEST(PlanWeekFile, AWeekItsFileCannotHoldIsNotWritten) {
  TProjectData p;
  std::string error;
  ASSERT_TRUE(BuildProjectFromSource("project lessons=4 shifts=1\nroom r name=R\nsubject s name=S rooms=r\n"
                                     "klass k name=K start=1\nteacher t name=T\n"
                                     "lesson l klass=k blocks=1,1,1,1 group=s:t\n",
                                     p, error))
      << error;
  p.Lessons[0]->SetID(1000000);
  p.Lessons.SetNextID(1000001);
  const fs::path base = fs::temp_directory_path() / ("korvant_plan_week_big_" + std::to_string(::getpid()));
  const fs::path project = base.string() + ".tbl", out = base.string() + ".rsp", err = base.string() + ".txt";
  const std::vector<unsigned char> image = WriteProjectImage(p);
  ASSERT_TRUE(WriteFileReplacing(project, image));
  const std::string cmd = std::string("\"") + KORVANT_PLAN_WEEK + "\" \"" + project.string() + "\" --seconds 2 --out \"" +
                          out.string() + "\" > /dev/null 2> \"" + err.string() + "\"";
  const int status = std::system(cmd.c_str());
  std::ifstream txt(err);
  const std::string told((std::istreambuf_iterator<char>(txt)), std::istreambuf_iterator<char>());
  const bool written = fs::exists(out);
  fs::remove(project), fs::remove(out), fs::remove(err);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 2);
  EXPECT_FALSE(written);
  EXPECT_NE(told.find("слишком велик для файла варианта"), std::string::npos) << told;
}

}  // namespace
}  // namespace korvant
