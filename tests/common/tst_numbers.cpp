// Number reading, picture formats, display rounding and the logging interval.

#include "common/DisplayRounding.h"
#include "common/LoggingInterval.h"
#include "common/NumberText.h"
#include "common/PictureFormat.h"

#include <QTest>
#include <clocale>

using namespace tarnby;

constexpr int None = -999; // not a whole number

class NumberRoutines : public QObject {
    Q_OBJECT
private slots:
    void readNumberAcceptsPlainDecimalsOnly_data();
    void readNumberAcceptsPlainDecimalsOnly();
    void readingIgnoresTheLocale();
    void pictureFormats_data();
    void pictureFormats();
    void displayRoundingHalvesToEven_data();
    void displayRoundingHalvesToEven();
    void loggingIntervalClamps_data();
    void loggingIntervalClamps();
};

void NumberRoutines::readNumberAcceptsPlainDecimalsOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<double>("value");   // NaN: not a number
    QTest::addColumn<int>("rounded");    // readRoundedWholeNumber
    QTest::addColumn<int>("exactWhole"); // readExactWholeNumber
    const double no = qQNaN();
    const auto row = [](const char* text, double value, int rounded, int exact) {
        QTest::addRow("\"%s\"", text) << QString(text) << value << rounded << exact;
    };
    row(" 30\t", 30, 30, 30);
    row("-3", -3, -3, -3);
    row("+2.5", 2.5, 2, None); // whole numbers round halves to even
    row("3.5", 3.5, 4, None);
    row(".5", 0.5, 0, None);
    row("5.", 5, 5, 5);
    row("007", 7, 7, 7);
    row("57600.0", 57600, 57600, 57600);
    row("99999999999", 99999999999.0, None, None);
    for (const char* text : {"", "   ", "12a", "COM1", "1e3", "1,000", "1.2.3", "-", ".", "- 5",
                             "1 2", "inf", "5\r\n"})
        row(text, no, None, None);
}

void NumberRoutines::readNumberAcceptsPlainDecimalsOnly() {
    QFETCH(QString, text);
    QFETCH(double, value);
    QFETCH(int, rounded);
    QFETCH(int, exactWhole);
    QCOMPARE(readNumber(text).value_or(qQNaN()), value);
    QCOMPARE(readRoundedWholeNumber(text).value_or(None), rounded);
    QCOMPARE(readExactWholeNumber(text).value_or(None), exactWhole);
}

void NumberRoutines::readingIgnoresTheLocale() {
    // More than 15 significant digits, read where the decimal separator is a comma.
    const QByteArray text = "1.23456789012345678";
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        if (!qEnvironmentVariableIsEmpty("CI")) // CI must run what a developer may skip
            QFAIL("the de_DE.UTF-8 locale is not generated (localedef -i de_DE -f UTF-8 "
                  "de_DE.UTF-8)");
        QSKIP("the de_DE.UTF-8 locale is not generated on this machine");
    }
    const std::optional<double> fromBytes = readNumber(QByteArrayView(text));
    const std::optional<double> fromText = readNumber(QString::fromLatin1(text));
    std::setlocale(LC_ALL, "C");
    QCOMPARE(fromBytes, std::optional(1.23456789012345678));
    QCOMPARE(fromText, fromBytes);
}

void NumberRoutines::pictureFormats_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    const auto row = [](double value, const char* pattern, const char* text) {
        QTest::addRow("%g %s", value, pattern) << value << QString(pattern) << QString(text);
    };
    row(1234.5, "##.00", "1234.50"); // wider than the pattern
    row(0.5, "##.00", ".50");
    row(0, "####", "");
    row(0, "##0.0", "0.0");
    row(7, "00", "07");
    row(123456789, "####", "123456789");
    // Halves away from zero, on the decimal value a person reads (1.005 is below it in binary).
    row(2.5, "####", "3");
    row(1.005, "#0.00", "1.01");
    row(2.675, "#0.00", "2.68");
    row(9.995, "##.00", "10.00");
    // Negative values keep their "-", even when they round to zero.
    row(-2.5, "####", "-3");
    row(-3.2, "##0.0", "-3.2");
    row(-0.004, "##.00", "-.00");
    row(-0.4, "####", "-");
}

void NumberRoutines::pictureFormats() {
    QFETCH(double, value);
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QCOMPARE(formatPicture(value, pattern.toStdString()), text);
}

void NumberRoutines::displayRoundingHalvesToEven_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<int>("decimals");
    QTest::addColumn<QString>("text");
    const auto row = [](double value, int decimals, const char* text) {
        QTest::addRow("%g to %d", value, decimals) << value << decimals << QString(text);
    };
    row(12.5, 2, "12.5");
    row(-0.0, 2, "0");
    row(2.675, 2, "2.68"); // halves to even, on the decimal value
    row(2.665, 2, "2.66");
    row(1.005, 2, "1");
    row(500.05, 1, "500");
    row(-3.245, 2, "-3.24");
    row(9.999, 2, "10");
    row(1e20, 2, "100000000000000000000");
}

void NumberRoutines::displayRoundingHalvesToEven() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(displayText(value, decimals), text);
    QCOMPARE(roundForDisplay(value, decimals), text.toDouble());
}

void NumberRoutines::loggingIntervalClamps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("boxText"); // null: refused
    QTest::addColumn<int>("milliseconds");
    const auto row = [](const char* text, const char* boxText, int milliseconds) {
        QTest::newRow(text) << QString(text) << QString(boxText) << milliseconds;
    };
    row(" 30 ", " 30 ", 30000);
    row("12.5", "12.5", 12500);
    row("9.5", "10", 10000);
    row("-3", "10", 10000);
    row("600", "600", 600000);
    row("1200", "600", 600000);
    row("abc", nullptr, 0);
}

void NumberRoutines::loggingIntervalClamps() {
    QFETCH(QString, text);
    QFETCH(QString, boxText);
    QFETCH(int, milliseconds);
    const auto interval = checkLoggingInterval(text);
    QCOMPARE(interval.has_value(), !boxText.isNull());
    if (interval)
        QCOMPARE(std::pair(interval->text, interval->milliseconds),
                 std::pair(boxText, milliseconds));
}

QTEST_GUILESS_MAIN(NumberRoutines)
#include "tst_numbers.moc"
