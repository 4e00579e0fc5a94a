#pragma once

#include "scheduling/BreakType.h"

#include <QTimer>
#include <QWidget>

class QLabel;
class QPushButton;

// The small countdown popup in the bottom-right corner before a break or a
// scheduled shutdown. It is shown without taking the focus; its count is for
// display only, the schedulers decide.
class WarningDialog : public QWidget
{
    Q_OBJECT

public:
    explicit WarningDialog(QWidget* parent = nullptr);

    // Whether a break's popup offers Postpone (a shutdown's always does); taken up
    // the next time the popup shows or changes language.
    void setPostponeEnabled(bool enabled) { m_postponeEnabled = enabled; }

    void showWarning(BreakType type, int seconds);
    void showShutdownWarning(int seconds);
    void hideWarning();

    // The count as shown: "mm:ss" above a minute, plain seconds otherwise.
    static QString countdownText(int seconds);

signals:
    void postponeRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;

private slots:
    void onTick();
    void onPostponeClicked();

private:
    void ensureBuilt();
    void applyWindowSetup();
    void moveToCorner();
    void setTitle(const QString& title);
    void showAndAnnounce();
    // Red, by paint and by the name the style sheet knows, for the shutdown
    // warning only: every way the popup shows or goes sets it.
    void setShutdownLook(bool shutdown);
    void repolish();
    QString breakTitle() const;

    bool m_postponeEnabled = true;
    QLabel* m_titleLabel = nullptr;
    QLabel* m_countdownLabel = nullptr;
    QLabel* m_messageLabel = nullptr;
    QPushButton* m_postponeButton = nullptr;
    QTimer m_countdownTimer;
    int m_remainingSeconds = 0;
    BreakType m_breakType = Micro;
    bool m_isShutdownWarning = false;
};
