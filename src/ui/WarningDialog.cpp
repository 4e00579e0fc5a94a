#include "WarningDialog.h"

#include "WindowAccessible.h"
#include "platform/WindowMapping.h"

#include <QAccessible>
#include <QEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>

WarningDialog::WarningDialog(QWidget* parent)
    : QWidget(parent)
{
    WindowAccessible::installFor(staticMetaObject.className(), QAccessible::AlertMessage);
    m_countdownTimer.setInterval(1000);
    connect(&m_countdownTimer, &QTimer::timeout, this, &WarningDialog::onTick);
}

// The labels and the button are made when the popup is first shown: until then
// the program carries no widgets it has not needed yet.
void WarningDialog::ensureBuilt()
{
    if (m_titleLabel)
        return;
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(24, 16, 24, 16);
    layout->setSpacing(8);
    layout->setAlignment(Qt::AlignCenter);

    m_titleLabel = new QLabel(this);
    m_titleLabel->setObjectName(QStringLiteral("titleLabel"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_titleLabel);

    m_countdownLabel = new QLabel(this);
    m_countdownLabel->setObjectName(QStringLiteral("countdownLabel"));
    m_countdownLabel->setAlignment(Qt::AlignCenter);
    layout->addWidget(m_countdownLabel);

    m_messageLabel = new QLabel(this);
    m_messageLabel->setObjectName(QStringLiteral("messageLabel"));
    m_messageLabel->setAlignment(Qt::AlignCenter);
    m_messageLabel->setWordWrap(true);
    layout->addWidget(m_messageLabel);

    m_postponeButton = new QPushButton(tr("Postpone"), this);
    // Where a compositor gives the popup the focus anyway, a Space or Enter typed
    // for the window the user works in must not postpone.
    m_postponeButton->setFocusPolicy(Qt::NoFocus);
    m_postponeButton->setObjectName(QStringLiteral("postponeButton"));
    m_postponeButton->setCursor(Qt::PointingHandCursor);
    connect(m_postponeButton, &QPushButton::clicked, this, &WarningDialog::onPostponeClicked);
    layout->addWidget(m_postponeButton, 0, Qt::AlignCenter);
}

QString WarningDialog::countdownText(int seconds)
{
    if (seconds > 60)
        return QStringLiteral("%1:%2")
            .arg(seconds / 60, 2, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return QString::number(seconds);
}

// The title names the popup to screen readers too.
void WarningDialog::setTitle(const QString& title)
{
    m_titleLabel->setText(title);
    setAccessibleName(title);
}

// The popup never takes the focus, so screen readers learn of it by its alert
// role as it shows and by this event.
void WarningDialog::showAndAnnounce()
{
    moveToCorner();
    show();
    raise();
    QAccessibleEvent alert(this, QAccessible::Alert);
    QAccessible::updateAccessibility(&alert);
    m_countdownTimer.start();
}

// The style sheet picks the countdown colour by the popup's object name, and Qt
// does not restyle a widget by itself when that name changes.
void WarningDialog::setShutdownLook(bool shutdown)
{
    m_isShutdownWarning = shutdown;
    const QString name = shutdown ? QStringLiteral("shutdownWarning") : QString();
    if (objectName() == name)
        return;
    setObjectName(name);
    repolish();
}

void WarningDialog::repolish()
{
    for (QWidget* widget : {static_cast<QWidget*>(this), static_cast<QWidget*>(m_countdownLabel)}) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
    }
}

void WarningDialog::applyWindowSetup()
{
    setWindowFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
}

void WarningDialog::moveToCorner()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    // Larger fonts make the popup taller than its 140 pixels: its bottom keeps its
    // margin from the area's bottom (the task bar's edge) whatever its height.
    ensurePolished();
    const int height = std::max(140, sizeHint().height());
    resize(360, height);
    move(area.right() - 380, area.bottom() - 20 - height);
    if (!programPlacesWindows())
        setFixedSize(size());
}

QString WarningDialog::breakTitle() const
{
    return m_breakType == Micro ? tr("Micro Break Starting") : tr("Long Break Starting");
}

void WarningDialog::showWarning(BreakType type, int seconds)
{
    ensureBuilt();
    setShutdownLook(false);
    m_remainingSeconds = seconds;
    m_breakType = type;
    applyWindowSetup();
    setTitle(breakTitle());
    m_countdownLabel->setText(countdownText(seconds));
    m_messageLabel->setText(tr("Your break will begin in..."));
    m_postponeButton->setVisible(m_postponeEnabled);
    showAndAnnounce();
}

void WarningDialog::showShutdownWarning(int seconds)
{
    ensureBuilt();
    setShutdownLook(true);
    m_remainingSeconds = seconds;
    applyWindowSetup();
    setTitle(tr("Shutting down soon"));
    m_countdownLabel->setText(countdownText(seconds));
    m_messageLabel->setText(tr("Your computer will shut down soon"));
    m_postponeButton->setText(tr("Postpone"));
    m_postponeButton->show();
    showAndAnnounce();
}

void WarningDialog::onTick()
{
    --m_remainingSeconds;
    if (m_remainingSeconds > 0) {
        m_countdownLabel->setText(countdownText(m_remainingSeconds));
        return;
    }
    m_countdownTimer.stop();
    hideWarning();
}

void WarningDialog::hideWarning()
{
    m_countdownTimer.stop();
    setShutdownLook(false);
    hide();
}

void WarningDialog::onPostponeClicked()
{
    hideWarning();
    emit postponeRequested();
}

void WarningDialog::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(m_isShutdownWarning ? QColor(180, 30, 30, 220) : QColor(30, 30, 40, 210));
    painter.drawRoundedRect(QRectF(0, 0, width(), height()), 12.0, 12.0, Qt::AbsoluteSize);
}

void WarningDialog::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::LanguageChange || !m_postponeButton)
        return;
    m_postponeButton->setText(tr("Postpone"));
    if (m_isShutdownWarning) {
        if (!isVisible())
            return;
        setTitle(tr("Shutting down soon"));
        m_messageLabel->setText(tr("Your computer will shut down soon"));
        return;
    }
    m_postponeButton->setVisible(m_postponeEnabled);
    if (!isVisible())
        return;
    setTitle(breakTitle());
    m_messageLabel->setText(tr("Your break will begin in..."));
}
