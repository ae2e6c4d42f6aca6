#include "reports/print_table_dlg.h"

#include <QDate>
#include <QFontMetrics>
#include <QPainter>
#include <QStyledItemDelegate>

#include "controls/sel_date_dlg.h"
#include "controls/sel_item_dlg.h"
#include "core/common/catalogue.h"
#include "core/common/shared_state.h"
#include "platform/qt_text.h"
#include "reports/load_reports.h"
#include "reports/subst_reports.h"
#include "reports/timetable_reports.h"
#include "reports/zamesh_journal_dlg.h"

namespace korvant {

namespace {

constexpr int kMsgFirstRow = 10288;
constexpr int kMsgTeacherCaption = 10257;

// The report list's rows: centred, cut with "…" to the cell; the chosen
// or focused row in the active-caption colour with white text.
class TReportRowDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* p, const QStyleOptionViewItem& o, const QModelIndex& index) const override {
    const bool marked = (o.state & QStyle::State_Selected) || (o.state & QStyle::State_HasFocus);
    p->save();
    p->fillRect(o.rect, marked ? o.palette.color(QPalette::Active, QPalette::Highlight)
                               : o.palette.color(QPalette::Base));
    p->setPen(marked ? QColor(Qt::white) : o.palette.color(QPalette::ButtonText));
    p->setFont(o.font);
    const QString text = FitListText(index.data().toString(), o.fontMetrics, o.rect.width());
    p->drawText(o.rect, Qt::AlignCenter | Qt::TextSingleLine, text);
    p->restore();
  }

  QSize sizeHint(const QStyleOptionViewItem& o, const QModelIndex& index) const override {
    return QSize(QStyledItemDelegate::sizeHint(o, index).width(), TPrintTableDlg::kRowHeight);
  }
};

}  // namespace

QString FitListText(const QString& text, const QFontMetrics& fm, int width) {
  if (fm.horizontalAdvance(text) <= width) return text;
  const QString ellipsis(QChar(0x2026));
  QString t = text;
  while (!t.isEmpty()) {
    t.chop(1);
    while (!t.isEmpty() && (t.back() == QLatin1Char(' ') || t.back() == QLatin1Char('.'))) t.chop(1);
    if (fm.horizontalAdvance(t + ellipsis) <= width) return t + ellipsis;
  }
  return QString();
}

TPrintTableDlg::TPrintTableDlg(QWidget* owner, const TTableVarItem& var, std::string projectDescription,
                               std::string variantDescription, std::filesystem::path archivePath)
    : TPrintDlgBase(owner),
      var_(var),
      projectDescription_(std::move(projectDescription)),
      variantDescription_(std::move(variantDescription)),
      archivePath_(std::move(archivePath)),
      klasses_(static_cast<std::size_t>(std::max(0, var.KlassCount())), true),
      savedDay_(Shared().CurDay) {
  list_ = new QListWidget(ChoiceArea());
  // As many whole rows as the choice box holds: a row cut in half reads
  // as a fault.
  const int frame = 2 * list_->frameWidth();
  const int rows = (ChoiceArea()->height() - 18 - 4 - frame) / kRowHeight;
  list_->setGeometry(6, 18, 288, rows * kRowHeight + frame);
  list_->setItemDelegate(new TReportRowDelegate(list_));
  list_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setUniformItemSizes(true);
  for (int row = 0; row < kRowCount; ++row) list_->addItem(ResQ(kMsgFirstRow + row));
  list_->setCurrentRow(0);
}

TPrintTableDlg::~TPrintTableDlg() { Shared().CurDay = static_cast<uint8_t>(savedDay_); }

std::unique_ptr<TReportForm> TPrintTableDlg::CreateReport() {
  switch (list_->currentRow()) {
    case kLoadTable:
      return std::make_unique<TMedTableRpForm>(this, klasses_, var_, projectDescription_, variantDescription_);
    case kLoadCharts:
      return std::make_unique<TMedChartRpForm>(this, klasses_, var_, projectDescription_, variantDescription_);
    case kSubstDay: return SubstReport(false);
    case kSubstPeriod: return SubstReport(true);
    case kAllKlasses:
      return std::make_unique<TAllClsRpForm>(this, var_, projectDescription_, variantDescription_);
    case kAllTeachers:
      return std::make_unique<TAllTchRpForm>(this, var_, projectDescription_, variantDescription_);
    case kOneKlass: return OneItemReport(false);
    case kOneTeacher: return OneItemReport(true);
    default: return nullptr;
  }
}

std::unique_ptr<TReportForm> TPrintTableDlg::SubstReport(bool period) {
  // The archive tells the user itself when it cannot be opened.
  archive_ = TZameshArchive::Open(archivePath_, parentWidget());
  if (!archive_) return nullptr;
  TSelDateDlg dates(this, !period);
  if (!dates.Run()) return nullptr;
  const double first = ZameshDateOf(dates.FromDate());
  if (!period)
    return std::make_unique<TZamDayRpForm>(this, *archive_, first, projectDescription_, variantDescription_);
  double last = ZameshDateOf(dates.ToDate());
  if (last < first) last = first;  // a period ending before it starts is its first day
  return std::make_unique<TZamArcRpForm>(this, *archive_, first, last, projectDescription_, variantDescription_);
}

std::unique_ptr<TReportForm> TPrintTableDlg::OneItemReport(bool teacher) {
  const TRunModel* m = var_.Model();
  if (!m) return nullptr;
  TSelItemDlg pick(this);
  if (teacher) pick.setWindowTitle(ResQ(kMsgTeacherCaption));
  pick.SetTag(teacher ? 2 : 1);
  pick.SetNoHelp();
  const int count = teacher ? var_.TeacherCount() : var_.KlassCount();
  for (int i = 0; i < count; ++i) {
    const TKlassItem* k = teacher ? nullptr : m->Klasses[i];
    const TTeacherItem* t = teacher ? m->Teachers[i] : nullptr;
    pick.List()->addItem(ToQt(t ? t->DisplayName() : k ? k->DisplayName() : std::string()));
  }
  const int choice = pick.Run();
  if (choice < 1) return nullptr;
  const bool shortForm = pick.ShortForm()->isChecked();
  if (teacher)
    return std::make_unique<TTeacherTableRpForm>(this, shortForm, choice - 1, var_, projectDescription_,
                                                 variantDescription_);
  return std::make_unique<TClassTableRpForm>(this, shortForm, choice - 1, var_, projectDescription_,
                                             variantDescription_);
}

void TPrintTableDlg::ReportDone() { archive_.reset(); }

}  // namespace korvant
