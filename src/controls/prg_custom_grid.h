#pragma once
// The two grid profiles: the program's own grid (no current cell until one is
// chosen, sizing hooks only under the mouse-sizing options) and the platform
// grid under the timetable, week and plain string grids (hooks after every
// mouse sizing, empty by default).
#include "controls/grid_base.h"

namespace korvant {

class TPrgCustomGrid : public TGridBase {
  Q_OBJECT
 public:
  explicit TPrgCustomGrid(QWidget* parent = nullptr) : TGridBase(Profile::Program, parent) {}
};

class TCustomGrid : public TGridBase {
  Q_OBJECT
 public:
  explicit TCustomGrid(QWidget* parent = nullptr) : TGridBase(Profile::Platform, parent) {}
};

}  // namespace korvant
