// A folder nested into another by dropping its line under the other's: the dialogs, the
// move on disk, the list rebuilt and the line selected again, and the progress window.
#include "app/move_progress.h"
#include "tests/app/drag_drop_fixture.h"
#include "tests/support/tree_snapshot.h"

#include <QFileInfo>
#include <QProgressDialog>

class TstDragDropNesting : public DragDropTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void init() { makeWindow(); }
    void cleanup() { closeWindow(); }

    void nesting_data();
    void nesting();
    void shortSearchTextKeepsLines();
    void reselectionBeyondEnd();
    void progressWindowCancels();
};

void TstDragDropNesting::nesting_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("underPoint"); // the line index under the drop point
    QTest::addColumn<QList<Desktop::Button>>("answers");
    QTest::addColumn<QList<ExpectedDialog>>("dialogs");
    QTest::addColumn<QString>("movedInto"); // "P>R": P now lies inside R
    QTest::addColumn<QStringList>("linesAfter");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<QList<int>>("selectedAfter");
    QTest::addColumn<bool>("multipleAfter");

    const auto confirm = [](const QString &source, const QString &destination) {
        return ExpectedDialog{Desktop::DialogKind::Confirmation,
                              source + QStringLiteral("\r\n\r\nDéplacer tout vers ->\r\n\r\n") +
                                  destination};
    };
    const ExpectedDialog refused{Desktop::DialogKind::Information,
                                 QStringLiteral("Vous devez placer la barre \"SOUS\" le Nom de la "
                                                "destination")};
    QTest::newRow("P under R, bar below the last line")
        << 0 << 3 << QList<Desktop::Button>{Desktop::Button::Ok}
        << QList<ExpectedDialog>{confirm(kP, kR)} << "P>R" << QStringList{kQ, kR} << 1
        << QList<int>{1} << true;
    QTest::newRow("R under P, pointer over Q")
        << 2 << 1 << QList<Desktop::Button>{Desktop::Button::Ok}
        << QList<ExpectedDialog>{confirm(kR, kP)} << "R>P" << QStringList{kP, kQ} << 0
        << QList<int>() << true;
    QTest::newRow("bar just above the source line")
        << 2 << 2 << QList<Desktop::Button>{Desktop::Button::Ok}
        << QList<ExpectedDialog>{confirm(kR, kQ)} << "R>Q" << QStringList{kP, kQ} << 0
        << QList<int>{0} << true;
    QTest::newRow("bar just under the source line")
        << 1 << 2 << QList<Desktop::Button>{Desktop::Button::Ok}
        << QList<ExpectedDialog>{{Desktop::DialogKind::Warning,
                                  QStringLiteral(
                                      "Il n'est pas possible de déplacer un dossier vers "
                                      "lui-même, car cela n'a pas de sens !\r\n\r\n") +
                                      kQ +
                                      QStringLiteral("\r\n\r\n\"Source\" et \"cible\" doivent être "
                                                     "différents")}}
        << QString() << QStringList{kP, kQ, kR} << 1 << QList<int>{1} << true;
    QTest::newRow("bar on the first line's top edge")
        << 1 << 0 << QList<Desktop::Button>{Desktop::Button::Ok} << QList<ExpectedDialog>{refused}
        << QString() << QStringList{kP, kQ, kR} << 1 << QList<int>{1} << false;
    QTest::newRow("no current line")
        << -1 << 2 << QList<Desktop::Button>{Desktop::Button::Ok} << QList<ExpectedDialog>{refused}
        << QString() << QStringList{kP, kQ, kR} << -1 << QList<int>() << false;
    QTest::newRow("dropped over the border")
        << 0 << -1 << QList<Desktop::Button>{Desktop::Button::Ok} << QList<ExpectedDialog>{refused}
        << QString() << QStringList{kP, kQ, kR} << 0 << QList<int>{0} << false;
    QTest::newRow("cancelled") << 0 << 3 << QList<Desktop::Button>{Desktop::Button::Cancel}
                               << QList<ExpectedDialog>{confirm(kP, kR)} << QString()
                               << QStringList{kP, kQ, kR} << 0 << QList<int>{0, 2} << true;
    QTest::newRow("destination holds the name already")
        << 0 << 3 << QList<Desktop::Button>{Desktop::Button::Ok, Desktop::Button::Ok}
        << QList<ExpectedDialog>{confirm(kP, kR),
                                 {Desktop::DialogKind::Warning,
                                  QStringLiteral(
                                      "Impossible de déplacer \"%1\" dans \"%2\" : un dossier "
                                      "vide de ce nom s'y trouve déjà. Rien n'a été déplacé "
                                      "ni remplacé.")
                                      .arg(kP, kR)}}
        << QString() << QStringList{kP, kQ, kR} << 1 << QList<int>{1} << true;
}

void TstDragDropNesting::nesting()
{
    QFETCH(int, current);
    QFETCH(int, underPoint);
    QFETCH(QList<Desktop::Button>, answers);
    QFETCH(QList<ExpectedDialog>, dialogs);
    QFETCH(QString, movedInto);
    QFETCH(QStringList, linesAfter);
    QFETCH(int, currentAfter);
    QFETCH(QList<int>, selectedAfter);
    QFETCH(bool, multipleAfter);

    if (QLatin1String(QTest::currentDataTag()) ==
        QLatin1String("destination holds the name already"))
        QVERIFY(QDir().mkpath(patient(kR) + u'/' + kP));
    const TreeSnapshot before = snapshotTree(m_patients);
    list()->setCurrentLine(current);
    for (const Desktop::Button answer : answers)
        m_desktop->setNextAnswer(answer);
    const QPoint to = underPoint < 0 ? QPoint(-2, pointOfLine(1).y()) : pointOfLine(underPoint);
    dropLine(pointOfLine(qMax(current, 0)), to);
    expectDialogs(dialogs);

    const QMap<QChar, QString> names{{u'P', kP}, {u'Q', kQ}, {u'R', kR}};
    if (movedInto.isEmpty()) {
        QCOMPARE(treeDifference(before, snapshotTree(m_patients)), QString());
    } else {
        const QString source = names.value(movedInto.at(0));
        const QString destination = names.value(movedInto.at(2));
        QVERIFY(!entryExists(patient(source)));
        QVERIFY(QFileInfo(patient(destination) + u'/' + source).isDir());
        if (source == kP)
            QCOMPARE(readFileBytes(patient(destination) + u'/' + kP +
                                   QStringLiteral("/compte-rendu.txt")),
                     QByteArray("Paul"));
    }
    QCOMPARE(lines(), linesAfter);
    QCOMPARE(list()->currentLine(), currentAfter);
    QCOMPARE(list()->selectedLines(), selectedAfter);
    QCOMPARE(list()->multipleSelection(), multipleAfter);
    QCOMPARE(m_desktop->errorBoxes().size(), 0);
}

// With fewer than two letters the search does not run: the moved folder's line stays and
// the re-selection applies to the unchanged list.
void TstDragDropNesting::shortSearchTextKeepsLines()
{
    m_form->ui().searchBox->setEditText(QStringLiteral("D"));
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    dropLine(pointOfLine(0), pointOfLine(3));
    QVERIFY(QFileInfo(patient(kR) + u'/' + kP).isDir());
    QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
    QCOMPARE(list()->currentLine(), 1);
    QCOMPARE(list()->selectedLines(), QList<int>{1});
    QVERIFY(list()->multipleSelection());
}

// A folder gone meanwhile shortens the rebuilt list beyond the line to select again.
void TstDragDropNesting::reselectionBeyondEnd()
{
    QVERIFY(QDir(patient(kQ)).removeRecursively());
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    dropLine(pointOfLine(0), pointOfLine(3));
    expectDialogs({{Desktop::DialogKind::Confirmation,
                    kP + QStringLiteral("\r\n\r\nDéplacer tout vers ->\r\n\r\n") + kR},
                   {Desktop::DialogKind::Plain,
                    QStringLiteral("ERR#325: Listbox1 Draganddrop\r\n\r\nIndex de "
                                   "liste hors limites (1)")}});
    QVERIFY(QFileInfo(patient(kR) + u'/' + kP).isDir());
    QCOMPARE(lines(), QStringList{kR});
    QVERIFY(!list()->multipleSelection());
    QCOMPARE(list()->currentLine(), 0);
}

void TstDragDropNesting::progressWindowCancels()
{
    MoveProgressWindow progress(m_form.get(), kP, kR, 0);
    QCOMPARE(progress.dialog(), nullptr); // a move that never reports shows nothing
    const platform::MoveProgress report = progress.callback();
    QVERIFY(report(0, 2000));
    QVERIFY(report(500, 2000));
    QProgressDialog *dialog = progress.dialog();
    QVERIFY(dialog);
    QTRY_VERIFY(dialog->isVisible());
    QCOMPARE(dialog->value(), 250);
    QCOMPARE(dialog->labelText(), QStringLiteral("Déplacement de \"%1\"\nvers \"%2\"").arg(kP, kR));
    QCOMPARE(dialog->windowModality(), Qt::WindowModal);
    dialog->cancel();
    QVERIFY(!report(1000, 2000));
}

QTEST_MAIN(TstDragDropNesting)

#include "tst_drag_drop_nesting.moc"
