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

double fixedTop(const HistoryState& state, Trace trace) {
    switch (trace) {
    case Trace::Volts:
        return state.VoltsFullScale;
    case Trace::Amps:
        return state.MaxAmps;
    case Trace::Watts:
        return 1000;
    case Trace::RPM:
        return 400;
    case Trace::Speed:
        return 100;
    }
    return 0;
}

bool shown(const HistoryState& state, Trace trace) {
    switch (trace) {
    case Trace::Volts:
        return state.ShowVolts;
    case Trace::Amps:
        return state.ShowAmps;
    case Trace::Watts:
        return state.ShowWatts;
    case Trace::RPM:
        return state.ShowRPM;
    case Trace::Speed:
        return state.ShowWS;
    }
    return false;
}

QString timeOfRecord(const HistoryState& state, int k) {
    return timeOfDayText(state.RecTime[k] / 60);
}

void keepScales(HistoryState& s, const std::array<Scale, TraceCount>& scales) {
    const auto& v = scales[0];
    const auto& a = scales[1];
    const auto& w = scales[2];
    const auto& r = scales[3];
    const auto& sp = scales[4];
    s.VoltsMax = v.top, s.VoltsMin = v.bottom, s.VoltsSpan = v.span();
    s.AmpsMax = a.top, s.AmpsMin = a.bottom, s.AmpsSpan = a.span();
    s.WattsMax = w.top, s.WattsMin = w.bottom, s.WattsSpan = w.span();
    s.RPMMax = r.top, s.RPMMin = r.bottom, s.RPMSpan = r.span();
    s.SpeedMax = sp.top, s.SpeedMin = sp.bottom, s.SpeedSpan = sp.span();
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
    double wattHours = 0;
    const int n = steps(state);
    for (int j = 1; j <= n; ++j)
        wattHours += state.RecWatts[static_cast<size_t>(recordAt(state, state.PlotFrom + j))] /
                     3600 * *state.LogIntervalSeconds;
    return wattHours;
}

const std::vector<double>& PlotModel::values(const HistoryState& state, Trace trace) {
    switch (trace) {
    case Trace::Volts:
        return state.RecVolts;
    case Trace::Amps:
        return state.RecAmps;
    case Trace::Watts:
        return state.RecWatts;
    case Trace::RPM:
        return state.RecRPM;
    case Trace::Speed:
        break;
    }
    return state.RecSpeed;
}

PlotResult PlotModel::plotGraph(HistoryState& state) {
    PlotResult result;
    state.PlotExtent = 0;
    if (!(state.PlotFrom < state.PlotTo) || state.loadedRecords() < 1)
        return result; // a cleared box

    const int n = steps(state);
    // The record under each plotted position, worked out once for all traces.
    std::vector<int> records(static_cast<size_t>(n) + 1);
    for (int j = 0; j <= n; ++j)
        records[static_cast<size_t>(j)] = recordAt(state, state.PlotFrom + j);

    std::array<Scale, TraceCount> scales;
    for (int t = 0; t < TraceCount; ++t) {
        const Trace trace = static_cast<Trace>(t);
        Scale& scale = scales[static_cast<size_t>(t)];
        if (state.ScaledAxes) {
            scale = {fixedTop(state, trace), 0};
            continue;
        }
        // Fitted: the top never below 0, the bottom never above the fixed top.
        scale = {0, fixedTop(state, trace)};
        const std::vector<double>& v = values(state, trace);
        for (int k : records) {
            scale.top = std::max(scale.top, v[static_cast<size_t>(k)]);
            scale.bottom = std::min(scale.bottom, v[static_cast<size_t>(k)]);
        }
    }
    keepScales(state, scales);

    PlotPicture& picture = result.picture;
    picture.drawn = true;
    picture.extent = state.PlotTo - state.PlotFrom;
    state.PlotExtent = picture.extent;
    const auto zeroLine = [&](Trace trace) {
        const Scale& s = scales[static_cast<size_t>(trace)];
        return ZeroLine{s.top > 0 && s.bottom < 0, s.y(0), s.span()};
    };
    picture.ampsZero = zeroLine(Trace::Amps);
    picture.wattsZero = zeroLine(Trace::Watts);

    for (int t = 0; t < TraceCount; ++t) {
        const Trace trace = static_cast<Trace>(t);
        PlotTrace& out = picture.traces[static_cast<size_t>(t)];
        const Scale& scale = scales[static_cast<size_t>(t)];
        out.shown = shown(state, trace);
        out.span = scale.span();
        if (!out.shown)
            continue;
        const std::vector<double>& v = values(state, trace);
        out.y.resize(records.size());
        for (size_t j = 0; j < records.size(); ++j)
            out.y[j] = scale.y(v[static_cast<size_t>(records[j])]);
    }

    const std::optional<double> wattHours = spanWattHours(state);
    state.SpanWattHours = wattHours.value_or(0);

    PlotLabels& l = result.labels.emplace();
    constexpr std::array<std::string_view, TraceCount> scalePictures = {"#0.00", "##0.0", "###0",
                                                                        "##0", "##0"};
    for (Trace trace : AllTraces) {
        const size_t t = traceIndex(trace);
        const QString unit = unitSuffix(trace, state.SpeedUnits);
        l.scaleTop[t] = formatPicture(scales[t].top, scalePictures[t]) + unit;
        l.scaleBottom[t] = formatPicture(scales[t].bottom, scalePictures[t]) + unit;
    }
    l.start = timeOfRecord(state, recordAt(state, state.PlotFrom));
    l.finish = timeOfRecord(state, recordAt(state, state.PlotTo));
    l.boxes = {l.start.first(2), l.start.last(2), l.finish.first(2), l.finish.last(2)};
    l.energy = wattHours ? formatPicture(*wattHours, "###0") + QStringLiteral(" Wh")
                         : QStringLiteral("Wh");
    return result;
}

} // namespace tarnby
