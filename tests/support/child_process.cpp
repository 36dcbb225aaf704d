#include "tests/support/child_process.h"

#include <QFileInfo>

#include <sched.h>
#include <unistd.h>

QString faultLibraryPath()
{
    const QString path = QCoreApplication::applicationDirPath() +
                         QStringLiteral("/../support/faults/libpalvoric_faults.so");
    const QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : QString();
}

QProcessEnvironment faultEnvironment(const QString &faults)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("LD_PRELOAD"), faultLibraryPath());
    environment.insert(QStringLiteral("PALVORIC_FAULTS"), faults);
    // In a sanitizer build the preloaded library comes before the sanitizer's runtime.
    const QString asan = environment.value(QStringLiteral("ASAN_OPTIONS"));
    environment.insert(QStringLiteral("ASAN_OPTIONS"),
                       asan + (asan.isEmpty() ? QString() : QStringLiteral(":")) +
                           QStringLiteral("verify_asan_link_order=0"));
    return environment;
}

void startChild(QProcess &process, const QStringList &args)
{
    process.setProgram(QCoreApplication::applicationFilePath());
    process.setArguments(QStringList{QStringLiteral("--child")} + args);
    process.start();
}

bool startChildOnAnotherWorkstation(QProcess &process, const QStringList &args,
                                    const QByteArray &hostName)
{
    if (geteuid() != 0)
        return false;
    process.setChildProcessModifier([hostName] {
        if (unshare(CLONE_NEWUTS) != 0 || sethostname(hostName.constData(), hostName.size()) != 0)
            _exit(121);
    });
    startChild(process, args);
    return true;
}

ChildResult runChild(const QStringList &args, const QProcessEnvironment &environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    startChild(process, args);
    ChildResult result;
    if (!process.waitForStarted(60000)) {
        return result;
    }
    result.finished =
        process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit;
    if (!result.finished)
        process.kill();
    process.waitForFinished(5000);
    result.exitCode = process.exitCode();
    result.standardOutput = process.readAllStandardOutput();
    result.standardError = process.readAllStandardError();
    return result;
}
