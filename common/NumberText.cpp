#include "common/NumberText.h"

#include <cmath>
#include <limits>
#include <string>

namespace tarnby {

namespace {
bool isBlank(QChar c) { return c == u' ' || c == u'\t'; }
} // namespace

std::optional<double> readNumber(QStringView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin]))
        ++begin;
    while (end > begin && isBlank(text[end - 1]))
        --end;
    if (begin == end)
        return std::nullopt;

    std::string ascii;
    ascii.reserve(static_cast<size_t>(end - begin));
    qsizetype i = begin;
    if (text[i] == u'+' || text[i] == u'-') {
        ascii.push_back(static_cast<char>(text[i].unicode()));
        ++i;
    }
    int digitCount = 0;
    bool point = false;
    for (; i < end; ++i) {
        const char16_t c = text[i].unicode();
        if (c >= u'0' && c <= u'9') {
            ascii.push_back(static_cast<char>(c));
            ++digitCount;
        } else if (c == u'.' && !point) {
            ascii.push_back('.');
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digitCount == 0)
        return std::nullopt;
    const double value = std::strtod(ascii.c_str(), nullptr);
    if (!std::isfinite(value))
        return std::nullopt; // hundreds of digits: not a number anyone typed on purpose
    return value;
}

double roundHalfEven(double value) { return std::nearbyint(value); }

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
