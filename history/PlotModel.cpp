#include "history/PlotModel.h"

#include "common/NumberText.h"
#include "common/PictureFormat.h"
#include "common/TimeText.h"

#include <cmath>

namespace tarnby {

namespace {
struct Scale {
    double top = 0;
    double bottom = 0;
    double range() const { return top - bottom; }
    double span() const { return range() > 0 ? range() + range() / 20 : 2; }
    // Height of a value on the box; a scale without range draws at mid-height.
    double y(double value) const { return range() > 0 ? (top - value) + range() / 40 : 1; }
};

// The tops of the fixed scales, by Trace; each fixed scale starts at 0.
std::array<double, TraceCount> fixedTops(const HistoryState& state) {
    return {state.VoltsFullScale, static_cast<double>(state.MaxAmps), 1000, 400, 100};
}

// The scale labels' pictures, by Trace.
constexpr std::array<std::string_view, TraceCount> ScalePictures = {"#0.00", "##0.0", "###0", "##0",
                                                                    "##0"};

QString timeOfRecord(const HistoryState& state, int k) {
    return timeOfDayText(state.records.time[static_cast<size_t>(k)] / 60);
}
} // namespace

int PlotModel::recordAt(const HistoryState& state, double position) {
    const double nearest = roundHalfEven(position);
    const int last = std::max(state.loadedRecords(), 1);
    if (!(nearest >= 1))
        return 1;
    if (nearest >= last)
        return last;
    return static_cast<int>(nearest);
}

int PlotModel::steps(const HistoryState& state) {
    const double extent = state.PlotTo - state.PlotFrom;
    if (!(extent > 0))
        return 0;
    return static_cast<int>(std::floor(extent + 1e-9));
}

std::optional<double> PlotModel::spanWattHours(const HistoryState& state) {
    if (!state.LogIntervalSeconds)
        return std::nullopt;
    // Every record after the first stands for one logging interval of the current setting.
    const std::vector<double>& watts = state.records.of(Trace::Watts);
    double wattHours = 0;
    const int n = steps(state);
    for (int j = 1; j <= n; ++j)
        wattHours += watts[static_cast<size_t>(recordAt(state, state.PlotFrom + j))] / 3600 *
                     *state.LogIntervalSeconds;
    return wattHours;
}

PlotResult PlotModel::plotGraph(HistoryState& state) {
    PlotResult result;
    state.PlotExtent = 0;
    if (!(state.PlotFrom < state.PlotTo) || state.loadedRecords() < 1)
        return result; // a cleared box

    const int n = steps(state);
    // The record under each plotted position, worked out once for all traces.
    std::vector<size_t> records(static_cast<size_t>(n) + 1);
    for (int j = 0; j <= n; ++j)
        records[static_cast<size_t>(j)] = static_cast<size_t>(recordAt(state, state.PlotFrom + j));

    const std::array<double, TraceCount> tops = fixedTops(state);
    std::array<Scale, TraceCount> scales;
    for (size_t t = 0; t < scales.size(); ++t) {
        if (state.ScaledAxes) {
            scales[t] = {tops[t], 0};
            continue;
        }
        // Fitted: the top never below 0, the bottom never above the fixed top.
        Scale& scale = scales[t] = {0, tops[t]};
        for (size_t k : records) {
            scale.top = std::max(scale.top, state.records.values[t][k]);
            scale.bottom = std::min(scale.bottom, state.records.values[t][k]);
        }
    }

    PlotPicture& picture = result.picture;
    picture.drawn = true;
    picture.extent = state.PlotTo - state.PlotFrom;
    state.PlotExtent = picture.extent;
    const auto zeroLine = [&](Trace trace) {
        const Scale& s = scales[traceIndex(trace)];
        return ZeroLine{s.top > 0 && s.bottom < 0, s.y(0), s.span()};
    };
    picture.ampsZero = zeroLine(Trace::Amps);
    picture.wattsZero = zeroLine(Trace::Watts);

    for (size_t t = 0; t < scales.size(); ++t) {
        PlotTrace& out = picture.traces[t];
        out.shown = state.traceShown[t];
        out.span = scales[t].span();
        if (!out.shown)
            continue;
        out.y.resize(records.size());
        for (size_t j = 0; j < records.size(); ++j)
            out.y[j] = scales[t].y(state.records.values[t][records[j]]);
    }

    PlotLabels& l = result.labels.emplace();
    for (Trace trace : AllTraces) {
        const size_t t = traceIndex(trace);
        const QString unit = unitSuffix(trace, state.SpeedUnits);
        l.scaleTop[t] = formatPicture(scales[t].top, ScalePictures[t]) + unit;
        l.scaleBottom[t] = formatPicture(scales[t].bottom, ScalePictures[t]) + unit;
    }
    l.start = timeOfRecord(state, recordAt(state, state.PlotFrom));
    l.finish = timeOfRecord(state, recordAt(state, state.PlotTo));
    l.boxes = {l.start.first(2), l.start.last(2), l.finish.first(2), l.finish.last(2)};
    const std::optional<double> wattHours = spanWattHours(state);
    l.energy = wattHours ? formatPicture(*wattHours, "###0") + QStringLiteral(" Wh")
                         : QStringLiteral("Wh");
    return result;
}

} // namespace tarnby
