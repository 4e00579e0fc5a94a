#include "BreakOverlay.h"

#include "WindowAccessible.h"
#include "platform/FullScreenCover.h"
#include "platform/InputHold.h"
#include "platform/WindowMapping.h"
#include "scheduling/break_utils.h"

#include <QApplication>
#include <QDebug>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QLoggingCategory>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QVBoxLayout>

// Off unless asked for (QT_LOGGING_RULES="respitekeeper.timing.debug=true"):
// scripts/bench-idle reads how soon the break screen is painted.
Q_LOGGING_CATEGORY(lcTiming, "respitekeeper.timing", QtInfoMsg)

namespace {

// How long after a break the break screen makes sure that it is really gone.
constexpr int UnmapCheckIntervalMs = 250;
constexpr int UnmapChecks = 12;
// How long the break screen keeps asking to cover its whole area while the window
// manager has not made it so.
constexpr int CoverCheckIntervalMs = 250;
constexpr int CoverChecks = 12;
constexpr int ProgressBarWidth = 700;

// A window that only shows the break colour, on a monitor the break screen itself
// cannot reach.
class ScreenCover : public QWidget
{
public:
    ScreenCover(const QColor& colour, Qt::WindowFlags flags)
        : QWidget(nullptr, flags)
        , m_colour(colour)
    {}

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), m_colour); }

private:
    QColor m_colour;
};

// A screen's rectangle in the display's own pixels: the toolkit keeps a screen's
// top-left corner in them and scales only its size.
QRect nativeGeometry(const QScreen* screen)
{
    const QRect geometry = screen->geometry();
    return QRect(geometry.topLeft(), (QSizeF(geometry.size()) * screen->devicePixelRatio()).toSize());
}

// An open menu or list of the program holds keyboard and pointer for itself and
// would keep the break screen's hold from taking effect.
void closeOpenPopups()
{
    for (int i = 0; i < 16; ++i) {
        QWidget* popup = QApplication::activePopupWidget();
        if (!popup)
            return;
        popup->close();
    }
}

} // namespace

BreakOverlay::BreakOverlay(const BreakLook& look, QWidget* parent)
    : QWidget(parent)
    , m_look(look)
    , m_inputHold(createInputHold())
{
    WindowAccessible::installFor(staticMetaObject.className(), QAccessible::Window);
    m_countdownTimer.setInterval(1000);
    connect(&m_countdownTimer, &QTimer::timeout, this, &BreakOverlay::onCountdownTick);

    m_unmapCheck.setInterval(UnmapCheckIntervalMs);
    connect(&m_unmapCheck, &QTimer::timeout, this, [this] { checkUnmapped(); });

    m_coverCheck.setInterval(CoverCheckIntervalMs);
    connect(&m_coverCheck, &QTimer::timeout, this, [this] { checkCover(); });
}

// The labels, the bar and the button are made when the first break shows: until
// then the program carries no widgets it has not needed yet.
void BreakOverlay::ensureBuilt()
{
    if (m_countdownLabel)
        return;
    auto* layout = new QVBoxLayout(this);
    // The screen decides the window's size, never its contents: a compositor ends a
    // client whose full-screen window is larger than the output it was given.
    layout->setSizeConstraint(QLayout::SetNoConstraint);
    layout->setContentsMargins(60, 60, 60, 60);
    layout->setSpacing(16);
    layout->addStretch(1);

    m_countdownLabel = new QLabel(this);
    m_countdownLabel->setObjectName(QStringLiteral("countdownLabel"));
    m_countdownLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_countdownLabel, 0, Qt::AlignCenter);

    m_progressBar = new QProgressBar(this);
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setRange(0, 100);
    m_progressBar->setValue(0);
    m_progressBar->setTextVisible(false);
    m_progressBar->setFixedHeight(6);
    m_progressBar->setFixedWidth(ProgressBarWidth);
    m_progressBar->hide();
    m_progressBar->setAccessibleName(tr("Break progress"));
    layout->addWidget(m_progressBar, 0, Qt::AlignCenter);

    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setAlignment(Qt::AlignCenter);
    m_messageLabel->setWordWrap(false);
    m_messageLabel->setMaximumWidth(800);
    layout->addWidget(m_messageLabel, 0, Qt::AlignCenter);

    layout->addStretch(1);

    auto* buttonRow = new QWidget(this);
    buttonRow->setFixedHeight(40);
    auto* rowLayout = new QHBoxLayout(buttonRow);
    rowLayout->setContentsMargins(0, 0, 0, 0);
    rowLayout->addStretch(0);
    m_postponeButton = new QPushButton(tr("Postpone"), buttonRow);
    m_postponeButton->setObjectName(QStringLiteral("postponeButton"));
    m_postponeButton->setCursor(Qt::PointingHandCursor);
    m_postponeButton->hide();
    connect(m_postponeButton, &QPushButton::clicked, this, &BreakOverlay::onPostponeClicked);
    rowLayout->addWidget(m_postponeButton);
    rowLayout->addStretch(0);
    layout->addWidget(buttonRow, 0, Qt::AlignCenter);
}

BreakOverlay::~BreakOverlay()
{
    setInputHold(false);
    disconnectScreenSignals();
}

void BreakOverlay::setInputHoldBackend(std::unique_ptr<InputHold> hold)
{
    m_inputHold = std::move(hold);
}

void BreakOverlay::showBreak(BreakType type, const QString& message, int durationSeconds)
{
    m_sinceBreakStart.start();
    m_firstPaintPending = true;
    ensureBuilt();
    closeOpenPopups();
    m_unmapCheck.stop();
    // A new break while one is showing starts over, hold included.
    setInputHold(false);

    m_breakType = type;
    m_remainingSeconds = m_totalSeconds = durationSeconds;
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint |
                   coverWindowFlags(nativeScreenArea()));
    setAttribute(Qt::WA_TranslucentBackground, false);
    setAttribute(Qt::WA_ShowWithoutActivating, false);
    // No part of the screen shows black or what was under it, however late the
    // first paint comes.
    setNativeBackground(this, m_look.backgroundColor);
    setMessage(message);
    setAccessibleName(breakName());
    updateCountdownText();
    m_progressBar->setRange(0, durationSeconds);
    m_progressBar->setValue(0);
    m_progressBar->show();
    m_postponeButton->hide();
    m_postponeVisible = false;
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setCursor(Qt::ArrowCursor);
    applyScreenGeometry();
    // The full-screen state goes with the window's first map, so that the window
    // manager never has to change a window that is already on the screen.
    showFullScreen();
    // Full screen fits the window to the one monitor it is on; across several
    // monitors the bounding rectangle is what the break screen covers.
    applyScreenGeometry();
    raise();
    activateWindow();
    setFocus(Qt::OtherFocusReason);
    setInputHold(true);
    connectScreenSignals();
    m_countdownTimer.start();
}

void BreakOverlay::hideBreak()
{
    m_countdownTimer.stop();
    m_coverCheck.stop();
    disconnectScreenSignals();
    setInputHold(false);
    setCursor(Qt::ArrowCursor);
    // Hide first, then leave full screen while hidden. Asking the window manager to
    // leave full screen while the window is being unmapped lets it act on the request
    // after the unmap and map the window again.
    hide();
    m_screenCovers.clear();
    if (isFullScreen())
        setWindowState(windowState() & ~Qt::WindowFullScreen);
    // Whatever the window manager does with late requests, the screen must go.
    m_unmapChecksLeft = UnmapChecks;
    m_unmapCheck.start();
}

void BreakOverlay::checkUnmapped()
{
    if (isVisible() || --m_unmapChecksLeft < 0) {
        m_unmapCheck.stop();
        return;
    }
    if (isWindowMappedOnDisplay(this)) {
        qDebug() << "The break screen was mapped again after the break; taking it off the screen";
        withdrawWindow(this);
    }
}

void BreakOverlay::updateCountdownText()
{
    m_countdownLabel->setText(tr("Remaining: %1").arg(formatDuration(m_remainingSeconds)));
}

// What screen readers call the break screen as it takes the focus.
QString BreakOverlay::breakName() const
{
    return m_breakType == Micro ? tr("Micro Break in progress") : tr("Long Break in progress");
}

void BreakOverlay::setMessage(const QString& message)
{
    m_messageLabel->setText(message);
    setAccessibleDescription(message);
}

void BreakOverlay::onCountdownTick()
{
    if (m_remainingSeconds <= 0)
        return;
    --m_remainingSeconds;
    updateCountdownText();
    m_progressBar->setValue(m_totalSeconds - m_remainingSeconds);
    applyPostponeRule();
    // A compositor may show a window only once a frame follows its last configure,
    // which may come after the first frame; the covers draw along with the countdown.
    for (const auto& cover : m_screenCovers)
        cover->update();
}

void BreakOverlay::applyPostponeRule()
{
    const int elapsed = m_totalSeconds - m_remainingSeconds;
    if (m_look.postponeEnabled && elapsed <= 9) {
        if (!m_postponeVisible)
            m_postponeButton->show();
        m_postponeVisible = true;
    } else {
        // A screen reader would lose its place with the focus on a hidden button.
        if (m_postponeButton->hasFocus())
            setFocus(Qt::OtherFocusReason);
        if (m_postponeVisible)
            m_postponeButton->hide();
        m_postponeVisible = false;
    }
}

void BreakOverlay::onPostponeClicked()
{
    hideBreak();
    emit postponeRequested();
}

// The screens the break screen covers: the primary one, or all.
QList<QScreen*> BreakOverlay::coveredScreens() const
{
    if (m_look.showOnAllMonitors)
        return QGuiApplication::screens();
    QScreen* primary = QGuiApplication::primaryScreen();
    return primary ? QList<QScreen*>{primary} : QList<QScreen*>{};
}

QRect BreakOverlay::nativeScreenArea() const
{
    QRect area;
    const QList<QScreen*> screens = coveredScreens();
    for (const QScreen* screen : screens)
        area = area | nativeGeometry(screen);
    return area;
}

void BreakOverlay::applyScreenGeometry()
{
    const QList<QScreen*> screens = coveredScreens();
    if (screens.isEmpty())
        return;
    if (!oneWindowCoversMonitors()) {
        // The first covered screen is the primary one, or the only one.
        setScreen(screens.first());
        setGeometry(screens.first()->geometry());
        updateScreenCovers();
    } else {
        QRect area;
        for (const QScreen* screen : screens)
            area = area | screen->geometry();
        setGeometry(area);
        // A window manager fits a full-screen window to one monitor unless told
        // which, and may act late: the break screen checks until it covers its
        // whole area.
        if (isVisible()) {
            m_coverChecksLeft = CoverChecks;
            checkCover();
            m_coverCheck.start();
        }
    }
    fitProgressBar();
}

// A monitor narrower than the bar and the margins (a small one, or one scaled up)
// gets a narrower bar.
void BreakOverlay::fitProgressBar()
{
    const QMargins margins = layout()->contentsMargins();
    m_progressBar->setFixedWidth(qBound(0, width() - margins.left() - margins.right(), ProgressBarWidth));
}

void BreakOverlay::updateScreenCovers()
{
    m_screenCovers.clear();
    if (!isVisible())
        return;
    const QList<QScreen*> screens = coveredScreens();
    for (QScreen* screen : screens.mid(1)) {
        auto cover = std::make_unique<ScreenCover>(m_look.backgroundColor, windowFlags());
        cover->setAttribute(Qt::WA_ShowWithoutActivating);
        cover->setCursor(Qt::ArrowCursor);
        cover->setScreen(screen);
        cover->setGeometry(screen->geometry());
        cover->showFullScreen();
        m_screenCovers.push_back(std::move(cover));
    }
}

void BreakOverlay::checkCover()
{
    const QRect area = nativeScreenArea();
    if (!isVisible() || coverArea(this, area)) {
        m_coverCheck.stop();
    } else if (--m_coverChecksLeft <= 0) {
        m_coverCheck.stop();
        qWarning() << "The break screen does not cover" << area << "; the window manager keeps it elsewhere";
    }
}

void BreakOverlay::connectScreenSignals()
{
    disconnectScreenSignals();
    // Screens that come or go during a break: covered, or no longer (a screen that
    // goes is still listed while its signal is delivered).
    const auto screensChanged = [this] {
        QTimer::singleShot(0, this, [this] {
            connectScreenSignals();
            applyScreenGeometry();
        });
    };
    m_screenConnections.append(connect(qGuiApp, &QGuiApplication::screenAdded, this, screensChanged));
    m_screenConnections.append(connect(qGuiApp, &QGuiApplication::screenRemoved, this, screensChanged));
    const QList<QScreen*> screens = QGuiApplication::screens();
    for (QScreen* screen : screens) {
        m_screenConnections.append(
            connect(screen, &QScreen::geometryChanged, this, &BreakOverlay::onScreenGeometryChanged));
        m_screenConnections.append(
            connect(screen, &QScreen::availableGeometryChanged, this, &BreakOverlay::onScreenGeometryChanged));
    }
}

void BreakOverlay::disconnectScreenSignals()
{
    for (const QMetaObject::Connection& connection : std::as_const(m_screenConnections))
        QObject::disconnect(connection);
    m_screenConnections.clear();
}

void BreakOverlay::onScreenGeometryChanged()
{
    applyScreenGeometry();
}

void BreakOverlay::setInputHold(bool on)
{
    if (m_inputHold)
        m_inputHold->setHold(this, on);
}

void BreakOverlay::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), m_look.backgroundColor);
    if (m_firstPaintPending) {
        m_firstPaintPending = false;
        qCDebug(lcTiming) << "break screen painted" << m_sinceBreakStart.elapsed() << "ms after the break began";
    }
}

void BreakOverlay::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange || !m_postponeButton)
        return;
    m_postponeButton->setText(tr("Postpone"));
    m_progressBar->setAccessibleName(tr("Break progress"));
    applyPostponeRule();
    updateCountdownText();
    if (!isVisible())
        return;
    setAccessibleName(breakName());
    const QStringList& messages = m_breakType == Micro ? m_messages.micro : m_messages.longBreak;
    if (!messages.isEmpty())
        setMessage(messages.at(QRandomGenerator::global()->bounded(messages.size())));
}
