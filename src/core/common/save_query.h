#pragma once
// Answers of the project's and the variant's save queries.

namespace korvant {

enum : int {
  kQuerySaved = 1,      // saved, or nothing to save
  kQueryCancelled = 2,  // the user cancelled: nothing may be closed
  kQueryDiscarded = 5,  // changes thrown away, modified mark cleared
};

}  // namespace korvant
