#pragma once

#include "scheduling/BreakType.h"
#include "settings/BreakMessages.h"
#include "settings/SettingsValues.h"

#include <QElapsedTimer>
#include <QList>
#include <QMetaObject>
#include <QTimer>
#include <QWidget>
#include <memory>
#include <vector>

class InputHold;
class QLabel;
class QProgressBar;
class QPushButton;
class QScreen;

// The full-screen break screen. It covers the primary monitor or all monitors,
// shows the time left, a progress bar and the exercise message, offers Postpone
// during the first seconds, and holds keyboard and pointer while it is up. Its own
// countdown only displays time: the break ends when the scheduler says so.
class BreakOverlay : public QWidget
{
    Q_OBJECT

public:
    explicit BreakOverlay(const BreakLook& look, QWidget* parent = nullptr);
    ~BreakOverlay() override;

    // Both take effect at the next break (the messages at a language change too).
    void setLook(const BreakLook& look) { m_look = look; }
    void setBreakMessages(const BreakMessages& messages) { m_messages = messages; }

    // Replaces the platform's input hold (tests use a fake).
    void setInputHoldBackend(std::unique_ptr<InputHold> hold);

    void showBreak(BreakType type, const QString& message, int durationSeconds);
    void hideBreak();

signals:
    void postponeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onCountdownTick();
    void onPostponeClicked();
    void onScreenGeometryChanged();

private:
    void ensureBuilt();
    void updateCountdownText();
    QString breakName() const;
    void setMessage(const QString& message);
    void applyPostponeRule();
    QList<QScreen*> coveredScreens() const;
    QRect nativeScreenArea() const;
    void applyScreenGeometry();
    void fitProgressBar();
    void checkCover();
    void connectScreenSignals();
    void disconnectScreenSignals();
    void setInputHold(bool on);
    void checkUnmapped();
    void updateScreenCovers();

    BreakLook m_look;
    BreakMessages m_messages;
    QLabel* m_messageLabel = nullptr;
    QLabel* m_countdownLabel = nullptr;
    QProgressBar* m_progressBar = nullptr;
    QPushButton* m_postponeButton = nullptr;
    QTimer m_countdownTimer;
    // Where one window cannot span the monitors: a plain window in the break
    // colour on each covered monitor but the one this window is on.
    std::vector<std::unique_ptr<QWidget>> m_screenCovers;
    QList<QMetaObject::Connection> m_screenConnections;
    int m_remainingSeconds = 0;
    int m_totalSeconds = 0;
    bool m_postponeVisible = false;
    BreakType m_breakType = Micro;
    std::unique_ptr<InputHold> m_inputHold;
    QTimer m_unmapCheck;
    int m_unmapChecksLeft = 0;
    QTimer m_coverCheck;
    int m_coverChecksLeft = 0;
    QElapsedTimer m_sinceBreakStart;
    bool m_firstPaintPending = false;
};
