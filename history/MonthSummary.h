#pragma once
// A month at a glance: for each calendar day, the day log logs/P_yyyy_mm_dd.txt read (only
// read: nothing is appended, unlike a load for the plot) and summed up as the day plot would
// show that whole day, 00:00 to 23:59: its energy is the plot's watt-hour figure, computed by
// the same code, and its battery range the lowest and highest volts of its records.
//
// A day whose log the plot would refuse (over the record limit, or no record in the day) has no
// figures, only its state.

#include "common/AppPaths.h"

#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace tarnby {

enum class DayState {
    NoLog,      // no day log for the date
    Unreadable, // a day log that cannot be read
    NoRecords,  // a day log without a record in the day
    OverLimit,  // more records than the plot takes
    Summarized, // the figures below hold
};

struct DaySummary {
    QDate date;
    DayState state = DayState::NoLog;
    // Watt-hours of the day; empty when the logging interval is not known (the plot then shows
    // "Wh" alone) or the day has no figures.
    std::optional<double> wattHours;
    double minVolts = 0, maxVolts = 0; // of the day's records, when Summarized
    int records = 0;                   // loaded records, when Summarized

    bool hasLog() const { return state != DayState::NoLog; }
    bool summarized() const { return state == DayState::Summarized; }
    // A day log whose energy the month total leaves out: refused, unreadable, or its watt-hours
    // not known. A log without a record in the day has no energy to leave out.
    bool uncounted() const { return hasLog() && state != DayState::NoRecords && !wattHours; }
};

struct MonthSummary {
    QDate first;                  // the 1st of the month
    std::vector<DaySummary> days; // the 1st to the last day of the month

    bool anyLog() const;
    // The sum of the days' energies; empty when no day has one.
    std::optional<double> totalWattHours() const;
    // The day of most energy (the earliest of equals); null when no day has an energy.
    const DaySummary* bestDay() const;
};

// Reads the month holding `anyDay` from the logs folder, with the logging interval the day plot
// uses (empty: not known).
MonthSummary summarizeMonth(const AppPaths& paths, QDate anyDay,
                            std::optional<double> logIntervalSeconds);

// The date a day log's file name stands for ("P_2026_12_06.txt"); empty for any other name.
std::optional<QDate> dayLogDate(const QString& fileName);

} // namespace tarnby
