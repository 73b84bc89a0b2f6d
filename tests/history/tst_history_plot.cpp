// PlotGraph and the plot cursor without a screen: fixed scales from prog.cfg and fitted ones,
// the watt-hours of the span, the readout under the mouse, the drag that zooms and nests.

#include "history/DayLogLoader.h"
#include "history/HistorySettings.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "history/TimeRange.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

using namespace tarnby;
using namespace tarnby::test;

namespace {
// `count` records one minute apart from 00:01, loaded as a pick of their day log loads them.
template <typename Make> HistoryState dayOf(int count, Make make) {
    std::vector<DayRecord> day;
    for (int i = 0; i < count; ++i) {
        DayRecord r{i + 1};
        make(i, r);
        day.push_back(r);
    }
    HistoryState s;
    DayLogLoader::load(QString::fromLatin1(dayLogBytes(day)), WholeDay.from, WholeDay.to, s);
    s.SpeedUnits = QStringLiteral("MPH");
    s.LogIntervalSeconds = 60;
    return s;
}

// Record k: at minute k, k watts; all plotted.
HistoryState plottedDay(int count) {
    HistoryState s = dayOf(count, [](int i, DayRecord& r) { r.watts = i + 1; });
    PlotModel::plotGraph(s);
    return s;
}
} // namespace

class HistoryPlot : public QObject {
    Q_OBJECT
private slots:
    void fixedScalesFromProgCfg_data() {
        QTest::addColumn<QByteArray>("file");    // empty: no file
        QTest::addColumn<QStringList>("labels"); // VMax1, AMax1, SMax1, watts
        // 100 records of 120 W, one minute apart: 99 intervals after the first; 5 s ran as 10 s.
        QTest::newRow("12 V, 10 A, 5 s")
            << QByteArray("<LogDelay>5</LogDelay><SV>12</SV><MA>10</MA><WSUnits>knots</WSUnits>")
            << QStringList{"17.50 V", "10.0 A", "100 knots", "33 Wh"};
        QTest::newRow("missing file")
            << QByteArray() << QStringList{"35.00 V", "20.0 A", "100 ", "Wh"};
    }
    void fixedScalesFromProgCfg() {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, labels);
        TestEnvironment env;
        if (!file.isEmpty())
            env.writeFile(QStringLiteral("prog.cfg"), file);
        // Values far off the fixed scales, amps below 0: the scales ignore them.
        HistoryState s = dayOf(100, [](int i, DayRecord& r) {
            r.volts = 80, r.amps = -2 + i % 5, r.watts = 120, r.rpm = 450, r.speed = 120;
        });
        const QString message = readHistorySettings(env.path(QStringLiteral("prog.cfg")), s);
        QCOMPARE(message.contains(u"prog.cfg") && message.contains(u"uses instead"),
                 file.isEmpty());
        const PlotLabels l = *PlotModel::plotGraph(s).labels;
        QCOMPARE((QStringList{l.VMax1, l.AMax1, l.SMax1, l.watts}), labels);
        QCOMPARE((QStringList{l.VMin1, l.AMin1, l.WMax1, l.WMin1, l.RMax1, l.RMin1}),
                 (QStringList{"0.00 V", "0.0 A", "1000 W", "0 W", "400 RPM", "0 RPM"}));
    }

    void fittedScales_data() {
        QTest::addColumn<double>("voltsFullScale");
        QTest::addColumn<QList<double>>("volts");
        QTest::addColumn<QList<double>>("amps"); // watts are volts x amps
        QTest::addColumn<QStringList>("labels"); // VMin1, VMax1, AMin1, AMax1, WMin1, WMax1
        using D = QList<double>;
        QTest::newRow("negative amps")
            << 35.0 << D{25, 25, 25, 25, 25} << D{2, -3.2, 12.5, 0.4, 7}
            << QStringList{"25.00 V", "25.00 V", "-3.2 A", "12.5 A", "-80 W", "313 W"}; // 312.5
        // A 24 V bank read on a 12 V setting: the bottoms stay at the fixed tops.
        QTest::newRow("above the fixed tops")
            << 17.5 << D{26, 27, 28, 29} << D{30, 30, 30, 30}
            << QStringList{"17.50 V", "29.00 V", "20.0 A", "30.0 A", "780 W", "870 W"};
    }
    void fittedScales() {
        QFETCH(double, voltsFullScale);
        QFETCH(QList<double>, volts);
        QFETCH(QList<double>, amps);
        QFETCH(QStringList, labels);
        HistoryState s = dayOf(int(volts.size()), [&](int i, DayRecord& r) {
            r.volts = volts[i], r.amps = amps[i], r.watts = volts[i] * amps[i];
        });
        s.VoltsFullScale = voltsFullScale;
        s.ScaledAxes = false;
        const PlotLabels l = *PlotModel::plotGraph(s).labels;
        QCOMPARE((QStringList{l.VMin1, l.VMax1, l.AMin1, l.AMax1, l.WMin1, l.WMax1}), labels);
    }

    // The time of record floor(x + PlotFrom), the values of the nearest one, never past the last
    // loaded record (a stale slot of an earlier load lies beyond it).
    void readout_data() {
        QTest::addColumn<double>("plotFrom");
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("timeRecord");                              // 0: no time written
        QTest::addColumn<int>("valueRecord");                             // 0: no values written
        QTest::newRow("half goes to even") << 100.5 << 3.0 << 103 << 104; // 103.5 -> 104
        QTest::newRow("past the right edge") << 1.0 << 1000.2 << 0 << 0;
        QTest::newRow("values beyond the last record") << 990.6 << 10.0 << 1000 << 0;
    }
    void readout() {
        QFETCH(double, plotFrom);
        QFETCH(double, x);
        QFETCH(int, timeRecord);
        QFETCH(int, valueRecord);
        HistoryState s = plottedDay(1000);
        s.RecTime[1001] = 23 * 3600;
        s.RecWatts[1001] = 99;
        s.PlotFrom = plotFrom;
        PlotModel::plotGraph(s);
        const PlotCursor::Readout r = PlotCursor(s).move(x);
        QCOMPARE(r.timeWritten ? r.vt : QString(),
                 timeRecord ? timeOfDayText(timeRecord) : QString());
        QCOMPARE(r.valuesWritten ? r.wv : QString(),
                 valueRecord ? QString::number(valueRecord) + QStringLiteral(" W") : QString());
    }

    // Each drag zooms the plot as drawn, so zooms nest; the boxes show the records at its ends.
    void dragZoomsAndZoomsNest() {
        HistoryState s = plottedDay(1000);
        PlotCursor cursor(s);
        QString boxes;
        int plots = 0;
        const auto drag = [&](double from, double to) {
            cursor.move(from);
            const PlotCursor::Press press = cursor.press(from);
            boxes = press.Time1h + u':' + press.Time1m;
            cursor.move(to);
            return press.started && cursor.release(to, [&](const QString& h, const QString& m) {
                boxes += u' ' + h + u':' + m;
                QCOMPARE(s.ReplotBusy, 1);
                PlotModel::plotGraph(s);
                cursor.clearDragBars();
                ++plots;
            });
        };
        QVERIFY(drag(99.3, 199.3));
        QCOMPARE(boxes, timeOfDayText(100) + u' ' + timeOfDayText(200));
        QCOMPARE(s.PlotFrom, 100.3);
        QCOMPARE(s.PlotTo, 200.3);
        QCOMPARE(s.PlotExtent, 100.0);
        QVERIFY(drag(10, 30.5));
        QCOMPARE(s.PlotFrom, 110.3);
        QCOMPARE(s.PlotTo, 100.3 + 30.5);
        QVERIFY(drag(0.5, 2));
        QCOMPARE(s.PlotFrom, 110.8);
        QCOMPARE(s.PlotTo, 112.3);
        QCOMPARE(plots, 3);
        QCOMPARE(s.ReplotBusy + s.ButtonHeld, 0);
    }
};

QTEST_GUILESS_MAIN(HistoryPlot)
#include "tst_history_plot.moc"
