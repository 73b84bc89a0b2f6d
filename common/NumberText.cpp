#include "common/NumberText.h"

#include <cmath>
#include <limits>
#include <string>

namespace tarnby {

namespace {
// Powers of ten that are exact doubles.
constexpr double ExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                       1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                       1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

char16_t codeAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
char16_t codeAt(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text[i]);
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// The rule itself, for text of either character type.
template <typename View> std::optional<double> readNumberIn(View text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(codeAt(text, begin)))
        ++begin;
    while (end > begin && isBlank(codeAt(text, end - 1)))
        --end;
    if (begin == end)
        return std::nullopt;

    qsizetype i = begin;
    const bool negative = codeAt(text, i) == u'-';
    if (codeAt(text, i) == u'+' || negative)
        ++i;
    const qsizetype digitsBegin = i;
    int digitCount = 0;
    int significantDigits = 0; // digits from the first non-zero one
    int fractionDigits = 0;
    bool point = false;
    quint64 mantissa = 0;
    for (; i < end; ++i) {
        const char16_t c = codeAt(text, i);
        if (c >= u'0' && c <= u'9') {
            ++digitCount;
            if (point)
                ++fractionDigits;
            if (significantDigits > 0 || c != u'0') {
                ++significantDigits;
                if (significantDigits <= 15)
                    mantissa = mantissa * 10 + (c - u'0');
            }
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digitCount == 0)
        return std::nullopt;

    // Up to 15 significant digits and 22 decimals: both the digits and the power of ten are
    // exact doubles, so one correctly rounded division gives the same double as strtod.
    if (significantDigits <= 15 && fractionDigits <= 22) {
        const double magnitude = static_cast<double>(mantissa) / ExactPowersOfTen[fractionDigits];
        return negative ? -magnitude : magnitude;
    }

    std::string ascii;
    ascii.reserve(static_cast<size_t>(end - digitsBegin + 1));
    if (negative)
        ascii.push_back('-');
    for (qsizetype k = digitsBegin; k < end; ++k)
        ascii.push_back(static_cast<char>(codeAt(text, k)));
    const double value = std::strtod(ascii.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt; // hundreds of digits: not a number anyone typed on purpose
    return value;
}
} // namespace

std::optional<double> readNumber(QStringView text) {
    return readNumberIn(text);
}

std::optional<double> readNumber(QByteArrayView text) {
    return readNumberIn(text);
}

double roundHalfEven(double value) {
    return std::nearbyint(value);
}

namespace {
std::optional<int> toInt(double value) {
    if (!(value >= std::numeric_limits<int>::min() && value <= std::numeric_limits<int>::max()))
        return std::nullopt;
    return static_cast<int>(value);
}
} // namespace

std::optional<int> readRoundedWholeNumber(QStringView text) {
    const auto value = readNumber(text);
    if (!value)
        return std::nullopt;
    return toInt(roundHalfEven(*value));
}

std::optional<int> readExactWholeNumber(QStringView text) {
    const auto value = readNumber(text);
    if (!value || std::floor(*value) != *value)
        return std::nullopt;
    return toInt(*value);
}

} // namespace tarnby
