#include "common/NumberText.h"

#include <QVarLengthArray>

#include <charconv>
#include <cmath>
#include <limits>

namespace tarnby {

namespace {
char16_t codeAt(QStringView text, qsizetype i) {
    return text[i].unicode();
}
char16_t codeAt(QByteArrayView text, qsizetype i) {
    return static_cast<unsigned char>(text[i]);
}

bool isBlank(char16_t c) {
    return c == u' ' || c == u'\t';
}

// The grammar: blanks, an optional sign, digits with at most one point (at least one digit),
// blanks. Gives the text without its blanks and without a "+" (which std::from_chars does not
// take), and whether a digit before the point is not zero; empty when the text is outside the
// grammar.
struct Plain {
    qsizetype begin = 0;
    qsizetype end = 0;
    bool wholePart = false; // a non-zero digit before the point: the value is at least 1
};

template <typename View> std::optional<Plain> plainNumber(View text) {
    Plain plain{0, text.size()};
    while (plain.begin < plain.end && isBlank(codeAt(text, plain.begin)))
        ++plain.begin;
    while (plain.end > plain.begin && isBlank(codeAt(text, plain.end - 1)))
        --plain.end;
    if (plain.begin == plain.end)
        return std::nullopt;
    qsizetype i = plain.begin;
    if (codeAt(text, i) == u'+')
        i = ++plain.begin;
    else if (codeAt(text, i) == u'-')
        ++i;
    bool digit = false;
    bool point = false;
    for (; i < plain.end; ++i) {
        const char16_t c = codeAt(text, i);
        if (c >= u'0' && c <= u'9') {
            digit = true;
            plain.wholePart = plain.wholePart || (!point && c != u'0');
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (!digit)
        return std::nullopt;
    return plain;
}

// The value of a text in the grammar, correctly rounded. A value too small for a double is
// zero (with its sign); one too large is out of range.
NumberReading convert(const char* begin, const char* end, bool wholePart) {
    double value = 0;
    const auto [ptr, ec] = std::from_chars(begin, end, value, std::chars_format::fixed);
    if (ec == std::errc::result_out_of_range) {
        if (wholePart)
            return {std::nullopt, true};
        return {*begin == '-' ? -0.0 : 0.0, false};
    }
    if (ec != std::errc() || ptr != end)
        return {};
    return {value, false};
}
} // namespace

NumberReading readNumberText(QByteArrayView text) {
    const std::optional<Plain> plain = plainNumber(text);
    if (!plain)
        return {};
    return convert(text.data() + plain->begin, text.data() + plain->end, plain->wholePart);
}

NumberReading readNumberText(QStringView text) {
    const std::optional<Plain> plain = plainNumber(text);
    if (!plain)
        return {};
    // Only ASCII digits, "-" and "." are left: each is its own byte.
    QVarLengthArray<char, 64> ascii(plain->end - plain->begin);
    for (qsizetype i = 0; i < ascii.size(); ++i)
        ascii[i] = static_cast<char>(text[plain->begin + i].unicode());
    return convert(ascii.data(), ascii.data() + ascii.size(), plain->wholePart);
}

std::optional<double> readNumber(QStringView text) {
    return readNumberText(text).value;
}

std::optional<double> readNumber(QByteArrayView text) {
    return readNumberText(text).value;
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
