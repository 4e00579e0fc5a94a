#include "TestHelpers.h"
#include "settings/SettingsManager.h"
#include "ui/WarningDialog.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

namespace {
struct Popup
{
    StoredSettings stored;
    SettingsManager settings;
    WarningDialog dialog{&settings};
    QString text(const char* label) const { return dialog.findChild<QLabel*>(label)->text(); }
    QPushButton* button() const { return dialog.findChild<QPushButton*>("postponeButton"); }
    void tick(int n = 1)
    {
        for (int i = 0; i < n; ++i)
            QMetaObject::invokeMethod(&dialog, "onTick", Qt::DirectConnection);
    }
};
} // namespace

class TestWarningDialog : public QObject
{
    Q_OBJECT

private slots:
    void countdownTextForms_data()
    {
        QTest::addColumn<int>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("a minute reads as seconds") << 60 << "60";
        QTest::newRow("just over a minute") << 61 << "01:01";
        QTest::newRow("three-digit minutes") << 6000 << "100:00";
        QTest::newRow("zero") << 0 << "0";
    }

    void countdownTextForms()
    {
        QFETCH(int, seconds);
        QTEST(WarningDialog::countdownText(seconds), "text");
    }

    // In the bottom right corner of the available area; it counts down and hides
    // itself, without a signal.
    void countsDownAndHidesItself()
    {
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1920, 1040));
        Popup p;
        p.settings.setPostponeEnabled(false);
        QSignalSpy postponed(&p.dialog, &WarningDialog::postponeRequested);
        p.dialog.showWarning(Micro, 10);
        QCOMPARE(p.dialog.geometry(), QRect(1539, 879, 360, 140));
        QVERIFY(p.dialog.testAttribute(Qt::WA_ShowWithoutActivating));
        QVERIFY(!p.button()->isVisibleTo(&p.dialog));
        QCOMPARE(p.text("titleLabel"), QStringLiteral("Micro Break Starting"));
        p.tick(9);
        QCOMPARE(p.text("countdownLabel"), QStringLiteral("1"));
        p.tick();
        QVERIFY(!p.dialog.isVisible());
        p.dialog.showWarning(Long, 61);
        QCOMPARE(p.text("titleLabel"), QStringLiteral("Long Break Starting"));
        p.tick();
        QCOMPARE(p.text("countdownLabel"), QStringLiteral("60"));
        QCOMPARE(postponed.count(), 0);
    }

    void postponeHidesFirstThenEmits()
    {
        Popup p;
        p.dialog.showWarning(Micro, 10);
        bool visibleWhenEmitted = true;
        connect(&p.dialog, &WarningDialog::postponeRequested, [&] { visibleWhenEmitted = p.dialog.isVisible(); });
        QTest::mouseClick(p.button(), Qt::LeftButton);
        QVERIFY(!visibleWhenEmitted);
    }

    // The shutdown warning always offers Postpone, and its name (which the style
    // sheet colours it by) goes with it whichever way it ends.
    void shutdownWarningAlwaysOffersPostpone()
    {
        Popup p;
        p.settings.setPostponeEnabled(false);
        p.dialog.showShutdownWarning(20);
        QCOMPARE(p.dialog.objectName(), QStringLiteral("shutdownWarning"));
        QVERIFY(p.button()->isVisible());
        QCOMPARE(p.text("messageLabel"), QStringLiteral("Your computer will shut down soon"));
        QSignalSpy postponed(&p.dialog, &WarningDialog::postponeRequested);
        p.button()->click();
        QCOMPARE(postponed.count(), 1);
        QCOMPARE(p.dialog.objectName(), QString());
        p.dialog.showShutdownWarning(2);
        p.tick(2);
        QCOMPARE(p.dialog.objectName(), QString());
        p.dialog.showShutdownWarning(20);
        p.dialog.showWarning(Micro, 10);
        QCOMPARE(p.text("titleLabel"), QStringLiteral("Micro Break Starting"));
        QVERIFY(!p.button()->isVisible());
    }

    void languageChangeReTextsWhatIsShown()
    {
        Popup p;
        p.dialog.showWarning(Long, 10);
        p.tick(3);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(p.text("titleLabel"), QStringLiteral("[Long Break Starting]"));
        QCOMPARE(p.text("countdownLabel"), QStringLiteral("7"));
        switchTranslator(&translator, false);
        p.dialog.showShutdownWarning(20);
        switchTranslator(&translator, true);
        QCOMPARE(p.text("titleLabel"), QStringLiteral("[Shutting down soon]"));
        switchTranslator(&translator, false);
        // Hidden: only the button's text, and its visibility by the setting.
        p.dialog.hideWarning();
        p.settings.setPostponeEnabled(false);
        switchTranslator(&translator, true);
        QCOMPARE(p.button()->text(), QStringLiteral("[Postpone]"));
        QVERIFY(!p.button()->isVisibleTo(&p.dialog));
        QCOMPARE(p.text("titleLabel"), QStringLiteral("Shutting down soon"));
        switchTranslator(&translator, false);
    }
};

QTEST_MAIN(TestWarningDialog)
#include "tst_warningdialog.moc"
