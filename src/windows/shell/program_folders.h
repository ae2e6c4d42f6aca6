#pragma once
// Where the program keeps its files: the program's folder, with its
// "Project", "Variant" and "Archieve" sub-folders when they exist. A
// program folder the user cannot write to (an installed program) is
// replaced by the user's data folder, where the three sub-folders are made.
#include <QString>
#include <string>

namespace korvant {

// Chooses the program folder (SetProgramFolder) from the folder of the
// program file and the user's data folder; answers the folder chosen.
QString SetUpProgramFolders(const QString& programDir, const QString& userDataDir,
                            bool programDirWritable);
// The same for the running program (QCoreApplication::applicationDirPath,
// QStandardPaths::AppDataLocation).
QString SetUpProgramFolders();

// The program's name where it names folders: "korvant". No display name is
// set: Qt would append it to every window title (" — Корвант"), while each
// window shows exactly its own caption, the main window the program title.
void SetUpProgramTitle();

// The default folders of variants and of the substitution archive: the
// sub-folder of the program folder when it exists, else the program folder.
std::string VariantFolder();
std::string ArchiveFolder();

}  // namespace korvant
