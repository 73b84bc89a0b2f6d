#pragma once
// The decimal value a person reads for a double: the shortest text that converts back to the
// same double, limited to 15 significant digits (the double rounded to 15 significant digits,
// trailing zeros dropped). Rounding at a decimal place works on these
// digits, so 1.005 is a half at two decimals (as a reader expects) although the binary double
// lies just below it. The digits live in the object itself: no text is allocated until one is
// asked for.

#include <string>
#include <string_view>

namespace tarnby {

struct DecimalDigits {
    static constexpr int MaxDigits = 16; // 15 significant digits, and one more from a carry

    bool negative = false;
    char digits[MaxDigits] = {}; // significant digits, no leading or trailing zeros
    int count = 0;               // how many; 0 means zero
    int pointPos = 0;            // value = 0.<digits> * 10^pointPos

    static DecimalDigits fromDouble(double value);

    enum class Halves { AwayFromZero, ToEven };
    // Rounds to `decimals` places after the point.
    DecimalDigits rounded(int decimals, Halves halves) const;

    bool isZero() const { return count == 0; }
    std::string_view significant() const { return {digits, static_cast<size_t>(count)}; }
    // Digits before the point, without leading zeros ("" for values below 1).
    std::string integerDigits() const;
    // Exactly `count` digits after the point, padded with zeros.
    std::string fractionDigits(int places) const;
    // Plain shortest form: no exponent, no trailing zeros, "0" for zero, "-" for negatives.
    std::string plainText() const;
    // The same text written into `out`, which holds MaxPlainText characters; returns its end.
    static constexpr int MaxPlainText = 360; // "-0." and 340 zeros before 16 digits at most
    char* writePlain(char* out) const;
};

} // namespace tarnby
