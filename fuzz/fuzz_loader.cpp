// The day-log loader with arbitrary file contents and time boxes.
//
// Input (FuzzedDataProvider): four time-box texts (Time1h, Time1m, Time2h, Time2m), each ended
// by a backslash and one more byte, then the file bytes; the last bytes of the input are a
// repeat count and a fallback range. A short file text may be repeated thousands of times, so
// loads on either side of the record limit occur. The boxes are read as the window reads them;
// boxes that hold no time fall back to the range from the input. Checked:
// - LogLines are the file split at every CR LF, nothing lost;
// - the kept records are exactly the lines, in order, whose <T> text is a time strictly inside
//   the range (so never a line without a time tag), and no slot above them is written;
// - never more than 9,999 records: the 10,000th in range stops the load with TooMany and
//   RecordCount 10,000;
// - NoData for none, Loaded (PlotFrom 1, PlotTo RecordCount) otherwise.

#include "common/TimeText.h"
#include "config/TaggedValue.h"
#include "fuzz/FuzzCheck.h"
#include "history/DayLogLoader.h"
#include "history/HistoryState.h"
#include "history/TimeRange.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <QString>
#include <QStringList>
#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

using namespace tarnby;
using namespace tarnby::fuzz;
using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype MaxFileBytes = 512 * 1024;
constexpr size_t MaxCopiedBytes = 64;

// Lines split at CR LF by hand: the reference the loader's LogLines must equal.
QStringList linesOf(const QString& text) {
    QStringList lines;
    qsizetype start = 0;
    for (qsizetype at = text.indexOf(u"\r\n"_s); at >= 0; at = text.indexOf(u"\r\n"_s, start)) {
        lines << text.mid(start, at - start);
        start = at + 2;
    }
    lines << text.mid(start);
    return lines;
}

constexpr int StaleTime = -1;
constexpr double StaleValue = -12345.5;
constexpr double StalePlotFrom = -7;
constexpr double StalePlotTo = -9;

void leaveStale(HistoryState& state) {
    state.LogLines = QStringList{u"stale"_s};
    state.RecordCount = 4242;
    state.ReplotBusy = 1;
    state.PlotFrom = StalePlotFrom;
    state.PlotTo = StalePlotTo;
    std::fill(state.RecTime.begin(), state.RecTime.end(), StaleTime);
    for (std::vector<double>* values :
         {&state.RecVolts, &state.RecAmps, &state.RecWatts, &state.RecRPM, &state.RecSpeed})
        std::fill(values->begin(), values->end(), StaleValue);
}

// Slot 0 and the slots above the new records keep what was there.
void checkUntouched(const HistoryState& state, size_t slot) {
    FUZZ_CHECK(state.RecTime[slot] == StaleTime && state.RecVolts[slot] == StaleValue &&
                   state.RecAmps[slot] == StaleValue && state.RecWatts[slot] == StaleValue &&
                   state.RecRPM[slot] == StaleValue && state.RecSpeed[slot] == StaleValue,
               "slot " + QByteArray::number(static_cast<qulonglong>(slot)) + " was written");
}

void checkLoad(const QString& text, int from, int to, HistoryState& state) {
    const double plotFromBefore = state.PlotFrom;
    const double plotToBefore = state.PlotTo;
    const LoadOutcome outcome = DayLogLoader::load(text, from, to, state);
    const auto context = [&] {
        return QByteArray("range " + QByteArray::number(from) + " to " + QByteArray::number(to) +
                          ", file " + printable(text.left(400)));
    };

    const QStringList lines = linesOf(text);
    FUZZ_CHECK(state.LogLines == lines, context() + ": LogLines differ from the file's lines");
    FUZZ_CHECK(state.LogLines.join(u"\r\n"_s) == text, context());
    FUZZ_CHECK(state.FromTime == from && state.ToTime == to, context());
    FUZZ_CHECK(state.ReplotBusy == 0, context());

    int expectedCount = 0;
    bool overLimit = false;
    for (const QString& line : lines) {
        const TaggedValue timeTag = findTaggedValue(QStringView(line), "T"_L1);
        if (!timeTag.found())
            continue; // a line without a time tag is never a record
        const std::optional<int> time = readTimeOfDay(timeTag.value);
        if (!time || !(from < *time && *time < to))
            continue;
        ++expectedCount;
        if (expectedCount > HistoryState::RecordLimit) {
            overLimit = true;
            break;
        }
        FUZZ_CHECK(state.RecTime[static_cast<size_t>(expectedCount)] == *time,
                   context() + ": record " + QByteArray::number(expectedCount) + " from line " +
                       printable(line));
    }

    FUZZ_CHECK(state.loadedRecords() <= HistoryState::RecordLimit, context());
    checkUntouched(state, 0);
    for (size_t slot = static_cast<size_t>(state.loadedRecords()) + 1; slot < HistoryState::Slots;
         slot += 97)
        checkUntouched(state, slot);
    if (state.loadedRecords() + 1 < HistoryState::Slots)
        checkUntouched(state, static_cast<size_t>(state.loadedRecords()) + 1);
    if (overLimit) {
        FUZZ_CHECK(outcome == LoadOutcome::TooMany, context());
        FUZZ_CHECK(state.RecordCount == HistoryState::RecordLimit + 1,
                   context() + ": RecordCount " + QByteArray::number(state.RecordCount));
        FUZZ_CHECK(state.PlotFrom == plotFromBefore && state.PlotTo == plotToBefore, context());
    } else if (expectedCount == 0) {
        FUZZ_CHECK(outcome == LoadOutcome::NoData && state.RecordCount == 0, context());
        FUZZ_CHECK(state.PlotFrom == plotFromBefore && state.PlotTo == plotToBefore, context());
    } else {
        FUZZ_CHECK(outcome == LoadOutcome::Loaded, context());
        FUZZ_CHECK(state.RecordCount == expectedCount,
                   context() + ": RecordCount " + QByteArray::number(state.RecordCount) +
                       ", expected " + QByteArray::number(expectedCount));
        FUZZ_CHECK(state.PlotFrom == 1 && state.PlotTo == state.RecordCount, context());
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    TimeBoxes boxes;
    for (QString* box : {&boxes.Time1h, &boxes.Time1m, &boxes.Time2h, &boxes.Time2m})
        *box = QString::fromStdString(input.ConsumeRandomLengthString(8));
    // Mostly one copy; now and then copies that put a file of one or two record lines on
    // either side of the record limit.
    static constexpr int ManyCopies[] = {399, 9998, 9999, 10000, 10001, 4999, 5000, 5001};
    const uint8_t repeatByte = input.ConsumeIntegral<uint8_t>();
    const int fallbackFrom = input.ConsumeIntegralInRange<int>(-60, 86460);
    const int fallbackTo = input.ConsumeIntegralInRange<int>(-60, 86460);
    const std::string bytes = input.ConsumeRemainingBytesAsString();
    // Only short texts are copied: a long file of copies costs tens of milliseconds a run.
    const int repeats =
        repeatByte < 248 || bytes.size() > MaxCopiedBytes ? 1 : ManyCopies[repeatByte - 248];
    QByteArray file = QByteArray::fromStdString(bytes).repeated(repeats);
    if (file.size() > MaxFileBytes)
        file.truncate(MaxFileBytes);
    // Day logs are read as UTF-8.
    const QString text = QString::fromUtf8(file);

    const TimeRangeCheck range = readTimeRange(boxes);
    FUZZ_CHECK(range.range.has_value() == range.message.isEmpty(), "time boxes");
    if (range.range) {
        FUZZ_CHECK(range.range->from >= 0 && range.range->from < 86400 && range.range->to >= 0 &&
                       range.range->to < 86400,
                   "range " + QByteArray::number(range.range->from) + " to " +
                       QByteArray::number(range.range->to));
    }
    const int from = range.range ? range.range->from : fallbackFrom;
    const int to = range.range ? range.range->to : fallbackTo;

    // The window keeps one state across loads; each run starts from one that an earlier load
    // left full of other values, so nothing may depend on them and none may leak into a record.
    static const auto state = std::make_unique<HistoryState>();
    leaveStale(*state);
    checkLoad(text, from, to, *state);
    // Free what this run allocated, so that libFuzzer's leak check has nothing to suspect.
    state->LogLines = QStringList();
    return 0;
}
