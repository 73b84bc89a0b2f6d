// PlotGraph without a screen: the prog.cfg settings behind the scales, scale ends and their
// labels, heights and zero lines, flat traces, the watt-hours of the span, the time boxes, and
// what a toggle leaves alone.

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

QStringList scaleLabels(const PlotLabels& l) {
    return {l.VMax1, l.VMin1, l.AMax1, l.AMin1, l.WMax1, l.WMin1, l.RMax1,
            l.RMin1, l.SMax1, l.SMin1, l.watts, l.stime, l.ftime};
}

QByteArray cfg(const char* logDelay, const char* sv, const char* ma, const char* units) {
    QByteArray text =
        QByteArray("<LogDelay>") + logDelay + "</LogDelay><SV>" + sv + "</SV><MA>" + ma + "</MA>";
    if (units)
        text += QByteArray("<WSUnits>") + units + "</WSUnits>";
    return text + "\r\n";
}
} // namespace

class HistoryPlot : public QObject {
    Q_OBJECT
private slots:
    void fixedScalesFromProgCfg_data();
    void fixedScalesFromProgCfg();
    void fittedScales_data();
    void fittedScales();
    void calmDayDrawsRpmFlatAtMidHeight();
    void heightsOnTheScale();
    void fractionalSpanAndTimeBoxes();
    void traceTogglesChangeNoLabel();
    void emptySpanOnlyClearsTheBox();
    void halfPositionsGoToTheEvenRecord_data();
    void halfPositionsGoToTheEvenRecord();
};

void HistoryPlot::fixedScalesFromProgCfg_data() {
    QTest::addColumn<QByteArray>("file"); // empty: no file
    QTest::addColumn<bool>("problem");
    QTest::addColumn<QStringList>("labels"); // VMax1, AMax1, SMax1, watts
    using L = QStringList;
    // 100 records of 120 W, one minute apart: 99 intervals after the first.
    QTest::newRow("12 V") << cfg("60", "12", "20", "MPH") << false
                          << L{"17.50 V", "20.0 A", "100 MPH", "198 Wh"};
    QTest::newRow("24 V") << cfg("60", "24", "20", "MPH") << false
                          << L{"35.00 V", "20.0 A", "100 MPH", "198 Wh"};
    QTest::newRow("48 V") << cfg("60", "48", "20", "km/h") << false
                          << L{"70.00 V", "20.0 A", "100 km/h", "198 Wh"};
    QTest::newRow("5 s ran at the clamped 10 s")
        << cfg("5", "24", "20", "MPH") << false << L{"35.00 V", "20.0 A", "100 MPH", "33 Wh"};
    QTest::newRow("LogDelay letters: no figure")
        << cfg("abc", "24", "20", "MPH") << true << L{"35.00 V", "20.0 A", "100 MPH", "Wh"};
    QTest::newRow("SV letters") << cfg("60", "twelve", "20", "MPH") << true
                                << L{"35.00 V", "20.0 A", "100 MPH", "198 Wh"};
    QTest::newRow("MA beyond 16 bits")
        << cfg("60", "48", "40000", "MPH") << true << L{"70.00 V", "20.0 A", "100 MPH", "198 Wh"};
    QTest::newRow("missing units")
        << cfg("60", "12", "10", nullptr) << true << L{"17.50 V", "10.0 A", "100 ", "198 Wh"};
    QTest::newRow("missing file") << QByteArray() << true << L{"35.00 V", "20.0 A", "100 ", "Wh"};
}

void HistoryPlot::fixedScalesFromProgCfg() {
    QFETCH(QByteArray, file);
    QFETCH(bool, problem);
    QFETCH(QStringList, labels);
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("prog.cfg"));
    QFile out(path);
    QVERIFY(file.isEmpty() || (out.open(QIODevice::WriteOnly) && out.write(file) == file.size()));
    out.close();
    // Values far off the fixed scales, amps below 0: the scales and zero lines ignore them.
    HistoryState s = dayOf(100, [](int i, DayRecord& r) {
        r.volts = 80, r.amps = -2 + i % 5, r.watts = 120, r.rpm = 450, r.speed = 120;
    });
    const QString message = readHistorySettings(path, s);
    QCOMPARE(message.isEmpty(), !problem);
    QCOMPARE(message.contains(u"prog.cfg") && message.contains(u"uses instead"), problem);
    const PlotResult r = PlotModel::plotGraph(s);
    const PlotLabels& l = *r.labels;
    QCOMPARE((QStringList{l.VMax1, l.AMax1, l.SMax1, l.watts}), labels);
    QCOMPARE((QStringList{l.VMin1, l.AMin1, l.WMax1, l.WMin1, l.RMax1, l.RMin1}),
             (QStringList{"0.00 V", "0.0 A", "1000 W", "0 W", "400 RPM", "0 RPM"}));
    QCOMPARE(l.SMin1, QStringLiteral("0") + l.SMax1.mid(3));
    QVERIFY(!r.picture.ampsZero.drawn);
    QVERIFY(!r.picture.wattsZero.drawn);
}

void HistoryPlot::fittedScales_data() {
    QTest::addColumn<double>("voltsFullScale");
    QTest::addColumn<QList<double>>("volts");
    QTest::addColumn<QList<double>>("amps"); // watts are volts x amps
    QTest::addColumn<QStringList>("labels"); // VMin1, VMax1, AMin1, AMax1, WMin1, WMax1
    QTest::addColumn<double>("ampsZeroY");   // -1: no zero line
    using D = QList<double>;
    using L = QStringList;
    // A range of 15.7 A: the zero line 15.7 / 40 below 12.5 on a span of 15.7 x 21 / 20.
    QTest::newRow("negative amps")
        << 35.0 << D{25, 25, 25, 25, 25} << D{2, -3.2, 12.5, 0.4, 7}
        << L{"25.00 V", "25.00 V", "-3.2 A", "12.5 A", "-80 W", "313 W"} << 12.8925; // 312.5 up
    QTest::newRow("amps all above 0")
        << 35.0 << D{25, 25, 25, 25, 25} << D{5, 6, 7, 8, 9}
        << L{"25.00 V", "25.00 V", "5.0 A", "9.0 A", "125 W", "225 W"} << -1.0;
    // A 24 V bank read on a 12 V setting: the bottoms stay at the fixed tops.
    QTest::newRow("above the fixed tops")
        << 17.5 << D{26, 27, 28, 29} << D{30, 30, 30, 30}
        << L{"17.50 V", "29.00 V", "20.0 A", "30.0 A", "780 W", "870 W"} << -1.0;
}

void HistoryPlot::fittedScales() {
    QFETCH(double, voltsFullScale);
    QFETCH(QList<double>, volts);
    QFETCH(QList<double>, amps);
    QFETCH(QStringList, labels);
    QFETCH(double, ampsZeroY);
    HistoryState s = dayOf(int(volts.size()), [&](int i, DayRecord& r) {
        r.volts = volts[i], r.amps = amps[i], r.watts = volts[i] * amps[i];
    });
    s.VoltsFullScale = voltsFullScale;
    s.ScaledAxes = false;
    const PlotResult r = PlotModel::plotGraph(s);
    const PlotLabels& l = *r.labels;
    QCOMPARE((QStringList{l.VMin1, l.VMax1, l.AMin1, l.AMax1, l.WMin1, l.WMax1}), labels);
    QCOMPARE(r.picture.ampsZero.drawn, ampsZeroY >= 0);
    QCOMPARE(r.picture.wattsZero.drawn, ampsZeroY >= 0);
    if (ampsZeroY >= 0) {
        QCOMPARE(r.picture.ampsZero.y, ampsZeroY);
        QCOMPARE(r.picture.ampsZero.span, 16.485);
        QCOMPARE(s.AmpsSpan, 16.485);
    }
}

void HistoryPlot::calmDayDrawsRpmFlatAtMidHeight() {
    HistoryState s = dayOf(50, [](int i, DayRecord& r) { r.volts = 25 + i % 3, r.speed = 2; });
    s.ScaledAxes = false;
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(r.labels->RMax1, QStringLiteral("0 RPM"));
    QCOMPARE(r.labels->RMin1, QStringLiteral("0 RPM"));
    const PlotTrace& rpm = r.picture.traces[size_t(Trace::RPM)];
    QCOMPARE(rpm.span, 2.0);
    QCOMPARE(rpm.y, std::vector<double>(50, 1.0));
}

void HistoryPlot::heightsOnTheScale() {
    HistoryState s = dayOf(3, [](int i, DayRecord& r) {
        r.volts = i == 0 ? 35 : i == 1 ? 17.5 : 0;
    });
    s.VoltsFullScale = 35;
    const PlotResult r = PlotModel::plotGraph(s);
    const PlotTrace& volts = r.picture.traces[size_t(Trace::Volts)];
    QCOMPARE(volts.colour, QRgb(0xFFFF0000));
    QCOMPARE(volts.span, 36.75);
    // The top of the scale 1/42 of the box below the upper edge, the bottom 1/42 above the
    // lower edge.
    QCOMPARE(volts.y, (std::vector<double>{0.875, 18.375, 35.875}));
    QCOMPARE(r.picture.extent, 2.0);
}

void HistoryPlot::fractionalSpanAndTimeBoxes() {
    HistoryState s = dayOf(300, [](int i, DayRecord& r) { r.watts = i; }); // record k: k - 1 W
    s.PlotFrom = 100.3;
    s.PlotTo = 200.3;
    const PlotResult r = PlotModel::plotGraph(s);
    QCOMPARE(s.PlotExtent, 100.0);
    // Positions 100.3, 101.3, ... 200.3: records 100 to 200.
    const PlotTrace& watts = r.picture.traces[size_t(Trace::Watts)];
    QCOMPARE(watts.y.size(), size_t(101));
    QCOMPARE(watts.y.front(), 926.0); // 99 W on a 1000 W scale
    QCOMPARE(watts.y.back(), 826.0);
    const PlotLabels& l = *r.labels;
    QCOMPARE((QStringList{l.stime, l.ftime, l.Time1h, l.Time1m, l.Time2h, l.Time2m}),
             (QStringList{"11:39", "13:19", "11", "39", "13", "19"}));
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
    s.PlotFrom = s.PlotTo = 0; // as on reopening the window
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
    QCOMPARE(PlotModel::recordAt(dayOf(10, [](int, DayRecord&) {}), position), record);
}

QTEST_GUILESS_MAIN(HistoryPlot)
#include "tst_history_plot.moc"
