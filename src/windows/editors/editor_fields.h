#pragma once
// How the editor windows read their typed fields. Pure functions, so the
// rules are tested without widgets.
#include <optional>
#include <string_view>
#include <vector>

namespace korvant {

// A number field's text: empty counts as 0; an optional sign and decimal
// digits (nothing else) is a number, clamped to lo..hi however long it is;
// anything else is no number (nullopt).
std::optional<int> ParseNumberField(std::string_view text, int lo, int hi);

// The start lessons of a klass: runs of decimal digits are numbers (a run
// of value 0 is none), any other character separates them. nullopt when a
// number is not greater than the one before it or more than 24 are given.
// A text without numbers gives the empty list.
std::optional<std::vector<int>> ParseStartLessons(std::string_view text);

// The hour layout of a lesson: runs of decimal digits are block lengths
// (a run of value 0 is none), any other character separates them. nullopt
// when a length is smaller than the one before it, longer than a school
// day (24), or when more than maxBlocks lengths are given.
std::optional<std::vector<int>> ParseQuants(std::string_view text, int maxBlocks);

}  // namespace korvant
