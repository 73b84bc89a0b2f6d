#include "history/PlotCursor.h"

#include "common/DisplayRounding.h"
#include "common/NumberText.h"
#include "common/TimeText.h"

#include <algorithm>
#include <cmath>

namespace tarnby {

bool PlotCursor::active() const {
    return state_.RecordCount > 1 && state_.PlotExtent > 0;
}

PlotCursor::Readout PlotCursor::move(double x) {
    Readout out;
    if (!active() || !std::isfinite(x))
        return out;
    const int last = state_.loadedRecords();
    const double timeRecord = std::floor(state_.PlotFrom + x);
    if (timeRecord < 1 || timeRecord > last)
        return out;
    timeText_ = timeOfDayText(state_.records.time[static_cast<size_t>(timeRecord)] / 60);
    out.timeWritten = true;
    out.time = timeText_;

    const double valueRecord = roundHalfEven(std::floor(x) + state_.PlotFrom);
    if (valueRecord < 1 || valueRecord > last)
        return out;
    const auto k = static_cast<size_t>(valueRecord);
    out.valuesWritten = true;
    for (Trace trace : AllTraces)
        out.values[traceIndex(trace)] =
            displayText(state_.records.of(trace)[k], 2) + unitSuffix(trace, state_.SpeedUnits);

    if (!state_.replotBusy && state_.buttonHeld) {
        addBar(std::min(press_, x), std::max(press_, x));
        out.barDrawn = true;
    }
    return out;
}

PlotCursor::Press PlotCursor::press(double x) {
    state_.buttonHeld = true;
    Press out;
    if (state_.replotBusy || !active() || !std::isfinite(x))
        return out;
    press_ = x;
    out.started = true;
    out.fromHour = timeText_.left(2);
    out.fromMinute = timeText_.right(2);
    return out;
}

bool PlotCursor::release(double x, const ZoomStep& zoomTo) {
    state_.buttonHeld = false;
    bool zoomed = false;
    if (active() && !state_.replotBusy && press_ < x) {
        // Both ends from the PlotFrom of the plot as drawn; fractions stay.
        const double last = state_.loadedRecords();
        const double from = std::clamp(state_.PlotFrom + press_, 1.0, last);
        const double to = std::clamp(state_.PlotFrom + x, 1.0, last);
        if (from < to) {
            state_.PlotFrom = from;
            state_.PlotTo = to;
            state_.replotBusy = true;
            zoomTo(timeText_.left(2), timeText_.right(2));
            zoomed = true;
        }
    }
    state_.replotBusy = false;
    return zoomed;
}

void PlotCursor::addBar(double from, double to) {
    // Bars are never erased, so only the covered stretches matter: merge overlapping ones.
    DragBar merged{from, to};
    std::vector<DragBar> kept;
    kept.reserve(bars_.size() + 1);
    for (const DragBar& bar : bars_) {
        if (bar.to < merged.from || bar.from > merged.to) {
            kept.push_back(bar);
        } else {
            merged.from = std::min(merged.from, bar.from);
            merged.to = std::max(merged.to, bar.to);
        }
    }
    kept.push_back(merged);
    std::sort(kept.begin(), kept.end(),
              [](const DragBar& a, const DragBar& b) { return a.from < b.from; });
    bars_ = std::move(kept);
}

} // namespace tarnby
