#include "history/MonthPlot.h"

#include "common/PictureFormat.h"

#include <algorithm>
#include <cmath>

namespace tarnby {

namespace {
struct Scale {
    double top = 1;
    double bottom = 0;
    // 1/42 of the height above and below the scale, as in the day plot.
    double y(double value) const { return (1 + 40 * (top - value) / (top - bottom)) / 42; }
};

// The smallest of 1, 2, 5, 10, 20, 50 ... at or above `value`.
double roundUp(double value) {
    double step = 1;
    while (step < value)
        for (const double factor : {2.0, 2.5, 2.0}) {
            step *= factor;
            if (step >= value)
                break;
        }
    return step;
}

QString energyText(double wattHours) {
    return formatPicture(wattHours, "###0") + QStringLiteral(" Wh");
}

QString voltsText(double volts) {
    return formatPicture(volts, "#0.00") + QStringLiteral(" V");
}

QString figures(const DaySummary& day) {
    switch (day.state) {
    case DayState::NoLog:
        return QStringLiteral("no day log");
    case DayState::Unreadable:
        return QStringLiteral("the day log cannot be read");
    case DayState::NoRecords:
        return QStringLiteral("no records");
    case DayState::OverLimit:
        return QStringLiteral("over the record limit, too many records to plot");
    case DayState::Summarized:
        break;
    }
    const QString energy =
        day.wattHours ? energyText(*day.wattHours) : QStringLiteral("watt-hours not known");
    return QStringLiteral("%1, %2 to %3")
        .arg(energy, voltsText(day.minVolts), voltsText(day.maxVolts));
}

// "Month total: 1234 Wh", then the days it leaves out ("2 days not counted (3, 17)").
QString totalText(const MonthSummary& month) {
    if (!month.anyLog())
        return QStringLiteral("Month total: no day logs");
    const std::optional<double> total = month.totalWattHours();
    QString text = QStringLiteral("Month total: ") +
                   (total ? energyText(*total) : QStringLiteral("not known"));
    QStringList uncounted;
    for (const DaySummary& day : month.days)
        if (day.uncounted())
            uncounted << QString::number(day.date.day());
    if (!uncounted.isEmpty())
        text += QStringLiteral(", %1 not counted (%2)")
                    .arg(uncounted.size() == 1 ? QStringLiteral("1 day")
                                               : QStringLiteral("%1 days").arg(uncounted.size()),
                         uncounted.join(QStringLiteral(", ")));
    return text;
}
} // namespace

MonthPlot MonthPlot::make(const MonthSummary& month, double voltsFullScale) {
    MonthPlot plot;
    plot.title = month.first.toString(QStringLiteral("MMMM yyyy"));

    Scale energy{10, 0};
    Scale volts;
    bool anyVolts = false, anyEnergy = false;
    for (const DaySummary& day : month.days) {
        anyEnergy = anyEnergy || day.wattHours;
        if (day.wattHours) {
            if (*day.wattHours > 0)
                energy.top = std::max(energy.top, roundUp(*day.wattHours));
            else if (*day.wattHours < 0)
                energy.bottom = std::min(energy.bottom, -roundUp(-*day.wattHours));
        }
        if (!day.summarized())
            continue;
        const double low = std::floor(day.minVolts), high = std::ceil(day.maxVolts);
        volts = anyVolts ? Scale{std::max(volts.top, high), std::min(volts.bottom, low)}
                         : Scale{high, low};
        anyVolts = true;
    }
    if (!anyVolts)
        volts = {voltsFullScale, 0};
    if (!(volts.top > volts.bottom))
        volts.top = volts.bottom + 1;

    if (anyEnergy) { // no scale where no bar can be
        plot.energyTop = energyText(energy.top);
        plot.energyBottom = energyText(energy.bottom);
    }
    plot.voltsTop = voltsText(volts.top);
    plot.voltsBottom = voltsText(volts.bottom);
    plot.zeroLine = energy.bottom < 0;
    plot.zeroY = energy.y(0);

    const DaySummary* best = month.bestDay();
    plot.total = totalText(month);
    plot.best =
        QStringLiteral("Best day: ") +
        (best ? best->date.toString(QStringLiteral("ddd d MMM, ")) + energyText(*best->wattHours)
              : QStringLiteral("none"));

    for (const DaySummary& day : month.days) {
        MonthDayMark& mark = plot.days.emplace_back();
        mark.date = day.date;
        mark.state = day.state;
        mark.number = QString::number(day.date.day());
        mark.readout =
            day.date.toString(QStringLiteral("ddd d MMM yyyy")) + QStringLiteral(": ") +
            figures(day) +
            (day.uncounted() ? QStringLiteral(", not counted in the month total") : QString());
        mark.best = &day == best;
        if (day.wattHours) {
            mark.bar = true;
            mark.barTop = energy.y(std::max(*day.wattHours, 0.0));
            mark.barBottom = energy.y(std::min(*day.wattHours, 0.0));
        }
        if (day.summarized()) {
            mark.volts = true;
            mark.voltsHigh = volts.y(day.maxVolts);
            mark.voltsLow = volts.y(day.minVolts);
        }
    }
    return plot;
}

} // namespace tarnby
