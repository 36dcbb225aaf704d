#pragma once

// The fixture of the window tests on drags: a temporary folder standing for the
// executable's, a start folder with the patients P, Q and R (and one the search leaves
// out), the window searching "DUPONT", and a scripted desktop. Drags within the list are
// sent to its client area as the drag events Qt delivers; files from the file browser are
// dropped through the window's drop target.

#include "app/desktop.h"
#include "app/directory_edit.h"
#include "app/drop_bar.h"
#include "app/main_window.h"
#include "app/result_list_view.h"
#include "app/theme.h"
#include "platform/exe_identity.h"
#include "tests/support/app/scripted_desktop.h"
#include "tests/support/file_helpers.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <memory>

struct ExpectedDialog
{
    Desktop::DialogKind kind;
    QString text;
};
Q_DECLARE_METATYPE(QList<ExpectedDialog>)

class DragDropTest : public QObject
{
protected:
    const QString kP = QStringLiteral("DUPONT Paul");
    const QString kQ = QStringLiteral("DUPONT Quentin");
    const QString kR = QStringLiteral("DUPONT Rémi");

    void setUpCase()
    {
        QVERIFY(m_bin.isValid());
        platform::overrideExecutablePath(m_bin.filePath(QStringLiteral("Palvoric")));
        // The window as the program shows it, with its theme.
        QVERIFY(applyTheme(*qApp, QString::fromLatin1(kThemeName)));
    }

    void makeWindow()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        m_patients = m_dir->filePath(QStringLiteral("patients"));
        for (const QString &name : {kP, kQ, kR, QStringLiteral("MARTIN Luc")})
            QVERIFY(QDir().mkpath(m_patients + u'/' + name));
        QVERIFY(writeFileBytes(patient(kP) + QStringLiteral("/compte-rendu.txt"), "Paul"));
        QVERIFY(writeFileBytes(patient(kQ) + QStringLiteral("/bilan.pdf"), "bilan de Quentin"));

        m_desktop = std::make_unique<ScriptedDesktop>();
        m_form = std::make_unique<MainWindow>(*m_desktop, QStringList());
        m_form->ui().startFolderEdit->setText(m_patients);
        m_form->resize(338, 360);
        m_form->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_form.get()));
        QTest::keyClicks(m_form->ui().searchBox->lineEdit(), QStringLiteral("DUPONT"));
        QCOMPARE(lines(), (QStringList{kP, kQ, kR}));
        QCOMPARE(list()->currentLine(), 0);
        QVERIFY(!list()->multipleSelection());
    }

    // Every test ends with its dialogs answered as planned and no bar on screen.
    void closeWindow()
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
        QCOMPARE(list()->dropBars(), QList<int>());
    }

    ResultListView *list() const { return m_form->ui().resultList; }
    QWidget *viewport() const { return list()->viewport(); }
    QString patient(const QString &name) const { return m_patients + u'/' + name; }

    QStringList lines() const
    {
        QStringList result;
        for (int i = 0; i < list()->count(); ++i)
            result.append(list()->lineText(i));
        return result;
    }

    // A point inside line i, or in the strip just under the last line for i = count.
    QPoint pointOfLine(int line) const { return list()->lineRect(line).center(); }

    void sendDrag(QEvent::Type type, const QPoint &point, const QMimeData &data)
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
    void dropLine(const QPoint &from, const QPoint &to)
    {
        const std::unique_ptr<QMimeData> data(ResultListView::lineDragData(list()->currentLine()));
        const qsizetype dialogsBefore = m_desktop->dialogs().size();
        sendDrag(QEvent::DragEnter, from, *data);
        sendDrag(QEvent::DragMove, from, *data);
        sendDrag(QEvent::DragMove, to, *data);
        QCOMPARE(list()->dropBars().size(), 1);
        sendDrag(QEvent::Drop, to, *data);
        QCOMPARE(list()->dropBars(), QList<int>()); // erased before the drop is handled
        QTRY_VERIFY(m_desktop->dialogs().size() > dialogsBefore);
    }

    // Files from the file browser, dropped over the search box: the line under the drop
    // point plays no part.
    void dropFiles(const QStringList &paths, const QList<QUrl> &otherLinks = {})
    {
        QMimeData data;
        QList<QUrl> urls;
        for (const QString &path : paths)
            urls.append(QUrl::fromLocalFile(path));
        data.setUrls(urls + otherLinks);
        QWidget *target = m_form->ui().searchBox->lineEdit();
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, {});
        QApplication::sendEvent(target, &drop);
    }

    void expectDialogs(const QList<ExpectedDialog> &dialogs)
    {
        const auto &calls = m_desktop->dialogs();
        QStringList seen;
        for (const auto &call : calls)
            seen.append(QStringLiteral("%1: %2").arg(int(call.kind)).arg(call.text));
        QVERIFY2(calls.size() == dialogs.size(), qPrintable(seen.join(u'\n')));
        for (qsizetype i = 0; i < dialogs.size(); ++i) {
            QCOMPARE(calls.at(i).kind, dialogs.at(i).kind);
            QCOMPARE(calls.at(i).text, dialogs.at(i).text);
            const auto buttons =
                dialogs.at(i).kind == Desktop::DialogKind::Confirmation
                    ? Desktop::Buttons(Desktop::Button::Ok | Desktop::Button::Cancel)
                    : Desktop::Buttons(Desktop::Button::Ok);
            QCOMPARE(calls.at(i).buttons, buttons);
            QCOMPARE(calls.at(i).defaultButton, Desktop::Button::Ok);
        }
    }

    QTemporaryDir m_bin; // the program's own files go there
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_patients;
    std::unique_ptr<ScriptedDesktop> m_desktop;
    std::unique_ptr<MainWindow> m_form;
};
