#pragma once
// Internal to the variant window's sources: the scope that keeps the window
// alive while one of its own loops is on the stack.
#include <QMdiSubWindow>

#include "windows/variant/vars_window.h"

namespace korvant {

// Counts the window's own loops on the stack; the last one to return
// carries out a Free() asked for meanwhile.
class TTableVarsManager::BusyScope {
 public:
  explicit BusyScope(TTableVarsManager& w) : w_(w) { ++w_.busy_; }
  ~BusyScope() {
    if (--w_.busy_ == 0 && w_.freePending_) {
      if (w_.sub_) w_.sub_->deleteLater();
      else w_.deleteLater();
    }
  }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;

 private:
  TTableVarsManager& w_;
};

}  // namespace korvant
