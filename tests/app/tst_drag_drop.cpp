// Nesting a folder into another by dragging its line, and files dropped from the file
// browser, on the real window (offscreen) with real folders and a scripted desktop.
#include "app/directory_edit.h"
#include "app/form1.h"
#include "app/form1_drag_drop.h"
#include "app/move_progress.h"
#include "app/result_list_view.h"
#include "app/scripted_desktop.h"
#include "platform/exe_identity.h"
#include "tests/support/tree_snapshot.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

namespace {

const QString kP = QStringLiteral("DUPONT Paul");
const QString kQ = QStringLiteral("DUPONT Quentin");
const QString kR = QStringLiteral("DUPONT Rémi");

using Kind = Desktop::DialogKind;

struct Dialog
{
    Kind kind;
    QString text;
};

QString dialogsText(const QList<ScriptedDesktop::DialogCall> &calls)
{
    QStringList lines;
    for (const auto &call : calls)
        lines.append(QStringLiteral("%1: %2").arg(int(call.kind)).arg(call.text));
    return lines.join(u'\n');
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

Q_DECLARE_METATYPE(QList<Dialog>)

class TstDragDrop : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void dragStartsAtFivePixels_data();
    void dragStartsAtFivePixels();
    void pressOnSelectedLineKeepsSelection();
    void barDrawnAndErasedOnce_data();
    void barDrawnAndErasedOnce();
    void barIsPaintedInverted();
    void nesting_data();
    void nesting();
    void shortSearchTextKeepsLines();
    void reselectionBeyondEnd();
    void droppedFiles_data();
    void droppedFiles();
    void droppedWithoutCurrentLine();
    void progressWindowCancels();

private:
    ResultListView *list() const { return m_form->elements().ListBox1; }
    QWidget *viewport() const { return list()->viewport(); }
    QStringList lines() const;
    QString patient(const QString &name) const { return m_patients + u'/' + name; }
    // A point inside line i, or just under the last line for i = count.
    QPoint pointOfLine(int line) const;
    void sendDrag(QEvent::Type type, const QPoint &point, const QMimeData &data);
    void dropLine(const QPoint &from, const QPoint &to);
    void dropFiles(const QStringList &paths);
    void expectDialogs(const QList<Dialog> &dialogs);

    QTemporaryDir m_bin; // the program's own files go there
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_patients;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<TForm1> m_form;
};

void TstDragDrop::initTestCase()
{
    QVERIFY(m_bin.isValid());
    platform::overrideExecutablePath(m_bin.filePath(QStringLiteral("Palvoric")));
}

void TstDragDrop::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_patients = m_dir->filePath(QStringLiteral("patients"));
    for (const QString &name : {kP, kQ, kR, QStringLiteral("MARTIN Luc")})
        QVERIFY(QDir().mkpath(m_patients + u'/' + name));
    QVERIFY(writeFile(patient(kP) + QStringLiteral("/compte-rendu.txt"), "Paul"));
    QVERIFY(writeFile(patient(kQ) + QStringLiteral("/bilan.pdf"), "bilan de Quentin"));

    m_desktop = std::make_unique<ScriptedDesktop>();
    m_form = std::make_unique<TForm1>(*m_desktop, QStringList());
    m_form->elements().JvDirectory_DATA->setText(m_patients);
    m_form->resize(338, 360);
    m_form->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
    QTest::keyClicks(m_form->elements().Cherche->lineEdit(), QStringLiteral("DUPONT"));
    QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
    QCOMPARE(list()->currentLine(), 0);
    QVERIFY(!list()->multipleSelection());
}

void TstDragDrop::cleanup()
{
    const auto reset = qScopeGuard([this] {
        m_form.reset();
        m_desktop.reset();
        m_dir.reset();
    });
    if (!m_form)
        return;
    QCOMPARE(m_desktop->failures(), QStringList());
    QCOMPARE(m_desktop->pendingAnswers(), 0);
    // Every test ends with no bar on screen.
    QCOMPARE(DropBarDrawn, false);
    QCOMPARE(list()->dropBars(), QList<int>());
}

QStringList TstDragDrop::lines() const
{
    QStringList result;
    for (int i = 0; i < list()->count(); ++i)
        result.append(list()->lineText(i));
    return result;
}

QPoint TstDragDrop::pointOfLine(int line) const
{
    return list()->lineRect(line).center();
}

void TstDragDrop::sendDrag(QEvent::Type type, const QPoint &point, const QMimeData &data)
{
    if (type == QEvent::DragLeave) {
        QDragLeaveEvent leave;
        QApplication::sendEvent(viewport(), &leave);
    } else if (type == QEvent::DragEnter) {
        QDragEnterEvent enter(point, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport(), &enter);
        QVERIFY(enter.isAccepted());
    } else if (type == QEvent::DragMove) {
        QDragMoveEvent move(point, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport(), &move);
        QVERIFY(move.isAccepted());
    } else {
        QDropEvent drop(point, Qt::MoveAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(viewport(), &drop);
        QVERIFY(drop.isAccepted());
    }
}

// The drag of the current line from one point to another, dropped there; the drop is
// handled once the drag is over, so this waits for its first dialog.
void TstDragDrop::dropLine(const QPoint &from, const QPoint &to)
{
    const std::unique_ptr<QMimeData> data(ResultListView::lineDragData(list()->currentLine()));
    const qsizetype dialogsBefore = m_desktop->dialogs().size();
    sendDrag(QEvent::DragEnter, from, *data);
    sendDrag(QEvent::DragMove, from, *data);
    sendDrag(QEvent::DragMove, to, *data);
    QVERIFY(DropBarDrawn);
    sendDrag(QEvent::Drop, to, *data);
    QVERIFY(!DropBarDrawn); // erased before the drop is handled
    QTRY_VERIFY(m_desktop->dialogs().size() > dialogsBefore);
}

void TstDragDrop::dropFiles(const QStringList &paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString &path : paths)
        urls.append(QUrl::fromLocalFile(path));
    data.setUrls(urls);
    // Over the search box: the line under the drop point plays no part.
    QWidget *target = m_form->elements().Cherche->lineEdit();
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
    QApplication::sendEvent(target, &drop);
}

void TstDragDrop::expectDialogs(const QList<Dialog> &dialogs)
{
    const auto &calls = m_desktop->dialogs();
    QVERIFY2(calls.size() == dialogs.size(), qPrintable(dialogsText(calls)));
    for (qsizetype i = 0; i < dialogs.size(); ++i) {
        QCOMPARE(calls.at(i).kind, dialogs.at(i).kind);
        QCOMPARE(calls.at(i).text, dialogs.at(i).text);
        const auto buttons = dialogs.at(i).kind == Kind::Confirmation
                                 ? Desktop::Buttons(Desktop::Ok | Desktop::Cancel)
                                 : Desktop::Buttons(Desktop::Ok);
        QCOMPARE(calls.at(i).buttons, buttons);
        QCOMPARE(calls.at(i).defaultButton, Desktop::Ok);
    }
}

void TstDragDrop::dragStartsAtFivePixels_data()
{
    QTest::addColumn<QPoint>("moveBy");
    QTest::addColumn<bool>("starts");
    QTest::newRow("4 pixels right") << QPoint(4, 0) << false;
    QTest::newRow("4 pixels right and 4 down") << QPoint(4, 4) << false;
    QTest::newRow("5 pixels right") << QPoint(5, 0) << true;
    QTest::newRow("5 pixels left") << QPoint(-5, 0) << true;
    QTest::newRow("5 pixels up") << QPoint(0, -5) << true;
    QTest::newRow("6 pixels down") << QPoint(2, 6) << true;
}

void TstDragDrop::dragStartsAtFivePixels()
{
    QFETCH(QPoint, moveBy);
    QFETCH(bool, starts);
    QList<int> started;
    list()->setDragStarter([&](int line) { started.append(line); });
    const QPoint press = pointOfLine(1);
    QTest::mousePress(viewport(), Qt::LeftButton, {}, press);
    // The press makes the line current, as a click does.
    QCOMPARE(list()->currentLine(), 1);
    QTest::mouseMove(viewport(), press + moveBy);
    QCOMPARE(started, starts ? QList<int>{1} : QList<int>());
    // Moving on while the button is held drags that line; it never selects another.
    QTest::mouseMove(viewport(), pointOfLine(2));
    QCOMPARE(started, QList<int>{1});
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(2));
    QCOMPARE(list()->currentLine(), 1);
    QCOMPARE(list()->selectedLines(), QList<int>{1});

    // A press below the last line arms nothing.
    started.clear();
    QTest::mousePress(viewport(), Qt::LeftButton, {}, pointOfLine(3));
    QTest::mouseMove(viewport(), pointOfLine(3) + QPoint(10, 0));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(3) + QPoint(10, 0));
    QCOMPARE(started, QList<int>());
}

void TstDragDrop::pressOnSelectedLineKeepsSelection()
{
    // A drop refused at the confirmation leaves the list in multiple selection, with the
    // source and the destination selected.
    m_desktop->setNextAnswer(Desktop::Cancel);
    dropLine(pointOfLine(0), pointOfLine(3));
    QVERIFY(list()->multipleSelection());
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));
    QCOMPARE(list()->currentLine(), 0);

    // Pressing a selected line arms its drag and keeps the selection; it becomes current.
    QList<int> started;
    list()->setDragStarter([&](int line) { started.append(line); });
    QTest::mousePress(viewport(), Qt::LeftButton, {}, pointOfLine(2));
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));
    QCOMPARE(list()->currentLine(), 2);
    QTest::mouseMove(viewport(), pointOfLine(2) + QPoint(0, 5));
    QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(2) + QPoint(0, 5));
    QCOMPARE(started, QList<int>{2});
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));

    // A click without a drag on a selected line selects that line alone.
    QTest::mouseClick(viewport(), Qt::LeftButton, {}, pointOfLine(0));
    QCOMPARE(list()->selectedLines(), QList<int>{0});
    QCOMPARE(list()->currentLine(), 0);
    // Shift extends the selection, Ctrl adds or takes out one line; the focused line is
    // the current one.
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ShiftModifier, pointOfLine(2));
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 1, 2}));
    QCOMPARE(list()->currentLine(), 2);
    QTest::mouseClick(viewport(), Qt::LeftButton, Qt::ControlModifier, pointOfLine(1));
    QCOMPARE(list()->selectedLines(), (QList<int>{0, 2}));
    QCOMPARE(list()->currentLine(), 1);
    QCOMPARE(list()->currentLineText(), kQ);
    QCOMPARE(started, QList<int>{2});
}

void TstDragDrop::barDrawnAndErasedOnce_data()
{
    QTest::addColumn<QString>("ending");
    // Qt tells the list of a drag cancelled by Escape as of a drag leaving it.
    QTest::newRow("leaving the list or Escape") << "leave";
    QTest::newRow("drop refused") << "drop";
    QTest::newRow("drag over without a leave") << "end";
}

void TstDragDrop::barDrawnAndErasedOnce()
{
    QFETCH(QString, ending);
    const std::unique_ptr<QMimeData> data(ResultListView::lineDragData(0));
    sendDrag(QEvent::DragEnter, pointOfLine(0), *data);
    QCOMPARE(DropBarDrawn, false); // the first move draws it
    QCOMPARE(list()->dropBars(), QList<int>());

    const struct
    {
        QPoint point;
        int line;
    } moves[] = {
        {pointOfLine(1), 1},
        {pointOfLine(1) + QPoint(3, 1), 1}, // the same line again: still one bar
        {pointOfLine(2), 2},
        {pointOfLine(3), 3}, // under the last line
        {pointOfLine(3) + QPoint(0, 30), 3},
        {QPoint(viewport()->width() + 4, pointOfLine(1).y()), -1}, // over the border
        {QPoint(-3, pointOfLine(0).y()), -1},
        {pointOfLine(0), 0},
    };
    for (const auto &move : moves) {
        sendDrag(QEvent::DragMove, move.point, *data);
        QCOMPARE(DropBarDrawn, true);
        QCOMPARE(DropBarLine, move.line);
        QCOMPARE(list()->dropBars(), QList<int>{move.line});
    }
    sendDrag(QEvent::DragMove, pointOfLine(2), *data);
    QCOMPARE(list()->dropBars(), QList<int>{2});

    if (ending == QLatin1String("drop")) {
        m_desktop->setNextAnswer(Desktop::Ok);
        sendDrag(QEvent::Drop, pointOfLine(0), *data);
        QCOMPARE(list()->dropBars(), QList<int>());
        QTRY_COMPARE(m_desktop->dialogs().size(), 1);
    } else if (ending == QLatin1String("leave")) {
        sendDrag(QEvent::DragLeave, QPoint(), *data);
        QCOMPARE(list()->dropBars(), QList<int>());
    } else {
        // A real drag of the list, which this platform ends at once: however a drag
        // ends, its bar goes.
        QTest::mousePress(viewport(), Qt::LeftButton, {}, pointOfLine(1));
        QTest::mouseMove(viewport(), pointOfLine(1) + QPoint(0, 6));
        QCOMPARE(list()->dropBars(), QList<int>());
        QTest::mouseRelease(viewport(), Qt::LeftButton, {}, pointOfLine(1) + QPoint(0, 6));
    }
    QCOMPARE(DropBarDrawn, false);
    QCOMPARE(DropBarLine, 2); // kept between drags
    // A leave with no bar on screen erases nothing.
    sendDrag(QEvent::DragLeave, QPoint(), *data);
    QCOMPARE(list()->dropBars(), QList<int>());
    QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
}

void TstDragDrop::barIsPaintedInverted()
{
    const QRect rect = list()->lineRect(2);
    const QPoint onBar(rect.left() + 10, rect.top());
    const QPoint aside(rect.left() + 10, rect.center().y());
    const QImage before = viewport()->grab().toImage();
    const std::unique_ptr<QMimeData> data(ResultListView::lineDragData(0));
    sendDrag(QEvent::DragEnter, pointOfLine(2), *data);
    sendDrag(QEvent::DragMove, pointOfLine(2), *data);
    const QImage during = viewport()->grab().toImage();
    const QRgb was = before.pixel(onBar);
    QCOMPARE(during.pixel(onBar) & 0xFFFFFF, ~was & 0xFFFFFF);
    QCOMPARE(during.pixel(aside), before.pixel(aside));
    sendDrag(QEvent::DragLeave, QPoint(), *data);
    QCOMPARE(viewport()->grab().toImage().pixel(onBar), was);
}

void TstDragDrop::nesting_data()
{
    QTest::addColumn<int>("current");
    QTest::addColumn<int>("underPoint"); // the line index under the drop point
    QTest::addColumn<QList<int>>("answers");
    QTest::addColumn<QList<Dialog>>("dialogs");
    QTest::addColumn<QString>("movedInto"); // "P>R": P now lies inside R
    QTest::addColumn<QStringList>("linesAfter");
    QTest::addColumn<int>("currentAfter");
    QTest::addColumn<QList<int>>("selectedAfter");
    QTest::addColumn<bool>("multipleAfter");

    const auto confirm = [](const QString &source, const QString &destination) {
        return Dialog{Kind::Confirmation,
                      source + QStringLiteral("\r\n\r\nDéplacer tout vers ->\r\n\r\n") +
                          destination};
    };
    const Dialog refused{Kind::Information,
                         QStringLiteral("Vous devez placer la barre \"SOUS\" le Nom de la "
                                        "destination")};
    QTest::newRow("P under R, bar below the last line")
        << 0 << 3 << QList<int>{Desktop::Ok} << QList<Dialog>{confirm(kP, kR)} << "P>R"
        << QStringList{kQ, kR} << 1 << QList<int>{1} << true;
    QTest::newRow("R under P, pointer over Q")
        << 2 << 1 << QList<int>{Desktop::Ok} << QList<Dialog>{confirm(kR, kP)} << "R>P"
        << QStringList{kP, kQ} << 0 << QList<int>() << true;
    QTest::newRow("bar just above the source line")
        << 2 << 2 << QList<int>{Desktop::Ok} << QList<Dialog>{confirm(kR, kQ)} << "R>Q"
        << QStringList{kP, kQ} << 0 << QList<int>{0} << true;
    QTest::newRow("bar just under the source line")
        << 1 << 2 << QList<int>{Desktop::Ok}
        << QList<Dialog>{{Kind::Warning,
                          QStringLiteral("Il n'est pas possible de déplacer un dossier vers "
                                         "lui-même, car cela n'a pas de sens !\r\n\r\n") +
                              kQ +
                              QStringLiteral("\r\n\r\n\"Source\" et \"cible\" doivent être "
                                             "différents")}}
        << QString() << QStringList{kP, kQ, kR} << 1 << QList<int>{1} << true;
    QTest::newRow("bar on the first line's top edge")
        << 1 << 0 << QList<int>{Desktop::Ok} << QList<Dialog>{refused} << QString()
        << QStringList{kP, kQ, kR} << 1 << QList<int>{1} << false;
    QTest::newRow("no current line")
        << -1 << 2 << QList<int>{Desktop::Ok} << QList<Dialog>{refused} << QString()
        << QStringList{kP, kQ, kR} << -1 << QList<int>() << false;
    QTest::newRow("dropped over the border")
        << 0 << -1 << QList<int>{Desktop::Ok} << QList<Dialog>{refused} << QString()
        << QStringList{kP, kQ, kR} << 0 << QList<int>{0} << false;
    QTest::newRow("cancelled") << 0 << 3 << QList<int>{Desktop::Cancel}
                               << QList<Dialog>{confirm(kP, kR)} << QString()
                               << QStringList{kP, kQ, kR} << 0 << QList<int>{0, 2} << true;
    QTest::newRow("destination holds the name already")
        << 0 << 3 << QList<int>{Desktop::Ok, Desktop::Ok}
        << QList<Dialog>{confirm(kP, kR),
                         {Kind::Warning,
                          QStringLiteral("Impossible de déplacer \"%1\" dans \"%2\" : un dossier "
                                         "vide de ce nom s'y trouve déjà. Rien n'a été déplacé "
                                         "ni remplacé.")
                              .arg(kP, kR)}}
        << QString() << QStringList{kP, kQ, kR} << 1 << QList<int>{1} << true;
}

void TstDragDrop::nesting()
{
    QFETCH(int, current);
    QFETCH(int, underPoint);
    QFETCH(QList<int>, answers);
    QFETCH(QList<Dialog>, dialogs);
    QFETCH(QString, movedInto);
    QFETCH(QStringList, linesAfter);
    QFETCH(int, currentAfter);
    QFETCH(QList<int>, selectedAfter);
    QFETCH(bool, multipleAfter);

    if (QTest::currentDataTag() == QLatin1String("destination holds the name already"))
        QVERIFY(QDir().mkpath(patient(kR) + u'/' + kP));
    const TreeSnapshot before = snapshotTree(m_patients);
    list()->setCurrentLine(current);
    for (const int answer : answers)
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
        QVERIFY(!QFileInfo::exists(patient(source)));
        QVERIFY(QFileInfo(patient(destination) + u'/' + source).isDir());
        if (source == kP)
            QCOMPARE(
                readFile(patient(destination) + u'/' + kP + QStringLiteral("/compte-rendu.txt")),
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
void TstDragDrop::shortSearchTextKeepsLines()
{
    m_form->elements().Cherche->setEditText(QStringLiteral("D"));
    m_desktop->setNextAnswer(Desktop::Ok);
    dropLine(pointOfLine(0), pointOfLine(3));
    QVERIFY(QFileInfo(patient(kR) + u'/' + kP).isDir());
    QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
    QCOMPARE(list()->currentLine(), 1);
    QCOMPARE(list()->selectedLines(), QList<int>{1});
    QVERIFY(list()->multipleSelection());
}

// A folder gone meanwhile shortens the rebuilt list beyond the line to select again.
void TstDragDrop::reselectionBeyondEnd()
{
    QVERIFY(QDir(patient(kQ)).removeRecursively());
    m_desktop->setNextAnswer(Desktop::Ok);
    m_desktop->setNextAnswer(Desktop::Ok);
    dropLine(pointOfLine(0), pointOfLine(3));
    expectDialogs(
        {{Kind::Confirmation, kP + QStringLiteral("\r\n\r\nDéplacer tout vers ->\r\n\r\n") + kR},
         {Kind::Plain, QStringLiteral("ERR#325: Listbox1 Draganddrop\r\n\r\nIndex de "
                                      "liste hors limites (1)")}});
    QVERIFY(QFileInfo(patient(kR) + u'/' + kP).isDir());
    QCOMPARE(lines(), QStringList{kR});
    QVERIFY(!list()->multipleSelection());
    QCOMPARE(list()->currentLine(), 0);
}

void TstDragDrop::droppedFiles_data()
{
    QTest::addColumn<QStringList>("dropped"); // names in the desk folder
    QTest::addColumn<int>("answer");
    QTest::addColumn<QStringList>("refused"); // items named in a message, in order
    QTest::addColumn<QStringList>("moved");
    QTest::newRow("confirmed") << QStringList{"scanner.pdf", "radio.jpg"} << int(Desktop::Ok)
                               << QStringList() << QStringList{"scanner.pdf", "radio.jpg"};
    QTest::newRow("cancelled") << QStringList{"scanner.pdf", "radio.jpg"} << int(Desktop::Cancel)
                               << QStringList() << QStringList();
    QTest::newRow("a name that exists")
        << QStringList{"scanner.pdf", "bilan.pdf", "radio.jpg"} << int(Desktop::Ok)
        << QStringList{"bilan.pdf"} << QStringList{"scanner.pdf", "radio.jpg"};
    QTest::newRow("a folder among files")
        << QStringList{"scanner.pdf", "examens", "radio.jpg"} << int(Desktop::Ok)
        << QStringList{"examens"} << QStringList{"scanner.pdf", "radio.jpg"};
}

void TstDragDrop::droppedFiles()
{
    QFETCH(QStringList, dropped);
    QFETCH(int, answer);
    QFETCH(QStringList, refused);
    QFETCH(QStringList, moved);
    const QString desk = m_dir->filePath(QStringLiteral("bureau"));
    QVERIFY(QDir().mkpath(desk + QStringLiteral("/examens")));
    QVERIFY(writeFile(desk + QStringLiteral("/examens/sang.pdf"), "sang"));
    QVERIFY(writeFile(desk + QStringLiteral("/scanner.pdf"), "scanner"));
    QVERIFY(writeFile(desk + QStringLiteral("/radio.jpg"), "radio"));
    QVERIFY(writeFile(desk + QStringLiteral("/bilan.pdf"), "autre bilan"));
    list()->setCurrentLine(1); // Q
    const TreeSnapshot deskBefore = snapshotTree(desk);
    const TreeSnapshot patientsBefore = snapshotTree(m_patients);

    QStringList paths;
    for (const QString &name : dropped)
        paths.append(desk + u'/' + name);
    m_desktop->setNextAnswer(answer);
    for (qsizetype i = 0; i < refused.size(); ++i)
        m_desktop->setNextAnswer(Desktop::Ok);
    dropFiles(paths);

    QList<Dialog> dialogs{
        {Kind::Confirmation, QStringLiteral("Déplacer %1 fichier(s)\r\n\r\nvers\r\n\r\n%2")
                                 .arg(dropped.size())
                                 .arg(patient(kQ))}};
    for (const QString &name : refused)
        dialogs.append({Kind::Information, QStringLiteral("Erreur en copie : le fichier ") + name +
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

void TstDragDrop::droppedWithoutCurrentLine()
{
    const QString file = m_dir->filePath(QStringLiteral("scanner.pdf"));
    QVERIFY(writeFile(file, "scanner"));
    list()->setCurrentLine(-1);
    const TreeSnapshot before = snapshotTree(m_dir->path());
    m_desktop->setNextAnswer(Desktop::Ok);
    dropFiles({file});
    expectDialogs({{Kind::Warning, QStringLiteral("Vous devez sélectionner un dossier cible")}});
    QCOMPARE(treeDifference(before, snapshotTree(m_dir->path())), QString());
}

void TstDragDrop::progressWindowCancels()
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

QTEST_MAIN(TstDragDrop)

#include "tst_drag_drop.moc"
