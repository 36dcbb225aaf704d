#include "app/application_entry.h"

#include "app/app_resources.h"
#include "app/command_options.h"
#include "app/dialogs.h"
#include "app/handler_guard.h"
#include "app/main_window.h"
#include "app/qt_desktop.h"
#include "app/qt_translations.h"
#include "app/theme.h"
#include "platform/display_platform.h"
#include "platform/exe_identity.h"
#include "platform/move_records.h"
#include "platform/version_section.h"
#include "store/ini_file.h"
#include "store/program_folders.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

namespace {

// The full version held by the executable ("22.2.3.0").
QString fullVersionText()
{
    const std::optional<platform::FileVersion> version =
        platform::readFileVersion(platform::executablePath());
    if (!version)
        return QStringLiteral("(version inconnue)");
    return QStringLiteral("%1.%2.%3.%4")
        .arg(version->major)
        .arg(version->minor)
        .arg(version->patch)
        .arg(version->build);
}

// Answers "--help" and "--version" on the standard output, before the toolkit starts:
// they need no display. Returns true when one was answered.
bool answerCommandRequest(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 1; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    QString text;
    switch (commandRequest(arguments)) {
    case CommandRequest::Window:
        return false;
    case CommandRequest::Help:
        text = commandHelpText(QString::fromLocal8Bit(argc > 0 ? argv[0] : ""));
        break;
    case CommandRequest::Version:
        text = commandVersionText(fullVersionText());
        break;
    }
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    return true;
}

} // namespace

int runApplication(int argc, char **argv)
{
    if (answerCommandRequest(argc, argv))
        return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
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
    QApplication::setDesktopFileName(QString::fromLatin1(kDesktopEntryName));
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
