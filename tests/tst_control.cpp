#include "TestHelpers.h"
#include "app/ControlCommand.h"
#include "app/ControlRequests.h"
#include "app/RemoteControl.h"
#include "i18n/CustomTranslator.h"
#include "platform/InstanceChannel.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <atomic>
#include <thread>

namespace {

// The running copy's side on a hand-driven clock: its scheduler (default rhythm:
// micro every 20 min), the remote control, and the requests served on a channel.
struct Copy : LoadedSettings
{
    BreakScheduler scheduler{settings.breakRhythm()};
    ManualClock clock;
    int settingsShown = 0;
    int quits = 0;
    RemoteControl control{scheduler, [this] { ++settingsShown; }, [this] { ++quits; }};
    InstanceServer server;
    ControlRequests requests{server};
    QString name = QDir::tempPath() + QStringLiteral("/control-%1").arg(QCoreApplication::applicationPid());

    Copy()
    {
        clock.drive(scheduler);
        scheduler.setBreakMessages(BreakMessages::forLanguage(QStringLiteral("en")));
        QFile::remove(name);
        server.listen(name);
        requests.setControl(&control);
        scheduler.start();
    }
    // Sends a request from a thread of its own and returns the whole answer; a
    // following client reads until it has `lines` lines, while `meanwhile` runs here.
    QByteArray ask(const QByteArray& request, int lines = 0, std::function<void()> meanwhile = {})
    {
        QByteArray answer;
        std::atomic<bool> done{false}, started{false};
        std::thread client([&] {
            exchangeWithRunningCopy(name, request, 1000, 3000, [&](const QByteArray& bytes) {
                answer += bytes;
                started = true;
                return lines == 0 || answer.count('\n') < lines;
            });
            done = true;
        });
        while (!done) {
            QTest::qWait(5);
            if (started && meanwhile)
                std::exchange(meanwhile, {})();
        }
        client.join();
        return answer;
    }
};

QJsonObject json(const QByteArray& line)
{
    return QJsonDocument::fromJson(line).object();
}

} // namespace

class TestControl : public QObject
{
    Q_OBJECT

private slots:
    // Durations and commands as the command line takes them; bad use names what is
    // wrong, and never makes a request.
    void commandLine()
    {
        for (const auto& [text, seconds] : std::initializer_list<std::pair<const char*, qint64>>{{"30m", 1800},
                                                                                                 {"90m", 5400},
                                                                                                 {"1h30m", 5400},
                                                                                                 {"2h", 7200},
                                                                                                 {"45s", 45},
                                                                                                 {"1h1s", 3601},
                                                                                                 {"", -1},
                                                                                                 {"90", -1},
                                                                                                 {"m", -1},
                                                                                                 {"30m1h", -1},
                                                                                                 {"1h1h", -1},
                                                                                                 {"-5m", -1},
                                                                                                 {"1.5h", -1},
                                                                                                 {"１h", -1},
                                                                                                 {"9999999h", -1}}) {
            QCOMPARE(parseDuration(QString::fromUtf8(text)).value_or(-1), seconds);
        }
        const auto parse = [](QStringList arguments) {
            arguments.prepend("respitekeeper");
            std::vector<QByteArray> bytes;
            std::vector<char*> argv;
            for (const QString& argument : arguments)
                bytes.push_back(argument.toLocal8Bit());
            for (QByteArray& b : bytes)
                argv.push_back(b.data());
            const ParsedCommand parsed = parseControlCommand(int(argv.size()), argv.data());
            return parsed.command ? QString::fromUtf8(parsed.command->request) : "bad: " + parsed.badUse;
        };
        QCOMPARE(parse({"--pause"}), "RK1 pause 7200");
        QCOMPARE(parse({"--pause", "1h30m"}), "RK1 pause 5400");
        QCOMPARE(parse({"--pause", "24h"}), "RK1 pause 86400");
        QCOMPARE(parse({"--break", "long"}), "RK1 break long");
        QCOMPARE(parse({"--status", "--json", "--follow"}), "RK1 follow json");
        QCOMPARE(parse({"--follow", "--status"}), "RK1 follow");
        QCOMPARE(parse({"-platform", "offscreen", "--quit"}), "RK1 quit");
        QCOMPARE(parse({"-platform", "offscreen"}), "bad: "); // a plain start
        for (const QStringList& bad : QList<QStringList>{{"--pause", "25h"},
                                                         {"--pause", "0m"},
                                                         {"--pause", "soon"},
                                                         {"--break"},
                                                         {"--break", "coffee"},
                                                         {"--bogus"},
                                                         {"--json"},
                                                         {"--pause", "--resume"},
                                                         {"--resume", "--quit"}}) {
            const QString result = parse(bad);
            QVERIFY2(result.startsWith("bad: ") && result.endsWith("see 'respitekeeper --help'") &&
                         !result.contains('\n'),
                     qPrintable(bad.join(' ') + " gave " + result));
        }
    }

    // Each command does what the tray would and answers "ok", or says why not; the
    // status reads as the tooltip does, and as JSON with waybar's fields.
    void commandsAndStatus()
    {
        Copy copy;
        copy.clock.tick(copy.scheduler, 600);
        QCOMPARE(copy.ask("RK1 status"), "ok\nRespiteKeeper; Next micro break in 10 m 10 s; Next long break in 51 m "
                                         "10 s\n");
        QJsonObject status = json(copy.ask("RK1 status json").mid(3));
        QCOMPARE(QJsonDocument(status).toJson(QJsonDocument::Compact),
                 R"({"class":"working","heldReason":null,"nextLongBreak":3070,"nextMicroBreak":610,"pauseLeft":null,)"
                 R"("percentage":50,"state":"working","text":"11 min","tooltip":"RespiteKeeper\nNext micro break in )"
                 R"(10 m 10 s\nNext long break in 51 m 10 s"})");

        QCOMPARE(copy.ask("RK1 pause 1800"), "ok\n");
        status = json(copy.ask("RK1 status json").mid(3));
        QVERIFY(status["state"] == "paused" && status["pauseLeft"] == 1800 && status["nextMicroBreak"].isNull() &&
                status["percentage"] == 0 && status["text"] == "Paused: 30 min");
        {
            // In the user's language.
            CustomTranslator chinese("zh");
            QCoreApplication::installTranslator(&chinese);
            status = json(copy.ask("RK1 status json").mid(3));
            QCOMPARE(status["text"].toString(), QStringLiteral("已暂停：30 分钟"));
        }
        QCOMPARE(copy.ask("RK1 break micro"), "error the breaks are paused; resume them first\n");
        QCOMPARE(copy.ask("RK1 pause 90000"), "error a pause lasts from 1 second to 24 hours\n");
        QCOMPARE(copy.scheduler.pauseSecondsLeft(), 1800);
        QCOMPARE(copy.ask("RK1 resume"), "ok\n");
        QVERIFY(copy.scheduler.isRunning() && copy.scheduler.remainingSeconds() == 600);

        QCOMPARE(copy.ask("RK1 break long"), "ok\n");
        QCOMPARE(json(copy.ask("RK1 status json").mid(3))["state"], "warning");
        copy.clock.tick(copy.scheduler, 10);
        QVERIFY(copy.scheduler.isOnBreak() && copy.scheduler.currentBreakType() == Long);
        status = json(copy.ask("RK1 status json").mid(3));
        QVERIFY(status["state"] == "break" && status["percentage"] == 100 && status["text"] == "On a break");
        // A pause ends the break at once.
        QCOMPARE(copy.ask("RK1 pause 60"), "ok\n");
        QVERIFY(!copy.scheduler.isOnBreak() && copy.scheduler.pauseSecondsLeft() == 60);
        QCOMPARE(copy.ask("RK1 resume"), "ok\n");

        copy.clock.call->setOn(true);
        copy.clock.tick(copy.scheduler, 2);
        status = json(copy.ask("RK1 status json").mid(3));
        QVERIFY(status["state"] == "held" && status["heldReason"] == "call" && status["class"] == "held");
        QVERIFY(copy.ask("RK1 status").startsWith("ok\nBreak held: a call is on; "));

        QCOMPARE(copy.ask("RK1 settings"), "ok\n");
        QCOMPARE(copy.settingsShown, 1);
        QCOMPARE(copy.ask("RK1 quit"), "ok\n");
        QTRY_COMPARE(copy.quits, 1);
    }

    // Anything but a known request of this version is refused and changes nothing;
    // before the program is up, commands are told to wait.
    void badRequestsChangeNothing()
    {
        Copy copy;
        for (const char* request :
             {"RK1 pause soon", "RK1 pause -5", "RK1 pause 0", "RK1 break coffee", "RK1 resume now", "RK1 status xml",
              "RK1 dance", "RK1", "RK2 status", "hello", "RK1 pause 1 2 3", "showme"}) {
            const QByteArray answer = copy.ask(request);
            QVERIFY2(answer.startsWith("error ") && answer.count('\n') == 1, request);
        }
        // Cut short: the client went before its line ended.
        QVERIFY(sendToRunningCopy(copy.name, "RK1 pause 60", 1000, 1000));
        QTest::qWait(50);
        QVERIFY(copy.scheduler.isRunning() && copy.scheduler.state() == BreakScheduler::Working &&
                copy.scheduler.remainingSeconds() == 1200 && copy.settingsShown == 0 && copy.quits == 0);
        copy.requests.setControl(nullptr);
        QVERIFY(copy.ask("RK1 pause 60").startsWith("error RespiteKeeper is still starting"));
    }

    // A following client gets a line at once, then one at each change of what it
    // shows: the state at once, the minutes once a minute, looked at in the
    // scheduler's own wake-ups; the same line never twice.
    void followingClientsGetALineAtEachChange()
    {
        Copy copy;
        const QByteArray lines = copy.ask("RK1 follow json", 4, [&] {
            copy.clock.tick(copy.scheduler, 9); // 20 min 1 s to the break: still "21 min"
            QVERIFY(copy.requests.followers() == 1);
            copy.clock.tick(copy.scheduler, 1); // 20 min left now
            copy.clock.tick(copy.scheduler, 3);
            copy.scheduler.pauseFor(600); // a change of state: told without waiting for a timer
        });
        const QList<QByteArray> answer = lines.trimmed().split('\n');
        QCOMPARE(answer.size(), 4);
        QCOMPARE(answer[0], "ok");
        QCOMPARE(json(answer[1])["text"], "21 min");
        QCOMPARE(json(answer[2])["text"], "20 min");
        QVERIFY(json(answer[3])["state"] == "paused" && json(answer[3])["pauseLeft"] == 600);
        // The client has gone: no one is followed, and the timer is off.
        QTRY_COMPARE(copy.requests.followers(), 0);
    }
};

QTEST_MAIN(TestControl)
#include "tst_control.moc"
