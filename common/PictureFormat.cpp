#include "common/PictureFormat.h"

#include "common/DecimalDigits.h"

#include <algorithm>

namespace tarnby {

QString formatPicture(double value, std::string_view pattern) {
    const auto point = pattern.find('.');
    const std::string_view integerPart = pattern.substr(0, point);
    const std::string_view fractionPart =
        point == std::string_view::npos ? std::string_view{} : pattern.substr(point + 1);

    const int minIntegerDigits =
        static_cast<int>(std::count(integerPart.begin(), integerPart.end(), '0'));
    const int fixedFraction =
        static_cast<int>(std::count(fractionPart.begin(), fractionPart.end(), '0'));
    const int optionalFraction =
        static_cast<int>(std::count(fractionPart.begin(), fractionPart.end(), '#'));
    const int fractionPlaces = fixedFraction + optionalFraction;

    const DecimalDigits reading = DecimalDigits::fromDouble(value);
    const DecimalDigits rounded =
        reading.rounded(fractionPlaces, DecimalDigits::Halves::AwayFromZero);

    std::string text;
    if (reading.negative)
        text.push_back('-');
    std::string whole = rounded.integerDigits();
    if (static_cast<int>(whole.size()) < minIntegerDigits)
        whole.insert(0, static_cast<size_t>(minIntegerDigits) - whole.size(), '0');
    text += whole;
    if (point != std::string_view::npos) {
        std::string fraction = rounded.fractionDigits(fractionPlaces);
        while (static_cast<int>(fraction.size()) > fixedFraction && fraction.back() == '0')
            fraction.pop_back();
        text.push_back('.');
        text += fraction;
    }
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace tarnby
