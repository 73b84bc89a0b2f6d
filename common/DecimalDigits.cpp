#include "common/DecimalDigits.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tarnby {

DecimalDigits DecimalDigits::fromDouble(double value) {
    DecimalDigits d;
    if (!std::isfinite(value) || value == 0.0)
        return d;
    d.negative = value < 0;
    const double magnitude = std::fabs(value);
    // The shortest round-trip text (std::to_chars picks the nearest of the shortest); a double
    // that needs more than 15 significant digits is read at 15, as a person would.
    char buf[40];
    auto [end, ec] =
        std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific);
    *end = '\0';
    int significant = 0;
    for (const char* c = buf; *c && *c != 'e'; ++c)
        significant += (*c >= '0' && *c <= '9');
    if (ec != std::errc() || significant > 15) {
        const auto rounded =
            std::to_chars(buf, buf + sizeof buf - 1, magnitude, std::chars_format::scientific, 14);
        *rounded.ptr = '\0';
    }
    // buf is "d.ddde[+-]xx"
    std::string mantissa;
    const char* p = buf;
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            mantissa.push_back(*p);
    const int exponent = *p == 'e' ? std::atoi(p + 1) : 0;
    while (!mantissa.empty() && mantissa.back() == '0')
        mantissa.pop_back();
    d.digits = mantissa;
    d.pointPos = exponent + 1;
    if (d.digits.empty())
        d.negative = false;
    return d;
}

DecimalDigits DecimalDigits::rounded(int decimals, Halves halves) const {
    if (isZero())
        return *this;
    const int keep = pointPos + decimals; // number of leading digits that stay
    if (keep >= static_cast<int>(digits.size()))
        return *this;
    DecimalDigits r;
    r.negative = negative;
    r.pointPos = pointPos;
    if (keep < 0)
        return DecimalDigits{}; // below half a unit of the last place
    std::string kept = digits.substr(0, static_cast<size_t>(keep));
    const char first = digits[static_cast<size_t>(keep)];
    const bool moreAfter =
        digits.size() > static_cast<size_t>(keep) + 1; // digits has no trailing 0s
    bool up;
    if (first > '5' || (first == '5' && moreAfter))
        up = true;
    else if (first < '5')
        up = false;
    else if (halves == Halves::AwayFromZero)
        up = true;
    else
        up = !kept.empty() && ((kept.back() - '0') % 2 == 1);
    if (up) {
        int i = static_cast<int>(kept.size()) - 1;
        while (i >= 0 && kept[static_cast<size_t>(i)] == '9') {
            kept[static_cast<size_t>(i)] = '0';
            --i;
        }
        if (i < 0) {
            kept.insert(kept.begin(), '1');
            r.pointPos += 1;
        } else {
            kept[static_cast<size_t>(i)] += 1;
        }
    }
    while (!kept.empty() && kept.back() == '0')
        kept.pop_back();
    r.digits = kept;
    if (r.digits.empty())
        return DecimalDigits{};
    return r;
}

std::string DecimalDigits::integerDigits() const {
    if (isZero() || pointPos <= 0)
        return {};
    std::string out = digits.substr(0, std::min(digits.size(), static_cast<size_t>(pointPos)));
    out.append(static_cast<size_t>(pointPos) - out.size(), '0');
    return out;
}

std::string DecimalDigits::fractionDigits(int count) const {
    std::string out;
    out.reserve(static_cast<size_t>(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        const int index = pointPos + i; // digit index of the (i+1)-th fraction place
        if (index >= 0 && index < static_cast<int>(digits.size()))
            out.push_back(digits[static_cast<size_t>(index)]);
        else
            out.push_back('0');
    }
    return out;
}

std::string DecimalDigits::plainText() const {
    if (isZero())
        return "0";
    std::string out = negative ? "-" : "";
    const std::string whole = integerDigits();
    out += whole.empty() ? "0" : whole;
    const int fractionCount = static_cast<int>(digits.size()) - pointPos;
    if (fractionCount > 0)
        out += "." + fractionDigits(fractionCount);
    return out;
}

} // namespace tarnby
