// Program entry point: the message box and the message queue the core
// talks through, the program's folders, and the main window with the
// demonstration project open.
#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include "core/common/catalogue.h"
#include "core/common/window_messages.h"
#include "platform/window_messages.h"
#include "reports/print_dlg.h"
#include "windows/editors/editor_services.h"
#include "windows/shell/error_box.h"
#include "windows/shell/main_frame.h"
#include "windows/shell/program_folders.h"
#include "windows/variant/vars_window.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  korvant::SetUpProgramTitle();
  // The program is Russian throughout: day names, decimal separators.
  QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia));
  // The windows are laid out for a small 8-point dialog font.
  QApplication::setFont(QFont(QStringLiteral("DejaVu Sans"), 8));

  // Qt's own dialogs (the file dialogs) in Russian.
  QTranslator qtTranslator;
  if (qtTranslator.load(QStringLiteral("qtbase_ru"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QApplication::installTranslator(&qtTranslator);

  korvant::ErrorBoxPrompt prompt;
  korvant::ScopedPrompt promptScope(&prompt);
  korvant::QtMessagePort port;
  korvant::ScopedMessagePort portScope(&port);
  korvant::SetUpProgramFolders();

  korvant::FrameServices services;
  services.editors = korvant::ProjectListEditors();
  korvant::TVarsWindowFactory variants;
  variants.hooks.printTable = korvant::RunPrintTableDlg;
  services.variants = &variants;
  services.printData = [](korvant::TMdiTable& project, QWidget* owner) {
    korvant::TPrintDatasDlg dlg(owner, project.Data());
    dlg.ShowModal();
  };
  korvant::TPrgMdiFrame frame(std::move(services));
  // Without a window manager (a bare X server) maximizing does nothing:
  // the window is given the screen's work area first.
  if (const QScreen* screen = QGuiApplication::primaryScreen())
    frame.setGeometry(screen->availableGeometry());
  frame.showMaximized();
  frame.OpenDemoProject();
  return QApplication::exec();
}
