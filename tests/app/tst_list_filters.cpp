// The three filters of the context menu on real widgets: the search text each derives
// from the current line and the lines the search then lists.
#include "tests/app/folder_actions_fixture.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>

class TestListFilters : public FolderActionsTest
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() { setUpCase(); }
    void cleanupTestCase() { tearDownCase(); }
    void init() { setUp(); }
    void cleanup() { tearDown(); }

    void filters_data();
    void filters();
    void filterWarnings();
};

void TestListFilters::filters_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("item");
    QTest::addColumn<bool>("beginsWith");
    QTest::addColumn<QString>("searchText");
    QTest::addColumn<QStringList>("expected");

    const QStringList marieFamily{u"DUPONT Marie 2019"_qs, u"DUPONT Marie-Claire"_qs,
                                  u"DUPONT Mariette"_qs};
    const QStringList dupont =
        QStringList{u"DUPONT"_qs, u"DUPONT Jean"_qs, u"DUPONTIER Luc"_qs} + marieFamily;
    QTest::newRow("same surname: longer surnames too")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"actionFilterSurname"_qs << true
        << u"DUPONT"_qs << dupont;
    QTest::newRow("same surname and first name")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"actionFilterFullName"_qs << true
        << u"DUPONT Marie"_qs << marieFamily;
    QTest::newRow("same first name, whatever the surname")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"actionFilterFirstName"_qs << true
        << u"* Marie"_qs << marieFamily + QStringList{u"MARTIN Marie"_qs, u"DURAND Anne Marie"_qs};
    QTest::newRow("same first name in mode contains")
        << u"dupont"_qs << u"DUPONT Marie 2019"_qs << u"actionFilterFirstName"_qs << false
        << u"* Marie"_qs << marieFamily + QStringList{u"MARTIN Marie"_qs, u"DURAND Anne Marie"_qs};
    QTest::newRow("compound surname cut at its blank")
        << u"le"_qs << u"LE GALL Yann"_qs << u"actionFilterSurname"_qs << true << u"LE"_qs
        << QStringList{u"LE GALL Yann"_qs, u"LEROY Yann"_qs};
    QTest::newRow("first name of a compound surname")
        << u"le"_qs << u"LE GALL Yann"_qs << u"actionFilterFirstName"_qs << true << u"* GALL"_qs
        << QStringList{u"LE GALL Yann"_qs};
    QTest::newRow("single piece: nothing happens")
        << u"dupont"_qs << u"DUPONT"_qs << u"actionFilterFirstName"_qs << true << u"dupont"_qs
        << dupont;
}

void TestListFilters::filters()
{
    QFETCH(QString, search);
    QFETCH(QString, line);
    QFETCH(QString, item);
    QFETCH(bool, beginsWith);
    QFETCH(QString, searchText);
    QFETCH(QStringList, expected);
    MainWindow &form = makeForm(search);
    const MainWindowUi &ui = form.ui();
    if (!beginsWith)
        ui.beginsWithCheck->setChecked(false); // runs the search again, in mode contains
    selectLine(line);
    auto *action = form.findChild<QAction *>(item);
    QVERIFY(action);
    action->trigger();
    QCOMPARE(ui.searchBox->currentText(), searchText);
    QCOMPARE(sorted(lines()), sorted(expected));
    QCOMPARE(ui.beginsWithCheck->isChecked(), beginsWith);
    QCOMPARE(m_desktop->dialogs().size(), 0);
}

void TestListFilters::filterWarnings()
{
    MainWindow &form = makeForm(u"x"_qs);
    const MainWindowUi &ui = form.ui();
    m_desktop->setNextAnswer(Desktop::Button::Ok);
    ui.actionFilterSurname->trigger();
    QCOMPARE(m_desktop->dialogs().last().text, u"La liste est vide !"_qs);

    ui.searchBox->setEditText(u"dura"_qs);
    ui.actionSearch->trigger();
    ui.resultList->setCurrentLine(-1);
    for (QAction *filter :
         {ui.actionFilterSurname, ui.actionFilterFullName, ui.actionFilterFirstName}) {
        m_desktop->setNextAnswer(Desktop::Button::Ok);
        filter->trigger();
        QCOMPARE(m_desktop->dialogs().last().text,
                 u"Vous devez sélectionner une ligne dans la liste"_qs);
        QCOMPARE(int(m_desktop->dialogs().last().kind), int(Desktop::DialogKind::Warning));
    }
    QCOMPARE(m_desktop->dialogs().size(), 4);
    // The search text and the list stay as they were.
    QCOMPARE(ui.searchBox->currentText(), u"dura"_qs);
    QCOMPARE(lines().size(), 2);
}

QTEST_MAIN(TestListFilters)
#include "tst_list_filters.moc"
