#pragma once

#include "platform/InputHold.h"
#include "platform/LastInputSource.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QWidget>

// A translator that shows every text in brackets, so a test sees which texts a
// window set again after a language change.
class MarkingTranslator : public QTranslator
{
public:
    QString translate(const char*, const char* sourceText, const char*, int) const override
    {
        return QLatin1Char('[') + QString::fromUtf8(sourceText) + QLatin1Char(']');
    }
    bool isEmpty() const override { return false; }
};

// A user who is always at the keyboard.
class ActiveUser : public LastInputSource
{
public:
    bool canDetectIdle() override { return true; }
    std::optional<qint64> millisecondsSinceLastInput() override { return 0; }
};

// An input hold that only records what it was asked.
class FakeInputHold : public InputHold
{
public:
    struct Log
    {
        int holds = 0;
        int releases = 0;
        bool held = false;
        QWidget* window = nullptr;
    };
    explicit FakeInputHold(Log* log)
        : m_log(log)
    {}
    ~FakeInputHold() override { m_log->held = false; }
    bool canHold() const override { return true; }
    bool isHeld() const override { return m_log->held; }
    void setHold(QWidget* window, bool on) override
    {
        (on ? m_log->holds : m_log->releases)++;
        m_log->held = on;
        m_log->window = on ? window : nullptr;
    }

private:
    Log* m_log;
};

// Installs or removes a translator and delivers the language-change events that
// Qt posts for it.
inline void switchTranslator(QTranslator* translator, bool install)
{
    if (install)
        QCoreApplication::installTranslator(translator);
    else
        QCoreApplication::removeTranslator(translator);
    QCoreApplication::sendPostedEvents();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LanguageChange);
}
