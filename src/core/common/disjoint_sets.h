#pragma once
// Sets of the numbers 0..n-1 that are joined one pair at a time: the
// lessons of one joint lesson, the teachers one search must plan together.
#include <cstddef>
#include <numeric>
#include <vector>

namespace korvant {

class TDisjointSets {
 public:
  explicit TDisjointSets(std::size_t n) : up_(n) { std::iota(up_.begin(), up_.end(), std::size_t{0}); }

  // The number that stands for i's set.
  std::size_t Find(std::size_t i) {
    while (up_[i] != i) i = up_[i] = up_[up_[i]];
    return i;
  }
  // Joins b's set into a's; the number standing for a's set stands for both.
  std::size_t Join(std::size_t a, std::size_t b) {
    a = Find(a);
    up_[Find(b)] = a;
    return a;
  }

 private:
  std::vector<std::size_t> up_;
};

}  // namespace korvant
