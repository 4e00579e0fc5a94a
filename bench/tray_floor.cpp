// The floor any Qt tray program stands on: a tray icon and one one-second timer,
// nothing else. scripts/bench-idle measures RespiteKeeper against it.
#include <QApplication>
#include <QIcon>
#include <QPixmap>
#include <QSystemTrayIcon>
#include <QTimer>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    QPixmap picture(32, 32);
    picture.fill(QColor(46, 125, 50));
    QSystemTrayIcon tray{QIcon(picture)};
    tray.show();
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&ticks, &tray] { tray.setToolTip(QString::number(++ticks)); });
    timer.start(1000);
    return app.exec();
}
