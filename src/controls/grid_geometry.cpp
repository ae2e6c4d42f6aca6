#include "controls/grid_geometry.h"

#include <algorithm>

namespace korvant {

int GridAxis::fixedExtent() const {
  int x = 0;
  for (int i = 0; i < fixed && i < count(); ++i) x += size(i) + spacing;
  return x;
}

int GridAxis::start(int i) const {
  if (i < 0 || i >= count()) return -1;
  int x = 0;
  if (i < fixed) {
    for (int k = 0; k < i; ++k) x += size(k) + spacing;
    return x;
  }
  if (i < first) return -1;
  x = fixedExtent();
  for (int k = first; k < i; ++k) {
    x += size(k) + spacing;
    if (x >= extent) return -1;
  }
  return x < extent ? x : -1;
}

int GridAxis::hit(int pos) const {
  if (pos < 0) return -1;
  int x = 0;
  for (int k = 0; k < fixed && k < count(); ++k) {
    x += size(k) + spacing;
    if (pos < x) return k;
  }
  for (int k = std::max(first, fixed); k < count(); ++k) {
    if (x >= extent) return -1;
    x += size(k) + spacing;
    if (pos < x) return pos < extent ? k : -1;
  }
  return -1;
}

int GridAxis::lastFullVisible() const {
  int x = fixedExtent();
  int last = first - 1;
  for (int k = first; k < count(); ++k) {
    if (x + size(k) > extent) break;
    x += size(k) + spacing;
    last = k;
  }
  return last;
}

int GridAxis::maxFirst() const {
  int room = extent - fixedExtent();
  int result = count() - 1;
  int used = 0;
  for (int k = count() - 1; k >= fixed; --k) {
    used += size(k);
    if (used > room) break;
    result = k;
    used += spacing;
  }
  return std::max(result, fixed);
}

std::vector<SubSpan> SubCellSpans(int lo, int hi, const std::array<uint16_t, 5>& percents) {
  std::vector<SubSpan> out;
  const double whole = hi - lo + 1;
  int left = lo;
  for (std::size_t k = 0; k < percents.size() && percents[k] != 0; ++k) {
    const int x = static_cast<int>(whole / 100.0 * percents[k]);
    SubSpan s;
    s.lo = left;
    s.hi = left + x - 2;
    out.push_back(s);
    left = s.hi + 2;
  }
  if (!out.empty()) {
    out.back().hi = hi;
    out.back().last = true;
  }
  return out;
}

std::string FitWithEllipsis(const std::string& text,
                            const std::function<bool(const std::string&)>& fits) {
  if (text.empty() || fits(text)) return text;
  std::string last;
  for (std::size_t n = text.size(); n >= 1; --n) {
    std::string cand = text.substr(0, n - 1);
    if (!cand.empty() && (cand.back() == ' ' || cand.back() == '.')) continue;
    cand += kEllipsis;
    if (fits(cand)) return cand;
    last = std::move(cand);
  }
  return last;
}

void EqualizeDataSizes(std::vector<int>& sizes, int index, int size) {
  if (index < 1) return;
  for (std::size_t i = 1; i < sizes.size(); ++i) sizes[i] = size;
}

int WeekColumnWidth(int clientWidth, int lineWidth) {
  return std::clamp((clientWidth - 7 * lineWidth) / 7, 40, 41);
}

int WeekRowHeight(int clientHeight, int lineWidth) {
  return std::clamp((clientHeight - 9 * lineWidth) / 9, 11, 12);
}

int SubRowsRowHeight(int lineHeight, int n) { return lineHeight * n + (n - 1); }

}  // namespace korvant
