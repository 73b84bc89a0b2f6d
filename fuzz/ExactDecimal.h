#pragma once
// Exact decimal arithmetic for checking rounded number texts against the value they stand for,
// independent of the code under test: no binary floating point between the two texts.

#include <optional>
#include <string>
#include <string_view>

namespace tarnby::fuzz {

struct ExactDecimal {
    bool negative = false;
    std::string digits; // no leading zeros; empty means zero
    int exponent = 0;   // value = (-1)^negative * digits * 10^exponent

    bool isZero() const { return digits.empty(); }

    // A plain decimal text: optional "-", digits, optional "." and digits (at least one digit in
    // all). The empty text is zero. Anything else (blanks, "+", exponents) is empty.
    static std::optional<ExactDecimal> fromPlainText(std::string_view text);
    // The decimal value a person reads for a finite double: its 15 significant digits
    // (printf "%.14e"), trailing zeros removed.
    static ExactDecimal readingOf(double value);
};

// Compares |a - b| with half a unit of the `places`-th decimal place (5 * 10^-(places+1)):
// negative when closer, 0 when exactly half a unit apart, positive when further.
int compareDistanceWithHalfUnit(const ExactDecimal& a, const ExactDecimal& b, int places);

// Compares |a| with |b|: negative, 0 or positive.
int compareMagnitude(const ExactDecimal& a, const ExactDecimal& b);

// The digit at the `places`-th decimal place (places 0 is the units digit), 0..9.
int digitAt(const ExactDecimal& a, int places);

} // namespace tarnby::fuzz
