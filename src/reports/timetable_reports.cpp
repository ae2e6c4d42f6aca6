#include "reports/timetable_reports.h"

#include <QLocale>

#include <algorithm>
#include <array>
#include <functional>
#include <utility>

#include "core/common/window_messages.h"
#include "platform/qt_text.h"
#include "reports/report_parts.h"

namespace korvant {

namespace {

constexpr int kGroupKlasses = 6;
constexpr int kPlacesPerBlock = 8;
const std::string kDash6 = "------";
const std::string kDash5 = "-----";
const std::string kDash3 = "---";

// The colour of a free place closed by the teacher's wishes (the
// button-face grey of the windows).
const QColor kClosedFill(0xD4, 0xD0, 0xC8);

std::string Cut3(const std::string& s) { return s.substr(0, std::min<std::size_t>(3, s.size())); }

QString Descriptions(const std::string& project, const std::string& variant) {
  return ToQt(project) + QStringLiteral("  ") + ToQt(variant);
}

TReportCell& Framed(TReportBand& b, double x, double y, double w, double h, const QString& text, double font,
                    bool bold = false, Qt::Alignment align = Qt::AlignCenter) {
  TReportCell& c = b.AddCell(x, w, text, align, true);
  c.Rect = QRectF(x, y, w, h);
  c.FontSize = font;
  c.Bold = bold;
  return c;
}

}  // namespace

// ---- texts -----------------------------------------------------------------------

int TTimetableTexts::Places() const { return std::max(kPlacesPerBlock, var_.LessonsPerDay()); }

const TRTILessonItem* TTimetableTexts::LessonAt(int klass, int day, int place, TTableCell& cell) const {
  const TRunModel* m = var_.Model();
  if (!m || place < 1 || place > var_.LessonsPerDay()) return nullptr;
  const TRTIKlassItem* k = m->Klasses[klass];
  if (!k) return nullptr;
  cell = var_.GetCell(klass, day, place);
  if (cell.Lesson < 0) return nullptr;
  return k->Lessons[cell.Lesson];
}

std::string TTimetableTexts::SubjectOf(const TRTILessonItem& l, int group, const std::string& dash) const {
  const TLessonSubItem* g = l.GetSubItem(group);
  const TSubjectItem* s = g ? var_.Model()->Subjects[g->SubjectID] : nullptr;
  return s ? s->DisplayName() : dash;
}

std::string TTimetableTexts::RoomOf(const TRTILessonItem& l, const TTableCell& cell, int group) const {
  const TLessonSubItem* g = l.GetSubItem(group);
  if (!g) return {};
  if (!g->GetFictionName().empty()) return g->GetFictionName();
  if (group < 0 || group >= kMaxLessonGroups) return {};
  const uint16_t room = cell.Rooms[static_cast<std::size_t>(group)];
  const TRoomItem* r = room == kNoRoom ? nullptr : var_.Model()->Rooms[room];
  return r ? r->DisplayName() : std::string();
}

std::string TTimetableTexts::KlassSubjects(int klass, int day, int place, const std::string& dash,
                                           bool cutJoined) const {
  TTableCell cell;
  const TRTILessonItem* l = LessonAt(klass, day, place, cell);
  if (!l) return {};
  const int n = l->SubItemsCount();
  std::string out;
  for (int g = 0; g < n; ++g) {
    if (g > 0) out += '/';
    const std::string s = SubjectOf(*l, g, dash);
    out += cutJoined && n > 1 ? Cut3(s) : s;
  }
  return out;
}

std::string TTimetableTexts::KlassRooms(int klass, int day, int place) const {
  TTableCell cell;
  const TRTILessonItem* l = LessonAt(klass, day, place, cell);
  if (!l) return {};
  std::string out;
  bool any = false;
  for (int g = 0; g < l->SubItemsCount(); ++g) {
    if (g > 0) out += '/';
    const std::string r = RoomOf(*l, cell, g);
    any = any || !r.empty();
    out += r;
  }
  return any ? out : std::string();
}

std::string TTimetableTexts::KlassTeachers(int klass, int day, int place) const {
  TTableCell cell;
  const TRTILessonItem* l = LessonAt(klass, day, place, cell);
  if (!l) return {};
  std::string out;
  for (int g = 0; g < l->SubItemsCount(); ++g) {
    if (g > 0) out += '/';
    const TTeacherItem* t = var_.Model()->Teachers[l->GetSubItem(g)->TeacherID];
    out += t ? t->DisplayName() : kDash6;
  }
  return out;
}

bool TTimetableTexts::TeacherPlace(int teacher, int day, int place, int& klass, int& group, int& links) const {
  if (!var_.Model() || place < 1 || place > var_.LessonsPerDay()) return false;
  return var_.FindTeacherLesson(teacher, place, day, klass, group, links);
}

std::string TTimetableTexts::TeacherKlass(int teacher, int day, int place) const {
  int k = -1, g = -1, links = 0;
  if (!TeacherPlace(teacher, day, place, k, g, links)) return {};
  std::string out = KlassName(k);
  const TTableCell cell = var_.GetCell(k, day, place);
  const TRTILessonItem* l = var_.Model()->Klasses[k]->Lessons[cell.Lesson];
  for (int i = 0; l && i < links && i < kMaxGroupLinks; ++i) {
    const TRTIKlassItem* other =
        var_.Model()->Klasses[l->RT[static_cast<std::size_t>(g)].Links[static_cast<std::size_t>(i)].Klass];
    if (other) out += '/' + other->DisplayName();
  }
  return out;
}

std::string TTimetableTexts::TeacherSubject(int teacher, int day, int place, const std::string& dash) const {
  int k = -1, g = -1, links = 0;
  if (!TeacherPlace(teacher, day, place, k, g, links)) return {};
  const TTableCell cell = var_.GetCell(k, day, place);
  const TRTILessonItem* l = var_.Model()->Klasses[k]->Lessons[cell.Lesson];
  return l ? SubjectOf(*l, g, dash) : std::string();
}

std::string TTimetableTexts::TeacherRoom(int teacher, int day, int place) const {
  int k = -1, g = -1, links = 0;
  if (!TeacherPlace(teacher, day, place, k, g, links)) return {};
  const TTableCell cell = var_.GetCell(k, day, place);
  const TRTILessonItem* l = var_.Model()->Klasses[k]->Lessons[cell.Lesson];
  return l ? RoomOf(*l, cell, g) : std::string();
}

bool TTimetableTexts::TeacherClosed(int teacher, int day, int place) const {
  const TRunModel* m = var_.Model();
  const TRTITeacherItem* t = m ? m->Teachers[teacher] : nullptr;
  if (!t || place < 1 || place > var_.LessonsPerDay()) return false;
  return TeacherHourClosed(t->GetBusy((day - 1) * 24 + place), m->TeachersWills);
}

std::string TTimetableTexts::KlassName(int klass) const {
  const TRTIKlassItem* k = var_.Model() ? var_.Model()->Klasses[klass] : nullptr;
  return k ? k->DisplayName() : std::string();
}

std::string TTimetableTexts::TeacherName(int teacher) const {
  const TRTITeacherItem* t = var_.Model() ? var_.Model()->Teachers[teacher] : nullptr;
  return t ? t->DisplayName() : std::string();
}

QString ReportDayName(int day) {
  QString s = QLocale(QLocale::Russian, QLocale::Russia).dayName(day, QLocale::LongFormat);
  if (!s.isEmpty()) s[0] = s[0].toUpper();
  return s;
}

// ---- all klasses --------------------------------------------------------------------

TAllClsRpForm::TAllClsRpForm(MessageTarget* owner, const TTableVarItem& var, std::string projectDescription,
                             std::string variantDescription)
    : TVariantReportForm(owner, var, std::move(projectDescription), std::move(variantDescription)) {}

void TAllClsRpForm::BuildReport(TBandReport& r) {
  r.Setup.Orientation = QPageLayout::Landscape;
  r.SetPageFooter(MakeProductFooterBand(r.Setup, QStringLiteral("Страница %PAGE%")));
  const TTimetableTexts tx(var_);
  const int places = tx.Places();
  const int klasses = var_.Model() ? var_.KlassCount() : 0;
  const int groups = (klasses + kGroupKlasses - 1) / kGroupKlasses;
  // One step per printed row: six days of every place for each group.
  const int steps = groups * 6 * places;
  Progress(kPrintProgressRange, steps + 1);

  const double w = r.Setup.BodyWidth();
  const double numW = 20;
  const double klassW = (w - numW) / kGroupKlasses;
  const double roomW = 58;
  const double subjW = klassW - roomW;
  int counter = 0;
  for (int grp = 0; grp < groups; ++grp) {
    const int first = grp * kGroupKlasses;
    // The group's header repeats on each of its pages.
    TReportBand head;
    head.Kind = TBandKind::ColumnHeader;
    head.Height = 34;
    head.PageBreakBefore = grp > 0;
    TReportCell& d = head.AddCell(0, w, Descriptions(projectDescription_, variantDescription_));
    d.Rect.setHeight(14);
    d.FontSize = 9;
    Framed(head, 0, 14, numW, 20, QStringLiteral("№"), 9, true);
    for (int i = 0; i < kGroupKlasses; ++i) {
      const int k = first + i;
      Framed(head, numW + i * klassW, 14, klassW, 20, k < klasses ? ToQt(tx.KlassName(k)) : QString(), 9, true);
    }
    r.Add(std::move(head));

    for (int day = 1; day <= 6; ++day) {
      TReportBand dayBand;
      dayBand.Kind = TBandKind::GroupHeader;
      dayBand.Height = 16;
      dayBand.PageBreakBefore = day == 3 || day == 5;  // two days a page
      Framed(dayBand, 0, 0, numW + kGroupKlasses * klassW, 16, ReportDayName(day), 9, true,
             Qt::AlignLeft | Qt::AlignVCenter);
      r.Add(std::move(dayBand));
      for (int place = 1; place <= places; ++place) {
        TReportBand row;
        row.Height = 24;
        Framed(row, 0, 0, numW, 24, QString::number(place), 8);
        for (int i = 0; i < kGroupKlasses; ++i) {
          const int k = first + i;
          const double x = numW + i * klassW;
          const bool shown = k < klasses;
          // Two days must share a page: long names are cut with "…" rather than wrapped.
          Framed(row, x, 0, subjW, 24, shown ? ToQt(tx.KlassSubjects(k, day, place, kDash6, true)) : QString(), 8);
          Framed(row, x + subjW, 0, roomW, 24, shown ? ToQt(tx.KlassRooms(k, day, place)) : QString(), 7);
        }
        r.Add(std::move(row));
        Progress(kPrintProgressPos, ++counter);
      }
    }
  }
  Progress(kPrintProgressPos, -1);
}

// ---- all teachers -------------------------------------------------------------------

TAllTchRpForm::TAllTchRpForm(MessageTarget* owner, const TTableVarItem& var, std::string projectDescription,
                             std::string variantDescription)
    : TVariantReportForm(owner, var, std::move(projectDescription), std::move(variantDescription)) {}

void TAllTchRpForm::BuildReport(TBandReport& r) {
  r.Setup.Orientation = QPageLayout::Portrait;
  r.Setup.MarginLeft = 24;
  r.Setup.MarginRight = 20;
  r.SetPageFooter(MakeProductFooterBand(r.Setup, QStringLiteral("Страница %PAGE%")));
  const TTimetableTexts tx(var_);
  const int teachers = var_.Model() ? var_.TeacherCount() : 0;
  const int places = tx.Places();
  const int blocks = (places + kPlacesPerBlock - 1) / kPlacesPerBlock;
  Progress(kPrintProgressRange, 6 * teachers);

  const double w = r.Setup.BodyWidth();
  const double nameW = 95;
  const double placeW = (w - nameW) / kPlacesPerBlock;
  const double klassW = 18, subjW = 16;
  const double roomW = placeW - klassW - subjW;
  for (int day = 1; day <= 6 && teachers > 0; ++day) {
    TReportBand dayBand;
    dayBand.Kind = TBandKind::GroupHeader;
    dayBand.Height = 32;
    dayBand.PageBreakBefore = day > 1;
    TReportCell& d = dayBand.AddCell(0, w, Descriptions(projectDescription_, variantDescription_));
    d.Rect.setHeight(14);
    d.FontSize = 9;
    TReportCell& n = dayBand.AddCell(0, w, ReportDayName(day));
    n.Rect = QRectF(0, 14, w, 16);
    n.FontSize = 10;
    n.Bold = true;
    r.Add(std::move(dayBand));
    for (int b = 0; b < blocks; ++b) {
      const int from = b * kPlacesPerBlock + 1;
      const int to = std::min(places, from + kPlacesPerBlock - 1);
      // The captions repeat on the day's continuation pages.
      TReportBand head;
      head.Kind = TBandKind::ColumnHeader;
      head.Height = 16;
      Framed(head, 0, 0, nameW, 16, QStringLiteral("Ф.И.О."), 8, true);
      for (int p = from; p <= to; ++p)
        Framed(head, nameW + (p - from) * placeW, 0, placeW, 16, QString::number(p), 8, true);
      r.Add(std::move(head));
      for (int t = 0; t < teachers; ++t) {
        TReportBand row;
        row.Height = 14;
        Framed(row, 0, 0, nameW, 14, ToQt(tx.TeacherName(t)), 7, false, Qt::AlignLeft | Qt::AlignVCenter);
        for (int p = from; p <= to; ++p) {
          const double x = nameW + (p - from) * placeW;
          int k = -1, g = -1, links = 0;
          QString texts[3];
          QColor fill;
          if (tx.TeacherPlace(t, day, p, k, g, links)) {
            texts[0] = ToQt(tx.TeacherKlass(t, day, p));
            texts[1] = ToQt(Cut3(tx.TeacherSubject(t, day, p, kDash3)));
            texts[2] = ToQt(tx.TeacherRoom(t, day, p));
          } else if (tx.TeacherClosed(t, day, p)) {
            fill = kClosedFill;
          }
          Framed(row, x, 0, klassW, 14, texts[0], 7).Fill = fill;
          Framed(row, x + klassW, 0, subjW, 14, texts[1], 6).Fill = fill;
          Framed(row, x + klassW + subjW, 0, roomW, 14, texts[2], 6).Fill = fill;
        }
        r.Add(std::move(row));
        if (b + 1 == blocks) Progress(kPrintProgressPos, (day - 1) * teachers + t);
      }
    }
    // The captions end with the day.
    TReportBand end;
    end.Kind = TBandKind::ColumnHeader;
    end.Height = 0;
    r.Add(std::move(end));
  }
  Progress(kPrintProgressPos, -1);
}

// ---- one klass, one teacher ---------------------------------------------------------------

namespace {

// The cells of one place of a day in a two-day block.
using PlaceTexts = std::array<QString, 3>;

struct TOnePageLayout {
  double NumW = 24;
  std::array<double, 3> BlockW{};  // the three cells of a day in the blocks
};

void BuildOnePage(TBandReport& r, const QString& title, const QString& project, const QString& variant, int places,
                  bool shortForm, const TOnePageLayout& lay, const std::function<QString(int, int)>& compact,
                  const std::function<PlaceTexts(int, int)>& block) {
  r.Setup.Orientation = QPageLayout::Portrait;
  r.SetTitle(MakeTitleBand(r.Setup, title, {project, variant}));
  const double w = r.Setup.BodyWidth();

  // The compact week grid.
  const double dayW = (w - lay.NumW) / 6;
  TReportBand head;
  head.Kind = TBandKind::GroupHeader;
  head.Height = 18;
  Framed(head, 0, 0, lay.NumW, 18, QStringLiteral("№"), 8, true);
  for (int d = 1; d <= 6; ++d) Framed(head, lay.NumW + (d - 1) * dayW, 0, dayW, 18, ReportDayName(d), 8, true);
  r.Add(std::move(head));
  for (int p = 1; p <= places; ++p) {
    TReportBand row;
    row.Height = 16;
    Framed(row, 0, 0, lay.NumW, 16, QString::number(p), 8);
    for (int d = 1; d <= 6; ++d) Framed(row, lay.NumW + (d - 1) * dayW, 0, dayW, 16, compact(d, p), 8);
    r.Add(std::move(row));
  }
  if (shortForm) return;

  // Three two-day blocks.
  const double halfW = lay.BlockW[0] + lay.BlockW[1] + lay.BlockW[2];
  for (const auto& [d1, d2] : {std::pair{1, 4}, std::pair{2, 5}, std::pair{3, 6}}) {
    TReportBand bh;
    bh.Kind = TBandKind::GroupHeader;
    bh.Height = 28;
    Framed(bh, 0, 10, lay.NumW, 18, QStringLiteral("№"), 8, true);
    Framed(bh, lay.NumW, 10, halfW, 18, ReportDayName(d1), 8, true);
    Framed(bh, lay.NumW + halfW, 10, halfW, 18, ReportDayName(d2), 8, true);
    r.Add(std::move(bh));
    for (int p = 1; p <= places; ++p) {
      TReportBand row;
      row.Height = 16;
      Framed(row, 0, 0, lay.NumW, 16, QString::number(p), 8);
      double x = lay.NumW;
      for (int d : {d1, d2}) {
        const PlaceTexts t = block(d, p);
        for (std::size_t i = 0; i < 3; ++i) {
          TReportCell& c = Framed(row, x, 0, lay.BlockW[i], 16, t[i], 7);
          c.Wrap = true;  // two teachers' names take two lines rather than lose their ends
          x += lay.BlockW[i];
        }
      }
      r.Add(std::move(row));
    }
  }
}

}  // namespace

TClassTableRpForm::TClassTableRpForm(MessageTarget* owner, bool shortForm, int klass, const TTableVarItem& var,
                                     std::string projectDescription, std::string variantDescription)
    : TVariantReportForm(owner, var, std::move(projectDescription), std::move(variantDescription)),
      shortForm_(shortForm),
      klass_(klass) {}

void TClassTableRpForm::BuildReport(TBandReport& r) {
  const TTimetableTexts tx(var_);
  if (!var_.Model() || klass_ < 0 || klass_ >= var_.KlassCount()) return;
  TOnePageLayout lay;
  lay.BlockW = {72, 104, 76};
  const int k = klass_;
  BuildOnePage(
      r, ToQt(tx.KlassName(k)), ToQt(projectDescription_), ToQt(variantDescription_), tx.Places(), shortForm_, lay,
      [&](int d, int p) { return ToQt(tx.KlassSubjects(k, d, p, kDash6, true)); },
      [&](int d, int p) {
        return PlaceTexts{ToQt(tx.KlassSubjects(k, d, p, kDash6, true)), ToQt(tx.KlassTeachers(k, d, p)),
                          ToQt(tx.KlassRooms(k, d, p))};
      });
}

TTeacherTableRpForm::TTeacherTableRpForm(MessageTarget* owner, bool shortForm, int teacher, const TTableVarItem& var,
                                         std::string projectDescription, std::string variantDescription)
    : TVariantReportForm(owner, var, std::move(projectDescription), std::move(variantDescription)),
      shortForm_(shortForm),
      teacher_(teacher) {}

void TTeacherTableRpForm::BuildReport(TBandReport& r) {
  const TTimetableTexts tx(var_);
  if (!var_.Model() || teacher_ < 0 || teacher_ >= var_.TeacherCount()) return;
  TOnePageLayout lay;
  lay.BlockW = {60, 112, 80};
  const int t = teacher_;
  BuildOnePage(
      r, ToQt(tx.TeacherName(t)), ToQt(projectDescription_), ToQt(variantDescription_), tx.Places(), shortForm_,
      lay, [&](int d, int p) { return ToQt(tx.TeacherKlass(t, d, p)); },
      [&](int d, int p) {
        return PlaceTexts{ToQt(tx.TeacherKlass(t, d, p)), ToQt(tx.TeacherSubject(t, d, p, kDash5)),
                          ToQt(tx.TeacherRoom(t, d, p))};
      });
}

}  // namespace korvant
