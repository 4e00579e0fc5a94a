#include "SystemTrayIcon.h"

#include "SettingsDialog.h"
#include "scheduling/BreakScheduler.h"
#include "scheduling/StatusReport.h"

#include <QAction>
#include <QCoreApplication>
#include <QFileInfo>
#include <QIcon>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QResource>
#include <iterator>

namespace {

// The state pictures drawn from their SVGs at build time, in the sizes the build
// names (see src/CMakeLists.txt; a cross build has none). Showing them instead of
// the SVGs keeps the fonts for the SVGs' glyphs unloaded while only the tray icon
// is up.
#ifdef RK_TRAY_PICTURE_SIZES
constexpr int PictureSizes[] = {RK_TRAY_PICTURE_SIZES};
#else
constexpr int PictureSizes[] = {0};
#endif

// Hands out the ready picture nearest to the size asked for, the last one kept.
// The pictures are plain pixel rows in the resource collection: reading an image
// file would load every image format plugin.
class TrayPictureEngine : public QIconEngine
{
public:
    explicit TrayPictureEngine(const QString& name)
        : m_name(name)
    {}

    QPixmap pixmap(const QSize& size, QIcon::Mode, QIcon::State) override
    {
        if (m_last.size() == size)
            return m_last;
        const int wanted = qMax(size.width(), size.height());
        int chosen = PictureSizes[std::size(PictureSizes) - 1];
        for (int side : PictureSizes) {
            if (side >= wanted) {
                chosen = side;
                break;
            }
        }
        const QResource rows(path(m_name, chosen));
        const QByteArray bytes = rows.uncompressedData();
        if (bytes.size() != chosen * chosen * 4)
            return {};
        QPixmap picture = QPixmap::fromImage(QImage(reinterpret_cast<const uchar*>(bytes.constData()), chosen, chosen,
                                                    QImage::Format_ARGB32_Premultiplied)
                                                 .copy());
        if (picture.size() != size)
            picture = picture.scaled(size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        m_last = picture;
        return picture;
    }

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal ratio = painter->device()->devicePixelRatio();
        QPixmap picture = pixmap(rect.size() * ratio, mode, state);
        picture.setDevicePixelRatio(ratio);
        painter->drawPixmap(rect, picture);
    }

    QList<QSize> availableSizes(QIcon::Mode, QIcon::State) override
    {
        QList<QSize> sizes;
        for (int side : PictureSizes)
            sizes.append(QSize(side, side));
        return sizes;
    }

    QIconEngine* clone() const override { return new TrayPictureEngine(m_name); }

    static QString path(const QString& name, int side)
    {
        return QStringLiteral(":/icons/tray/%1-%2.argb32").arg(name).arg(side);
    }

private:
    QString m_name;
    QPixmap m_last;
};

// A state picture as the tray shows it: the ready pictures when the program has
// them, else the SVG itself.
QIcon trayPicture(const QString& svgPath)
{
    if (PictureSizes[0] == 0)
        return QIcon(svgPath);
    return QIcon(new TrayPictureEngine(QFileInfo(svgPath).completeBaseName()));
}

} // namespace

SystemTrayIcon::SystemTrayIcon(BreakScheduler* scheduler, SettingsDialog* settingsDialog, QObject* parent)
    : QObject(parent)
    , m_scheduler(scheduler)
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
    connect(&m_tooltipTimer, &QTimer::timeout, this, [this] {
        // While the count stands still (the idle freeze), the tooltip stays as it is.
        if (const std::pair<int, int> seconds = nextBreakSeconds(); seconds != m_tooltipSeconds)
            showTooltip(seconds);
    });
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
        return m_scheduler->isHeld() ? QStringLiteral(":/icons/held.svg") : QStringLiteral(":/icons/idle.svg");
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
        icon = m_icons.insert(path, trayPicture(path));
    m_trayIcon.setIcon(*icon);
}

std::pair<int, int> SystemTrayIcon::nextBreakSeconds() const
{
    return {m_scheduler->secondsUntilNextMicroBreak(), m_scheduler->secondsUntilNextLongBreak()};
}

void SystemTrayIcon::updateTooltip()
{
    showTooltip(nextBreakSeconds());
}

void SystemTrayIcon::showTooltip(std::pair<int, int> seconds)
{
    m_tooltipSeconds = seconds;
    // While a break is held, the first line says why.
    m_trayIcon.setToolTip(statusTooltip(*m_scheduler, StatusReport::Detail::Seconds));
    if (m_scheduler->isRunning() && !m_tooltipTimer.isActive())
        m_tooltipTimer.start();
    else if (!m_scheduler->isRunning())
        m_tooltipTimer.stop();
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
