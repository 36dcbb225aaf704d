#pragma once

#include "app/desktop.h"

#include <QDBusConnection>
#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class DesktopNotifications;
class PassingNotice;
class QSystemTrayIcon;
class QTimer;

// The desktop the program really runs on: message dialogs and the error box as modal Qt
// dialogs, the tray notice through the system tray (where there is no notification area,
// through the desktop's notification service, and where there is none either, a passing
// notice of our own), the Qt folder chooser, the desktop's URL handlers and the system
// clipboard. Create it after the QApplication and before the window.
class QtDesktop : public Desktop
{
public:
    // The notification service is looked for on the session bus, once a notice needs it.
    QtDesktop();
    // ... or on notificationBus.
    explicit QtDesktop(const QDBusConnection &notificationBus);
    ~QtDesktop() override;

    void setMainWindow(QWidget *window) override { m_mainWindow = window; }
    Button messageDialog(const QString &text, DialogKind kind, Buttons buttons,
                         Button defaultButton = Button::None) override;
    void errorBox(const QString &title, const QString &text) override;
    bool sendTrayRecord(TrayCommand command, const TrayRecord &record) override;
    void setTrayBalloonHiddenHandler(std::function<void()> handler) override;
    QString chooseFolder(QWidget *parent, const QString &startFolder) override;
    bool openFolder(const QString &path) override;
    bool openTextFile(const QString &path) override;
    void setClipboardText(const QString &text) override;
    QString clipboardText() const override;

    // What the user sees of the tray notice.
    bool trayIconPresent() const { return m_present; }
    // The system tray's icon, or nullptr while there is none (no notification area).
    QSystemTrayIcon *systemTrayIcon() const { return m_tray.get(); }
    // The passing notice, or nullptr until one has been needed.
    PassingNotice *passingNotice() const { return m_notice.get(); }

private:
    void showBalloon(const TrayRecord &record);
    void showPassingNotice(const QString &title, const QString &text, int timeoutMs);
    DesktopNotifications &notifications();
    void balloonGone();

    // Gone with the window, should the window go first.
    QPointer<QWidget> m_mainWindow;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    std::unique_ptr<PassingNotice> m_notice;
    std::optional<QDBusConnection> m_notificationBus;
    std::unique_ptr<DesktopNotifications> m_notifications;
    std::unique_ptr<QTimer> m_balloonTimer;
    std::function<void()> m_balloonHidden;
    bool m_present = false;
};
