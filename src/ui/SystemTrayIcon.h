#pragma once

#include <utility>

#include <QHash>
#include <QIcon>
#include <QMenu>
#include <QObject>
#include <QSystemTrayIcon>
#include <QTimer>

class BreakScheduler;
class SettingsDialog;
class QAction;

// The program's face in the system tray: a picture of the break scheduler's state,
// a tooltip with the time to the next breaks, and the menu.
class SystemTrayIcon : public QObject
{
    Q_OBJECT

public:
    SystemTrayIcon(BreakScheduler* scheduler, SettingsDialog* settingsDialog, QObject* parent = nullptr);

    // The resource of the picture for the scheduler's present state.
    QString iconPath() const;
    const QSystemTrayIcon& trayIcon() const { return m_trayIcon; }
    QMenu* menu() { return &m_menu; }

public slots:
    void onBreakStateChanged();

private slots:
    void onRunningChanged();
    void onActivated(QSystemTrayIcon::ActivationReason reason);

private:
    void createMenu();
    void updateIcon();
    void showPicture(const QString& path);
    void updateTooltip();
    std::pair<int, int> nextBreakSeconds() const;
    void showTooltip(std::pair<int, int> seconds);
    void updateState();
    void retranslateMenu();
    void showSettings();

    BreakScheduler* m_scheduler;
    SettingsDialog* m_settingsDialog;
    QSystemTrayIcon m_trayIcon;
    QMenu m_menu;
    QAction* m_pauseAction = nullptr;
    QAction* m_testMicroAction = nullptr;
    QAction* m_testLongAction = nullptr;
    QAction* m_settingsAction = nullptr;
    QAction* m_quitAction = nullptr;
    QTimer m_tooltipTimer;
    std::pair<int, int> m_tooltipSeconds{-2, -2}; // what the tooltip shows
    QHash<QString, QIcon> m_icons;                // by resource path
};
