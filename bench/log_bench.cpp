// palvoric-bench-logs [--writer-only] FOLDER
//
// What recording one opening costs (the journal entry, then the folder-log entry) once a
// practice has five years of logs, against the same writes on empty logs. Then what the
// window's thread pays per opening when it hands the opening to the log writer, with logs
// of 8 MB (the write itself runs on the writer's thread). FOLDER is an empty folder on the
// disk to measure; bench/run gives one. --writer-only measures the hand-over alone (bench/run
// runs it again over a folder slowed as a share). Medians over the rounds.

#include "bench/timing.h"
#include "store/activity_log.h"
#include "store/activity_log_writer.h"
#include "store/clock.h"
#include "store/tidy_ini_file.h"
#include "tools/patient_names.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <chrono>
#include <functional>
#include <map>
#include <vector>

namespace {

QTextStream out(stdout);

constexpr int kYears = 5;
constexpr int kOpeningsPerDay = 62;
constexpr int kPatients = 20000;
constexpr int kRounds = 41;
// The logs of a practice that has kept them for many years.
constexpr qint64 kLargeLogBytes = 8 * 1024 * 1024;
// Openings handed over back to back, as a user clicking through folders would.
constexpr int kBurst = 20;
// One frame at 60 Hz: the window's thread must give no longer to an opening's logs.
constexpr double kHandOverTargetMs = 16;

// One second later at each call, from a morning after the logged years.
class SteppingClock : public store::Clock
{
public:
    explicit SteppingClock(QDateTime start) : m_time(std::move(start)) {}
    QDateTime now() const override
    {
        m_time = m_time.addSecs(1);
        return m_time;
    }

private:
    mutable QDateTime m_time;
};

QStringList patientNames(int count)
{
    PatientNames generator(7);
    QStringList names;
    while (names.size() < count) {
        const PatientNames::Entry entry = generator.next();
        if (entry.kind == PatientNames::Kind::Folder && !entry.latin1)
            names.append(QString::fromUtf8(entry.name));
    }
    return names;
}

// Five years of working days (more until the journal holds minimumJournalBytes), written as
// the program writes them (each entry is one line of its day's section, or of its folder's
// section) and then tidied, as when the window closes with the option on.
QDate writeHistoricLogs(const QString &folder, const QStringList &patients,
                        qint64 minimumJournalBytes = 0)
{
    QRandomGenerator random(11);
    QByteArray journal;
    std::map<QString, QByteArray> folderSections;
    QStringList folderOrder;
    QDate day(2021, 1, 4);
    const QDate end = day.addYears(kYears);
    for (; day < end || journal.size() < minimumJournalBytes; day = day.addDays(1)) {
        if (day.dayOfWeek() > 5)
            continue;
        const QString date = store::logDateText(day);
        journal += '[' + date.toUtf8() + "]\r\n";
        QTime time(8, 30);
        for (int i = 0; i < kOpeningsPerDay; ++i) {
            time = time.addSecs(int(random.bounded(30, 500)));
            const QString patient = patients[int(random.bounded(patients.size()))];
            const QByteArray clock = store::logTimeText(time).toUtf8();
            journal += clock + '=' + patient.toUtf8() + "\r\n";
            auto [section, added] = folderSections.try_emplace(patient);
            if (added)
                folderOrder.append(patient);
            section->second += date.toUtf8() + '=' + clock + "\r\n";
        }
    }
    QByteArray folderLog;
    for (const QString &patient : std::as_const(folderOrder))
        folderLog += '[' + patient.toUtf8() + "]\r\n" + folderSections[patient];
    for (const auto &[path, bytes] : {std::pair{store::journalLogPath(folder), journal},
                                      std::pair{store::folderLogPath(folder), folderLog}}) {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
    }
    store::tidyActivityLogs(folder);
    return day;
}

double kilobytes(const QString &path)
{
    return QFileInfo(path).size() / 1024.0;
}

double megabytes(const QString &path)
{
    return QFileInfo(path).size() / (1024.0 * 1024.0);
}

// The window thread's time per opening handed to the log writer, over logs of 8 MB: one
// opening at a time (each written before the next, as when the user reads a folder
// between two), then bursts handed over while the writer is still busy. Prints its rows
// and the target; the write's own time, on the writer's thread, for comparison.
void measureHandOver(const QString &folder, const QStringList &patients, SteppingClock &clock,
                     const QString &disk)
{
    const QDate today = writeHistoricLogs(folder, patients, kLargeLogBytes);
    clock = SteppingClock(QDateTime(today, QTime(8, 0)));
    store::ActivityLogWriter writer;
    int failures = 0;
    QObject::connect(&writer, &store::ActivityLogWriter::writeFailed, [&](const QString &message) {
        if (++failures == 1)
            QTextStream(stderr) << message << Qt::endl;
    });
    std::vector<double> single;
    std::vector<double> written;
    for (int round = 0; round < kRounds; ++round) {
        const QString entry = patients[round * 89];
        const auto start = std::chrono::steady_clock::now();
        single.push_back(millisecondsOf([&] { writer.logOpening(entry, folder); }));
        writer.waitForPending(QDeadlineTimer::Forever);
        written.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::vector<double> burst;
    for (int round = 0; round < kRounds / 4; ++round) {
        for (int i = 0; i < kBurst; ++i) {
            const QString entry = patients[(round * kBurst + i) * 31];
            burst.push_back(millisecondsOf([&] { writer.logOpening(entry, folder); }));
        }
        writer.waitForPending(QDeadlineTimer::Forever);
    }
    const double longest = std::max(*std::max_element(single.cbegin(), single.cend()),
                                    *std::max_element(burst.cbegin(), burst.cend()));
    out << u"Handing an opening to the log writer, %1, ms. Logs: journal %2 MB, folder log %3 MB."_qs
               .arg(disk)
               .arg(megabytes(store::journalLogPath(folder)), 0, 'f', 1)
               .arg(megabytes(store::folderLogPath(folder)), 0, 'f', 1)
        << Qt::endl;
    out << u"  window thread, one at a time       %1 (longest %2)"_qs.arg(median(single), 7, 'f', 3)
               .arg(*std::max_element(single.cbegin(), single.cend()), 0, 'f', 3)
        << Qt::endl;
    out << u"  window thread, %1 back to back     %2 (longest %3)"_qs.arg(kBurst)
               .arg(median(burst), 7, 'f', 3)
               .arg(*std::max_element(burst.cbegin(), burst.cend()), 0, 'f', 3)
        << Qt::endl;
    out << u"  the write, on the writer's thread  %1"_qs.arg(median(written), 7, 'f', 2)
        << Qt::endl;
    if (failures > 0)
        out << "  " << failures << " writes FAILED" << Qt::endl;
    out << u"window thread %1 ms per opening, longest (target ≤ %2 ms) %3"_qs
               .arg(longest, 0, 'f', 3)
               .arg(kHandOverTargetMs, 0, 'f', 0)
               .arg(longest <= kHandOverTargetMs && failures == 0 ? u"met"_qs : u"MISSED"_qs)
        << Qt::endl;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    const bool writerOnly = arguments.removeAll(u"--writer-only"_qs) > 0;
    if (arguments.size() != 1) {
        QTextStream(stderr) << "usage: palvoric-bench-logs [--writer-only] FOLDER\n";
        return 1;
    }
    const QString folder = QDir(arguments[0]).absolutePath() + u'/';
    const QStringList patients = patientNames(kPatients);
    SteppingClock clock(QDateTime(QDate(2020, 1, 6), QTime(8, 0)));
    store::setClock(&clock);
    const QString slowMs = qEnvironmentVariable("PALVORIC_SLOW_MS");
    const QString disk =
        qEnvironmentVariableIsSet("PALVORIC_SLOW_FILES")
            ? u"each opening of a file in the log folder slowed by %1 ms"_qs.arg(slowMs)
            : u"local disk"_qs;
    if (writerOnly) {
        measureHandOver(folder, patients, clock, disk);
        return 0;
    }

    auto measure = [&](const std::function<QString(int)> &name, bool emptyLogs) {
        std::vector<double> times;
        for (int round = 0; round < kRounds; ++round) {
            if (emptyLogs) {
                QFile::remove(store::journalLogPath(folder));
                QFile::remove(store::folderLogPath(folder));
            }
            const QString entry = name(round);
            times.push_back(millisecondsOf([&] { store::logOpening(entry, folder); }));
        }
        return median(times);
    };
    const auto newPatient = [](int round) {
        return u"NOUVEAU Patient %1"_qs.arg(round);
    };
    const auto returningPatient = [&](int round) {
        return patients[round * 97];
    };

    const double empty = measure(newPatient, true);
    const QDate today = writeHistoricLogs(folder, patients);
    clock = SteppingClock(QDateTime(today, QTime(8, 0)));
    out << "Recording one opening (journal entry, then folder-log entry), ms, median of " << kRounds
        << " rounds. Logs of " << kYears << " years: journal "
        << kilobytes(store::journalLogPath(folder)) << " KB, folder log "
        << kilobytes(store::folderLogPath(folder)) << " KB.\n";
    const double added = measure(newPatient, false);
    const double returning = measure(returningPatient, false);
    out << u"  empty logs                          %1"_qs.arg(empty, 7, 'f', 2) << Qt::endl;
    out << u"  5 years, a folder not logged before %1 (%2x)"_qs.arg(added, 7, 'f', 2)
               .arg(added / empty, 0, 'f', 2)
        << Qt::endl;
    out << u"  5 years, a folder logged before     %1 (%2x)"_qs.arg(returning, 7, 'f', 2)
               .arg(returning / empty, 0, 'f', 2)
        << Qt::endl;
    out << u"logs 5 years/empty %1 (target 2x) %2"_qs.arg(added / empty, 0, 'f', 2)
               .arg(added / empty <= 2 ? u"met"_qs : u"MISSED"_qs)
        << Qt::endl;
    measureHandOver(folder, patients, clock, disk);
    return 0;
}
