#include "scheduling/break_utils.h"

#include <QCoreApplication>
#include <QTest>
#include <QTranslator>

class TestBreakUtils : public QObject
{
    Q_OBJECT

private slots:
    void formatsMinutesAndSeconds_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("under a minute") << 59 << "59 s";
        QTest::newRow("one minute") << 60 << "1 m";
        QTest::newRow("minute and second") << 61 << "1 m 1 s";
        QTest::newRow("an hour has no unit of its own") << 3600 << "60 m";
        QTest::newRow("negative") << -1 << "N/A";
    }

    void formatsMinutesAndSeconds()
    {
        QFETCH(int, seconds);
        QTEST(formatDuration(seconds), "text");
    }

    void translationMayMoveThePlaceholders()
    {
        class Swapping : public QTranslator
        {
        public:
            QString translate(const char* context, const char* source, const char*, int) const override
            {
                if (QByteArray(context) != "break_utils")
                    return QString();
                if (QByteArray(source) == "%1 m %2 s")
                    return QStringLiteral("%2 sec after %1 min");
                if (QByteArray(source) == "N/A")
                    return QStringLiteral("none");
                return QString();
            }
            bool isEmpty() const override { return false; }
        } translator;
        QCoreApplication::installTranslator(&translator);
        QCOMPARE(formatDuration(125), QStringLiteral("5 sec after 2 min"));
        QCOMPARE(formatDuration(-1), QStringLiteral("none"));
        QCOMPARE(formatDuration(5), QStringLiteral("5 s"));
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_GUILESS_MAIN(TestBreakUtils)
#include "tst_breakutils.moc"
