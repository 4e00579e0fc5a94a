#include "HistoryChart.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace {

QString duration(qint64 seconds)
{
    return HistoryChart::tr("%1 h %2 min").arg(seconds / 3600).arg(seconds / 60 % 60);
}

} // namespace

HistoryChart::HistoryChart(QWidget* parent)
    : QWidget(parent)
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setHistory({}, QDate::currentDate());
}

void HistoryChart::setHistory(const DayTallies& days, QDate today)
{
    m_today = today;
    for (int i = 0; i < Days; ++i)
        m_days[i] = days.value(today.addDays(i - Days + 1));
    updateDescription();
    update();
}

QSize HistoryChart::sizeHint() const
{
    const int line = fontMetrics().height();
    return {Days * fontMetrics().horizontalAdvance(QStringLiteral("000")) * 3 / 2, line * 16};
}

QSize HistoryChart::minimumSizeHint() const
{
    const int line = fontMetrics().height();
    return {Days * fontMetrics().horizontalAdvance(QStringLiteral("00")), line * 10};
}

int HistoryChart::count(const DayTally& tally, int series)
{
    return series == Taken ? tally.taken : series == Postponed ? tally.postponed : tally.cutShort;
}

QColor HistoryChart::color(int series) const
{
    return series == Taken ? m_takenColor : series == Postponed ? m_postponedColor : m_cutShortColor;
}

QString HistoryChart::seriesName(int series) const
{
    return series == Taken ? tr("Taken") : series == Postponed ? tr("Postponed") : tr("Cut short");
}

// From the top: the legend, the bars, the day numbers, the working-time band; all
// measured in lines of the widget's font, so that it grows with the font.
HistoryChart::Layout HistoryChart::layout() const
{
    const QFontMetricsF metrics(font());
    const qreal line = metrics.height();
    const qreal left = metrics.horizontalAdvance(QStringLiteral("000")) + line / 2;
    const QRectF area = QRectF(rect()).adjusted(left, line * 1.5, -line / 2, -line / 2);
    const qreal workHeight = std::max(line * 2, area.height() / 4);
    Layout l;
    l.bars = QRectF(area.left(), area.top(), area.width(), area.height() - workHeight - line * 2.5);
    l.work = QRectF(area.left(), area.bottom() - workHeight, area.width(), workHeight);
    l.column = area.width() / Days;
    int most = 1;
    qint64 mostWork = 3600;
    for (const DayTally& day : m_days) {
        most = std::max({most, day.taken, day.postponed, day.cutShort});
        mostWork = std::max(mostWork, day.workedSeconds);
    }
    l.top = most;
    l.topWork = std::ceil(mostWork / 3600.0);
    return l;
}

QRectF HistoryChart::barRect(const Layout& l, int day, int series) const
{
    const qreal width = l.column / (SeriesCount + 1);
    const qreal height = l.bars.height() * count(m_days[day], series) / l.top;
    const qreal left = l.bars.left() + day * l.column + width / 2 + series * width;
    return QRectF(left, l.bars.bottom() - height, width, height);
}

void HistoryChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const Layout l = layout();
    const QFontMetricsF metrics(font());
    const QColor text = palette().color(QPalette::WindowText);
    QColor grid = text;
    grid.setAlphaF(0.25);

    // The legend.
    qreal x = l.bars.left();
    const qreal box = metrics.ascent() * 0.8;
    for (int series = 0; series <= SeriesCount; ++series) {
        const QColor swatch = series == SeriesCount ? m_workColor : color(series);
        const QString name = series == SeriesCount ? tr("Working time") : seriesName(series);
        painter.fillRect(QRectF(x, (metrics.height() - box) / 2, box, box), swatch);
        x += box + metrics.averageCharWidth() / 2;
        painter.setPen(text);
        painter.drawText(QPointF(x, metrics.ascent()), name);
        x += metrics.horizontalAdvance(name) + metrics.height();
    }

    // The scales: the count at the top of the bars, the hours at the top of the line.
    painter.setPen(grid);
    painter.drawLine(l.bars.bottomLeft(), l.bars.bottomRight());
    painter.drawLine(l.bars.topLeft(), l.bars.topRight());
    painter.drawLine(l.work.bottomLeft(), l.work.bottomRight());
    painter.drawLine(l.work.topLeft(), l.work.topRight());
    painter.setPen(text);
    const qreal labelRight = l.bars.left() - metrics.averageCharWidth();
    const auto label = [&](qreal y, const QString& value) {
        painter.drawText(QPointF(labelRight - metrics.horizontalAdvance(value), y + metrics.ascent() / 2), value);
    };
    label(l.bars.top(), QString::number(l.top));
    label(l.bars.bottom(), QStringLiteral("0"));
    label(l.work.top(), QString::number(l.topWork) + QLatin1Char('h'));
    label(l.work.bottom(), QStringLiteral("0"));

    QPolygonF work;
    for (int day = 0; day < Days; ++day) {
        for (int series = 0; series < SeriesCount; ++series)
            painter.fillRect(barRect(l, day, series), color(series));
        const qreal centre = l.bars.left() + (day + 0.5) * l.column;
        const QString number = QString::number(m_today.addDays(day - Days + 1).day());
        painter.setPen(text);
        painter.drawText(QPointF(centre - metrics.horizontalAdvance(number) / 2, l.bars.bottom() + metrics.height()),
                         number);
        work << QPointF(centre, l.work.bottom() - l.work.height() * m_days[day].workedSeconds / 3600.0 / l.topWork);
    }
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(m_workColor, std::max(2.0, metrics.height() / 8)));
    painter.drawPolyline(work);
    painter.setBrush(m_workColor);
    const qreal dot = metrics.height() / 6;
    for (const QPointF& point : work)
        painter.drawEllipse(point, dot, dot);
}

QString HistoryChart::dayText(int day) const
{
    const DayTally& tally = m_days[day];
    return tr("%1: %2 taken, %3 postponed, %4 cut short, %5 of work")
        .arg(m_today.addDays(day - Days + 1).toString(QStringLiteral("MM-dd")))
        .arg(tally.taken)
        .arg(tally.postponed)
        .arg(tally.cutShort)
        .arg(duration(tally.workedSeconds));
}

void HistoryChart::updateDescription()
{
    setAccessibleName(tr("Breaks of the last 14 days"));
    QStringList days;
    for (int day = 0; day < Days; ++day)
        days << dayText(day);
    setAccessibleDescription(days.join(QLatin1Char('\n')));
}

// A bar tells its day and its number; elsewhere in a day's column, the whole day.
bool HistoryChart::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    const Layout l = layout();
    const int day = int((help->pos().x() - l.bars.left()) / l.column);
    if (help->pos().x() < l.bars.left() || day >= Days) {
        QToolTip::hideText();
        event->ignore();
        return true;
    }
    QString tip = dayText(day);
    for (int series = 0; series < SeriesCount; ++series) {
        const QRectF bar = barRect(l, day, series);
        if (help->pos().x() >= bar.left() && help->pos().x() < bar.right() && help->pos().y() >= bar.top() - 4 &&
            help->pos().y() <= bar.bottom() + 4)
            tip = m_today.addDays(day - Days + 1).toString(QStringLiteral("MM-dd: ")) + seriesName(series) +
                  QStringLiteral(" %1").arg(count(m_days[day], series));
    }
    QToolTip::showText(help->globalPos(), tip, this);
    return true;
}

void HistoryChart::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::LanguageChange)
        updateDescription();
}
