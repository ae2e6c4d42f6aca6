#pragma once
// The demonstration project is written as readable text (UTF-8, one record
// a line) and turned into a project by this builder; the generator program
// and the tests both use it, so the embedded project file can always be
// rebuilt from its source byte for byte.
//
// Lines: `# comment`, blank, or `<kind> ...` with whitespace-separated
// tokens; a value in double quotes may hold blanks. Records get their
// identifiers 0, 1, ... per kind in the order of the lines; references
// name a record by its key, before or after its own line.
//
//   project description="..." lessons=8 shifts=1 klassmin=4 teachermin=2
//   room <key> name="..." seats=30 groups=1 specialization=2 [strict]
//   subject <key> name="..." kf=11 specialization=4 [strict] rooms=<room>,<room>
//   klass <key> name="..." pupils=26 room=<room> start=1,2 parallels=<klass>
//         closed=<day>:<from>-<to>   (repeatable)
//   teacher <key> name="..." room=<room> metodical=1 plan=18
//         wish=<day>:<from>-<to>:<level>   (repeatable; the hours become
//         restricted with that wish level)
//   lesson <key> klass=<klass> blocks=1,1,2 sep=1
//         group=<subject>:<teacher>[:<pupils>]   (repeatable; pupils default
//         to the klass's size)
//   link <lesson>:<group> <lesson>:<group>   (groups from 1; both ways)
#include <string>
#include <string_view>

#include "core/project/project_data.h"

namespace korvant {

// Builds data (cleared first) from the source. On a fault answers false,
// leaves data cleared and sets error to "line N: what" (ASCII).
bool BuildProjectFromSource(std::string_view utf8, TProjectData& data, std::string& error);

}  // namespace korvant
