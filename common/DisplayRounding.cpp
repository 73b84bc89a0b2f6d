#include "common/DisplayRounding.h"

#include "common/DecimalDigits.h"

#include <cmath>
#include <cstdlib>

namespace tarnby {

namespace {
DecimalDigits roundedDigits(double value, int decimals) {
    return DecimalDigits::fromDouble(value).rounded(decimals, DecimalDigits::Halves::ToEven);
}
} // namespace

double roundForDisplay(double value, int decimals) {
    // Fast path for the receive loop, giving the same double as the decimal rounding below.
    // The decimal value a reader sees lies within 6e-15 (relative) of `value`; below 1e9 units
    // of the last place that is less than 1e-5 of a unit, so whenever the scaled value is
    // further than that from a half, both round to the same whole number n, and n / 10^decimals
    // (one correctly rounded division of exact operands) is the double strtod gives for it.
    static constexpr double Scale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};
    if (decimals >= 0 && decimals <= 8 && std::isfinite(value)) {
        const double scaled = value * Scale[decimals];
        if (std::fabs(scaled) < 1e9) {
            const double whole = std::nearbyint(scaled);
            if (std::fabs(std::fabs(scaled - whole) - 0.5) > 1e-5)
                return whole == 0 ? 0.0 : whole / Scale[decimals];
        }
    }
    return std::strtod(roundedDigits(value, decimals).plainText().c_str(), nullptr);
}

QString displayText(double value, int decimals) {
    return QString::fromStdString(roundedDigits(value, decimals).plainText());
}

QString plainNumberText(double value) {
    return QString::fromStdString(DecimalDigits::fromDouble(value).plainText());
}

} // namespace tarnby
