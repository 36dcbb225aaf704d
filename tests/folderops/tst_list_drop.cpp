// Which lines a drop in the result list names, the line selected again afterwards, and
// the texts of the nesting dialogs.
#include "folderops/list_drop.h"

#include <QTest>

using namespace folderops;

class TstListDrop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void resolves_data();
    void resolves();
    void texts();
};

void TstListDrop::resolves_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("underPoint");
    QTest::addColumn<bool>("resolved");
    QTest::addColumn<int>("source");
    QTest::addColumn<int>("destination");
    QTest::addColumn<int>("reselect");
    // Three lines P (0), Q (1), R (2).
    QTest::newRow("P under R: bar below the last line") << 0 << 3 << true << 0 << 2 << 1;
    QTest::newRow("R under P: pointer over Q") << 2 << 1 << true << 2 << 0 << -1;
    QTest::newRow("Q under P") << 1 << 1 << true << 1 << 0 << -1;
    QTest::newRow("bar just under the source line") << 1 << 2 << true << 1 << 1 << 0;
    QTest::newRow("bar just above the source line") << 1 << 1 << true << 1 << 0 << -1;
    QTest::newRow("bar on the first line's top edge") << 1 << 0 << false << -1 << -1 << -2;
    QTest::newRow("no current line") << -1 << 2 << false << -1 << -1 << 0;
    QTest::newRow("outside the list") << 0 << -1 << false << -1 << -1 << -3;
}

void TstListDrop::resolves()
{
    QFETCH(int, current);
    QFETCH(int, underPoint);
    QFETCH(bool, resolved);
    QFETCH(int, source);
    QFETCH(int, destination);
    QFETCH(int, reselect);
    const ListDrop drop = resolveListDrop(current, underPoint);
    QCOMPARE(drop.resolved, resolved);
    QCOMPARE(drop.sourceLine, source);
    QCOMPARE(drop.destinationLine, destination);
    QCOMPARE(reselectionLine(underPoint), reselect);
}

void TstListDrop::texts()
{
    QCOMPARE(dropUnderNameText(),
             QStringLiteral("Vous devez placer la barre \"SOUS\" le Nom de la destination"));
    QCOMPARE(sameFolderText(QStringLiteral("DUPONT Marie")),
             QStringLiteral("Il n'est pas possible de déplacer un dossier vers lui-même, car "
                            "cela n'a pas de sens !\r\n\r\nDUPONT Marie\r\n\r\n\"Source\" et "
                            "\"cible\" doivent être différents"));
    QCOMPARE(nestingConfirmationText(QStringLiteral("DUPONT Marie"),
                                     QStringLiteral("DUPONT Marie 2019")),
             QStringLiteral("DUPONT Marie\r\n\r\nDéplacer tout vers ->\r\n\r\nDUPONT Marie 2019"));
    // A name holding "%1" stays as it is.
    QCOMPARE(nestingConfirmationText(QStringLiteral("A %1"), QStringLiteral("B %2")),
             QStringLiteral("A %1\r\n\r\nDéplacer tout vers ->\r\n\r\nB %2"));
    QVERIFY(isSameFolder(QStringLiteral("DUPONT Marie"), QStringLiteral("DUPONT Marie")));
    QVERIFY(!isSameFolder(QStringLiteral("DUPONT Marie"), QStringLiteral("Dupont Marie")));
    QCOMPARE(reselectionErrorText(listIndexErrorText(2)),
             QStringLiteral("ERR#325: Listbox1 Draganddrop\r\n\r\nIndex de liste hors limites "
                            "(2)"));
}

QTEST_GUILESS_MAIN(TstListDrop)

#include "tst_list_drop.moc"
