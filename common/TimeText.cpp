#include "common/TimeText.h"

namespace tarnby {

QString timeOfDayText(const QTime& time) {
    return timeOfDayText(time.hour() * 60 + time.minute());
}

QString timeOfDayText(int minutesSinceMidnight) {
    const int hours = minutesSinceMidnight / 60;
    const int minutes = minutesSinceMidnight % 60;
    QString text(5, u':');
    text[0] = QChar(u'0' + hours / 10);
    text[1] = QChar(u'0' + hours % 10);
    text[3] = QChar(u'0' + minutes / 10);
    text[4] = QChar(u'0' + minutes % 10);
    return text;
}

namespace {
std::optional<int> readField(QStringView part, int maximum) {
    part = part.trimmed();
    if (part.isEmpty() || part.size() > 2)
        return std::nullopt;
    int value = 0;
    for (QChar c : part) {
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c.unicode() - u'0');
    }
    if (value > maximum)
        return std::nullopt;
    return value;
}
} // namespace

std::optional<int> readTimeOfDay(QStringView text) {
    const qsizetype first = text.indexOf(u':');
    if (first < 0)
        return std::nullopt;
    const qsizetype second = text.indexOf(u':', first + 1);
    const auto hours = readField(text.first(first), 23);
    const auto minutes = readField(
        second < 0 ? text.sliced(first + 1) : text.sliced(first + 1, second - first - 1), 59);
    std::optional<int> seconds = 0;
    if (second >= 0)
        seconds = readField(text.sliced(second + 1), 59);
    if (!hours || !minutes || !seconds)
        return std::nullopt;
    return *hours * 3600 + *minutes * 60 + *seconds;
}

} // namespace tarnby
