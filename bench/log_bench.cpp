// palvoric-bench-logs FOLDER
//
// What recording one opening costs (the journal entry, then the folder-log entry) once a
// practice has five years of logs, against the same writes on empty logs. FOLDER is an
// empty folder on the disk to measure; bench/run gives one. Medians over the rounds.

#include "bench/timing.h"
#include "store/activity_log.h"
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

// Five years of working days, written as the program writes them (each entry is one line
// of its day's section, or of its folder's section) and then tidied, as when the window
// closes with the option on.
QDate writeHistoricLogs(const QString &folder, const QStringList &patients)
{
    QRandomGenerator random(11);
    QByteArray journal;
    std::map<QString, QByteArray> folderSections;
    QStringList folderOrder;
    QDate day(2021, 1, 4);
    const QDate end = day.addYears(kYears);
    for (; day < end; day = day.addDays(1)) {
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

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (app.arguments().size() != 2) {
        QTextStream(stderr) << "usage: palvoric-bench-logs FOLDER\n";
        return 1;
    }
    const QString folder = QDir(app.arguments()[1]).absolutePath() + u'/';
    const QStringList patients = patientNames(kPatients);
    SteppingClock clock(QDateTime(QDate(2020, 1, 6), QTime(8, 0)));
    store::setClock(&clock);

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
    return 0;
}
