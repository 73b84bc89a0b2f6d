#pragma once
// The mouse over the plot: moving reads out the record under the cursor, a press and a release
// further right zoom into the dragged stretch, and while a button is held a red bar grows along
// the top edge from the press point.
//
// Positions x are in the plot box's horizontal scale: 0 at the left edge, PlotTo - PlotFrom at
// the right edge, so the record position under the cursor is PlotFrom + x. The cursor does
// nothing while fewer than two records are loaded or while the box holds no drawing (its
// scale is then undefined). Readouts and zooms stay within the records of the last load, so
// slots above it never show.

#include "history/HistoryState.h"
#include "history/Trace.h"

#include <QString>
#include <array>
#include <functional>
#include <vector>

namespace tarnby {

// A stretch of the top edge covered by drag bars, in the box's horizontal scale.
struct DragBar {
    double from = 0;
    double to = 0; // from <= to
    bool operator==(const DragBar&) const = default;
};

class PlotCursor {
public:
    explicit PlotCursor(HistoryState& state) : state_(state) {}

    // The labels a move writes. A move whose record lies outside the loaded records stops
    // there: the time may be written without the values, or nothing at all.
    struct Readout {
        bool timeWritten = false;
        QString time; // hh:mm of record floor(PlotFrom + x)
        bool valuesWritten = false;
        // Of record round-half-even(floor(x) + PlotFrom), with units, by Trace.
        std::array<QString, TraceCount> values;
        bool barDrawn = false;
    };
    Readout move(double x);

    struct Press {
        bool started = false; // a drag starts: the From boxes take the time under the cursor
        QString fromHour, fromMinute;
    };
    Press press(double x);

    // A release to the right of the press point sets PlotFrom and PlotTo to the dragged
    // stretch (kept to the loaded records), then calls `zoomTo` with the To boxes' new texts;
    // it writes them and re-plots. Returns whether it zoomed.
    using ZoomStep = std::function<void(const QString& toHour, const QString& toMinute)>;
    bool release(double x, const ZoomStep& zoomTo);

    // The bars drawn since the box was last cleared, merged where they overlap.
    const std::vector<DragBar>& dragBars() const { return bars_; }
    // The box was cleared (every plot clears it).
    void clearDragBars() { bars_.clear(); }

    const QString& timeText() const { return timeText_; }
    double pressPosition() const { return press_; }

private:
    bool active() const;
    void addBar(double from, double to);

    HistoryState& state_;
    double press_ = 0;
    QString timeText_; // the time the last move read out
    std::vector<DragBar> bars_;
};

} // namespace tarnby
