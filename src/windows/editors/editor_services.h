#pragma once
// The list editor windows as the main window sees them (IListEditors):
// created for each project that is created or opened, as MDI children of
// the workspace.
#include "windows/shell/frame_services.h"

namespace korvant {

ListEditorsFactory ProjectListEditors();

}  // namespace korvant
