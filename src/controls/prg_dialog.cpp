#include "controls/prg_dialog.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QPushButton>

#include "controls/bit_btn.h"
#include "platform/help_service.h"

namespace korvant {

TPrgDialog::TPrgDialog(QWidget* parent, Qt::WindowFlags f) : QDialog(parent, f) {}

void TPrgDialog::SetModalResult(int r) {
  modalResult_ = r;
  if (r != mrNone && inModal_ && !endPending_) {
    endPending_ = true;
    QMetaObject::invokeMethod(this, &TPrgDialog::CheckModalEnd, Qt::QueuedConnection);
  }
}

void TPrgDialog::CheckModalEnd() {
  endPending_ = false;
  if (!inModal_ || modalResult_ == mrNone) return;
  if (!CloseQuery()) {
    modalResult_ = mrNone;
    return;
  }
  QDialog::done(QDialog::Accepted);
}

namespace {

// A window of the program's own that stays on top (the progress windows of
// a planning run) is on screen.
bool StayOnTopWindowShown(const QWidget* self) {
  for (const QWidget* w : QApplication::topLevelWidgets())
    if (w != self && w->isVisible() && (w->windowFlags() & Qt::WindowStaysOnTopHint)) return true;
  return false;
}

}  // namespace

int TPrgDialog::ShowModal() {
  modalResult_ = mrNone;
  inModal_ = true;
  // A box or dialog raised during a run must come above the run's progress
  // window, or the program looks hung and the window's "Отмена" is blocked.
  const bool lift = !(windowFlags() & Qt::WindowStaysOnTopHint) && StayOnTopWindowShown(this);
  if (lift) setWindowFlag(Qt::WindowStaysOnTopHint, true);
  QDialog::exec();
  if (lift) setWindowFlag(Qt::WindowStaysOnTopHint, false);
  inModal_ = false;
  return modalResult_;
}

int TPrgDialog::exec() { return ShowModal(); }

void TPrgDialog::accept() { SetModalResult(mrOk); }

void TPrgDialog::reject() { close(); }

void TPrgDialog::closeEvent(QCloseEvent* e) {
  if (!CloseQuery()) {
    e->ignore();
    if (inModal_) modalResult_ = mrNone;
    return;
  }
  e->accept();
  if (inModal_) {
    if (modalResult_ == mrNone) modalResult_ = closeResult_;
    QDialog::done(QDialog::Accepted);
  }
}

void TPrgDialog::keyPressEvent(QKeyEvent* e) {
  const bool plain = (e->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
  const auto buttons = findChildren<QPushButton*>();
  const auto usable = [](QPushButton* b) { return b->isVisible() && b->isEnabled(); };
  if (plain && (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter)) {
    if (auto* focused = qobject_cast<QPushButton*>(focusWidget()); focused && usable(focused)) {
      focused->click();
      return;
    }
    for (QPushButton* b : buttons) {
      auto* bb = qobject_cast<TPrgBitBtn*>(b);
      if (usable(b) && (bb ? bb->Default() : b->isDefault())) {
        b->click();
        return;
      }
    }
    e->ignore();
    return;
  }
  if (plain && e->key() == Qt::Key_Escape) {
    for (QPushButton* b : buttons) {
      auto* bb = qobject_cast<TPrgBitBtn*>(b);
      if (bb && bb->Cancel() && usable(b)) {
        b->click();
        return;
      }
    }
    e->ignore();
    return;
  }
  if (e->key() == Qt::Key_F1) {
    QWidget* w = focusWidget();
    ShowHelpFor(w && isAncestorOf(w) ? w : this);
    return;
  }
  QDialog::keyPressEvent(e);
}

}  // namespace korvant
