#pragma once
// The month view without a screen: from a month summary it works out one mark per day (an
// energy bar from zero to the day's watt-hours, and a line from the day's lowest to its
// highest battery volts), the two scales and every text around the plot. The widgets only map
// the marks to their pixels.
//
// Heights are fractions of the plot's height, 0 at the top edge and 1 at the bottom; as in the
// day plot, the top of each scale lies 1/42 of the height below the upper edge and its bottom
// 1/42 above the lower edge. The energy scale runs from 0 (or below, when a day used more than
// it made) to a round number at or above the best day (the smallest of 10, 20, 50, 100, ...),
// and is not labelled while no day has an energy; the volts scale spans the month's
// lowest to highest volts in whole volts, or 0 to the full volts scale while no day has any.
// Labels use the day plot's forms: "###0" and " Wh" for energy, "#0.00" and " V" for volts.

#include "history/MonthSummary.h"

#include <QString>
#include <vector>

namespace tarnby {

struct MonthDayMark {
    QDate date;
    DayState state = DayState::NoLog;
    bool bar = false;     // a day with an energy
    double barTop = 0;    // the higher end of the bar (the value or zero)
    double barBottom = 0; // the lower end
    bool volts = false;   // a day with a volts range
    double voltsHigh = 0; // height of the highest volts
    double voltsLow = 0;  // height of the lowest volts
    bool best = false;    // the month's best day
    QString number;       // the day of the month, "6"
    // "Sun 6 Dec 2026: 45 Wh, 24.10 V to 26.80 V"; a day the total leaves out says why and
    // "not counted in the month total".
    QString readout;
};

struct MonthPlot {
    QString title; // "December 2026"
    // "Month total: 1234 Wh", with the days it leaves out: "..., 2 days not counted (3, 17)";
    // "Month total: no day logs" for a month without any.
    QString total;
    QString best;                    // "Best day: Sun 6 Dec, 45 Wh"
    QString energyTop, energyBottom; // empty when no day has an energy, so no bar can be drawn
    QString voltsTop, voltsBottom;
    bool zeroLine = false; // the energy scale runs below 0
    double zeroY = 0;      // height of 0 Wh
    std::vector<MonthDayMark> days;

    static MonthPlot make(const MonthSummary& month, double voltsFullScale);
};

} // namespace tarnby
