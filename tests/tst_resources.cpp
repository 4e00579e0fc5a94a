#include <QApplication>
#include <QFile>
#include <QIcon>
#include <QImage>
#include <QResource>
#include <QSettings>
#include <QTest>

namespace {
QByteArray read(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}
QStringList keys(const QString& path, const char* group)
{
    QSettings file(path, QSettings::IniFormat);
    file.beginGroup(QLatin1String(group));
    return file.allKeys();
}
} // namespace

// The resource collection: what the program reads from it at run time.
class TestResources : public QObject
{
    Q_OBJECT

private slots:
    void styleSheetParsesAndUsesItsImage()
    {
        const QString sheet = QString::fromUtf8(read(":/resources/style.qss"));
        QVERIFY(sheet.contains("image: url(:/icons/check-white.svg);"));
        QVERIFY(!QIcon(":/icons/check-white.svg").pixmap(16, 16).isNull());
        QTest::failOnWarning(QRegularExpression(".*")); // a parse error is a warning
        qApp->setStyleSheet(sheet);
        QWidget probe;
        probe.ensurePolished();
        qApp->setStyleSheet(QString());
    }

    void applicationIconIsReadable()
    {
        const QImage image(":/RespiteKeeper.ico", "ico");
        QCOMPARE(image.size(), QSize(32, 32));
        QCOMPARE(image.pixelColor(5, 0).alpha(), 0); // the masked top row
        QCOMPARE(image.pixelColor(10, 16), QColor(0, 128, 128));
    }

    // Both languages have a text for every key, and the same number of break
    // messages of each kind. "%1 s" and its kin read as escapes and never match,
    // so durations keep their English form.
    void bothLanguagesHaveEveryText()
    {
        const QStringList english = keys(":/translations/translations_en.ini", "translations");
        const QStringList chinese = keys(":/translations/translations_zh.ini", "translations");
        QCOMPARE(chinese, english);
        QVERIFY(english.size() > 50);
        QVERIFY(english.contains("N/A") && english.contains("Remaining: %1") && !english.contains("%1 s"));
        QSettings zh(":/translations/translations_zh.ini", QSettings::IniFormat);
        zh.beginGroup("translations");
        for (const QString& key : chinese)
            QVERIFY2(!zh.value(key).toString().isEmpty(), qPrintable(key));
        QCOMPARE(zh.value("RespiteKeeper").toString(), QStringLiteral("憩安"));
        QCOMPARE(keys(":/translations/messages_zh.ini", "messages"),
                 keys(":/translations/messages_en.ini", "messages"));
        QCOMPARE(keys(":/translations/messages_en.ini", "messages").size(), 14);
    }
};

QTEST_MAIN(TestResources)
#include "tst_resources.moc"
