#include "common/DecimalDigits.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace tarnby {

namespace {
// Reads "d[.ddd]e[+-]xx" as written by std::to_chars in scientific form.
void takeScientific(const char* text, const char* end, DecimalDigits& d) {
    const char* p = text;
    for (; p < end && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9' && d.count < DecimalDigits::MaxDigits)
            d.digits[d.count++] = *p;
    int exponent = 0;
    std::from_chars(p + 1 + (p[1] == '+'), end, exponent);
    while (d.count > 0 && d.digits[d.count - 1] == '0')
        --d.count;
    d.pointPos = exponent + 1;
}
} // namespace

DecimalDigits DecimalDigits::fromDouble(double value) {
    DecimalDigits d;
    if (!std::isfinite(value) || value == 0.0)
        return d;
    d.negative = value < 0;
    const double magnitude = std::fabs(value);
    // The value rounded to 15 significant digits. When the shortest text that converts back
    // has at most 15 digits, this is that text with zeros appended: 15-digit decimals lie
    // further apart than doubles, so only one of them converts back to the double, and the
    // nearest one does whenever any does.
    // Below the normal range doubles lie further apart than that: there the shortest text counts.
    char buf[40];
    auto result =
        std::to_chars(buf, buf + sizeof buf, magnitude, std::chars_format::scientific, 14);
    if (magnitude < std::numeric_limits<double>::min()) {
        char shortest[40];
        const auto exact = std::to_chars(shortest, shortest + sizeof shortest, magnitude,
                                         std::chars_format::scientific);
        if (std::count_if(shortest, std::find(shortest, exact.ptr, 'e'),
                          [](char c) { return c >= '0' && c <= '9'; }) <= 15)
            result = {std::copy(shortest, exact.ptr, buf), exact.ec};
    }
    takeScientific(buf, result.ptr, d);
    if (d.count == 0)
        d.negative = false;
    return d;
}

DecimalDigits DecimalDigits::rounded(int decimals, Halves halves) const {
    const int keep = pointPos + decimals; // number of leading digits that stay
    if (isZero() || keep >= count)
        return *this;
    if (keep < 0)
        return DecimalDigits{}; // below half a unit of the last place
    DecimalDigits r;
    r.negative = negative;
    r.pointPos = pointPos;
    std::copy(digits, digits + keep, r.digits);
    r.count = keep;
    const char first = digits[keep];
    const bool moreAfter = count > keep + 1; // digits has no trailing zeros
    bool up;
    if (first > '5' || (first == '5' && moreAfter))
        up = true;
    else if (first < '5')
        up = false;
    else if (halves == Halves::AwayFromZero)
        up = true;
    else
        up = keep > 0 && (digits[keep - 1] - '0') % 2 == 1;
    if (up) {
        int i = keep - 1;
        while (i >= 0 && r.digits[i] == '9')
            r.digits[i--] = '0';
        if (i < 0) {
            std::copy_backward(r.digits, r.digits + keep, r.digits + keep + 1);
            r.digits[0] = '1';
            ++r.count;
            ++r.pointPos;
        } else {
            ++r.digits[i];
        }
    }
    while (r.count > 0 && r.digits[r.count - 1] == '0')
        --r.count;
    if (r.count == 0)
        return DecimalDigits{};
    return r;
}

std::string DecimalDigits::integerDigits() const {
    if (isZero() || pointPos <= 0)
        return {};
    std::string out(significant().substr(0, static_cast<size_t>(pointPos)));
    out.append(static_cast<size_t>(pointPos) - out.size(), '0');
    return out;
}

std::string DecimalDigits::fractionDigits(int places) const {
    std::string out(static_cast<size_t>(std::max(places, 0)), '0');
    for (int i = 0; i < places; ++i) {
        const int index = pointPos + i; // digit index of the (i+1)-th fraction place
        if (index >= 0 && index < count)
            out[static_cast<size_t>(i)] = digits[index];
    }
    return out;
}

char* DecimalDigits::writePlain(char* out) const {
    if (isZero()) {
        *out++ = '0';
        return out;
    }
    if (negative)
        *out++ = '-';
    if (pointPos <= 0) {
        *out++ = '0';
    } else {
        for (int i = 0; i < pointPos; ++i)
            *out++ = i < count ? digits[i] : '0';
    }
    if (count > pointPos) {
        *out++ = '.';
        for (int i = std::min(pointPos, 0); i < count - std::max(pointPos, 0); ++i)
            *out++ = i < 0 ? '0' : digits[std::max(pointPos, 0) + i];
    }
    return out;
}

std::string DecimalDigits::plainText() const {
    char text[MaxPlainText];
    return std::string(text, writePlain(text));
}

} // namespace tarnby
