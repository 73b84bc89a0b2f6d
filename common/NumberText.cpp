#include "common/NumberText.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <cstdint>
#include <limits>

namespace tarnby {

namespace {
unsigned codeAt(QStringView text, qsizetype i) {
    return text.data()[i].unicode();
}
unsigned codeAt(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text.data()[i]);
}

bool isBlank(unsigned c) {
    return c == ' ' || c == '\t';
}

// The bytes std::from_chars reads: the text itself, or its characters as bytes (only ASCII
// digits, "-" and "." are left when it is read).
const char* asBytes(QByteArrayView text, qsizetype begin, qsizetype, QVarLengthArray<char, 64>&) {
    return text.data() + begin;
}
const char* asBytes(QStringView text, qsizetype begin, qsizetype end,
                    QVarLengthArray<char, 64>& bytes) {
    bytes.resize(end - begin);
    for (qsizetype i = begin; i < end; ++i)
        bytes[i - begin] = static_cast<char>(codeAt(text, i));
    return bytes.data();
}

// A text in the grammar that is too long for the exact division below: its value from
// std::from_chars. Kept out of line so that the common short texts do not pay for it.
template <typename View>
[[gnu::noinline]] bool readLong(View text, qsizetype begin, qsizetype end, qsizetype digitsBegin,
                                qsizetype pointAt, double& value, bool& outOfRange) {
    QVarLengthArray<char, 64> bytes;
    const char* first = asBytes(text, begin, end, bytes);
    const char* last = first + (end - begin);
    const auto [ptr, ec] = std::from_chars(first, last, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        // Too large when a digit before the point is not zero (the value is at least 1),
        // otherwise too small to tell from zero.
        outOfRange = false;
        for (qsizetype i = digitsBegin; i < pointAt; ++i)
            outOfRange = outOfRange || codeAt(text, i) != '0';
        value = codeAt(text, begin) == '-' ? -0.0 : 0.0;
        return !outOfRange;
    }
    return ec == std::errc() && ptr == last;
}

// The rule. The grammar: blanks, an optional sign, digits with at most one point (at least one
// digit), blanks; a text outside it is not a number. Its value is the correctly rounded double
// of the decimal text; a value too small for a double is zero (with its sign), one too large is
// out of range. Returns whether the text is a number, and its value in `value`; `outOfRange`
// is set for one too large.
template <typename View> bool read(View text, double& value, bool& outOfRange) {
    qsizetype begin = 0, end = text.size();
    while (begin < end && isBlank(codeAt(text, begin)))
        ++begin;
    while (end > begin && isBlank(codeAt(text, end - 1)))
        --end;
    if (begin == end)
        return false;
    bool negative = false;
    if (codeAt(text, begin) == '+')
        ++begin; // std::from_chars takes no "+"
    else
        negative = codeAt(text, begin) == '-';
    // The digits are gathered as one whole number (which wraps round past 19 digits, and is
    // then not used).
    const qsizetype digitsBegin = begin + negative;
    qsizetype pointAt = end; // no point
    std::uint64_t digits = 0;
    for (qsizetype i = digitsBegin; i < end; ++i) {
        const unsigned digit = codeAt(text, i) - '0';
        if (digit <= 9)
            digits = digits * 10 + digit;
        else if (codeAt(text, i) == '.' && pointAt == end)
            pointAt = i;
        else
            return false;
    }
    const qsizetype count = end - digitsBegin - (pointAt < end);
    if (count == 0)
        return false;
    const qsizetype fraction = pointAt < end ? end - pointAt - 1 : 0;

    // Digits of at most 2^53 and a power of ten of at most 10^22 are both exact doubles, and a
    // division rounds their exact quotient correctly: the value std::from_chars gives, without
    // reading the text again. Day logs, frames and settings hold such short texts.
    static constexpr double PowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                             1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
    if (count <= 19 && digits <= (std::uint64_t(1) << 53) && fraction <= 22) {
        const double quotient = static_cast<double>(digits) / PowersOfTen[fraction];
        value = negative ? -quotient : quotient;
        return true;
    }
    return readLong(text, begin, end, digitsBegin, pointAt, value, outOfRange);
}

template <typename View> NumberReading reading(View text) {
    double value = 0;
    bool outOfRange = false;
    if (!read(text, value, outOfRange))
        return {std::nullopt, outOfRange};
    return {value, false};
}

template <typename View> std::optional<double> number(View text) {
    double value = 0;
    bool outOfRange = false;
    if (!read(text, value, outOfRange))
        return std::nullopt;
    return value;
}
} // namespace

NumberReading readNumberText(QByteArrayView text) {
    return reading(text);
}

NumberReading readNumberText(QStringView text) {
    return reading(text);
}

std::optional<double> readNumber(QStringView text) {
    return number(text);
}

std::optional<double> readNumber(QByteArrayView text) {
    return number(text);
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
