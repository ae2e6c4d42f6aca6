#include "windows/shell/program_folders.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include "controls/form_util.h"
#include "core/common/catalogue.h"
#include "core/project/project.h"
#include "platform/qt_text.h"

namespace korvant {

namespace {

constexpr int kMsgProjectFolder = 10002;
constexpr int kMsgVariantFolder = 10008;
constexpr int kMsgArchiveFolder = 10015;

}  // namespace

QString SetUpProgramFolders(const QString& programDir, const QString& userDataDir,
                            bool programDirWritable) {
  QString folder = programDir;
  if (!programDirWritable && !userDataDir.isEmpty()) {
    folder = userDataDir;
    QDir dir;
    for (int id : {kMsgProjectFolder, kMsgVariantFolder, kMsgArchiveFolder})
      dir.mkpath(userDataDir + QLatin1Char('/') + ResQ(id));
  }
  SetProgramFolder(PathFromQt(QDir::cleanPath(folder)));
  return QDir::cleanPath(folder);
}

void SetUpProgramTitle() {
  QCoreApplication::setApplicationName(QStringLiteral("korvant"));
}

QString SetUpProgramFolders() {
  const QString programDir = QCoreApplication::applicationDirPath();
  const QFileInfo info(programDir);
  return SetUpProgramFolders(programDir,
                             QStandardPaths::writableLocation(QStandardPaths::AppDataLocation),
                             info.isDir() && info.isWritable());
}

std::filesystem::path VariantFolder() { return SubFolderOr(ProgramFolder(), kMsgVariantFolder); }
std::filesystem::path ArchiveFolder() { return SubFolderOr(ProgramFolder(), kMsgArchiveFolder); }

}  // namespace korvant
