#include "TestHelpers.h"
#include "i18n/CustomTranslator.h"
#include "i18n/LanguageSwitch.h"
#include "ui/HistoryChart.h"

#include <QHelpEvent>
#include <QTabWidget>
#include <QToolTip>

namespace {

const QDate Today(2026, 3, 10);

// Two weeks with something each day; three days stand out.
DayTallies history()
{
    DayTallies days;
    for (int i = 0; i < HistoryChart::Days; ++i)
        days[Today.addDays(-i)] = DayTally{1, 1, 0, 0, 0, 3600};
    days[Today] = DayTally{6, 2, 3, 1, 60, 4 * 3600 + 20 * 60};
    days[Today.addDays(-1)] = DayTally{3, 0, 0, 0, 0, 7200};
    days[Today.addDays(-2)] = DayTally{};
    days[Today.addDays(-30)] = DayTally{9, 9, 9, 0, 0, 9 * 3600}; // too old to show
    return days;
}

// The bars of a colour below the legend (the first line), left to right: each
// run of columns with pixels of it, as its middle and its height there.
QList<QPoint> bars(const QImage& image, QColor color, int legend)
{
    const auto height = [&](int x) {
        int count = 0;
        for (int y = legend; x < image.width() && y < image.height(); ++y)
            count += image.pixelColor(x, y) == color;
        return count;
    };
    QList<QPoint> found;
    for (int x = 0, start = -1; x <= image.width(); ++x) {
        if (height(x) > 0 && start < 0)
            start = x;
        if (height(x) == 0 && start >= 0) {
            found << QPoint((start + x) / 2, height((start + x) / 2));
            start = -1;
        }
    }
    return found;
}

} // namespace

class TestHistoryChart : public QObject
{
    Q_OBJECT

private slots:
    // Bar heights follow the counts on one scale, in the style sheet's colours;
    // the text alternative and the tooltips say the same numbers.
    void drawsTheLastTwoWeeks()
    {
        HistoryChart chart;
        chart.setStyleSheet("HistoryChart { qproperty-takenColor: #00ff00; qproperty-postponedColor: #0000ff;"
                            " qproperty-cutShortColor: #ff0000; qproperty-workColor: #ff00ff; }");
        chart.resize(700, 420);
        chart.setHistory(history(), Today);
        chart.ensurePolished();
        const QImage image = chart.grab().toImage();
        const qreal scale = image.devicePixelRatio();
        const int legend = chart.fontMetrics().height() * scale + 1;
        const QList<QPoint> taken = bars(image, QColor(0, 255, 0), legend);
        // 11 days of 1, then none, 3 and 6.
        QCOMPARE(taken.size(), 13);
        const int six = taken.last().y();
        QVERIFY2(six > 150 * scale, qPrintable(QString::number(six)));
        for (int i = 0; i < 11; ++i)
            QVERIFY(qAbs(taken[i].y() - six / 6.0) <= 1);
        QVERIFY(qAbs(taken[11].y() - six / 2.0) <= 1);
        const QList<QPoint> cut = bars(image, QColor(255, 0, 0), legend);
        QCOMPARE(cut.size(), 1);
        QVERIFY(qAbs(cut.last().y() - six / 2.0) <= 1);
        QCOMPARE(bars(image, QColor(0, 0, 255), legend).size(), 12);
        // The tallest bar reaches the scale's top line, seen over the empty day.
        const auto firstFrom = [&](int x, auto differs) {
            int y = legend;
            while (y < image.height() && !differs(image.pixelColor(x, y)))
                ++y;
            return y;
        };
        const int emptyX = (taken[10].x() + taken[11].x()) / 2;
        const QColor background = image.pixelColor(emptyX, legend);
        const int scaleTop = firstFrom(emptyX, [&](QColor c) { return c != background; });
        const int sixTop = firstFrom(taken.last().x(), [](QColor c) { return c == QColor(0, 255, 0); });
        QVERIFY2(qAbs(sixTop - scaleTop) <= 1, qPrintable(QString("%1 %2").arg(sixTop).arg(scaleTop)));
        // The working-time line, below the bars, is highest over today.
        int top = -1, topX = -1;
        for (int y = legend; y < image.height() && topX < 0; ++y)
            for (int x = 0; x < image.width() && topX < 0; ++x)
                if (image.pixelColor(x, y) == QColor(255, 0, 255)) {
                    top = y;
                    topX = x;
                }
        QVERIFY2(topX > taken[11].x() && top > legend + six, qPrintable(QString("%1,%2").arg(topX).arg(top)));

        const QStringList lines = chart.accessibleDescription().split('\n');
        QCOMPARE(lines.size(), HistoryChart::Days);
        QCOMPARE(lines.first(), "02-25: 1 taken, 1 postponed, 0 cut short, 1 h 0 min of work");
        QCOMPARE(lines.mid(11), (QStringList{"03-08: 0 taken, 0 postponed, 0 cut short, 0 h 0 min of work",
                                             "03-09: 3 taken, 0 postponed, 0 cut short, 2 h 0 min of work",
                                             "03-10: 6 taken, 2 postponed, 3 cut short, 4 h 20 min of work"}));
        chart.show();
        QHelpEvent help(QEvent::ToolTip, QPoint(taken.last().x() / scale, image.height() / scale / 2),
                        chart.mapToGlobal(QPoint()));
        QApplication::sendEvent(&chart, &help);
        QCOMPARE(QToolTip::text(), "03-10: Taken 6");
    }

    // Opening the History tab reads the file; today's summary stands above.
    void settingsTabReadsTheFile()
    {
        LoadedSettings loaded;
        QDir().mkpath(QFileInfo(HistoryFile::defaultPath()).path());
        const QDate today = QDate::currentDate();
        QByteArray lines = HistoryFile::header();
        for (auto event : {HistoryFile::Event::Taken, HistoryFile::Event::CutByQuit, HistoryFile::Event::Taken})
            lines += HistoryFile::line(today.startOfDay().addSecs(3600), event, 0);
        QVERIFY(writeFile(HistoryFile::defaultPath(), lines));
        SettingsDialog dialog(&loaded.settings);
        dialog.show();
        auto* tabs = child<QTabWidget>(&dialog, "tabWidget");
        QCOMPARE(tabs->tabText(tabs->count() - 1), "History");
        tabs->setCurrentIndex(tabs->count() - 1);
        QCOMPARE(text(&dialog, "m_historyTodayLabel"), "Today: 2 of 3 breaks taken");
        const HistoryChart* chart = child<HistoryChart>(&dialog, "m_historyChart");
        QVERIFY(chart->accessibleDescription().endsWith(": 2 taken, 0 postponed, 1 cut short, 0 h 0 min of work"));
        // In Chinese, from the translation file.
        CustomTranslator* translator = nullptr;
        applyLanguage(translator, QStringLiteral("zh"));
        QTRY_COMPARE(text(&dialog, "m_historyTodayLabel"), "今天：3 次休息中完成了 2 次");
        QVERIFY(chart->accessibleDescription().endsWith("：完成 2 次，推迟 0 次，打断 1 次，工作 0 小时 0 分钟"));
        delete translator;
    }
};

QTEST_MAIN(TestHistoryChart)
#include "tst_historychart.moc"
