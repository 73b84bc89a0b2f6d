#include "common/DisplayRounding.h"

#include "common/DecimalDigits.h"
#include "common/NumberText.h"

namespace tarnby {

namespace {
std::string roundedText(double value, int decimals) {
    return DecimalDigits::fromDouble(value)
        .rounded(decimals, DecimalDigits::Halves::ToEven)
        .plainText();
}
} // namespace

double roundForDisplay(double value, int decimals) {
    const std::string text = roundedText(value, decimals);
    return readNumber(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())))
        .value_or(0.0);
}

QString displayText(double value, int decimals) {
    return QString::fromStdString(roundedText(value, decimals));
}

QString plainNumberText(double value) {
    return QString::fromStdString(DecimalDigits::fromDouble(value).plainText());
}

} // namespace tarnby
