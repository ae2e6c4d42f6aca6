#pragma once
// TInnerButtonEdit: the ground shared by the program's edits that carry a
// small button inside their right edge (the spin edits and the button
// edit). It keeps the button in place, gates typing, paste and cut on
// EditorEnabled and ReadOnly, selects all on focus, and lets the control
// write its own text under a flag its change handling can test.
#include <QLineEdit>

namespace korvant {

class TInnerButtonEdit : public QLineEdit {
  Q_OBJECT
 public:
  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }

 signals:
  void Change();  // OnChange

 protected:
  explicit TInnerButtonEdit(QWidget* parent);

  // Makes button the inner button: 16 x 18, shown, kept inside the right
  // edge on every resize. coverGap paints the column left of it in the
  // button face colour.
  void SetInnerButton(QWidget* button, bool coverGap);
  // With the editor disabled, Delete is swallowed too (it would change
  // the text without typing a character).
  void SetDeleteNeedsEditor(bool v) { deleteNeedsEditor_ = v; }

  bool CanPasteCut() const { return editorEnabled_ && !isReadOnly(); }
  // True (after the warning beep) when the edit is read-only.
  bool BeepIfReadOnly() const;
  // A character typed while the editor is enabled; control characters
  // reach it too. Without the editor only control characters other than
  // backspace are taken.
  virtual bool EditorTakesChar(QChar) const { return true; }

  // Writes text of the control's own; WritingOwnText() holds meanwhile.
  // keepCaret puts the caret back where it was.
  void WriteOwnText(const QString& t, bool keepCaret);
  bool WritingOwnText() const { return writingOwnText_; }

  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  bool TakesChar(QChar c) const;

  QWidget* innerButton_ = nullptr;
  bool coverGap_ = false;
  bool deleteNeedsEditor_ = false;
  bool editorEnabled_ = true;
  bool autoSelect_ = true;
  bool writingOwnText_ = false;
};

// Shared by the edits: the character a key press types (0 for a key that
// types none, such as arrows, Delete, Enter or a shortcut), the locale's
// decimal separator, and the paste/cut gate of the standard context menu.
namespace spin_detail {
QChar TypedChar(const QKeyEvent* e);
QChar DecimalSeparator();
bool IsPasteOrCut(const QKeyEvent* e);
void ExecEditMenu(QLineEdit* edit, QContextMenuEvent* e, bool allowPasteCut);
}  // namespace spin_detail

}  // namespace korvant
