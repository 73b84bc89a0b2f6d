#include "fuzz/ExactDecimal.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace tarnby::fuzz {

namespace {
void normalise(ExactDecimal& d) {
    const auto first = d.digits.find_first_not_of('0');
    if (first == std::string::npos) {
        d.digits.clear();
        d.negative = false;
        d.exponent = 0;
        return;
    }
    d.digits.erase(0, first);
    while (d.digits.back() == '0') {
        d.digits.pop_back();
        ++d.exponent;
    }
}

// Non-negative whole numbers as digit strings, most significant first, no leading zeros ("" is 0).
std::string stripped(std::string s) {
    const auto first = s.find_first_not_of('0');
    return first == std::string::npos ? std::string{} : s.substr(first);
}

int compareWhole(const std::string& a, const std::string& b) {
    if (a.size() != b.size())
        return a.size() < b.size() ? -1 : 1;
    return a.compare(b) < 0 ? -1 : (a == b ? 0 : 1);
}

std::string addWhole(const std::string& a, const std::string& b) {
    std::string out;
    int carry = 0;
    for (size_t i = 0; i < std::max(a.size(), b.size()) || carry; ++i) {
        int sum = carry;
        if (i < a.size())
            sum += a[a.size() - 1 - i] - '0';
        if (i < b.size())
            sum += b[b.size() - 1 - i] - '0';
        out.push_back(static_cast<char>('0' + sum % 10));
        carry = sum / 10;
    }
    std::reverse(out.begin(), out.end());
    return stripped(out);
}

// a - b for a >= b.
std::string subtractWhole(const std::string& a, const std::string& b) {
    std::string out;
    int borrow = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        int d = (a[a.size() - 1 - i] - '0') - borrow;
        if (i < b.size())
            d -= b[b.size() - 1 - i] - '0';
        borrow = d < 0;
        out.push_back(static_cast<char>('0' + (d + 10) % 10));
    }
    std::reverse(out.begin(), out.end());
    return stripped(out);
}

// The digits of `d` as a whole number of units of 10^scale (scale <= d.exponent).
std::string scaledTo(const ExactDecimal& d, int scale) {
    if (d.isZero())
        return {};
    return d.digits + std::string(static_cast<size_t>(d.exponent - scale), '0');
}
} // namespace

std::optional<ExactDecimal> ExactDecimal::fromPlainText(std::string_view text) {
    ExactDecimal d;
    if (text.empty())
        return d;
    size_t i = 0;
    if (text[0] == '-') {
        d.negative = true;
        ++i;
    }
    bool point = false;
    int digitCount = 0;
    int fraction = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            d.digits.push_back(c);
            ++digitCount;
            fraction += point;
        } else if (c == '.' && !point) {
            point = true;
        } else {
            return std::nullopt;
        }
    }
    if (digitCount == 0)
        return std::nullopt;
    d.exponent = -fraction;
    normalise(d);
    return d;
}

ExactDecimal ExactDecimal::readingOf(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    ExactDecimal d;
    const char* p = buf;
    if (*p == '-') {
        d.negative = true;
        ++p;
    }
    for (; *p && *p != 'e'; ++p)
        if (*p >= '0' && *p <= '9')
            d.digits.push_back(*p);
    d.exponent = (*p == 'e' ? std::atoi(p + 1) : 0) - 14;
    normalise(d);
    return d;
}

int compareDistanceWithHalfUnit(const ExactDecimal& a, const ExactDecimal& b, int places) {
    const int halfExponent = -places - 1;
    int scale = halfExponent;
    if (!a.isZero())
        scale = std::min(scale, a.exponent);
    if (!b.isZero())
        scale = std::min(scale, b.exponent);
    const std::string x = scaledTo(a, scale);
    const std::string y = scaledTo(b, scale);
    std::string distance;
    if (a.negative == b.negative || a.isZero() || b.isZero())
        distance = compareWhole(x, y) >= 0 ? subtractWhole(x, y) : subtractWhole(y, x);
    else
        distance = addWhole(x, y);
    if (a.isZero() && b.isZero())
        distance.clear();
    const std::string half = "5" + std::string(static_cast<size_t>(halfExponent - scale), '0');
    return compareWhole(distance, half);
}

int compareMagnitude(const ExactDecimal& a, const ExactDecimal& b) {
    int scale = 0;
    if (!a.isZero())
        scale = std::min(scale, a.exponent);
    if (!b.isZero())
        scale = std::min(scale, b.exponent);
    return compareWhole(scaledTo(a, scale), scaledTo(b, scale));
}

int digitAt(const ExactDecimal& a, int places) {
    // Digit index counted from the last digit, whose place is 10^exponent.
    const long index = static_cast<long>(-places) - a.exponent;
    if (a.isZero() || index < 0 || index >= static_cast<long>(a.digits.size()))
        return 0;
    return a.digits[a.digits.size() - 1 - static_cast<size_t>(index)] - '0';
}

} // namespace tarnby::fuzz
