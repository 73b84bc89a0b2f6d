#include "common/DisplayRounding.h"

#include "common/DecimalDigits.h"
#include "common/NumberText.h"

namespace tarnby {

namespace {
DecimalDigits roundedDigits(double value, int decimals) {
    return DecimalDigits::fromDouble(value).rounded(decimals, DecimalDigits::Halves::ToEven);
}
} // namespace

double roundForDisplay(double value, int decimals) {
    char text[DecimalDigits::MaxPlainText];
    const char* end = roundedDigits(value, decimals).writePlain(text);
    return readNumber(QByteArrayView(text, end - text)).value_or(0.0);
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
