#include "TestHelpers.h"

#include <QAccessible>
#include <QMetaEnum>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>
#include <utility>

namespace {
// What the accessibility bridge is told while this lives, as if a screen reader
// listened: event and object, in one "Event objectName" line each (the class name
// for an unnamed object).
struct AccessibleEvents
{
    static inline QStringList* log = nullptr;
    QStringList events;
    QAccessible::UpdateHandler previous;
    AccessibleEvents()
    {
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
        log = &events;
        previous = QAccessible::installUpdateHandler([](QAccessibleEvent* event) {
            QObject* object = event->object();
            const QString name = !object                          ? QStringLiteral("-")
                                 : object->objectName().isEmpty() ? object->metaObject()->className()
                                                                  : object->objectName();
            log->append(QMetaEnum::fromType<QAccessible::Event>().valueToKey(event->type()) + (' ' + name));
        });
    }
    ~AccessibleEvents()
    {
        QAccessible::installUpdateHandler(previous);
        QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(false);
        log = nullptr;
    }
    // The events so far, and none after them yet.
    QStringList take() { return std::exchange(events, {}); }
};

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
    // Screen readers hear it though it never takes the focus: an alert named by its
    // title, announced as it shows, its count told each second, gone as the count
    // ends; Postpone takes the bridge's press.
    void announcedToScreenReaders()
    {
        AccessibleEvents events;
        Popup p(true);
        p.dialog.showWarning(Long, 2);
        QAccessibleInterface* popup = QAccessible::queryAccessibleInterface(&p.dialog);
        QCOMPARE(popup->role(), QAccessible::AlertMessage);
        QCOMPARE(popup->text(QAccessible::Name), QStringLiteral("Long Break Starting"));
        QVERIFY(events.take().contains("Alert WarningDialog"));
        p.after(1);
        QVERIFY(events.take().contains("NameChanged countdownLabel"));
        p.after(1);
        QVERIFY(events.take().contains("ObjectHide WarningDialog"));
        p.dialog.showShutdownWarning(20);
        QCOMPARE(popup->text(QAccessible::Name), QStringLiteral("Shutting down soon"));
        QVERIFY(events.take().contains("Alert shutdownWarning"));
        QAccessibleInterface* button = QAccessible::queryAccessibleInterface(p.button());
        QVERIFY(!button->state().focusable && !QApplication::focusWidget());
        button->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(p.shownWhenPostponed, QList<bool>{false}); // a click that the button animates
    }
};

QTEST_MAIN(TestWarningDialog)
#include "tst_warningdialog.moc"
