#pragma once
// The dialogs before a day run and the overall control: a page of klasses
// and a page of teachers with their weekly and daily figures for the
// current day. TPrepareDataDlg (before the placement) narrows the minimum
// and maximum still to place, TPrepareOptiDlg (before the optimisation)
// sets the lessons each klass's day will have and the idle hours each
// teacher may have, TControlDataDlg only shows the figures.
//
// The figures come from the run-time model as the day norms left them
// (prepare_figures.h); the dialogs write back only through "Да".
#include <QPushButton>
#include <QTabWidget>

#include <string>

#include "controls/prg_dialog.h"
#include "windows/planning/prepare_figures.h"

namespace korvant {

class TPrgBitBtn;
class TPrgStringGrid;

class TPrepareDlgBase : public TPrgDialog {
  Q_OBJECT
 public:
  TPrepKind Kind() const { return kind_; }
  const TPrepTables& Tables() const { return tables_; }
  bool Changed() const { return changed_; }

  QTabWidget* Pages() const { return pages_; }
  TPrgStringGrid* KlassesDataGrid() const { return klassGrid_; }
  TPrgStringGrid* TeachersDataGrid() const { return teacherGrid_; }
  TPrgBitBtn* YesButton() const { return yes_; }
  TPrgBitBtn* CancelButton() const { return cancel_; }  // null in the control dialog
  TPrgBitBtn* RestoreButton() const { return restore_; }  // null in the control dialog
  TPrgBitBtn* HelpButton() const { return help_; }

  // What typing into a cell and leaving it does (tests call it directly).
  void EditCell(bool teachers, int col, int row, const std::string& text);
  // "Вернуть".
  void Restore();

 protected:
  TPrepareDlgBase(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day, TPrepKind kind,
                  int maxWindowsAtDay);
  void Fill();
  void ShowTables();
  void OnYes();

  TRunModel& model_;
  const TTableVarItem& var_;
  int day_;
  TPrepKind kind_;
  int maxWindows_;
  TPrepTables shown_;   // as filled
  TPrepTables tables_;  // as edited
  bool changed_ = false;
  QTabWidget* pages_;
  TPrgStringGrid* klassGrid_;
  TPrgStringGrid* teacherGrid_;
  TPrgBitBtn* yes_ = nullptr;
  TPrgBitBtn* cancel_ = nullptr;
  TPrgBitBtn* restore_ = nullptr;
  TPrgBitBtn* help_ = nullptr;

 private:
  TPrgStringGrid* MakeGrid(QWidget* page, bool teachers, int height);
  void DrawPrepCell(TPrgStringGrid& g, bool teachers, QPainter& p, int col, int row, const QRect& rect);
  std::string before_;
  bool cancelling_ = false;  // Esc: the open edit ends without being taken
};

class TPrepareDataDlg : public TPrepareDlgBase {
  Q_OBJECT
 public:
  TPrepareDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day);
};

class TPrepareOptiDlg : public TPrepareDlgBase {
  Q_OBJECT
 public:
  TPrepareOptiDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day, int maxWindowsAtDay);
  QPushButton* KlassToggle() const { return klassToggle_; }
  QPushButton* TeacherToggle() const { return teacherToggle_; }

 private:
  QPushButton* klassToggle_;
  QPushButton* teacherToggle_;
};

class TControlDataDlg : public TPrepareDlgBase {
  Q_OBJECT
 public:
  TControlDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day);
};

// Entry functions of the planning commands. The caller has made the day
// norms (RecalcTables) and set the model's CurGroup. True when the user
// answered "Да    " (the narrowed figures are then in the model); false
// for "Отмена" or the close box, with the model unchanged.
bool RunPrepareDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day);
bool RunPrepareOptiDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day, int maxWindowsAtDay);
void RunControlDataDlg(QWidget* owner, TRunModel& model, const TTableVarItem& var, int day);

}  // namespace korvant
