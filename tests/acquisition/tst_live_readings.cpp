// The reading computation and its display.

#include "acquisition/LiveReadings.h"
#include "acquisition/ReadingDisplay.h"

#include <QtTest>

using namespace tarnby;

namespace {
// VoltDivider, VoltOffset, AmpDivider, RPMDivider, WSDivider.
CalibrationSettings factors(QString voltDivider = "100", QString voltOffset = "500",
                            QString ampDivider = "10", QString rpmDivider = "2") {
    return {voltDivider, voltOffset, ampDivider, rpmDivider, "10"};
}

// Volts, amps, watts, RPM, speed; those an earlier frame left are recognisable in every field.
using Fields = QList<double>;
const Fields Earlier{11.11, 2.22, 33.33, 44.4, 5.5};
Fields fields(const LiveReadings& r) {
    return {r.LiveVolts, r.LiveAmps, r.LiveWatts, r.LiveRPM, r.LiveSpeed};
}

const FrameValues Typical{1257, 532, 12, 0, 53}; // with factors(): 12.57 V 3.2 A 360 RPM 5.3
} // namespace

Q_DECLARE_METATYPE(tarnby::FrameValues)
Q_DECLARE_METATYPE(tarnby::CalibrationSettings)

class LiveReadingsTest : public QObject {
    Q_OBJECT
private slots:
    // A bad factor stops the computation at its own step: the values before it are new, the rest
    // stay as the earlier frame left them, and nothing reaches the sums.
    void scalesRoundsAndClamps_data() {
        QTest::addColumn<FrameValues>("frame");
        QTest::addColumn<CalibrationSettings>("calibration");
        QTest::addColumn<Fields>("expected");
        const auto row = [](const char* name, FrameValues frame, CalibrationSettings calibration,
                            Fields expected) {
            QTest::newRow(name) << frame << calibration << expected;
        };
        row("typical", Typical, factors(), {12.57, 3.2, 40.22, 360, 5.3});
        row("current below the offset is 0, and so are the watts", {-250, 480, 0, 0, 0}, factors(),
            {-2.5, 0, 0, 0, 0});
        // 500.04 rounds to 500, which is shown; 500.1 is above the limit.
        row("RPM rounded, then clamped", {1, 500, 500.04, 0, 0}, factors("1", "0", "1", "60"),
            {1, 500, 500, 500, 0});
        row("RPM of 500.1 is 0", {1, 0, 5001, 0, 0}, factors("1", "0", "1", "600"),
            {1, 0, 0, 0, 0});
        // Halves go to the even neighbour of the decimal value a reader sees (1.015 and 0.35 lie
        // just below the half in binary).
        row("halves to even", {1.015, 502.125, 0, 0, 3.5}, factors("1", "500", "1"),
            {1.02, 2.12, 2.16, 0, 0.4});
        row("bad VoltDivider 0", Typical, factors("0"), Earlier);
        row("bad RPMDivider empty", Typical, factors("100", "500", "10", ""),
            {12.57, 3.2, 33.33, 44.4, 5.5});
    }
    void scalesRoundsAndClamps() {
        QFETCH(FrameValues, frame);
        QFETCH(CalibrationSettings, calibration);
        QFETCH(Fields, expected);
        const bool bad = QByteArrayView(QTest::currentDataTag()).startsWith("bad");
        LiveReadings live{11.11, 2.22, 33.33, 44.4, 5.5};
        IntervalSums sums{1, 1, 1, 1, 1, 4};
        QCOMPARE(computeReadings(frame, calibration, false, live, sums), !bad);
        QCOMPARE(fields(live), expected);
        QCOMPARE(sums.SampleCount, 5LL); // every frame is counted
        // While logging, the shown values are what the sums add up.
        QCOMPARE(computeReadings(frame, calibration, true, live, sums), !bad);
        for (double& value : expected)
            value = bad ? 1 : 1 + value;
        QCOMPARE(fields({sums.SumVolts, sums.SumAmps, sums.SumWatts, sums.SumRPM, sums.SumSpeed}),
                 expected);
    }

    // Negative and wider than the patterns; the wind speed is the fifth row when RPM is not shown.
    void rowsAndCaption() {
        const LiveReadings live{-1234.5, 123.45, 12345.67, 0, 5.3, 0, 0.04};
        QStringList texts{readingsCaption(live)};
        for (const ReadingRow& row : readingRows(live, {false, true, "km/h"}))
            texts << row.value + ' ' + row.label;
        QCOMPARE(texts, (QStringList{"Tarnby  -1234.5V 123.45A", "-1234.50 Volts", "123.5 Amps",
                                     "12345.7 Watts", "0.0 WattHours", "5 km/h"}));
    }
};

QTEST_GUILESS_MAIN(LiveReadingsTest)
#include "tst_live_readings.moc"
