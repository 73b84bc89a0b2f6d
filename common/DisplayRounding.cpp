#include "common/DisplayRounding.h"

#include "common/DecimalDigits.h"

#include <charconv>

namespace tarnby {

namespace {
DecimalDigits roundedDigits(double value, int decimals) {
    return DecimalDigits::fromDouble(value).rounded(decimals, DecimalDigits::Halves::ToEven);
}
} // namespace

double roundForDisplay(double value, int decimals) {
    char text[DecimalDigits::MaxPlainText];
    const char* end = roundedDigits(value, decimals).writePlain(text);
    // The text is in the number grammar by construction: convert it without checking it again.
    double rounded = 0;
    std::from_chars(text, end, rounded, std::chars_format::fixed);
    return rounded;
}

QString displayText(double value, int decimals) {
    char text[DecimalDigits::MaxPlainText];
    const char* end = roundedDigits(value, decimals).writePlain(text);
    return QString::fromLatin1(text, end - text);
}

QString plainNumberText(double value) {
    return QString::fromStdString(DecimalDigits::fromDouble(value).plainText());
}

} // namespace tarnby
