#pragma once
// TPrgBtnEdit: an edit with a small button that asks its owner for a value
// (the string grid's in-place editor kinds 3 and 4). With EditorEnabled
// false the text changes only through the button.
#include <QLineEdit>
#include <QString>
#include <functional>

namespace korvant {

class TPrgSpeedButton;

class TPrgBtnEdit : public QLineEdit {
  Q_OBJECT
 public:
  // OnEditCall(sender, value): value holds the text and comes back as the
  // new text.
  using EditCallEvent = std::function<void(QObject* sender, QString& value)>;

  explicit TPrgBtnEdit(QWidget* parent = nullptr);

  bool EditorEnabled() const { return editorEnabled_; }
  void SetEditorEnabled(bool v) { editorEnabled_ = v; }
  bool AutoSelect() const { return autoSelect_; }
  void SetAutoSelect(bool v) { autoSelect_ = v; }
  void SetOnEditCall(EditCallEvent cb) { onEditCall_ = std::move(cb); }
  bool HasOnEditCall() const { return static_cast<bool>(onEditCall_); }

  TPrgSpeedButton* Button() const { return button_; }

  // What the button does: focus the edit, then ask the owner.
  virtual void ButtonClick();

 signals:
  void Change();  // OnChange, after every text change

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void focusInEvent(QFocusEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  void paintEvent(QPaintEvent* e) override;
  void contextMenuEvent(QContextMenuEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  bool CanPasteCut() const { return editorEnabled_ && !isReadOnly(); }

  TPrgSpeedButton* button_;
  bool editorEnabled_ = true;
  bool autoSelect_ = true;
  EditCallEvent onEditCall_;
};

}  // namespace korvant
