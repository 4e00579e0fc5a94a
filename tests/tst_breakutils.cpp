#include "scheduling/break_utils.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

class TestBreakUtils : public QObject
{
    Q_OBJECT

private slots:
    // An hour has no unit of its own; a translation may move the placeholders.
    void formatsMinutesAndSeconds()
    {
        QCOMPARE((QStringList{formatDuration(59), formatDuration(60), formatDuration(61), formatDuration(3600),
                              formatDuration(-1)}),
                 (QStringList{"59 s", "1 m", "1 m 1 s", "60 m", "N/A"}));
        struct : QTranslator
        {
            QString translate(const char* context, const char* source, const char*, int) const override
            {
                const QByteArray text = qstrcmp(context, "break_utils") ? "" : source;
                return text == "%1 m %2 s" ? "%2 sec after %1 min" : text == "N/A" ? "none" : QString();
            }
            bool isEmpty() const override { return false; }
        } translator;
        QCoreApplication::installTranslator(&translator);
        QCOMPARE((QStringList{formatDuration(125), formatDuration(-1), formatDuration(5)}),
                 (QStringList{"5 sec after 2 min", "none", "5 s"}));
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_GUILESS_MAIN(TestBreakUtils)
#include "tst_breakutils.moc"
