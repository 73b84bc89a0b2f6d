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
unsigned codeAt(QStringView text, qsizetype i) {
    return text.data()[i].unicode();
}
unsigned codeAt(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text.data()[i]);
}
bool isSpace(QStringView, unsigned c) {
    return QChar::isSpace(c);
}
bool isSpace(QByteArrayView, unsigned c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Hours ":" minutes, optionally ":" seconds, each part one or two digits with white space
// around them tolerated.
template <typename View> std::optional<int> readTime(View text) {
    const qsizetype n = text.size();
    qsizetype first = -1, second = -1;
    for (qsizetype i = 0; i < n; ++i) {
        if (codeAt(text, i) != ':')
            continue;
        if (first >= 0) {
            second = i;
            break;
        }
        first = i;
    }
    // The part text[begin, end) as a number of at most `maximum`.
    const auto part = [&text](qsizetype begin, qsizetype end, int maximum, int& value) {
        while (begin < end && isSpace(text, codeAt(text, begin)))
            ++begin;
        while (end > begin && isSpace(text, codeAt(text, end - 1)))
            --end;
        if (begin == end || end - begin > 2)
            return false;
        value = 0;
        for (qsizetype i = begin; i < end; ++i) {
            const unsigned digit = codeAt(text, i) - '0';
            if (digit > 9)
                return false;
            value = value * 10 + static_cast<int>(digit);
        }
        return value <= maximum;
    };
    int hours = 0, minutes = 0, seconds = 0;
    if (first < 0 || !part(0, first, 23, hours) ||
        !part(first + 1, second < 0 ? n : second, 59, minutes) ||
        (second >= 0 && !part(second + 1, n, 59, seconds)))
        return std::nullopt;
    return hours * 3600 + minutes * 60 + seconds;
}
} // namespace

std::optional<int> readTimeOfDay(QStringView text) {
    return readTime(text);
}

std::optional<int> readTimeOfDay(QByteArrayView text) {
    return readTime(text);
}

} // namespace tarnby
