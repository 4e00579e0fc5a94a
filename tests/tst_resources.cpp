#include "TestHelpers.h"

#include <QApplication>
#include <QIcon>

// The resource collection: what the program reads from it at run time.
class TestResources : public QObject
{
    Q_OBJECT

    static QStringList keys(const QString& file, const char* group)
    {
        QSettings settings(":/translations/" + file, QSettings::IniFormat);
        settings.beginGroup(QLatin1String(group));
        return settings.allKeys();
    }

private slots:
    void styleSheetParsesAndIconsRead()
    {
        QFile file(":/resources/style.qss");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QString sheet = QString::fromUtf8(file.readAll());
        QVERIFY(sheet.contains("image: url(:/icons/check-white.svg);"));
        QVERIFY(!QIcon(":/icons/check-white.svg").pixmap(16, 16).isNull());
        QTest::failOnWarning(QRegularExpression(".*")); // a parse error is a warning
        qApp->setStyleSheet(sheet);
        QWidget().ensurePolished();
        qApp->setStyleSheet(QString());
        const QImage icon(":/RespiteKeeper.ico", "ico");
        QCOMPARE(icon.size(), QSize(32, 32));
        QVERIFY(icon.pixelColor(5, 0).alpha() == 0 && icon.pixelColor(10, 16) == QColor(0, 128, 128));
    }

    // Both languages have a text for every key, and the same number of break
    // messages of each kind. "%1 s" and its kin read as escapes and never match,
    // so durations keep their English form.
    void bothLanguagesHaveEveryText()
    {
        const QStringList english = keys("translations_en.ini", "translations");
        QCOMPARE(keys("translations_zh.ini", "translations"), english);
        QVERIFY(english.size() > 50);
        QVERIFY(english.contains("N/A") && english.contains("Remaining: %1") && !english.contains("%1 s"));
        QSettings zh(":/translations/translations_zh.ini", QSettings::IniFormat);
        zh.beginGroup("translations");
        for (const QString& key : english)
            QVERIFY2(!zh.value(key).toString().isEmpty(), qPrintable(key));
        QCOMPARE(zh.value("RespiteKeeper").toString(), QStringLiteral("憩安"));
        QCOMPARE(keys("messages_zh.ini", "messages"), keys("messages_en.ini", "messages"));
        QCOMPARE(keys("messages_en.ini", "messages").size(), 14);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
