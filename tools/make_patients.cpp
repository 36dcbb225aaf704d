// palvoric-make-patients DIR COUNT [--seed N] [--force]
//
// Fills DIR with COUNT entries of a practice's start folder (see patient_names.h), for
// demonstrations and for the search benchmark. The same seed gives the same folder.

#include "platform/native_names.h"
#include "tools/patient_names.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QTextStream>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QTextStream &err()
{
    static QTextStream stream(stderr);
    return stream;
}

// Whether the folder holds anything, hidden entries included; false when it is missing.
bool holdsEntries(const QByteArray &folder)
{
    DIR *dir = ::opendir(folder.constData());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent *entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

bool create(const QByteArray &path, bool folder)
{
    if (folder)
        return ::mkdir(path.constData(), 0755) == 0;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    ::close(fd);
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        u"Crée COUNT dossiers de patients dans DIR (noms français réalistes, quelques "
        "fichiers, entrées cachées, noms décomposés comme sous macOS)."_qs);
    parser.addHelpOption();
    parser.addPositionalArgument(u"DIR"_qs, u"Dossier à remplir (créé s'il manque)."_qs);
    parser.addPositionalArgument(u"COUNT"_qs, u"Nombre d'entrées à créer."_qs);
    const QCommandLineOption seedOption(u"seed"_qs, u"Graine du tirage (1 par défaut)."_qs, u"N"_qs,
                                        u"1"_qs);
    const QCommandLineOption forceOption(u"force"_qs,
                                         u"Écrire aussi dans un dossier qui n'est pas vide."_qs);
    parser.addOption(seedOption);
    parser.addOption(forceOption);
    parser.process(app);

    const QStringList args = parser.positionalArguments();
    bool countOk = false, seedOk = false;
    const qlonglong count = args.size() == 2 ? args[1].toLongLong(&countOk) : 0;
    const quint64 seed = parser.value(seedOption).toULongLong(&seedOk);
    if (args.size() != 2 || !countOk || count < 0 || !seedOk) {
        err() << parser.helpText();
        return 1;
    }

    const QString folder = QDir::cleanPath(args[0]);
    const QByteArray nativeFolder = platform::encodePath(folder);
    if (nativeFolder.isEmpty() || !QDir().mkpath(folder)) {
        err() << u"Impossible de créer le dossier \"%1\"."_qs.arg(folder) << Qt::endl;
        return 2;
    }
    if (holdsEntries(nativeFolder) && !parser.isSet(forceOption)) {
        err() << u"Le dossier \"%1\" n'est pas vide : ajoutez --force pour y écrire quand "
                 "même."_qs.arg(folder)
              << Qt::endl;
        return 1;
    }

    PatientNames names(seed);
    qlonglong files = 0, hidden = 0, decomposed = 0, latin1 = 0, existing = 0;
    for (qlonglong i = 0; i < count; ++i) {
        const PatientNames::Entry entry = names.next();
        const bool isFolder = entry.kind == PatientNames::Kind::Folder ||
                              entry.kind == PatientNames::Kind::HiddenFolder;
        if (!create(nativeFolder + '/' + entry.name, isFolder)) {
            if (errno == EEXIST) { // with --force, over an earlier run
                ++existing;
                continue;
            }
            err() << u"Impossible de créer \"%1\" : %2"_qs.arg(
                         platform::decodeFileName(entry.name),
                         QString::fromLocal8Bit(std::strerror(errno)))
                  << Qt::endl;
            return 2;
        }
        files +=
            entry.kind == PatientNames::Kind::File || entry.kind == PatientNames::Kind::HiddenFile;
        hidden += entry.kind == PatientNames::Kind::HiddenFile ||
                  entry.kind == PatientNames::Kind::HiddenFolder;
        decomposed += entry.decomposed;
        latin1 += entry.latin1;
    }
    const auto number = [](qlonglong n) {
        return QString::number(n);
    };
    QTextStream(stdout) << u"%1 entrées créées dans \"%2\" : %3 fichiers, %4 cachées, %5 "
                           "décomposées (NFD), %6 en Latin-1, %7 déjà là."_qs.arg(
                               number(count - existing), folder, number(files), number(hidden),
                               number(decomposed), number(latin1), number(existing))
                        << Qt::endl;
    return 0;
}
