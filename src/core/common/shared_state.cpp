#include "core/common/shared_state.h"

namespace korvant {

void SharedState::SetVarModified(bool value) {
  const uint8_t v = value ? 1 : 0;
  if (v == VarModified) return;
  VarModified = v;
  if (CurVarsWindow) CurVarsWindow->VarModifiedChanged();
}

SharedState& Shared() {
  static SharedState state;
  return state;
}

}  // namespace korvant
