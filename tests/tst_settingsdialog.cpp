#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"

#include <QApplication>
#include <QColorDialog>
#include <QMessageBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>

namespace {

// A shown dialog on settings loaded from what the test stored.
struct Dialog : LoadedSettings
{
    SettingsDialog dialog{&settings};
    QSignalSpy changed{&settings, &SettingsManager::settingsChanged};

    explicit Dialog(const QVariantMap& values = {})
        : LoadedSettings(values)
    {
        dialog.show();
    }
    QSpinBox* spin(const char* name) const { return child<QSpinBox>(&dialog, name); }
    void click(const char* button) const { child<QPushButton>(&dialog, button)->click(); }
    // The times as shown (micro and long interval, micro and long duration), the
    // colour button's text and the language chosen.
    QString form() const
    {
        QStringList values;
        for (const char* name : {"m_microBreakIntervalSpin", "m_longBreakIntervalSpin", "m_microBreakDurationSpin",
                                 "m_longBreakDurationSpin"})
            values << QString::number(spin(name)->value());
        return values.join(' ') + " " + child<QPushButton>(&dialog, "m_colorPickButton")->text() + " " +
               QString::number(child<QComboBox>(&dialog, "m_languageCombo")->currentIndex());
    }
};

// Answers the next dialog, which must be window-modal (a break screen that comes
// up meanwhile still takes the user's clicks).
template <typename T> void answerNext(std::function<void(T*)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY(box && box->windowModality() == Qt::WindowModal);
        answer(box);
    });
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    // With the program's style sheet, every page's tab is in view at once, without
    // scroll arrows, in either language and after a switch between them.
    void everyTabIsInViewAtOnce()
    {
        QFile sheet(":/resources/style.qss");
        QVERIFY(sheet.open(QIODevice::ReadOnly));
        qApp->setStyleSheet(QString::fromUtf8(sheet.readAll()));
        Dialog d;
        auto* tabs = child<QTabWidget>(&d.dialog, "tabWidget");
        const auto allInView = [&] {
            QTabBar* row = tabs->tabBar();
            const QRect last = row->tabRect(row->count() - 1);
            const auto arrows = row->findChildren<QToolButton*>();
            return row->tabRect(0).left() >= 0 && last.right() < row->width() &&
                   std::none_of(arrows.begin(), arrows.end(), [](QToolButton* b) { return b->isVisible(); });
        };
        QVERIFY(QTest::qWaitForWindowExposed(&d.dialog));
        QTRY_VERIFY(allInView());
        const int english = d.dialog.width();
        CustomTranslator chinese("zh");
        QCoreApplication::installTranslator(&chinese);
        QTRY_VERIFY(allInView());
        QCOMPARE(d.dialog.width(), english); // it never shrinks under the user's hands
        QCoreApplication::removeTranslator(&chinese);
        qApp->setStyleSheet(QString());
    }

    // Times in their units, whole minutes written back; an unknown language
    // shows as "system". The intervals stay coupled as the settings keep them.
    void showsTimesInTheirUnitsAndWritesWholeMinutesBack()
    {
        Dialog stored({{"microBreakInterval", 90}, {"longBreakDuration", 600}, {"language", "EN"}});
        QCOMPARE(stored.form(), QStringLiteral("1 60 20 10 #0078d4 0"));
        stored.click("m_applyButton");
        QVERIFY(settingsLine(stored.settings).startsWith("60 3600 20 600 "));
        Dialog d;
        QSpinBox *micro = d.spin("m_microBreakIntervalSpin"), *longer = d.spin("m_longBreakIntervalSpin");
        QStringList seen;
        for (auto [spin, value] : {std::pair{longer, 50}, {micro, 25}, {micro, 20}, {longer, 10}, {micro, 30}}) {
            spin->setValue(value);
            seen << QString::number(longer->value());
        }
        QCOMPARE(seen.join(' '), QStringLiteral("40 25 20 20 30"));
        d.spin("m_microBreakDurationSpin")->setValue(45);
        d.spin("m_longBreakDurationSpin")->setValue(10);
        d.spin("m_shutdownHourSpin")->setValue(21);
        d.spin("m_shutdownMinuteSpin")->setValue(45);
        for (const char* box :
             {"m_postponeCheckBox", "m_autoStartCheckBox", "m_idlePauseCheckBox", "m_shutdownEnabledCheckBox"})
            child<QCheckBox>(&d.dialog, box)->toggle();
        child<QComboBox>(&d.dialog, "m_languageCombo")->setCurrentIndex(2);
        d.click("m_applyButton");
        QVERIFY(d.changed.count() == 1 && d.dialog.isVisible());
        QCOMPARE(settingsLine(d.settings), QStringLiteral("1800 1800 45 600 21:45 -M--S zh #0078d4"));
        d.click("m_okButton");
        QVERIFY(d.changed.count() == 2 && !d.dialog.isVisible());
        d.dialog.show(); // Cancel writes nothing
        d.spin("m_microBreakDurationSpin")->setValue(99);
        d.click("m_cancelButton");
        QVERIFY(!d.dialog.isVisible() && d.changed.count() == 2 && d.stored.value("microBreakDuration") == 45);
    }

    // The longest hold is offered only while breaks are held; both are written on
    // Apply, in the user's language (a text with commas, quoted in the file).
    void holdFieldsFollowTheirSwitch()
    {
        for (const char* language : {"en", "zh"}) {
            CustomTranslator translator(language);
            QCoreApplication::installTranslator(&translator);
            Dialog d({{"holdBreaksWhenBusy", false}, {"holdBreaksMaxMinutes", 1}});
            auto* hold = child<QCheckBox>(&d.dialog, "m_holdBreaksCheckBox");
            QSpinBox* most = d.spin("m_holdMaxSpin");
            QCOMPARE(hold->text(), QString::fromUtf8(language == QLatin1String("en")
                                                         ? "Hold breaks during calls and full-screen programs"
                                                         : "通话和全屏程序进行时推迟休息"));
            QVERIFY(!hold->isChecked() && !most->isEnabled() && most->value() == 5);
            hold->setChecked(true);
            QVERIFY(most->isEnabled());
            most->setValue(90);
            d.click("m_applyButton");
            QVERIFY(d.settings.holdBreaksWhenBusy() && d.stored.value("holdBreaksMaxMinutes") == 90);
            QCoreApplication::removeTranslator(&translator);
        }
    }

    // Reset asks first; the colour button shows the chosen colour. (A form built
    // late in another language: the program test.)
    void resetAsksFirstAndColourIsPicked()
    {
        Dialog d({{"microBreakDuration", 40}, {"backgroundColor", "#FF8000"}, {"language", "fr"}});
        auto* colour = child<QPushButton>(&d.dialog, "m_colorPickButton");
        QCOMPARE(colour->icon().pixmap(20, 20).toImage().pixelColor(10, 10), QColor(255, 128, 0));
        for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            answerNext<QMessageBox>([answer](QMessageBox* box) {
                QCOMPARE(box->text(), QStringLiteral("Reset all settings to defaults?"));
                box->button(answer)->click();
            });
            d.click("m_resetButton");
            QCOMPARE(d.form(), answer == QMessageBox::Yes ? "20 60 20 5 #0078d4 0" : "20 60 40 5 #ff8000 0");
        }
        QVERIFY(d.changed.count() == 1 && d.stored.value("microBreakDuration") == 20);
        answerNext<QColorDialog>([](QColorDialog* picker) {
            picker->setCurrentColor(QColor(0x12, 0x34, 0x56));
            picker->accept();
        });
        colour->click();
        QCOMPARE(colour->text(), QStringLiteral("#123456"));
        d.click("m_applyButton");
        QCOMPARE(d.settings.backgroundColor(), QColor(0x12, 0x34, 0x56));
    }

    // A save that cannot write is said in the dialog, in the user's language, and
    // OK leaves it open with the values, which are in use; the next save that
    // works takes the words away and closes it.
    void aFailedSaveIsSaidAndTheDialogStays()
    {
        CustomTranslator chinese("zh");
        QCoreApplication::installTranslator(&chinese);
        Dialog d;
        auto* said = child<QLabel>(&d.dialog, "m_saveErrorLabel");
        d.spin("m_microBreakDurationSpin")->setValue(45);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Settings: could not save"));
        {
            FullDisk full;
            d.click("m_okButton");
        }
        QVERIFY(d.dialog.isVisible() && said->isVisible() &&
                said->text() == "无法将设置保存到 " + d.settings.location() + "。更改只在退出之前有效。");
        QVERIFY(d.spin("m_microBreakDurationSpin")->value() == 45 && d.settings.microBreakDuration() == 45 &&
                d.changed.count() == 1 && readFile(d.stored.path()).contains("\nmicroBreakDuration=20\n"));
        d.click("m_okButton");
        QVERIFY(!d.dialog.isVisible() && !said->isVisibleTo(&d.dialog) && d.stored.value("microBreakDuration") == 45);
        QCoreApplication::removeTranslator(&chinese);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
