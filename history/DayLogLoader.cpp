#include "history/DayLogLoader.h"

#include "acquisition/RecordLayout.h"
#include "common/NumberText.h"
#include "common/TimeText.h"
#include "config/TaggedValue.h"
#include "history/HistoryMessages.h"
#include "platform/FileWriting.h"

#include <QDir>
#include <cstring>

namespace tarnby {

namespace {
// Where the line that starts at `start` ends: at the next CR LF, or at the end of the text.
qsizetype lineEnd(QByteArrayView text, qsizetype start) {
    const char* data = text.data();
    const qsizetype n = text.size();
    while (start < n) {
        const void* cr = std::memchr(data + start, '\r', static_cast<size_t>(n - start));
        if (!cr)
            return n;
        const qsizetype at = static_cast<const char*>(cr) - data;
        if (at + 1 < n && data[at + 1] == '\n')
            return at;
        start = at + 1;
    }
    return n;
}
} // namespace

QString DayLogLoader::tooManyRecordsMessage() {
    // The trailing blank is part of the message.
    return QStringLiteral(
        "Over 10,000 records, too many to display. Please use a smaller time range. If you set "
        "you logging interval to 10 seconds or more, you wont have this problem in the future. ");
}

DayLoad DayLogLoader::read(QByteArrayView dayLog, TimeRange range,
                           std::span<const Trace> readings) {
    // Every tag a record is read by, found in one pass over each line: the time, then the
    // readings asked for.
    std::array<QByteArrayView, 1 + TraceCount> keys{record::TimeTag};
    std::array<Trace, TraceCount> traces{};
    const size_t asked = std::min(readings.size(), traces.size());
    for (size_t i = 0; i < asked; ++i) {
        traces[i] = readings[i];
        keys[1 + i] = record::field(readings[i]).tag;
    }
    const TaggedKeys tags(std::span(keys.data(), 1 + asked));

    DayLoad load;
    DayLogRecords& records = load.records;
    // A record line is some 90 bytes.
    const auto expected = std::min<qsizetype>(dayLog.size() / 64 + 2, HistoryState::RecordLimit);
    records.time.reserve(static_cast<size_t>(expected));
    for (std::vector<double>& values : records.values)
        values.clear();
    for (size_t i = 0; i < asked; ++i) {
        std::vector<double>& values = records.values[traceIndex(traces[i])];
        values.reserve(static_cast<size_t>(expected));
        values.push_back(0); // slot 0
    }

    std::array<TaggedBytes, 1 + TraceCount> fields;
    for (qsizetype start = 0; start <= dayLog.size();) {
        const qsizetype end = lineEnd(dayLog, start);
        const QByteArrayView line = dayLog.sliced(start, end - start);
        start = end + 2;
        tags.find(line, fields.data());
        if (!fields[0].found())
            continue; // no time: never inside a range
        const std::optional<int> time = readTimeOfDay(fields[0].value);
        if (!time || !(range.from < *time && *time < range.to))
            continue;
        if (records.count() == HistoryState::RecordLimit) {
            load.outcome = LoadOutcome::TooMany;
            return load;
        }
        records.time.push_back(*time);
        for (size_t i = 0; i < asked; ++i) {
            const TaggedBytes& field = fields[1 + i];
            const double value = field.found() ? readNumber(field.value).value_or(0) : 0;
            records.values[traceIndex(traces[i])].push_back(
                traces[i] == Trace::RPM ? plausibleRpm(value) : value);
        }
    }
    load.outcome = records.count() == 0 ? LoadOutcome::NoData : LoadOutcome::Loaded;
    return load;
}

LoadOutcome DayLogLoader::keep(DayLoad load, HistoryState& state) {
    state.records = std::move(load.records);
    state.RecordCount = load.outcome == LoadOutcome::TooMany ? HistoryState::RecordLimit + 1
                                                             : state.records.count();
    state.replotBusy = false;
    if (load.outcome == LoadOutcome::Loaded) {
        state.PlotFrom = 1;
        state.PlotTo = state.RecordCount;
    }
    return load.outcome;
}

LoadOutcome DayLogLoader::load(QByteArrayView dayLog, TimeRange range, HistoryState& state) {
    return keep(read(dayLog, range), state);
}

DayLogLoader::Displayed DayLogLoader::display(const AppPaths& paths, const QString& dayLogName,
                                              const TimeBoxes& boxes, HistoryState& state) {
    if (dayLogName.isEmpty())
        return {std::nullopt, chooseDayLogMessage()};
    const TimeRangeCheck range = readTimeRange(boxes);
    if (!range.range)
        return {std::nullopt, range.message};
    const QString path = paths.inLogs(dayLogName);
    // A day log that cannot take its empty line (read-only) is still loaded.
    appendEmptyLine(path);
    const FileBytes file = readWholeFile(path);
    if (!file.ok)
        return {LoadOutcome::Unreadable, QStringLiteral("The day log %1 cannot be read (%2).")
                                             .arg(QDir::toNativeSeparators(path), file.error)};
    switch (const LoadOutcome outcome = load(file.bytes, *range.range, state)) {
    case LoadOutcome::NoData:
        return {outcome, noDataMessage()};
    case LoadOutcome::TooMany:
        return {outcome, tooManyRecordsMessage()};
    default:
        return {outcome, {}};
    }
}

} // namespace tarnby
