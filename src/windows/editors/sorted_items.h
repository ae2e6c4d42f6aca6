#pragma once
// Sorted lists of (text, object) entries as the editors show them: texts in
// Russian alphabetical order, each entry carrying a number (an identifier
// or a specialization). The order follows renames at once.
#include <QCollator>
#include <QSortFilterProxyModel>
#include <QString>

#include <cstdint>

class QComboBox;
class QListWidget;
class QListWidgetItem;
class QStandardItemModel;

namespace korvant {

// The collation every sorted list of the program uses.
const QCollator& RussianCollator();

// The model of a sorted combo box. Rows are those of the combo box; a
// renamed entry moves to its new place and stays the combo box's current
// entry when it was.
class TSortedComboModel : public QSortFilterProxyModel {
  Q_OBJECT
 public:
  explicit TSortedComboModel(QObject* parent = nullptr);
  // Makes itself the model of combo.
  void Attach(QComboBox* combo);

  int Add(const QString& text, int32_t object);  // answers the entry's row
  void RemoveRow(int row);
  void Clear();
  int Count() const { return rowCount(); }
  QString Text(int row) const;
  void SetText(int row, const QString& text);
  int32_t Object(int row) const;
  // First row carrying object (other than row `except`), or -1.
  int FindObject(int32_t object, int except = -1) const;

 protected:
  bool lessThan(const QModelIndex& a, const QModelIndex& b) const override;

 private:
  QStandardItemModel* source_;
};

// Object of a list widget entry.
int32_t ItemObject(const QListWidgetItem* item);
// Adds an entry at its alphabetical place; answers it.
QListWidgetItem* AddSortedItem(QListWidget* list, const QString& text, int32_t object);
// Appends an entry (for lists whose order means something).
QListWidgetItem* AppendItem(QListWidget* list, const QString& text, int32_t object);

}  // namespace korvant
