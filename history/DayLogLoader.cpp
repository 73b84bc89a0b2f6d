#include "history/DayLogLoader.h"

#include "common/NumberText.h"
#include "common/TimeText.h"

#include <algorithm>
#include <iterator>
#include <optional>

namespace tarnby {

namespace {
// The fields a record line is read for, each a one-letter tag.
enum Field { T, V, I, W, R, S, FieldCount };

int fieldOf(char16_t letter) {
    switch (letter) {
    case u'T':
        return T;
    case u'V':
        return V;
    case u'I':
        return I;
    case u'W':
        return W;
    case u'R':
        return R;
    case u'S':
        return S;
    default:
        return -1;
    }
}

// The tagged value rule (first opening tag, first closing tag, the text between) for all the
// fields of one line in a single pass: the first "<X>" of a line is its first "<" followed by
// "X>", so recording the first opening and closing tag of each letter while walking the "<"s
// finds what a search for each tag from the first character would.
class RecordTags {
public:
    explicit RecordTags(QStringView line) : line_(line) {
        std::fill(std::begin(open_), std::end(open_), -1);
        std::fill(std::begin(close_), std::end(close_), -1);
        const auto* c = line.utf16();
        const qsizetype n = line.size();
        for (qsizetype i = 0; i + 2 < n; ++i) {
            if (c[i] != u'<')
                continue;
            if (c[i + 1] == u'/') {
                if (i + 3 < n && c[i + 3] == u'>')
                    keepFirst(close_, fieldOf(c[i + 2]), i);
            } else if (c[i + 2] == u'>') {
                keepFirst(open_, fieldOf(c[i + 1]), i);
            }
        }
    }

    // The field's text; empty when a tag is missing or the closing tag comes first.
    std::optional<QStringView> text(Field field) const {
        const qsizetype open = open_[field];
        const qsizetype close = close_[field];
        if (open < 0 || close < 0 || close < open + 3)
            return std::nullopt;
        return line_.sliced(open + 3, close - open - 3);
    }

    double value(Field field) const {
        const auto field_text = text(field);
        return field_text ? readNumber(*field_text).value_or(0) : 0;
    }

private:
    static void keepFirst(qsizetype* positions, int field, qsizetype at) {
        if (field >= 0 && positions[field] < 0)
            positions[field] = at;
    }

    QStringView line_;
    qsizetype open_[FieldCount];
    qsizetype close_[FieldCount];
};

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
    state.ReplotBusy = 0;

    for (const QString& line : std::as_const(state.LogLines)) {
        const RecordTags tags(line);
        const auto timeText = tags.text(T);
        if (!timeText)
            continue; // no time: never inside a range
        const auto time = readTimeOfDay(*timeText);
        if (!time || !(fromTime < *time && *time < toTime))
            continue;
        const int k = ++state.RecordCount;
        if (k > HistoryState::RecordLimit)
            return LoadOutcome::TooMany;
        const auto slot = static_cast<size_t>(k);
        state.RecTime[slot] = *time;
        state.RecVolts[slot] = tags.value(V);
        state.RecAmps[slot] = tags.value(I);
        const double rpm = tags.value(R);
        // Above 500 the generator reading is a counting glitch, not a speed.
        state.RecRPM[slot] = rpm > 500 ? 0 : rpm;
        state.RecWatts[slot] = tags.value(W);
        state.RecSpeed[slot] = tags.value(S);
    }
    if (state.RecordCount == 0)
        return LoadOutcome::NoData;
    state.PlotFrom = 1;
    state.PlotTo = state.RecordCount;
    return LoadOutcome::Loaded;
}

} // namespace tarnby
