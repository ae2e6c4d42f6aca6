// korvant-plan-week: plans a project's whole week automatically in a new
// variant and prints, per day, how long it took, how many lesson hours
// stand in the fair copy, the teachers' idle hours and the search steps.
// A measuring tool.
//
//   korvant-plan-week PROJECT.tbl [--seconds N] [--seed S] [--sketch-only] [--out FILE.rsp]
//   korvant-plan-week --demo | --generate K | --generate-large K L SEED [...]
// (--generate-large: a school shaped like the large real ones, K klasses,
// L hours a day, from seed SEED)
//
// The week is planned only with what a user can do in the variant window,
// so that what it reaches a user can reach too:
//   0. in an empty variant, the week is first sketched on paper: every
//      block gets a day and hours, and the sketch is reworked (blocks moved
//      and swapped, alone or in chains between two windows of hours) until
//      no teacher or klass stands twice in an hour, no lesson has two blocks
//      on a day, every klass's day is closed up from an allowed first hour,
//      lessons without a teacher begin or end it, teachers keep their wanted
//      free days, teachers sharing a room and separated blocks keep apart
//      (rules still broken weighing more as the search goes on); then for
//      fewer idle hours (the idle hours a stalled search keeps holding
//      weighing more). A sketch that keeps every rule is entered by hand,
//      each block at its day and hours; then step 5. Otherwise the part of
//      it that keeps every rule is entered by hand and:
//   1. "Подбор вариантов" (the week-variant search) for a group of every
//      teacher, into the drafts: each block gets a day, no hour ("Дальше"
//      when one teacher's search runs long or a third of the time is gone);
//   2. blocks left without a day are put by hand into the draft of a day
//      with room, where needed after moving the klass's shortest blocks
//      from that day into the drafts of days with room; when no day has
//      room, into the day it overfills least; a lesson whose blocks fill
//      every day it may have is taken off one of them;
//   3. "Оптимизация" of each day with every teacher in one group: the day's
//      fair and draft lessons are arranged into hours (a day too large for
//      one run: the teachers' groups one after another);
//   4. a day that cannot be arranged gives one of its blocks (of the klass
//      the run names, else of its tightest teachers and klasses) to the
//      draft of another day with room, and both days are arranged again;
//      with no day with room the block is taken off the week; steps 2-4
//      repeat within the time budget; the week with most hours arranged is
//      saved, reopened when the moves get nowhere, and kept at the end
//      with its drafts emptied;
//   5. "Оптимизация" with "Искать лучший вариант" of each day that has idle
//      hours, in the time left; a day the run leaves with more idle hours
//      than it had is put back as it was (the variant saved before);
//   6. with --out, "Расстановка кабинетов" of each day and "Сохранить как":
//      the variant window's own save, which refuses a variant its file
//      would not give back whole (the message is printed, UTF-8, and the
//      exit status is 2).
// The week has one time budget (--seconds, 50 by default): each day draws a
// part of it and each run of the day a part of the day's, so that no run
// passes it; what kept the week short is printed as notes; --seed S repeats
// a run.
// --sketch-only sketches the week and prints how far the sketch got (30 s
// by default, all of it spent on idle hours once the rules hold), without
// planning it.
//
// Output, one line per day and a total:
//   day 1: 0.004 s, placed 36/36, idle 3, steps 1200
//   total: 0.031 s, placed 219/219, idle 17
//   path: sketch
//   sketch: broken 0, blocks kept 150, sound after 0.1 s
// A day's due hours are its placed hours; the last day's also count every
// hour the week could not place. Exit status: 0 every hour placed, 1 some
// left over, 2 the project cannot be read, the arguments are wrong or the
// variant file is not written (the save refused it or failed).
#include <chrono>
#include <filesystem>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/cp1251.h"
#include "core/common/file_io.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/planning/room_assign.h"
#include "core/planning/week_sketch.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "core/variant/var_file.h"
#include "school_gen.h"

namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: korvant-plan-week PROJECT.tbl | --demo | --generate K | --generate-large K L SEED"
               " [--seconds N] [--seconds-per-day N] [--seed S] [--sketch-only] [--out FILE.rsp]\n");
  return 2;
}

// Messages that name a file come in UTF-16; unpaired surrogates become '?'.
std::string Utf8(std::u16string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      c = '?';
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | c >> 6);
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | c >> 12);
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | c >> 18);
      out += static_cast<char>(0x80 | (c >> 12 & 0x3F));
      out += static_cast<char>(0x80 | (c >> 6 & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

bool Number(const char* s, double& v) {
  char* end = nullptr;
  v = std::strtod(s, &end);
  return end != s && *end == '\0' && v >= 0;
}

}  // namespace

int main(int argc, char** argv) {
  using namespace korvant;
  std::string path;
  bool demo = false;
  int generate = 0;
  int large = 0, largeL = 0, largeSeed = 0;
  double secondsPerDay = 0;
  double seed = 0;
  double seconds = 0;
  bool sketchOnly = false;
  std::string out;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    double v = 0;
    if (a == "--demo") {
      demo = true;
    } else if (a == "--generate" && i + 1 < argc && Number(argv[i + 1], v) && v >= 1 && v <= 1000) {
      generate = static_cast<int>(v);
      ++i;
    } else if (a == "--generate-large" && i + 3 < argc) {
      double k = 0, l = 0, sd = 0;
      if (!Number(argv[i + 1], k) || !Number(argv[i + 2], l) || !Number(argv[i + 3], sd) || k < 1 || k > 1000) return Usage();
      large = static_cast<int>(k);
      largeL = static_cast<int>(l);
      largeSeed = static_cast<int>(sd);
      i += 3;
    } else if (a == "--seconds-per-day" && i + 1 < argc && Number(argv[i + 1], v)) {
      secondsPerDay = v;
      ++i;
    } else if (a == "--seconds" && i + 1 < argc && Number(argv[i + 1], v) && v > 0) {
      seconds = v;
      ++i;
    } else if (a == "--sketch-only") {
      sketchOnly = true;
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (a == "--seed" && i + 1 < argc && Number(argv[i + 1], v)) {
      seed = v;
      ++i;
    } else if (!a.empty() && a[0] != '-' && path.empty()) {
      path = a;
    } else {
      return Usage();
    }
  }
  if ((demo ? 1 : 0) + (generate > 0 ? 1 : 0) + (large > 0 ? 1 : 0) + (path.empty() ? 0 : 1) != 1) return Usage();

  std::unique_ptr<TProjectData> project;
  if (generate > 0) {
    project = GenerateSchool(generate, 8, 2024);
  } else if (large > 0) {
    project = GenerateLargeSchool(large, largeL, static_cast<uint32_t>(largeSeed));
  } else {
    project = std::make_unique<TProjectData>();
    std::vector<unsigned char> image;
    bool ok = true;
    if (demo) {
      const auto span = DemoProjectImage();
      image.assign(span.begin(), span.end());
    } else {
      ok = ReadWholeFile(std::filesystem::path(path), image) == FileReadStatus::Ok;
      if (!ok) std::fprintf(stderr, "korvant-plan-week: cannot read %s\n", path.c_str());
    }
    if (ok && !ReadProjectImage(image, *project)) {
      std::fprintf(stderr, "korvant-plan-week: %s is not a project file\n", demo ? "the demonstration project" : path.c_str());
      ok = false;
    }
    if (!ok) return 2;
  }

  auto doc = TVarDocument::CreateNew(*project, "plan.rsp");
  TRunModel& m = doc->Model();
  TTableVarItem& var = doc->Var();
  SharedState& s = Shared();
  s.UseAttachedRooms = 1;
  s.UseSepQuants = 1;

  TWeekPlanOptions o;
  o.Day.Seed = static_cast<uint32_t>(seed);
  if (seconds > 0) o.TimeBudgetMs = static_cast<int>(seconds * 1000);
  if (secondsPerDay > 0) {
    o.OptimizeMsPerDay = static_cast<int>(secondsPerDay * 1000);
    o.Day.OptimizeStepBudget = ~uint64_t{0};
  }
  if (sketchOnly) {
    TSketchOptions so;
    so.Seed = o.Day.Seed + 1;
    so.TimeBudgetMs = o.TimeBudgetMs > 0 ? o.TimeBudgetMs : 30000;
    so.PolishMs = so.TimeBudgetMs;
    so.HonourRooms = so.SeparateParts = true;
    const TSketchResult sk = SketchWeek(m, so);
    std::printf("sketch: broken %d, idle %d, sound after %.2f s, moves %llu, left %d, unmatched %d\n", sk.Broken,
                sk.Windows, sk.SoundAfter, static_cast<unsigned long long>(sk.Moves), sk.Left, sk.Unmatched);
    return sk.Sound ? 0 : 1;
  }
  const auto t0 = std::chrono::steady_clock::now();
  const TWeekPlanResult r = PlanWeekDrafts(m, var, o);
  const double total = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
  for (int d = 1; d <= 6; ++d) {
    const TWeekDayResult& day = r.Days[static_cast<std::size_t>(d - 1)];
    const int due = day.Placed + (d == 6 ? r.Due - r.Placed : 0);
    std::printf("day %d: %.3f s, placed %d/%d, idle %d, steps %llu\n", d, day.Seconds, day.Placed, due, day.Windows,
                static_cast<unsigned long long>(day.Steps));
  }
  std::printf("total: %.3f s, placed %d/%d, idle %d\n", total, r.Placed, r.Due, r.Windows);
  std::printf("path: %s\n", r.Path.c_str());
  if (r.SketchBroken >= 0)
    std::printf("sketch: broken %d, blocks kept %d, sound after %.1f s\n", r.SketchBroken, r.SketchHeld,
                r.SketchSoundAfter);
  for (const std::string& note : r.Notes) std::printf("note: %s\n", cp1251::toUtf8(note).c_str());
  if (!out.empty()) {
    // Rooms as the room assignment of each day gives them; a question it
    // asks (rooms short) is answered "Да", so that as many as can be given
    // are. The save is the variant window's "Сохранить как": whatever it
    // tells the user is printed, and a question is answered "Да" (the file
    // named is the one to write).
    struct TTold : IPrompt {
      bool Told = false;
      int ShowErrMsgText(PromptOwner, const std::string& text, uint8_t) override {
        return ShowErrMsgText16(nullptr, cp1251::toUtf16(text), 0);
      }
      int ShowErrMsgText16(PromptOwner, const std::u16string& text, uint8_t) override {
        if (Told) std::fprintf(stderr, "korvant-plan-week: %s\n", Utf8(text).c_str());
        return kResYes;
      }
    } prompt;
    ScopedPrompt scoped(&prompt);
    for (int d = 1; d <= 6; ++d) {
      doc->Day = d;
      doc->PrepareDay();
      SetDayRooms(var, d);
    }
    doc->Day = 1;
    prompt.Told = true;
    doc->AskSaveName = [&out](const std::filesystem::path&, std::filesystem::path& name) {
      name = std::filesystem::path(out);
      return true;
    };
    if (!doc->SaveVarAs()) {
      std::fprintf(stderr, "korvant-plan-week: %s is not written\n", out.c_str());
      return 2;
    }
  }
  return r.Complete ? 0 : 1;
}
