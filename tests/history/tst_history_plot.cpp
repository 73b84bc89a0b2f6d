// PlotGraph without a screen: scale ends and their labels, spans and heights, zero lines,
// flat traces, the watt-hours of the span, the time boxes, and what a toggle leaves alone.

#include "history/HistorySettings.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace tarnby;
using namespace tarnby::test;

namespace {
// `count` records one minute apart from 10:00, every value from `make`.
template <typename Make> HistoryState dayOf(int count, Make make) {
    std::vector<DayRecord> day;
    for (int i = 0; i < count; ++i) {
        DayRecord r{10 * 60 + i};
        make(i, r);
        day.push_back(r);
    }
    HistoryState s;
    fillRecords(s, day);
    s.SpeedUnits = QStringLiteral("MPH");
    s.LogIntervalSeconds = 60;
    return s;
}

const PlotTrace& traceOf(const PlotResult& r, Trace t) {
    return r.picture.traces[static_cast<size_t>(t)];
}

QStringList scaleLabels(const PlotLabels& l) {
    return {l.VMax1, l.VMin1, l.AMax1, l.AMin1, l.WMax1, l.WMin1, l.RMax1,
            l.RMin1, l.SMax1, l.SMin1, l.watts, l.stime, l.ftime};
}
} // namespace

class HistoryPlot : public QObject {
    Q_OBJECT
private slots:
    void fixedScaleLabels_data();
    void fixedScaleLabels();
    void fittedScalesWithNegativeAmps();
    void fittedBottomsStayAtTheFixedTops();
    void calmDayDrawsRpmFlatAtMidHeight();
    void heightsOnTheScale();
    void wattHoursOfTheSpan_data();
    void wattHoursOfTheSpan();
    void fractionalSpanAndTimeBoxes();
    void traceTogglesChangeNoLabel();
    void emptySpanOnlyClearsTheBox();
    void halfPositionsGoToTheEvenRecord_data();
    void halfPositionsGoToTheEvenRecord();
    void settingsFromProgCfg_data();
    void settingsFromProgCfg();
};

void HistoryPlot::fixedScaleLabels_data() {
    QTest::addColumn<QString>("sv");
    QTest::addColumn<QString>("vmax");
    QTest::newRow("12 V") << "12"
                          << "17.50 V";
    QTest::newRow("24 V") << "24"
                          << "35.00 V";
    QTest::newRow("48 V") << "48"
                          << "70.00 V";
}

void HistoryPlot::fixedScaleLabels() {
    QFETCH(QString, sv);
    QFETCH(QString, vmax);
    HistoryState s = dayOf(10, [](int i, DayRecord& r) {
        r.volts = 50 + i, r.amps = -2 + i, r.watts = 100, r.rpm = 200, r.speed = 12;
    });
    s.VoltsFullScale = sv.toDouble() * 70 / 48;
    s.MaxAmps = 20;
    const PlotResult r = PlotModel::plotGraph(s);
    QVERIFY(r.labels);
    QCOMPARE(r.labels->VMax1, vmax);
    QCOMPARE(r.labels->VMin1, QStringLiteral("0.00 V"));
    QCOMPARE(r.labels->AMax1, QStringLiteral("20.0 A"));
    QCOMPARE(r.labels->AMin1, QStringLiteral("0.0 A"));
    QCOMPARE(r.labels->WMax1, QStringLiteral("1000 W"));
    QCOMPARE(r.labels->WMin1, QStringLiteral("0 W"));
    QCOMPARE(r.labels->RMax1, QStringLiteral("400 RPM"));
    QCOMPARE(r.labels->RMin1, QStringLiteral("0 RPM"));
    QCOMPARE(r.labels->SMax1, QStringLiteral("100 MPH"));
    QCOMPARE(r.labels->SMin1, QStringLiteral("0 MPH"));
    // Fixed scales start at 0: negative amps get no zero line.
    QVERIFY(!r.picture.ampsZero.drawn);
    QVERIFY(!r.picture.wattsZero.drawn);
}

void HistoryPlot::fittedScalesWithNegativeAmps() {
    const double amps[] = {2.0, -3.2, 12.5, 0.4, 7.0};
    HistoryState s = dayOf(5, [&](int i, DayRecord& r) {
        r.volts = 25, r.amps = amps[i], r.watts = 25 * amps[i], r.rpm = 100, r.speed = 9;
    });
    s.ScaledAxes = false;
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(r.labels->AMin1, QStringLiteral("-3.2 A"));
    QCOMPARE(r.labels->AMax1, QStringLiteral("12.5 A"));
    QCOMPARE(r.labels->WMin1, QStringLiteral("-80 W"));
    QCOMPARE(r.labels->WMax1, QStringLiteral("313 W")); // 312.5 rounds away from zero
    const double range = 12.5 - -3.2;
    QVERIFY(r.picture.ampsZero.drawn);
    QCOMPARE(r.picture.ampsZero.y, 12.5 + range / 40);
    QCOMPARE(r.picture.ampsZero.span, range + range / 20);
    QCOMPARE(s.AmpsSpan, range + range / 20);
    QVERIFY(r.picture.wattsZero.drawn);

    // All amps positive: the bottom is the smaller of MaxAmps and the lowest value, no line.
    HistoryState positive = dayOf(5, [](int i, DayRecord& r) { r.amps = 5 + i; });
    positive.ScaledAxes = false;
    const PlotResult p = PlotModel::plotGraph(positive);
    QCOMPARE(p.labels->AMin1, QStringLiteral("5.0 A"));
    QCOMPARE(p.labels->AMax1, QStringLiteral("9.0 A"));
    QVERIFY(!p.picture.ampsZero.drawn);
}

void HistoryPlot::fittedBottomsStayAtTheFixedTops() {
    // A 24 V bank read on a 12 V setting: every volts value above the fixed top of 17.5.
    HistoryState s = dayOf(4, [](int i, DayRecord& r) { r.volts = 26 + i, r.amps = 30; });
    s.VoltsFullScale = 17.5;
    s.ScaledAxes = false;
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(r.labels->VMin1, QStringLiteral("17.50 V"));
    QCOMPARE(r.labels->VMax1, QStringLiteral("29.00 V"));
    QCOMPARE(r.labels->AMin1, QStringLiteral("20.0 A")); // MaxAmps 20, all amps above it
}

void HistoryPlot::calmDayDrawsRpmFlatAtMidHeight() {
    HistoryState s = dayOf(50, [](int i, DayRecord& r) { r.volts = 25 + i % 3, r.speed = 2; });
    s.ScaledAxes = false;
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(r.labels->RMax1, QStringLiteral("0 RPM"));
    QCOMPARE(r.labels->RMin1, QStringLiteral("0 RPM"));
    const PlotTrace& rpm = traceOf(r, Trace::RPM);
    QCOMPARE(rpm.span, 2.0);
    QCOMPARE(rpm.y.size(), size_t(50));
    QVERIFY(std::all_of(rpm.y.begin(), rpm.y.end(), [](double y) { return y == 1; }));
}

void HistoryPlot::heightsOnTheScale() {
    HistoryState s = dayOf(3, [](int i, DayRecord& r) {
        r.volts = i == 0 ? 35 : i == 1 ? 17.5 : 0;
    });
    s.VoltsFullScale = 35;
    const PlotResult r = PlotModel::plotGraph(s);
    const PlotTrace& volts = traceOf(r, Trace::Volts);
    QCOMPARE(volts.colour, QRgb(0xFFFF0000));
    QCOMPARE(volts.span, 36.75);
    // The top of the scale 1/42 of the box below the upper edge, the bottom 1/42 above the
    // lower edge.
    QCOMPARE(volts.y, (std::vector<double>{0.875, 18.375, 35.875}));
    QCOMPARE(r.picture.extent, 2.0);
}

void HistoryPlot::wattHoursOfTheSpan_data() {
    QTest::addColumn<QString>("logDelay");
    QTest::addColumn<QString>("label");
    QTest::newRow("60 s") << "60"
                          << "198 Wh";
    QTest::newRow("5 s ran at the clamped 10 s") << "5"
                                                 << "33 Wh";
    QTest::newRow("1200 s ran at the clamped 600 s") << "1200"
                                                     << "1980 Wh";
    QTest::newRow("letters give no figure") << "abc"
                                            << "Wh";
    QTest::newRow("empty gives no figure") << ""
                                           << "Wh";
}

void HistoryPlot::wattHoursOfTheSpan() {
    QFETCH(QString, logDelay);
    QFETCH(QString, label);
    QTemporaryDir dir;
    QFile cfg(dir.filePath(QStringLiteral("prog.cfg")));
    QVERIFY(cfg.open(QIODevice::WriteOnly));
    cfg.write("<LogDelay>" + logDelay.toLatin1() +
              "</LogDelay><SV>24</SV><MA>20</MA><WSUnits>MPH</WSUnits>\r\n");
    cfg.close();
    HistoryState s = dayOf(100, [](int, DayRecord& r) { r.watts = 120; });
    readHistorySettings(cfg.fileName(), s);
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(r.labels->watts, label);
}

void HistoryPlot::fractionalSpanAndTimeBoxes() {
    HistoryState s = dayOf(300, [](int i, DayRecord& r) { r.watts = i; });
    s.PlotFrom = 100.3;
    s.PlotTo = 200.3;
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(s.PlotExtent, 100.0);
    // Positions 100.3, 101.3, ... 200.3: records 100 to 200.
    const PlotTrace& watts = traceOf(r, Trace::Watts);
    QCOMPARE(watts.y.size(), size_t(101));
    // Record k holds k - 1 watts.
    QCOMPARE(watts.y.front(), 1000 - 99 + 1000.0 / 40);
    QCOMPARE(watts.y.back(), 1000 - 199 + 1000.0 / 40);
    QCOMPARE(r.labels->stime, timeOfDayText(10 * 60 + 99));
    QCOMPARE(r.labels->ftime, timeOfDayText(10 * 60 + 199));
    QCOMPARE(r.labels->Time1h, QStringLiteral("11"));
    QCOMPARE(r.labels->Time1m, QStringLiteral("39"));
    QCOMPARE(r.labels->Time2h, QStringLiteral("13"));
    QCOMPARE(r.labels->Time2m, QStringLiteral("19"));
    // Records 101 to 200 add their watts for one minute each.
    QVERIFY(qFuzzyCompare(s.SpanWattHours, (100 + 199) * 100 / 2.0 / 60));
}

void HistoryPlot::traceTogglesChangeNoLabel() {
    HistoryState s = dayOf(200, [](int i, DayRecord& r) {
        r.volts = 24 + i % 7, r.amps = i % 11 - 4, r.watts = (i % 11 - 4) * 25, r.rpm = i,
        r.speed = i % 30;
    });
    s.ScaledAxes = false;
    const PlotResult all = PlotModel::plotGraph(s);
    bool* flags[] = {&s.ShowVolts, &s.ShowAmps, &s.ShowWatts, &s.ShowRPM, &s.ShowWS};
    for (int t = 0; t < TraceCount; ++t) {
        *flags[t] = false;
        const PlotResult without = PlotModel::plotGraph(s);
        QCOMPARE(scaleLabels(*without.labels), scaleLabels(*all.labels));
        QVERIFY(!without.picture.traces[static_cast<size_t>(t)].shown);
        QVERIFY(without.picture.traces[static_cast<size_t>(t)].y.empty());
        // The zero lines do not depend on the traces being shown.
        QCOMPARE(without.picture.ampsZero.drawn, all.picture.ampsZero.drawn);
        *flags[t] = true;
    }
}

void HistoryPlot::emptySpanOnlyClearsTheBox() {
    HistoryState s = dayOf(10, [](int i, DayRecord& r) { r.volts = i; });
    PlotModel::plotGraph(s);
    const double voltsMax = s.VoltsMax;
    s.PlotFrom = 0;
    s.PlotTo = 0; // as on reopening the window
    const PlotResult r = PlotModel::plotGraph(s);
    QVERIFY(!r.picture.drawn);
    QVERIFY(!r.labels);
    QCOMPARE(s.PlotExtent, 0.0);
    QCOMPARE(s.VoltsMax, voltsMax);
    s.PlotFrom = s.PlotTo = 1; // one record loaded
    QVERIFY(!PlotModel::plotGraph(s).picture.drawn);
}

void HistoryPlot::halfPositionsGoToTheEvenRecord_data() {
    QTest::addColumn<double>("position");
    QTest::addColumn<int>("record");
    QTest::newRow("2.5") << 2.5 << 2;
    QTest::newRow("3.5") << 3.5 << 4;
    QTest::newRow("3.49") << 3.49 << 3;
    QTest::newRow("below the first record") << 0.2 << 1;
    QTest::newRow("beyond the last load") << 12.0 << 10;
}

void HistoryPlot::halfPositionsGoToTheEvenRecord() {
    QFETCH(double, position);
    QFETCH(int, record);
    HistoryState s = dayOf(10, [](int, DayRecord&) {});
    QCOMPARE(PlotModel::recordAt(s, position), record);
}

void HistoryPlot::settingsFromProgCfg_data() {
    QTest::addColumn<QByteArray>("cfg"); // empty: no file
    QTest::addColumn<double>("voltsFullScale");
    QTest::addColumn<int>("maxAmps");
    QTest::addColumn<QString>("units");
    QTest::addColumn<bool>("problem");
    const auto cfg = [](const char* sv, const char* ma) {
        return QByteArray("<LogDelay>60</LogDelay><WSUnits>km/h</WSUnits><SV>") + sv + "</SV><MA>" +
               ma + "</MA>\r\n";
    };
    QTest::newRow("12 V") << cfg("12", "20") << 17.5 << 20 << "km/h" << false;
    QTest::newRow("48 V, 50 A") << cfg("48", "50") << 70.0 << 50 << "km/h" << false;
    QTest::newRow("MA half to even") << cfg("24", "20.5") << 35.0 << 20 << "km/h" << false;
    QTest::newRow("SV letters") << cfg("twelve", "20") << 35.0 << 20 << "km/h" << true;
    QTest::newRow("MA beyond 16 bits") << cfg("24", "40000") << 35.0 << 20 << "km/h" << true;
    QTest::newRow("missing file") << QByteArray() << 35.0 << 20 << "" << true;
    QTest::newRow("missing units")
        << QByteArray("<LogDelay>60</LogDelay><SV>12</SV><MA>10</MA>") << 17.5 << 10 << "" << true;
}

void HistoryPlot::settingsFromProgCfg() {
    QFETCH(QByteArray, cfg);
    QFETCH(double, voltsFullScale);
    QFETCH(int, maxAmps);
    QFETCH(QString, units);
    QFETCH(bool, problem);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prog.cfg"));
    if (!cfg.isEmpty()) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(cfg);
    }
    HistoryState s;
    const QString message = readHistorySettings(path, s);
    QCOMPARE(s.VoltsFullScale, voltsFullScale);
    QCOMPARE(int(s.MaxAmps), maxAmps);
    QCOMPARE(s.SpeedUnits, units);
    QCOMPARE(!message.isEmpty(), problem);
    if (problem) {
        QVERIFY(message.contains(QStringLiteral("prog.cfg")));
        QVERIFY(message.contains(QStringLiteral("uses instead")));
    }
}

QTEST_GUILESS_MAIN(HistoryPlot)
#include "tst_history_plot.moc"
