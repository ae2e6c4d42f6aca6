#include "windows/editors/lesson_dialogs.h"

#include <QHeaderView>
#include <QListWidget>
#include <QStyle>
#include <QTreeWidget>

#include <algorithm>
#include <vector>

#include "controls/bit_btn.h"
#include "core/common/catalogue.h"
#include "core/project/lessons.h"
#include "platform/help_service.h"
#include "windows/editors/list_editor.h"

namespace korvant {

namespace {
constexpr int kMsgYes = 10071;
constexpr int kMsgNo = 10072;
constexpr int kMsgBadLayout = 10044;
constexpr Qt::WindowFlags kDialogFlags = Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowCloseButtonHint;

TPrgBitBtn* Button(QWidget* parent, TBitBtnKind kind, const QString& text, const QString& hint, int help,
                   QRect geometry) {
  auto* b = new TPrgBitBtn(kind, text, parent);
  b->setGeometry(geometry);
  b->setToolTip(hint);
  SetHelpContext(b, help);
  return b;
}

TPrgBitBtn* HelpButton(QWidget* parent, const QString& text, int help, int topic, QRect geometry) {
  auto* b = Button(parent, TBitBtnKind::bkCustom, text, QStringLiteral("Справка по диалогу"), help, geometry);
  b->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkHelp));
  b->SetNumGlyphs(2);
  QObject::connect(b, &TPrgBitBtn::Clicked, b, [topic] { ShowHelpContext(topic); });
  return b;
}

QTreeWidget* CreateViewer(QWidget* parent, QRect geometry, const QStringList& columns,
                          std::initializer_list<int> widths) {
  auto* v = new QTreeWidget(parent);
  v->setGeometry(geometry);
  v->setRootIsDecorated(false);
  v->setItemsExpandable(false);
  v->setUniformRowHeights(true);
  v->setSelectionMode(QAbstractItemView::SingleSelection);
  v->setSelectionBehavior(QAbstractItemView::SelectRows);
  v->setEditTriggers(QAbstractItemView::NoEditTriggers);
  v->setHeaderLabels(columns);
  int c = 0;
  for (int w : widths) {
    if (w > 0) v->setColumnWidth(c, w);
    ++c;
  }
  return v;
}

// Each column as wide as its heading and its texts; when together they are
// wider than the view (less a vertical scroll bar), the name columns give
// way, so every column stays in view.
void FitColumns(QTreeWidget* v, std::initializer_list<int> yielding) {
  QHeaderView* h = v->header();
  const QFontMetrics hf(h->font()), cf(v->font());
  constexpr int kPad = 14;
  std::vector<int> need(static_cast<std::size_t>(v->columnCount()), 0);
  for (int c = 0; c < v->columnCount(); ++c) {
    int w = hf.horizontalAdvance(v->headerItem()->text(c)) + kPad;
    for (int r = 0; r < v->topLevelItemCount(); ++r)
      w = std::max(w, cf.horizontalAdvance(v->topLevelItem(r)->text(c)) + kPad);
    need[static_cast<std::size_t>(c)] = w;
  }
  const int room = v->width() - 2 * v->frameWidth() - v->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
  // The yielding columns are cut to one common cap (never below their
  // headings), the widest first, until everything fits.
  auto totalWith = [&](int cap) {
    int t = 0;
    for (int c = 0; c < v->columnCount(); ++c) {
      int w = need[static_cast<std::size_t>(c)];
      if (std::find(yielding.begin(), yielding.end(), c) != yielding.end()) {
        const int floor = hf.horizontalAdvance(v->headerItem()->text(c)) + kPad;
        w = std::max(std::min(w, cap), std::min(w, floor));
      }
      t += w;
    }
    return t;
  };
  int lo = 0, hi = 0;
  for (int w : need) hi = std::max(hi, w);
  if (totalWith(hi) > room) {
    while (lo < hi) {  // the largest cap that fits
      const int mid = (lo + hi + 1) / 2;
      if (totalWith(mid) <= room) lo = mid;
      else hi = mid - 1;
    }
    for (int c : yielding) {
      auto& w = need[static_cast<std::size_t>(c)];
      const int floor = hf.horizontalAdvance(v->headerItem()->text(c)) + kPad;
      w = std::max(std::min(w, lo), std::min(w, floor));
    }
  }
  for (int c = 0; c < v->columnCount(); ++c) v->setColumnWidth(c, need[static_cast<std::size_t>(c)]);
}

// The row the owner selected gets the focus and stands in view.
void FocusSelected(QTreeWidget* v) {
  if (QTreeWidgetItem* item = v->currentItem(); item && item->isSelected()) {
    v->setFocus();
    v->scrollToItem(item, QAbstractItemView::PositionAtCenter);
  }
}

std::unique_ptr<TLessonEntryList> AskList(MessageTarget* owner, uint32_t msg, QTreeWidget* view) {
  const MsgResult r = sendMessage(owner, msg, 0, reinterpret_cast<MsgParam>(view));
  return std::unique_ptr<TLessonEntryList>(reinterpret_cast<TLessonEntryList*>(r));
}
}  // namespace

QString YesNoText(bool yes) { return ResQ(yes ? kMsgYes : kMsgNo); }

// ---- TLinkDlg -----------------------------------------------------------------

TLinkDlg::TLinkDlg(MessageTarget* owner, QWidget* parent) : TPrgDialog(parent, kDialogFlags), owner_(owner) {
  setWindowTitle(QStringLiteral("Связать с подгруппой"));
  setFixedSize(543, 211);
  SetHelpContext(this, 17);
  view_ = CreateViewer(this, QRect(8, 8, 420, 195),
                       {QStringLiteral("Класс"), QStringLiteral("№ записи"), QStringLiteral("Предмет"),
                        QStringLiteral("Учитель"), QStringLiteral("Связать")},
                       {85, 65, 150, 150, 55});
  done_ = Button(this, TBitBtnKind::bkCustom, QStringLiteral("Да   "), QStringLiteral("Подтвердить"), 532,
                 QRect(444, 8, 91, 25));
  done_->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkOK));
  done_->SetNumGlyphs(2);
  done_->SetDefault(true);
  cancel_ = Button(this, TBitBtnKind::bkCancel, QStringLiteral("Отмена"), QStringLiteral("Отменить"), 533,
                   QRect(444, 40, 91, 25));
  help_ = HelpButton(this, QStringLiteral("Справка"), 534, 17, QRect(444, 178, 91, 25));
  connect(done_, &TPrgBitBtn::Clicked, this, &TLinkDlg::OKBtnClick);
  connect(view_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { LinkDblClick(view_->indexOfTopLevelItem(item)); });

  list_ = AskList(owner_, kMsgLinksGet, view_);
  FitColumns(view_, {2, 3});
  FocusSelected(view_);
}

TLinkDlg::~TLinkDlg() = default;

void TLinkDlg::LinkDblClick(int row) {
  if (!list_ || row < 0 || row >= static_cast<int>(list_->Entries.size())) return;
  TLessonEntry& e = list_->Entries[static_cast<std::size_t>(row)];
  e.Linked = e.Linked == 1 ? 0 : 1;
  if (QTreeWidgetItem* item = view_->topLevelItem(row)) item->setText(4, YesNoText(e.Linked == 1));
}

void TLinkDlg::OKBtnClick() {
  if (list_) sendMessage(owner_, kMsgLinksSet, reinterpret_cast<MsgParam>(list_.get()), 0);
  SetModalResult(mrYes);
}

// ---- TLessonFindDlg -----------------------------------------------------------

TLessonFindDlg::TLessonFindDlg(MessageTarget* owner, QWidget* parent)
    : TPrgDialog(parent, kDialogFlags), owner_(owner) {
  setWindowTitle(QStringLiteral("Найти запись"));
  setFixedSize(584, 211);
  SetHelpContext(this, 16);
  view_ = CreateViewer(this, QRect(8, 8, 461, 195),
                       {QStringLiteral("Класс"), QStringLiteral("№ записи"), QStringLiteral("Предмет"),
                        QStringLiteral("Часы"), QStringLiteral("Учитель"), QStringLiteral("Связки")},
                       {75, 65, 150, 0, 150, 55});
  done_ = Button(this, TBitBtnKind::bkCustom, QStringLiteral("Показать"), QStringLiteral("Показать запись"),
                 372, QRect(485, 8, 91, 25));
  done_->SetGlyph(GetBitBtnGlyph(TBitBtnKind::bkOK));
  done_->SetNumGlyphs(2);
  done_->SetDefault(true);
  copy_ = Button(this, TBitBtnKind::bkCustom, QStringLiteral("Копировать"), QStringLiteral("Копировать запись"),
                 373, QRect(485, 40, 91, 25));
  cancel_ = Button(this, TBitBtnKind::bkCancel, QStringLiteral("Отмена"), QStringLiteral("Отменить"), 374,
                   QRect(485, 72, 91, 25));
  cancel_->SetModalResult(mrCancel);
  help_ = HelpButton(this, QStringLiteral("Справка "), 375, 16, QRect(485, 178, 91, 25));
  connect(done_, &TPrgBitBtn::Clicked, this, &TLessonFindDlg::OKBtnClick);
  connect(copy_, &TPrgBitBtn::Clicked, this, &TLessonFindDlg::CopyBtnClick);
  connect(view_, &QTreeWidget::itemDoubleClicked, this, [this] { OKBtnClick(); });

  list_ = AskList(owner_, kMsgFindInit, view_);
  FitColumns(view_, {2, 4});
  FocusSelected(view_);
}

TLessonFindDlg::~TLessonFindDlg() = default;

int TLessonFindDlg::SelectedRow() const {
  QTreeWidgetItem* item = view_->currentItem();
  if (!item || !item->isSelected()) return -1;
  return view_->indexOfTopLevelItem(item);
}

void TLessonFindDlg::Choose(uint32_t msg) {
  const int row = SelectedRow();
  if (row < 0 || !list_ || row >= static_cast<int>(list_->Entries.size())) return;
  sendMessage(owner_, msg, reinterpret_cast<MsgParam>(list_.get()), row);
  SetModalResult(mrYes);
}

void TLessonFindDlg::OKBtnClick() { Choose(kMsgFindShow); }
void TLessonFindDlg::CopyBtnClick() { Choose(kMsgFindCopy); }

// ---- TSepQuantsDlg ------------------------------------------------------------

TSepQuantsDlg::TSepQuantsDlg(QWidget* parent, TLessonItem& lesson)
    : TPrgDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                             Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      lesson_(lesson) {
  setWindowTitle(QStringLiteral("Отделить часы"));
  setFixedSize(235, 120);
  box_ = new QListWidget(this);
  box_->setGeometry(8, 8, 121, 105);
  ok_ = Button(this, TBitBtnKind::bkOK, QStringLiteral("Да    "), QStringLiteral("Запомнить"), 422,
               QRect(137, 8, 91, 25));
  ok_->SetModalResult(mrNone);  // ends the dialog only when the ticks fit
  ok_->SetDefault(true);
  cancel_ = Button(this, TBitBtnKind::bkCancel, QStringLiteral("Отмена "), QStringLiteral("Отменить изменения"),
                   423, QRect(137, 40, 91, 25));
  cancel_->SetModalResult(mrCancel);
  help_ = HelpButton(this, QStringLiteral("Справка"), 424, 303, QRect(137, 88, 91, 25));
  connect(ok_, &TPrgBitBtn::Clicked, this, &TSepQuantsDlg::OkBtnClick);

  const int n = lesson_.QuantsCount();
  for (int i = 1; i <= n; ++i) {
    auto* item = new QListWidgetItem(QString::number(lesson_.QuantAt(i)), box_);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsUserCheckable | Qt::ItemIsSelectable);
    item->setCheckState(Qt::Unchecked);
  }
  // Each separated block ticks the last front block of its length that is
  // not ticked yet.
  for (int w = kQuantWords, s = lesson_.SepQuantsCount(); s > 0; --w, --s) {
    const int length = lesson_.GetQuant(w);
    for (int r = n - 1; r >= 0; --r) {
      QListWidgetItem* item = box_->item(r);
      if (item->checkState() == Qt::Unchecked && lesson_.QuantAt(r + 1) == length) {
        item->setCheckState(Qt::Checked);
        break;
      }
    }
  }
}

void TSepQuantsDlg::OkBtnClick() {
  const int n = lesson_.QuantsCount();
  std::vector<uint16_t> ticked;  // from the last entry to the first
  for (int r = box_->count() - 1; r >= 0; --r)
    if (box_->item(r)->checkState() == Qt::Checked && r < n)
      ticked.push_back(static_cast<uint16_t>(lesson_.QuantAt(r + 1)));
  // The front blocks, a 0 word and the separated ones share the 21 words.
  if (n + static_cast<int>(ticked.size()) + 1 > kQuantWords) {
    ShowErrMsg(this, kMsgBadLayout, kBoxOk);
    return;
  }
  int w = kQuantWords;
  for (uint16_t length : ticked) lesson_.SetQuant(w--, length);
  // Leftovers of a longer separated list would stand between the lists.
  for (; w > n; --w) lesson_.SetQuant(w, 0);
  SetModalResult(mrOk);
}

}  // namespace korvant
