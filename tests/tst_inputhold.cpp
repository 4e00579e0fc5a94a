#include "TestHelpers.h"

#include <QApplication>

class TestInputHold : public QObject
{
    Q_OBJECT

private slots:
    // Without X11 (here: the offscreen platform) the hold does nothing and says so once.
    void withoutX11TheHoldIsANoOpThatSaysSoOnce()
    {
        auto hold = createInputHold();
        QVERIFY(!hold->canHold());
        QWidget window;
        window.show();
        MessageLog log(QtDebugMsg);
        hold->setHold(&window, true);
        QVERIFY(!hold->isHeld());
        hold->setHold(&window, false);
        hold->setHold(&window, true);
        QCOMPARE(log.messages.size(), 1);
        QVERIFY(log.messages.first().startsWith("Input hold is not available on the \"offscreen\" platform"));
    }
};

QTEST_MAIN(TestInputHold)
#include "tst_inputhold.moc"
