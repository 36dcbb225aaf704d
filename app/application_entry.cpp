#include "app/application_entry.h"

#include "app/app_resources.h"
#include "app/dialogs.h"
#include "app/handler_guard.h"
#include "app/main_window.h"
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "app/theme.h"
#include "platform/display_platform.h"
#include "platform/move_records.h"
#include "store/ini_file.h"
#include "store/program_folders.h"

#include <QApplication>
#include <QIcon>

int runApplication(int argc, char **argv)
{
    // Under Wayland, X11 where the session offers it: the window's place, its level and
    // the notice's corner need it (platform/display_platform.h).
    const QByteArray display = platform::preferredQtPlatform(platform::currentDisplayEnvironment());
    if (!display.isEmpty())
        qputenv("QT_QPA_PLATFORM", display);
    QApplication app(argc, argv);
    // The programs the window starts (the file browser, the text editor) choose their own.
    if (!display.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    initAppResources();
    installQtTranslations(app);
    QApplication::setApplicationName(QStringLiteral("Palvoric"));
    QApplication::setDesktopFileName(QStringLiteral("palvoric"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/palvoric.svg")));

    QtDesktop desktop;
    const QString theme = QString::fromLatin1(kThemeName);
    if (!applyTheme(app, theme)) {
        messageDialog(desktop, QStringLiteral("Style '%1' non trouvé").arg(theme),
                      Desktop::DialogKind::Error, Desktop::Button::Close);
    }

    // Beside the executable, or in the user's folders for an installed copy, which makes
    // them at its first start.
    const store::ProgramFolders folders = store::programFolders();
    runGuarded(desktop, [&] { store::createProgramFolders(folders); });
    for (const QString &folder : folders.writtenFolders()) {
        // What a run killed in the middle of a save left behind; the files themselves are
        // whole.
        store::removeLeftoverSaves(folder);
    }
    // And what a run killed in the middle of a move between volumes left: a staging copy,
    // or an original half removed.
    platform::finishInterruptedMoves(folders.dataFolder);

    MainWindow form(desktop, QApplication::arguments().mid(1));
    form.show();
    return QApplication::exec();
}
