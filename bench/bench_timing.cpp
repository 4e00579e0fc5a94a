// Measures how closely the break scheduler keeps wall-clock time: it runs the real
// scheduler on its real one-second timer with a micro-break interval of N seconds
// and reports when the warning actually came.
//   rk-bench-timing [SECONDS]   (default 120; at least 60)
#include "scheduling/BreakScheduler.h"
#include "settings/SettingsManager.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int seconds = argc > 1 ? std::max(60, atoi(argv[1])) : 120;

    SettingsManager settings;
    settings.setIdlePauseEnabled(false);
    settings.setMicroBreakInterval(seconds);
    BreakScheduler scheduler(settings.breakRhythm());

    QElapsedTimer elapsed;
    QObject::connect(&scheduler, &BreakScheduler::warningStarted, [&] {
        const qint64 ms = elapsed.elapsed();
        const qint64 off = ms - qint64(seconds) * 1000;
        std::printf("interval %d s: warning after %lld ms (%+lld ms)\n", seconds, static_cast<long long>(ms),
                    static_cast<long long>(off));
        app.quit();
    });
    elapsed.start();
    scheduler.start();
    return app.exec();
}
