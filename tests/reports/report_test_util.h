#pragma once
// What the report tests share: the demonstration project with a planned
// week, PDF output into the build tree's tests/reports folder, and checks
// on the engine's pages.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPrinter>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <memory>

#include "core/common/catalogue.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/planning/room_assign.h"
#include "core/project/demo_project.h"
#include "core/project/project_data.h"
#include "platform/report_engine.h"

// QString in readable form in failure messages.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace korvant::test {

struct YesToAll : IPrompt {
  int ShowErrMsgText(PromptOwner, const std::string&, uint8_t) override { return kResYes; }
};

// The demonstration project with its week planned automatically and the
// rooms of every day assigned, built once.
struct PlannedDemo {
  TProjectData Data;
  std::unique_ptr<TRunModel> Model;
  std::unique_ptr<TTableVarItem> Var;
};

inline const PlannedDemo& Planned() {
  static PlannedDemo* demo = [] {
    auto* p = new PlannedDemo;
    EXPECT_TRUE(ReadProjectImage(DemoProjectImage(), p->Data));
    p->Model = BuildRunModel(p->Data);
    p->Var = std::make_unique<TTableVarItem>(p->Model.get(), p->Model->Teachers.Count(), p->Model->L(),
                                             p->Model->Klasses.Count());
    SharedState& s = Shared();
    s.AbortPlanning = s.WaitUser = 0;
    s.UseAttachedRooms = s.UseSepQuants = 1;
    EXPECT_TRUE(PlanWeekAuto(*p->Model, *p->Var).Complete);
    YesToAll yes;
    ScopedPrompt scope(&yes);
    for (int day = 1; day <= 6; ++day) SetDayRooms(*p->Var, day);
    return p;
  }();
  return *demo;
}

// The build tree's tests/reports folder.
inline QString ReportsDir() {
  const QString dir = QCoreApplication::applicationDirPath() + QStringLiteral("/reports");
  QDir().mkpath(dir);
  return dir;
}

// Pages of a PDF file as its page objects count them.
inline int PdfPageCount(const QString& path) {
  QFile f(path);
  if (!f.open(QIODevice::ReadOnly)) return -1;
  const QByteArray bytes = f.readAll();
  if (!bytes.startsWith("%PDF")) return -1;
  static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
  return static_cast<int>(QString::fromLatin1(bytes).count(page));
}

// Prints pages into tests/reports/<name>.pdf with Qt's own PDF output and
// answers the file's page count.
inline int PrintToPdf(const std::vector<TReportPage>& pages, const TReportSetup& setup, const QString& name) {
  const QString path = ReportsDir() + QLatin1Char('/') + name;
  QFile::remove(path);
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(path);
  if (!PrintPages(pages, setup, printer)) return -1;
  return PdfPageCount(path);
}

// Every caption (title, headers) prints whole: none is cut to fit its cell.
inline void ExpectCaptionsWhole(const std::vector<TReportPage>& pages, const TReportSetup& s) {
  for (const TReportPage& page : pages)
    for (const TPlacedBand& b : page.Bands) {
      if (b.Band.Kind == TBandKind::Detail) continue;
      for (const TReportCell& c : b.Band.Cells) {
        if (c.Wrap || c.Text.isEmpty() || c.Text.contains(QLatin1Char('%'))) continue;
        EXPECT_EQ(FitText(c.Text, c.Rect.width() - 2 * c.Inset, c.FontSize, c.Bold, s.FontFamily), c.Text);
      }
    }
}

// The words the pages print broken inside, as the engine lays their cells
// out: a line that ends between two letters or digits of the text, given
// as "end|start". A text cut short on one line counts whole.
inline QStringList CutWords(const std::vector<TReportPage>& pages, const TReportSetup& s) {
  QStringList cut;
  for (const TReportPage& page : pages)
    for (const TPlacedBand& b : page.Bands)
      for (const TReportCell& c : b.Band.Cells) {
        if (c.Text.isEmpty() || c.Text.contains(QLatin1Char('%'))) continue;
        const QStringList lines = CellLines(c, s);
        if (!c.Wrap) {
          if (lines.value(0) != c.Text) cut << c.Text;
          continue;
        }
        qsizetype at = 0;
        for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
          at = c.Text.indexOf(lines[i], at);
          if (at < 0) break;
          at += lines[i].size();
          if (at > 0 && at < c.Text.size() && c.Text[at - 1].isLetterOrNumber() && c.Text[at].isLetterOrNumber())
            cut << lines[i].section(QLatin1Char(' '), -1) + QLatin1Char('|') + lines[i + 1].section(QLatin1Char(' '), 0, 0);
        }
      }
  return cut;
}

// Every text prints whole, the detail rows' too: a cell on one line is not
// cut, a wrapped cell's lines fit its height and break no word. Names the
// first cut texts.
inline void ExpectTextsWhole(const std::vector<TReportPage>& pages, const TReportSetup& s) {
  ExpectCaptionsWhole(pages, s);
  QStringList cut;
  for (const TReportPage& page : pages)
    for (const TPlacedBand& b : page.Bands) {
      if (b.Band.Kind != TBandKind::Detail) continue;
      for (const TReportCell& c : b.Band.Cells) {
        if (c.Text.isEmpty()) continue;
        if (!c.Wrap) {
          if (CellLines(c, s).value(0) != c.Text) cut << c.Text;
          continue;
        }
        TReportBand alone;
        alone.Height = 0;
        TReportCell at = c;
        at.Rect.moveTop(0);
        alone.Cells.push_back(at);
        if (BandHeight(alone, s) > c.Rect.height() + 0.01) cut << c.Text;
      }
    }
  EXPECT_TRUE(cut.isEmpty()) << cut.size() << " texts cut, among them: " << cut.mid(0, 5).join(" | ").toStdString();
  const QStringList words = CutWords(pages, s);
  EXPECT_TRUE(words.isEmpty()) << words.size() << " words cut, among them: " << words.mid(0, 8).join(" ").toStdString();
}

// Texts of the page in one list, for searching.
inline QStringList AllTexts(const std::vector<TReportPage>& pages) {
  QStringList all;
  for (const TReportPage& p : pages) all << p.Texts();
  return all;
}

}  // namespace korvant::test
