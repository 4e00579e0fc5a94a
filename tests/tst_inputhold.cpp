#include "platform/InputHold.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

// Without X11 (here: the offscreen platform) the hold does nothing and says so once.
namespace {
QStringList s_messages;
void collect(QtMsgType, const QMessageLogContext&, const QString& message)
{
    s_messages << message;
}
} // namespace

class TestInputHold : public QObject
{
    Q_OBJECT

private slots:
    void withoutX11TheHoldIsANoOpThatSaysSoOnce()
    {
        auto hold = createInputHold();
        QVERIFY(!hold->canHold());
        QWidget window;
        window.show();
        const QtMessageHandler previous = qInstallMessageHandler(collect);
        hold->setHold(&window, true);
        const bool heldAfterFirst = hold->isHeld();
        hold->setHold(&window, false);
        hold->setHold(&window, true);
        qInstallMessageHandler(previous);
        QVERIFY(!heldAfterFirst);
        QCOMPARE(s_messages.size(), 1);
        QVERIFY(s_messages.first().startsWith("Input hold is not available on the \"offscreen\" platform"));
    }
};

QTEST_MAIN(TestInputHold)
#include "tst_inputhold.moc"
