#include "common/DisplayRounding.h"

#include "common/DecimalDigits.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace tarnby {

namespace {
DecimalDigits roundedDigits(double value, int decimals) {
    return DecimalDigits::fromDouble(value).rounded(decimals, DecimalDigits::Halves::ToEven);
}
} // namespace

namespace {
constexpr double PowersOfTen[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8};

// The decimal rule without building the digits, for the receive loop; empty when the value is
// outside what this path decides exactly (then the digits are built).
//
// The decimal value D a reader sees is `value` rounded to 15 significant digits (for a double
// the shortest text that converts back is that rounding with its trailing zeros dropped), so D
// lies within half a unit of the 15th digit, at most 5e-15 (relative), of `value`. Below 1e9
// units of the last place that is under 1e-5 of a unit: when the scaled value is further than
// that from a half, D rounds to the same whole number n, and n / 10^decimals (one correctly
// rounded division of exact operands) is the double strtod gives for n's text.
// Near a half k + 0.5 the half itself, T = (2k + 1) / (2 * 10^decimals), is a 15-digit
// decimal: D is T exactly when `value` lies within half a unit of the 15th digit of T, and is
// a true half that goes to the even neighbour; otherwise D lies on the side of T that `value`
// lies on, which the exact sign of value * 2 * 10^decimals - (2k + 1) (one fma) gives.
std::optional<double> roundQuickly(double value, int decimals) {
    if (decimals < 0 || decimals > 8 || !std::isfinite(value))
        return std::nullopt;
    const double scale = PowersOfTen[decimals];
    const double scaled = value * scale;
    if (!(std::fabs(scaled) < 1e9))
        return std::nullopt;
    double whole = std::nearbyint(scaled);
    if (std::fabs(std::fabs(scaled - whole) - 0.5) <= 1e-5) {
        const double below = std::floor(scaled); // k
        const double odd = 2 * below + 1;        // 2k + 1
        const double offset = std::fma(value, 2 * scale, -odd);
        const double half = odd / (2 * scale);
        const double halfUnitOf15th =
            0.5 * std::pow(10.0, std::floor(std::log10(std::fabs(half))) - 14);
        const double distance = std::fabs(offset) / (2 * scale);
        if (distance < 0.99 * halfUnitOf15th)
            whole = std::fmod(below, 2.0) == 0 ? below : below + 1;
        else if (distance > 1.01 * halfUnitOf15th)
            whole = offset > 0 ? below + 1 : below;
        else
            return std::nullopt;
    }
    return whole == 0 ? 0.0 : whole / scale;
}
} // namespace

double roundForDisplay(double value, int decimals) {
    if (const std::optional<double> quick = roundQuickly(value, decimals))
        return *quick;
    return std::strtod(roundedDigits(value, decimals).plainText().c_str(), nullptr);
}

QString displayText(double value, int decimals) {
    return QString::fromStdString(roundedDigits(value, decimals).plainText());
}

QString plainNumberText(double value) {
    return QString::fromStdString(DecimalDigits::fromDouble(value).plainText());
}

} // namespace tarnby
