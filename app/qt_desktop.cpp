#include "app/qt_desktop.h"

#include "app/desktop_notifications.h"
#include "app/message_dialog.h"
#include "app/passing_notice.h"
#include "platform/desktop_launch.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QFileInfo>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QTimer>

namespace {

QIcon programIcon()
{
    const QIcon icon = QGuiApplication::windowIcon();
    if (!icon.isNull())
        return icon;
    // An icon the tray can always draw.
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxInformation);
}

QSystemTrayIcon::MessageIcon messageIconOf(TrayRecord::BalloonIcon icon)
{
    return icon == TrayRecord::BalloonIcon::Information ? QSystemTrayIcon::Information
                                                        : QSystemTrayIcon::NoIcon;
}

} // namespace

QtDesktop::QtDesktop() = default;

QtDesktop::QtDesktop(const QDBusConnection &notificationBus) : m_notificationBus(notificationBus) {}

QtDesktop::~QtDesktop()
{
    m_balloonHidden = nullptr;
}

Desktop::Button QtDesktop::messageDialog(const QString &text, DialogKind kind, Buttons buttons,
                                         Button defaultButton)
{
    MessageDialogWindow dialog(text, kind, buttons, defaultButton, m_mainWindow);
    return dialog.run();
}

void QtDesktop::errorBox(const QString &title, const QString &text)
{
    QMessageBox box(QMessageBox::Critical, title, text, QMessageBox::Ok, m_mainWindow);
    box.setTextFormat(Qt::PlainText);
    box.button(QMessageBox::Ok)->setText(QStringLiteral("OK"));
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

bool QtDesktop::sendTrayRecord(TrayCommand command, const TrayRecord &record)
{
    switch (command) {
    case TrayCommand::Add:
        if (m_present)
            return false;
        m_present = true;
        if (QSystemTrayIcon::isSystemTrayAvailable()) {
            if (!m_tray)
                m_tray = std::make_unique<QSystemTrayIcon>(programIcon());
            m_tray->setToolTip(record.tip);
            m_tray->show();
        }
        break;
    case TrayCommand::Modify:
        if (!m_present)
            return false;
        if (m_tray)
            m_tray->setToolTip(record.tip);
        break;
    case TrayCommand::Delete:
        if (!m_present)
            return false;
        m_present = false;
        if (m_tray)
            m_tray->hide();
        if (m_balloonTimer)
            m_balloonTimer->stop();
        if (m_notifications)
            m_notifications->close();
        if (m_notice)
            m_notice->hide();
        return true;
    }
    if (record.balloon)
        showBalloon(record);
    return true;
}

void QtDesktop::showBalloon(const TrayRecord &record)
{
    if (m_tray && m_tray->isVisible()) {
        m_tray->showMessage(record.balloonTitle, record.balloonText,
                            messageIconOf(record.balloonIcon), record.balloonTimeoutMs);
        // The system tray does not say when its message has gone: count the time it was
        // asked to stay.
        if (!m_balloonTimer) {
            m_balloonTimer = std::make_unique<QTimer>();
            m_balloonTimer->setSingleShot(true);
            QObject::connect(m_balloonTimer.get(), &QTimer::timeout, [this] { balloonGone(); });
            QObject::connect(m_tray.get(), &QSystemTrayIcon::messageClicked,
                             [this] { balloonGone(); });
        }
        m_balloonTimer->start(record.balloonTimeoutMs);
        return;
    }
    // No notification area (GNOME, for one): the desktop's notification service.
    if (notifications().show(record.balloonTitle, record.balloonText, record.balloonTimeoutMs))
        return;
    showPassingNotice(record.balloonTitle, record.balloonText, record.balloonTimeoutMs);
}

DesktopNotifications &QtDesktop::notifications()
{
    if (!m_notifications) {
        m_notifications = std::make_unique<DesktopNotifications>(
            m_notificationBus ? *m_notificationBus : QDBusConnection::sessionBus());
        QObject::connect(m_notifications.get(), &DesktopNotifications::closed,
                         [this] { balloonGone(); });
        // No service took it: the notice passes by in a window of our own, unless the
        // icon has been taken out meanwhile.
        QObject::connect(m_notifications.get(), &DesktopNotifications::refused,
                         [this](const QString &title, const QString &text, int timeoutMs) {
                             if (m_present)
                                 showPassingNotice(title, text, timeoutMs);
                         });
    }
    return *m_notifications;
}

void QtDesktop::showPassingNotice(const QString &title, const QString &text, int timeoutMs)
{
    if (!m_notice) {
        m_notice = std::make_unique<PassingNotice>();
        QObject::connect(m_notice.get(), &PassingNotice::hidden, [this] { balloonGone(); });
    }
    m_notice->showNotice(title, text, timeoutMs);
}

void QtDesktop::balloonGone()
{
    if (m_balloonHidden)
        m_balloonHidden();
}

void QtDesktop::setTrayBalloonHiddenHandler(std::function<void()> handler)
{
    m_balloonHidden = std::move(handler);
}

namespace {

// The chooser's "Type" column: Qt's French translations leave a folder's type in English.
class FrenchFolderTypes : public QFileIconProvider
{
public:
    QString type(const QFileInfo &info) const override
    {
        return info.isDir() && !info.isRoot() ? QStringLiteral("Dossier")
                                              : QFileIconProvider::type(info);
    }
};

} // namespace

QString QtDesktop::chooseFolder(QWidget *parent, const QString &startFolder)
{
    // A start folder that is not there opens the chooser at the root.
    const QString start = QFileInfo(startFolder).isDir() ? startFolder : QDir::rootPath();
    FrenchFolderTypes types; // outlives the chooser, which does not own it
    QFileDialog chooser(parent, QString(), start);
    chooser.setIconProvider(&types);
    chooser.setFileMode(QFileDialog::Directory);
    chooser.setOption(QFileDialog::ShowDirsOnly);
    // No title: Qt's own would be its English "Find Directory" or a translation of it.
    chooser.setWindowTitle(QString());
    if (chooser.exec() != QDialog::Accepted)
        return QString();
    return chooser.selectedFiles().value(0);
}

// Through xdg-open with the path's own bytes: a URL would lose a name that is not UTF-8.
bool QtDesktop::openFolder(const QString &path)
{
    return platform::openFolderInFileBrowser(path);
}

bool QtDesktop::openTextFile(const QString &path)
{
    return platform::openFileInTextEditor(path);
}

void QtDesktop::setClipboardText(const QString &text)
{
    QGuiApplication::clipboard()->setText(text);
}

QString QtDesktop::clipboardText() const
{
    return QGuiApplication::clipboard()->text();
}
