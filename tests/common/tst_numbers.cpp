// Number reading, picture formats, display rounding and time-of-day text: the shared routines
// every file and caption depends on.

#include "common/DisplayRounding.h"
#include "common/LoggingInterval.h"
#include "common/NumberText.h"
#include "common/PictureFormat.h"
#include "common/TimeText.h"

#include <QTest>
#include <clocale>

using namespace tarnby;

class NumberRoutines : public QObject {
    Q_OBJECT
private slots:
    void readNumberAcceptsPlainDecimalsOnly_data();
    void readNumberAcceptsPlainDecimalsOnly();
    void readingIgnoresTheLocale();
    void wholeNumberConversions_data();
    void wholeNumberConversions();
    void pictureFormats_data();
    void pictureFormats();
    void displayRoundingHalvesToEven_data();
    void displayRoundingHalvesToEven();
    void timeOfDay_data();
    void timeOfDay();
    void loggingIntervalClamps_data();
    void loggingIntervalClamps();
};

void NumberRoutines::readNumberAcceptsPlainDecimalsOnly_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isNumber");
    QTest::addColumn<double>("value");
    QTest::newRow("integer") << "12" << true << 12.0;
    QTest::newRow("blanks around") << " 30 " << true << 30.0;
    QTest::newRow("tab") << "\t7" << true << 7.0;
    QTest::newRow("negative") << "-3" << true << -3.0;
    QTest::newRow("plus") << "+2.5" << true << 2.5;
    QTest::newRow("leading point") << ".5" << true << 0.5;
    QTest::newRow("trailing point") << "5." << true << 5.0;
    QTest::newRow("zero point zero") << "0.0" << true << 0.0;
    QTest::newRow("leading zeros") << "007" << true << 7.0;
    QTest::newRow("empty") << "" << false << 0.0;
    QTest::newRow("blank") << "   " << false << 0.0;
    QTest::newRow("letters") << "abc" << false << 0.0;
    QTest::newRow("digits then letters") << "12a" << false << 0.0;
    QTest::newRow("port name") << "COM1" << false << 0.0;
    QTest::newRow("exponent") << "1e3" << false << 0.0;
    QTest::newRow("thousands separator") << "1,000" << false << 0.0;
    QTest::newRow("decimal comma") << "2,5" << false << 0.0;
    QTest::newRow("two points") << "1.2.3" << false << 0.0;
    QTest::newRow("lone sign") << "-" << false << 0.0;
    QTest::newRow("lone point") << "." << false << 0.0;
    QTest::newRow("sign apart") << "- 5" << false << 0.0;
    QTest::newRow("blank inside") << "1 2" << false << 0.0;
    QTest::newRow("currency") << "$5" << false << 0.0;
    QTest::newRow("inf") << "inf" << false << 0.0;
    QTest::newRow("line break inside value") << "5\r\n" << false << 0.0;
}

void NumberRoutines::readNumberAcceptsPlainDecimalsOnly() {
    QFETCH(QString, text);
    QFETCH(bool, isNumber);
    QFETCH(double, value);
    const auto number = readNumber(text);
    QCOMPARE(number.has_value(), isNumber);
    if (isNumber)
        QCOMPARE(*number, value);
}

void NumberRoutines::readingIgnoresTheLocale() {
    // More than 15 significant digits, read under a locale whose decimal separator is a comma.
    const QByteArray text = "1.23456789012345678";
    const double expected = 1.23456789012345678;
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        QSKIP("the de_DE.UTF-8 locale is not generated on this machine");
    const std::optional<double> fromBytes = readNumber(QByteArrayView(text));
    const std::optional<double> fromText = readNumber(QString::fromLatin1(text));
    std::setlocale(LC_ALL, "C");
    QCOMPARE(fromBytes, std::optional(expected));
    QCOMPARE(fromText, std::optional(expected));
}

void NumberRoutines::wholeNumberConversions_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("rounded"); // -999: not a number
    QTest::addColumn<int>("exact");   // -999: not a whole number
    QTest::newRow("plain") << "4800" << 4800 << 4800;
    QTest::newRow("blank") << " 3" << 3 << 3;
    QTest::newRow("half to even down") << "2.5" << 2 << -999;
    QTest::newRow("half to even up") << "3.5" << 4 << -999;
    QTest::newRow("fraction") << "1.4" << 1 << -999;
    QTest::newRow("negative half") << "-2.5" << -2 << -999;
    QTest::newRow("whole with point") << "57600.0" << 57600 << 57600;
    QTest::newRow("too big") << "99999999999" << -999 << -999;
    QTest::newRow("letters") << "COM1" << -999 << -999;
}

void NumberRoutines::wholeNumberConversions() {
    QFETCH(QString, text);
    QFETCH(int, rounded);
    QFETCH(int, exact);
    QCOMPARE(readRoundedWholeNumber(text).value_or(-999), rounded);
    QCOMPARE(readExactWholeNumber(text).value_or(-999), exact);
}

void NumberRoutines::pictureFormats_data() {
    QTest::addColumn<double>("value");
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    // Examples of the record and export formats.
    QTest::newRow("12.346 ##.00") << 12.346 << "##.00"
                                  << "12.35";
    QTest::newRow("0.5 ##.00") << 0.5 << "##.00"
                               << ".50";
    QTest::newRow("0 ##.00") << 0.0 << "##.00"
                             << ".00";
    QTest::newRow("0 ###.00") << 0.0 << "###.00"
                              << ".00";
    QTest::newRow("2.5 ####") << 2.5 << "####"
                              << "3";
    QTest::newRow("34.5 ####") << 34.5 << "####"
                               << "35";
    QTest::newRow("123.4 ##.00") << 123.4 << "##.00"
                                 << "123.40";
    QTest::newRow("1234.5 ##.00") << 1234.5 << "##.00"
                                  << "1234.50";
    QTest::newRow("0 ####") << 0.0 << "####"
                            << "";
    QTest::newRow("0.4 ####") << 0.4 << "####"
                              << "";
    QTest::newRow("0 ###.0") << 0.0 << "###.0"
                             << ".0";
    QTest::newRow("3.2 ###.00") << 3.2 << "###.00"
                                << "3.20";
    QTest::newRow("1234.5 ######.0") << 1234.5 << "######.0"
                                     << "1234.5";
    // Watt-hour line and list rows.
    QTest::newRow("2345.67 #####.0") << 2345.67 << "#####.0"
                                     << "2345.7";
    QTest::newRow("1234.56 #####.0") << 1234.56 << "#####.0"
                                     << "1234.6";
    QTest::newRow("0 #####.0") << 0.0 << "#####.0"
                               << ".0";
    QTest::newRow("10 #####.0") << 10.0 << "#####.0"
                                << "10.0";
    QTest::newRow("0 ##0.0") << 0.0 << "##0.0"
                             << "0.0";
    QTest::newRow("0 ##0") << 0.0 << "##0"
                           << "0";
    QTest::newRow("0 #####0.0") << 0.0 << "#####0.0"
                                << "0.0";
    // Plot labels.
    QTest::newRow("70 #0.00") << 70.0 << "#0.00"
                              << "70.00";
    QTest::newRow("0 #0.00") << 0.0 << "#0.00"
                             << "0.00";
    QTest::newRow("-3.2 ##0.0") << -3.2 << "##0.0"
                                << "-3.2";
    QTest::newRow("1000 ###0") << 1000.0 << "###0"
                               << "1000";
    // File name parts.
    QTest::newRow("7 00") << 7.0 << "00"
                          << "07";
    QTest::newRow("2010 plain") << 2010.0 << "0"
                                << "2010";
    // Halves away from zero, on the decimal value a person reads.
    QTest::newRow("1.005 #0.00") << 1.005 << "#0.00"
                                 << "1.01";
    QTest::newRow("2.675 #0.00") << 2.675 << "#0.00"
                                 << "2.68";
    QTest::newRow("0.125 ##.00") << 0.125 << "##.00"
                                 << ".13";
    QTest::newRow("-2.5 ####") << -2.5 << "####"
                               << "-3";
    QTest::newRow("-0.004 ##.00") << -0.004 << "##.00"
                                  << "-.00";
    QTest::newRow("-0.4 ####") << -0.4 << "####"
                               << "-";
    QTest::newRow("9.995 ##.00 carries") << 9.995 << "##.00"
                                         << "10.00";
    QTest::newRow("99.96 ##0.0 carries") << 99.96 << "##0.0"
                                         << "100.0";
    QTest::newRow("0.05 ###.0") << 0.05 << "###.0"
                                << ".1";
    QTest::newRow("large") << 123456789.0 << "####"
                           << "123456789";
    QTest::newRow("tiny") << 1e-20 << "##.00"
                          << ".00";
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
    QTest::newRow("12.5 plain") << 12.5 << 2 << "12.5";
    QTest::newRow("13 plain") << 13.0 << 2 << "13";
    QTest::newRow("0") << 0.0 << 2 << "0";
    QTest::newRow("negative zero") << -0.0 << 2 << "0";
    QTest::newRow("12.57") << 12.57 << 2 << "12.57";
    QTest::newRow("2.675 half up to even") << 2.675 << 2 << "2.68";
    QTest::newRow("2.665 half down to even") << 2.665 << 2 << "2.66";
    QTest::newRow("1.005 half down to even") << 1.005 << 2 << "1";
    QTest::newRow("0.125") << 0.125 << 2 << "0.12";
    QTest::newRow("0.135") << 0.135 << 2 << "0.14";
    QTest::newRow("500.05 one decimal") << 500.05 << 1 << "500";
    QTest::newRow("500.15 one decimal") << 500.15 << 1 << "500.2";
    QTest::newRow("negative half") << -3.245 << 2 << "-3.24";
    QTest::newRow("carry") << 9.999 << 2 << "10";
    QTest::newRow("small fraction") << 0.004 << 2 << "0";
    QTest::newRow("large") << 1e20 << 2 << "100000000000000000000";
}

void NumberRoutines::displayRoundingHalvesToEven() {
    QFETCH(double, value);
    QFETCH(int, decimals);
    QFETCH(QString, text);
    QCOMPARE(displayText(value, decimals), text);
    QCOMPARE(roundForDisplay(value, decimals), text.toDouble());
}

void NumberRoutines::timeOfDay_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("seconds"); // -1: not a time
    QTest::newRow("hh:mm") << "14:05" << (14 * 3600 + 5 * 60);
    QTest::newRow("single digits") << "7:5" << (7 * 3600 + 5 * 60);
    QTest::newRow("midnight") << "00:00" << 0;
    QTest::newRow("last minute") << "23:59" << (23 * 3600 + 59 * 60);
    QTest::newRow("with seconds") << "12:00:30" << (12 * 3600 + 30);
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("hour 24") << "24:00" << -1;
    QTest::newRow("minute 60") << "12:60" << -1;
    QTest::newRow("letters") << "ab:cd" << -1;
    QTest::newRow("no colon") << "1205" << -1;
    QTest::newRow("negative") << "-1:30" << -1;
    QTest::newRow("three digits") << "123:05" << -1;
}

void NumberRoutines::timeOfDay() {
    QFETCH(QString, text);
    QFETCH(int, seconds);
    QCOMPARE(readTimeOfDay(text).value_or(-1), seconds);
    if (seconds >= 0 && text.size() == 5)
        QCOMPARE(timeOfDayText(seconds / 60), text);
}

void NumberRoutines::loggingIntervalClamps_data() {
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("boxText");
    QTest::addColumn<int>("milliseconds");
    QTest::newRow("60") << "60" << true << "60" << 60000;
    QTest::newRow("5 clamps to 10") << "5" << true << "10" << 10000;
    QTest::newRow("1200 clamps to 600") << "1200" << true << "600" << 600000;
    QTest::newRow("blanks stay") << " 30 " << true << " 30 " << 30000;
    QTest::newRow("fraction") << "12.5" << true << "12.5" << 12500;
    QTest::newRow("9.5") << "9.5" << true << "10" << 10000;
    QTest::newRow("negative") << "-3" << true << "10" << 10000;
    QTest::newRow("bounds stay") << "600" << true << "600" << 600000;
    QTest::newRow("empty") << "" << false << "" << 0;
    QTest::newRow("abc") << "abc" << false << "" << 0;
}

void NumberRoutines::loggingIntervalClamps() {
    QFETCH(QString, text);
    QFETCH(bool, accepted);
    QFETCH(QString, boxText);
    QFETCH(int, milliseconds);
    const auto interval = checkLoggingInterval(text);
    QCOMPARE(interval.has_value(), accepted);
    if (accepted) {
        QCOMPARE(interval->text, boxText);
        QCOMPARE(interval->milliseconds, milliseconds);
    }
}

QTEST_GUILESS_MAIN(NumberRoutines)
#include "tst_numbers.moc"
