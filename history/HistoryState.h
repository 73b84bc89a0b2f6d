#pragma once
// The state of the history window that outlives the window: the main window holds one for the
// whole run and hands it to every opening of the history window. The loader, the plot model,
// the cursor and the export read and write it; the window only shows it.

#include "history/Trace.h"

#include <QString>
#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnby {

// The records of one load of a day log. Record k is in slot k (k = 1 to count(); slot 0 is
// unused), so the record numbers the plot and the cursor work with index the arrays directly.
struct DayLogRecords {
    std::vector<int> time = std::vector<int>(1); // seconds since midnight
    // By Trace: the reading's value, or 0 where its field is missing or not a number. A
    // reading the load was not asked for has no slots at all.
    std::array<std::vector<double>, TraceCount> values = {
        std::vector<double>(1), std::vector<double>(1), std::vector<double>(1),
        std::vector<double>(1), std::vector<double>(1)};

    int count() const { return static_cast<int>(time.size()) - 1; }
    const std::vector<double>& of(Trace trace) const { return values[traceIndex(trace)]; }
};

struct HistoryState {
    // At most this many records are kept; the load that finds one more stops with a message
    // and leaves RecordCount at RecordLimit + 1.
    static constexpr int RecordLimit = 9999;

    // Kept across openings of the window.
    int RecordCount = 0;   // records of the last load (RecordLimit + 1 after the limit message)
    DayLogRecords records; // of the last load

    // Settings taken from prog.cfg at each opening.
    // The LogDelay setting read as the Start button reads it (10 to 600 s); empty when it is
    // not a number, and then no watt-hour figure is shown.
    std::optional<double> LogIntervalSeconds;
    double VoltsFullScale = 35; // SV x 70 / 48
    std::int16_t MaxAmps = 20;
    QString SpeedUnits;

    // Plot and cursor.
    bool buttonHeld = false; // while a mouse button is held over the plot
    bool replotBusy = false; // only while the re-plot that ends a drag runs
    double PlotFrom = 0;     // record position at the left edge of the plot
    double PlotTo = 0;       // record position at the right edge
    double PlotExtent = 0;   // horizontal extent of the drawing on the box; 0 while it is empty
    std::array<bool, TraceCount> traceShown = {true, true, true, true, true}; // by Trace
    bool ScaledAxes = true; // fixed scales; false: scales fitted to the plotted span

    // The records of the last load that are in the arrays: slots 1 to this.
    int loadedRecords() const { return std::clamp(RecordCount, 0, RecordLimit); }
};

} // namespace tarnby
