#include "settings/SettingsManager.h"
#include "ui/SettingsDialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

class TestSettingsDialog : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> m_dir;

    QString storePath() const { return m_dir->path() + "/RespiteKeeper/RespiteKeeper.conf"; }
    void store(const QVariantMap& values)
    {
        QSettings s(storePath(), QSettings::IniFormat);
        s.setValue("version", 2);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            s.setValue(it.key(), it.value());
    }
    template <typename T> static T* child(QDialog& dialog, const char* name)
    {
        dialog.show(); // the form is built on the first show
        T* widget = dialog.findChild<T*>(name);
        if (!widget)
            qFatal("no widget %s", name);
        return widget;
    }
    static QSpinBox* spin(QDialog& d, const char* name) { return child<QSpinBox>(d, name); }
    static QPushButton* button(QDialog& d, const char* name) { return child<QPushButton>(d, name); }
    // Answers the next modal question box with the given button.
    static void answerQuestion(QMessageBox::StandardButton answer)
    {
        QTimer::singleShot(0, [answer] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            QVERIFY(box);
            QCOMPARE(box->text(), QStringLiteral("Reset all settings to defaults?"));
            QCOMPARE(box->windowModality(), Qt::WindowModal); // a break screen still takes clicks
            box->button(answer)->click();
        });
    }

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, m_dir->path());
    }

    void buildsTheNamedTree()
    {
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        QCOMPARE(dialog.objectName(), QStringLiteral("RespiteKeeperSettings"));
        QCOMPARE(dialog.minimumSize(), QSize(480, 500));
        QCOMPARE(dialog.windowTitle(), QStringLiteral("RespiteKeeper Settings"));
        auto* tabs = child<QTabWidget>(dialog, "tabWidget");
        QCOMPARE(tabs->count(), 4);
        QCOMPARE(tabs->currentIndex(), 0);
        const QStringList titles{"General", "Appearance", "Shutdown", "About"};
        const QStringList names{"generalTab", "appearanceTab", "shutdownTab", "aboutTab"};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(tabs->tabText(i), titles.at(i));
            QCOMPARE(tabs->widget(i)->objectName(), names.at(i));
        }
        auto* breakLayout = child<QFormLayout>(dialog, "formLayout_break");
        QCOMPARE(breakLayout->horizontalSpacing(), 12);
        QCOMPARE(breakLayout->verticalSpacing(), 14);
        QCOMPARE(child<QFormLayout>(dialog, "formLayout_options")->verticalSpacing(), 10);
        QCOMPARE(breakLayout->itemAt(0, QFormLayout::FieldRole)->widget(), spin(dialog, "m_microBreakIntervalSpin"));
        QCOMPARE(spin(dialog, "m_microBreakIntervalSpin")->maximum(), 120);
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->minimum(), 5);
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->maximum(), 300);
        QCOMPARE(spin(dialog, "m_longBreakIntervalSpin")->maximum(), 480);
        QCOMPARE(spin(dialog, "m_longBreakDurationSpin")->maximum(), 60);
        QCOMPARE(spin(dialog, "m_shutdownHourSpin")->maximum(), 23);
        QCOMPARE(spin(dialog, "m_shutdownMinuteSpin")->maximum(), 59);
        QCOMPARE(spin(dialog, "m_microBreakIntervalSpin")->suffix(), QStringLiteral(" minutes"));
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->suffix(), QStringLiteral(" seconds"));
        QCOMPARE(spin(dialog, "m_longBreakDurationSpin")->suffix(), QStringLiteral(" minutes"));
        QCOMPARE(child<QCheckBox>(dialog, "m_autoStartCheckBox")->text(),
                 QStringLiteral("Start RespiteKeeper when system starts"));
        auto* combo = child<QComboBox>(dialog, "m_languageCombo");
        QCOMPARE(combo->count(), 3);
        QCOMPARE(combo->itemText(2), QStringLiteral("Chinese"));
        QCOMPARE(combo->itemData(0).toString(), QStringLiteral("system"));
        QCOMPARE(combo->itemData(1).toString(), QStringLiteral("en"));
        QCOMPARE(combo->itemData(2).toString(), QStringLiteral("zh"));
        auto* email = child<QLabel>(dialog, "m_emailLabel");
        QVERIFY(email->openExternalLinks());
        QVERIFY(email->text().startsWith("Email: <a href=\"mailto:"));
        QCOMPARE(email->palette().color(QPalette::Link), QColor("#0078d4"));
        QCOMPARE(child<QLabel>(dialog, "m_versionLabel")->text(), QStringLiteral("Version 1.0.0"));
        QCOMPARE(button(dialog, "m_colorPickButton")->minimumHeight(), 30);
        auto* buttons = child<QHBoxLayout>(dialog, "horizontalLayout_buttons");
        QCOMPARE(buttons->itemAt(0)->widget(), button(dialog, "m_resetButton"));
        QVERIFY(buttons->itemAt(1)->spacerItem());
        QCOMPARE(buttons->itemAt(4)->widget(), button(dialog, "m_cancelButton"));
    }

    void showsTimesInTheirUnits()
    {
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        QCOMPARE(spin(dialog, "m_microBreakIntervalSpin")->value(), 20);
        QCOMPARE(spin(dialog, "m_longBreakIntervalSpin")->value(), 60);
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->value(), 20);
        QCOMPARE(spin(dialog, "m_longBreakDurationSpin")->value(), 5);
    }

    void partMinutesAreTruncatedAndWrittenBackWhole()
    {
        store({{"microBreakInterval", 90}, {"longBreakInterval", 3600}});
        SettingsManager settings;
        settings.load();
        SettingsDialog dialog(&settings);
        QCOMPARE(spin(dialog, "m_microBreakIntervalSpin")->value(), 1);
        button(dialog, "m_applyButton")->click();
        QCOMPARE(settings.microBreakInterval(), 60);
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).value("microBreakInterval").toInt(), 60);
    }

    void intervalsStayCoupled()
    {
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        QSpinBox* micro = spin(dialog, "m_microBreakIntervalSpin");
        QSpinBox* longer = spin(dialog, "m_longBreakIntervalSpin");
        longer->setValue(50);
        QCOMPARE(longer->value(), 40);
        longer->setValue(60);
        micro->setValue(25);
        QCOMPARE(longer->value(), 50);
        micro->setValue(20);
        longer->setValue(10);
        QCOMPARE(longer->value(), 20);
        longer->setValue(100);
        micro->setValue(120);
        QCOMPARE(longer->value(), 120);

        // Each keystroke snaps: with micro 20, a first digit 5 becomes 20.
        micro->setValue(20);
        longer->setValue(60);
        longer->setFocus();
        auto* edit = longer->findChild<QLineEdit*>();
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_5);
        QCOMPARE(longer->value(), 20);
    }

    void applyWritesThroughTheSettersAndAnnouncesOnce()
    {
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        QSignalSpy changed(&settings, &SettingsManager::settingsChanged);
        spin(dialog, "m_microBreakIntervalSpin")->setValue(30);
        spin(dialog, "m_microBreakDurationSpin")->setValue(45);
        spin(dialog, "m_longBreakDurationSpin")->setValue(10);
        child<QCheckBox>(dialog, "m_postponeCheckBox")->setChecked(false);
        child<QCheckBox>(dialog, "m_shutdownEnabledCheckBox")->setChecked(true);
        spin(dialog, "m_shutdownHourSpin")->setValue(21);
        spin(dialog, "m_shutdownMinuteSpin")->setValue(45);
        child<QComboBox>(dialog, "m_languageCombo")->setCurrentIndex(2);
        button(dialog, "m_applyButton")->click();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(settings.microBreakInterval(), 1800);
        QCOMPARE(settings.longBreakInterval(), 3600);
        QCOMPARE(settings.microBreakDuration(), 45);
        QCOMPARE(settings.longBreakDuration(), 600);
        QVERIFY(!settings.postponeEnabled());
        QVERIFY(settings.shutdownEnabled());
        QCOMPARE(settings.shutdownHour(), 21);
        QCOMPARE(settings.shutdownMinute(), 45);
        QCOMPARE(settings.language(), QStringLiteral("zh"));
        QSettings stored(storePath(), QSettings::IniFormat);
        QCOMPARE(stored.value("microBreakDuration").toInt(), 45);
        QCOMPARE(stored.value("language").toString(), QStringLiteral("zh"));

        // OK applies too and hides the dialog; Apply leaves it open.
        dialog.show();
        button(dialog, "m_applyButton")->click();
        QVERIFY(dialog.isVisible());
        button(dialog, "m_okButton")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(changed.count(), 3);
    }

    void cancelWritesNothing()
    {
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        QSignalSpy changed(&settings, &SettingsManager::settingsChanged);
        dialog.show();
        spin(dialog, "m_microBreakDurationSpin")->setValue(99);
        button(dialog, "m_cancelButton")->click();
        QVERIFY(!dialog.isVisible());
        QCOMPARE(changed.count(), 0);
        QCOMPARE(settings.microBreakDuration(), 20);
        QVERIFY(!QFile::exists(storePath()));
        // The abandoned edit is still there when the dialog shows again.
        dialog.show();
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->value(), 99);
    }

    void resetAsksFirst()
    {
        store({{"microBreakDuration", 40}, {"backgroundColor", "#ff0000"}});
        SettingsManager settings;
        settings.load();
        SettingsDialog dialog(&settings);
        dialog.show();
        QSignalSpy changed(&settings, &SettingsManager::settingsChanged);

        answerQuestion(QMessageBox::No);
        button(dialog, "m_resetButton")->click();
        QCOMPARE(changed.count(), 0);
        QCOMPARE(settings.microBreakDuration(), 40);
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->value(), 40);

        answerQuestion(QMessageBox::Yes);
        button(dialog, "m_resetButton")->click();
        QCOMPARE(changed.count(), 1);
        QCOMPARE(settings.microBreakDuration(), 20);
        QCOMPARE(spin(dialog, "m_microBreakDurationSpin")->value(), 20);
        QCOMPARE(button(dialog, "m_colorPickButton")->text(), QStringLiteral("#0078d4"));
        QCOMPARE(QSettings(storePath(), QSettings::IniFormat).value("microBreakDuration").toInt(), 20);
    }

    void colourButtonShowsNameAndSwatch()
    {
        store({{"backgroundColor", "#FF8000"}});
        SettingsManager settings;
        settings.load();
        SettingsDialog dialog(&settings);
        QPushButton* colour = button(dialog, "m_colorPickButton");
        QCOMPARE(colour->text(), QStringLiteral("#ff8000"));
        const QImage swatch = colour->icon().pixmap(20, 20).toImage();
        QCOMPARE(swatch.pixelColor(10, 10), QColor(255, 128, 0));
    }

    // Window-modal, so that a break screen coming up meanwhile is not blocked.
    void thePickerBlocksOnlyTheDialog()
    {
        SettingsManager settings;
        SettingsDialog dialog(&settings);
        dialog.show();
        QTimer::singleShot(0, [] {
            auto* picker = qobject_cast<QColorDialog*>(QApplication::activeModalWidget());
            QVERIFY(picker);
            QCOMPARE(picker->windowModality(), Qt::WindowModal);
            picker->setCurrentColor(QColor(0x12, 0x34, 0x56));
            picker->accept();
        });
        button(dialog, "m_colorPickButton")->click();
        QCOMPARE(button(dialog, "m_colorPickButton")->text(), QStringLiteral("#123456"));
    }

    void unknownStoredLanguageLeavesTheSelection()
    {
        store({{"language", "fr"}});
        SettingsManager settings;
        settings.load();
        SettingsDialog dialog(&settings);
        QCOMPARE(child<QComboBox>(dialog, "m_languageCombo")->currentIndex(), 0);
        store({{"language", "EN"}});
        settings.load();
        SettingsDialog again(&settings);
        QCOMPARE(child<QComboBox>(again, "m_languageCombo")->currentIndex(), 0);
    }
};

QTEST_MAIN(TestSettingsDialog)
#include "tst_settingsdialog.moc"
