// Every dialog and window of the program, shown in the program's own font:
// every label shows its text as it is, no label is cut (a text wider than
// its label, a wrapped text taller than it), no check or radio box loses
// its caption, and no list has columns
// wider than its view or a column narrower than its heading, and no grid cuts
// the texts of its heading row or column.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QMdiArea>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeView>
#include <QtTest/QTest>

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "controls/grid_geometry.h"
#include "controls/prg_string_grid.h"
#include "controls/school_table.h"
#include "controls/sel_date_dlg.h"
#include "controls/sel_item_dlg.h"
#include "controls/string_grid.h"
#include "core/common/shared_state.h"
#include "core/planning/day_planner.h"
#include "core/project/demo_project.h"
#include "core/project/project.h"
#include "core/substitutions/zamesh_archive.h"
#include "core/variant/var_file.h"
#include "platform/qt_text.h"
#include "platform/window_messages.h"
#include "reports/print_dlg.h"
#include "reports/print_table_dlg.h"
#include "reports/zamesh_journal_dlg.h"
#include "window_test_util.h"
#include "windows/editors/klasses_manager.h"
#include "windows/editors/lesson_dialogs.h"
#include "windows/editors/lessons_manager.h"
#include "windows/editors/move_rec_dlg.h"
#include "windows/editors/rooms_manager.h"
#include "windows/editors/subjects_manager.h"
#include "windows/editors/teachers_manager.h"
#include "windows/planning/group_man.h"
#include "windows/planning/prepare_dlgs.h"
#include "windows/planning/progress_wnd.h"
#include "windows/planning/var_options_dlg.h"
#include "windows/planning/week_vars_dlg.h"
#include "windows/shell/about_dlg.h"
#include "windows/shell/program_folders.h"
#include "windows/shell/proj_params_dlg.h"
#include "windows/shell/test_data_dlg.h"
#include "windows/variant/statistics_dlg.h"
#include "windows/variant/vars_window.h"

namespace korvant {
namespace {

QString Shown(QString t) {
  t.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
  t.remove(QLatin1Char('&'));
  t.replace(QLatin1Char('\x01'), QLatin1Char('&'));
  return t;
}

// Where texts of a window are cut, one line each.
std::vector<std::string> CutTexts(QWidget* top) {
  std::vector<std::string> out;
  auto name = [top](const QWidget* w, const QString& what) {
    return (top->metaObject()->className() + QStringLiteral(" ") + w->metaObject()->className() +
            QStringLiteral(": ") + what)
        .toStdString();
  };
  // Fields kept outside the client area on purpose are not looked at.
  auto onScreen = [top](const QWidget* w) {
    if (!w->isVisibleTo(top)) return false;
    const QRect r(w->mapTo(top, QPoint(0, 0)), w->size());
    return top->rect().intersects(r);
  };
  for (QLabel* l : top->findChildren<QLabel*>()) {
    // A name from the project is shown as it is, never read as markup.
    if (l->textFormat() != Qt::PlainText) out.push_back(name(l, QStringLiteral("reads markup: ") + l->text()));
    if (!onScreen(l) || l->text().isEmpty()) continue;
    const QRect c = l->contentsRect().adjusted(l->margin(), l->margin(), -l->margin(), -l->margin());
    const QFontMetrics fm(l->font());
    if (l->wordWrap()) {
      if (l->heightForWidth(l->width()) > l->height())
        out.push_back(name(l, l->text() + QStringLiteral(" (%1 high in %2)").arg(l->heightForWidth(l->width())).arg(l->height())));
    } else {
      int wide = 0;
      for (const QString& line : Shown(l->text()).split(QLatin1Char('\n')))
        wide = std::max(wide, fm.horizontalAdvance(line));
      const int high = fm.height() * static_cast<int>(l->text().count(QLatin1Char('\n')) + 1);
      if (wide > c.width() || high > c.height() + 2)
        out.push_back(name(l, l->text() + QStringLiteral(" (%1 x %2 in %3 x %4)").arg(wide).arg(high).arg(c.width()).arg(c.height())));
    }
  }
  for (QAbstractButton* b : top->findChildren<QAbstractButton*>()) {
    if (!qobject_cast<QCheckBox*>(b) && !qobject_cast<QRadioButton*>(b)) continue;
    if (!onScreen(b) || b->text().isEmpty()) continue;
    if (b->sizeHint().width() > b->width())
        out.push_back(name(b, b->text() + QStringLiteral(" (%1 in %2)").arg(b->sizeHint().width()).arg(b->width())));
  }
  for (QTreeView* v : top->findChildren<QTreeView*>()) {
    if (!onScreen(v)) continue;
    QHeaderView* h = v->header();
    const QFontMetrics fm(h->font());
    int total = 0;
    for (int i = 0; i < h->count(); ++i) {
      if (h->isSectionHidden(i) || h->sectionSize(i) == 0) continue;
      total += h->sectionSize(i);
      const QString title = v->model()->headerData(i, Qt::Horizontal).toString();
      if (fm.horizontalAdvance(title) + 12 > h->sectionSize(i))
        out.push_back(name(v, QStringLiteral("column %1 (%2 in %3)").arg(title).arg(fm.horizontalAdvance(title) + 12).arg(h->sectionSize(i))));
    }
    if (total > v->viewport()->width())
      out.push_back(name(v, QStringLiteral("columns %1 px in a view of %2 px").arg(total).arg(v->viewport()->width())));
  }
  // Heading cells of the grids, measured as the grids draw them.
  auto gridText = [&](const QWidget* g, int col, int row, const QString& t, int wide, int room) {
    out.push_back(name(g, QStringLiteral("cell %1,%2 %3 (%4 in %5)").arg(col).arg(row).arg(t).arg(wide).arg(room)));
  };
  for (TSchoolTable* g : top->findChildren<TSchoolTable*>()) {
    if (!onScreen(g)) continue;
    const QFontMetrics fm(g->font());
    const int flags = Qt::AlignHCenter | Qt::AlignTop;
    auto look = [&](int col, int row) {
      const THourElementRecord rec = g->CellContent(col, row);
      const QRect cell(0, 0, g->ColWidths(col), g->RowHeights(row));
      const auto cols = SubCellSpans(cell.left(), cell.left() + cell.width(), rec.SubColWidths);
      const auto rows = SubCellSpans(cell.top(), cell.top() + cell.height(), rec.SubRowHeights);
      for (std::size_t ci = 0; ci < cols.size(); ++ci)
        for (std::size_t ri = 0; ri < rows.size(); ++ri) {
          const std::string& t = rec.Texts[ci][ri];
          if (t.empty() || t == "HCS" || t == "SCS" || t == "GCS") continue;
          const QRect sub(cols[ci].lo, rows[ri].lo, cols[ci].hi - cols[ci].lo, rows[ri].hi - rows[ri].lo);
          const QRect b = fm.boundingRect(sub, flags, ToQt(t));
          // A line may lose the blank under its descenders, nothing more.
          if (b.width() > sub.width() || b.height() > sub.height() + 2)
            gridText(g, col, row, ToQt(t), b.width(), sub.width());
        }
    };
    for (int r = 1; r < g->RowCount(); ++r) look(0, r);
    for (int c = 1; c < g->ColCount(); ++c) look(c, 0);
  }
  auto lookStrings = [&](const auto* g) {
    if (!onScreen(g)) return;
    const QFontMetrics fm(g->font());
    for (int c = 0; c < g->ColCount(); ++c)
      for (int r = 0; r < g->RowCount(); ++r) {
        if (c >= g->FixedCols() && r >= g->FixedRows()) continue;
        const QString t = ToQt(g->Cells(c, r));
        // Both grids draw their texts 2 pixels in from each side.
        if (fm.horizontalAdvance(t) + 4 > g->ColWidths(c)) gridText(g, c, r, t, fm.horizontalAdvance(t) + 4, g->ColWidths(c));
      }
  };
  for (TPrgStringGrid* g : top->findChildren<TPrgStringGrid*>()) lookStrings(g);
  for (TStringGrid* g : top->findChildren<TStringGrid*>()) lookStrings(g);
  return out;
}

struct WindowTexts : ::testing::Test {
  QFont oldFont = QApplication::font();
  std::string oldFolder = ProgramFolder();
  QTemporaryDir dir;
  test::ScriptedPrompt prompt;
  ScopedPrompt promptScope{&prompt};
  QtMessagePort port;
  ScopedMessagePort portScope{&port};
  std::vector<std::string> cut;

  void SetUp() override {
    // The program's own font (main.cpp).
    QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));
    SetProgramFolder(PathFromQt(dir.path()));
  }
  void TearDown() override {
    QApplication::setFont(oldFont);
    SetProgramFolder(oldFolder);
  }
  void Look(QWidget& w) {
    w.show();
    (void)QTest::qWaitForWindowExposed(&w);
    QCoreApplication::processEvents();
    for (std::string& s : CutTexts(&w)) cut.push_back(std::move(s));
    w.hide();
  }
  // Every page of the window's page control, opened as the user does, by its tab.
  void LookAtPages(QWidget* w) {
    QTabWidget* pages = w->findChild<QTabWidget*>();
    ASSERT_NE(pages, nullptr);
    for (int i = 0; i < pages->count(); ++i) {
      QTest::mouseClick(pages->tabBar(), Qt::LeftButton, {}, pages->tabBar()->tabRect(i).center());
      QCoreApplication::processEvents();
      ASSERT_EQ(pages->currentIndex(), i);
      for (std::string& s : CutTexts(w)) cut.push_back(std::move(s));
    }
  }
};

TEST_F(WindowTexts, NoWindowCutsItsTextsOrColumns) {
  TProjectData data;
  ASSERT_TRUE(ReadProjectImage(DemoProjectImage(), data));
  auto doc = TVarDocument::CreateNew(data, "demo.rsp");
  ASSERT_TRUE(doc);
  TRunModel& m = doc->Model();
  Shared().AbortPlanning = 0;
  ASSERT_TRUE(PlanDayAuto(m, doc->Var(), 1).Ok);
  doc->PrepareDay();

  { TTblAboutDlg d(nullptr); Look(d); }
  { TTestDataDlg d(nullptr); Look(d); }
  { TProjParams d(nullptr, "a.tbl", data.Params); Look(d); }
  { TMoveRecDlg d; Look(d); }
  { TSelDateDlg d(nullptr, false); Look(d); }
  { TSelItemDlg d; Look(d); }
  { TRoomsManager e(data.Rooms, data.Params); Look(e); }
  { TSubjectsManager e(data.Subjects, data.Rooms, data.Params); Look(e); }
  { TKlassesManager e(data.Klasses, data.Rooms, data.Params); Look(e); }
  { TTeachersManager e(data.Teachers, data.Rooms, data.Params); Look(e); }
  {
    TLessonsManager e(data.Lessons, data.Teachers, data.Klasses, data.Subjects, data.Params);
    Look(e);
    { TLinkDlg d(&e); Look(d); }
    { TLessonFindDlg d(&e); Look(d); }
    if (data.Lessons.Count() > 0) {
      TSepQuantsDlg d(nullptr, *data.Lessons.GetItem(0));
      Look(d);
    }
  }
  {
    TVarOptions o = doc->Options;
    TVarOptionsDlg d(nullptr, u"demo.rsp", o);
    Look(d);
  }
  m.Teachers.BuildGroups(doc->Var(), true, 1);
  { TGroupMan d(nullptr, doc->Var(), m, 1, 0); Look(d); }
  { TWeekGroupMan d(nullptr, doc->Var(), m, 1); Look(d); }
  { TPrepareDataDlg d(nullptr, m, doc->Var(), 1); Look(d); }
  { TPrepareOptiDlg d(nullptr, m, doc->Var(), 1, 3); Look(d); }
  { TControlDataDlg d(nullptr, m, doc->Var(), 1); Look(d); }
  { TProgressWnd d(nullptr, 2); Look(d); }
  {
    // The optimisation's progress as a search shows it: every klass a level
    // with its count of arrangements, the search somewhere inside.
    TSearchView v;
    for (int k = 0; k < m.Klasses.Count(); ++k) {
      const uint16_t count = static_cast<uint16_t>(100 + 37 * k);
      v.KlassOrder.push_back({count, static_cast<uint16_t>(k)});
      v.CurChoice.push_back(static_cast<uint16_t>(k * 11));
      v.LiveCounts.push_back({count, static_cast<uint16_t>(k * 11)});
    }
    TOptiInfoForm d(nullptr, v, [&m](int k) { return m.Klasses[k]->DisplayName(); });
    Look(d);
  }
  { TViewStatDlg d(nullptr, nullptr, m.Klasses.Count()); Look(d); }
  { TPrintDatasDlg d(nullptr, data); Look(d); }
  { TPrintTableDlg d(nullptr, doc->Var(), "", "", PathFromQt(dir.filePath(QStringLiteral("zarch.sys")))); Look(d); }
  {
    TMdiTable project;
    ASSERT_TRUE(project.OpenImage(test::W("Демо.tbl"), DemoProjectImage()));
    QMdiArea area;
    area.resize(1000, 700);
    area.show();
    TVarsWindowHooks h;
    h.optionsDialog = [](TVarOptionsDlg&) { return false; };
    TTableVarsManager* w = TTableVarsManager::CreateNew(project, area, h);
    ASSERT_NE(w, nullptr);
    QCoreApplication::processEvents();
    // As the new variant first shows.
    LookAtPages(w);
    // Planning the first day changes the headings' counts.
    ASSERT_TRUE(PlanDayAuto(w->Model(), w->Var(), 1).Ok);
    w->InvalidateTables();
    // Both orientations: the names head the rows, then the columns.
    QSlider* orientation = w->findChild<QSlider*>();
    ASSERT_NE(orientation, nullptr);
    for (Qt::Key key : {Qt::Key_Home, Qt::Key_End}) {
      QTest::keyClick(orientation, key);
      LookAtPages(w);
    }
    QTest::keyClick(orientation, Qt::Key_Home);
    // The windows of the planning commands as the user meets them: the
    // group editors and the preparation dialog, passed with the mouse; the
    // week-variant dialog while it searches its second teacher; the
    // optimisation's progress and search windows at its first solution.
    {
      auto click = [](QWidget* b) { QTest::mouseClick(b, Qt::LeftButton, {}, b->rect().center()); };
      auto look = [&](QWidget* top) {
        for (std::string& s : CutTexts(top)) cut.push_back(std::move(s));
      };
      std::set<std::string> met;
      QTimer user;
      user.setInterval(5);
      QObject::connect(&user, &QTimer::timeout, [&] {
        QWidget* m = QApplication::activeModalWidget();
        auto meet = [&](QWidget* x) {
          met.insert(x->metaObject()->className());
        };
        if (auto* g = qobject_cast<TGroupManBase*>(m)) {
          meet(g);
          look(g);
          return click(g->PlaceButton());
        }
        if (auto* d = qobject_cast<TPrepareDlgBase*>(m)) {
          meet(d);
          return click(d->YesButton());
        }
        if (auto* wv = qobject_cast<TWeekVarsDlg*>(m)) {
          if (wv->Search().Position() < 1 && !wv->Finished()) {
            // "Дальше" once the first teacher has an improvement.
            const std::string improvements = wv->TchCrpGrid()->Cells(2, 1);
            if (!improvements.empty() && improvements[0] != '0') click(wv->EnoughBtn());
            return;
          }
          meet(wv);
          look(wv);
          return click(wv->Finished() ? static_cast<QWidget*>(wv->OKButton()) : wv->AbortBtn());
        }
        if (m || !w->TryMoreButton()->isEnabled()) return;
        for (QWidget* top : QApplication::topLevelWidgets())
          if ((qobject_cast<TProgressWnd*>(top) || qobject_cast<TOptiInfoForm*>(top)) && top->isVisible()) {
            meet(top);
            look(top);
          }
        click(w->AbortButton());
      });
      user.start();
      w->Command(VariantCommand::WeekVariants);
      w->Command(VariantCommand::Optimize);
      user.stop();
      EXPECT_EQ(met, (std::set<std::string>{"korvant::TWeekGroupMan", "korvant::TWeekVarsDlg", "korvant::TGroupMan",
                                             "korvant::TPrepareOptiDlg", "korvant::TProgressWnd",
                                             "korvant::TOptiInfoForm"}));
    }
    // The details window of the manual regime.
    w->SetRegime(0);
    QCoreApplication::processEvents();
    QWidget* details = w->DetailsWindow();
    ASSERT_NE(details, nullptr);
    LookAtPages(details);
    w->SetRegime(2);
    QCoreApplication::processEvents();
    {
      ZameshOpenStatus st;
      auto archive = TZameshArchive::Open(PathFromQt(dir.filePath(QStringLiteral("journal.sys"))), st);
      ASSERT_TRUE(archive);
      TViewZameshDlg d(nullptr, *archive, w->Var(), 2, QDate(2024, 1, 1));
      Look(d);
    }
    w->Free();
    QCoreApplication::processEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  Shared().SetVarModified(false);
  Shared().CurVarsWindow = nullptr;
  for (const std::string& s : cut) ADD_FAILURE() << s;
}

}  // namespace
}  // namespace korvant
