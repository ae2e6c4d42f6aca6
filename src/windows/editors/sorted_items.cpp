#include "windows/editors/sorted_items.h"

#include <QComboBox>
#include <QListWidget>
#include <QStandardItemModel>

namespace korvant {

namespace {
constexpr int kObjectRole = Qt::UserRole;
}

const QCollator& RussianCollator() {
  static const QCollator collator = [] {
    QCollator c(QLocale(QLocale::Russian, QLocale::Russia));
    c.setCaseSensitivity(Qt::CaseInsensitive);
    return c;
  }();
  return collator;
}

TSortedComboModel::TSortedComboModel(QObject* parent)
    : QSortFilterProxyModel(parent), source_(new QStandardItemModel(this)) {
  setSourceModel(source_);
  setDynamicSortFilter(true);
  sort(0);
}

void TSortedComboModel::Attach(QComboBox* combo) { combo->setModel(this); }

bool TSortedComboModel::lessThan(const QModelIndex& a, const QModelIndex& b) const {
  const int c = RussianCollator().compare(a.data().toString(), b.data().toString());
  if (c != 0) return c < 0;
  // Equal names keep the order in which they came (by their source rows).
  return a.row() < b.row();
}

int TSortedComboModel::Add(const QString& text, int32_t object) {
  auto* item = new QStandardItem(text);
  item->setData(object, kObjectRole);
  item->setEditable(false);
  source_->appendRow(item);
  return mapFromSource(item->index()).row();
}

void TSortedComboModel::RemoveRow(int row) {
  const QModelIndex src = mapToSource(index(row, 0));
  if (src.isValid()) source_->removeRow(src.row());
}

void TSortedComboModel::Clear() { source_->removeRows(0, source_->rowCount()); }

QString TSortedComboModel::Text(int row) const { return index(row, 0).data().toString(); }

void TSortedComboModel::SetText(int row, const QString& text) {
  const QModelIndex src = mapToSource(index(row, 0));
  if (src.isValid()) source_->setData(src, text, Qt::DisplayRole);
}

int32_t TSortedComboModel::Object(int row) const {
  const QModelIndex i = index(row, 0);
  return i.isValid() ? i.data(kObjectRole).toInt() : -1;
}

int TSortedComboModel::FindObject(int32_t object, int except) const {
  for (int r = 0; r < rowCount(); ++r)
    if (r != except && Object(r) == object) return r;
  return -1;
}

int32_t ItemObject(const QListWidgetItem* item) {
  return item ? item->data(kObjectRole).toInt() : -1;
}

QListWidgetItem* AddSortedItem(QListWidget* list, const QString& text, int32_t object) {
  int lo = 0;
  int hi = list->count();
  while (lo < hi) {  // after every entry that does not sort behind text
    const int mid = (lo + hi) / 2;
    if (RussianCollator().compare(list->item(mid)->text(), text) <= 0) lo = mid + 1;
    else hi = mid;
  }
  auto* item = new QListWidgetItem(text);
  item->setData(kObjectRole, object);
  list->insertItem(lo, item);
  return item;
}

QListWidgetItem* AppendItem(QListWidget* list, const QString& text, int32_t object) {
  auto* item = new QListWidgetItem(text, list);
  item->setData(kObjectRole, object);
  return item;
}

}  // namespace korvant
