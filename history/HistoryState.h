#pragma once
// The state of the history window that outlives the window: the main window holds one for the
// whole run and hands it to every opening of the history window. The loader, the plot model, the
// cursor and the export read and write it; the window only shows it.
//
// Record k of the last load is in slot k of every record array (k = 1 to RecordCount, slot 0
// unused). The arrays are never cleared: slots above the last load keep what an earlier load
// put there, so every reader stops at loadedRecords().

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <optional>
#include <vector>

namespace tarnby {

struct HistoryState {
    // Slots 0 to 10000 of each record array.
    static constexpr int Slots = 10001;
    // At most this many records are kept; the load that finds one more stops with a message
    // and leaves RecordCount at RecordLimit + 1.
    static constexpr int RecordLimit = 9999;

    // Kept across openings of the window.
    QStringList LogLines; // the chosen day log's text, split at CR LF
    int RecordCount = 0;  // records of the last load (RecordLimit + 1 after the limit message)
    std::vector<int> RecTime = std::vector<int>(Slots);        // seconds since midnight
    std::vector<double> RecVolts = std::vector<double>(Slots); // volts
    std::vector<double> RecAmps = std::vector<double>(Slots);  // amps (negative: discharge)
    std::vector<double> RecWatts = std::vector<double>(Slots); // watts
    std::vector<double> RecRPM = std::vector<double>(Slots);   // revolutions per minute
    std::vector<double> RecSpeed = std::vector<double>(Slots); // wind speed in SpeedUnits

    // Settings taken from prog.cfg at each opening.
    QString LogInterval; // the LogDelay text as found
    // LogInterval read as the Start button reads it (10 to 600 s); empty when it is not a
    // number, and then no watt-hour figure is shown.
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
    bool ShowVolts = true, ShowAmps = true, ShowWatts = true, ShowRPM = true, ShowWS = true;
    bool ScaledAxes = true; // fixed scales; false: scales fitted to the plotted span

    // The range of the last load, seconds since midnight.
    int FromTime = 0;
    int ToTime = 0;

    // Left by the last plot: scale ends and vertical spans in each trace's units.
    double VoltsMax = 0, VoltsMin = 0, VoltsSpan = 0;
    double AmpsMax = 0, AmpsMin = 0, AmpsSpan = 0;
    double WattsMax = 0, WattsMin = 0, WattsSpan = 0;
    double RPMMax = 0, RPMMin = 0, RPMSpan = 0;
    double SpeedMax = 0, SpeedMin = 0, SpeedSpan = 0;
    double SpanWattHours = 0;

    // The records of the last load that are in the arrays: slots 1 to this.
    int loadedRecords() const { return std::clamp(RecordCount, 0, RecordLimit); }
};

} // namespace tarnby
