#include "TestHelpers.h"
#include "ui/WarningDialog.h"

#include <QGuiApplication>
#include <QScreen>

namespace {
struct Popup : LoadedSettings
{
    WarningDialog dialog{&settings};
    QSignalSpy postponed{&dialog, &WarningDialog::postponeRequested};
    QString title() const { return text(&dialog, "titleLabel"); }
    QString countdown() const { return text(&dialog, "countdownLabel"); }
    QPushButton* button() const { return child<QPushButton>(&dialog, "postponeButton"); }
    void tick(int n = 1) { invoke(&dialog, "onTick", n); }
};
} // namespace

class TestWarningDialog : public QObject
{
    Q_OBJECT

private slots:
    // In the bottom right corner of the available area; it counts down and hides
    // itself, without a signal.
    void countsDownAndHidesItself()
    {
        QCOMPARE((QStringList{WarningDialog::countdownText(60), WarningDialog::countdownText(61),
                              WarningDialog::countdownText(6000), WarningDialog::countdownText(0)}),
                 (QStringList{"60", "01:01", "100:00", "0"}));
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry(), QRect(0, 0, 1920, 1040));
        Popup p;
        p.settings.setPostponeEnabled(false);
        p.dialog.showWarning(Micro, 10);
        QCOMPARE(p.dialog.geometry(), QRect(1539, 879, 360, 140));
        QVERIFY(p.dialog.testAttribute(Qt::WA_ShowWithoutActivating) && !p.button()->isVisibleTo(&p.dialog));
        QCOMPARE(p.title(), QStringLiteral("Micro Break Starting"));
        p.tick(9);
        QCOMPARE(p.countdown(), QStringLiteral("1"));
        p.tick();
        QVERIFY(!p.dialog.isVisible());
        p.dialog.showWarning(Long, 61);
        p.tick();
        QCOMPARE(p.title() + " " + p.countdown(), QStringLiteral("Long Break Starting 60"));
        QCOMPARE(p.postponed.count(), 0);
    }

    // Postpone hides first, then emits. The shutdown warning always offers it,
    // and its name (which the style sheet colours it by) goes with it whichever
    // way it ends.
    void postponeAndTheShutdownWarning()
    {
        Popup p;
        p.dialog.showWarning(Micro, 10);
        bool visibleWhenEmitted = true;
        connect(&p.dialog, &WarningDialog::postponeRequested, [&] { visibleWhenEmitted = p.dialog.isVisible(); });
        QTest::mouseClick(p.button(), Qt::LeftButton);
        QVERIFY(p.postponed.count() == 1 && !visibleWhenEmitted);
        p.settings.setPostponeEnabled(false);
        p.dialog.showShutdownWarning(20);
        QVERIFY(p.dialog.objectName() == "shutdownWarning" && p.button()->isVisible());
        QCOMPARE(text(&p.dialog, "messageLabel"), QStringLiteral("Your computer will shut down soon"));
        p.button()->click();
        QVERIFY(p.postponed.count() == 2 && p.dialog.objectName().isEmpty());
        p.dialog.showShutdownWarning(2);
        p.tick(2);
        QVERIFY(p.dialog.objectName().isEmpty());
        p.dialog.showShutdownWarning(20);
        p.dialog.showWarning(Micro, 10);
        QVERIFY(p.title() == "Micro Break Starting" && !p.button()->isVisible());
    }

    void languageChangeReTextsWhatIsShown()
    {
        Popup p;
        p.dialog.showWarning(Long, 10);
        p.tick(3);
        MarkingTranslator translator;
        switchTranslator(&translator, true);
        QCOMPARE(p.title() + " " + p.countdown(), QStringLiteral("[Long Break Starting] 7"));
        switchTranslator(&translator, false);
        p.dialog.showShutdownWarning(20);
        switchTranslator(&translator, true);
        QCOMPARE(p.title(), QStringLiteral("[Shutting down soon]"));
        switchTranslator(&translator, false);
        // Hidden: only the button's text, and its visibility by the setting.
        p.dialog.hideWarning();
        p.settings.setPostponeEnabled(false);
        switchTranslator(&translator, true);
        QVERIFY(p.button()->text() == "[Postpone]" && !p.button()->isVisibleTo(&p.dialog));
        QCOMPARE(p.title(), QStringLiteral("Shutting down soon"));
        switchTranslator(&translator, false);
    }
};

QTEST_MAIN(TestWarningDialog)
#include "tst_warningdialog.moc"
