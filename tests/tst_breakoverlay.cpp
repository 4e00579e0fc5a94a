#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"

#include <QAccessible>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProgressBar>
#include <qpa/qplatformnativeinterface.h>

namespace {
struct Screen : LoadedSettings
{
    FakeInputHold::Log hold;
    BreakOverlay overlay{settings.breakLook()};
    Screen() { overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&hold)); }
    QPushButton* button() const { return child<QPushButton>(&overlay, "postponeButton"); }
    // Countdown, progress, whether the button shows, whether the screen shows and holds the input.
    QString after(int ticks)
    {
        invoke(&overlay, "onCountdownTick", ticks);
        return QStringList{text(&overlay, "countdownLabel"),
                           QString::number(child<QProgressBar>(&overlay, "progressBar")->value()),
                           button()->isVisibleTo(&overlay) ? "button" : "-", overlay.isVisible() ? "shown" : "hidden",
                           hold.held ? "held" : "free"}
            .join('|');
    }
};
} // namespace

// Runs on an offscreen desktop of two monitors: 1920x1080 at (0,0), primary, and
// 2560x1440 at (1920,0).
class TestBreakOverlay : public QObject
{
    Q_OBJECT

private slots:
    // The button shows from the first to the tenth second of a break, while the
    // setting allows, and never comes back later; the count stops at zero, and the
    // scheduler alone ends a break. On all monitors, or the primary one, in the
    // colour set.
    void countdownPostponeButtonAndPlace()
    {
        Screen s;
        s.overlay.showBreak(Long, "Take a walk", 300);
        QCOMPARE(text(&s.overlay, "messageLabel"), QStringLiteral("Take a walk"));
        QCOMPARE(s.overlay.geometry(), QRect(QPoint(0, 0), QPoint(4479, 1439)));
        QCOMPARE(
            QStringList({s.after(0), s.after(1), s.after(8), s.after(1)}).join(", "),
            QStringLiteral("Remaining: 5 m|0|-|shown|held, Remaining: 4 m 59 s|1|button|shown|held, Remaining: 4 m "
                           "51 s|9|button|shown|held, Remaining: 4 m 50 s|10|-|shown|held"));
        s.overlay.hideBreak();
        QCOMPARE(s.after(0), QStringLiteral("Remaining: 4 m 50 s|10|-|hidden|free"));
        s.overlay.setLook({QColor(46, 125, 50), false, true});
        s.overlay.showBreak(Micro, QString(), 300);
        QCOMPARE(s.overlay.geometry(), QRect(0, 0, 1920, 1080));
        QCOMPARE(s.overlay.grab(QRect(0, 0, 50, 50)).toImage().pixelColor(5, 5), QColor(46, 125, 50));
        s.after(3);
        s.overlay.setLook({QColor(46, 125, 50), false, false});
        QCOMPARE(s.after(1), QStringLiteral("Remaining: 4 m 56 s|4|-|shown|held"));
        s.overlay.setLook({QColor(46, 125, 50), false, true});
        QCOMPARE(s.after(10), QStringLiteral("Remaining: 4 m 46 s|14|-|shown|held"));
        s.overlay.showBreak(Micro, QString(), 3);
        QCOMPARE(s.after(10), QStringLiteral("Remaining: 0 s|3|button|shown|held"));
    }

    // A new break while one shows takes the hold afresh; Postpone releases the
    // hold and hides before it is announced; destruction releases too.
    void holdAndPostpone()
    {
        FakeInputHold::Log log;
        {
            Screen s;
            s.overlay.showBreak(Micro, "Stretch", 20);
            const int releases = s.hold.releases;
            s.overlay.showBreak(Long, "Walk", 300);
            QVERIFY(s.hold.held && s.hold.releases > releases);
            QList<bool> heldWhenEmitted;
            connect(&s.overlay, &BreakOverlay::postponeRequested,
                    [&] { heldWhenEmitted << (s.hold.held || s.overlay.isVisible()); });
            s.button()->click();
            QCOMPARE(heldWhenEmitted, QList<bool>{false});
            s.overlay.setInputHoldBackend(std::make_unique<FakeInputHold>(&log));
            s.overlay.showBreak(Micro, QString(), 20);
            QVERIFY(log.held);
        }
        QVERIFY(!log.held);
    }

    // Screen readers hear the break's kind as the screen takes the focus, its message
    // as the description, the bar by name and value; when Postpone goes with the
    // focus on it, the focus comes back to the break screen.
    void announcedToScreenReaders()
    {
        Screen s;
        s.overlay.showBreak(Long, "Take a walk", 300);
        QAccessibleInterface* screen = QAccessible::queryAccessibleInterface(&s.overlay);
        QAccessibleInterface* bar =
            QAccessible::queryAccessibleInterface(child<QProgressBar>(&s.overlay, "progressBar"));
        s.after(3);
        QCOMPARE(screen->role(), QAccessible::Window);
        QCOMPARE((QStringList{screen->text(QAccessible::Name), screen->text(QAccessible::Description),
                              bar->text(QAccessible::Name), bar->valueInterface()->currentValue().toString()}),
                 (QStringList{"Long Break in progress", "Take a walk", "Break progress", "3"}));
        QVERIFY(QTest::qWaitForWindowActive(&s.overlay));
        s.button()->setFocus(Qt::TabFocusReason);
        QVERIFY(s.button()->hasFocus());
        QCOMPARE(s.after(7), QStringLiteral("Remaining: 4 m 50 s|10|-|shown|held"));
        QCOMPARE(QApplication::focusWidget(), &s.overlay);
        s.overlay.showBreak(Micro, "Stretch", 20);
        QCOMPARE(screen->text(QAccessible::Name), QStringLiteral("Micro Break in progress"));
        CustomTranslator* translator = nullptr;
        applyLanguage(translator, QStringLiteral("zh"));
        QTRY_COMPARE(screen->text(QAccessible::Name), QStringLiteral("小休进行中"));
        QCOMPARE(bar->text(QAccessible::Name), QStringLiteral("休息进度"));
        delete translator;
    }

    // A monitor narrower than the bar and its margins (a small one, or one scaled
    // up) comes during a break: the window takes its size, no more, and the bar
    // fits in it.
    void narrowScreen()
    {
        auto* native = QGuiApplication::platformNativeInterface();
        using Configure = void (*)(const QJsonObject&, QPlatformNativeInterface*);
        using Configuration = QJsonObject (*)(QPlatformNativeInterface*);
        const auto configure = reinterpret_cast<Configure>(native->nativeResourceForIntegration("setConfiguration"));
        const QJsonObject twoScreens =
            reinterpret_cast<Configuration>(native->nativeResourceForIntegration("configuration"))(native);
        Screen s;
        s.overlay.showBreak(Micro, "Stretch", 20);
        configure(QJsonDocument::fromJson(R"({"screens": [{"name": "left", "width": 640, "height": 480}]})").object(),
                  native);
        QTRY_COMPARE(s.overlay.geometry(), QRect(0, 0, 640, 480));
        const QRect bar = child<QProgressBar>(&s.overlay, "progressBar")->geometry();
        configure(twoScreens, native);
        QVERIFY2(QRect(0, 0, 640, 480).contains(bar), qPrintable(QDebug::toString(bar)));
    }
};

QTEST_MAIN(TestBreakOverlay)
#include "tst_breakoverlay.moc"
