// Files dropped from the file browser onto the window, moved into the folder of the
// list's current line.
#include "tests/app/drag_drop_fixture.h"
#include "tests/support/tree_snapshot.h"

class TstDragDropFiles : public DragDropTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void init() { makeWindow(); }
    void cleanup() { closeWindow(); }

    void droppedFiles_data();
    void droppedFiles();
    void droppedWithoutCurrentLine();
};

void TstDragDropFiles::droppedFiles_data()
{
    QTest::addColumn<QStringList>("dropped"); // names in the desk folder
    QTest::addColumn<Desktop::Button>("answer");
    QTest::addColumn<QStringList>("refused"); // items named in a message, in order
    QTest::addColumn<QStringList>("moved");
    // Also dropped: the desk's radio.jpg as another machine names it, and a web link.
    QTest::addColumn<bool>("otherLinks");
    QTest::newRow("confirmed") << QStringList{u"scanner.pdf"_qs, u"radio.jpg"_qs}
                               << Desktop::Button::Ok << QStringList()
                               << QStringList{u"scanner.pdf"_qs, u"radio.jpg"_qs} << false;
    QTest::newRow("cancelled") << QStringList{u"scanner.pdf"_qs, u"radio.jpg"_qs}
                               << Desktop::Button::Cancel << QStringList() << QStringList()
                               << false;
    QTest::newRow("a name that exists")
        << QStringList{u"scanner.pdf"_qs, u"bilan.pdf"_qs, u"radio.jpg"_qs} << Desktop::Button::Ok
        << QStringList{u"bilan.pdf"_qs} << QStringList{u"scanner.pdf"_qs, u"radio.jpg"_qs} << false;
    QTest::newRow("a folder among files")
        << QStringList{u"scanner.pdf"_qs, u"examens"_qs, u"radio.jpg"_qs} << Desktop::Button::Ok
        << QStringList{u"examens"_qs} << QStringList{u"scanner.pdf"_qs, u"radio.jpg"_qs} << false;
    // The same path on another machine: not the local file of that name, which stays.
    QTest::newRow("another machine's file among them")
        << QStringList{u"scanner.pdf"_qs} << Desktop::Button::Ok << QStringList()
        << QStringList{u"scanner.pdf"_qs} << true;
}

void TstDragDropFiles::droppedFiles()
{
    QFETCH(QStringList, dropped);
    QFETCH(Desktop::Button, answer);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, moved);
    QFETCH(bool, otherLinks);
    const QString desk = m_dir->filePath(QStringLiteral("bureau"));
    QList<QUrl> others;
    if (otherLinks)
        others = {QUrl(u"file://serveur"_qs + desk + u"/radio.jpg"_qs),
                  QUrl(u"https://example.org/radio.jpg"_qs)};
    QVERIFY(QDir().mkpath(desk + QStringLiteral("/examens")));
    QVERIFY(writeFileBytes(desk + QStringLiteral("/examens/sang.pdf"), "sang"));
    QVERIFY(writeFileBytes(desk + QStringLiteral("/scanner.pdf"), "scanner"));
    QVERIFY(writeFileBytes(desk + QStringLiteral("/radio.jpg"), "radio"));
    QVERIFY(writeFileBytes(desk + QStringLiteral("/bilan.pdf"), "autre bilan"));
    list()->setCurrentLine(1); // Q
    const TreeSnapshot deskBefore = snapshotTree(desk);
    const TreeSnapshot patientsBefore = snapshotTree(m_patients);

    QStringList paths;
    for (const QString &name : dropped)
        paths.append(desk + u'/' + name);
    QList<ExpectedDialog> dialogs;
    QStringList otherTexts;
    for (const QUrl &link : others)
        otherTexts.append(link.toDisplayString());
    if (!others.isEmpty()) {
        m_desktop->setNextAnswer(Desktop::Button::Ok);
        dialogs.append({Desktop::DialogKind::Warning,
                        u"Ces éléments ne sont pas des fichiers de cet ordinateur : ils ne seront "
                        "pas déplacés.\r\n\r\n"_qs +
                            otherTexts.join(u"\r\n"_qs)});
    }
    m_desktop->setNextAnswer(answer);
    for (qsizetype i = 0; i < refused.size(); ++i)
        m_desktop->setNextAnswer(Desktop::Button::Ok);
    dropFiles(paths, others);

    dialogs.append({Desktop::DialogKind::Confirmation,
                    QStringLiteral("Déplacer %1 fichier(s)\r\n\r\nvers\r\n\r\n%2")
                        .arg(dropped.size())
                        .arg(patient(kQ))});
    for (const QString &name : refused)
        dialogs.append({Desktop::DialogKind::Information,
                        QStringLiteral("Erreur en copie : le fichier ") + name +
                            QStringLiteral(" existe peut être déjà sur la "
                                           "cible !")});
    expectDialogs(dialogs);

    TreeSnapshot deskExpected = deskBefore;
    TreeSnapshot patientsExpected = patientsBefore;
    for (const QString &name : moved) {
        const QByteArray key = name.toUtf8();
        patientsExpected.insert(kQ.toUtf8() + '/' + key, deskBefore.value(key));
        deskExpected.remove(key);
    }
    QCOMPARE(treeDifference(deskExpected, snapshotTree(desk), false), QString());
    QCOMPARE(treeDifference(patientsExpected, snapshotTree(m_patients), false), QString());
    // The list keeps its lines and its current line.
    QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
    QCOMPARE(list()->currentLine(), 1);
}

void TstDragDropFiles::droppedWithoutCurrentLine()
{
    const QString file = m_dir->filePath(QStringLiteral("scanner.pdf"));
    QVERIFY(writeFileBytes(file, "scanner"));
    list()->setCurrentLine(-1);
    const TreeSnapshot before = snapshotTree(m_dir->path());
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    dropFiles({file});
    expectDialogs({{Desktop::DialogKind::Warning,
                    QStringLiteral("Vous devez sélectionner un dossier cible")}});
    QCOMPARE(treeDifference(before, snapshotTree(m_dir->path())), QString());
}

QTEST_MAIN(TstDragDropFiles)

#include "tst_drag_drop_files.moc"
