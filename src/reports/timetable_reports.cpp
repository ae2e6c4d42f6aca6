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

  // Every place's subject and room, by klass, day and place.
  auto at = [places](int k, int day, int place) {
    return (static_cast<std::size_t>(k) * 6 + static_cast<std::size_t>(day - 1)) * static_cast<std::size_t>(places) +
           static_cast<std::size_t>(place - 1);
  };
  QStringList subjects, rooms;
  for (int k = 0; k < klasses; ++k)
    for (int day = 1; day <= 6; ++day)
      for (int place = 1; place <= places; ++place) {
        subjects << ToQt(tx.KlassSubjects(k, day, place, kDash6, true));
        rooms << ToQt(tx.KlassRooms(k, day, place));
      }

  const double w = r.Setup.BodyWidth();
  const double numW = 20;
  const double klassW = (w - numW) / kGroupKlasses;
  // Subject and room share a klass's column as the school's names need.
  const TColumnFit fit = FitColumns({subjects, rooms}, klassW, 8, 6, r.Setup);
  const double subjW = fit.Widths[0];
  const double roomW = fit.Widths[1];
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
          // A row holds two lines: a text too long for one takes the second.
          FitCell(Framed(row, x, 0, subjW, 24, shown ? subjects[static_cast<int>(at(k, day, place))] : QString(),
                         fit.FontSize),
                  r.Setup);
          FitCell(Framed(row, x + subjW, 0, roomW, 24, shown ? rooms[static_cast<int>(at(k, day, place))] : QString(),
                         fit.FontSize),
                  r.Setup);
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

  // Every teacher's week first: the columns are laid out for the texts
  // the school has, the same on every page.
  struct TPlace {
    QString Texts[3];  // klass, subject, room
    bool Closed = false;
  };
  std::vector<TPlace> week(static_cast<std::size_t>(teachers) * 6 * static_cast<std::size_t>(places));
  auto at = [places](int t, int day, int place) {
    return (static_cast<std::size_t>(t) * 6 + static_cast<std::size_t>(day - 1)) * static_cast<std::size_t>(places) +
           static_cast<std::size_t>(place - 1);
  };
  std::vector<QStringList> columns(3);
  QStringList names;
  for (int t = 0; t < teachers; ++t) {
    names << ToQt(tx.TeacherName(t));
    for (int day = 1; day <= 6; ++day)
      for (int p = 1; p <= places; ++p) {
        TPlace& pl = week[at(t, day, p)];
        int k = -1, g = -1, links = 0;
        if (tx.TeacherPlace(t, day, p, k, g, links)) {
          pl.Texts[0] = ToQt(tx.TeacherKlass(t, day, p));
          pl.Texts[1] = ToQt(Cut3(tx.TeacherSubject(t, day, p, kDash3)));
          pl.Texts[2] = ToQt(tx.TeacherRoom(t, day, p));
          for (int i = 0; i < 3; ++i) columns[static_cast<std::size_t>(i)] << pl.Texts[i];
        } else {
          pl.Closed = tx.TeacherClosed(t, day, p);
        }
      }
  }

  const double w = r.Setup.BodyWidth();
  // The places' texts take 7 to 5 points; a cell whose word is wider than
  // its column at 5 takes 4. The names keep 7.
  constexpr double kNameFont = 7, kLargest = 7, kSmallest = 5, kTiniest = 4;
  // A name wraps between its words when the places need the width: the
  // name column lies between its longest word and its longest name (up to
  // a fifth of the page), and the rows grow into the page's height.
  const double nameFloor = std::max(std::min(WordNeed(names, kNameFont, r.Setup), w / 4),
                                    TextWidth(QStringLiteral("Ф.И.О."), 8, true, r.Setup.FontFamily) +
                                        2 * kCellTextInset + 1);
  const double nameFull = std::max(std::min(LineNeed(names, kNameFont, r.Setup), w / 5), nameFloor);
  // Where the places' words do not fit even so, their texts keep closer
  // to the frames.
  double words = 0, placeIdeal = 0;
  for (const QStringList& c : columns) words += WordNeed(c, kSmallest, r.Setup);
  const double inset = nameFloor + kPlacesPerBlock * words <= w ? kCellTextInset : 1;
  for (const QStringList& c : columns) placeIdeal += LineNeed(c, kSmallest, r.Setup, false, inset);
  const double nameW = std::clamp(w - kPlacesPerBlock * placeIdeal, nameFloor, nameFull);
  const double placeW = (w - nameW) / kPlacesPerBlock;
  const TColumnFit fit = FitColumns(columns, placeW, kLargest, kSmallest, r.Setup, false, inset, kTiniest);
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
        FitCell(Framed(row, 0, 0, nameW, 14, names[t], kNameFont, false, Qt::AlignLeft | Qt::AlignVCenter), r.Setup,
                kTiniest);
        for (int p = from; p <= to; ++p) {
          const TPlace& pl = week[at(t, day, p)];
          const QColor fill = pl.Closed ? kClosedFill : QColor();
          double x = nameW + (p - from) * placeW;
          for (std::size_t i = 0; i < 3; ++i) {
            TReportCell& c = Framed(row, x, 0, fit.Widths[i], 14, pl.Texts[i], fit.FontSize);
            c.Fill = fill;
            c.Inset = inset;
            FitCell(c, r.Setup, kTiniest);
            x += fit.Widths[i];
          }
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

// The sizes of a one-page report, from the roomiest to the tightest.
struct TOnePageSizes {
  double RowH, HeadH, Gap, CompactFont, BlockFont;
};
constexpr TOnePageSizes kOnePageSizes[] = {{16, 18, 10, 8, 7}, {14, 16, 8, 7, 6}, {12, 14, 6, 6, 5}};

// The bands of a one-page report at the given sizes. The captions of the
// week grid and of each two-day block repeat on a continuation page, for a
// school whose texts do not fit one page even at the smallest sizes.
void AddOnePageBands(TBandReport& r, const TOnePageSizes& z, int places, bool shortForm,
                     const std::vector<QString>& compact, const std::vector<PlaceTexts>& block) {
  const double w = r.Setup.BodyWidth();
  const double numW = 24;
  auto at = [places](int d, int p) {
    return static_cast<std::size_t>(d - 1) * static_cast<std::size_t>(places) + static_cast<std::size_t>(p - 1);
  };
  auto captionsEnd = [&r] {
    TReportBand end;
    end.Kind = TBandKind::ColumnHeader;
    end.Height = 0;
    r.Add(std::move(end));
  };

  // The compact week grid.
  const double dayW = (w - numW) / 6;
  const double compactFont =
      FitFontSize(QStringList(compact.begin(), compact.end()), dayW, z.CompactFont, z.CompactFont - 1, r.Setup);
  TReportBand head;
  head.Kind = TBandKind::ColumnHeader;
  head.Height = z.HeadH;
  Framed(head, 0, 0, numW, z.HeadH, QStringLiteral("№"), 8, true);
  for (int d = 1; d <= 6; ++d) Framed(head, numW + (d - 1) * dayW, 0, dayW, z.HeadH, ReportDayName(d), 8, true);
  r.Add(std::move(head));
  for (int p = 1; p <= places; ++p) {
    TReportBand row;
    row.Height = z.RowH;
    Framed(row, 0, 0, numW, z.RowH, QString::number(p), 8);
    for (int d = 1; d <= 6; ++d)
      FitCell(Framed(row, numW + (d - 1) * dayW, 0, dayW, z.RowH, compact[at(d, p)], compactFont), r.Setup);
    r.Add(std::move(row));
  }
  captionsEnd();
  if (shortForm) return;

  // Three two-day blocks; a day's three cells share its half as the
  // school's texts need.
  const double halfW = (w - numW) / 2;
  std::vector<QStringList> columns(3);
  for (const PlaceTexts& t : block)
    for (std::size_t i = 0; i < 3; ++i) columns[i] << t[i];
  // A text too long for its cell wraps at this size rather than shrink
  // further: the smaller sizes come next if the page overflows.
  const TColumnFit fit = FitColumns(columns, halfW, z.BlockFont, z.BlockFont, r.Setup);
  for (const auto& [d1, d2] : {std::pair{1, 4}, std::pair{2, 5}, std::pair{3, 6}}) {
    TReportBand bh;
    bh.Kind = TBandKind::ColumnHeader;
    bh.Height = z.Gap + z.HeadH;
    Framed(bh, 0, z.Gap, numW, z.HeadH, QStringLiteral("№"), 8, true);
    Framed(bh, numW, z.Gap, halfW, z.HeadH, ReportDayName(d1), 8, true);
    Framed(bh, numW + halfW, z.Gap, halfW, z.HeadH, ReportDayName(d2), 8, true);
    r.Add(std::move(bh));
    for (int p = 1; p <= places; ++p) {
      TReportBand row;
      row.Height = z.RowH;
      Framed(row, 0, 0, numW, z.RowH, QString::number(p), 8);
      double x = numW;
      for (int d : {d1, d2}) {
        const PlaceTexts& t = block[at(d, p)];
        for (std::size_t i = 0; i < 3; ++i) {
          // Two teachers' names take two lines rather than lose their ends.
          FitCell(Framed(row, x, 0, fit.Widths[i], z.RowH, t[i], fit.FontSize), r.Setup);
          x += fit.Widths[i];
        }
      }
      r.Add(std::move(row));
    }
    captionsEnd();
  }
}

void BuildOnePage(TBandReport& r, const QString& title, const QString& project, const QString& variant, int places,
                  bool shortForm, const std::function<QString(int, int)>& compactText,
                  const std::function<PlaceTexts(int, int)>& blockTexts) {
  std::vector<QString> compact;
  std::vector<PlaceTexts> block;
  for (int d = 1; d <= 6; ++d)
    for (int p = 1; p <= places; ++p) {
      compact.push_back(compactText(d, p));
      block.push_back(blockTexts(d, p));
    }
  // The roomiest sizes that keep the report on one page.
  for (const TOnePageSizes& z : kOnePageSizes) {
    TBandReport page;
    page.Setup = r.Setup;
    page.Setup.Orientation = QPageLayout::Portrait;
    page.SetTitle(MakeTitleBand(page.Setup, title, {project, variant}));
    AddOnePageBands(page, z, places, shortForm, compact, block);
    if (Paginate(page).size() == 1 || &z == &kOnePageSizes[std::size(kOnePageSizes) - 1]) {
      r = std::move(page);
      return;
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
  const int k = klass_;
  BuildOnePage(
      r, ToQt(tx.KlassName(k)), ToQt(projectDescription_), ToQt(variantDescription_), tx.Places(), shortForm_,
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
  const int t = teacher_;
  BuildOnePage(
      r, ToQt(tx.TeacherName(t)), ToQt(projectDescription_), ToQt(variantDescription_), tx.Places(), shortForm_,
      [&](int d, int p) { return ToQt(tx.TeacherKlass(t, d, p)); },
      [&](int d, int p) {
        return PlaceTexts{ToQt(tx.TeacherKlass(t, d, p)), ToQt(tx.TeacherSubject(t, d, p, kDash5)),
                          ToQt(tx.TeacherRoom(t, d, p))};
      });
}

}  // namespace korvant
