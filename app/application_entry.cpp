#include "app/application_entry.h"

#include "app/app_resources.h"
#include "app/dialogs.h"
#include "app/main_window.h"
#include "app/qt_desktop.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "platform/move_records.h"
#include "store/ini_file.h"

#include <QApplication>
#include <QIcon>

int runApplication(int argc, char **argv)
{
    QApplication app(argc, argv);
    initAppResources();
    QApplication::setApplicationName(QStringLiteral("Palvoric"));
    QApplication::setDesktopFileName(QStringLiteral("palvoric"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/palvoric.svg")));

    // What a run killed in the middle of a save left behind; the files themselves are whole.
    store::removeLeftoverSaves(platform::exeFolder());
    // And what a run killed in the middle of a move between volumes left: a staging copy,
    // or an original half removed.
    platform::finishInterruptedMoves(platform::exeFolder());

    QtDesktop desktop;
    const QString theme = QString::fromLatin1(kThemeName);
    if (!applyTheme(app, theme)) {
        messageDialog(desktop, QStringLiteral("Style '%1' non trouvé").arg(theme),
                      Desktop::DialogKind::Error, Desktop::Button::Close);
    }

    MainWindow form(desktop, QApplication::arguments().mid(1));
    form.show();
    return QApplication::exec();
}
