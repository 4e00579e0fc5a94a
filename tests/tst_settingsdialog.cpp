#include "TestHelpers.h"
#include "settings/SettingsManager.h"
#include "ui/SettingsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTest>
#include <QTimer>

namespace {

// A shown dialog on settings loaded from what the test stored.
struct Dialog
{
    StoredSettings stored;
    SettingsManager settings;
    SettingsDialog dialog{&settings};

    explicit Dialog(const QVariantMap& values = {})
        : stored(values)
    {
        settings.load();
        dialog.show();
    }
    template <typename T = QSpinBox> T* child(const char* name) const
    {
        T* widget = dialog.findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    void click(const char* button) const { child<QPushButton>(button)->click(); }
};

// Answers the next window-modal dialog (it must be one: a break screen that comes
// up meanwhile still takes the user's clicks).
template <typename T> void answerNext(std::function<void(T*)> answer)
{
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<T*>(QApplication::activeModalWidget());
        QVERIFY(box);
        QCOMPARE(box->windowModality(), Qt::WindowModal);
        answer(box);
    });
}

} // namespace

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private slots:
    void showsTimesInTheirUnitsAndWritesWholeMinutesBack()
    {
        Dialog d({{"microBreakInterval", 90}, {"longBreakDuration", 600}});
        QCOMPARE(d.child("m_microBreakIntervalSpin")->value(), 1);
        QCOMPARE(d.child("m_longBreakIntervalSpin")->value(), 60);
        QCOMPARE(d.child("m_microBreakDurationSpin")->value(), 20);
        QCOMPARE(d.child("m_longBreakDurationSpin")->value(), 10);
        QCOMPARE(d.child("m_microBreakDurationSpin")->suffix(), QStringLiteral(" seconds"));
        d.click("m_applyButton");
        QCOMPARE(d.settings.microBreakInterval(), 60);
        QCOMPARE(d.settings.longBreakDuration(), 600);
        QCOMPARE(d.stored.value("microBreakInterval").toInt(), 60);
    }

    void intervalsStayCoupled()
    {
        Dialog d;
        QSpinBox* micro = d.child("m_microBreakIntervalSpin");
        QSpinBox* longer = d.child("m_longBreakIntervalSpin");
        longer->setValue(50);
        QCOMPARE(longer->value(), 40);
        micro->setValue(25);
        QCOMPARE(longer->value(), 25);
        micro->setValue(20);
        longer->setValue(10);
        QCOMPARE(longer->value(), 20);
        micro->setValue(120);
        QCOMPARE(longer->value(), 120);
        // Each keystroke snaps: with micro 20, a first digit 5 becomes 20.
        micro->setValue(20);
        auto* edit = longer->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_5);
        QCOMPARE(longer->value(), 20);
    }

    void applyAndOkWriteEverythingAndAnnounceOnce()
    {
        Dialog d;
        QSignalSpy changed(&d.settings, &SettingsManager::settingsChanged);
        d.child("m_microBreakIntervalSpin")->setValue(30);
        d.child("m_microBreakDurationSpin")->setValue(45);
        d.child("m_longBreakDurationSpin")->setValue(10);
        for (const char* box : {"m_postponeCheckBox", "m_autoStartCheckBox", "m_idlePauseCheckBox"})
            d.child<QCheckBox>(box)->setChecked(false);
        d.child<QCheckBox>("m_shutdownEnabledCheckBox")->setChecked(true);
        d.child("m_shutdownHourSpin")->setValue(21);
        d.child("m_shutdownMinuteSpin")->setValue(45);
        d.child<QComboBox>("m_languageCombo")->setCurrentIndex(2);
        d.click("m_applyButton");
        QCOMPARE(changed.count(), 1);
        QVERIFY(d.dialog.isVisible());
        const SettingsManager& s = d.settings;
        QCOMPARE((QList<int>{s.microBreakInterval(), s.longBreakInterval(), s.microBreakDuration(),
                             s.longBreakDuration(), s.shutdownHour(), s.shutdownMinute()}),
                 (QList<int>{1800, 3600, 45, 600, 21, 45}));
        QVERIFY(!s.postponeEnabled() && !s.autoStartAtBoot() && !s.idlePauseEnabled() && s.shutdownEnabled());
        QCOMPARE(d.stored.value("language").toString(), QStringLiteral("zh"));
        d.click("m_okButton");
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(changed.count(), 2);
    }

    void cancelWritesNothingAndKeepsTheEdit()
    {
        Dialog d;
        QSignalSpy changed(&d.settings, &SettingsManager::settingsChanged);
        d.child("m_microBreakDurationSpin")->setValue(99);
        d.click("m_cancelButton");
        QVERIFY(!d.dialog.isVisible());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(d.settings.microBreakDuration(), 20);
        QCOMPARE(d.stored.value("microBreakDuration").toInt(), 20);
        d.dialog.show();
        QCOMPARE(d.child("m_microBreakDurationSpin")->value(), 99);
    }

    void resetAsksFirst()
    {
        Dialog d({{"microBreakDuration", 40}, {"backgroundColor", "#ff0000"}});
        QSignalSpy changed(&d.settings, &SettingsManager::settingsChanged);
        for (auto answer : {QMessageBox::No, QMessageBox::Yes}) {
            answerNext<QMessageBox>([answer](QMessageBox* box) {
                QCOMPARE(box->text(), QStringLiteral("Reset all settings to defaults?"));
                box->button(answer)->click();
            });
            d.click("m_resetButton");
            const int expected = answer == QMessageBox::Yes ? 20 : 40;
            QCOMPARE(d.settings.microBreakDuration(), expected);
            QCOMPARE(d.child("m_microBreakDurationSpin")->value(), expected);
        }
        QCOMPARE(changed.count(), 1);
        QCOMPARE(d.child<QPushButton>("m_colorPickButton")->text(), QStringLiteral("#0078d4"));
        QCOMPARE(d.stored.value("microBreakDuration").toInt(), 20);
    }

    void colourButtonShowsTheChosenColour()
    {
        Dialog d({{"backgroundColor", "#FF8000"}});
        auto* colour = d.child<QPushButton>("m_colorPickButton");
        QCOMPARE(colour->text(), QStringLiteral("#ff8000"));
        QCOMPARE(colour->icon().pixmap(20, 20).toImage().pixelColor(10, 10), QColor(255, 128, 0));
        answerNext<QColorDialog>([](QColorDialog* picker) {
            picker->setCurrentColor(QColor(0x12, 0x34, 0x56));
            picker->accept();
        });
        colour->click();
        QCOMPARE(colour->text(), QStringLiteral("#123456"));
        d.click("m_applyButton");
        QCOMPARE(d.settings.backgroundColor(), QColor(0x12, 0x34, 0x56));
    }

    void unknownStoredLanguageSelectsSystem()
    {
        for (const char* language : {"fr", "EN"}) {
            Dialog d({{"language", language}});
            QCOMPARE(d.child<QComboBox>("m_languageCombo")->currentIndex(), 0);
        }
    }

    // The form is built when first shown, after language switches it never saw.
    void aFormBuiltLateHasTheCurrentTexts()
    {
        StoredSettings stored;
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        MarkingTranslator marking;
        switchTranslator(&marking, true);
        dialog.show();
        QCOMPARE(dialog.windowTitle(), QStringLiteral("[RespiteKeeper Settings]"));
        QCOMPARE(dialog.findChild<QPushButton*>("m_applyButton")->text(), QStringLiteral("[Apply]"));
        QCOMPARE(dialog.findChild<QSpinBox*>("m_microBreakIntervalSpin")->suffix(), QStringLiteral(" [minutes]"));
        switchTranslator(&marking, false);
        QCOMPARE(dialog.windowTitle(), QStringLiteral("RespiteKeeper Settings"));
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
