#include "TestHelpers.h"

namespace {
struct Popup
{
    WarningDialog dialog;
    QList<bool> shownWhenPostponed; // per Postpone signal: whether the popup still showed
    QMetaObject::Connection recording = QObject::connect(&dialog, &WarningDialog::postponeRequested,
                                                         [this] { shownWhenPostponed << dialog.isVisible(); });
    explicit Popup(bool postponeEnabled) { dialog.setPostponeEnabled(postponeEnabled); }
    QPushButton* button() const { return child<QPushButton>(&dialog, "postponeButton"); }
    // Title, countdown, whether the button and the popup show, and its name, after some ticks.
    QString after(int ticks)
    {
        invoke(&dialog, "onTick", ticks);
        return QStringList{text(&dialog, "titleLabel"), text(&dialog, "countdownLabel"),
                           button()->isVisibleTo(&dialog) ? "button" : "-", dialog.isVisible() ? "shown" : "hidden",
                           dialog.objectName()}
            .join('|');
    }
};
} // namespace

// Runs on one offscreen screen of 1920x1080 with 1920x1040 available.
class TestWarningDialog : public QObject
{
    Q_OBJECT

private slots:
    // In the bottom right corner, without taking the focus; it counts down and
    // hides itself without a signal. Postpone hides first, then emits.
    void countsDownAndHidesItself()
    {
        QCOMPARE((QStringList{WarningDialog::countdownText(60), WarningDialog::countdownText(61),
                              WarningDialog::countdownText(6000), WarningDialog::countdownText(0)}),
                 (QStringList{"60", "01:01", "100:00", "0"}));
        Popup p(false);
        p.dialog.showWarning(Micro, 10);
        QVERIFY(p.dialog.geometry() == QRect(1539, 879, 360, 140) &&
                p.dialog.testAttribute(Qt::WA_ShowWithoutActivating));
        QCOMPARE(p.after(9), QStringLiteral("Micro Break Starting|1|-|shown|"));
        QCOMPARE(p.after(1), QStringLiteral("Micro Break Starting|1|-|hidden|"));
        p.dialog.showWarning(Long, 61);
        QCOMPARE(p.after(1), QStringLiteral("Long Break Starting|60|-|shown|"));
        p.dialog.setPostponeEnabled(true);
        p.dialog.showWarning(Micro, 10);
        QTest::mouseClick(p.button(), Qt::LeftButton);
        QCOMPARE(p.shownWhenPostponed, QList<bool>{false}); // and the countdown's end sent none
    }

    // Always with Postpone; red by its name, which goes with it whichever way it
    // ends, also when a break warning takes its place.
    void shutdownWarning()
    {
        Popup p(false);
        p.dialog.showShutdownWarning(20);
        QCOMPARE(p.after(0), QStringLiteral("Shutting down soon|20|button|shown|shutdownWarning"));
        p.button()->click();
        QCOMPARE(p.after(0), QStringLiteral("Shutting down soon|20|button|hidden|"));
        p.dialog.showShutdownWarning(2);
        QCOMPARE(p.after(2), QStringLiteral("Shutting down soon|1|button|hidden|"));
        p.dialog.showShutdownWarning(20);
        p.dialog.showWarning(Long, 10);
        QCOMPARE(p.after(3), QStringLiteral("Long Break Starting|7|-|shown|"));
    }
};

QTEST_MAIN(TestWarningDialog)
#include "tst_warningdialog.moc"
