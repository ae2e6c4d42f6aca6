#pragma once
// Program text (CP1251) at the widget boundary: the one place where it
// becomes a QString and back.
#include <QString>

#include <filesystem>
#include <string>

#include "base/cp1251.h"
#include "core/common/catalogue.h"

class QLabel;
class QWidget;

namespace korvant {

inline QString ToQt(const std::string& cp1251Text) {
  return QString::fromStdU16String(cp1251::toUtf16(cp1251Text));
}
inline std::string FromQt(const QString& text) { return cp1251::fromUtf16(text.toStdU16String()); }
// A catalogue entry as widget text.
inline QString ResQ(int id) { return ToQt(LoadResStr(id)); }
// Text the core made for people (captions with file names) as widget text.
inline QString ToQt(const std::u16string& text) { return QString::fromStdU16String(text); }

// File and folder names between the dialogs and the core: the system's own
// names (UTF-8 on disk), never through CP1251.
inline std::filesystem::path PathFromQt(const QString& path) {
  return std::filesystem::path(path.toUtf8().toStdString());
}
inline QString QtFromPath(const std::filesystem::path& path) { return QString::fromStdString(path.native()); }

// A label that shows its text as it is. Names come from users and files,
// and a label left to guess reads one that looks like markup as markup (an
// image tag loads the file it names); none of the program's labels needs
// markup, so every one is made here.
QLabel* NewLabel(const QString& text, QWidget* parent);
inline QLabel* NewLabel(QWidget* parent) { return NewLabel(QString(), parent); }
// A hint's text for the platform's tool tip, which reads markup where the
// text looks like it: such a text is shown as it is.
QString PlainToolTip(const QString& text);

}  // namespace korvant
