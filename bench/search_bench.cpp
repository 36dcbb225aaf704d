// palvoric-bench-search [--rounds N] [--no-targets] DIR...
//
// Measures, side by side and in one run, what a keystroke in the search box costs on
// each start folder DIR, against the floor (the folder's bare enumeration) and against
// ls | grep and find. Medians over several rounds with warm caches. bench/run makes the
// folders and calls this under the offscreen platform.

#include "bench/floor_enumeration.h"
#include "bench/keystroke_path.h"
#include "bench/timing.h"
#include "platform/folder_listing.h"
#include "platform/native_names.h"
#include "platform/wildcard_matcher.h"
#include "search/folder_search.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <functional>
#include <vector>

using search::SearchMode;

namespace {

struct Case
{
    QString text;
    SearchMode mode;
    QString grepPattern;
    QString findPattern;
    bool ignoreAccents;
    double target; // keystroke/floor at the largest folder
};

// Each text twice: as the window searches by default, then with "Ignorer les accents".
const std::vector<Case> kCases = {
    {u"du"_qs, SearchMode::BeginsWith, u"^du"_qs, u"du*"_qs, false, 1.15},
    {u"ar"_qs, SearchMode::Contains, u"ar"_qs, u"*ar*"_qs, false, 1.5},
    {u"**"_qs, SearchMode::Contains, QString(), u"*"_qs, false, 2.5},
    {u"du"_qs, SearchMode::BeginsWith, u"^du"_qs, u"du*"_qs, true, 1.5},
    {u"ar"_qs, SearchMode::Contains, u"ar"_qs, u"*ar*"_qs, true, 2.2},
    {u"**"_qs, SearchMode::Contains, QString(), u"*"_qs, true, 4.0},
};

QString accentsLabel(bool ignoreAccents)
{
    return ignoreAccents ? u"ignored"_qs : u"kept"_qs;
}

search::SearchRequest requestFor(const QString &folder, const Case &c)
{
    search::SearchRequest request;
    request.startFolder = folder;
    request.text = c.text;
    request.mode = c.mode;
    request.locale = QLocale::system();
    request.ignoreAccents = c.ignoreAccents;
    return request;
}

struct Figures
{
    qsizetype matches = 0;
    double floor = 0, listing = 0, core = 0, keystroke = 0, paint = 0, lsGrep = 0, find = 0;
    double processFloor = 0; // a whole process that only enumerates, as the peers are
};

QTextStream out(stdout);

QString quoted(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\'', u"'\\''"_qs);
    return u'\'' + escaped + u'\'';
}

void runShell(const QString &command)
{
    QProcess::execute(u"/bin/sh"_qs, {u"-c"_qs, command});
}

Figures measure(const QString &folder, const Case &c, KeystrokePath &path, int rounds)
{
    const QByteArray nativeFolder = platform::encodePath(folder);
    const search::SearchRequest request = requestFor(folder, c);
    const platform::WildcardMatcher matcher = search::searchMatcher(request);
    const QString lsGrep =
        u"ls -f %1 | grep -i -e %2 >/dev/null"_qs.arg(quoted(folder), quoted(c.grepPattern));
    const QString find = u"find %1 -mindepth 1 -maxdepth 1 -iname %2 >/dev/null"_qs.arg(
        quoted(folder), quoted(c.findPattern));
    path.type(c.text, c.mode, c.ignoreAccents);
    const int shellRounds = std::min(rounds, 5);

    const QString enumerate =
        quoted(QCoreApplication::applicationDirPath() + u"/palvoric-enumerate"_qs) + u' ' +
        quoted(folder) + u" >/dev/null"_qs;
    std::vector<double> floor, listing, core, keystroke, paint, viaLs, viaFind, viaEnumerate;
    Figures figures;
    for (int round = -1; round < rounds; ++round) { // round -1 warms the caches
        floor.push_back(millisecondsOf([&] { countFolderEntries(nativeFolder.constData()); }));
        listing.push_back(millisecondsOf([&] { platform::listFolder(folder, matcher); }));
        core.push_back(
            millisecondsOf([&] { figures.matches = search::findEntries(request).size(); }));
        keystroke.push_back(millisecondsOf([&] { path.search(); }));
        paint.push_back(millisecondsOf([&] { path.paint(); }));
        QCoreApplication::processEvents();
        // Separate processes, for comparison only: fewer rounds.
        if (round < shellRounds) {
            viaEnumerate.push_back(millisecondsOf([&] { runShell(enumerate); }));
            viaLs.push_back(millisecondsOf([&] { runShell(lsGrep); }));
            viaFind.push_back(millisecondsOf([&] { runShell(find); }));
        }
        if (round < 0) {
            for (auto *series :
                 {&floor, &listing, &core, &keystroke, &paint, &viaLs, &viaFind, &viaEnumerate})
                series->clear();
        }
    }
    figures.floor = median(floor);
    figures.listing = median(listing);
    figures.core = median(core);
    figures.keystroke = median(keystroke);
    figures.paint = median(paint);
    figures.lsGrep = median(viaLs);
    figures.find = median(viaFind);
    figures.processFloor = median(viaEnumerate);
    return figures;
}

QString cell(double ms, double floor)
{
    return u"%1 %2"_qs.arg(ms, 8, 'f', 2).arg(u"(%1x)"_qs.arg(ms / floor, 0, 'f', 2), -9);
}

QtMessageHandler standardHandler = nullptr;

// The offscreen platform warns at each window it shows that it cannot pass size hints on.
void quietOffscreen(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (!message.contains(u"propagateSizeHints"))
        standardHandler(type, context, message);
}

long peakMemoryKiB()
{
    QFile status(u"/proc/self/status"_qs);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    standardHandler = qInstallMessageHandler(quietOffscreen);
    QStringList folders = app.arguments().mid(1);
    int rounds = 0;
    bool targets = true;
    while (!folders.isEmpty() && folders[0].startsWith(u"--")) {
        if (folders[0] == u"--rounds" && folders.size() >= 2) {
            rounds = folders[1].toInt();
            folders = folders.mid(2);
        } else if (folders[0] == u"--no-targets") {
            targets = false;
            folders = folders.mid(1);
        } else {
            folders.clear();
        }
    }
    if (folders.isEmpty()) {
        QTextStream(stderr) << "usage: palvoric-bench-search [--rounds N] [--no-targets] DIR...\n";
        return 1;
    }

    out << "Search of a start folder, one keystroke. Times in ms, medians over the rounds,\n"
           "warm caches; (x) is the ratio to the floor. floor: bare getdents64 counting\n"
           "names; listing: enumerate + match; core: findEntries (enumerate, match, sort);\n"
           "keystroke: the search action on the window's list, shown, up to laid out; paint: one\n"
           "repaint after it, not counted; ls and find: whole processes, 5 rounds, their (x)\n"
           "to a whole process that only enumerates (palvoric-enumerate). Locale: "
        << QLocale::system().name() << "\n\n";
    out << u"%1 %2 %3 %4 %5 %6 %7 %8 %9 %10"_qs.arg(u"entries"_qs, -8)
               .arg(u"text"_qs, -5)
               .arg(u"accents"_qs, -8)
               .arg(u"lines"_qs, 7)
               .arg(u"floor"_qs, 8)
               .arg(u"listing"_qs, -18)
               .arg(u"core"_qs, -18)
               .arg(u"keystroke"_qs, -18)
               .arg(u"paint"_qs, -7)
               .arg(u"ls | grep -i        find -iname"_qs)
        << Qt::endl;

    struct Row
    {
        qsizetype entries;
        Case c;
        Figures f;
    };
    std::vector<Row> rows;
    for (const QString &folder : std::as_const(folders)) {
        const qsizetype entries = countFolderEntries(platform::encodePath(folder).constData()) - 2;
        const int folderRounds = rounds > 0 ? rounds : entries > 50000 ? 21 : 31;
        KeystrokePath path(folder);
        for (const Case &c : kCases) {
            const Figures f = measure(folder, c, path, folderRounds);
            rows.push_back({entries, c, f});
            out << u"%1 %2 %3 %4 %5 %6 %7 %8 %9 %10 %11"_qs.arg(entries, -8)
                       .arg(c.text, -5)
                       .arg(accentsLabel(c.ignoreAccents), -8)
                       .arg(f.matches, 7)
                       .arg(f.floor, 8, 'f', 2)
                       .arg(cell(f.listing, f.floor), cell(f.core, f.floor),
                            cell(f.keystroke, f.floor))
                       .arg(f.paint, 7, 'f', 2)
                       .arg(cell(f.lsGrep, f.processFloor), cell(f.find, f.processFloor))
                << Qt::endl;
        }
    }

    if (!targets)
        return 0;
    const auto find = [&](qsizetype entries, const QString &text,
                          bool ignoreAccents = false) -> const Row * {
        for (const Row &row : rows) {
            if (row.entries == entries && row.c.text == text &&
                row.c.ignoreAccents == ignoreAccents)
                return &row;
        }
        return nullptr;
    };
    const auto verdict = [](bool met) {
        return met ? u"met"_qs : u"MISSED"_qs;
    };
    const long peak = peakMemoryKiB();
    out << "\nTargets\n";
    const qsizetype largest = rows.back().entries;
    for (const Case &c : kCases) {
        if (const Row *row = find(largest, c.text, c.ignoreAccents)) {
            const double ratio = row->f.keystroke / row->f.floor;
            out << u"  %1 entries, \"%2\", accents %3: keystroke/floor %4 (target %5x) %6"_qs
                       .arg(largest)
                       .arg(c.text, accentsLabel(c.ignoreAccents))
                       .arg(ratio, 0, 'f', 2)
                       .arg(c.target)
                       .arg(verdict(ratio <= c.target))
                << Qt::endl;
        }
    }
    const Row *du = find(largest, u"du"_qs);
    if (du) {
        const double ratio = du->f.core / du->f.floor;
        out << u"  %1 entries, \"du\": core/floor %2 (target 1.3x) %3"_qs.arg(largest)
                   .arg(ratio, 0, 'f', 2)
                   .arg(verdict(ratio <= 1.3))
            << Qt::endl;
    }
    if (const Row *row = find(10000, u"du"_qs)) {
        out << u"  10000 entries, \"du\": keystroke %1 ms (target under one frame, 16.7 ms) %2"_qs
                   .arg(row->f.keystroke, 0, 'f', 2)
                   .arg(verdict(row->f.keystroke < 1000.0 / 60))
            << Qt::endl;
    }
    out << u"  memory peak of the process (VmHWM) %1 MB (target under 120 MB) %2"_qs
               .arg(peak / 1024.0, 0, 'f', 1)
               .arg(verdict(peak >= 0 && peak < 120 * 1024))
        << Qt::endl;
    if (du) {
        out << u"core/floor %1 keystroke/floor %2"_qs.arg(du->f.core / du->f.floor, 0, 'f', 2)
                   .arg(du->f.keystroke / du->f.floor, 0, 'f', 2)
            << Qt::endl;
    }
    return 0;
}
