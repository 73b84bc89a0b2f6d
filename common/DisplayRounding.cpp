#include "common/DisplayRounding.h"

#include "common/DecimalDigits.h"

#include <cstdlib>

namespace tarnby {

namespace {
DecimalDigits roundedDigits(double value, int decimals) {
    return DecimalDigits::fromDouble(value).rounded(decimals, DecimalDigits::Halves::ToEven);
}
} // namespace

double roundForDisplay(double value, int decimals) {
    return std::strtod(roundedDigits(value, decimals).plainText().c_str(), nullptr);
}

QString displayText(double value, int decimals) {
    return QString::fromStdString(roundedDigits(value, decimals).plainText());
}

QString plainNumberText(double value) {
    return QString::fromStdString(DecimalDigits::fromDouble(value).plainText());
}

} // namespace tarnby
