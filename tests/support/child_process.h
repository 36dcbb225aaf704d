#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QProcess>
#include <QStringList>
#include <QTest>

// Some tests run a step in a child copy of their own program: under the fault library
// (LD_PRELOAD) or to be killed in the middle of it. Such a program starts with
// PALVORIC_TEST_MAIN_WITH_CHILD instead of QTEST_GUILESS_MAIN; the child receives the
// arguments after "--child" and its result is its exit code.

// The fault library built beside the test programs (tests/support/faults), or "".
QString faultLibraryPath();

// The environment of a child with the fault library preloaded and faults (for example
// "fdatasync") enabled in it.
QProcessEnvironment faultEnvironment(const QString &faults);

struct ChildResult
{
    bool finished = false; // false: it crashed or did not end in time
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};

// Runs this program as a child with args and waits for its end (one minute at most).
ChildResult
runChild(const QStringList &args,
         const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment());

// Starts this program as a child with args; the caller owns the process.
void startChild(QProcess &process, const QStringList &args);

// As startChild, as if on another workstation: the child gets a host name of its own
// (hostName, in a UTS namespace of its own), so that what it writes in a shared folder
// says another machine made it. Needs root; false (and nothing started) without it.
bool startChildOnAnotherWorkstation(QProcess &process, const QStringList &args,
                                    const QByteArray &hostName = QByteArrayLiteral("POSTE2"));

#define PALVORIC_TEST_MAIN_WITH_CHILD(TestObject, childMain)                                       \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        QCoreApplication app(argc, argv);                                                          \
        if (argc > 1 && qstrcmp(argv[1], "--child") == 0)                                          \
            return childMain(app.arguments().mid(2));                                              \
        TestObject tc;                                                                             \
        QTEST_SET_MAIN_SOURCE_PATH                                                                 \
        return QTest::qExec(&tc, argc, argv);                                                      \
    }
