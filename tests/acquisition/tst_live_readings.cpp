// The reading computation, its display, and the fast number paths the receive loop relies on.

#include "acquisition/LiveReadings.h"
#include "acquisition/ReadingDisplay.h"
#include "common/DecimalDigits.h"
#include "common/DisplayRounding.h"
#include "common/NumberText.h"

#include <QRandomGenerator>
#include <QtTest>

#include <cmath>
#include <cstdlib>

using namespace tarnby;

Q_DECLARE_METATYPE(tarnby::FrameValues)
Q_DECLARE_METATYPE(tarnby::CalibrationSettings)
Q_DECLARE_METATYPE(tarnby::LiveReadings)
Q_DECLARE_METATYPE(tarnby::ListOptions)

namespace {
// VoltDivider, VoltOffset, AmpDivider, RPMDivider, WSDivider.
CalibrationSettings factors(const char* voltDivider = "100", const char* voltOffset = "500",
                            const char* ampDivider = "10", const char* rpmDivider = "2",
                            const char* wsDivider = "10") {
    return {QString::fromLatin1(voltDivider), QString::fromLatin1(voltOffset),
            QString::fromLatin1(ampDivider), QString::fromLatin1(rpmDivider),
            QString::fromLatin1(wsDivider)};
}

// Readings left by an earlier frame, recognisable in every field.
LiveReadings earlier() {
    LiveReadings r;
    r.LiveVolts = 11.11;
    r.LiveAmps = 2.22;
    r.LiveWatts = 33.33;
    r.LiveRPM = 44.4;
    r.LiveSpeed = 5.5;
    r.WattHourTotal = 6.6;
    return r;
}

LiveReadings readings(double volts, double amps, double watts, double rpm, double speed,
                      double wattHours = 6.6) {
    LiveReadings r;
    r.LiveVolts = volts;
    r.LiveAmps = amps;
    r.LiveWatts = watts;
    r.LiveRPM = rpm;
    r.LiveSpeed = speed;
    r.WattHourTotal = wattHours;
    return r;
}

void compareReadings(const LiveReadings& actual, const LiveReadings& expected) {
    QCOMPARE(actual.LiveVolts, expected.LiveVolts);
    QCOMPARE(actual.LiveAmps, expected.LiveAmps);
    QCOMPARE(actual.LiveWatts, expected.LiveWatts);
    QCOMPARE(actual.LiveRPM, expected.LiveRPM);
    QCOMPARE(actual.LiveSpeed, expected.LiveSpeed);
    QCOMPARE(actual.WattHourTotal, expected.WattHourTotal);
}

const FrameValues Typical{1257, 532, 12, 0, 53}; // with factors(): 12.57 V 3.2 A 360 RPM 5.3

// The decimal rule written out the slow way, to hold the fast path to it.
double decimalRound(double value, int decimals) {
    const std::string text = DecimalDigits::fromDouble(value)
                                 .rounded(decimals, DecimalDigits::Halves::ToEven)
                                 .plainText();
    return std::strtod(text.c_str(), nullptr);
}

bool sameDouble(double a, double b) {
    return a == b && std::signbit(a) == std::signbit(b);
}
} // namespace

class LiveReadingsTest : public QObject {
    Q_OBJECT
private slots:
    void scalesRoundsAndClamps_data();
    void scalesRoundsAndClamps();
    void badFactorStopsAtItsStep_data();
    void badFactorStopsAtItsStep();
    void sumsGrowOnlyWhileLogging();
    void rows_data();
    void rows();
    void initialRowsAndFontSize();
    void caption_data();
    void caption();
    void fastRoundingMatchesTheDecimalRule();
    void fastNumberReadingMatchesStrtod();
};

void LiveReadingsTest::scalesRoundsAndClamps_data() {
    QTest::addColumn<FrameValues>("frame");
    QTest::addColumn<CalibrationSettings>("calibration");
    QTest::addColumn<LiveReadings>("expected");

    QTest::newRow("typical") << Typical << factors() << readings(12.57, 3.2, 40.22, 360, 5.3);
    QTest::newRow("current below the offset is 0, and so are the watts")
        << FrameValues{1257, 480, 0, 0, 0} << factors() << readings(12.57, 0, 0, 0, 0);
    QTest::newRow("negative volts stay negative")
        << FrameValues{-250, 600, 0, 0, 0} << factors() << readings(-2.5, 10, -25, 0, 0);
    QTest::newRow("RPM of exactly 500 is shown")
        << FrameValues{100, 500, 500, 0, 0} << factors("100", "500", "10", "60")
        << readings(1, 0, 0, 500, 0);
    QTest::newRow("RPM that rounds to 500 is shown")
        << FrameValues{100, 500, 500.04, 0, 0} << factors("100", "500", "10", "60")
        << readings(1, 0, 0, 500, 0);
    QTest::newRow("RPM of 500.1 is 0, not 500")
        << FrameValues{100, 500, 5001, 0, 0} << factors("100", "500", "10", "600")
        << readings(1, 0, 0, 0, 0);
    // Halves go to the even neighbour of the decimal value a reader sees (1.005 and 0.35 lie
    // just below the half in binary).
    QTest::newRow("halves to even, down")
        << FrameValues{1.005, 502.125, 0, 0, 0.25} << factors("1", "500", "1", "1", "1")
        << readings(1, 2.12, 2.12, 0, 0.2);
    QTest::newRow("halves to even, up")
        << FrameValues{1.015, 502.375, 0, 0, 0.35} << factors("1", "500", "1", "1", "1")
        << readings(1.02, 2.38, 2.43, 0, 0.4);
    QTest::newRow("factors with blanks and signs")
        << Typical << factors(" 100 ", "+500", "10.0", "2", "10")
        << readings(12.57, 3.2, 40.22, 360, 5.3);
    QTest::newRow("an offset of 0 is an offset")
        << FrameValues{1257, 32, 12, 0, 53} << factors("100", "0")
        << readings(12.57, 3.2, 40.22, 360, 5.3);
}

void LiveReadingsTest::scalesRoundsAndClamps() {
    QFETCH(FrameValues, frame);
    QFETCH(CalibrationSettings, calibration);
    QFETCH(LiveReadings, expected);
    LiveReadings live = earlier();
    IntervalSums sums;
    QVERIFY(computeReadings(frame, calibration, false, live, sums));
    compareReadings(live, expected);
    QCOMPARE(sums.SampleCount, 1LL);
}

void LiveReadingsTest::badFactorStopsAtItsStep_data() {
    QTest::addColumn<CalibrationSettings>("calibration");
    QTest::addColumn<LiveReadings>("expected");

    const LiveReadings untouched = earlier();
    QTest::newRow("VoltDivider 0") << factors("0") << untouched;
    QTest::newRow("VoltDivider empty") << factors("") << untouched;
    QTest::newRow("VoltDivider letters") << factors("ten") << untouched;
    QTest::newRow("VoltDivider with exponent") << factors("1e2") << untouched;
    QTest::newRow("VoltDivider too small to divide by")
        << CalibrationSettings{"0." + QString(309, u'0') + "1", "500", "10", "2", "10"}
        << untouched;
    QTest::newRow("VoltOffset letters")
        << factors("100", "abc") << readings(12.57, 2.22, 33.33, 44.4, 5.5);
    QTest::newRow("VoltOffset empty")
        << factors("100", "") << readings(12.57, 2.22, 33.33, 44.4, 5.5);
    QTest::newRow("AmpDivider 0") << factors("100", "500", "0")
                                  << readings(12.57, 2.22, 33.33, 44.4, 5.5);
    QTest::newRow("AmpDivider 0.0")
        << factors("100", "500", "0.0") << readings(12.57, 2.22, 33.33, 44.4, 5.5);
    QTest::newRow("RPMDivider empty")
        << factors("100", "500", "10", "") << readings(12.57, 3.2, 33.33, 44.4, 5.5);
    QTest::newRow("WSDivider letters")
        << factors("100", "500", "10", "2", "x") << readings(12.57, 3.2, 33.33, 360, 5.5);
}

void LiveReadingsTest::badFactorStopsAtItsStep() {
    QFETCH(CalibrationSettings, calibration);
    QFETCH(LiveReadings, expected);
    LiveReadings live = earlier();
    IntervalSums sums;
    sums.SampleCount = 4;
    sums.SumVolts = 50;
    QVERIFY(!computeReadings(Typical, calibration, true, live, sums));
    compareReadings(live, expected);
    // The frame is counted, but nothing reaches the sums.
    QCOMPARE(sums.SampleCount, 5LL);
    QCOMPARE(sums.SumVolts, 50.0);
    QCOMPARE(sums.SumAmps, 0.0);
}

void LiveReadingsTest::sumsGrowOnlyWhileLogging() {
    LiveReadings live;
    IntervalSums sums;
    QVERIFY(computeReadings(Typical, factors(), false, live, sums));
    QCOMPARE(sums.SampleCount, 1LL);
    QCOMPARE(sums.SumVolts, 0.0);
    QCOMPARE(sums.SumWatts, 0.0);

    QVERIFY(computeReadings(Typical, factors(), true, live, sums));
    QVERIFY(computeReadings(FrameValues{1300, 520, 10, 0, 40}, factors(), true, live, sums));
    QCOMPARE(sums.SampleCount, 3LL);
    QCOMPARE(sums.SumVolts, 12.57 + 13.0);
    QCOMPARE(sums.SumAmps, 3.2 + 2.0);
    QCOMPARE(sums.SumWatts, 40.22 + 26.0);
    QCOMPARE(sums.SumRPM, 360.0 + 300.0);
    QCOMPARE(sums.SumSpeed, 5.3 + 4.0);
}

void LiveReadingsTest::rows_data() {
    QTest::addColumn<LiveReadings>("live");
    QTest::addColumn<ListOptions>("options");
    QTest::addColumn<QStringList>("expected"); // value and label, alternating

    const ListOptions neither{false, false, QStringLiteral("MPH")};
    const ListOptions both{true, true, QStringLiteral("MPH")};
    const ListOptions windOnly{false, true, QStringLiteral("km/h")};
    const ListOptions rpmOnly{true, false, QStringLiteral("km/h")};
    QTest::newRow("no optional rows; values below 1")
        << readings(0.5, 0, 0, 0, 0, 0) << neither
        << QStringList{".50", "Volts", "0.0", "Amps", "0.0", "Watts", "0.0", "WattHours"};
    QTest::newRow("both optional rows")
        << readings(0, 3.25, 40.22, 0, 5.3, 1234.56) << both
        << QStringList{".00",    "Volts",     "3.3", "Amps", "40.2", "Watts",
                       "1234.6", "WattHours", "0",   "RPM",  "5",    "MPH"};
    QTest::newRow("wind speed only is the fifth row")
        << readings(12.57, 3.2, 40.22, 360, 12.5, 0.04) << windOnly
        << QStringList{"12.57", "Volts", "3.2",       "Amps", "40.2",
                       "Watts", "0.0",   "WattHours", "13",   "km/h"};
    QTest::newRow("RPM only; values wider than the pattern")
        << readings(1234.5, 123.45, 12345.67, 499.6, 0, 123456.7) << rpmOnly
        << QStringList{"1234.50", "Volts",    "123.5",     "Amps", "12345.7",
                       "Watts",   "123456.7", "WattHours", "500",  "RPM"};
}

void LiveReadingsTest::rows() {
    QFETCH(LiveReadings, live);
    QFETCH(ListOptions, options);
    QFETCH(QStringList, expected);
    QStringList actual;
    for (const ReadingRow& row : readingRows(live, options))
        actual << row.value << row.label;
    QCOMPARE(actual, expected);
}

void LiveReadingsTest::initialRowsAndFontSize() {
    const ListOptions both{true, true, QStringLiteral("knots")};
    QStringList actual;
    for (const ReadingRow& row : initialRows(both))
        actual << row.value << row.label;
    QCOMPARE(actual, (QStringList{"0.0", "Volts", "0.0", "Amps", "0.0", "Watts", "0.0", "WattHours",
                                  "0.0", "RPM", "0.0", "knots"}));
    QCOMPARE(initialRows(ListOptions{}).size(), 4);
    QCOMPARE(listFontPointSize(ListOptions{false, false, {}}), 24);
    QCOMPARE(listFontPointSize(ListOptions{true, false, {}}), 20);
    QCOMPARE(listFontPointSize(ListOptions{false, true, {}}), 20);
    QCOMPARE(listFontPointSize(both), 18);
}

void LiveReadingsTest::caption_data() {
    QTest::addColumn<double>("volts");
    QTest::addColumn<double>("amps");
    QTest::addColumn<QString>("expected");
    QTest::newRow("decimals") << 12.57 << 3.2 << "Tarnby  12.57V 3.2A";
    QTest::newRow("whole numbers") << 13.0 << 0.0 << "Tarnby  13V 0A";
    QTest::newRow("trailing zeros dropped") << 12.5 << 10.0 << "Tarnby  12.5V 10A";
    QTest::newRow("below 1 and negative") << -0.25 << 0.05 << "Tarnby  -0.25V 0.05A";
}

void LiveReadingsTest::caption() {
    QFETCH(double, volts);
    QFETCH(double, amps);
    QFETCH(QString, expected);
    LiveReadings live;
    live.LiveVolts = volts;
    live.LiveAmps = amps;
    QCOMPARE(readingsCaption(live), expected);
}

void LiveReadingsTest::fastRoundingMatchesTheDecimalRule() {
    QRandomGenerator random(2026);
    int mismatches = 0;
    QString first;
    auto check = [&](double value, int decimals) {
        const double fast = roundForDisplay(value, decimals);
        const double slow = decimalRound(value, decimals);
        if (!sameDouble(fast, slow) && mismatches++ == 0)
            first = QStringLiteral("%1 at %2 decimals: %3, expected %4")
                        .arg(value, 0, 'g', 17)
                        .arg(decimals)
                        .arg(fast, 0, 'g', 17)
                        .arg(slow, 0, 'g', 17);
    };
    for (int i = 0; i < 40000; ++i) {
        const int decimals = random.bounded(0, 4);
        // Raw readings over calibration factors, as the receive loop computes them.
        const double raw = random.bounded(-2000, 20000) / std::pow(10.0, random.bounded(0, 3));
        const double divider = random.bounded(1, 2000) / std::pow(10.0, random.bounded(0, 3));
        check(raw / divider, decimals);
        // Products of two 2-decimal readings (the watts), and decimal halves.
        check(random.bounded(0, 6000) / 100.0 * (random.bounded(0, 10000) / 100.0), 2);
        const QByteArray half = QByteArray::number(random.bounded(-100000, 100000)) + '.' +
                                QByteArray::number(random.bounded(0, 1000)).rightJustified(3, '0') +
                                '5';
        const double nearHalf = std::strtod(half.constData(), nullptr);
        check(nearHalf, 3);
        check(nearHalf, 2);
        // A few units in the last place beside a half, where the decimal value a reader sees
        // (15 digits) is the half itself or just beside it.
        double stepped = nearHalf;
        const int steps = random.bounded(-64, 65);
        for (int k = 0; k < std::abs(steps); ++k)
            stepped = std::nextafter(stepped, steps > 0 ? HUGE_VAL : -HUGE_VAL);
        check(stepped, 3);
        // Any magnitude.
        check((random.generateDouble() - 0.5) * std::pow(10.0, random.bounded(-12, 14)), decimals);
    }
    check(0.5, 0);
    check(-0.004, 2);
    check(2.675, 2);
    check(1e300, 2);
    QVERIFY2(mismatches == 0,
             qPrintable(QString::number(mismatches) + " mismatches, first " + first));
}

void LiveReadingsTest::fastNumberReadingMatchesStrtod() {
    QRandomGenerator random(57600);
    for (int i = 0; i < 40000; ++i) {
        QByteArray text;
        const int sign = random.bounded(0, 3);
        if (sign == 1)
            text += '-';
        else if (sign == 2)
            text += '+';
        const int whole = random.bounded(0, 20);
        for (int d = 0; d < whole; ++d)
            text += char('0' + random.bounded(0, 10));
        const int fraction = random.bounded(0, 26);
        if (fraction > 0 || random.bounded(0, 2))
            text += '.';
        for (int d = 0; d < fraction; ++d)
            text += char('0' + random.bounded(0, 10));
        if (whole + fraction == 0)
            text += '0';
        const double expected = std::strtod(text.constData(), nullptr);
        const std::optional<double> bytes = readNumber(QByteArrayView(text));
        const std::optional<double> chars = readNumber(QString::fromLatin1(text));
        QVERIFY2(bytes && sameDouble(*bytes, expected), text.constData());
        QVERIFY2(chars && sameDouble(*chars, expected), text.constData());
    }
    // The bytes version keeps the rule of the text version.
    for (const char* text :
         {"", " ", "1e3", "1,5", "- 5", "5-", "1.2.3", ".", "+", "0x1F", "12\xB2",
          "\xA0"
          "5"})
        QVERIFY2(!readNumber(QByteArrayView(text)), text);
    QCOMPARE(readNumber(QByteArrayView("\t 12.5 ")), std::optional<double>(12.5));
}

QTEST_GUILESS_MAIN(LiveReadingsTest)
#include "tst_live_readings.moc"
