// The guard every handler runs in: what the user is shown for each kind of error, the
// steps done before the failure stay done, and nothing reaches the event loop.

#include "app/handler_guard.h"
#include "errors/user_error.h"
#include "platform/exe_identity.h"
#include "tests/support/app/scripted_desktop.h"

#include <QTimer>
#include <QtTest>

#include <functional>
#include <stdexcept>

namespace {

// A desktop whose error box itself fails.
class FailingErrorBoxDesktop : public ScriptedDesktop
{
public:
    void errorBox(const QString &, const QString &) override
    {
        ++attempts;
        throw std::runtime_error("no error box");
    }
    int attempts = 0;
};

struct NotAnException
{};

} // namespace

class TestHandlerGuard : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();

    void errorsReachTheErrorBox_data();
    void errorsReachTheErrorBox();
    void handlerWithoutErrorShowsNothing();
    void failingErrorBoxIsSwallowed();
    void eventLoopGoesOnAfterAnError();

private:
    QString m_title = QStringLiteral("Palvoric");
};

void TestHandlerGuard::initTestCase()
{
    platform::overrideExecutablePath(QStringLiteral("/opt/cabinet/PALVORIC.EXE"));
}

void TestHandlerGuard::cleanupTestCase()
{
    platform::overrideExecutablePath(QString());
}

void TestHandlerGuard::errorsReachTheErrorBox_data()
{
    QTest::addColumn<std::function<void()>>("raise");
    QTest::addColumn<QString>("shown");

    QTest::newRow("user error, letter at the end") << std::function<void()>([] {
        throw palvoric::UserError(
            QStringLiteral("Impossible d'écrire dans /opt/cabinet/PALVORIC.INI"));
    }) << QStringLiteral("Impossible d'écrire dans /opt/cabinet/PALVORIC.INI.");
    QTest::newRow("user error, bracket at the end") << std::function<void()>([] {
        throw palvoric::UserError(QStringLiteral("Index de liste hors limites (3)"));
    }) << QStringLiteral("Index de liste hors limites (3)");
    QTest::newRow("standard exception")
        << std::function<void()>([] { throw std::runtime_error("vector index"); })
        << QStringLiteral("Erreur inattendue : vector index.");
    QTest::newRow("out of memory") << std::function<void()>([] { throw std::bad_alloc(); })
                                   << QStringLiteral("Mémoire insuffisante.");
    QTest::newRow("anything else") << std::function<void()>([] { throw NotAnException(); })
                                   << QStringLiteral("Erreur inattendue.");
    QTest::newRow("integer") << std::function<void()>([] { throw 42; })
                             << QStringLiteral("Erreur inattendue.");
}

void TestHandlerGuard::errorsReachTheErrorBox()
{
    QFETCH(std::function<void()>, raise);
    QFETCH(QString, shown);

    ScriptedDesktop desktop;
    QStringList steps;
    const bool completed = runGuarded(desktop, [&] {
        steps.append(QStringLiteral("first"));
        raise();
        steps.append(QStringLiteral("second"));
    });
    QVERIFY(!completed);
    QCOMPARE(steps, QStringList{QStringLiteral("first")});
    QCOMPARE(desktop.errorBoxes().size(), 1);
    QCOMPARE(desktop.errorBoxes().first().title, m_title);
    QCOMPARE(desktop.errorBoxes().first().text, shown);
    QVERIFY(desktop.dialogs().isEmpty());
}

void TestHandlerGuard::handlerWithoutErrorShowsNothing()
{
    ScriptedDesktop desktop;
    int runs = 0;
    QVERIFY(runGuarded(desktop, [&] { ++runs; }));
    QCOMPARE(runs, 1);
    QVERIFY(desktop.errorBoxes().isEmpty());
}

void TestHandlerGuard::failingErrorBoxIsSwallowed()
{
    FailingErrorBoxDesktop desktop;
    bool escaped = false;
    bool completed = true;
    try {
        completed = runGuarded(desktop, [] { throw palvoric::UserError(QStringLiteral("x")); });
    } catch (...) {
        escaped = true;
    }
    QVERIFY(!escaped);
    QVERIFY(!completed);
    QCOMPARE(desktop.attempts, 1);
}

void TestHandlerGuard::eventLoopGoesOnAfterAnError()
{
    ScriptedDesktop desktop;
    QTimer source;
    source.setInterval(0);
    int calls = 0;
    connect(&source, &QTimer::timeout, this, [&] {
        runGuarded(desktop, [&] {
            ++calls;
            if (calls == 1)
                throw palvoric::UserError(QStringLiteral("Impossible d'insérer une ligne"));
        });
        if (calls == 3)
            source.stop();
    });
    source.start();
    QTRY_COMPARE(calls, 3);
    QCOMPARE(desktop.errorBoxes().size(), 1);
    QCOMPARE(desktop.errorBoxes().first().text, QStringLiteral("Impossible d'insérer une ligne."));
}

QTEST_MAIN(TestHandlerGuard)
#include "tst_handler_guard.moc"
