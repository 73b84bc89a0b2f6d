// Number reading and picture formats on arbitrary input.
//
// The input is read as text for readNumber (bytes, Latin-1 and UTF-8 forms) and its first eight
// bytes as the bits of a double. Checked: one rule whatever the character type; a text is a
// number exactly when it is within the documented grammar and not too large for a double (no
// "inf", no exponent, nothing the standard conversion would take beyond the grammar); every
// picture pattern the program writes gives a text the loader reads back as the value, to within
// half a unit of its last place, with a "-" exactly for negative values.

#include "common/NumberText.h"
#include "common/PictureFormat.h"
#include "fuzz/FuzzCheck.h"

#include <QString>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

using namespace tarnby;
using namespace tarnby::fuzz;

namespace {

// Every picture pattern used by the day logs, the watt-hour file, the list of readings, the
// plot labels and the CSV export, with its number of decimal places.
constexpr std::pair<std::string_view, int> Patterns[] = {
    {"##.00", 2},    {"###.00", 2},  {"####.00", 2}, {"####", 0},    {"###.0", 1},
    {"######.0", 1}, {"#####.0", 1}, {"##0.0", 1},   {"####0.0", 1}, {"#####0.0", 1},
    {"##0", 0},      {"#0.00", 2},   {"###0", 0},    {"00", 0}};

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

QByteArray describe(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.17g (%a)", value, value);
    return buf;
}

// The documented grammar, checked apart from the reader: blanks, optional sign, digits with at
// most one point (at least one digit), blanks.
bool inGrammar(QByteArrayView text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (begin < end && blank(text[begin]))
        ++begin;
    while (end > begin && blank(text[end - 1]))
        --end;
    std::string body(text.data() + begin, static_cast<size_t>(end - begin));
    if (!body.empty() && (body[0] == '+' || body[0] == '-'))
        body.erase(0, 1);
    return body.find_first_not_of("0123456789.") == std::string::npos &&
           body.find_first_of("0123456789") != std::string::npos &&
           std::count(body.begin(), body.end(), '.') <= 1;
}

void checkReadNumber(QByteArrayView bytes) {
    const NumberReading fromBytes = readNumberText(bytes);
    const QString latin1 = QString::fromLatin1(bytes.data(), bytes.size());
    const QString utf8 = QString::fromUtf8(bytes.data(), bytes.size());
    for (const NumberReading& other :
         {readNumberText(QStringView(latin1)), readNumberText(QStringView(utf8))}) {
        FUZZ_CHECK(fromBytes.value.has_value() == other.value.has_value() &&
                       fromBytes.outOfRange == other.outOfRange,
                   printable(bytes));
        if (fromBytes.value)
            FUZZ_CHECK(sameBits(*fromBytes.value, *other.value), printable(bytes));
    }
    FUZZ_CHECK(!(fromBytes.value && fromBytes.outOfRange), printable(bytes));
    FUZZ_CHECK(inGrammar(bytes) == (fromBytes.value || fromBytes.outOfRange), printable(bytes));
    if (fromBytes.value)
        FUZZ_CHECK(std::isfinite(*fromBytes.value), printable(bytes));
}

void checkPicture(double value, std::string_view pattern, int places) {
    const QByteArray text = formatPicture(value, pattern).toLatin1();
    const auto context = [&] {
        return QByteArray("formatPicture(" + describe(value) + ", \"" +
                          QByteArray(pattern.data(), pattern.size()) + "\") = " + printable(text));
    };
    if (!std::isfinite(value))
        return;
    FUZZ_CHECK(text.startsWith('-') == (value < 0), context());
    // "" and "-" stand for a value that rounds to zero; the loader reads them as 0.
    const std::optional<double> readBack =
        text.isEmpty() || text == "-" ? 0.0 : readNumber(QByteArrayView(text));
    FUZZ_CHECK(readBack.has_value(), context());
    // The largest doubles read at 15 digits round beyond the largest double.
    if (!std::isfinite(*readBack))
        return;
    const double halfUnit = 0.5 * std::pow(10.0, -places);
    FUZZ_CHECK(std::fabs(*readBack - value) <= halfUnit * (1 + 1e-9) + 1e-14 * std::fabs(value),
               context() + " reads back as " + describe(*readBack));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    checkReadNumber(bytes);
    if (size >= sizeof(double)) {
        double value;
        std::memcpy(&value, data, sizeof value);
        for (const auto& [pattern, places] : Patterns)
            checkPicture(value, pattern, places);
    }
    return 0;
}
