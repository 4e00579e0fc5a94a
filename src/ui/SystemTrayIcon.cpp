#include "SystemTrayIcon.h"

#include "SettingsDialog.h"
#include "scheduling/BreakScheduler.h"
#include "scheduling/break_utils.h"

#include <QAction>
#include <QCoreApplication>
#include <QIcon>

SystemTrayIcon::SystemTrayIcon(BreakScheduler* scheduler, SettingsManager* settings, SettingsDialog* settingsDialog,
                               QObject* parent)
    : QObject(parent)
    , m_scheduler(scheduler)
    , m_settings(settings)
    , m_settingsDialog(settingsDialog)
{
    createMenu();
    showPicture(QStringLiteral(":/icons/idle.svg"));
    m_trayIcon.setToolTip(tr("RespiteKeeper"));
    m_trayIcon.show();
    connect(&m_trayIcon, &QSystemTrayIcon::activated, this, &SystemTrayIcon::onActivated);
    connect(m_scheduler, &BreakScheduler::breakStateChanged, this, &SystemTrayIcon::onBreakStateChanged);
    connect(m_scheduler, &BreakScheduler::runningChanged, this, &SystemTrayIcon::onRunningChanged);
    // Fires in the same wake-up as the scheduler's one-second timer.
    m_tooltipTimer.setTimerType(Qt::VeryCoarseTimer);
    m_tooltipTimer.setInterval(1000);
    connect(&m_tooltipTimer, &QTimer::timeout, this, &SystemTrayIcon::updateTooltip);
    updateIcon();
    updateTooltip();
}

void SystemTrayIcon::createMenu()
{
    m_pauseAction = m_menu.addAction(tr("Pause for 2 hours"));
    connect(m_pauseAction, &QAction::triggered, this, [this] {
        if (m_scheduler->isRunning())
            m_scheduler->pause(2);
        else
            m_scheduler->resume();
    });
    m_menu.addSeparator();
    m_testMicroAction = m_menu.addAction(tr("Test Micro Break"));
    connect(m_testMicroAction, &QAction::triggered, m_scheduler, &BreakScheduler::triggerMicroBreak);
    m_testLongAction = m_menu.addAction(tr("Test Long Break"));
    connect(m_testLongAction, &QAction::triggered, m_scheduler, &BreakScheduler::triggerLongBreak);
    m_menu.addSeparator();
    m_settingsAction = m_menu.addAction(tr("Settings..."));
    connect(m_settingsAction, &QAction::triggered, this, &SystemTrayIcon::showSettings);
    m_menu.addSeparator();
    m_quitAction = m_menu.addAction(tr("Quit"));
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit);
    m_trayIcon.setContextMenu(&m_menu);
}

void SystemTrayIcon::showSettings()
{
    m_settingsDialog->show();
    m_settingsDialog->raise();
    m_settingsDialog->activateWindow();
}

QString SystemTrayIcon::iconPath() const
{
    if (!m_scheduler->isRunning())
        return QStringLiteral(":/icons/paused.svg");
    switch (m_scheduler->state()) {
    case BreakScheduler::Warning:
        return QStringLiteral(":/icons/warning.svg");
    case BreakScheduler::OnBreak:
        return QStringLiteral(":/icons/break.svg");
    default:
        return QStringLiteral(":/icons/idle.svg");
    }
}

void SystemTrayIcon::updateIcon()
{
    showPicture(iconPath());
}

void SystemTrayIcon::showPicture(const QString& path)
{
    // One icon object per picture: a new one each time would draw the picture
    // again and leave another copy in the pixmap cache at every change of state.
    auto icon = m_icons.constFind(path);
    if (icon == m_icons.cend())
        icon = m_icons.insert(path, QIcon(path));
    m_trayIcon.setIcon(*icon);
}

void SystemTrayIcon::updateTooltip()
{
    if (m_scheduler->isRunning()) {
        const QString micro = formatDuration(m_scheduler->secondsUntilNextMicroBreak());
        const QString longBreak = formatDuration(m_scheduler->secondsUntilNextLongBreak());
        m_trayIcon.setToolTip(tr("RespiteKeeper") + QLatin1Char('\n') + tr("Next micro break in %1").arg(micro) +
                              QLatin1Char('\n') + tr("Next long break in %1").arg(longBreak));
        m_tooltipTimer.start();
    } else {
        m_trayIcon.setToolTip(tr("RespiteKeeper - Paused"));
        m_tooltipTimer.stop();
    }
}

void SystemTrayIcon::updateState()
{
    updateIcon();
    updateTooltip();
    const bool running = m_scheduler->isRunning();
    m_pauseAction->setText(running ? tr("Pause for 2 hours") : tr("Resume"));
    m_testMicroAction->setEnabled(running);
    m_testLongAction->setEnabled(running);
}

void SystemTrayIcon::retranslateMenu()
{
    m_testMicroAction->setText(tr("Test Micro Break"));
    m_testLongAction->setText(tr("Test Long Break"));
    m_settingsAction->setText(tr("Settings..."));
    m_quitAction->setText(tr("Quit"));
}

void SystemTrayIcon::onBreakStateChanged()
{
    updateState();
    retranslateMenu();
}

void SystemTrayIcon::onRunningChanged()
{
    updateState();
}

void SystemTrayIcon::onActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason == QSystemTrayIcon::DoubleClick)
        showSettings();
}
