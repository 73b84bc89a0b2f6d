#include "history/DayLogLoader.h"

#include "common/NumberText.h"
#include "common/TimeText.h"
#include "config/TaggedValue.h"

namespace tarnby {

using namespace Qt::StringLiterals;

namespace {
// A field's number by the tagged value rule: 0 when the field is missing, its closing tag comes
// first, or its text is not a number.
double fieldValue(QStringView line, QLatin1StringView tag) {
    const TaggedValue field = findTaggedValue(line, tag);
    return field.found() ? readNumber(field.value).value_or(0) : 0;
}

// Splits at CR LF pairs only; a final CR LF yields a last, empty line.
QStringList splitAtCrLf(const QString& text) {
    QStringList lines;
    lines.reserve(text.size() / 64 + 1);
    const auto* c = reinterpret_cast<const char16_t*>(text.utf16());
    const qsizetype n = text.size();
    qsizetype start = 0;
    for (qsizetype i = 0; i + 1 < n; ++i) {
        if (c[i] == u'\r' && c[i + 1] == u'\n') {
            lines.append(text.sliced(start, i - start));
            start = i + 2;
            ++i;
        }
    }
    lines.append(text.sliced(start));
    return lines;
}
} // namespace

QString DayLogLoader::tooManyRecordsMessage() {
    // The trailing blank is part of the message.
    return QStringLiteral(
        "Over 10,000 records, too many to display. Please use a smaller time range. If you set "
        "you logging interval to 10 seconds or more, you wont have this problem in the future. ");
}

LoadOutcome DayLogLoader::load(const QString& dayLogText, int fromTime, int toTime,
                               HistoryState& state) {
    state.FromTime = fromTime;
    state.ToTime = toTime;
    state.LogLines = splitAtCrLf(dayLogText);
    state.RecordCount = 0;
    state.replotBusy = false;

    for (const QString& line : std::as_const(state.LogLines)) {
        const TaggedValue timeText = findTaggedValue(line, "T"_L1);
        if (!timeText.found())
            continue; // no time: never inside a range
        const auto time = readTimeOfDay(timeText.value);
        if (!time || !(fromTime < *time && *time < toTime))
            continue;
        const int k = ++state.RecordCount;
        if (k > HistoryState::RecordLimit)
            return LoadOutcome::TooMany;
        const auto slot = static_cast<size_t>(k);
        state.RecTime[slot] = *time;
        state.RecVolts[slot] = fieldValue(line, "V"_L1);
        state.RecAmps[slot] = fieldValue(line, "I"_L1);
        const double rpm = fieldValue(line, "R"_L1);
        // Above 500 the generator reading is a counting glitch, not a speed.
        state.RecRPM[slot] = rpm > 500 ? 0 : rpm;
        state.RecWatts[slot] = fieldValue(line, "W"_L1);
        state.RecSpeed[slot] = fieldValue(line, "S"_L1);
    }
    if (state.RecordCount == 0)
        return LoadOutcome::NoData;
    state.PlotFrom = 1;
    state.PlotTo = state.RecordCount;
    return LoadOutcome::Loaded;
}

} // namespace tarnby
