// palvoric-bench-typing FOLDER DELAY_MS [--targets]
//
// "dupont" typed at 50 ms a key into the real window, its start folder FOLDER made slow
// by the preloaded slow-folder library (PALVORIC_SLOW_FOLDER, PALVORIC_SLOW_MS; bench/run
// sets them). Prints one row: the enumerations begun and finished while typing, one
// enumeration's time, the time from the last key to the final list, and the longest
// time the window's thread was busy, measured by a timer that should tick every
// millisecond. With --targets, a line after it says whether the targets are met: the final
// list within 1.3x of one enumeration after the last key, the thread never busy more than
// 16 ms.

#include "app/captioned_panel.h"
#include "app/directory_edit.h"
#include "app/main_window.h"
#include "app/main_window_ui.h"
#include "app/qt_desktop.h"
#include "search/folder_search.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QTest>
#include <QTextStream>
#include <QTimer>

#include <algorithm>
#include <dlfcn.h>
#include <vector>

namespace {

using Counts = void (*)(int *, int *);

std::pair<int, int> enumerations()
{
    static const auto counts =
        reinterpret_cast<Counts>(dlsym(RTLD_DEFAULT, "palvoricSlowFolderCounts"));
    int begun = -1, finished = -1;
    if (counts)
        counts(&begun, &finished);
    return {begun, finished};
}

void runEventsFor(qint64 ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, int(ms - timer.elapsed()));
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QTextStream out(stdout);
    const QStringList arguments = app.arguments();
    const bool targets = arguments.size() == 4 && arguments[3] == u"--targets";
    if (arguments.size() != 3 && !targets) {
        QTextStream(stderr) << "usage: palvoric-bench-typing FOLDER DELAY_MS [--targets]\n";
        return 1;
    }
    const QString folder = QDir(app.arguments()[1]).absolutePath();
    const QString delay = app.arguments()[2];
    const QString text = QStringLiteral("dupont");
    const qsizetype entries = QDir(folder).count() - 2;

    // One enumeration of the slow folder, as the search makes it: the median of three,
    // after one that prepares the sort.
    const qsizetype found =
        search::findEntries(folder, text, search::SearchMode::BeginsWith, QLocale::system()).size();
    std::vector<double> times;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        search::findEntries(folder, text, search::SearchMode::BeginsWith, QLocale::system());
        times.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(times.begin(), times.end());
    const double oneEnumeration = times[1];

    QtDesktop desktop;
    MainWindow window(desktop, {});
    window.ui().startFolderEdit->setText(folder);
    window.ui().beginsWithCheck->setChecked(true);
    window.show();
    runEventsFor(300); // shown, the sort prepared

    // The heartbeat: the longest gap between two ticks is the longest the thread was busy;
    // it also sees the final list come.
    const QString finalCaption = search::countCaption(found, text, search::SearchMode::BeginsWith);
    QElapsedTimer sinceTick;
    QElapsedTimer sinceLastKey;
    double longestBusy = 0;
    double finalAfterLastKey = -1;
    const auto tick = [&] {
        if (sinceTick.isValid())
            longestBusy = std::max(longestBusy, sinceTick.nsecsElapsed() / 1e6 - 1.0);
        sinceTick.restart();
        if (sinceLastKey.isValid() && finalAfterLastKey < 0 &&
            window.ui().resultPanel->caption() == finalCaption)
            finalAfterLastKey = sinceLastKey.nsecsElapsed() / 1e6;
    };
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, tick);
    heartbeat.start(1);

    const auto [begunBefore, finishedBefore] = enumerations();
    QLineEdit *box = window.ui().searchBox->lineEdit();
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == text.size() - 1)
            sinceLastKey.start();
        QTest::keyClick(box, text[i].toLatin1());
        tick(); // a result given within the key counts too
        runEventsFor(50);
    }
    QElapsedTimer patience;
    patience.start();
    while (finalAfterLastKey < 0 && patience.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    heartbeat.stop();
    const auto [begunAfter, finishedAfter] = enumerations();

    out << u"%1 %2 %3 %4 %5 %6 %7"_qs.arg(entries, -8)
               .arg(delay + u" ms"_qs, -6)
               .arg(u"%1/%2"_qs.arg(begunAfter - begunBefore).arg(finishedAfter - finishedBefore),
                    -16)
               .arg(oneEnumeration, 12, 'f', 1)
               .arg(finalAfterLastKey < 0 ? u"never"_qs
                                          : QString::number(finalAfterLastKey, 'f', 1),
                    12)
               .arg(u"(%1x)"_qs.arg(finalAfterLastKey / oneEnumeration, 0, 'f', 2), -8)
               .arg(longestBusy, 10, 'f', 1)
        << Qt::endl;
    if (targets) {
        const auto verdict = [](bool met) {
            return met ? u"met"_qs : u"MISSED"_qs;
        };
        const double ratio = finalAfterLastKey / oneEnumeration;
        out << u"  %1 entries, %2 ms: final list %3x one enumeration after the last key "
               "(target 1.3x) %4; window's thread busy at most %5 ms (target 16 ms) %6"_qs
                   .arg(entries)
                   .arg(delay)
                   .arg(ratio, 0, 'f', 2)
                   .arg(verdict(finalAfterLastKey >= 0 && ratio <= 1.3))
                   .arg(longestBusy, 0, 'f', 1)
                   .arg(verdict(longestBusy <= 16))
            << Qt::endl;
    }
    window.hide();
    return 0;
}
