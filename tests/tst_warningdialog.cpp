#include "TestHelpers.h"
#include "settings/SettingsManager.h"
#include "ui/WarningDialog.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class TestWarningDialog : public QObject
{
    Q_OBJECT

private:
    struct Popup
    {
        SettingsManager settings;
        WarningDialog dialog{&settings};
        QString title() const { return dialog.findChild<QLabel*>("titleLabel")->text(); }
        QString count() const { return dialog.findChild<QLabel*>("countdownLabel")->text(); }
        QString message() const { return dialog.findChild<QLabel*>("messageLabel")->text(); }
        QPushButton* button() const { return dialog.findChild<QPushButton*>("postponeButton"); }
        void tick(int n = 1)
        {
            for (int i = 0; i < n; ++i)
                QMetaObject::invokeMethod(&dialog, "onTick", Qt::DirectConnection);
        }
    };

private slots:
    void countdownTextForms_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("a minute reads as seconds") << 60 << "60";
        QTest::newRow("small count") << 5 << "5";
        QTest::newRow("just over a minute") << 61 << "01:01";
        QTest::newRow("minutes and seconds") << 75 << "01:15";
        QTest::newRow("an hour") << 3600 << "60:00";
        QTest::newRow("three-digit minutes") << 6000 << "100:00";
        QTest::newRow("zero") << 0 << "0";
        QTest::newRow("negative") << -3 << "-3";
    }

    void countdownTextForms()
    {
        QFETCH(int, seconds);
        QTEST(WarningDialog::countdownText(seconds), "text");
    }

    void countsDownAndHidesItselfWithoutASignal()
    {
        Popup p;
        p.settings.setPostponeEnabled(false);
        QSignalSpy postponed(&p.dialog, &WarningDialog::postponeRequested);
        p.dialog.showWarning(Micro, 10);
        QVERIFY(p.dialog.isVisible());
        QVERIFY(!p.button()->isVisibleTo(&p.dialog));
        QCOMPARE(p.title(), QStringLiteral("Micro Break Starting"));
        QCOMPARE(p.message(), QStringLiteral("Your break will begin in..."));
        QCOMPARE(p.count(), QStringLiteral("10"));
        p.tick(9);
        QCOMPARE(p.count(), QStringLiteral("1"));
        QVERIFY(p.dialog.isVisible());
        p.tick();
        QVERIFY(!p.dialog.isVisible());
        QCOMPARE(postponed.count(), 0);

        p.dialog.showWarning(Long, 61);
        QCOMPARE(p.title(), QStringLiteral("Long Break Starting"));
        QCOMPARE(p.count(), QStringLiteral("01:01"));
        p.tick();
        QCOMPARE(p.count(), QStringLiteral("60"));
        p.dialog.hideWarning();
        QVERIFY(!p.dialog.isVisible());
    }

    void zeroCountHidesAtTheFirstTick()
    {
        Popup p;
        p.dialog.showWarning(Micro, 0);
        QCOMPARE(p.count(), QStringLiteral("0"));
        p.tick();
        QVERIFY(!p.dialog.isVisible());
    }

    void postponeHidesFirstThenEmits()
    {
        Popup p;
        p.dialog.showWarning(Micro, 10);
        QVERIFY(p.button()->isVisible());
        bool visibleWhenEmitted = true;
        connect(&p.dialog, &WarningDialog::postponeRequested, [&] { visibleWhenEmitted = p.dialog.isVisible(); });
        QSignalSpy postponed(&p.dialog, &WarningDialog::postponeRequested);
        QTest::mouseClick(p.button(), Qt::LeftButton);
        QCOMPARE(postponed.count(), 1);
        QVERIFY(!visibleWhenEmitted);
    }

    void shutdownWarningAlwaysOffersPostpone()
    {
        Popup p;
        p.settings.setPostponeEnabled(false);
        QCOMPARE(p.dialog.objectName(), QString());
        p.dialog.showShutdownWarning(20);
        QCOMPARE(p.dialog.objectName(), QStringLiteral("shutdownWarning"));
        QVERIFY(p.button()->isVisible());
        QCOMPARE(p.title(), QStringLiteral("Shutting down soon"));
        QCOMPARE(p.message(), QStringLiteral("Your computer will shut down soon"));
        QCOMPARE(p.count(), QStringLiteral("20"));

        QSignalSpy postponed(&p.dialog, &WarningDialog::postponeRequested);
        p.button()->click();
        QCOMPARE(postponed.count(), 1);
        QVERIFY(!p.dialog.isVisible());
        QCOMPARE(p.dialog.objectName(), QString());

        // The name goes with the shutdown warning whichever way it ends.
        p.dialog.showShutdownWarning(2);
        p.tick(2);
        QCOMPARE(p.dialog.objectName(), QString());
        p.dialog.showShutdownWarning(20);
        p.dialog.showWarning(Micro, 10);
        QCOMPARE(p.title(), QStringLiteral("Micro Break Starting"));
        QVERIFY(!p.button()->isVisible());
    }

    void sitsInTheBottomRightCornerOfTheAvailableArea()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1920, 1040));
        Popup p;
        p.dialog.showWarning(Micro, 10);
        QCOMPARE(p.dialog.geometry(), QRect(1539, 879, 360, 140));
        QCOMPARE(p.dialog.windowFlags() & 0xFFFFF, Qt::WindowFlags(0x4080B));
        QVERIFY(p.dialog.testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(p.dialog.testAttribute(Qt::WA_TranslucentBackground));
        p.dialog.showShutdownWarning(20);
        QCOMPARE(p.dialog.geometry(), QRect(1539, 879, 360, 140));
    }

    void languageChangeWhileHiddenOnlyRenamesTheButton()
    {
        Popup p;
        p.dialog.showWarning(Micro, 10);
        p.dialog.hideWarning();
        p.settings.setPostponeEnabled(false);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(p.button()->text(), QStringLiteral("[Postpone]"));
        QVERIFY(!p.button()->isVisibleTo(&p.dialog));
        QCOMPARE(p.title(), QStringLiteral("Micro Break Starting"));
        switchTranslator(&translator, false);
    }

    void languageChangeWhileVisibleReTextsTheWarning()
    {
        Popup p;
        p.dialog.showWarning(Long, 10);
        p.tick(3);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(p.title(), QStringLiteral("[Long Break Starting]"));
        QCOMPARE(p.message(), QStringLiteral("[Your break will begin in...]"));
        QCOMPARE(p.count(), QStringLiteral("7"));
        switchTranslator(&translator, false);

        p.dialog.showShutdownWarning(20);
        switchTranslator(&translator, true);
        QCOMPARE(p.title(), QStringLiteral("[Shutting down soon]"));
        QCOMPARE(p.message(), QStringLiteral("[Your computer will shut down soon]"));
        QVERIFY(p.button()->isVisible());
        switchTranslator(&translator, false);
    }
};

QTEST_MAIN(TestWarningDialog)
#include "tst_warningdialog.moc"
