#pragma once
// Program text (CP1251) at the widget boundary: the one place where it
// becomes a QString and back.
#include <QString>

#include <string>

#include "base/cp1251.h"
#include "core/common/catalogue.h"

namespace korvant {

inline QString ToQt(const std::string& cp1251Text) {
  return QString::fromStdU16String(cp1251::toUtf16(cp1251Text));
}
inline std::string FromQt(const QString& text) { return cp1251::fromUtf16(text.toStdU16String()); }
// A catalogue entry as widget text.
inline QString ResQ(int id) { return ToQt(LoadResStr(id)); }

}  // namespace korvant
