#pragma once
// The plot without a screen: from the history state it works out the scale ends, the vertical
// spans, the zero lines, the line segments of each shown trace, the labels around the plot, the
// time boxes and the watt-hours of the plotted span. The plot widget only maps the picture to
// its pixels.
//
// Coordinates are those of the plot box: x counts record steps from the left edge (record
// position p at x = p - PlotFrom; the right edge at x = PlotTo - PlotFrom); y runs from 0 at
// the top edge down to the trace's span at the bottom edge, in the trace's own units. The top
// of a scale lies 1/42 of the box height below the upper edge, its bottom 1/42 above the lower
// edge; values beyond the scale run off the box.

#include "history/HistoryState.h"
#include "history/TimeRange.h"
#include "history/Trace.h"

#include <QString>
#include <array>
#include <optional>
#include <vector>

namespace tarnby {

struct PlotTrace {
    bool shown = false;
    double span = 2; // the box's height in the trace's units
    // y[j] is the height of the record at position PlotFrom + j (j = 0 to steps); segment j
    // joins (j - 1, y[j - 1]) and (j, y[j]). Empty when the trace is not shown.
    std::vector<double> y;
};

struct ZeroLine {
    bool drawn = false; // only when the scale runs from below 0 to above 0
    double y = 0;       // in the trace's units, across the whole width
    double span = 2;
};

// What the box shows: nothing (a cleared box) or the zero lines and the shown traces.
struct PlotPicture {
    bool drawn = false;
    double extent = 0; // PlotTo - PlotFrom: the box's width in record steps
    ZeroLine ampsZero, wattsZero;
    std::array<PlotTrace, TraceCount> traces; // by Trace
};

// The texts a plot writes around the box.
struct PlotLabels {
    // The top and bottom of each trace's scale with its unit ("35.00 V"), by Trace.
    std::array<QString, TraceCount> scaleTop, scaleBottom;
    QString start, finish; // hh:mm of the first and last plotted records
    TimeBoxes boxes;       // the time boxes take the start and finish times
    QString energy;        // "198 Wh"; "Wh" alone when the logging interval is not a number
};

struct PlotResult {
    PlotPicture picture;
    std::optional<PlotLabels> labels; // empty when the box was only cleared
};

class PlotModel {
public:
    // One plot; leaves the drawing's extent in PlotExtent. The box is only cleared (and no label
    // changes) when PlotFrom is not less than PlotTo or no record is loaded.
    static PlotResult plotGraph(HistoryState& state);

    // The record for a position: the nearest whole number, a half to the even neighbour,
    // kept to the records of the last load.
    static int recordAt(const HistoryState& state, double position);
    // Whole record steps from PlotFrom up to and including PlotTo. A hair of tolerance keeps a
    // step whose end lands a rounding error beyond PlotTo (positions carry fractions after a
    // zoom).
    static int steps(const HistoryState& state);
    // The watt-hours of the records from PlotFrom to PlotTo, the first not counted: the figure
    // under the plot, and a day's energy in the month summary. Empty when the logging interval
    // is not known.
    static std::optional<double> spanWattHours(const HistoryState& state);
};

} // namespace tarnby
