#include "core/project/demo_source.h"

#include <charconv>
#include <map>
#include <optional>
#include <stdexcept>
#include <vector>

#include "base/cp1251.h"

namespace korvant {
namespace {

struct Fault : std::runtime_error {
  using std::runtime_error::runtime_error;
};

struct Line {
  int number = 0;
  std::vector<std::string> tokens;
};

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

std::vector<std::string> Tokenize(std::string_view s) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && IsBlank(s[i])) ++i;
    if (i >= s.size()) break;
    std::string tok;
    bool quoted = false;
    while (i < s.size() && (quoted || !IsBlank(s[i]))) {
      if (s[i] == '"') {
        quoted = !quoted;
      } else {
        tok += s[i];
      }
      ++i;
    }
    if (quoted) throw Fault("unclosed quote");
    out.push_back(std::move(tok));
  }
  return out;
}

std::vector<std::string_view> Split(std::string_view s, char sep) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t p = s.find(sep, start);
    parts.push_back(s.substr(start, p == std::string_view::npos ? std::string_view::npos : p - start));
    if (p == std::string_view::npos) return parts;
    start = p + 1;
  }
}

int Number(std::string_view s, int lo, int hi) {
  int v = 0;
  auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (ec != std::errc{} || end != s.data() + s.size()) throw Fault("not a number: " + std::string(s));
  if (v < lo || v > hi) throw Fault("out of range: " + std::string(s));
  return v;
}

std::vector<int> Numbers(std::string_view s, int lo, int hi) {
  std::vector<int> v;
  for (auto part : Split(s, ',')) v.push_back(Number(part, lo, hi));
  return v;
}

// <day>:<from>-<to>, giving the week slots.
std::vector<int> HourRange(std::string_view s, int l) {
  auto parts = Split(s, ':');
  if (parts.size() != 2) throw Fault("expected day:from-to: " + std::string(s));
  const int day = Number(parts[0], 1, 6);
  auto range = Split(parts[1], '-');
  if (range.size() != 2) throw Fault("expected from-to: " + std::string(parts[1]));
  const int from = Number(range[0], 1, l);
  const int to = Number(range[1], from, l);
  std::vector<int> slots;
  for (int h = from; h <= to; ++h) slots.push_back((day - 1) * kSlotsPerDay + h);
  return slots;
}

enum Kind { kProject, kRoom, kSubject, kKlass, kTeacher, kLesson, kLink, kKinds };

std::optional<Kind> KindOf(std::string_view word) {
  static const std::map<std::string_view, Kind> kinds{
      {"project", kProject}, {"room", kRoom},       {"subject", kSubject}, {"klass", kKlass},
      {"teacher", kTeacher}, {"lesson", kLesson}, {"link", kLink}};
  auto it = kinds.find(word);
  if (it == kinds.end()) return std::nullopt;
  return it->second;
}

class Builder {
 public:
  explicit Builder(TProjectData& d) : d_(d) {}

  void Run(std::string_view text) {
    std::vector<Line> byKind[kKinds];
    int number = 0;
    for (auto raw : Split(text, '\n')) {
      ++number;
      line_ = number;
      auto tokens = Tokenize(raw);
      if (tokens.empty() || tokens[0].starts_with('#')) continue;
      auto kind = KindOf(tokens[0]);
      if (!kind) throw Fault("unknown record kind: " + tokens[0]);
      if (*kind != kProject && *kind != kLink) Register(*kind, tokens);
      byKind[*kind].push_back({number, std::move(tokens)});
    }
    // References may point forward, and a lesson's groups default to the
    // klass's size: every kind is filled in after the ones it refers to.
    for (int k = 0; k < kKinds; ++k)
      for (const Line& l : byKind[k]) {
        line_ = l.number;
        Fill(static_cast<Kind>(k), l.tokens);
      }
  }

  int line() const { return line_; }

 private:
  void Register(Kind kind, const std::vector<std::string>& tokens) {
    if (tokens.size() < 2 || tokens[1].find('=') != std::string::npos) throw Fault("record without a key");
    auto& keys = keys_[kind];
    if (keys.count(tokens[1])) throw Fault("key used twice: " + tokens[1]);
    int32_t id = 0;
    switch (kind) {
      case kRoom: id = d_.Rooms.Add()->ID(); break;
      case kSubject: id = d_.Subjects.Add()->ID(); break;
      case kKlass: id = d_.Klasses.Add()->ID(); break;
      case kTeacher: id = d_.Teachers.Add()->ID(); break;
      case kLesson: id = d_.Lessons.Add()->ID(); break;
      default: break;
    }
    keys[tokens[1]] = id;
  }

  int32_t Ref(Kind kind, std::string_view key) const {
    auto it = keys_[kind].find(std::string(key));
    if (it == keys_[kind].end()) throw Fault("unknown reference: " + std::string(key));
    return it->second;
  }

  // Fields after the key: name=value pairs and bare flags.
  static std::vector<std::pair<std::string, std::string>> Fields(const std::vector<std::string>& tokens,
                                                                 std::size_t from) {
    std::vector<std::pair<std::string, std::string>> out;
    for (std::size_t i = from; i < tokens.size(); ++i) {
      const auto eq = tokens[i].find('=');
      if (eq == std::string::npos)
        out.emplace_back(tokens[i], "");
      else
        out.emplace_back(tokens[i].substr(0, eq), tokens[i].substr(eq + 1));
    }
    return out;
  }

  static std::string Text(const std::string& utf8, std::size_t arraySize) {
    const std::string text = cp1251::fromUtf8(utf8);
    if (text.find('?') != std::string::npos && utf8.find('?') == std::string::npos)
      throw Fault("text not representable in the program's code page");
    if (text.size() >= arraySize) throw Fault("text too long: " + utf8);
    return text;
  }

  int L() const { return d_.Params.LessonsPerDay; }

  void Fill(Kind kind, const std::vector<std::string>& tokens) {
    switch (kind) {
      case kProject: return FillProject(Fields(tokens, 1));
      case kRoom: return FillRoom(*d_.Rooms.FindItemID(Ref(kRoom, tokens[1])), Fields(tokens, 2));
      case kSubject: return FillSubject(*d_.Subjects.FindItemID(Ref(kSubject, tokens[1])), Fields(tokens, 2));
      case kKlass: return FillKlass(*d_.Klasses.FindItemID(Ref(kKlass, tokens[1])), Fields(tokens, 2));
      case kTeacher: return FillTeacher(*d_.Teachers.FindItemID(Ref(kTeacher, tokens[1])), Fields(tokens, 2));
      case kLesson: return FillLesson(*d_.Lessons.FindItemID(Ref(kLesson, tokens[1])), Fields(tokens, 2));
      case kLink: return FillLink(tokens);
      default: return;
    }
  }

  void FillProject(const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
      if (name == "description") {
        d_.Params.Description = Text(value, kDescriptionMax + 1);
      } else if (name == "lessons") {
        d_.Params.LessonsPerDay = static_cast<uint16_t>(Number(value, 1, kMaxLessonsPerDay));
      } else if (name == "shifts") {
        auto starts = Numbers(value, 1, kMaxLessonsPerDay);
        if (starts.size() >= kShiftStartWords) throw Fault("too many shift starts");
        d_.Params.ShiftStarts.fill(0);
        for (std::size_t i = 0; i < starts.size(); ++i) {
          if (i > 0 && starts[i] <= starts[i - 1]) throw Fault("shift starts must ascend");
          d_.Params.ShiftStarts[i] = static_cast<uint16_t>(starts[i]);
        }
      } else if (name == "klassmin") {
        d_.Params.ClassMinLessons = static_cast<uint16_t>(Number(value, 0, kMaxLessonsPerDay));
      } else if (name == "teachermin") {
        d_.Params.TeacherMinLessons = static_cast<uint16_t>(Number(value, 0, kMaxLessonsPerDay));
      } else {
        throw Fault("unknown project field: " + name);
      }
    }
  }

  void FillRoom(TRoomItem& r, const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
      if (name == "name") r.SetName(Text(value, kRoomNameSize));
      else if (name == "seats") r.MaxChildren = static_cast<uint16_t>(Number(value, 0, 65535));
      else if (name == "groups") r.MaxGroups = static_cast<uint16_t>(Number(value, 0, 10000));
      else if (name == "specialization") r.Specialization = static_cast<uint8_t>(Number(value, 0, kSpecializationCount));
      else if (name == "strict") r.NotStrict = 0;
      else throw Fault("unknown room field: " + name);
    }
  }

  void FillSubject(TSubjectItem& s, const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
      if (name == "name") {
        s.SetName(Text(value, kSubjectNameSize));
      } else if (name == "kf") {
        s.SanitarKf = static_cast<uint16_t>(Number(value, 0, 65535));
      } else if (name == "specialization") {
        s.Specialization = static_cast<uint8_t>(Number(value, 0, kSpecializationCount));
      } else if (name == "strict") {
        s.NotStrict = 0;
      } else if (name == "rooms") {
        for (auto key : Split(value, ',')) {
          const int before = s.WishedRoomCount();
          s.ChangeWishedRoom(before, Ref(kRoom, key));
          if (s.WishedRoomCount() != before + 1) throw Fault("room listed twice or too many rooms");
        }
      } else {
        throw Fault("unknown subject field: " + name);
      }
    }
  }

  void FillKlass(TKlassItem& k, const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
      if (name == "name") {
        k.SetName(Text(value, kKlassNameSize));
      } else if (name == "pupils") {
        k.ChildrenInKlass = static_cast<uint16_t>(Number(value, 0, 65535));
      } else if (name == "room") {
        k.KlassRoom = Ref(kRoom, value);
      } else if (name == "start") {
        for (int s : Numbers(value, 1, L())) k.ChangeStartLesson(+1, s);
      } else if (name == "parallels") {
        for (auto key : Split(value, ',')) {
          const int32_t id = Ref(kKlass, key);
          if (id == k.ID()) throw Fault("a klass cannot be its own parallel");
          k.ChangeParallel(+1, id);
        }
      } else if (name == "closed") {
        for (int slot : HourRange(value, L())) k.SetBusy(slot, 1);
      } else {
        throw Fault("unknown klass field: " + name);
      }
    }
  }

  void FillTeacher(TTeacherItem& t, const std::vector<std::pair<std::string, std::string>>& fields) {
    for (const auto& [name, value] : fields) {
      if (name == "name") {
        t.SetName(Text(value, kTeacherNameSize));
      } else if (name == "room") {
        t.TeacherRoom = Ref(kRoom, value);
      } else if (name == "metodical") {
        t.MetodicalDays = Number(value, 0, 6);
      } else if (name == "plan") {
        t.PlanLessCnt = Number(value, 0, 6 * kMaxLessonsPerDay);
      } else if (name == "wish") {
        const auto colon = value.rfind(':');
        if (colon == std::string::npos) throw Fault("expected day:from-to:level: " + value);
        const auto level = static_cast<uint8_t>(Number(std::string_view(value).substr(colon + 1), 0, 3));
        for (int slot : HourRange(std::string_view(value).substr(0, colon), L())) t.SetBusy(slot, {1, level});
      } else {
        throw Fault("unknown teacher field: " + name);
      }
    }
  }

  void FillLesson(TLessonItem& l, const std::vector<std::pair<std::string, std::string>>& fields) {
    std::vector<int> blocks, sep;
    std::vector<std::string> groups;
    for (const auto& [name, value] : fields) {
      if (name == "klass") l.KlassID = Ref(kKlass, value);
      else if (name == "blocks") blocks = Numbers(value, 1, L());
      else if (name == "sep") sep = Numbers(value, 1, L());
      else if (name == "group") groups.push_back(value);
      else throw Fault("unknown lesson field: " + name);
    }
    if (blocks.size() + sep.size() + 1 > static_cast<std::size_t>(kQuantWords)) throw Fault("too many blocks");
    for (int b : blocks) l.ChangeQuant(+1, b);
    for (std::size_t i = 0; i < sep.size(); ++i)
      l.SetQuant(kQuantWords - static_cast<int>(i), static_cast<uint16_t>(sep[i]));
    if (groups.size() > static_cast<std::size_t>(kMaxLessonGroups)) throw Fault("too many groups");
    const TKlassItem* klass = d_.Klasses.FindItemID(l.KlassID);
    l.SetSubItemsCount(static_cast<int>(groups.size()));
    for (std::size_t g = 0; g < groups.size(); ++g) {
      auto parts = Split(groups[g], ':');
      if (parts.size() < 2 || parts.size() > 3) throw Fault("expected subject:teacher[:pupils]: " + groups[g]);
      TLessonSubItem& grp = *l.GetSubItem(static_cast<int>(g));
      grp.SubjectID = Ref(kSubject, parts[0]);
      grp.TeacherID = Ref(kTeacher, parts[1]);
      if (parts.size() == 3)
        grp.ChildrenInGroup = static_cast<uint16_t>(Number(parts[2], 0, 65535));
      else if (klass)
        grp.ChildrenInGroup = klass->ChildrenInKlass;
    }
  }

  // <lesson>:<group from 1>
  std::pair<TLessonItem*, int> LessonGroup(std::string_view s) const {
    auto parts = Split(s, ':');
    if (parts.size() != 2) throw Fault("expected lesson:group: " + std::string(s));
    TLessonItem* l = d_.Lessons.FindItemID(Ref(kLesson, parts[0]));
    const int g = Number(parts[1], 1, kMaxLessonGroups) - 1;
    if (!l->GetSubItem(g)) throw Fault("no such group: " + std::string(s));
    return {l, g};
  }

  void FillLink(const std::vector<std::string>& tokens) {
    if (tokens.size() != 3) throw Fault("expected link <lesson>:<group> <lesson>:<group>");
    auto [a, ga] = LessonGroup(tokens[1]);
    auto [b, gb] = LessonGroup(tokens[2]);
    if (a == b) throw Fault("a lesson cannot be linked with itself");
    TLessonSubItem* x = a->GetSubItem(ga);
    TLessonSubItem* y = b->GetSubItem(gb);
    const int nx = x->LinksCount(), ny = y->LinksCount();
    x->ChangeLink(+1, {b->ID(), gb});
    y->ChangeLink(+1, {a->ID(), ga});
    if (x->LinksCount() != nx + 1 || y->LinksCount() != ny + 1) throw Fault("link given twice or too many links");
  }

  TProjectData& d_;
  std::map<std::string, int32_t> keys_[kKinds];
  int line_ = 0;
};

}  // namespace

bool BuildProjectFromSource(std::string_view utf8, TProjectData& data, std::string& error) {
  data.Clear();
  Builder b(data);
  try {
    b.Run(utf8);
  } catch (const Fault& f) {
    error = "line " + std::to_string(b.line()) + ": " + f.what();
    data.Clear();
    return false;
  }
  error.clear();
  data.RefreshHeaders();
  return true;
}

}  // namespace korvant
