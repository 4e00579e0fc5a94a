#include "settings/SettingsManager.h"

#include <QFile>
#include <QSettings>
#include <QTest>

namespace {

struct Row
{
    const char* key;
    const char* chinese;
    const char* english; // null: the key itself
};

// The shipped texts: source text, Chinese, English.
const Row kTranslations[] = {
    {"RespiteKeeper Settings", "憩安设置", "Tolamo Settings"},
    {"minutes", "分钟", nullptr},
    {"seconds", "秒", nullptr},
    {"Micro break interval:", "小休间隔：", nullptr},
    {"Micro break duration:", "小休时长：", nullptr},
    {"Long break interval:", "大休间隔：", nullptr},
    {"Long break duration:", "大休时长：", nullptr},
    {"Break Schedule", "休息计划", nullptr},
    {"Options", "选项", nullptr},
    {"Play sound when breaks start", "休息开始时播放声音", nullptr},
    {"Allow postpone (5 minutes)", "允许推迟（5分钟）", nullptr},
    {"Show break screen on all monitors", "在所有显示器上显示", nullptr},
    {"Start RespiteKeeper when system starts", "开机自动启动", nullptr},
    {"Pause timer when system is idle", "系统空闲时暂停计时", nullptr},
    {"Reset Defaults", "恢复默认", nullptr},
    {"Apply", "应用", nullptr},
    {"OK", "确定", nullptr},
    {"Cancel", "取消", nullptr},
    {"Reset Settings", "重置设置", nullptr},
    {"Reset all settings to defaults?", "确定要将所有设置恢复为默认值吗？", nullptr},
    {"Postpone", "推迟", nullptr},
    {"Remaining: %1", "还剩：%1", nullptr},
    {"Micro Break Starting", "小休即将开始", nullptr},
    {"Long Break Starting", "大休即将开始", nullptr},
    {"Your break will begin in...", "您的休息将在...后开始", nullptr},
    {"Pause for 2 hours", "暂停2小时", nullptr},
    {"Resume", "恢复", nullptr},
    {"Test Micro Break", "测试小休", nullptr},
    {"Test Long Break", "测试大休", nullptr},
    {"Settings...", "设置...", nullptr},
    {"Quit", "退出", nullptr},
    {"RespiteKeeper", "憩安", "Tolamo"},
    {"RespiteKeeper - Paused", "宁憩 - 已暂停", nullptr},
    {"Micro Break starting...", "小休即将开始...", nullptr},
    {"Long Break starting...", "大休即将开始...", nullptr},
    {"Micro Break in progress", "小休进行中", nullptr},
    {"Long Break in progress", "大休进行中", nullptr},
    {"Next micro break in %1", "距离下次小休还有 %1", nullptr},
    {"Next long break in %1", "距离下次大休还有 %1", nullptr},
    {"N/A", "无", nullptr},
    {"General", "常规", nullptr},
    {"Appearance", "外观", nullptr},
    {"Shutdown", "定时关机", nullptr},
    {"About", "关于", nullptr},
    {"Scheduled Shutdown", "定时关机", nullptr},
    {"Enable scheduled shutdown", "启用定时关机", nullptr},
    {"Shutdown time:", "关机时间：", nullptr},
    {"Shutting down soon", "即将关机", nullptr},
    {"Your computer will shut down soon", "您的电脑即将关机", nullptr},
    {"Language:", "语言：", nullptr},
    {"System Default", "系统默认", nullptr},
    {"English", "英文", nullptr},
    {"Chinese", "中文", nullptr},
    {"Background color:", "背景颜色：", nullptr},
    {"Select Background Color", "选择背景颜色", nullptr},
    {"Application:", "应用程序：", nullptr},
    {"Version:", "版本：", nullptr},
    {"Email:", "邮箱：", nullptr},
};

const char* const kMessages[][3] = {
    {"micro1", "Look at something far away for 20 seconds", "远眺20秒放松眼睛"},
    {"micro2", "Roll your shoulders backward 5 times", "向后转肩5次"},
    {"micro3", "Roll your head clockwise 5 times", "顺时针转头5次"},
    {"micro4", "Sit up straight and take 3 deep breaths", "坐直并深呼吸3次"},
    {"micro5", "Stretch your arms upward", "向上伸展双臂"},
    {"micro6", "Stand up and stretch your legs", "站起来伸展双腿"},
    {"micro7", "Close your eyes and relax for a moment", "闭上眼睛放松片刻"},
    {"long1", "Stand up and walk around for a few minutes", "站起来走动几分钟"},
    {"long2", "Do some stretching or yoga", "做些伸展运动或瑜伽"},
    {"long3", "Go get a glass of water", "去喝杯水"},
    {"long4", "Rest your eyes by looking out the window", "眺望窗外让眼睛休息"},
    {"long5", "Take a short walk outside", "到外面散散步"},
    {"long6", "Do some light exercises", "做些轻度运动"},
    {"long7", "Take a few deep breaths and relax", "深呼吸几次并放松"},
};

QByteArray bytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class TestTranslationFiles : public QObject
{
    Q_OBJECT

private slots:
    void filesAreUtf8WithTheirLineEnds_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("header");
        QTest::addColumn<bool>("crlf");
        QTest::newRow("English texts") << ":/translations/translations_en.ini" << QByteArray("[translations]") << false;
        QTest::newRow("Chinese texts") << ":/translations/translations_zh.ini" << QByteArray("[translations]") << false;
        QTest::newRow("English messages") << ":/translations/messages_en.ini" << QByteArray("[messages]") << false;
        QTest::newRow("Chinese messages") << ":/translations/messages_zh.ini" << QByteArray("[messages]") << true;
    }

    void filesAreUtf8WithTheirLineEnds()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, header);
        QFETCH(bool, crlf);
        const QByteArray data = bytes(path);
        QVERIFY(!data.startsWith("\xEF\xBB\xBF"));
        QVERIFY(data.startsWith(header + (crlf ? "\r\n" : "\n")));
        const int lines = data.count('\n');
        QCOMPARE(data.count("\r\n"), crlf ? lines : 0);
        QCOMPARE(QString::fromUtf8(data).toUtf8(), data); // valid UTF-8
    }

    void translationFilesHoldTheTables()
    {
        for (const char* language : {"en", "zh"}) {
            QSettings file(QStringLiteral(":/translations/translations_%1.ini").arg(language), QSettings::IniFormat);
            QCOMPARE(file.status(), QSettings::NoError);
            file.beginGroup("translations");
            QStringList keys = file.allKeys();
            QCOMPARE(keys.size(), int(std::size(kTranslations)) + 3); // and the three duration keys
            for (const Row& row : kTranslations) {
                const QString expected = QString::fromUtf8(
                    QByteArray(language) == "zh" ? row.chinese : (row.english ? row.english : row.key));
                QCOMPARE(file.value(QString::fromUtf8(row.key)).toString(), expected);
            }
        }
    }

    void escapedKeyReadsBackAsItsText()
    {
        // "N/A" is written with the format's escape for its slash.
        QVERIFY(bytes(":/translations/translations_zh.ini").contains("\nN\\A=无\n"));
        QSettings file(":/translations/translations_zh.ini", QSettings::IniFormat);
        file.beginGroup("translations");
        QCOMPARE(file.value("N/A").toString(), QStringLiteral("无"));
    }

    // "%1 " reads as an escaped character code, so these keys never match their
    // source texts and durations keep their English form in both languages.
    void durationKeysNeverMatch()
    {
        for (const char* language : {"en", "zh"}) {
            const QString path = QStringLiteral(":/translations/translations_%1.ini").arg(language);
            for (const char* key : {"%1 s", "%1 m", "%1 m %2 s"})
                QVERIFY2(bytes(path).contains(QByteArray("\n") + key + "="), key);
            QSettings file(path, QSettings::IniFormat);
            file.beginGroup("translations");
            for (const char* key : {"%1 s", "%1 m", "%1 m %2 s"})
                QVERIFY2(!file.contains(key), key);
            QVERIFY(file.contains("Remaining: %1"));
            QVERIFY(file.contains("Next long break in %1"));
        }
    }

    void messageFilesHoldTheMessages()
    {
        for (int zh = 0; zh < 2; ++zh) {
            QSettings file(QStringLiteral(":/translations/messages_%1.ini").arg(zh ? "zh" : "en"),
                           QSettings::IniFormat);
            file.beginGroup("messages");
            QCOMPARE(file.allKeys().size(), int(std::size(kMessages)));
            for (const auto& message : kMessages)
                QCOMPARE(file.value(message[0]).toString(), QString::fromUtf8(message[zh ? 2 : 1]));
        }
    }

    void catalogueFollowsTheLanguage()
    {
        SettingsManager settings;
        settings.setLanguage("zh");
        QCOMPARE(settings.microBreakMessages().size(), 7);
        QCOMPARE(settings.microBreakMessages().first(), QStringLiteral("远眺20秒放松眼睛"));
        QCOMPARE(settings.longBreakMessages().last(), QStringLiteral("深呼吸几次并放松"));
        settings.setLanguage("de"); // no file of its own: English
        QCOMPARE(settings.microBreakMessages().first(), QStringLiteral("Look at something far away for 20 seconds"));
        QCOMPARE(settings.longBreakMessages().size(), 7);
    }
};

QTEST_GUILESS_MAIN(TestTranslationFiles)
#include "tst_translationfiles.moc"
