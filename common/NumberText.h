#pragma once
// Reading a text as a number, the one rule used wherever the system asks "does it read as a
// number" and "its value".
//
// Accepted: optional blanks (spaces or tabs), an optional sign, digits with an optional decimal
// point and fraction (at least one digit in all: "5", "-3", "+2.5", ".5", "5."), optional
// blanks. The decimal separator is always ".".
// Rejected: empty or blank text, any letter (so no exponents such as "1e3", no "inf", no hex),
// thousands separators ("1,000": a comma could equally be a regional decimal comma, and the
// board and our files never write one), currency signs, a sign apart from its digits ("- 5"),
// anything else. A number too large for a double is out of range; one too small to tell from
// zero reads as zero. The value is the correctly rounded double of the decimal text, whatever
// the C library's locale.

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

namespace tarnby {

std::optional<double> readNumber(QStringView text);
// The same rule on raw bytes (the receive path works on the bytes the line delivered); a byte
// outside ASCII is never part of a number.
std::optional<double> readNumber(QByteArrayView text);
// The same rule, saying why a text is not a number: out of range, or outside the grammar.
struct NumberReading {
    std::optional<double> value;
    bool outOfRange = false;
};
NumberReading readNumberText(QStringView text);
NumberReading readNumberText(QByteArrayView text);

inline bool readsAsNumber(QStringView text) {
    return readNumber(text).has_value();
}

// Whole-number conversion used for port numbers, check-box values and settings: reads the text
// as a number and rounds it to the nearest whole number, a half to the even neighbour (2.5 -> 2,
// 3.5 -> 4). Empty when the text is not a number or the result does not fit in an int.
std::optional<int> readRoundedWholeNumber(QStringView text);

// A text that is a whole number exactly ("4800", " 57600 ", "+9600"; not "4800.5"), for values
// that must be whole such as a baud rate. Empty otherwise or when it does not fit in an int.
std::optional<int> readExactWholeNumber(QStringView text);

// Rounds a double to the nearest whole number, a half to the even neighbour.
double roundHalfEven(double value);

} // namespace tarnby
