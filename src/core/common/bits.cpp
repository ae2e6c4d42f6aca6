#include "core/common/bits.h"

#include <cstring>

#include "core/common/shared_state.h"

namespace korvant {

bool BitsDisjoint(const void* a, const void* b, std::size_t n) {
  const auto* pa = static_cast<const unsigned char*>(a);
  const auto* pb = static_cast<const unsigned char*>(b);
  std::size_t i = 0;
  for (; i + 4 <= n; i += 4) {
    uint32_t wa, wb;
    std::memcpy(&wa, pa + i, 4);
    std::memcpy(&wb, pb + i, 4);
    if (wa & wb) return false;
  }
  for (; i < n; ++i)
    if (pa[i] & pb[i]) return false;
  return true;
}

bool SubtractWithinLimits(int8_t* rec, const int8_t* sub, std::size_t n) {
  const int8_t* values = rec;
  int8_t* results = rec + 2 * n;
  const int8_t* limits = rec + 3 * n;
  for (std::size_t i = 0; i < n; ++i) {
    const auto r = static_cast<int8_t>(static_cast<uint8_t>(static_cast<uint8_t>(values[i]) - static_cast<uint8_t>(sub[i])));
    results[i] = r;
    if (r > limits[i]) return false;
  }
  return true;
}

bool SubtractWithinLimits(int8_t* rec, const int8_t* sub) {
  return SubtractWithinLimits(rec, sub, Shared().GroupSize);
}

}  // namespace korvant
