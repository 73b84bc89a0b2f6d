#include "history/PictureBytes.h"

#include "common/PictureFormat.h"

#include <cmath>
#include <string>

namespace tarnby {

namespace {
constexpr double PowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
constexpr long long WholePowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};

void appendDigits(QByteArray& out, long long number, int minimumDigits) {
    char digits[24];
    int count = 0;
    while (number > 0 || count < minimumDigits) {
        digits[count++] = static_cast<char>('0' + number % 10);
        number /= 10;
    }
    while (count > 0)
        out += digits[--count];
}
} // namespace

void appendHashPicture(QByteArray& out, double value, int decimals) {
    // The double differs from the decimal a person reads by under 6e-15 of its size, so below
    // 1e8 units of the last place the scaled value is within 1e-6 of that decimal's: unless it
    // lies that close to a half, both round to the same whole number. Near halves (and for
    // huge values) the decimal rounding itself decides.
    if (decimals >= 0 && decimals <= 6 && std::isfinite(value)) {
        const double scaled = std::fabs(value) * PowersOfTen[decimals];
        const double floor = std::floor(scaled);
        const double fraction = scaled - floor;
        if (scaled < 1e8 && std::fabs(fraction - 0.5) > 1e-6) {
            const auto units = static_cast<long long>(fraction > 0.5 ? floor + 1 : floor);
            if (units != 0 && value < 0)
                out += '-';
            const long long whole = units / WholePowersOfTen[decimals];
            if (whole > 0)
                appendDigits(out, whole, 1);
            if (decimals > 0) {
                out += '.';
                appendDigits(out, units % WholePowersOfTen[decimals], decimals);
            }
            return;
        }
    }
    std::string pattern(4, '#');
    if (decimals > 0)
        pattern += '.' + std::string(static_cast<size_t>(decimals), '0');
    out += formatPicture(value, pattern).toLatin1();
}

void appendTimeOfDay(QByteArray& out, int secondsSinceMidnight) {
    const int minutes = secondsSinceMidnight / 60;
    appendDigits(out, minutes / 60, 2);
    out += ':';
    appendDigits(out, minutes % 60, 2);
}

} // namespace tarnby
