// Which window system the program asks Qt for: X11 under a Wayland session that offers
// it, unless the user chose; Qt's own choice everywhere else.
#include "platform/display_platform.h"
#include "tests/support/environment_scope.h"

#include <QTest>

class TestDisplayPlatform : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void choice_data();
    void choice();
    void environmentIsRead();
};

void TestDisplayPlatform::choice_data()
{
    QTest::addColumn<QByteArray>("qpaPlatform");
    QTest::addColumn<QByteArray>("waylandDisplay");
    QTest::addColumn<QByteArray>("sessionType");
    QTest::addColumn<QByteArray>("x11Display");
    QTest::addColumn<QByteArray>("platform");

    const QByteArray x11 = QByteArrayLiteral("xcb;wayland");
    QTest::newRow("X11 session") << QByteArray() << QByteArray() << QByteArray("x11")
                                 << QByteArray(":0") << QByteArray();
    QTest::newRow("Wayland with XWayland") << QByteArray() << QByteArray("wayland-0")
                                           << QByteArray("wayland") << QByteArray(":0") << x11;
    QTest::newRow("Wayland display alone")
        << QByteArray() << QByteArray("wayland-0") << QByteArray() << QByteArray(":1") << x11;
    QTest::newRow("Wayland session type alone")
        << QByteArray() << QByteArray() << QByteArray("Wayland") << QByteArray(":0") << x11;
    QTest::newRow("Wayland without X11") << QByteArray() << QByteArray("wayland-0")
                                         << QByteArray("wayland") << QByteArray() << QByteArray();
    QTest::newRow("blank X11 display") << QByteArray() << QByteArray("wayland-0")
                                       << QByteArray("wayland") << QByteArray(" ") << QByteArray();
    QTest::newRow("the user chose Wayland")
        << QByteArray("wayland") << QByteArray("wayland-0") << QByteArray("wayland")
        << QByteArray(":0") << QByteArray();
    QTest::newRow("the user chose X11")
        << QByteArray("xcb") << QByteArray("wayland-0") << QByteArray("wayland") << QByteArray(":0")
        << QByteArray();
    QTest::newRow("an empty choice is none") << QByteArray("") << QByteArray("wayland-0")
                                             << QByteArray("wayland") << QByteArray(":0") << x11;
    QTest::newRow("console") << QByteArray() << QByteArray() << QByteArray("tty") << QByteArray()
                             << QByteArray();
}

void TestDisplayPlatform::choice()
{
    QFETCH(QByteArray, qpaPlatform);
    QFETCH(QByteArray, waylandDisplay);
    QFETCH(QByteArray, sessionType);
    QFETCH(QByteArray, x11Display);
    QFETCH(QByteArray, platform);

    platform::DisplayEnvironment environment;
    environment.qpaPlatform = qpaPlatform;
    environment.waylandDisplay = waylandDisplay;
    environment.sessionType = sessionType;
    environment.x11Display = x11Display;
    QCOMPARE(platform::preferredQtPlatform(environment), platform);
}

void TestDisplayPlatform::environmentIsRead()
{
    const EnvironmentScope qpa("QT_QPA_PLATFORM", QByteArray());
    const EnvironmentScope wayland("WAYLAND_DISPLAY", "wayland-1");
    const EnvironmentScope session("XDG_SESSION_TYPE", "wayland");
    const EnvironmentScope display("DISPLAY", ":3");
    const platform::DisplayEnvironment environment = platform::currentDisplayEnvironment();
    QCOMPARE(environment.qpaPlatform, QByteArray());
    QCOMPARE(environment.waylandDisplay, QByteArray("wayland-1"));
    QCOMPARE(environment.sessionType, QByteArray("wayland"));
    QCOMPARE(environment.x11Display, QByteArray(":3"));
}

QTEST_GUILESS_MAIN(TestDisplayPlatform)
#include "tst_display_platform.moc"
