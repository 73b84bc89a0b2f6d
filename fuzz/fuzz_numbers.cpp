// Number reading, picture formats and display rounding on arbitrary input.
//
// The input is read three ways: as text for readNumber (bytes, Latin-1 and UTF-8 forms), its
// first eight bytes as the bits of a double, and, when the text reads as a number, that value
// (so decimal halves such as 2.675 are met often). Every double is formatted with every picture
// pattern the program writes and shown at every display precision; each result must be a
// correctly rounded text of the value a person reads for the double (its 15 significant
// digits): within half a unit of its last place, halves away from zero for pictures and to the
// even neighbour for display texts.

#include "common/DisplayRounding.h"
#include "common/NumberText.h"
#include "common/PictureFormat.h"
#include "fuzz/ExactDecimal.h"
#include "fuzz/FuzzCheck.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

using namespace tarnby;
using namespace tarnby::fuzz;

namespace {

// Every picture pattern used by the day logs, the watt-hour file and the list of readings.
constexpr std::string_view Patterns[] = {"##.00",    "###.00",  "####.00", "####",    "###.0",
                                         "######.0", "#####.0", "##0.0",   "####0.0", "#####0.0",
                                         "##0",      "#0.00",   "###0",    "00"};
constexpr int MaxDisplayDecimals = 10;

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QByteArray describe(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g (%a)", value, value);
    return buf;
}

// The documented number grammar, checked apart from the reader: blanks, optional sign, digits
// with at most one point (at least one digit), blanks. Returns the text without blanks.
std::optional<std::string> numberGrammar(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    const std::string core(text.data() + begin, static_cast<size_t>(end - begin));
    const size_t signLength = !core.empty() && (core[0] == '+' || core[0] == '-') ? 1 : 0;
    const std::string body = core.substr(signLength);
    if (body.find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    if (body.find_first_of("0123456789") == std::string::npos)
        return std::nullopt;
    if (std::count(body.begin(), body.end(), '.') > 1)
        return std::nullopt;
    return core;
}

void checkReadNumber(QByteArrayView bytes) {
    const std::optional<double> fromBytes = readNumber(bytes);
    const QString latin1 = QString::fromLatin1(bytes.data(), bytes.size());
    const QString utf8 = QString::fromUtf8(bytes.data(), bytes.size());
    const std::optional<double> fromLatin1 = readNumber(QStringView(latin1));
    const std::optional<double> fromUtf8 = readNumber(QStringView(utf8));

    // One rule, whatever the character type.
    FUZZ_CHECK(fromBytes.has_value() == fromLatin1.has_value() &&
                   fromBytes.has_value() == fromUtf8.has_value(),
               printable(bytes));
    if (fromBytes) {
        FUZZ_CHECK(sameBits(*fromBytes, *fromLatin1) && sameBits(*fromBytes, *fromUtf8),
                   printable(bytes));
    }

    const std::optional<std::string> grammar = numberGrammar(bytes);
    if (!fromBytes) {
        // Rejected: outside the grammar, or so many digits that the value is not finite.
        FUZZ_CHECK(!grammar || !std::isfinite(std::strtod(grammar->c_str(), nullptr)),
                   printable(bytes));
        FUZZ_CHECK(!readRoundedWholeNumber(latin1) && !readExactWholeNumber(latin1),
                   printable(bytes));
        return;
    }

    FUZZ_CHECK(grammar.has_value(), printable(bytes));
    for (const QChar c : utf8)
        FUZZ_CHECK(!c.isLetter(), printable(bytes));
    FUZZ_CHECK(std::isfinite(*fromBytes), printable(bytes));
    // The value is the correctly rounded double of the decimal text, as strtod gives it.
    const double expected = std::strtod(grammar->c_str(), nullptr);
    FUZZ_CHECK(sameBits(*fromBytes, expected), printable(bytes) + " read " + describe(*fromBytes) +
                                                   ", strtod " + describe(expected));

    const double value = *fromBytes;
    const double nearest = std::nearbyint(value);
    const bool fitsInt = nearest >= -2147483648.0 && nearest <= 2147483647.0;
    const std::optional<int> rounded = readRoundedWholeNumber(latin1);
    FUZZ_CHECK(rounded.has_value() == fitsInt, printable(bytes));
    if (rounded) {
        FUZZ_CHECK(*rounded == static_cast<int>(nearest), printable(bytes));
        // Halves go to the even neighbour.
        FUZZ_CHECK(std::fabs(value - *rounded) < 0.5 ||
                       (std::fabs(value - *rounded) == 0.5 && *rounded % 2 == 0),
                   printable(bytes));
    }
    const std::optional<int> exact = readExactWholeNumber(latin1);
    FUZZ_CHECK(exact.has_value() == (nearest == value && fitsInt), printable(bytes));
    if (exact)
        FUZZ_CHECK(*exact == value, printable(bytes));
}

// The value a person reads for `value`, or empty when that reading is not itself a finite
// double: the 15 significant digits of the largest doubles round above the largest double
// (1.7976931348623157e308 reads as 1.79769313486232e308), and no text of it can read back.
std::optional<ExactDecimal> readingFor(double value) {
    if (!std::isfinite(value))
        return std::nullopt;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    if (!std::isfinite(std::strtod(buf, nullptr)))
        return std::nullopt;
    return ExactDecimal::readingOf(value);
}

struct PictureShape {
    int integerZeros = 0; // "0" before the point: integer digits always shown
    bool point = false;
    int fixedFraction = 0;    // "0" after the point
    int optionalFraction = 0; // "#" after the point
};

PictureShape shapeOf(std::string_view pattern) {
    PictureShape shape;
    const auto point = pattern.find('.');
    shape.point = point != std::string_view::npos;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (!shape.point || i < point)
            shape.integerZeros += pattern[i] == '0';
        else if (i > point) {
            shape.fixedFraction += pattern[i] == '0';
            shape.optionalFraction += pattern[i] == '#';
        }
    }
    return shape;
}

void checkPicture(double value, std::string_view pattern) {
    const QString formatted = formatPicture(value, pattern);
    const QByteArray text = formatted.toLatin1();
    const auto context = [&] {
        return QByteArray("formatPicture(" + describe(value) + ", \"" +
                          QByteArray(pattern.data(), pattern.size()) + "\") = " + printable(text));
    };

    // The text reads as a number (the empty text stands for 0).
    FUZZ_CHECK(formatted.toLatin1() == formatted.toUtf8(), context());
    const std::optional<double> readBack = text.isEmpty() ? 0.0 : readNumber(QByteArrayView(text));

    const std::optional<ExactDecimal> reading = readingFor(value);
    if (!reading) {
        // NaN, infinities and the last sliver below the largest double: no claim beyond
        // "still a plain number text".
        FUZZ_CHECK(ExactDecimal::fromPlainText(text.toStdString()).has_value(), context());
        return;
    }
    FUZZ_CHECK(readBack.has_value() && std::isfinite(*readBack), context());

    // Shape: an optional "-", the integer digits, and the point with its fraction digits.
    const PictureShape shape = shapeOf(pattern);
    const std::string s = text.toStdString();
    const bool minus = !s.empty() && s[0] == '-';
    const auto pointAt = s.find('.');
    const std::string whole =
        s.substr(minus, pointAt == std::string::npos ? std::string::npos : pointAt - minus);
    FUZZ_CHECK(shape.point == (pointAt != std::string::npos), context());
    FUZZ_CHECK(whole.find_first_not_of("0123456789") == std::string::npos, context());
    FUZZ_CHECK(static_cast<int>(whole.size()) >= shape.integerZeros, context());
    if (static_cast<int>(whole.size()) > shape.integerZeros)
        FUZZ_CHECK(whole[0] != '0', context()); // no zero beyond those the pattern asks for
    if (shape.point) {
        const std::string fraction = s.substr(pointAt + 1);
        FUZZ_CHECK(fraction.find_first_not_of("0123456789") == std::string::npos, context());
        FUZZ_CHECK(static_cast<int>(fraction.size()) >= shape.fixedFraction &&
                       static_cast<int>(fraction.size()) <=
                           shape.fixedFraction + shape.optionalFraction,
                   context());
        if (static_cast<int>(fraction.size()) > shape.fixedFraction)
            FUZZ_CHECK(fraction.back() != '0', context());
    }

    // Within half a unit of the last place; a half rounds away from zero.
    const std::optional<ExactDecimal> shown = ExactDecimal::fromPlainText(s);
    FUZZ_CHECK(shown.has_value(), context());
    const int places = shape.fixedFraction + shape.optionalFraction;
    const int distance = compareDistanceWithHalfUnit(*shown, *reading, places);
    FUZZ_CHECK(distance <= 0, context() + " is more than half a unit from the value");
    if (distance == 0)
        FUZZ_CHECK(compareMagnitude(*shown, *reading) > 0,
                   context() + " rounds a half towards zero");
    // The sign: "-" for a negative value unless it rounds to zero.
    FUZZ_CHECK(minus == (reading->negative && !shown->isZero()), context());
}

void checkDisplay(double value, int decimals) {
    const QString shownText = displayText(value, decimals);
    const std::string s = shownText.toStdString();
    const auto context = [&] {
        return QByteArray("displayText(" + describe(value) + ", " + QByteArray::number(decimals) +
                          ") = " + printable(shownText));
    };
    const double asNumber = roundForDisplay(value, decimals);

    // Plain shortest form: "-" only before a non-zero value, "0" or digits without leading
    // zeros, a fraction without trailing zeros and at most `decimals` places.
    const bool minus = !s.empty() && s[0] == '-';
    const auto pointAt = s.find('.');
    const std::string whole =
        s.substr(minus, pointAt == std::string::npos ? std::string::npos : pointAt - minus);
    FUZZ_CHECK(!whole.empty() && whole.find_first_not_of("0123456789") == std::string::npos,
               context());
    FUZZ_CHECK(whole == "0" || whole[0] != '0', context());
    if (pointAt != std::string::npos) {
        const std::string fraction = s.substr(pointAt + 1);
        FUZZ_CHECK(!fraction.empty() && static_cast<int>(fraction.size()) <= decimals, context());
        FUZZ_CHECK(fraction.find_first_not_of("0123456789") == std::string::npos, context());
        FUZZ_CHECK(fraction.back() != '0', context());
    }
    FUZZ_CHECK(s != "-0", context());

    const std::optional<ExactDecimal> reading = readingFor(value);
    if (!reading) {
        FUZZ_CHECK(ExactDecimal::fromPlainText(s).has_value(), context());
        return;
    }
    const std::optional<double> readBack = readNumber(QStringView(shownText));
    FUZZ_CHECK(readBack.has_value(), context());
    // The number and the text agree (the fast path of roundForDisplay included).
    FUZZ_CHECK(asNumber == *readBack, context() + ", roundForDisplay gives " + describe(asNumber));

    const std::optional<ExactDecimal> shown = ExactDecimal::fromPlainText(s);
    FUZZ_CHECK(shown.has_value(), context());
    FUZZ_CHECK(minus == (reading->negative && !shown->isZero()), context());
    const int distance = compareDistanceWithHalfUnit(*shown, *reading, decimals);
    FUZZ_CHECK(distance <= 0, context() + " is more than half a unit from the value");
    if (distance == 0)
        FUZZ_CHECK(digitAt(*shown, decimals) % 2 == 0,
                   context() + " rounds a half to an odd digit");
}

void checkFormatting(double value) {
    for (const std::string_view pattern : Patterns)
        checkPicture(value, pattern);
    for (int decimals = 0; decimals <= MaxDisplayDecimals; ++decimals)
        checkDisplay(value, decimals);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkReadNumber(bytes);

    if (size >= sizeof(double)) {
        double bits;
        std::memcpy(&bits, data, sizeof bits);
        checkFormatting(bits);
    }
    if (const std::optional<double> typed = readNumber(bytes))
        checkFormatting(*typed);
    return 0;
}
