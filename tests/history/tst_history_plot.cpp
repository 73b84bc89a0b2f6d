// The plot without a screen: its scales and watt-hours, the readout, the drag that zooms.

#include "history/HistorySettings.h"
#include "history/PlotCursor.h"
#include "history/PlotModel.h"
#include "tests/history/HistoryTestData.h"
#include "tests/support/TestEnvironment.h"

using namespace tarnby;
using namespace tarnby::test;

namespace {
// `count` records one minute apart from 00:01, loaded as a pick of their day log loads them.
template <typename Make> HistoryState dayOf(int count, Make make) {
    std::vector<DayRecord> day(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i)
        make(i, day[static_cast<size_t>(i)] = {i + 1});
    HistoryState s = loaded(dayLogBytes(day));
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
    // Fixed scales from prog.cfg ignore the values; fitted ones reach them, but never bottom
    // above the fixed top nor top below 0. 100 records cycle through the volts and amps.
    void scales_data() {
        QTest::addColumn<QByteArray>("file"); // prog.cfg; empty: none
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<QList<double>>("volts");
        QTest::addColumn<QList<double>>("amps"); // watts are volts x amps; 450 RPM, speed 120
        QTest::addColumn<QString>("labels");     // V, A, W, RPM bottom and top; speed top; Wh
        using D = QList<double>;
        // 99 intervals after the first record of 120 W; 5 s ran as 10 s.
        QTest::newRow("fixed, 12 V 10 A 5 s")
            << QByteArray("<LogDelay>5</LogDelay><SV>12</SV><MA>10</MA><WSUnits>knots</WSUnits>")
            << false << D{80} << D{1.5}
            << "0.00 V,17.50 V,0.0 A,10.0 A,0 W,1000 W,0 RPM,400 RPM,100 knots,33 Wh";
        QTest::newRow("fixed, no file")
            << QByteArray() << false << D{80} << D{-3, 3}
            << "0.00 V,35.00 V,0.0 A,20.0 A,0 W,1000 W,0 RPM,400 RPM,100 ,Wh";
        QTest::newRow("fitted, negative amps") // 312.5 W
            << QByteArray() << true << D{25} << D{2, -3.2, 12.5, 0.4, 7}
            << "25.00 V,25.00 V,-3.2 A,12.5 A,-80 W,313 W,400 RPM,450 RPM,120 ,Wh";
        // A 24 V bank read on a 12 V setting: the bottoms stay at the fixed tops.
        QTest::newRow("fitted, above the fixed tops")
            << QByteArray("<SV>12</SV>") << true << D{26, 27, 28, 29} << D{30}
            << "17.50 V,29.00 V,20.0 A,30.0 A,780 W,870 W,400 RPM,450 RPM,120 ,Wh";
    }
    void scales() {
        QFETCH(QByteArray, file);
        QFETCH(bool, fitted);
        QFETCH(QList<double>, volts);
        QFETCH(QList<double>, amps);
        QFETCH(QString, labels);
        TestEnvironment env;
        if (!file.isEmpty())
            env.writeFile(QStringLiteral("prog.cfg"), file);
        HistoryState s = dayOf(100, [&](int i, DayRecord& r) {
            r.volts = volts[i % volts.size()], r.amps = amps[i % amps.size()];
            r.watts = r.volts * r.amps, r.rpm = 450, r.speed = 120;
        });
        const QString message = readHistorySettings(env.path(QStringLiteral("prog.cfg")), s);
        QVERIFY(!file.isEmpty() || message.contains(u"prog.cfg"));
        s.ScaledAxes = !fitted;
        const PlotLabels l = *PlotModel::plotGraph(s).labels;
        QCOMPARE((QStringList{l.scaleBottom[0], l.scaleTop[0], l.scaleBottom[1], l.scaleTop[1],
                              l.scaleBottom[2], l.scaleTop[2], l.scaleBottom[3], l.scaleTop[3],
                              l.scaleTop[4], l.energy}),
                 labels.split(u','));
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
        s.records.time.push_back(23 * 3600); // a slot past the last loaded record
        for (std::vector<double>& values : s.records.values)
            values.push_back(99);
        s.PlotFrom = plotFrom;
        PlotModel::plotGraph(s);
        const PlotCursor::Readout r = PlotCursor(s).move(x);
        QCOMPARE(r.timeWritten ? r.time : QString(),
                 timeRecord ? timeOfDayText(timeRecord) : QString());
        QCOMPARE(r.valuesWritten ? r.values[traceIndex(Trace::Watts)] : QString(),
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
            boxes = press.fromHour + u':' + press.fromMinute;
            cursor.move(to);
            return press.started && cursor.release(to, [&](const QString& h, const QString& m) {
                boxes += u' ' + h + u':' + m;
                QVERIFY(s.replotBusy);
                PlotModel::plotGraph(s);
                cursor.clearDragBars();
                ++plots;
            });
        };
        QVERIFY(drag(99.3, 199.3));
        QCOMPARE(boxes, timeOfDayText(100) + u' ' + timeOfDayText(200));
        QCOMPARE(s.PlotFrom, 100.3);
        QCOMPARE(s.PlotTo, 200.3);
        QVERIFY(drag(10, 30.5));
        QCOMPARE(s.PlotFrom, 110.3);
        QCOMPARE(s.PlotTo, 100.3 + 30.5);
        QCOMPARE(plots, 2);
        QVERIFY(!s.replotBusy && !s.buttonHeld);
    }
};

QTEST_GUILESS_MAIN(HistoryPlot)
#include "tst_history_plot.moc"
