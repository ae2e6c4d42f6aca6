#include "reports/data_reports.h"

#include "base/cp1251.h"
#include "core/common/catalogue.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {

// Whether the hours of group g of lesson L (of the klass at klassIndex)
// belong to L: not when one of its links leads to a lesson of a klass with
// a lower index, which counts them. A link to a lesson or klass that no
// longer exists does not take the hours away.
bool CountsHere(const TProjectData& d, const TLessonSubItem& g, int klassIndex) {
  for (int i = 1; i <= kMaxGroupLinks; ++i) {
    const TLessonLink link = g.GetLink(i);
    if (link.LessonID < 0) return true;
    const TLessonItem* other = d.Lessons.FindItemID(link.LessonID);
    if (!other) continue;
    const int otherKlass = d.Klasses.IndexOfID(other->KlassID);
    if (otherKlass >= 0 && otherKlass < klassIndex) return false;
  }
  return true;
}

QString Num(int v) { return QString::number(v); }

}  // namespace

TTeachersData ComputeTeachersData(const TProjectData& d) {
  TTeachersData out;
  for (int t = 0; t < d.Teachers.Count(); ++t) {
    const TTeacherItem* teacher = d.Teachers[t];
    bool hadRow = false;
    for (int s = 0; s < d.Subjects.Count(); ++s) {
      const TSubjectItem* subject = d.Subjects[s];
      std::array<int, 3> sums{};
      for (int l = 0; l < d.Lessons.Count(); ++l) {
        const TLessonItem* lesson = d.Lessons[l];
        const int k = d.Klasses.IndexOfID(lesson->KlassID);
        if (k < 0) continue;
        const int section = d.Klasses[k]->Section;
        for (int gi = 0; gi < lesson->SubItemsCount(); ++gi) {
          const TLessonSubItem* g = lesson->GetSubItem(gi);
          if (g->TeacherID != teacher->ID() || g->SubjectID != subject->ID()) continue;
          if (!CountsHere(d, *g, k)) continue;
          if (section >= 0 && section <= 2) sums[static_cast<std::size_t>(section)] += lesson->QuantsSum();
        }
      }
      if (sums[0] == 0 && sums[1] == 0 && sums[2] == 0) continue;
      TTeacherDataRow row;
      row.Teacher = t;
      if (!hadRow) row.Name = teacher->DisplayName();
      row.Subject = subject->DisplayName();
      row.Hours = sums;
      for (int i = 0; i < 3; ++i) out.Totals[static_cast<std::size_t>(i)] += sums[static_cast<std::size_t>(i)];
      out.Rows.push_back(std::move(row));
      hadRow = true;
    }
    if (!hadRow) {
      TTeacherDataRow row;
      row.Teacher = t;
      row.Name = teacher->DisplayName();
      out.Rows.push_back(std::move(row));
    }
  }
  return out;
}

TClassData ComputeClassData(const TProjectData& d) {
  TClassData out;
  for (int section = 0; section < 3; ++section) {
    TSectionData& sec = out.Sections[static_cast<std::size_t>(section)];
    for (int k = 0; k < d.Klasses.Count(); ++k) {
      const TKlassItem* klass = d.Klasses[k];
      if (klass->Section != section) continue;
      TKlassDataRow row;
      row.Name = klass->DisplayName();
      for (int l = 0; l < d.Lessons.Count(); ++l) {
        const TLessonItem* lesson = d.Lessons[l];
        if (lesson->KlassID != klass->ID()) continue;
        const int h = lesson->QuantsSum();
        for (int gi = 0; gi < lesson->SubItemsCount(); ++gi)
          if (d.Subjects.FindItemID(lesson->GetSubItem(gi)->SubjectID)) (gi == 0 ? row.Curriculum : row.Additional) += h;
      }
      sec.Curriculum += row.Curriculum;
      sec.Additional += row.Additional;
      sec.Rows.push_back(std::move(row));
    }
    if (sec.Rows.empty()) {
      TKlassDataRow none;
      none.Name = "---";
      none.Placeholder = true;
      sec.Rows.push_back(none);
    }
  }
  return out;
}

void TTeachersDataRpForm::BuildReport(TBandReport& r) {
  r.Setup.Orientation = QPageLayout::Portrait;
  Progress(kPrintProgressRange, data_.Teachers.Count());
  r.SetTitle(MakeTitleBand(r.Setup, QStringLiteral("Нагрузка по учебному плану"), {ToQt(data_.Params.Description)}));

  // The section columns are wide enough for their captions ("10 - 11 кл.")
  // to print whole; the names wrap instead.
  const TColumns cols({121, 72, 64, 26, 64, 26, 64, 26, 40, 26});
  // Two header lines: the groups over their columns, then the sections.
  TReportBand head;
  head.Kind = TBandKind::ColumnHeader;
  head.Height = 32;
  auto cell = [&](double x, double y, double w, double h, const QString& text) {
    TReportCell& c = head.AddCell(x, w, text, Qt::AlignCenter, true);
    c.Rect = QRectF(x, y, w, h);
    c.FontSize = 9;
    c.Bold = true;
  };
  cell(cols.X[0], 0, cols.W[0], 32, QStringLiteral("Ф.И.О."));
  cell(cols.X[1], 0, cols.W[1], 32, QStringLiteral("Предмет"));
  cell(cols.X[2], 0, cols.X[8] - cols.X[2], 16, QStringLiteral("Количество часов"));
  cell(cols.X[8], 0, cols.W[8] + cols.W[9], 16, QStringLiteral("Нагрузка"));
  const QStringList sub = {ResQ(10340), QStringLiteral("Ф/к"), ResQ(10341), QStringLiteral("Ф/к"),
                           ResQ(10342), QStringLiteral("Ф/к"), QString(), QStringLiteral("Ф/к")};
  for (int i = 0; i < sub.size(); ++i)
    cell(cols.X[static_cast<std::size_t>(i + 2)], 16, cols.W[static_cast<std::size_t>(i + 2)], 16, sub[i]);
  r.Add(head);

  const TTeachersData td = ComputeTeachersData(data_);
  for (std::size_t i = 0; i < td.Rows.size(); ++i) {
    const TTeacherDataRow& row = td.Rows[i];
    TReportBand b = MakeRow(TBandKind::Detail, cols,
                            {ToQt(row.Name), ToQt(row.Subject), Num(row.Hours[0]), QString(), Num(row.Hours[1]),
                             QString(), Num(row.Hours[2]), QString(), Num(row.Total()), QString()});
    for (int c = 0; c < 2; ++c) {
      b.Cells[static_cast<std::size_t>(c)].Align = Qt::AlignLeft | Qt::AlignVCenter;
      b.Cells[static_cast<std::size_t>(c)].Wrap = true;
    }
    r.Add(std::move(b));
    if (i + 1 == td.Rows.size() || td.Rows[i + 1].Teacher != row.Teacher) Progress(kPrintProgressPos, row.Teacher);
  }
  Progress(kPrintProgressPos, -1);

  TReportBand total = MakeRow(TBandKind::Summary, cols,
                              {QStringLiteral("Всего"), QString(), Num(td.Totals[0]), QString(), Num(td.Totals[1]),
                               QString(), Num(td.Totals[2]), QString(), Num(td.Total()), QString()},
                              16, true);
  total.Cells[0].Align = Qt::AlignLeft | Qt::AlignVCenter;
  r.Add(std::move(total));
}

void TClassDataRpForm::BuildReport(TBandReport& r) {
  r.Setup.Orientation = QPageLayout::Portrait;
  r.SetTitle(MakeTitleBand(r.Setup, QStringLiteral("Тарификация"), {ToQt(data_.Params.Description)}));
  const TColumns cols({160, 90, 90, 90, 99});
  r.Add(MakeRow(TBandKind::ColumnHeader, cols,
                {QStringLiteral("Класс"), QStringLiteral("Часы по УП"), QStringLiteral("Доп. часы"),
                 QStringLiteral("Всего"), QStringLiteral("Факульт.")},
                20, true));

  const TClassData cd = ComputeClassData(data_);
  int printed = 0;
  for (int s = 0; s < 3; ++s) {
    const TSectionData& sec = cd.Sections[static_cast<std::size_t>(s)];
    TReportBand caption;
    caption.Kind = TBandKind::GroupHeader;
    caption.Height = 18;
    TReportCell& c = caption.AddCell(0, cols.Width(), ResQ(10340 + s), Qt::AlignLeft | Qt::AlignVCenter, true);
    c.Bold = true;
    r.Add(std::move(caption));
    for (const TKlassDataRow& row : sec.Rows) {
      TReportBand b = row.Placeholder
                          ? MakeRow(TBandKind::Detail, cols, {"---", "---", "---", "---"})
                          : MakeRow(TBandKind::Detail, cols,
                                    {ToQt(row.Name), Num(row.Curriculum), Num(row.Additional),
                                     Num(row.Curriculum + row.Additional)});
      b.Cells[0].Align = Qt::AlignLeft | Qt::AlignVCenter;
      r.Add(std::move(b));
      if (!row.Placeholder) Progress(kPrintProgressPos, ++printed);
    }
    TReportBand foot = MakeRow(TBandKind::GroupFooter, cols,
                               {QStringLiteral("Итого"), Num(sec.Curriculum), Num(sec.Additional),
                                Num(sec.Curriculum + sec.Additional)},
                               16, true);
    foot.Cells[0].Align = Qt::AlignLeft | Qt::AlignVCenter;
    r.Add(std::move(foot));
  }
  TReportBand total = MakeRow(TBandKind::Summary, cols,
                              {QStringLiteral("Всего"), Num(cd.Curriculum()), Num(cd.Additional()),
                               Num(cd.Curriculum() + cd.Additional())},
                              18, true);
  total.Cells[0].Align = Qt::AlignLeft | Qt::AlignVCenter;
  r.Add(std::move(total));
  Progress(kPrintProgressPos, -1);
}

}  // namespace korvant
