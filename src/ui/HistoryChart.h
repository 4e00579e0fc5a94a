#pragma once

#include "history/HistoryFile.h"

#include <QColor>
#include <QWidget>
#include <array>

// The last days of the break history as a chart: per day a bar for the breaks
// taken, one for those postponed and one for those cut short, and below them the
// working time as a line. The colours are properties, so a style sheet sets them
// (qproperty-takenColor: ...). The same numbers are its accessible description,
// and each bar tells its own in a tooltip.
class HistoryChart : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QColor takenColor MEMBER m_takenColor DESIGNABLE true)
    Q_PROPERTY(QColor postponedColor MEMBER m_postponedColor DESIGNABLE true)
    Q_PROPERTY(QColor cutShortColor MEMBER m_cutShortColor DESIGNABLE true)
    Q_PROPERTY(QColor workColor MEMBER m_workColor DESIGNABLE true)

public:
    static constexpr int Days = 14;

    explicit HistoryChart(QWidget* parent = nullptr);

    // The days up to `today`; those without an entry had nothing.
    void setHistory(const DayTallies& days, QDate today);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    enum Series { Taken, Postponed, CutShort, SeriesCount };
    struct Layout
    {
        QRectF bars;       // where the bars stand, on its bottom edge
        QRectF work;       // the working-time line's band
        qreal column = 1;  // the width of one day
        int top = 1;       // the count at the top of the bars' band
        qreal topWork = 1; // the hours at the top of the line's band
    };
    Layout layout() const;
    QRectF barRect(const Layout& l, int day, int series) const;
    static int count(const DayTally& tally, int series);
    QColor color(int series) const;
    QString seriesName(int series) const;
    QString dayText(int day) const;
    void updateDescription();

    QDate m_today;
    std::array<DayTally, Days> m_days{};
    QColor m_takenColor{0x2e, 0x7d, 0x32};
    QColor m_postponedColor{0xef, 0x8f, 0x00};
    QColor m_cutShortColor{0xc6, 0x28, 0x28};
    QColor m_workColor{0x00, 0x78, 0xd4};
};
