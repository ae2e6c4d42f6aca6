#include "core/project/list_common.h"

namespace korvant {

std::string CutName(std::string_view text, std::size_t arraySize) {
  if (arraySize == 0) return {};
  std::size_t len = text.find('\0');
  if (len == std::string_view::npos) len = text.size();
  if (len > arraySize - 1) len = arraySize - 1;
  return std::string(text.substr(0, len));
}

namespace detail {

bool TakeSection(ByteReader& r, int32_t count, std::size_t recordSize, ByteReader& section) {
  if (count < 0 || !r.ok()) return false;
  const uint64_t bytes = static_cast<uint64_t>(count) * recordSize;
  if (bytes > r.remaining()) return false;
  section = r.sub(static_cast<std::size_t>(bytes));
  return section.ok();
}

}  // namespace detail

}  // namespace korvant
