#pragma once
// The decimal value a person reads for a double: the shortest text that converts back to the
// same double, limited to 15 significant digits. Rounding at a decimal place works on these
// digits, so 1.005 is a half at two decimals (as a reader expects) although the binary double
// lies just below it.

#include <string>

namespace tarnby {

struct DecimalDigits {
    bool negative = false;
    std::string digits; // significant digits, no leading zeros; empty means zero
    int pointPos = 0;   // value = 0.<digits> * 10^pointPos

    static DecimalDigits fromDouble(double value);

    enum class Halves { AwayFromZero, ToEven };
    // Rounds to `decimals` places after the point.
    DecimalDigits rounded(int decimals, Halves halves) const;

    bool isZero() const { return digits.empty(); }
    // Digits before the point, without leading zeros ("" for values below 1).
    std::string integerDigits() const;
    // Exactly `count` digits after the point, padded with zeros.
    std::string fractionDigits(int count) const;
    // Plain shortest form: no exponent, no trailing zeros, "0" for zero, "-" for negatives.
    std::string plainText() const;
};

} // namespace tarnby
