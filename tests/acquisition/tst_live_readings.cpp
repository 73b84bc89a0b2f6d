// The reading computation and its display.

#include "acquisition/LiveReadings.h"
#include "acquisition/ReadingDisplay.h"

#include <QtTest>

using namespace tarnby;

Q_DECLARE_METATYPE(tarnby::FrameValues)
Q_DECLARE_METATYPE(tarnby::CalibrationSettings)
Q_DECLARE_METATYPE(tarnby::LiveReadings)
Q_DECLARE_METATYPE(tarnby::ListOptions)

namespace {
// VoltDivider, VoltOffset, AmpDivider, RPMDivider, WSDivider.
CalibrationSettings factors(QString voltDivider = "100", QString voltOffset = "500",
                            QString ampDivider = "10", QString rpmDivider = "2",
                            QString wsDivider = "10") {
    return {voltDivider, voltOffset, ampDivider, rpmDivider, wsDivider};
}

LiveReadings readings(double volts, double amps, double watts, double rpm, double speed,
                      double wattHours = 6.6) {
    return LiveReadings{volts, amps, watts, rpm, speed, 0, wattHours};
}

// Readings left by an earlier frame, recognisable in every field.
const LiveReadings Earlier = readings(11.11, 2.22, 33.33, 44.4, 5.5);

QList<double> fields(const LiveReadings& r) {
    return {r.LiveVolts, r.LiveAmps, r.LiveWatts, r.LiveRPM, r.LiveSpeed, r.WattHourTotal};
}

const FrameValues Typical{1257, 532, 12, 0, 53}; // with factors(): 12.57 V 3.2 A 360 RPM 5.3
} // namespace

class LiveReadingsTest : public QObject {
    Q_OBJECT
private slots:
    void scalesRoundsAndClamps_data();
    void scalesRoundsAndClamps();
    void badFactorStopsAtItsStep_data();
    void badFactorStopsAtItsStep();
    void rowsAndCaption_data();
    void rowsAndCaption();
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
    // Halves go to the even neighbour of the decimal value a reader sees (1.015 and 0.35 lie
    // just below the half in binary).
    QTest::newRow("halves to even")
        << FrameValues{1.015, 502.125, 0, 0, 0.35} << factors("1", "500", "1", "1", "1")
        << readings(1.02, 2.12, 2.16, 0, 0.4);
    QTest::newRow("an offset of 0 is an offset")
        << FrameValues{1257, 32, 12, 0, 53} << factors("100", "0")
        << readings(12.57, 3.2, 40.22, 360, 5.3);
}

void LiveReadingsTest::scalesRoundsAndClamps() {
    QFETCH(FrameValues, frame);
    QFETCH(CalibrationSettings, calibration);
    QFETCH(LiveReadings, expected);
    LiveReadings live = Earlier;
    IntervalSums sums;
    QVERIFY(computeReadings(frame, calibration, false, live, sums));
    QCOMPARE(fields(live), fields(expected));
    QCOMPARE(sums.SampleCount, 1LL);
    QCOMPARE(sums.SumVolts + sums.SumAmps + sums.SumWatts + sums.SumRPM + sums.SumSpeed, 0.0);

    // While logging, the shown values are what the sums add up.
    QVERIFY(computeReadings(frame, calibration, true, live, sums));
    QVERIFY(computeReadings(frame, calibration, true, live, sums));
    QCOMPARE(sums.SampleCount, 3LL);
    QCOMPARE(
        (QList<double>{sums.SumVolts, sums.SumAmps, sums.SumWatts, sums.SumRPM, sums.SumSpeed}),
        (QList<double>{2 * expected.LiveVolts, 2 * expected.LiveAmps, 2 * expected.LiveWatts,
                       2 * expected.LiveRPM, 2 * expected.LiveSpeed}));
}

void LiveReadingsTest::badFactorStopsAtItsStep_data() {
    QTest::addColumn<CalibrationSettings>("calibration");
    QTest::addColumn<LiveReadings>("expected");

    QTest::newRow("VoltDivider 0") << factors("0") << Earlier;
    QTest::newRow("VoltDivider empty") << factors("") << Earlier;
    QTest::newRow("VoltDivider too small to divide by")
        << factors("0." + QString(309, u'0') + "1") << Earlier;
    QTest::newRow("VoltOffset letters")
        << factors("100", "abc") << readings(12.57, 2.22, 33.33, 44.4, 5.5);
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
    LiveReadings live = Earlier;
    IntervalSums sums;
    sums.SampleCount = 4;
    sums.SumVolts = 50;
    QVERIFY(!computeReadings(Typical, calibration, true, live, sums));
    QCOMPARE(fields(live), fields(expected));
    // The frame is counted, but nothing reaches the sums.
    QCOMPARE(sums.SampleCount, 5LL);
    QCOMPARE(sums.SumVolts, 50.0);
    QCOMPARE(sums.SumAmps, 0.0);
}

void LiveReadingsTest::rowsAndCaption_data() {
    QTest::addColumn<LiveReadings>("live");
    QTest::addColumn<ListOptions>("options");
    QTest::addColumn<QStringList>("expected"); // value and label, alternating
    QTest::addColumn<QString>("caption");

    QTest::newRow("both optional rows")
        << readings(0.5, 0, 40.22, 499.6, 12.5, 1234.56) << ListOptions{true, true, "MPH"}
        << QStringList{".50",    "Volts",     "0.0", "Amps", "40.2", "Watts",
                       "1234.6", "WattHours", "500", "RPM",  "13",   "MPH"}
        << "Tarnby  0.5V 0A";
    QTest::newRow("wind speed only is the fifth row")
        << readings(12.57, 10, 125.7, 360, 5.3, 0.04) << ListOptions{false, true, "km/h"}
        << QStringList{"12.57", "Volts", "10.0",      "Amps", "125.7",
                       "Watts", "0.0",   "WattHours", "5",    "km/h"}
        << "Tarnby  12.57V 10A";
    QTest::newRow("RPM only; values wider than the pattern")
        << readings(1234.5, 123.45, 12345.67, 0, 0, 123456.7) << ListOptions{true, false, "km/h"}
        << QStringList{"1234.50", "Volts",    "123.5",     "Amps", "12345.7",
                       "Watts",   "123456.7", "WattHours", "0",    "RPM"}
        << "Tarnby  1234.5V 123.45A";
    QTest::newRow("negative volts")
        << readings(-0.25, 0.05, 0, 0, 0) << ListOptions{}
        << QStringList{"-.25", "Volts", "0.1", "Amps", "0.0", "Watts", "6.6", "WattHours"}
        << "Tarnby  -0.25V 0.05A";
}

void LiveReadingsTest::rowsAndCaption() {
    QFETCH(LiveReadings, live);
    QFETCH(ListOptions, options);
    QFETCH(QStringList, expected);
    QFETCH(QString, caption);
    QStringList actual;
    for (const ReadingRow& row : readingRows(live, options))
        actual << row.value << row.label;
    QCOMPARE(actual, expected);
    QCOMPARE(readingsCaption(live), caption);
}

QTEST_GUILESS_MAIN(LiveReadingsTest)
#include "tst_live_readings.moc"
